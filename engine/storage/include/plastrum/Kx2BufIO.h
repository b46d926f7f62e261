// CKx2BufIO: the framework's abstract byte source and sink, with its kinds over an OLE
// stream (CKx2Stream), a memory buffer (CKx2MemFile) and a file (CKx2File).
//
// Any kind can route a stretch of its bytes through a Deflate compression layer and,
// under it, a password-keyed encryption layer (BeginCompression, BeginEncryption ...).
// Failures follow the framework convention (plastrum/Kx2Failure.h): the thread error is
// set, the failure value returned, and the error thrown when the throw mode is set.
//
// The virtual operations keep their slot order: archive objects that the host hands in
// carry byte stores laid out the same way.
#pragma once

#include <cstdint>

#include <win/types.h>
#include <plastrum/Export.h>

struct Kx2CipherRecord;

class PLASTRUM_API CKx2BufIO {
 public:
  // Bits 0-1 of the mode. 0 (read-write) counts as writing; 3 counts as reading for the
  // record archive and the encryption layer, and as writing for the compression layer.
  enum : uint32_t { kModeReadWrite = 0, kModeRead = 1, kModeWrite = 2, kModeMask = 3 };

  // Origins of Seek.
  enum : int { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };

  CKx2BufIO();
  virtual ~CKx2BufIO();
  CKx2BufIO(const CKx2BufIO&) = delete;
  CKx2BufIO& operator=(const CKx2BufIO&) = delete;

  // Count read (0 at the end), -1 on failure.
  virtual int32_t Read(void* buffer, int32_t n) = 0;
  // Count written; 0 or -1 on failure, as each kind says.
  virtual int32_t Write(const void* buffer, int32_t n) = 0;
  // New position, -1 on failure.
  virtual int32_t Seek(int32_t offset, int origin) = 0;
  virtual int32_t GetLength() = 0;
  // 1, or 0 on failure.
  virtual int SetLength(int32_t n) = 0;
  // Ends an open compression and frees the encryption record; kinds then close themselves.
  virtual void Close();
  // A path holding the bytes, or null.
  virtual const char16_t* GetFileName();

  // ---- Compression and encryption layers ------------------------------------------------
  int BeginCompression();
  int EndCompression();
  // cipherMode 0 selects the default cipher; 100 and above are refused.
  int BeginEncryption(int32_t cipherMode, const char16_t* password);
  int EndEncryption();
  int SuspendEncryption(int flag);
  int ResumeEncryption();
  int Flush();

  // ---- State -------------------------------------------------------------------------------
  uint32_t GetMode() const { return mode_; }
  void SetMode(uint32_t mode) { mode_ = mode; }
  // The record archive's and the encryption layer's reading: mode bits 1 or 3.
  bool IsReading() const { return (mode_ & kModeMask) == kModeRead || (mode_ & kModeMask) == 3; }
  // The compression layer's reading: mode bits 1 only.
  bool CompressesForReading() const { return (mode_ & kModeMask) == kModeRead; }
  void* GetCompressor() const { return compressor_; }
  bool IsEncrypting() const { return encrypting_ != 0; }
  bool HasCipher() const { return cipher_ != nullptr; }

  // Through the compressor when one is attached, else straight to Read/Write.
  int32_t ReadThrough(void* buffer, int32_t n);
  int32_t WriteThrough(const void* buffer, int32_t n);

 protected:
  // Ends an open compression and frees the encryption record; what Close and the
  // destructors of the kinds run before they let go of their own resources.
  void EndLayers();

  void* compressor_;
  uint32_t mode_;
  int32_t encrypting_;
  Kx2CipherRecord* cipher_;
  int32_t suspended_;
  int32_t cipherReset_;
  intptr_t handle_;

 private:
  static int WritePiece(void* stream, const void* user, const void* data, unsigned len);
  static int ReadPiece(void* stream, const void* user, void* buffer, unsigned capacity);
  int FinishEncryptedStretch(int32_t unusedBytes);
  void FreeCipher();

  // Where the compressed stretch being read began, and whether it is encrypted; set by
  // BeginCompression, used by EndCompression to find the padding and the trailer.
  int64_t stretchStart_ = -1;
  bool stretchEncrypted_ = false;
  // While a kind's destructor has already run, the layers must not call back into it.
  bool detached_ = false;
};

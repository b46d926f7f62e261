// CKx2File: a byte store over a file of the platform's file API, and the
// whole-file copies between any byte store and a path.
#pragma once

#include <plastrum/Kx2BufIO.h>
#include <plastrum/Kx2String.h>
#include <plastrum/Export.h>

class PLASTRUM_API CKx2File : public CKx2BufIO {
 public:
  // Open modes and the store mode each gives.
  enum : int {
    kOpenRead = 0,        // shared for reading; mode 1
    kOpenWrite = 1,       // existing file, exclusive; mode 0
    kOpenReadWrite = 2,   // existing file, exclusive; mode 0
    kOpenCreate = 3,      // created or truncated, exclusive; mode 2
    kOpenReadAttrib = 5,  // as read, with attributes 0x81; mode 1
  };

  CKx2File();
  ~CKx2File() override;

  // Closes a file that is open, then opens path. 0 with the Win32 error as HRESULT.
  int Open(const char16_t* path, int openMode);
  bool IsOpen() const;

  int32_t Read(void* buffer, int32_t n) override;
  int32_t Write(const void* buffer, int32_t n) override;
  int32_t Seek(int32_t offset, int origin) override;
  int32_t GetLength() override;
  int SetLength(int32_t n) override;
  void Close() override;
  // The opened path, or null when no file is open.
  const char16_t* GetFileName() override;

 private:
  CKx2String path_;
};

// Copies everything the store delivers (through its decompressor when one is attached)
// into a new file at path. 1 on success; 0 when the store fails or the file cannot be
// written.
PLASTRUM_API int CopyToFile(CKx2BufIO& io, const char16_t* path);
// Copies the whole file at path into the store (through its compressor when attached).
PLASTRUM_API int CopyFromFile(CKx2BufIO& io, const char16_t* path);

// CKx2MemFile: a byte store over a growable memory buffer, which can also spill its bytes
// into a temporary file for callers that need a path.
#pragma once

#include <plastrum/Kx2BufIO.h>
#include <plastrum/Export.h>

class PLASTRUM_API CKx2MemFile : public CKx2BufIO {
 public:
  // Over a caller's buffer from the heap (the file takes it over and frees it), in read
  // mode with `size` bytes of content. Without a buffer the file starts open and empty,
  // in write mode, and grows as it is written.
  explicit CKx2MemFile(void* buffer = nullptr, int32_t size = 0);
  ~CKx2MemFile() override;

  int32_t Read(void* buffer, int32_t n) override;
  int32_t Write(const void* buffer, int32_t n) override;
  int32_t Seek(int32_t offset, int origin) override;
  int32_t GetLength() override { return length_; }
  // Grows only: a length below the current one changes nothing.
  int SetLength(int32_t n) override;
  // Ends the layers, trims the buffer to the length and marks the file closed; the buffer
  // stays with the object.
  void Close() override;
  // Writes the bytes to a temporary file (once) and returns its path, or null.
  const char16_t* GetFileName() override;

  // As Close, and with freeBuffer also frees the buffer (position and length 0).
  void Release(BOOL freeBuffer);
  // 1 when open; else E_INVALIDARG (thrown in throw mode) and 0.
  int IsOpen();
  // At most 3 characters; 0 (nothing stored) for a longer text.
  int SetExtension(const char16_t* extension);
  void SetGifName(BOOL flag) { gifName_ = flag; }

  const void* GetBuffer() const { return reinterpret_cast<const void*>(handle_); }
  int32_t GetPosition() const { return position_; }
  int32_t GetCapacity() const { return capacity_; }
  // Hands the buffer to the caller (who frees it with Kx2Heap::Free); the file becomes
  // empty and closed.
  void* Detach();

 private:
  bool CheckOpen();
  int Grow(int64_t length);
  unsigned char* Bytes() const { return reinterpret_cast<unsigned char*>(handle_); }

  int32_t position_;
  int32_t capacity_;  // -1 = closed
  int32_t length_;
  int32_t gifName_;
  char16_t tempPath_[MAX_PATH];
  char16_t extension_[256];
};

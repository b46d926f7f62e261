// The memory file.
#include <win/afx.h>

#include <cstdlib>
#include <cstring>

CMemFile::CMemFile(UINT nGrowBytes) : growBytes_(nGrowBytes) {}

CMemFile::CMemFile(BYTE* buffer, UINT bufferSize, UINT nGrowBytes) { Attach(buffer, bufferSize, nGrowBytes); }

CMemFile::~CMemFile() { Close(); }

void CMemFile::Attach(BYTE* buffer, UINT bufferSize, UINT nGrowBytes) {
  Close();
  buffer_ = buffer;
  bufferSize_ = bufferSize;
  growBytes_ = nGrowBytes;
  fileSize_ = nGrowBytes == 0 ? bufferSize : 0;
  position_ = 0;
  autoDelete_ = false;
}

BYTE* CMemFile::Detach() {
  BYTE* buffer = buffer_;
  buffer_ = nullptr;
  bufferSize_ = fileSize_ = position_ = 0;
  autoDelete_ = true;
  return buffer;
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from) {
  LONGLONG base = from == begin     ? 0
                  : from == current ? static_cast<LONGLONG>(position_)
                                    : static_cast<LONGLONG>(fileSize_);
  const LONGLONG target = base + offset;
  if (target < 0) AfxThrowInvalidArgException();
  position_ = static_cast<SIZE_T>(target);
  return position_;
}

void CMemFile::SetLength(ULONGLONG length) {
  if (length > bufferSize_) GrowTo(static_cast<SIZE_T>(length));
  fileSize_ = static_cast<SIZE_T>(length);
  if (position_ > fileSize_) position_ = fileSize_;
}

UINT CMemFile::Read(void* buffer, UINT count) {
  if (count == 0 || position_ >= fileSize_) return 0;
  const SIZE_T take = std::min<SIZE_T>(count, fileSize_ - position_);
  std::memcpy(buffer, buffer_ + position_, take);
  position_ += take;
  return static_cast<UINT>(take);
}

void CMemFile::Write(const void* buffer, UINT count) {
  if (count == 0) return;
  const SIZE_T end = position_ + count;
  if (end > bufferSize_) GrowTo(end);
  std::memcpy(buffer_ + position_, buffer, count);
  position_ = end;
  if (end > fileSize_) fileSize_ = end;
}

void CMemFile::Close() {
  if (autoDelete_) std::free(buffer_);
  buffer_ = nullptr;
  bufferSize_ = fileSize_ = position_ = 0;
  autoDelete_ = true;
}

void CMemFile::GrowTo(SIZE_T size) {
  // A fixed (attached, not growing) block cannot grow.
  if (growBytes_ == 0 || !autoDelete_) AfxThrowMemoryException();
  if (size > SIZE_MAX - growBytes_) AfxThrowMemoryException();
  const SIZE_T capacity = (size + growBytes_ - 1) / growBytes_ * growBytes_;
  auto* grown = static_cast<BYTE*>(std::realloc(buffer_, capacity));
  if (!grown) AfxThrowMemoryException();
  buffer_ = grown;
  bufferSize_ = capacity;
}

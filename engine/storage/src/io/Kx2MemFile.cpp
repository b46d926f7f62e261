#include <plastrum/Kx2MemFile.h>

#include <plastrum/Kx2Failure.h>
#include <plastrum/Kx2Heap.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include <basalt/error.h>
#include <basalt/path_util.h>
#include <win/crt.h>
#include <win/errors.h>

namespace {

constexpr int32_t kClosed = -1;
constexpr int32_t kGrowthStep = 1024;

}  // namespace

CKx2MemFile::CKx2MemFile(void* buffer, int32_t size)
    : position_(0), capacity_(kClosed), length_(0), gifName_(0), tempPath_{}, extension_{} {
  handle_ = reinterpret_cast<intptr_t>(buffer);
  if (buffer) {
    mode_ = kModeRead;
    length_ = std::max(size, 0);
    capacity_ = length_;
  } else {
    // Nothing to read: an empty file that is written into.
    mode_ = kModeWrite;
    capacity_ = 0;
  }
}

CKx2MemFile::~CKx2MemFile() {
  EndLayers();
  Kx2Heap::Free(Bytes());
  handle_ = 0;
  if (tempPath_[0]) _wremove(tempPath_);
}

bool CKx2MemFile::CheckOpen() {
  if (capacity_ != kClosed) return true;
  Kx2::Fail(static_cast<uint32_t>(E_INVALIDARG));
  return false;
}

int CKx2MemFile::IsOpen() { return CheckOpen() ? 1 : 0; }

// Makes the length `length`, reallocating in steps of 1 KiB when the buffer is too small.
int CKx2MemFile::Grow(int64_t length) {
  if (length > INT32_MAX - kGrowthStep) {
    Kx2::Fail(Basalt::Error::kErrorOutOfMemory);
    return 0;
  }
  if (length >= capacity_) {
    const int64_t rounded = std::max<int64_t>((length + kGrowthStep - 1) / kGrowthStep * kGrowthStep, length);
    if (rounded > capacity_ || !Bytes()) {
      void* grown = Kx2Heap::Reallocate(Bytes(), static_cast<size_t>(rounded));
      if (!grown) {
        Kx2::Fail(Basalt::Error::kErrorOutOfMemory);
        return 0;
      }
      handle_ = reinterpret_cast<intptr_t>(grown);
      capacity_ = static_cast<int32_t>(rounded);
    }
  }
  // Bytes that come into use without being written read as zeros.
  if (length > length_) std::memset(Bytes() + length_, 0, static_cast<size_t>(length - length_));
  length_ = static_cast<int32_t>(length);
  return 1;
}

int32_t CKx2MemFile::Read(void* buffer, int32_t n) {
  if (!CheckOpen()) return -1;
  if (n <= 0 || position_ >= length_) return 0;
  if (!buffer) {
    Kx2::Fail(static_cast<uint32_t>(E_INVALIDARG));
    return -1;
  }
  const int32_t count = std::min(n, length_ - position_);
  std::memcpy(buffer, Bytes() + position_, static_cast<size_t>(count));
  position_ += count;
  return count;
}

int32_t CKx2MemFile::Write(const void* buffer, int32_t n) {
  if (!CheckOpen()) return -1;
  if (n <= 0) return 0;
  if (!buffer) {
    Kx2::Fail(static_cast<uint32_t>(E_INVALIDARG));
    return -1;
  }
  const int64_t end = static_cast<int64_t>(position_) + n;
  if (end > length_ && !Grow(end)) return -1;
  std::memcpy(Bytes() + position_, buffer, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int32_t CKx2MemFile::Seek(int32_t offset, int origin) {
  if (!CheckOpen()) return -1;
  int64_t base;
  switch (origin) {
    case kFromStart:
      base = 0;
      break;
    case kFromCurrent:
      base = position_;
      break;
    case kFromEnd:
      base = length_;
      break;
    default:
      return -1;
  }
  const int64_t target = base + offset;
  if (target < 0 || target > length_) return -1;
  position_ = static_cast<int32_t>(target);
  return position_;
}

int CKx2MemFile::SetLength(int32_t n) {
  if (!CheckOpen()) return 0;
  if (n <= length_) return 1;
  return Grow(n);
}

void CKx2MemFile::Close() {
  if (capacity_ == kClosed) return;
  CKx2BufIO::Close();
  // Trim the buffer to the content; a file that never had one gets an empty allocation.
  void* trimmed = Kx2Heap::Reallocate(Bytes(), static_cast<size_t>(length_));
  if (trimmed) handle_ = reinterpret_cast<intptr_t>(trimmed);
  capacity_ = kClosed;
}

void CKx2MemFile::Release(BOOL freeBuffer) {
  Close();
  if (!freeBuffer) return;
  Kx2Heap::Free(Bytes());
  handle_ = 0;
  position_ = 0;
  length_ = 0;
}

void* CKx2MemFile::Detach() {
  EndLayers();
  void* buffer = Bytes();
  handle_ = 0;
  position_ = 0;
  length_ = 0;
  capacity_ = kClosed;
  return buffer;
}

int CKx2MemFile::SetExtension(const char16_t* extension) {
  const char16_t* text = extension ? extension : u"";
  size_t n = 0;
  while (text[n]) ++n;
  if (n > 3) return 0;
  std::copy(text, text + n + 1, extension_);
  return 1;
}

const char16_t* CKx2MemFile::GetFileName() {
  if (tempPath_[0]) return tempPath_;
  const char16_t* extension = extension_[0] ? extension_ : (gifName_ ? u"gif" : u"tmp");
  // A stamp of 0 asks for a name that no file holds yet; a per-process counter would give
  // two processes the same names and let them overwrite each other's files.
  char16_t path[MAX_PATH] = {};
  if (!Basalt::Util::PathUtil::_PathMakeTempEx(u"mem", extension, 0, nullptr, path) || !path[0]) return nullptr;
  FILE* file = _wfopen(path, u"wb+");
  if (!file) return nullptr;
  const bool written =
      length_ == 0 || std::fwrite(Bytes(), 1, static_cast<size_t>(length_), file) == static_cast<size_t>(length_);
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    _wremove(path);
    return nullptr;
  }
  std::copy(path, path + MAX_PATH, tempPath_);
  tempPath_[MAX_PATH - 1] = 0;
  return tempPath_;
}

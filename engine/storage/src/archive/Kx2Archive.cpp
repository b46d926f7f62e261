// Typed values over a byte store, with a read-ahead buffer.
#include <plastrum/Kx2Archive.h>

#include <plastrum/Kx2Failure.h>
#include <plastrum/Kx2Heap.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include <basalt/error.h>
#include <win/errors.h>

static_assert(std::endian::native == std::endian::little, "values and UTF-16 units are stored little-endian");

namespace {

constexpr int32_t kDefaultBufferSize = 10240;
constexpr uint16_t kMaxStringUnits = 0xFFFF;

}  // namespace

CKx2Archive::CKx2Archive()
    : io_(nullptr), bufferSize_(kDefaultBufferSize), buffer_(nullptr), cursor_(nullptr), available_(0), position_(0) {}

CKx2Archive::~CKx2Archive() { Kx2Heap::Free(buffer_); }

void CKx2Archive::Reset() {
  io_ = nullptr;
  Kx2Heap::Free(buffer_);
  buffer_ = nullptr;
  cursor_ = nullptr;
  available_ = 0;
  position_ = 0;
}

void CKx2Archive::Attach(CKx2BufIO* io, int32_t bufferSize) {
  Reset();
  io_ = io;
  bufferSize_ = bufferSize > 0 ? bufferSize : kDefaultBufferSize;
}

int32_t CKx2Archive::Fill() {
  if (!io_) {
    Kx2::Fail(static_cast<uint32_t>(E_UNEXPECTED));
    return -1;
  }
  if (!buffer_) {
    buffer_ = static_cast<unsigned char*>(Kx2Heap::Allocate(static_cast<size_t>(bufferSize_)));
    if (!buffer_) {
      Kx2::Fail(Basalt::Error::kErrorOutOfMemory);
      return -1;
    }
  }
  cursor_ = buffer_;
  available_ = 0;
  const int32_t count = io_->ReadThrough(buffer_, bufferSize_);
  if (count < 0) {
    Kx2::ThrowIfEnabled();
    return -1;
  }
  available_ = std::min(count, bufferSize_);
  return available_;
}

int32_t CKx2Archive::BaseRead(void* buffer, int32_t n) {
  if (n <= 0) return 0;
  auto* out = static_cast<unsigned char*>(buffer);
  if (n == 1) {
    if (available_ == 0) {
      const int32_t filled = Fill();
      if (filled <= 0) return filled;
    }
    *out = *cursor_++;
    --available_;
    ++position_;
    return 1;
  }
  int32_t copied = 0;
  while (copied < n) {
    if (available_ == 0) {
      const int32_t filled = Fill();
      if (filled < 0) return -1;
      if (filled == 0) break;
    }
    const int32_t take = std::min(n - copied, available_);
    std::memcpy(out + copied, cursor_, static_cast<size_t>(take));
    cursor_ += take;
    available_ -= take;
    position_ += take;
    copied += take;
  }
  return copied;
}

int32_t CKx2Archive::BaseSkip(int64_t n) {
  int64_t skipped = 0;
  while (skipped < n) {
    if (available_ == 0) {
      const int32_t filled = Fill();
      if (filled < 0) return -1;
      if (filled == 0) break;
    }
    const int32_t take = static_cast<int32_t>(std::min<int64_t>(n - skipped, available_));
    cursor_ += take;
    available_ -= take;
    position_ += take;
    skipped += take;
  }
  return static_cast<int32_t>(std::min<int64_t>(skipped, INT32_MAX));
}

void CKx2Archive::DropReadAhead() {
  if (available_ != 0 && io_ && !io_->GetCompressor()) io_->Seek(-available_, CKx2BufIO::kFromCurrent);
  cursor_ = buffer_;
  available_ = 0;
}

int32_t CKx2Archive::BaseWrite(const void* buffer, int32_t n) {
  if (!io_) {
    Kx2::Fail(static_cast<uint32_t>(E_UNEXPECTED));
    return -1;
  }
  DropReadAhead();
  if (n <= 0) return 0;
  const int32_t count = io_->WriteThrough(buffer, n);
  if (count > 0) position_ += count;
  return count;
}

int32_t CKx2Archive::Read(void* buffer, int32_t n) { return BaseRead(buffer, n); }

int32_t CKx2Archive::Write(const void* buffer, int32_t n) { return BaseWrite(buffer, n); }

int32_t CKx2Archive::Skip(int32_t n) { return BaseSkip(n); }

int32_t CKx2Archive::Peek(void* buffer, int32_t n) {
  if (n <= 0) return 0;
  if (n == 1 && available_ == 0) {
    const int32_t filled = Fill();
    if (filled <= 0) return filled;
  }
  if (available_ == 0) {
    const int32_t filled = Fill();
    return filled < 0 ? -1 : 0;
  }
  const int32_t take = std::min(n, available_);
  std::memcpy(buffer, cursor_, static_cast<size_t>(take));
  return take;
}

int CKx2Archive::WriteRawU32(uint32_t value) { return BaseWrite(&value, 4) == 4 ? 1 : 0; }

int32_t CKx2Archive::ReadRawWord(uint32_t* out) {
  *out = 0;
  return BaseRead(out, 4);
}

uint32_t CKx2Archive::ReadRawU32() {
  uint32_t word = 0;
  ReadRawWord(&word);
  return word;
}

int32_t CKx2Archive::Seek(int32_t offset, int origin) {
  if (!io_ || io_->GetCompressor()) return -1;
  DropReadAhead();
  const int32_t result = io_->Seek(offset, origin);
  if (result != -1) position_ = result;
  return result;
}

int32_t CKx2Archive::Tell() {
  if (!io_ || io_->GetCompressor()) return -1;
  const int32_t at = io_->Seek(0, CKx2BufIO::kFromCurrent);
  // The store stands past the bytes still waiting in the read-ahead buffer.
  return at < 0 ? at : at - available_;
}

int CKx2Archive::BeginCompression() {
  if (!io_) return 0;
  DropReadAhead();
  return io_->BeginCompression();
}

int CKx2Archive::EndCompression() {
  if (!io_) return 0;
  // Decompressed bytes still waiting in the read-ahead buffer belong to the stretch that
  // ends here; what follows is read from the store.
  if (io_->GetCompressor() && io_->CompressesForReading()) {
    cursor_ = buffer_;
    available_ = 0;
  }
  return io_->EndCompression();
}

int CKx2Archive::BeginEncryption(int32_t cipherMode, const char16_t* password) {
  return io_ ? io_->BeginEncryption(cipherMode, password) : 0;
}

int CKx2Archive::EndEncryption() { return io_ ? io_->EndEncryption() : 0; }

int CKx2Archive::SuspendEncryption(int flag) { return io_ ? io_->SuspendEncryption(flag) : 0; }

int CKx2Archive::ResumeEncryption() { return io_ ? io_->ResumeEncryption() : 0; }

// ---- Typed values ------------------------------------------------------------------------------

uint8_t CKx2Archive::ReadU8() {
  uint8_t v = 0;
  return Read(&v, 1) == 1 ? v : 0;
}

uint16_t CKx2Archive::ReadU16() {
  uint16_t v = 0;
  return Read(&v, 2) > 0 ? v : 0;
}

uint32_t CKx2Archive::ReadU32() {
  uint32_t v = 0;
  return Read(&v, 4) > 0 ? v : 0;
}

uint64_t CKx2Archive::ReadU64() {
  uint64_t v = 0;
  return Read(&v, 8) > 0 ? v : 0;
}

double CKx2Archive::ReadDouble() {
  uint64_t bits = ReadU64();
  return std::bit_cast<double>(bits);
}

void CKx2Archive::Read16Bytes(void* out) {
  std::memset(out, 0, 16);
  unsigned char bytes[16] = {};
  if (Read(bytes, 16) > 0) std::memcpy(out, bytes, 16);
}

int CKx2Archive::WriteU8(uint8_t value) { return Write(&value, 1) == 1 ? 1 : 0; }

int CKx2Archive::WriteU16(uint16_t value) { return Write(&value, 2) == 2 ? 1 : 0; }

int CKx2Archive::WriteU32(uint32_t value) { return Write(&value, 4) == 4 ? 1 : 0; }

int CKx2Archive::WriteU64(uint64_t value) { return Write(&value, 8) == 8 ? 1 : 0; }

int CKx2Archive::WriteDouble(double value) { return WriteU64(std::bit_cast<uint64_t>(value)); }

int CKx2Archive::Write16Bytes(const void* value) { return Write(value, 16) == 16 ? 1 : 0; }

namespace {

template <class T>
int Run(CKx2Archive& archive, int32_t n, T value) {
  if (n <= 0) return 1;
  if (archive.IsReading()) {
    int64_t left = static_cast<int64_t>(n) * sizeof(T);
    while (left > 0) {
      const int32_t step = static_cast<int32_t>(std::min<int64_t>(left, INT32_MAX));
      if (archive.Skip(step) < step) break;
      left -= step;
    }
    return 1;
  }
  for (int32_t k = 0; k < n; ++k)
    if (archive.Write(&value, sizeof(T)) != static_cast<int32_t>(sizeof(T))) break;
  return 1;
}

}  // namespace

int CKx2Archive::RunU8(int32_t n, uint8_t value) { return Run(*this, n, value); }

int CKx2Archive::RunU16(int32_t n, uint16_t value) { return Run(*this, n, value); }

int CKx2Archive::RunU32(int32_t n, uint32_t value) { return Run(*this, n, value); }

int CKx2Archive::WriteString(const char16_t* text, int32_t maxUnits) {
  int64_t units = 0;
  if (text)
    while (text[units]) ++units;
  if (maxUnits > 0 && units >= maxUnits - 1) units = maxUnits - 1;
  // The count is 16 bits wide: a longer text would be stored as a wrong count.
  if (units > kMaxStringUnits) return 0;
  if (!WriteU16(static_cast<uint16_t>(units))) return 0;
  if (units == 0) return 1;
  const int32_t bytes = static_cast<int32_t>(units * 2);
  const int32_t written = Write(text, bytes);
  return written > 0 ? written : 0;
}

int32_t CKx2Archive::ReadString(char16_t* out, int32_t capacity) {
  const uint16_t count = ReadU16();
  if (!out || capacity < 1) {
    RunU16(count, 0);
    return count;
  }
  const int32_t keep = std::min<int32_t>(count, capacity - 1);
  std::memset(out, 0, sizeof(char16_t) * (keep + 1));
  if (keep > 0) Read(out, keep * 2);
  out[keep] = 0;
  RunU16(count - keep, 0);
  return count;
}

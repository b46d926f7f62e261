// Records on top of the typed archive: a header word (tag, level, size) and a body.
#include <plastrum/Kx2Archive.h>

#include <plastrum/Kx2Failure.h>
#include <plastrum/Kx2Heap.h>

#include <algorithm>
#include <cstring>

#include <basalt/error.h>

namespace {

constexpr uint32_t kTagMask = 0x3FF;
constexpr uint32_t kLevelMask = 0x3FF;
constexpr uint32_t kLongForm = 0xFFF;  // size field of a header followed by a u32 size
constexpr uint32_t kLongFormHeader = kLongForm << 20;
constexpr uint32_t kErrorWrongTag = 6;
constexpr uint16_t kPending = 0x0001;

}  // namespace

CKx2DataBlock::CKx2DataBlock()
    : body_(nullptr),
      bodyCapacity_(0),
      tag_(0),
      recordLevel_(0xFFFF),
      size_(0),
      start_(-1),
      level_(0),
      depth_(0),
      flags_(0),
      context_(nullptr),
      spare_(0) {}

CKx2DataBlock::~CKx2DataBlock() {
  Reset();
  Kx2Heap::Free(body_);
}

void CKx2DataBlock::EndOpenRecord() {
  if (depth_ != 0 && io_) EndRecord();
  depth_ = 0;
  size_ = 0;
}

void CKx2DataBlock::Reset() {
  // A reset always completes: the unread rest of a record need not be readable.
  try {
    EndOpenRecord();
  } catch (...) {
    depth_ = 0;
    size_ = 0;
  }
  flags_ &= ~kPending;
  level_ = 0;
  CKx2Archive::Reset();
}

int64_t CKx2DataBlock::Remaining() const {
  if (size_ == 0) return 0;
  return static_cast<int64_t>(start_) + static_cast<uint32_t>(size_) - position_;
}

int32_t CKx2DataBlock::Read(void* buffer, int32_t n) {
  if (n <= 0) return 0;
  if (size_ == 0) {
    std::memset(buffer, 0, static_cast<size_t>(n));
    return 0;
  }
  const int64_t remaining = std::max<int64_t>(Remaining(), 0);
  if (remaining < n) {
    // A shorter record from an older writer: the fields it lacks read as zeros.
    std::memset(static_cast<unsigned char*>(buffer) + remaining, 0, static_cast<size_t>(n - remaining));
    n = static_cast<int32_t>(remaining);
  }
  return BaseRead(buffer, n);
}

int32_t CKx2DataBlock::Skip(int32_t n) {
  if (size_ == 0 || n <= 0) return 0;
  const int64_t take = std::min<int64_t>(n, std::max<int64_t>(Remaining(), 0));
  return BaseSkip(take);
}

int32_t CKx2DataBlock::Write(const void* buffer, int32_t n) {
  if (n <= 0) return 0;
  const int64_t needed = static_cast<int64_t>(size_) + n;
  if (needed > INT32_MAX) {
    Kx2::Fail(Basalt::Error::kErrorOutOfMemory);
    return 0;
  }
  if (bodyCapacity_ < needed) {
    // Geometric growth: a record written value by value must not copy its body each time.
    const int64_t capacity =
        std::min<int64_t>(std::max<int64_t>(needed, static_cast<int64_t>(bodyCapacity_) * 2), INT32_MAX);
    auto* grown = static_cast<unsigned char*>(Kx2Heap::Reallocate(body_, static_cast<size_t>(capacity)));
    if (!grown) {
      Kx2::Fail(Basalt::Error::kErrorOutOfMemory);
      return 0;
    }
    body_ = grown;
    bodyCapacity_ = static_cast<int32_t>(capacity);
  }
  std::memcpy(body_ + size_, buffer, static_cast<size_t>(n));
  size_ += n;
  return n;
}

int CKx2DataBlock::AppendBody(const void* buffer, int32_t n) { return Write(buffer, n) == n ? 1 : 0; }

int CKx2DataBlock::BeginRecord(uint16_t tag) {
  depth_ = 1;
  tag_ = tag;
  recordLevel_ = static_cast<uint16_t>(level_);
  size_ = 0;
  return 1;
}

bool CKx2DataBlock::ReadHeader() {
  uint32_t word = 0;
  const int32_t got = ReadRawWord(&word);
  if (got < 0) return false;
  pendingAtEnd_ = got == 0;
  pendingTag_ = static_cast<uint16_t>(word & kTagMask);
  pendingLevel_ = static_cast<uint16_t>((word >> 10) & kLevelMask);
  pendingSize_ = word >> 20;
  if (word >= kLongFormHeader) {
    uint32_t size = 0;
    if (ReadRawWord(&size) < 0) return false;
    pendingSize_ = size;
  }
  start_ = position_;
  return true;
}

uint16_t CKx2DataBlock::OpenRecord(uint16_t expectedTag) {
  if (!(flags_ & kPending) && !ReadHeader()) return 0;
  flags_ &= ~kPending;
  if (expectedTag != 0 && expectedTag != pendingTag_) {
    // Left pending, so that the caller can still skip the record it did not expect.
    flags_ |= kPending;
    Kx2::Fail(kErrorWrongTag);
    return 0;
  }
  tag_ = pendingTag_;
  recordLevel_ = pendingLevel_;
  size_ = static_cast<int32_t>(pendingSize_);
  ++depth_;
  level_ = pendingLevel_;
  return tag_;
}

uint16_t CKx2DataBlock::PeekRecord() {
  if (flags_ & kPending) return pendingTag_;
  try {
    if (!ReadHeader()) return 0;
  } catch (uint32_t) {
    if (Basalt::Error::BaseError::_GetError() != Basalt::Error::kErrorEndOfData) throw;
    Basalt::Error::BaseError::_ClearError();
    return 0;
  }
  flags_ |= kPending;
  return pendingTag_;
}

int CKx2DataBlock::EndRecord() {
  int result = 1;
  if (IsReading()) {
    if (size_ != 0) {
      int64_t rest = Remaining();
      while (rest > 0 && result == 1) {
        const int32_t step = static_cast<int32_t>(std::min<int64_t>(rest, INT32_MAX));
        const int32_t skipped = BaseSkip(step);
        if (skipped < 0)
          result = -1;
        else if (skipped < step)
          result = 0;  // the data ended inside the record
        rest -= step;
      }
    }
  } else if (depth_ != 0) {
    const uint32_t size = static_cast<uint32_t>(size_);
    const uint32_t header =
        (tag_ & kTagMask) | ((static_cast<uint32_t>(recordLevel_) << 10) & 0xFFC00) | (std::min(size, kLongForm) << 20);
    if (!WriteRawU32(header) || (size >= kLongForm && !WriteRawU32(size)))
      result = 0;
    else if (size != 0)
      result = BaseWrite(body_, size_) == size_ ? 1 : 0;
    tag_ = 0;
  }
  size_ = 0;
  depth_ = 0;
  return result;
}

uint16_t CKx2DataBlock::SkipRecord() {
  const uint16_t tag = OpenRecord(0);
  if (tag == 0 && pendingAtEnd_) return 0;
  const uint16_t level = recordLevel_;
  EndRecord();
  for (;;) {
    PeekRecord();
    if (!(flags_ & kPending) || pendingAtEnd_ || pendingLevel_ <= level) break;
    OpenRecord(0);
    EndRecord();
  }
  return tag;
}

int CKx2DataBlock::HasBytesLeft(int32_t n) const { return size_ != 0 && Remaining() >= n ? 1 : 0; }

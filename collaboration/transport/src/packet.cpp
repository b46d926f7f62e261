// Building and reading collaboration packets over ACE message blocks.
#include <tendril/packet.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

namespace TDRL {

namespace {

constexpr size_t kArgumentOffset = 4;
constexpr size_t kLengthOffset = 8;
constexpr size_t kHeader = kPacketHeaderSize;
constexpr size_t kRoomNameBytes = 260;
constexpr size_t kUserNameUnits = 260;

bool LengthAllowed(int32_t length) { return length >= 0 && length <= kMaxPacketBody; }

// A message block of exactly size bytes, or null with errno ENOMEM.
ACE_Message_Block* NewBlock(size_t size) {
  ACE_Message_Block* block = nullptr;
  try {
    block = new ACE_Message_Block(size);
  } catch (const std::bad_alloc&) {
    block = nullptr;
  }
  if (block && (!block->data_block() || !block->base() || block->size() < size)) {
    block->release();
    block = nullptr;
  }
  if (!block) errno = ENOMEM;
  return block;
}

}  // namespace

std::recursive_mutex& PacketLock::Get() {
  static std::recursive_mutex lock;
  return lock;
}

std::u16string WideText::ToString() const {
  std::u16string text(units, u'\0');
  for (size_t i = 0; i < units; ++i) text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return text;
}

bool WideText::Equals(std::u16string_view text) const {
  if (text.size() != units) return false;
  for (size_t i = 0; i < units; ++i) {
    if (text[i] != static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8)) return false;
  }
  return true;
}

Packet::Packet(Packet&& other) noexcept
    : block_(std::exchange(other.block_, nullptr)),
      write_(std::exchange(other.write_, 0)),
      read_(std::exchange(other.read_, 0)),
      total_(std::exchange(other.total_, 0)),
      failed_(std::exchange(other.failed_, false)) {}

Packet& Packet::operator=(Packet&& other) noexcept {
  if (this != &other) {
    if (block_) block_->release();
    block_ = std::exchange(other.block_, nullptr);
    write_ = std::exchange(other.write_, 0);
    read_ = std::exchange(other.read_, 0);
    total_ = std::exchange(other.total_, 0);
    failed_ = std::exchange(other.failed_, false);
  }
  return *this;
}

Packet::~Packet() {
  if (block_) block_->release();
}

ACE_Message_Block* Packet::ReleaseBlock() {
  write_ = read_ = total_ = 0;
  failed_ = false;
  return std::exchange(block_, nullptr);
}

void Packet::StoreHeaderField(size_t offset, int32_t value) {
  if (block_) StoreInt32LE(Base() + offset, value);
}

void Packet::SetEditKind(int32_t kind) {
  PacketLockScope lock(PacketLock::Get());
  StoreHeaderField(kArgumentOffset, kind);
}

void Packet::ResetPositions() {
  PacketLockScope lock(PacketLock::Get());
  write_ = read_ = kHeader;
}

ACE_Message_Block* CreatePacket(int32_t type, int32_t argument, const void* body, int32_t length, Packet& packet) {
  PacketLockScope lock(PacketLock::Get());
  if (!LengthAllowed(length)) return nullptr;
  ACE_Message_Block* block = NewBlock(kHeader + static_cast<size_t>(length));
  if (!block) return nullptr;
  packet.Adopt(block, type, argument, length);
  if (body && length > 0) {
    std::memcpy(packet.Base() + kHeader, body, static_cast<size_t>(length));
    // The write pointer marks the bytes that are there, so that a queued copy sends its body.
    block->wr_ptr(block->base() + kHeader + length);
    packet.write_ = packet.total_;
  }
  return block;
}

unsigned char* Packet::Reserve(size_t count) {
  if (!block_ || failed_) return nullptr;
  const size_t end = write_ + count;
  if (count > static_cast<size_t>(kMaxPacketSize) || end > static_cast<size_t>(kMaxPacketSize)) {
    // The peer would refuse the packet; so does its sender.
    failed_ = true;
    return nullptr;
  }
  if (end > block_->size()) {
    if (end > block_->capacity()) {
      // Grow geometrically so that a body built from many small fields is not copied over
      // and over; the block's size still says exactly how many bytes the packet holds.
      const size_t grown = std::min(std::max(end, 2 * block_->capacity()), static_cast<size_t>(kMaxPacketSize));
      if (block_->size(grown) != 0) {
        failed_ = true;
        errno = ENOMEM;
        return nullptr;
      }
    }
    if (block_->size(end) != 0) {
      failed_ = true;
      return nullptr;
    }
  }
  return Base() + write_;
}

void Packet::Appended(size_t count) {
  write_ += count;
  total_ = std::max(total_, write_);
  if (static_cast<size_t>(block_->wr_ptr() - block_->base()) < write_) block_->wr_ptr(block_->base() + write_);
}

Packet& Packet::AppendBytes(size_t count, const void* bytes) {
  PacketLockScope lock(PacketLock::Get());
  if (unsigned char* at = Reserve(count)) {
    if (count) std::memcpy(at, bytes, count);
    Appended(count);
    WriteLengthField();
  }
  return *this;
}

Packet& Packet::AppendWString(const char16_t* text, size_t units) {
  PacketLockScope lock(PacketLock::Get());
  if (units == 0) units = 1;
  if (units > static_cast<size_t>(kMaxPacketSize) / 2) {
    failed_ = true;
    return *this;
  }
  if (unsigned char* at = Reserve(2 * units)) {
    for (size_t i = 0; i + 1 < units; ++i) {
      const char16_t unit = text[i];
      at[2 * i] = static_cast<unsigned char>(unit);
      at[2 * i + 1] = static_cast<unsigned char>(unit >> 8);
    }
    at[2 * units - 2] = at[2 * units - 1] = 0;
    Appended(2 * units);
    WriteLengthField();
  }
  return *this;
}

Packet& Packet::AppendByte(uint8_t value) { return AppendBytes(1, &value); }

Packet& Packet::AppendInt32(int32_t value) {
  unsigned char bytes[4];
  StoreInt32LE(bytes, value);
  return AppendBytes(sizeof bytes, bytes);
}

Packet& Packet::AppendInt32Pair(const Int32Pair& pair) {
  unsigned char bytes[8];
  StoreInt32LE(bytes, pair.first);
  StoreInt32LE(bytes + 4, pair.second);
  return AppendBytes(sizeof bytes, bytes);
}

Packet& Packet::AppendInt32Triple(int32_t a, int32_t b, int32_t c) {
  unsigned char bytes[12];
  StoreInt32LE(bytes, a);
  StoreInt32LE(bytes + 4, b);
  StoreInt32LE(bytes + 8, c);
  return AppendBytes(sizeof bytes, bytes);
}

Packet& Packet::AppendMemberRecord(const MemberRecord& record) {
  if (unsigned char* at = Reserve(kMemberRecordSize)) {
    std::memset(at, 0, kMemberRecordSize);
    // The names always keep a terminator, so that no peer has to refuse the record.
    std::memcpy(at, record.roomName, kRoomNameBytes - 1);
    unsigned char* user = at + kRoomNameBytes;
    for (size_t i = 0; i + 1 < kUserNameUnits; ++i) {
      user[2 * i] = static_cast<unsigned char>(record.userName[i]);
      user[2 * i + 1] = static_cast<unsigned char>(record.userName[i] >> 8);
    }
    StoreInt32LE(at + 780, record.value);
    StoreInt32LE(at + 784, record.payloadLength);
    for (int i = 0; i < 4; ++i) StoreInt32LE(at + 788 + 4 * i, record.itemSelector.values[i]);
    Appended(kMemberRecordSize);
  }
  return *this;
}

Packet& Packet::AppendInt32Quad(const Int32Quad& quad) {
  if (unsigned char* at = Reserve(16)) {
    for (int i = 0; i < 4; ++i) StoreInt32LE(at + 4 * i, quad.values[i]);
    Appended(16);
  }
  return *this;
}

void Packet::WriteLengthField() {
  if (block_ && !failed_) StoreHeaderField(kLengthOffset, static_cast<int32_t>(total_ - kHeader));
}

bool Packet::ReadBytes(size_t count, const unsigned char*& bytes) {
  PacketLockScope lock(PacketLock::Get());
  if (!block_ || read_ < kHeader || count > Remaining()) return false;
  bytes = Base() + read_;
  read_ += count;
  return true;
}

bool Packet::ReadInt32(int32_t& value) {
  const unsigned char* p;
  if (!ReadBytes(4, p)) return false;
  value = LoadInt32LE(p);
  return true;
}

bool Packet::ReadByte(uint8_t& value) {
  const unsigned char* p;
  if (!ReadBytes(1, p)) return false;
  value = *p;
  return true;
}

bool Packet::ReadInt32Pair(Int32Pair& pair) {
  const unsigned char* p;
  if (!ReadBytes(8, p)) return false;
  pair.first = LoadInt32LE(p);
  pair.second = LoadInt32LE(p + 4);
  return true;
}

bool Packet::ReadInt32Quad(Int32Quad& quad) {
  const unsigned char* p;
  if (!ReadBytes(16, p)) return false;
  for (int i = 0; i < 4; ++i) quad.values[i] = LoadInt32LE(p + 4 * i);
  return true;
}

bool Packet::ReadNarrowString(std::string_view& text) {
  PacketLockScope lock(PacketLock::Get());
  if (!block_ || read_ < kHeader) return false;
  const auto* start = reinterpret_cast<const char*>(Base() + read_);
  const auto* end = static_cast<const char*>(std::memchr(start, 0, Remaining()));
  if (!end) return false;
  text = std::string_view(start, static_cast<size_t>(end - start));
  read_ += text.size() + 1;
  return true;
}

bool Packet::ReadWideString(WideText& text) {
  PacketLockScope lock(PacketLock::Get());
  if (!block_ || read_ < kHeader) return false;
  const unsigned char* start = Base() + read_;
  const size_t units = Remaining() / 2;
  for (size_t i = 0; i < units; ++i) {
    if (start[2 * i] == 0 && start[2 * i + 1] == 0) {
      text.bytes = start;
      text.units = i;
      read_ += 2 * (i + 1);
      return true;
    }
  }
  return false;
}

bool Packet::ReadMemberRecord(MemberRecord& record) {
  PacketLockScope lock(PacketLock::Get());
  if (!block_ || read_ < kHeader || Remaining() < kMemberRecordSize) return false;
  const unsigned char* p = Base() + read_;
  size_t userUnits = 0;
  if (!MemberRecordNamesTerminated(p, userUnits)) return false;
  const unsigned char* user = p + kRoomNameBytes;

  std::memcpy(record.roomName, p, kRoomNameBytes);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(record.userName, user, sizeof record.userName);
  } else {
    for (size_t i = 0; i < kUserNameUnits; ++i) {
      record.userName[i] = static_cast<char16_t>(user[2 * i] | user[2 * i + 1] << 8);
    }
  }
  record.value = LoadInt32LE(p + 780);
  record.payloadLength = LoadInt32LE(p + 784);
  for (int i = 0; i < 4; ++i) record.itemSelector.values[i] = LoadInt32LE(p + 788 + 4 * i);
  read_ += kMemberRecordSize;
  return true;
}

}  // namespace TDRL

// The collaboration packet: a 12-byte little-endian header (type, argument, body length)
// followed by the body, held in an ACE message block while it is built, queued or read.
// Every builder and reader runs under the process-wide recursive PacketLock, because the
// host's UI thread, the reactor thread and the chat transport all make and read packets.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include <ace/Message_Block.h>

#include <tendril/export.h>
#include <tendril/packet_fields.h>

namespace TDRL {

inline constexpr int32_t kPacketHeaderSize = 12;
// Header plus body; a header announcing more, or a body of negative length, is refused.
inline constexpr int32_t kMaxPacketSize = 0x100800;
inline constexpr int32_t kMaxPacketBody = kMaxPacketSize - kPacketHeaderSize;

// The process-wide recursive lock every packet builder and reader runs under. A room's own
// lock and a link's handler lock are taken before it, never after.
class TENDRIL_API PacketLock {
 public:
  static std::recursive_mutex& Get();
};
using PacketLockScope = std::lock_guard<std::recursive_mutex>;

// A wide string read in place. The body has no alignment, so the text is kept as its bytes
// and copied out (or compared) unit by unit.
struct TENDRIL_API WideText {
  const unsigned char* bytes = nullptr;
  size_t units = 0;  // without the terminator

  std::u16string ToString() const;
  bool Equals(std::u16string_view text) const;
};

class TENDRIL_API Packet {
 public:
  Packet() = default;
  Packet(Packet&& other) noexcept;
  Packet& operator=(Packet&& other) noexcept;
  Packet(const Packet&) = delete;
  Packet& operator=(const Packet&) = delete;
  // Releases the block unless it was handed over.
  ~Packet();

  ACE_Message_Block* Block() const { return block_; }
  // Hands the block over (to a send queue or an item receiver); the packet is then empty.
  ACE_Message_Block* ReleaseBlock();
  // A packet with a block whose appends all fitted. An append that would pass the size limit
  // or could not grow the block leaves the packet unusable: nothing is sent from it.
  bool IsUsable() const { return block_ != nullptr && !failed_; }

  int32_t Type() const { return HeaderField(0); }
  int32_t Argument() const { return HeaderField(4); }
  int32_t BodyLength() const { return HeaderField(8); }  // as the header says
  size_t TotalSize() const { return total_; }
  // The edit kind of type 24 travels in the header's argument field.
  void SetEditKind(int32_t kind);
  int32_t EditKind() const { return Argument(); }

  // The header and the room reserved for the body, for filling a body received or decoded
  // in place; BodyFilled then says that the whole body is there.
  unsigned char* MutableData() { return block_ ? Base() : nullptr; }
  void BodyFilled() {
    if (!block_) return;
    write_ = total_;
    block_->wr_ptr(block_->base() + total_);
  }

  // The bytes from the header's start to the block's write pointer (header and body so far).
  const unsigned char* Data() const { return block_ ? Base() : nullptr; }
  size_t DataSize() const { return block_ ? static_cast<size_t>(block_->wr_ptr() - block_->base()) : 0; }
  size_t ReadPosition() const { return read_; }
  size_t WritePosition() const { return write_; }
  // Both positions back to the first body byte, as a sender does before queuing.
  void ResetPositions();
  // The read position back to the first body byte, so a receiver reads the record again.
  void RewindRead() { read_ = kPacketHeaderSize; }
  size_t Remaining() const { return read_ < total_ ? total_ - read_ : 0; }

  Packet& AppendBytes(size_t count, const void* bytes);
  // units counts the terminator; the last unit written is always a zero unit.
  Packet& AppendWString(const char16_t* text, size_t units);
  Packet& AppendByte(uint8_t value);
  Packet& AppendInt32(int32_t value);
  Packet& AppendInt32Pair(const Int32Pair& pair);
  Packet& AppendInt32Triple(int32_t a, int32_t b, int32_t c);
  // These two neither take the lock nor rewrite the length field: the caller holds
  // PacketLock, appends, then calls WriteLengthField.
  Packet& AppendMemberRecord(const MemberRecord& record);
  Packet& AppendInt32Quad(const Int32Quad& quad);
  void WriteLengthField();

  // Reads check the room left in the body: a field that does not fit, a string without its
  // terminator before the body's end or a record whose names are not terminated fails and
  // leaves the read position where it was.
  bool ReadMemberRecord(MemberRecord& record);
  bool ReadInt32(int32_t& value);
  bool ReadByte(uint8_t& value);
  bool ReadInt32Pair(Int32Pair& pair);
  bool ReadInt32Quad(Int32Quad& quad);
  bool ReadNarrowString(std::string_view& text);
  bool ReadWideString(WideText& text);
  // count raw bytes in place (an item's data behind its record).
  bool ReadBytes(size_t count, const unsigned char*& bytes);

 private:
  friend ACE_Message_Block* CreatePacket(int32_t, int32_t, const void*, int32_t, Packet&);
  friend class FrameAssembler;

  // Grows the block for count more bytes and answers where they go; null after failing.
  unsigned char* Reserve(size_t count);
  void Appended(size_t count);
  void StoreHeaderField(size_t offset, int32_t value);
  int32_t HeaderField(size_t offset) const { return block_ ? LoadInt32LE(Base() + offset) : 0; }
  unsigned char* Base() const { return reinterpret_cast<unsigned char*>(block_->base()); }
  // Makes this packet's header in its own block when that block is big enough; answers false
  // when a new block is needed. Whoever keeps a packet's bytes takes the packet or its block,
  // so a block still here is no one else's.
  bool ReuseBlock(int32_t type, int32_t argument, int32_t length) {
    const size_t size = kPacketHeaderSize + static_cast<size_t>(length);
    if (!block_ || block_->capacity() < size) return false;
    if (block_->size() != size && block_->size(size) != 0) return false;
    Adopt(block_, type, argument, length);
    return true;
  }
  // A whole received frame into this packet's own block when it already has the frame's size:
  // the stream's common case of one packet after another of one size.
  bool RefillSameSize(const unsigned char* frame, int32_t length) {
    const size_t size = kPacketHeaderSize + static_cast<size_t>(length);
    if (!block_ || block_->size() != size) return false;
    std::memcpy(Base(), frame, size);
    block_->rd_ptr(block_->base());
    block_->wr_ptr(block_->base() + size);
    write_ = total_ = size;
    read_ = kPacketHeaderSize;
    failed_ = false;
    return true;
  }
  void Adopt(ACE_Message_Block* block, int32_t type, int32_t argument, int32_t length) {
    if (block_ && block_ != block) block_->release();
    block_ = block;
    unsigned char* base = Base();
    StoreInt32LE(base, type);
    StoreInt32LE(base + 4, argument);
    StoreInt32LE(base + 8, length);
    block_->rd_ptr(block_->base());
    block_->wr_ptr(block_->base() + kPacketHeaderSize);
    write_ = read_ = kPacketHeaderSize;
    total_ = kPacketHeaderSize + static_cast<size_t>(length);
    failed_ = false;
  }

  ACE_Message_Block* block_ = nullptr;
  size_t write_ = 0;
  size_t read_ = 0;
  size_t total_ = 0;
  bool failed_ = false;
};

// Makes the packet's block of 12 + length bytes, writes the header and copies length bytes of
// body when one is given (the write pointer then stays behind the header; readers use the
// total size). Answers no block, the packet untouched, when length is negative or the packet
// would pass the size limit; and no block with errno ENOMEM when memory runs out. The lock is
// free again on every path.
TENDRIL_API ACE_Message_Block* CreatePacket(int32_t type, int32_t argument, const void* body, int32_t length,
                                            Packet& packet);

}  // namespace TDRL

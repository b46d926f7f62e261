// Cuts a byte stream from the collaboration server into packets: the 12-byte header, then
// the body received straight into the packet's block, the reading state kept between calls
// so that bytes may arrive in any splits. The link's input handler drives it with the
// receive buffer it names; tests and fuzzers feed it whole buffers.
#pragma once

#include <cstddef>
#include <cstdint>

#include <tendril/export.h>
#include <tendril/packet.h>
#include <tendril/packet_types.h>

namespace TDRL {

class TENDRIL_API FrameAssembler {
 public:
  enum class Status {
    kNeedMore,  // every byte given was taken; the packet is not complete yet
    kPacket,    // a packet is complete: Current() holds it until the next call
    kRefused,   // a header with a type outside 1..47 or a length the limit refuses; the link ends
  };

  FrameAssembler() = default;
  FrameAssembler(const FrameAssembler&) = delete;
  FrameAssembler& operator=(const FrameAssembler&) = delete;

  // Where the next received bytes go and how many the current step wants at most: the rest of
  // the header, or the rest of the body inside the packet's block.
  unsigned char* ReceiveBuffer();
  size_t ReceiveWanted() const;
  // count bytes arrived in ReceiveBuffer().
  Status Commit(size_t count);

  // Takes bytes from [data, end), advancing data; stops after each complete packet.
  Status Next(const unsigned char*& data, const unsigned char* end);

  // The complete packet. The consumer may take it (move it out, or take its block); when it
  // leaves it, the block is used again for the next packet that fits.
  Packet& Current() { return packet_; }

  // Feeds a whole buffer, calling sink(Packet&) for every complete packet; answers kRefused
  // at the first refused header, else kNeedMore.
  template <class Sink>
  Status Feed(const void* data, size_t size, Sink&& sink) {
    const auto* p = static_cast<const unsigned char*>(data);
    const unsigned char* end = p + size;
    for (;;) {
      // Whole frames while nothing is in progress go straight into the packet's own block
      // when it has their size; anything else takes the general way.
      while (!InProgress() && !refused_ && end - p >= kPacketHeaderSize) {
        const int32_t length = LoadInt32LE(p + 8);
        if (!AcceptableHeader(LoadInt32LE(p), length) || end - p - kPacketHeaderSize < length ||
            !packet_.RefillSameSize(p, length)) {
          break;
        }
        p += kPacketHeaderSize + length;
        sink(packet_);
      }
      const Status status = Next(p, end);
      if (status != Status::kPacket) return status;
      sink(packet_);
    }
  }

  static bool AcceptableHeader(int32_t type, int32_t length) {
    return IsReceivableType(type) && length >= 0 && length <= kMaxPacketBody;
  }

  bool InProgress() const { return headerHave_ > 0 || bodyMissing_ > 0; }
  bool Refused() const { return refused_; }
  // Forgets the packet in progress and a refusal (a new connection).
  void Reset();

 private:
  Status StartFrame(const unsigned char* header);
  Status BodyReceived(size_t count);

  unsigned char header_[kPacketHeaderSize] = {};
  size_t headerHave_ = 0;
  size_t bodyMissing_ = 0;
  size_t bodyArrived_ = 0;
  unsigned char* body_ = nullptr;  // the body's room inside the packet's block
  bool refused_ = false;
  Packet packet_;
};

}  // namespace TDRL

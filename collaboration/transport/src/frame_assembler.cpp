#include <tendril/frame_assembler.h>

#include <algorithm>
#include <cstring>

namespace TDRL {

void FrameAssembler::Reset() {
  headerHave_ = bodyMissing_ = bodyArrived_ = 0;
  refused_ = false;
  packet_ = Packet();
}

unsigned char* FrameAssembler::ReceiveBuffer() {
  if (refused_) return nullptr;
  if (bodyMissing_ > 0) {
    return body_ + bodyArrived_;
  }
  return header_ + headerHave_;
}

size_t FrameAssembler::ReceiveWanted() const {
  if (refused_) return 0;
  if (bodyMissing_ > 0) return bodyMissing_;
  return kPacketHeaderSize - headerHave_;
}

FrameAssembler::Status FrameAssembler::StartFrame(const unsigned char* header) {
  headerHave_ = 0;
  const int32_t type = LoadInt32LE(header);
  const int32_t argument = LoadInt32LE(header + 4);
  const int32_t length = LoadInt32LE(header + 8);
  if (!AcceptableHeader(type, length)) {
    refused_ = true;
    packet_ = Packet();
    return Status::kRefused;
  }
  // The reading thread alone holds the packet in progress, so a block of its own is reused
  // without the process-wide lock; a new one is made as every sender makes it.
  if (!packet_.ReuseBlock(type, argument, length) && !CreatePacket(type, argument, nullptr, length, packet_)) {
    refused_ = true;
    packet_ = Packet();
    return Status::kRefused;
  }
  body_ = packet_.MutableData() + kPacketHeaderSize;
  bodyArrived_ = 0;
  bodyMissing_ = static_cast<size_t>(length);
  // An empty body is a complete packet (type 14 carries none).
  return bodyMissing_ == 0 ? Status::kPacket : Status::kNeedMore;
}

FrameAssembler::Status FrameAssembler::BodyReceived(size_t count) {
  bodyMissing_ -= count;
  bodyArrived_ += count;
  if (bodyMissing_ > 0) return Status::kNeedMore;
  packet_.BodyFilled();
  return Status::kPacket;
}

FrameAssembler::Status FrameAssembler::Commit(size_t count) {
  if (refused_) return Status::kRefused;
  if (count == 0) return Status::kNeedMore;
  if (bodyMissing_ > 0) return BodyReceived(count);
  headerHave_ += count;
  if (headerHave_ < kPacketHeaderSize) return Status::kNeedMore;
  return StartFrame(header_);
}

FrameAssembler::Status FrameAssembler::Next(const unsigned char*& data, const unsigned char* end) {
  if (refused_) return Status::kRefused;
  while (data < end) {
    if (bodyMissing_ > 0) {
      const size_t take = std::min(static_cast<size_t>(end - data), bodyMissing_);
      std::memcpy(body_ + bodyArrived_, data, take);
      data += take;
      if (BodyReceived(take) == Status::kPacket) return Status::kPacket;
      continue;
    }
    const unsigned char* header;
    if (headerHave_ == 0 && end - data >= kPacketHeaderSize) {
      // A whole header in the input is read where it lies.
      header = data;
      data += kPacketHeaderSize;
    } else {
      const size_t take = std::min(static_cast<size_t>(end - data), kPacketHeaderSize - headerHave_);
      std::memcpy(header_ + headerHave_, data, take);
      data += take;
      headerHave_ += take;
      if (headerHave_ < kPacketHeaderSize) return Status::kNeedMore;
      header = header_;
    }
    const Status status = StartFrame(header);
    if (status != Status::kNeedMore) return status;
    const size_t length = bodyMissing_;
    if (static_cast<size_t>(end - data) >= length) {
      // The whole body is in the input: one copy, no partial bookkeeping.
      std::memcpy(body_, data, length);
      data += length;
      bodyMissing_ = 0;
      packet_.BodyFilled();
      return Status::kPacket;
    }
  }
  return Status::kNeedMore;
}

}  // namespace TDRL

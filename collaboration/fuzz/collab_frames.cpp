// A stream from the collaboration server, cut where the input says, through the frame
// assembler; each packet read with the field readers of its type.
//
// Input: one byte n (cuts = n % 16), then n cut sizes of two bytes each, then the stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <tendril/frame_assembler.h>

#include "read_fields.h"

namespace {

void CheckPacket(TDRL::Packet& packet) {
  if (!TDRL::IsReceivableType(packet.Type()) || packet.BodyLength() < 0 ||
      packet.DataSize() != static_cast<size_t>(packet.BodyLength()) + 12 || packet.DataSize() != packet.TotalSize()) {
    std::abort();
  }
  fuzzing::ReadFieldsOfType(packet);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t cuts = data[0] % 16;
  if (size < 1 + 2 * cuts) return 0;
  std::vector<size_t> pieces;
  for (size_t i = 0; i < cuts; ++i) pieces.push_back(1 + (data[1 + 2 * i] | data[2 + 2 * i] << 8));
  const uint8_t* stream = data + 1 + 2 * cuts;
  const size_t length = size - 1 - 2 * cuts;

  // Once through Feed in the chosen pieces, once through the receive buffer as a link reads.
  TDRL::FrameAssembler fed, received;
  size_t at = 0, cut = 0;
  bool fedRefused = false, receivedRefused = false;
  size_t fedPackets = 0, receivedPackets = 0;
  while (at < length) {
    const size_t piece = std::min(length - at, pieces.empty() ? length : pieces[cut++ % pieces.size()]);
    if (!fedRefused) {
      fedRefused = fed.Feed(stream + at, piece, [&](TDRL::Packet& p) {
        ++fedPackets;
        CheckPacket(p);
      }) == TDRL::FrameAssembler::Status::kRefused;
    }
    size_t left = piece;
    const uint8_t* from = stream + at;
    while (left > 0 && !receivedRefused) {
      const size_t take = std::min(left, received.ReceiveWanted());
      std::memcpy(received.ReceiveBuffer(), from, take);
      from += take;
      left -= take;
      const auto status = received.Commit(take);
      if (status == TDRL::FrameAssembler::Status::kPacket) {
        ++receivedPackets;
        CheckPacket(received.Current());
      } else if (status == TDRL::FrameAssembler::Status::kRefused) {
        receivedRefused = true;
      }
    }
    at += piece;
  }
  // Both ways cut the same stream into the same packets.
  if (fedPackets != receivedPackets || fedRefused != receivedRefused) std::abort();
  return 0;
}

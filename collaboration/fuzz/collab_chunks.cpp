// Group-chat bodies from three senders into the reassembly; every packet that comes out is
// read with the field readers of its type.
//
// Input: lines; the first byte of a line picks the sender (byte % 4: three senders, or 3 to
// let the owner drop stale entries), the rest is the message body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <tendril/chunk_codec.h>

#include "read_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kSenders[] = {"ann", "bob", "carl"};
  TDRL::ChunkReassembler reassembler;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  uint32_t tick = 0;
  while (!input.empty()) {
    const size_t end = input.find('\n');
    std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    if (line.empty()) continue;
    const unsigned selector = static_cast<unsigned char>(line[0]) % 4;
    line.remove_prefix(1);
    tick += 100;
    if (selector == 3) {
      reassembler.DropStale(tick, 250);
      if (!line.empty()) reassembler.DropSender(kSenders[static_cast<unsigned char>(line[0]) % 3]);
      continue;
    }
    TDRL::Packet packet;
    if (reassembler.Add(kSenders[selector], line, tick, packet) == TDRL::ChunkReassembler::Result::kComplete) {
      if (!TDRL::IsReceivableType(packet.Type()) ||
          packet.DataSize() != static_cast<size_t>(packet.BodyLength()) + 12) {
        std::abort();
      }
      fuzzing::ReadFieldsOfType(packet);
    }
  }
  if (reassembler.PendingEntries() > size) std::abort();
  return 0;
}

// Private: the system's network links as one rtnetlink dump reports them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "win/types.h"

namespace kx2::net {

struct Link {
  int index = 0;
  unsigned short hardwareType = 0;  // ARPHRD_*
  unsigned flags = 0;               // IFF_*
  std::string name;
  std::string kind;              // the driver kind of a link made through rtnetlink ("veth", "ifb"...), else empty
  std::string parentBus;         // the bus of the device under the link ("pci", "virtio"...), else empty
  std::vector<uint8_t> address;  // the link-layer address, empty when the link has none
  uint32_t mtu = 0;
  // The 32-bit counters, which wrap.
  uint32_t rxBytes = 0, txBytes = 0, rxPackets = 0, txPackets = 0, rxErrors = 0, txErrors = 0;
};

// Every link in the order the system lists them (the counters left at 0 unless asked for);
// nullopt when the system does not answer or answers something that is not a well-formed
// link dump.
std::optional<std::vector<Link>> DumpLinks(bool counters);

// Takes the links of one received batch of the answer to request `seq` into `links`: true
// once the answer is complete, with *failed set when it is an error or malformed (messages
// of other requests are skipped). Exported for the fuzz target.
KX2_API bool TakeLinkBatch(const char* batch, size_t size, uint32_t seq, std::vector<Link>* links, bool* failed);

}  // namespace kx2::net

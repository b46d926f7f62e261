// Any bytes read as a batch of a link dump either give links whose names and addresses lie
// inside the batch, or end the dump as failed; nothing reads outside the input.
#include <cstdint>
#include <cstring>
#include <vector>

#include "iphlpapi/LinkDump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The system hands batches over in an aligned buffer.
  std::vector<uint32_t> aligned(size / 4 + 1);
  std::memcpy(aligned.data(), data, size);
  std::vector<kx2::net::Link> links;
  bool failed = false;
  const bool done = kx2::net::TakeLinkBatch(reinterpret_cast<const char*>(aligned.data()), size, 1, &links, &failed);
  if (failed && !done) __builtin_trap();
  for (const auto& link : links)
    if (link.name.empty() || link.name.size() > size || link.address.size() > size || link.kind.size() > size ||
        link.parentBus.size() > size)
      __builtin_trap();
  return 0;
}

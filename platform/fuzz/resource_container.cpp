// Any bytes handed to the resource container reader either parse into entries that can
// be read everywhere they claim, or are refused; nothing reads outside the input.
#include <cstdint>
#include <cstring>
#include <vector>

#include "resource/Container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto c = kx2::rsrc::Container::Parse(std::vector<uint8_t>(data, data + size));
  if (!c) return 0;
  volatile uint32_t sink = 0;
  for (const auto& e : c->Entries()) {
    for (uint32_t i = 0; i < e.size; ++i) sink = sink + e.data[i];
    const auto* again = c->Select(e.type, e.name, 0, 0x0409);
    if (!again || !c->Owns(again)) __builtin_trap();
    // Walk string tables the way LoadStringW does.
    if (e.type.IsNumber() && e.type.id == 6) {
      size_t at = 0;
      for (int k = 0; k < 16 && at + 2 <= e.size; ++k) {
        size_t len = e.data[at] | (e.data[at + 1] << 8);
        at += 2 + 2 * len;
      }
    }
  }
  return 0;
}

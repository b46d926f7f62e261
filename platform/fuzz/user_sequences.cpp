// Fuzzes the window core with byte-coded sequences over a small window tree (the steps are
// in user_sequences_driver.h, shared with the targets of higher layers). After each input
// every window is gone again and nothing was left behind.
#include <cstddef>
#include <cstdint>

#include "user_sequences_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  user_sequences::Play(data, size);
  return 0;
}

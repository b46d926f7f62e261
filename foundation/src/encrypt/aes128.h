// AES-128 (FIPS 197), forward cipher only: CFB mode runs the forward cipher in both
// directions. The key is expanded once; blocks are encrypted with AES-NI when the
// processor has it, else with the portable table-driven cipher.
#pragma once

#include <cstddef>
#include <cstdint>
#include "basalt/export.h"

namespace Basalt::Base::Encrypt {

struct Aes128Schedule {
  alignas(16) uint8_t bytes[176];  // the 11 round keys in memory order (AES-NI)
  uint32_t words[44];              // the same as big-endian words (portable cipher)
};

BASALT_TEST_API void ExpandKey128(const uint8_t key[16], Aes128Schedule& schedule);
BASALT_TEST_API void EncryptBlockPortable(const Aes128Schedule& schedule, const uint8_t in[16], uint8_t out[16]);
// False when the processor lacks AES-NI (the portable cipher is then used).
BASALT_TEST_API bool HasAesNi();
BASALT_TEST_API void EncryptBlockAesNi(const Aes128Schedule& schedule, const uint8_t in[16], uint8_t out[16]);

}  // namespace Basalt::Base::Encrypt

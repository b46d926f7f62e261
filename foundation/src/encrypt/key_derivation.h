// Derivation of the cipher key from a password.
#pragma once

#include <cstddef>
#include <cstdint>
#include "basalt/export.h"

namespace Basalt::Base::Encrypt {

// Stands in for the byte written before the first character when that character has
// a zero byte. It is part of the key derivation: documents encrypted with one seed
// open only with the same seed, so it never changes.
constexpr uint8_t kPasswordSeed = 0x9D;
constexpr size_t kMaxPasswordUnits = 160;

// The password's first 160 UTF-16 units as bytes, high byte first, every zero byte
// replaced by the byte before the unit rotated left by one bit. Returns the count.
BASALT_TEST_API size_t PasswordBytes(const char16_t* password, uint8_t out[2 * kMaxPasswordUnits]);

// SHA-1 of the bytes fed ceil(len / 64) times (nothing for len 0), as 40 upper-case
// hex digits and a terminator.
void DigestText(const uint8_t* bytes, size_t len, char out[41]);

}  // namespace Basalt::Base::Encrypt

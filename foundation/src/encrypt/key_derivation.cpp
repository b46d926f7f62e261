#include "encrypt/key_derivation.h"

#include "encrypt/sha1.h"

namespace Basalt::Base::Encrypt {

size_t PasswordBytes(const char16_t* password, uint8_t out[2 * kMaxPasswordUnits]) {
  size_t n = 0;
  uint8_t before = kPasswordSeed;
  for (; password && password[n] && n < kMaxPasswordUnits; ++n) {
    const uint8_t r = static_cast<uint8_t>((before << 1) | (before >> 7));
    const uint8_t hi = static_cast<uint8_t>(password[n] >> 8);
    const uint8_t lo = static_cast<uint8_t>(password[n]);
    out[2 * n] = hi ? hi : r;
    out[2 * n + 1] = lo ? lo : r;
    before = out[2 * n + 1];
  }
  return 2 * n;
}

void DigestText(const uint8_t* bytes, size_t len, char out[41]) {
  Sha1 sha;
  for (size_t fed = 0; fed < len; fed += 64) sha.Update(bytes, len);
  uint8_t digest[Sha1::kDigestSize];
  sha.Final(digest);
  static const char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < Sha1::kDigestSize; ++i) {
    out[2 * i] = kHex[digest[i] >> 4];
    out[2 * i + 1] = kHex[digest[i] & 15];
  }
  out[40] = 0;
}

}  // namespace Basalt::Base::Encrypt

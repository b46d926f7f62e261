// SHA-1 (FIPS 180-4), streaming; used to derive cipher keys from passwords.
#pragma once

#include <cstddef>
#include <cstdint>
#include "basalt/export.h"

namespace Basalt::Base::Encrypt {

class BASALT_TEST_API Sha1 {
 public:
  static constexpr size_t kDigestSize = 20;

  Sha1();
  void Update(const void* data, size_t len);
  void Final(uint8_t digest[kDigestSize]);

 private:
  void Compress(const uint8_t block[64]);

  uint32_t m_h[5];
  uint8_t m_block[64];
  size_t m_blockLen = 0;
  uint64_t m_totalLen = 0;
};

}  // namespace Basalt::Base::Encrypt

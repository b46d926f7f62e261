// AES-128 in 1-bit cipher feedback (CFB-1, NIST SP 800-38A): for each bit, most
// significant first, the register is encrypted, the top bit of the result is XORed
// into the data bit, and the register shifts left taking in the ciphertext bit. The
// register carries over between calls, so any split of the data gives the same bytes.
#pragma once

#include "encrypt/aes128.h"
#include "basalt/export.h"

#include <cstddef>
#include <cstdint>

namespace Basalt::Base::Encrypt {

class BASALT_TEST_API Cfb1 {
 public:
  // `hardware` false keeps to the portable cipher even where AES-NI is present.
  void Init(const uint8_t key[16], const uint8_t iv[16], bool hardware = true);
  void Encrypt(uint8_t* data, size_t len);
  // Every register of a decryption is known from the ciphertext in advance, so the
  // hardware path runs eight block encryptions side by side.
  void Decrypt(uint8_t* data, size_t len);
  void Wipe();

 private:
  Aes128Schedule m_schedule;
  uint64_t m_hi = 0, m_lo = 0;  // the register as a 128-bit big-endian number
  bool m_hardware = false;
};

}  // namespace Basalt::Base::Encrypt

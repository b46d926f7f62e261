#include "encrypt/cfb1.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Basalt::Base::Encrypt {
namespace {

inline void RegisterBytes(uint64_t hi, uint64_t lo, uint8_t out[16]) {
  for (int i = 0; i < 8; ++i) {
    out[i] = static_cast<uint8_t>(hi >> (56 - 8 * i));
    out[8 + i] = static_cast<uint8_t>(lo >> (56 - 8 * i));
  }
}

// Runs the bits of one byte through the register; `decrypt` chooses whether the data
// or the result is the ciphertext that feeds back.
template <typename Cipher>
inline uint8_t ByteThrough(const Cipher& cipher, uint64_t& hi, uint64_t& lo, uint8_t in, bool decrypt) {
  uint8_t out = 0;
  for (int bit = 7; bit >= 0; --bit) {
    const unsigned keyBit = cipher(hi, lo);
    const unsigned inBit = (in >> bit) & 1u;
    const unsigned outBit = inBit ^ keyBit;
    out |= static_cast<uint8_t>(outBit << bit);
    const unsigned feedback = decrypt ? inBit : outBit;
    hi = (hi << 1) | (lo >> 63);
    lo = (lo << 1) | feedback;
  }
  return out;
}

void RunPortable(const Aes128Schedule& ks, uint64_t& hi, uint64_t& lo, uint8_t* data, size_t len, bool decrypt) {
  auto cipher = [&ks](uint64_t h, uint64_t l) {
    uint8_t block[16], out[16];
    RegisterBytes(h, l, block);
    EncryptBlockPortable(ks, block, out);
    return unsigned{out[0]} >> 7;
  };
  for (size_t i = 0; i < len; ++i) data[i] = ByteThrough(cipher, hi, lo, data[i], decrypt);
}

#if defined(__x86_64__)
__attribute__((target("aes,ssse3"))) inline __m128i BlockOf(uint64_t hi, uint64_t lo) {
  const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  return _mm_shuffle_epi8(_mm_set_epi64x(static_cast<long long>(hi), static_cast<long long>(lo)), reverse);
}

__attribute__((target("aes,ssse3"))) void EncryptAesNi(const Aes128Schedule& ks, uint64_t& hi, uint64_t& lo,
                                                       uint8_t* data, size_t len) {
  const auto* rk = reinterpret_cast<const __m128i*>(ks.bytes);
  const __m128i k0 = _mm_load_si128(rk), k1 = _mm_load_si128(rk + 1), k2 = _mm_load_si128(rk + 2),
                k3 = _mm_load_si128(rk + 3), k4 = _mm_load_si128(rk + 4), k5 = _mm_load_si128(rk + 5),
                k6 = _mm_load_si128(rk + 6), k7 = _mm_load_si128(rk + 7), k8 = _mm_load_si128(rk + 8),
                k9 = _mm_load_si128(rk + 9), k10 = _mm_load_si128(rk + 10);
  for (size_t i = 0; i < len; ++i) {
    const uint8_t in = data[i];
    uint8_t out = 0;
    for (int bit = 7; bit >= 0; --bit) {
      __m128i x = _mm_xor_si128(BlockOf(hi, lo), k0);
      x = _mm_aesenc_si128(x, k1);
      x = _mm_aesenc_si128(x, k2);
      x = _mm_aesenc_si128(x, k3);
      x = _mm_aesenc_si128(x, k4);
      x = _mm_aesenc_si128(x, k5);
      x = _mm_aesenc_si128(x, k6);
      x = _mm_aesenc_si128(x, k7);
      x = _mm_aesenc_si128(x, k8);
      x = _mm_aesenc_si128(x, k9);
      x = _mm_aesenclast_si128(x, k10);
      const unsigned keyBit = (static_cast<unsigned>(_mm_cvtsi128_si32(x)) >> 7) & 1u;
      const unsigned outBit = ((in >> bit) & 1u) ^ keyBit;
      out |= static_cast<uint8_t>(outBit << bit);
      hi = (hi << 1) | (lo >> 63);
      lo = (lo << 1) | outBit;
    }
    data[i] = out;
  }
}

__attribute__((target("aes,ssse3"))) void DecryptAesNi(const Aes128Schedule& ks, uint64_t& hi, uint64_t& lo,
                                                       uint8_t* data, size_t len) {
  const auto* rk = reinterpret_cast<const __m128i*>(ks.bytes);
  __m128i k[11];
  for (int r = 0; r < 11; ++r) k[r] = _mm_load_si128(rk + r);
  for (size_t i = 0; i < len; ++i) {
    const uint8_t c = data[i];
    // The registers of the byte's eight bits: shifted by 0..7 with the leading
    // ciphertext bits taken in.
    __m128i x[8];
    x[0] = _mm_xor_si128(BlockOf(hi, lo), k[0]);
    for (int b = 1; b < 8; ++b)
      x[b] = _mm_xor_si128(BlockOf((hi << b) | (lo >> (64 - b)), (lo << b) | (c >> (8 - b))), k[0]);
    for (int r = 1; r < 10; ++r)
      for (int b = 0; b < 8; ++b) x[b] = _mm_aesenc_si128(x[b], k[r]);
    uint8_t keyBits = 0;
    for (int b = 0; b < 8; ++b) {
      x[b] = _mm_aesenclast_si128(x[b], k[10]);
      keyBits |= static_cast<uint8_t>(((static_cast<unsigned>(_mm_cvtsi128_si32(x[b])) >> 7) & 1u) << (7 - b));
    }
    data[i] = c ^ keyBits;
    hi = (hi << 8) | (lo >> 56);
    lo = (lo << 8) | c;
  }
}
#endif

}  // namespace

void Cfb1::Init(const uint8_t key[16], const uint8_t iv[16], bool hardware) {
  ExpandKey128(key, m_schedule);
  m_hi = m_lo = 0;
  for (int i = 0; i < 8; ++i) {
    m_hi = (m_hi << 8) | iv[i];
    m_lo = (m_lo << 8) | iv[8 + i];
  }
  m_hardware = hardware && HasAesNi();
}

void Cfb1::Encrypt(uint8_t* data, size_t len) {
#if defined(__x86_64__)
  if (m_hardware) return EncryptAesNi(m_schedule, m_hi, m_lo, data, len);
#endif
  RunPortable(m_schedule, m_hi, m_lo, data, len, false);
}

void Cfb1::Decrypt(uint8_t* data, size_t len) {
#if defined(__x86_64__)
  if (m_hardware) return DecryptAesNi(m_schedule, m_hi, m_lo, data, len);
#endif
  RunPortable(m_schedule, m_hi, m_lo, data, len, true);
}

void Cfb1::Wipe() {
  volatile uint8_t* p = reinterpret_cast<volatile uint8_t*>(this);
  for (size_t i = 0; i < sizeof *this; ++i) p[i] = 0;
}

}  // namespace Basalt::Base::Encrypt

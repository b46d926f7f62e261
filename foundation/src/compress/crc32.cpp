#include "compress/crc32.h"

#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Basalt::Base::Compress {
namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;

// Sixteen tables for slicing: table k advances a byte that still has k bytes after it.
using SliceTables = std::array<std::array<uint32_t, 256>, 16>;

constexpr SliceTables MakeSliceTables() {
  SliceTables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
    t[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i)
    for (int k = 1; k < 16; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  return t;
}

constexpr SliceTables kTables = MakeSliceTables();

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;  // x86-64 is little-endian, as the slicing assumes
}

#if defined(__x86_64__)
// One folding step: the 128-bit accumulator moves forward by the distance that `k`
// stands for and absorbs the next 16 bytes.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i acc, __m128i k, __m128i next) {
  const __m128i lo = _mm_clmulepi64_si128(acc, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(acc, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(hi, lo), next);
}

// Folding by carry-less multiplication (Intel's "Fast CRC Computation for Generic
// Polynomials Using PCLMULQDQ", bit-reflected form). The constants are x^n mod P for
// the fold distances, reflected and shifted left by one; mu and P' drive the final
// Barrett reduction. Needs at least 64 bytes and consumes a multiple of 16.
__attribute__((target("pclmul,sse4.1"))) uint32_t FoldClmul(uint32_t reg, const uint8_t*& data, size_t& len) {
  const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);  // x^(512-32), x^(512+32)
  const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);  // x^(128-32), x^(128+32)
  const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124);              // x^64
  const __m128i poly = _mm_set_epi64x(0x1f7011641, 0x1db710641);  // mu, P'
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);

  const uint8_t* p = data;
  size_t n = len;
  __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
  __m128i x4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
  x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(reg)));
  p += 64;
  n -= 64;

  while (n >= 64) {
    x1 = Fold(x1, k1k2, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    x2 = Fold(x2, k1k2, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
    x3 = Fold(x3, k1k2, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
    x4 = Fold(x4, k1k2, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
    p += 64;
    n -= 64;
  }
  x1 = Fold(x1, k3k4, x2);
  x1 = Fold(x1, k3k4, x3);
  x1 = Fold(x1, k3k4, x4);
  while (n >= 16) {
    x1 = Fold(x1, k3k4, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    p += 16;
    n -= 16;
  }

  // 128 bits down to 64, then to 32 bits by Barrett reduction.
  __m128i t = _mm_clmulepi64_si128(x1, k3k4, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), t);
  t = _mm_srli_si128(x1, 4);
  x1 = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00);
  x1 = _mm_xor_si128(x1, t);
  t = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly, 0x00);
  x1 = _mm_xor_si128(x1, t);

  data = p;
  len = n;
  return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

bool HasClmul() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return has;
}
#endif

}  // namespace

uint32_t Crc32UpdatePortable(uint32_t reg, const uint8_t* data, size_t len) {
  const auto& t = kTables;
  while (len >= 16) {
    const uint32_t a = Load32(data) ^ reg, b = Load32(data + 4), c = Load32(data + 8), d = Load32(data + 12);
    reg = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^ t[11][b & 0xFF] ^
          t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^ t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^
          t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^ t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^
          t[0][d >> 24];
    data += 16;
    len -= 16;
  }
  while (len--) reg = (reg >> 8) ^ t[0][(reg ^ *data++) & 0xFF];
  return reg;
}

uint32_t Crc32Update(uint32_t reg, const uint8_t* data, size_t len) {
#if defined(__x86_64__)
  if (len >= 64 && HasClmul()) reg = FoldClmul(reg, data, len);
#endif
  return Crc32UpdatePortable(reg, data, len);
}

}  // namespace Basalt::Base::Compress

#include "encrypt/aes128.h"

#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Basalt::Base::Encrypt {
namespace {

constexpr uint8_t Xtime(uint8_t b) { return static_cast<uint8_t>((b << 1) ^ ((b & 0x80) ? 0x1B : 0)); }

// The S-box: multiplicative inverse in GF(2^8) (through powers of the generator 3),
// then the affine transform.
constexpr std::array<uint8_t, 256> MakeSbox() {
  std::array<uint8_t, 256> power{}, log{};
  uint8_t x = 1;
  for (int i = 0; i < 255; ++i) {
    power[i] = x;
    log[x] = static_cast<uint8_t>(i);
    x = static_cast<uint8_t>(x ^ Xtime(x));
  }
  std::array<uint8_t, 256> inverse{};
  for (int a = 1; a < 256; ++a) inverse[a] = power[(255 - log[a]) % 255];
  std::array<uint8_t, 256> s{};
  for (int i = 0; i < 256; ++i) {
    const uint8_t b = inverse[i];
    auto rotl = [](uint8_t v, int n) { return static_cast<uint8_t>((v << n) | (v >> (8 - n))); };
    s[i] = static_cast<uint8_t>(b ^ rotl(b, 1) ^ rotl(b, 2) ^ rotl(b, 3) ^ rotl(b, 4) ^ 0x63);
  }
  return s;
}
constexpr std::array<uint8_t, 256> kSbox = MakeSbox();

// Round tables: SubBytes and MixColumns of one byte as a big-endian column,
// rotated for each row.
using Table = std::array<uint32_t, 256>;
constexpr Table MakeTe(int rotation) {
  Table t{};
  for (int i = 0; i < 256; ++i) {
    const uint8_t s = kSbox[i];
    const uint32_t col =
        (uint32_t{Xtime(s)} << 24) | (uint32_t{s} << 16) | (uint32_t{s} << 8) | static_cast<uint8_t>(Xtime(s) ^ s);
    t[i] = rotation ? (col >> (8 * rotation)) | (col << (32 - 8 * rotation)) : col;
  }
  return t;
}
constexpr Table kTe0 = MakeTe(0), kTe1 = MakeTe(1), kTe2 = MakeTe(2), kTe3 = MakeTe(3);

inline uint32_t LoadBE(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline void StoreBE(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

}  // namespace

void ExpandKey128(const uint8_t key[16], Aes128Schedule& ks) {
  uint32_t* w = ks.words;
  for (int i = 0; i < 4; ++i) w[i] = LoadBE(key + 4 * i);
  uint8_t rcon = 1;
  for (int i = 4; i < 44; ++i) {
    uint32_t t = w[i - 1];
    if (i % 4 == 0) {
      t = (t << 8) | (t >> 24);
      t = (uint32_t{kSbox[t >> 24]} << 24) | (uint32_t{kSbox[(t >> 16) & 0xFF]} << 16) |
          (uint32_t{kSbox[(t >> 8) & 0xFF]} << 8) | kSbox[t & 0xFF];
      t ^= uint32_t{rcon} << 24;
      rcon = Xtime(rcon);
    }
    w[i] = w[i - 4] ^ t;
  }
  for (int i = 0; i < 44; ++i) StoreBE(ks.bytes + 4 * i, w[i]);
}

void EncryptBlockPortable(const Aes128Schedule& ks, const uint8_t in[16], uint8_t out[16]) {
  const uint32_t* rk = ks.words;
  uint32_t s0 = LoadBE(in) ^ rk[0], s1 = LoadBE(in + 4) ^ rk[1];
  uint32_t s2 = LoadBE(in + 8) ^ rk[2], s3 = LoadBE(in + 12) ^ rk[3];
  for (int r = 1; r < 10; ++r) {
    rk += 4;
    const uint32_t t0 = kTe0[s0 >> 24] ^ kTe1[(s1 >> 16) & 0xFF] ^ kTe2[(s2 >> 8) & 0xFF] ^ kTe3[s3 & 0xFF] ^ rk[0];
    const uint32_t t1 = kTe0[s1 >> 24] ^ kTe1[(s2 >> 16) & 0xFF] ^ kTe2[(s3 >> 8) & 0xFF] ^ kTe3[s0 & 0xFF] ^ rk[1];
    const uint32_t t2 = kTe0[s2 >> 24] ^ kTe1[(s3 >> 16) & 0xFF] ^ kTe2[(s0 >> 8) & 0xFF] ^ kTe3[s1 & 0xFF] ^ rk[2];
    const uint32_t t3 = kTe0[s3 >> 24] ^ kTe1[(s0 >> 16) & 0xFF] ^ kTe2[(s1 >> 8) & 0xFF] ^ kTe3[s2 & 0xFF] ^ rk[3];
    s0 = t0;
    s1 = t1;
    s2 = t2;
    s3 = t3;
  }
  rk += 4;
  auto last = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return (uint32_t{kSbox[a >> 24]} << 24) | (uint32_t{kSbox[(b >> 16) & 0xFF]} << 16) |
           (uint32_t{kSbox[(c >> 8) & 0xFF]} << 8) | kSbox[d & 0xFF];
  };
  StoreBE(out, last(s0, s1, s2, s3) ^ rk[0]);
  StoreBE(out + 4, last(s1, s2, s3, s0) ^ rk[1]);
  StoreBE(out + 8, last(s2, s3, s0, s1) ^ rk[2]);
  StoreBE(out + 12, last(s3, s0, s1, s2) ^ rk[3]);
}

#if defined(__x86_64__)
bool HasAesNi() {
  static const bool has = __builtin_cpu_supports("aes") && __builtin_cpu_supports("ssse3");
  return has;
}

__attribute__((target("aes,ssse3"))) void EncryptBlockAesNi(const Aes128Schedule& ks, const uint8_t in[16],
                                                            uint8_t out[16]) {
  const auto* rk = reinterpret_cast<const __m128i*>(ks.bytes);
  __m128i x = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), _mm_load_si128(rk));
  for (int r = 1; r < 10; ++r) x = _mm_aesenc_si128(x, _mm_load_si128(rk + r));
  x = _mm_aesenclast_si128(x, _mm_load_si128(rk + 10));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), x);
}
#else
bool HasAesNi() { return false; }
void EncryptBlockAesNi(const Aes128Schedule& ks, const uint8_t in[16], uint8_t out[16]) {
  EncryptBlockPortable(ks, in, out);
}
#endif

}  // namespace Basalt::Base::Encrypt

#include "encrypt/sha1.h"

#include <algorithm>
#include <cstring>

namespace Basalt::Base::Encrypt {
namespace {

inline uint32_t Rotl(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

}  // namespace

Sha1::Sha1() : m_h{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u} {}

void Sha1::Compress(const uint8_t block[64]) {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i)
    w[i] = (uint32_t{block[4 * i]} << 24) | (uint32_t{block[4 * i + 1]} << 16) | (uint32_t{block[4 * i + 2]} << 8) |
           block[4 * i + 3];
  for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  uint32_t a = m_h[0], b = m_h[1], c = m_h[2], d = m_h[3], e = m_h[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    const uint32_t t = Rotl(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = Rotl(b, 30);
    b = a;
    a = t;
  }
  m_h[0] += a;
  m_h[1] += b;
  m_h[2] += c;
  m_h[3] += d;
  m_h[4] += e;
}

void Sha1::Update(const void* data, size_t len) {
  const auto* p = static_cast<const uint8_t*>(data);
  m_totalLen += len;
  while (len) {
    const size_t n = std::min(len, sizeof m_block - m_blockLen);
    std::memcpy(m_block + m_blockLen, p, n);
    m_blockLen += n;
    p += n;
    len -= n;
    if (m_blockLen == sizeof m_block) {
      Compress(m_block);
      m_blockLen = 0;
    }
  }
}

void Sha1::Final(uint8_t digest[kDigestSize]) {
  const uint64_t bits = m_totalLen * 8;
  const uint8_t pad = 0x80;
  Update(&pad, 1);
  const uint8_t zero = 0;
  while (m_blockLen != 56) Update(&zero, 1);
  uint8_t len[8];
  for (int i = 0; i < 8; ++i) len[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Update(len, 8);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(m_h[i] >> (24 - 8 * j));
}

}  // namespace Basalt::Base::Encrypt

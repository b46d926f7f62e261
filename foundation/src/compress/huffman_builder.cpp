#include "compress/huffman_builder.h"

#include "compress/deflate_format.h"

#include <algorithm>

namespace Basalt::Base::Compress {
namespace {

// Moffat and Katajainen's in-place computation of optimal code lengths. On entry a[]
// holds the frequencies in ascending order; on exit a[i] is the length of symbol i of
// that order (unbounded: the caller limits them).
void MinimumRedundancyLengths(uint32_t* a, int n) {
  if (n == 1) {
    a[0] = 1;
    return;
  }
  a[0] += a[1];
  int root = 0, leaf = 2;
  for (int next = 1; next < n - 1; ++next) {
    if (leaf >= n || a[root] < a[leaf]) {
      a[next] = a[root];
      a[root++] = static_cast<uint32_t>(next);
    } else {
      a[next] = a[leaf++];
    }
    if (leaf >= n || (root < next && a[root] < a[leaf])) {
      a[next] += a[root];
      a[root++] = static_cast<uint32_t>(next);
    } else {
      a[next] += a[leaf++];
    }
  }
  a[n - 2] = 0;
  for (int next = n - 3; next >= 0; --next) a[next] = a[a[next]] + 1;
  int avail = 1, used = 0, depth = 0, root2 = n - 2, next = n - 1;
  while (avail > 0) {
    while (root2 >= 0 && static_cast<int>(a[root2]) == depth) {
      ++used;
      --root2;
    }
    while (avail > used) {
      a[next--] = static_cast<uint32_t>(depth);
      --avail;
    }
    avail = 2 * used;
    ++depth;
    used = 0;
  }
}

}  // namespace

uint32_t ReverseBits(uint32_t code, int bits) {
  uint32_t r = 0;
  for (int i = 0; i < bits; ++i) {
    r = (r << 1) | (code & 1);
    code >>= 1;
  }
  return r;
}

void BuildCodeLengths(const uint32_t* freq, int n, int limit, uint8_t* lens) {
  // (frequency << 16 | symbol), sorted: ties go by symbol so the result is stable.
  uint32_t keys[kFixedLitLenSymbols];
  int used = 0;
  for (int i = 0; i < n; ++i) {
    lens[i] = 0;
    if (freq[i]) keys[used++] = (std::min<uint32_t>(freq[i], 0xFFFF) << 16) | static_cast<uint32_t>(i);
  }
  // Invent up to two symbols so that the code is complete.
  for (int s = 0; used < 2 && s < n; ++s) {
    bool present = false;
    for (int k = 0; k < used; ++k) present |= (keys[k] & 0xFFFF) == static_cast<uint32_t>(s);
    if (!present) keys[used++] = (1u << 16) | static_cast<uint32_t>(s);
  }
  std::sort(keys, keys + used);

  uint32_t a[kFixedLitLenSymbols] = {};
  for (int k = 0; k < used; ++k) a[k] = keys[k] >> 16;
  MinimumRedundancyLengths(a, used);

  // Count the lengths, fold the over-long ones into the limit, then restore the
  // Kraft equality by lengthening the deepest shorter codes.
  int count[32] = {};
  for (int k = 0; k < used; ++k) ++count[std::min<uint32_t>(a[k], 31)];
  for (int l = limit + 1; l < 32; ++l) {
    count[limit] += count[l];
    count[l] = 0;
  }
  uint32_t total = 0;
  for (int l = limit; l > 0; --l) total += static_cast<uint32_t>(count[l]) << (limit - l);
  while (total != (1u << limit)) {
    --count[limit];
    for (int l = limit - 1; l > 0; --l) {
      if (count[l]) {
        --count[l];
        count[l + 1] += 2;
        break;
      }
    }
    --total;
  }

  // Shortest codes go to the most frequent symbols (the end of the sorted order).
  int k = used;
  for (int l = 1; l <= limit; ++l)
    for (int c = count[l]; c > 0; --c) lens[keys[--k] & 0xFFFF] = static_cast<uint8_t>(l);
}

void BuildCanonicalCodes(const uint8_t* lens, int n, uint16_t* codes) {
  int count[kMaxCodeBits + 1] = {};
  for (int i = 0; i < n; ++i) ++count[lens[i]];
  count[0] = 0;
  uint32_t next[kMaxCodeBits + 2] = {};
  uint32_t code = 0;
  for (int l = 1; l <= kMaxCodeBits; ++l) {
    code = (code + count[l - 1]) << 1;
    next[l] = code;
  }
  for (int i = 0; i < n; ++i) codes[i] = lens[i] ? static_cast<uint16_t>(ReverseBits(next[lens[i]]++, lens[i])) : 0;
}

}  // namespace Basalt::Base::Compress

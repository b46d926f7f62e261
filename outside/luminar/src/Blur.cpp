#include "Blur.h"

#include <algorithm>
#include <cmath>

namespace luminar {

std::vector<int32_t> GaussianKernel(double radius) {
  const double sigma = radius / 2;
  const int half = std::max(1, int(std::ceil(3 * sigma)));
  std::vector<double> w(size_t(2 * half + 1));
  double sum = 0;
  for (int i = -half; i <= half; ++i) {
    const double a = (i - 0.5) / (sigma * M_SQRT2), b = (i + 0.5) / (sigma * M_SQRT2);
    w[size_t(i + half)] = 0.5 * (std::erf(b) - std::erf(a));
    sum += w[size_t(i + half)];
  }
  std::vector<int32_t> k(w.size());
  int32_t total = 0;
  for (size_t i = 0; i < w.size(); ++i) total += k[i] = int32_t(std::lround(w[i] / sum * 65536));
  k[size_t(half)] += 65536 - total;  // exact unit gain
  return k;
}

namespace {

uint8_t Out(uint32_t v) { return uint8_t(std::min((v + (1u << 15)) >> 16, 255u)); }

void Horizontal(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
                const std::vector<int32_t>& k) {
  const int half = int(k.size() / 2);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = src + ptrdiff_t(y) * srcStride;
    uint8_t* out = dst + ptrdiff_t(y) * dstStride;
    for (int x = 0; x < width; ++x) {
      const int lo = std::max(0, x - half), hi = std::min(width - 1, x + half);
      uint32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
      const int32_t* w = k.data() + (lo - x + half);
      for (const uint8_t* p = in + lo * 4; p <= in + hi * 4; p += 4, ++w) {
        const uint32_t f = uint32_t(*w);
        c0 += p[0] * f, c1 += p[1] * f, c2 += p[2] * f, c3 += p[3] * f;
      }
      out[x * 4] = Out(c0), out[x * 4 + 1] = Out(c1), out[x * 4 + 2] = Out(c2), out[x * 4 + 3] = Out(c3);
    }
  }
}

// Row by row, so that memory is read in order.
void Vertical(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
              const std::vector<int32_t>& k) {
  const int half = int(k.size() / 2);
  const size_t n = size_t(width) * 4;
  std::vector<uint32_t> acc(n);
  for (int y = 0; y < height; ++y) {
    std::fill(acc.begin(), acc.end(), 0u);
    const int lo = std::max(0, y - half), hi = std::min(height - 1, y + half);
    for (int j = lo; j <= hi; ++j) {
      const uint32_t f = uint32_t(k[size_t(j - y + half)]);
      const uint8_t* in = src + ptrdiff_t(j) * srcStride;
      for (size_t i = 0; i < n; ++i) acc[i] += in[i] * f;
    }
    uint8_t* out = dst + ptrdiff_t(y) * dstStride;
    for (size_t i = 0; i < n; ++i) out[i] = Out(acc[i]);
  }
}

}  // namespace

void GaussianBlur(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
                  double radius) {
  const std::vector<int32_t> k = GaussianKernel(radius);
  std::vector<uint8_t> temp(size_t(width) * size_t(height) * 4);
  Horizontal(src, srcStride, temp.data(), width * 4, width, height, k);
  Vertical(temp.data(), width * 4, dst, dstStride, width, height, k);
}

}  // namespace luminar

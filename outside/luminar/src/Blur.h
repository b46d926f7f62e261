// Our separable Gaussian blur over premultiplied ARGB32 pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace luminar {

// Sigma is radius / 2; the kernel reaches 3 sigma each side and each tap is the
// Gaussian's integral over its pixel, in 16-bit fixed point summing to 65536. Pixels
// outside the picture count as transparent.
std::vector<int32_t> GaussianKernel(double radius);
void GaussianBlur(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height, double radius);

}  // namespace luminar

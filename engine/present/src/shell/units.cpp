#include <plastrum/present/shell/units.h>

#include <cmath>
#include <limits>

namespace Present {
namespace {

constexpr double kMax = static_cast<double>(std::numeric_limits<int32_t>::max());
constexpr double kMin = static_cast<double>(std::numeric_limits<int32_t>::min());

int32_t Saturate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= kMax) return std::numeric_limits<int32_t>::max();
  if (value <= kMin) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace

int32_t SaturateTruncate(double value) { return Saturate(std::trunc(value)); }

// nearbyint rounds halves to even in the default rounding mode.
int32_t SaturateRound(double value) { return Saturate(std::nearbyint(value)); }

float HostToEmu(int32_t hundredthsOfPoint) {
  const float inches = static_cast<float>(static_cast<double>(hundredthsOfPoint) / 7200.0);
  return inches * 914400.0f;
}

int32_t EmuToHost(float emu) {
  const float inches = emu / 914400.0f;
  const float host = inches * 7200.0f;
  return SaturateTruncate(host);
}

int32_t HostToPixel(int32_t hundredthsOfPoint, float scale) {
  const float pixels = static_cast<float>(static_cast<double>(hundredthsOfPoint) * scale / 7200.0);
  return SaturateRound(pixels);
}

int32_t PixelToHost(int32_t pixels, float scale) {
  const float host = static_cast<float>(static_cast<double>(pixels) * 7200.0 / scale);
  return SaturateRound(host);
}

}  // namespace Present

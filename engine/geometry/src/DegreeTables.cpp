#include "plastrum/geometry/GeometryMath.h"

#include <array>
#include <cmath>

namespace Present::Geometry {
namespace {

struct DegreeTables {
  std::array<double, 91> sine{};
  std::array<double, 91> cosine{};
  DegreeTables() {
    // Rounded to 6 decimals: shapes drawn from these tables must land on the same
    // pixels as the documents were laid out with.
    const double pi = std::acos(-1.0);
    for (int k = 0; k <= 90; ++k) {
      sine[k] = std::round(std::sin(k * pi / 180.0) * 1e6) / 1e6;
      cosine[k] = std::round(std::cos(k * pi / 180.0) * 1e6) / 1e6;
    }
  }
};

const DegreeTables& Tables() {
  static const DegreeTables tables;
  return tables;
}

// Angles inside 0..360 stay as they are (360 keeps its own table reading, -0 for sine);
// everything else folds modulo 360 so a table index is always in range.
int FoldWholeDegrees(int degrees) {
  if (degrees >= 0 && degrees <= 360) return degrees;
  degrees %= 360;
  return degrees < 0 ? degrees + 360 : degrees;
}

}  // namespace

float SinDegrees(int16_t degrees) {
  const auto& t = Tables();
  const int a = FoldWholeDegrees(degrees);
  if (a <= 90) return static_cast<float>(t.sine[a]);
  if (a <= 180) return static_cast<float>(t.cosine[a - 90]);
  if (a <= 270) return static_cast<float>(-t.sine[a - 180]);
  return static_cast<float>(-t.cosine[a - 270]);
}

float CosDegrees(int16_t degrees) {
  const auto& t = Tables();
  const int a = FoldWholeDegrees(degrees);
  if (a <= 90) return static_cast<float>(t.cosine[a]);
  if (a <= 180) return static_cast<float>(-t.sine[a - 90]);
  if (a <= 270) return static_cast<float>(-t.cosine[a - 180]);
  return static_cast<float>(t.sine[a - 270]);
}

float SinRadians(float radians) { return static_cast<float>(std::sin(radians)); }
float CosRadians(float radians) { return static_cast<float>(std::cos(radians)); }

}  // namespace Present::Geometry

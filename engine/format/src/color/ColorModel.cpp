// Conversions of the colour model. Intermediate values are single precision, as the
// drawing side computes them.
#include <plastrum/format/ColorModel.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace Present::Type {
namespace {

float Clamp01(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }

uint8_t Channel(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f)); }

// Classic desktop colours, one per system colour index (0x00BBGGRR).
constexpr uint32_t kSystemColors[kSystemColorCount] = {
    0x00C8C8C8,  // scroll bar
    0x00A56E3A,  // desktop
    0x00D1B499,  // active caption
    0x00DBCDBF,  // inactive caption
    0x00F0F0F0,  // menu
    0x00FFFFFF,  // window
    0x00646464,  // window frame
    0x00000000,  // menu text
    0x00000000,  // window text
    0x00000000,  // caption text
    0x00B4B4B4,  // active border
    0x00FCF7F4,  // inactive border
    0x00ABABAB,  // application workspace
    0x00FF9933,  // highlight
    0x00FFFFFF,  // highlight text
    0x00F0F0F0,  // button face
    0x00A0A0A0,  // button shadow
    0x006D6D6D,  // grey text
    0x00000000,  // button text
    0x00544E43,  // inactive caption text
    0x00FFFFFF,  // button highlight
    0x00696969,  // 3-D dark shadow
    0x00E3E3E3,  // 3-D light
    0x00000000,  // tooltip text
    0x00E1FFFF,  // tooltip background
    0x00000000,  // (unused)
    0x00CC6600,  // hot-tracked item
    0x00EAD1B9,  // gradient of the active caption
    0x00F2E4D7,  // gradient of the inactive caption
    0x00FF9933,  // highlighted menu item
    0x00F0F0F0,  // menu bar
};

}  // namespace

bool SystemColorValue(int32_t index, uint32_t* bgr) {
  if (index < 0 || index >= kSystemColorCount) return false;
  *bgr = kSystemColors[index];
  return true;
}

void SystemColor::UpdateRgb() {
  if (!dirty) return;
  uint32_t c;
  if (SystemColorValue(index, &c)) {
    R = static_cast<uint8_t>(c & 255);
    G = static_cast<uint8_t>((c >> 8) & 255);
    B = static_cast<uint8_t>((c >> 16) & 255);
  }
  UpdateModel();
  dirty = 0;
}

void HslColor::Normalise() {
  int h = hue % 360;
  if (h < 0) h += 360;
  hue = static_cast<int16_t>(h);
  saturation = Clamp01(saturation);
  luminance = Clamp01(luminance);
}

void HslColor::UpdateRgb() {
  if (!dirty) return;
  Normalise();
  const float h = hue;
  float c[3];
  if (h < 120.0f) {
    c[0] = (120.0f - h) / 60.0f, c[1] = h / 60.0f, c[2] = 0.0f;
  } else if (h < 240.0f) {
    c[0] = 0.0f, c[1] = (240.0f - h) / 60.0f, c[2] = (h - 120.0f) / 60.0f;
  } else {
    c[0] = (h - 240.0f) / 60.0f, c[1] = 0.0f, c[2] = (360.0f - h) / 60.0f;
  }
  const float s = saturation, l = luminance;
  uint8_t out[3];
  for (int i = 0; i < 3; ++i) {
    const float v = 2.0f * s * Clamp01(c[i]) + (1.0f - s);
    const float channel = l < 0.5f ? 255.0f * l * v + 0.5f : 255.0f * ((1.0f - l) * v + 2.0f * l - 1.0f) + 0.5f;
    out[i] = Channel(std::trunc(channel));
  }
  R = out[0], G = out[1], B = out[2];
  dirty = 0;
}

void HslColor::UpdateModel() {
  dirty = 0;
  const float r = R / 255.0f, g = G / 255.0f, b = B / 255.0f;
  const float max = std::max({r, g, b}), min = std::min({r, g, b});
  const float l = (max + min) / 2.0f;
  luminance = l;
  if (l > 0.0f && l < 1.0f) saturation = (max - min) / (l < 0.5f ? 2.0f * l : 2.0f - 2.0f * l);
  float h = 0.0f;
  const float d = max - min;
  if (d > 0.0f) {
    if (r == max && g != max) h = (g - b) / d;
    if (g == max && b != max) h = (b - r) / d + 2.0f;
    if (b == max && r != max) h = (r - g) / d + 4.0f;
  }
  hue = static_cast<int16_t>(std::trunc(h * 60.0f));
  Normalise();
}

void CmykColor::Clamp() {
  for (int16_t* v : {&C, &M, &Y, &K}) *v = std::clamp<int16_t>(*v, 0, 100);
}

void CmykColor::UpdateRgb() {
  if (!dirty) return;
  Clamp();
  const float k = K;
  auto channel = [k](int16_t component) {
    const auto inner = static_cast<float>(k + (100.0f - k) * component / 100.0f);
    return Channel(std::trunc((100.0f - inner) * 2.55f + 0.5f));
  };
  R = channel(C), G = channel(M), B = channel(Y);
  dirty = 0;
}

void CmykColor::UpdateModel() {
  dirty = 0;
  float c = 1.0f - R / 255.0f, m = 1.0f - G / 255.0f, y = 1.0f - B / 255.0f;
  const float k = std::min({c, m, y});
  if (k >= 1.0f) {
    C = M = Y = 0;
    K = 100;
    return;
  }
  c = (c - k) / (1.0f - k), m = (m - k) / (1.0f - k), y = (y - k) / (1.0f - k);
  C = static_cast<int16_t>(std::trunc(c * 100.0f));
  M = static_cast<int16_t>(std::trunc(m * 100.0f));
  Y = static_cast<int16_t>(std::trunc(y * 100.0f));
  K = static_cast<int16_t>(std::trunc(k * 100.0f));
  Clamp();
}

bool SchemeColor::ResolveFromPalette(Color* const* palette) {
  if (!palette || index >= kPaletteSize || !palette[index]) return false;
  Color* e = palette[index];
  e->UpdateRgb();
  const float t = factor;
  if (t == 0.0f) {
    A = e->A, R = e->R, G = e->G, B = e->B;
  } else {
    const float a = t > 0.0f ? t : 0.0f;
    const float b = t > 0.0f ? 1.0f - t : 1.0f + t;
    HslColor hsl;
    hsl.A = e->A, hsl.R = e->R, hsl.G = e->G, hsl.B = e->B;
    hsl.UpdateModel();
    if (b != 1.0f || a != 0.0f) {
      hsl.luminance = a + b * hsl.luminance;
      hsl.dirty = 1;
    }
    hsl.UpdateRgb();
    A = hsl.A, R = hsl.R, G = hsl.G, B = hsl.B;
  }
  UpdateModel();
  return true;
}

}  // namespace Present::Type

namespace Present {

Type::Color* CreateColorFromStored(uint32_t value, uint32_t second) {
  const uint8_t b3 = static_cast<uint8_t>(value >> 24), b2 = static_cast<uint8_t>(value >> 16),
                b1 = static_cast<uint8_t>(value >> 8), b0 = static_cast<uint8_t>(value);
  switch ((second >> 24) & 0x0F) {
    case 0: {
      auto* c = new (std::nothrow) Type::Color();
      if (c) c->A = b3, c->R = b2, c->G = b1, c->B = b0;
      return c;
    }
    case 1: {
      auto* c = new (std::nothrow) Type::CmykColor();
      if (c) c->C = b3, c->M = b2, c->Y = b1, c->K = b0, c->dirty = 1;
      return c;
    }
    case 2: {
      auto* c = new (std::nothrow) Type::HslColor();
      if (c) {
        c->hue = static_cast<int16_t>(value >> 16);
        c->saturation = b1 / 100.0f;
        c->luminance = b0 / 100.0f;
        c->dirty = 1;
      }
      return c;
    }
    case 4: {
      uint32_t unused;
      if (!Type::SystemColorValue(static_cast<int32_t>(value), &unused)) return nullptr;
      return new (std::nothrow) Type::SystemColor(static_cast<int32_t>(value));
    }
    case 5: {
      if (b0 >= Type::SchemeColor::kPaletteSize) return nullptr;
      auto* c = new (std::nothrow) Type::SchemeColor();
      if (c) {
        c->index = b0;
        c->factor = static_cast<int16_t>((value >> 8) & 0xFFFF) / 100.0f;
      }
      return c;
    }
    default:
      return nullptr;
  }
}

}  // namespace Present

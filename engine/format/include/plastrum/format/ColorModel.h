// The colour model of the drawing side: a base colour that always carries resolved A, R, G, B
// bytes, and kinds that keep a model of their own (scheme index and factor, system colour,
// HSL, CMYK) and convert between it and RGB on demand. A kind whose model changed is marked
// dirty until UpdateRgb brings R, G, B up to date.
#pragma once

#include <cstdint>
#include <plastrum/Export.h>

namespace Present::Type {

class PLASTRUM_API Color {
 public:
  Color() = default;
  virtual ~Color() = default;
  Color(const Color&) = default;
  Color& operator=(const Color&) = default;

  // Model to R, G, B when dirty (the base does nothing).
  virtual void UpdateRgb() {}
  // R, G, B to the model (the base only clears the dirty flag).
  virtual void UpdateModel() { dirty = 0; }

  // 0xAARRGGBB.
  uint32_t Argb() const { return static_cast<uint32_t>(A) << 24 | R << 16 | G << 8 | B; }

  uint8_t type = 0;  // 0 RGB, 1 CMYK, 2 HSL, 4 system, 5 scheme
  uint8_t dirty = 0;
  uint8_t A = 255;
  uint8_t R = 0;
  uint8_t G = 0;
  uint8_t B = 0;

 protected:
  explicit Color(uint8_t kind) : type(kind) {}
};

// One of the twelve colours of a canvas palette ("dk1" ... "folHlink"), lightened (factor
// above 0) or darkened (below 0) through HSL. Its colour is set by ResolveFromPalette.
class PLASTRUM_API SchemeColor : public Color {
 public:
  static constexpr int kPaletteSize = 12;

  SchemeColor() : Color(5) {}
  void UpdateRgb() override {}
  void UpdateModel() override {}

  // Takes the colour of palette[index] and applies the factor. A null palette, a missing
  // palette entry or an index outside the palette leave the colour unchanged (false).
  bool ResolveFromPalette(Color* const* palette);

  uint8_t index = 0;
  float factor = 0.0f;
};

// A colour of the system's colour table by its index.
class PLASTRUM_API SystemColor : public Color {
 public:
  SystemColor() : Color(4) {}
  explicit SystemColor(int32_t index_) : Color(4), index(index_) { dirty = 1; }
  void UpdateRgb() override;
  void UpdateModel() override {}

  int32_t index = 0;
};

class PLASTRUM_API HslColor : public Color {
 public:
  HslColor() : Color(2) {}
  void UpdateRgb() override;
  void UpdateModel() override;
  // Folds the hue into 0..359 and clamps saturation and luminance to 0..1.
  void Normalise();

  int16_t hue = 0;          // whole degrees
  float saturation = 0.0f;  // 0..1
  float luminance = 0.0f;   // 0..1
};

class PLASTRUM_API CmykColor : public Color {
 public:
  CmykColor() : Color(1) {}
  void UpdateRgb() override;
  void UpdateModel() override;
  // Limits each component to 0..100.
  void Clamp();

  int16_t C = 0, M = 0, Y = 0, K = 0;
};

// The fixed table of system colours the system colour kind reads (0x00BBGGRR, as
// GetSysColor answers): false for an index outside it.
constexpr int32_t kSystemColorCount = 31;
PLASTRUM_API bool SystemColorValue(int32_t index, uint32_t* bgr);

}  // namespace Present::Type

namespace Present {

// A new colour object, owned by the caller, from a stored colour: the kind in bits 24-27 of
// `second` selects how `value` is read (RGB bytes A,R,G,B; CMYK bytes C,M,Y,K; HSL hue in
// bits 16-31 and saturation and luminance in hundredths; a system colour index; a scheme
// index in bits 0-7 with a factor in hundredths in bits 8-23). CMYK, HSL and system colours
// come out dirty with alpha 255. Null for another kind, for a scheme index outside the
// palette, a system index outside the system colour table, or when memory runs out.
PLASTRUM_API Type::Color* CreateColorFromStored(uint32_t value, uint32_t second);

}  // namespace Present

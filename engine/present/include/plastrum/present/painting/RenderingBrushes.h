// Owning wrappers of the rendering library's brushes. A brush whose handle could not be
// made or filled keeps a null handle (Valid() false) and draws nothing.
#pragma once

#include <cstdint>

#include <luminar/Luminar.h>
#include <plastrum/Export.h>

namespace Present::Rendering {

class PLASTRUM_API Brush {
 public:
  enum Kind : uint8_t {
    kSolid = 1,
    kHatch = 2,
    kPathGradient = 4,
    kLinearGradient = 5,
    kRadialGradient = 6,
    kTexture = 3
  };

  virtual ~Brush();
  virtual int32_t Query() { return 0; }
  Brush(const Brush&) = delete;
  Brush& operator=(const Brush&) = delete;

  NativeBrush Handle() const { return handle_; }
  uint8_t GetKind() const { return kind_; }
  bool Valid() const { return handle_ != nullptr; }

  float opacity = 1.0f;

 protected:
  explicit Brush(uint8_t kind);
  // Keeps the handle when the create call succeeded, else releases it.
  void Keep(bool created);

 private:
  uint8_t kind_;
  NativeBrush handle_;
};

class PLASTRUM_API SolidColorBrush final : public Brush {
 public:
  explicit SolidColorBrush(uint32_t argb);
  uint32_t color;
};

class PLASTRUM_API HatchBrush final : public Brush {
 public:
  HatchBrush(int32_t style, uint32_t fore, uint32_t back);
  uint32_t backColor, foreColor;
  int32_t hatchStyle;
};

class PLASTRUM_API GradientBrush : public Brush {
 public:
  virtual bool SetPresetBlend(const uint32_t* argb, const float* positions, int32_t count) = 0;  // 2
  virtual bool Translate(float dx, float dy) = 0;                                                // 3
  virtual bool Scale(float sx, float sy) = 0;                                                    // 4
  virtual bool Rotate(float degrees) = 0;                                                        // 5

 protected:
  using Brush::Brush;
};

class PLASTRUM_API LinearGradientBrush final : public GradientBrush {
 public:
  LinearGradientBrush(const NativeRectF& rect, uint32_t argb1, uint32_t argb2, float degrees);
  bool SetPresetBlend(const uint32_t* argb, const float* positions, int32_t count) override;
  bool Translate(float dx, float dy) override;
  bool Scale(float sx, float sy) override;
  bool Rotate(float degrees) override;
};

// The path-gradient slots, shared by the radial and the free-path brushes.
class PLASTRUM_API PathBrushBase : public GradientBrush {
 public:
  bool SetPresetBlend(const uint32_t* argb, const float* positions, int32_t count) override;
  bool Translate(float dx, float dy) override;
  bool Scale(float sx, float sy) override;
  bool Rotate(float degrees) override;

 protected:
  using GradientBrush::GradientBrush;
};

// A gradient out from a point of the bounds (the direction, as the radial layout places
// it) over an ellipse ("Radial") or a rectangle ("Rectangular").
class PLASTRUM_API RadialGradientBrush final : public PathBrushBase {
 public:
  RadialGradientBrush(const NativeRectF& bounds, bool ellipse, uint8_t direction);
  NativeRectF bounds;
  bool ellipse;
  uint8_t direction;
  // The rectangle the brush's path lies on.
  NativeRectF path{};
};

class PLASTRUM_API PathGradientBrush final : public PathBrushBase {
 public:
  PathGradientBrush(const NativePointF* points, int32_t count);
};

class PLASTRUM_API TileBrush : public Brush {
 protected:
  using Brush::Brush;
};

class PLASTRUM_API ImageBrush final : public TileBrush {
 public:
  // Wrap 4 draws the image once.
  explicit ImageBrush(NativeImage image, int32_t wrap = 4);
  bool Translate(float dx, float dy);  // 2
  bool Scale(float sx, float sy);      // 3
  bool Rotate(float degrees);          // 4
  int32_t wrapMode;
  float reserved[4] = {};
};

}  // namespace Present::Rendering

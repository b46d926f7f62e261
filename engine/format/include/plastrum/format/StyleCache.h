// The style cache: render-side records built from table entries, the form the drawing side
// paints from. Lengths are in EMU (914400 per inch) as floats, fractions and angles are
// floats, and colour references are live colour objects owned by the cache.
//
// A record is kept under its entry's identifier and is valid while the entry's style slot
// names that identifier: an entry freed and reused has its slot cleared (and its record
// freed), so a record is never handed out for another value. Nested records (a shape's line,
// a fill's gradient) are the cache's records of those identifiers, shared by every record
// that names them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <plastrum/format/ColorModel.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/Export.h>

namespace Present::Style {

using ColorPtr = std::unique_ptr<Type::Color>;

struct PLASTRUM_API PictureRecord {
  int32_t id = 0;
  uint16_t binDataId = 0;
  uint8_t recolor = 0;
  ColorPtr recolorColor;
  float brightness = 0, contrast = 0, transparency = 0;
};

struct PLASTRUM_API GradientRecord {
  static constexpr int kMaxStops = 10;
  int32_t id = 0;
  uint8_t type = 0, direction = 0;
  float angle = 0;
  int32_t stopCount = 0;
  float position[kMaxStops] = {};
  ColorPtr color[kMaxStops];
  float transparency[kMaxStops] = {};
  uint8_t rotateWith = 1;
};

struct PLASTRUM_API TextureRecord {
  int32_t id = 0;
  PictureRecord* picture = nullptr;
  uint8_t mode = 1;
  float offsetX = 0, scaleX = 0, offsetY = 0, scaleY = 0;
  uint8_t alignment = 0, mirrorType = 0;
  float offsetLeft = 0, offsetRight = 0, offsetTop = 0, offsetBottom = 0, transparency = 0;
  uint8_t rotateWith = 1;
};

struct PLASTRUM_API HatchRecord {
  int32_t id = 0;
  uint8_t style = 0;
  ColorPtr foreColor, backColor;
  uint8_t rotateWith = 1;
};

struct PLASTRUM_API FillRecord {
  int32_t id = 0;
  uint8_t type = 1;
  ColorPtr solidColor;
  float transparency = 0;
  GradientRecord* gradient = nullptr;
  TextureRecord* texture = nullptr;
  HatchRecord* hatch = nullptr;
};

struct PLASTRUM_API LineRecord {
  int32_t id = 0;
  FillRecord* fill = nullptr;
  float width = 0;
  uint8_t compoundType = 0, dashType = 0, capType = 0, joinType = 0;
  uint8_t beginArrowType = 0, beginArrowSize = 0, endArrowType = 0, endArrowSize = 0;
};

struct PLASTRUM_API ShadowRecord {
  int32_t id = 0;
  uint8_t type = 0;
  ColorPtr color;
  float transparency = 0, size = 0, blur = 0, angle = 0, distance = 0;
};

struct PLASTRUM_API Format3DRecord {
  int32_t id = 0;
  uint8_t bevelTopType = 0;
  float bevelTopWidth = 0, bevelTopHeight = 0;
  uint8_t bevelBottomType = 0;
  float bevelBottomWidth = 0, bevelBottomHeight = 0;
  ColorPtr depthColor;
  float depthValue = 0;
  ColorPtr contourColor;
  float contourSize = 0;
  uint8_t surfaceMaterial = 0, surfaceLighting = 0;
  float surfaceAngle = 0;
  uint8_t surfacePreset = 0;
  float rotationX = 0, rotationY = 0, rotationZ = 0, perspective = 0;
  uint8_t keepTextFlat = 0;
  float objectDistance = 0;
};

struct PLASTRUM_API ShapeRecord {
  int32_t id = 0;
  LineRecord* line = nullptr;
  FillRecord* fill = nullptr;
  ShadowRecord* shadow = nullptr;
  Format3DRecord* format3d = nullptr;
  PictureRecord* picture = nullptr;
};

// Hundredths of a point as EMU: (v / 7200) x 914400, each step in single precision.
PLASTRUM_API float ToEmu(int64_t hundredthsOfPoint);

}  // namespace Present::Style

class PLASTRUM_API StyleCache {
 public:
  StyleCache();
  ~StyleCache();
  StyleCache(const StyleCache&) = delete;
  StyleCache& operator=(const StyleCache&) = delete;

  // The record of a table identifier, built on first use and rebuilt when the identifier
  // now names another value; null for 0 and when it cannot be built.
  Present::Style::ShapeRecord* BuildShape(uint32_t id);
  Present::Style::LineRecord* GetLine(uint32_t id);
  Present::Style::FillRecord* GetFill(uint32_t id);
  Present::Style::GradientRecord* GetGradient(uint32_t id);
  Present::Style::TextureRecord* GetTexture(uint32_t id);
  Present::Style::HatchRecord* GetHatch(uint32_t id);
  Present::Style::ShadowRecord* GetShadow(uint32_t id);
  Present::Style::Format3DRecord* Get3DFormat(uint32_t id);
  Present::Style::PictureRecord* GetPicture(uint32_t id);

  // Stores the shape record of the identifier in a drawing node's style pointer, or in a
  // canvas's page-style pointer (null for 0 or a missing entry).
  void BindShape(uint32_t id, Present::Style::ShapeRecord*& nodeStyle) { nodeStyle = BuildShape(id); }
  void BindShapeInto(uint32_t id, Present::Style::ShapeRecord*& pageStyle) { pageStyle = BuildShape(id); }

  // Deletes the record at an identifier with its colour objects; false when there is none.
  bool Free(Present::StyleKind kind, uint32_t id);
  // The record held at an identifier right now, valid or not (for tests).
  const void* Peek(Present::StyleKind kind, uint32_t id) const;

 private:
  template <class Record>
  using Vector = std::vector<std::unique_ptr<Record>>;

  // Runs `visit` on a pointer to the vector of a kind and returns what it returns; the
  // pointer is null for a value outside the enumeration.
  template <class Self, class Visit>
  static auto WithVector(Self& self, Present::StyleKind kind, Visit&& visit);

  Vector<Present::Style::ShapeRecord> shapes_;
  Vector<Present::Style::LineRecord> lines_;
  Vector<Present::Style::FillRecord> fills_;
  Vector<Present::Style::GradientRecord> gradients_;
  Vector<Present::Style::TextureRecord> textures_;
  Vector<Present::Style::HatchRecord> hatches_;
  Vector<Present::Style::ShadowRecord> shadows_;
  Vector<Present::Style::Format3DRecord> formats3d_;
  Vector<Present::Style::PictureRecord> pictures_;
};

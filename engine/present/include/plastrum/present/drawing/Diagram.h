// The drawing model's nodes: one per host object (topic, picture frame, underline, branch
// line, relation, boundary), holding its shape kind, its frame in EMU, the geometry built
// from the kind's preset, its style and its paint flags.
//
// Categories: the high byte is the family (1 topic, 2 branch, 3 relation, 4 boundary).
//   0x100 Figure (402..411)  0x102 PicFrame (401)  0x103 Underline (400)
//   0x200 Twig (100..107)    0x300 Relation (200..203)  0x400 Outline (300..308)
//
// A node's style is looked up by its shape identifier in the style cache it was bound
// through, each time it is read: the cache rebuilds or drops records as the shape table
// changes, so a node never keeps a pointer to a record that may be gone.
#pragma once

#include <cstdint>
#include <memory>

#include <plastrum/format/ColorModel.h>
#include <plastrum/format/StyleCache.h>
#include <plastrum/present/drawing/Geometry.h>
#include <plastrum/present/drawing/ShapeFrame.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

struct PaintContext;
struct PaintPosition;

inline constexpr uint16_t kCategoryFigure = 0x100;
inline constexpr uint16_t kCategoryPicFrame = 0x102;
inline constexpr uint16_t kCategoryUnderline = 0x103;
inline constexpr uint16_t kCategoryTwig = 0x200;
inline constexpr uint16_t kCategoryRelation = 0x300;
inline constexpr uint16_t kCategoryOutline = 0x400;

inline constexpr int32_t kLive = 6;     // something to paint
inline constexpr int32_t kNothing = 2;  // nothing to paint

// One pixel at 96 DPI.
inline constexpr float kEmuPerPixel = 9525.0f;

inline int FamilyOf(uint16_t category) { return category >> 8; }

// The first decoration (the fold mark) and the second (the topic's text anchor).
struct PLASTRUM_API FirstDecoration {
  int32_t id = 0;
  float x = 0, y = 0;
};

struct PLASTRUM_API SecondDecoration {
  int32_t id = 0;
  float x = 0, y = 0;
  float lengths[3] = {};
  std::unique_ptr<Type::Color> color;
};

class PLASTRUM_API Diagram {
 public:
  virtual ~Diagram();
  Diagram(const Diagram&) = delete;
  Diagram& operator=(const Diagram&) = delete;

  // The first pass (body, then decorations) and the second (state overlay) at a position;
  // 0 done, a painter's code otherwise.
  virtual int32_t PaintFirst(PaintContext& context, const PaintPosition& position);
  virtual int32_t PaintSecond(PaintContext& context, const PaintPosition& position);
  virtual int32_t Liveness() const { return kLive; }
  // The kind the node shows (a picture frame: its picture-frame kind).
  virtual uint32_t Kind() const { return kind; }
  // 3 px / zoom plus half the visible line width (boundaries: 6 px).
  virtual float HitTolerance(float zoom) const;

  // The resolved style, or null (none bound, or no record for the identifier).
  Style::ShapeRecord* Style() const;
  void BindStyle(StyleCache* cache, uint32_t shapeId);

  // Not deleted, with a geometry that has segments, and with a style.
  bool Paintable() const;
  // Not deleted and with a geometry.
  bool Alive() const { return !deleted && geometry != nullptr; }

  uint16_t category;
  uint32_t kind = 0;
  ShapeFrame frame;
  std::unique_ptr<Geometry> geometry;
  StyleCache* styleCache = nullptr;
  uint32_t shapeId = 0;
  // The visible line width when the style was bound: hit tests use it to pass over nodes
  // far from a point before they look the style up.
  float boundLineWidth = 0;
  uint32_t flags = 0;
  uint8_t deleted = 0;
  FirstDecoration first;
  SecondDecoration second;
  int32_t hostA = 0, hostB = 0;
  // A topic's text margins (EMU), when its sketch gave them.
  uint8_t marginsFlag = 0;
  float margins[4] = {};

 protected:
  explicit Diagram(uint16_t category_) : category(category_) {}
  // The body of the first pass; the base draws the shape through the painters.
  virtual int32_t PaintBody(PaintContext& context, const PaintPosition& position);
  virtual bool PaintsDecorations() const { return FamilyOf(category) == 1; }
};

class PLASTRUM_API Figure final : public Diagram {
 public:
  Figure() : Diagram(kCategoryFigure) {}
  uint8_t extra = 0;
};

class PLASTRUM_API Underline final : public Diagram {
 public:
  Underline() : Diagram(kCategoryUnderline) {}
  uint8_t extra = 0;
};

class PLASTRUM_API PicFrame final : public Diagram {
 public:
  PicFrame() : Diagram(kCategoryPicFrame) { kind = 402; }
  uint32_t Kind() const override { return picFrameKind; }
  uint8_t extra = 0;
  uint32_t picFrameKind = 402;
};

class PLASTRUM_API Twig final : public Diagram {
 public:
  Twig() : Diagram(kCategoryTwig) {}
  int32_t PaintSecond(PaintContext&, const PaintPosition&) override { return 0; }
};

class PLASTRUM_API Relation final : public Diagram {
 public:
  Relation() : Diagram(kCategoryRelation) {}
  int32_t PaintSecond(PaintContext& context, const PaintPosition& position) override;

 protected:
  int32_t PaintBody(PaintContext& context, const PaintPosition& position) override;
};

class PLASTRUM_API Outline final : public Diagram {
 public:
  Outline() : Diagram(kCategoryOutline) {}
  float HitTolerance(float zoom) const override;
};

// The category of a shape kind; 0 for kinds no node shows.
PLASTRUM_API uint16_t CategoryOfKind(uint32_t kind);
// A new node of the category (null for another category or when memory runs out).
PLASTRUM_API Diagram* NewNode(uint16_t category);
// A node of the kind's category with the kind set; null when none can be made.
PLASTRUM_API Diagram* MakeNode(uint32_t kind);
// Re-kinds a node: the same kind or another family leaves it as it is (*changed false);
// the same category stores the kind and drops the geometry; another category of the same
// family gives a new node of that category, with the kind, frame, style, flags,
// decorations and host values carried over, which the caller swaps in (null and the old
// node untouched when it cannot be made). Returns the node to use; *refused is set when
// the family differs.
PLASTRUM_API Diagram* RekindNode(uint32_t kind, Diagram* node, bool* refused = nullptr);
// Frees the geometry and builds it again from the kind and frame; whether one exists now.
PLASTRUM_API bool RebuildGeometry(Diagram& node);

// A line or fill counts unless its fill type is None (0) or Auto (5).
PLASTRUM_API bool LineVisible(const Style::ShapeRecord* style);
PLASTRUM_API bool FillVisible(const Style::ShapeRecord* style);
// The visible line width in EMU (0 for a hidden line).
PLASTRUM_API float VisibleLineWidth(const Diagram& node);

// The geometry's box grown by half the visible line width; empty without segments.
PLASTRUM_API RectF NodeBounds(const Diagram& node);
// The box grown by the whole line width and by the shadow.
PLASTRUM_API RectF NodePaintBounds(const Diagram& node);

// Counts every change of any node's geometry or bound style (rebuilds, text frames,
// bindings), so that what canvases derive from them knows when to derive it again.
PLASTRUM_API uint64_t GeometryEpoch();
PLASTRUM_API void GeometryChanged();

// The module-wide keep-nodes flag: while set, removing a node only marks it deleted.
PLASTRUM_API void SetKeepNodes(bool keep);
PLASTRUM_API bool KeepNodes();

}  // namespace Present::Drawing

// The state behind one drawing surface: the shared model, the sketch map saying where each
// node is drawn, the selection with its state bits, the preview boxes shown during
// gestures, the palette, the view and the render binding; its paint passes and hit tests.
//
// Selection state bits: 0x01 highlighted, 0x02 selected, 0x20 focused (focused counts only
// with 0x02). Pick codes, see HitTest.h.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <plastrum/format/ColorModel.h>
#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/drawing/DrawingModel.h>
#include <plastrum/present/drawing/PaintContext.h>
#include <plastrum/present/painting/RenderRecords.h>
#include <plastrum/present/painting/RenderingImages.h>
#include <plastrum/Export.h>

class IPresentCanvasOwner;

namespace Present::Drawing {

struct PLASTRUM_API Sketch {
  Diagram* node = nullptr;
  float x = 0, y = 0;
  uint8_t flags = 0;

  int32_t Paint(PaintContext& context) const;
  int32_t Liveness() const;

  // Where a point may hit the node, relative to the sketch position: its box, rotation
  // knob, text handle and adjust handles, grown by half its line width, before the zoom's
  // margin. Derived when the sketch is merged and again whenever any geometry changed.
  RectF reach;
  void DeriveReach();
};

struct PLASTRUM_API SketchMap {
  std::array<std::vector<Sketch>, DrawingModel::kFamilies> lists;
  // {min x, min y, max x, max y} of everything placed; none while empty.
  Bounds extents;
  // The geometry epoch the sketches' reaches were derived at.
  uint64_t reachEpoch = 0;
  // Derives every sketch's reach again when any geometry changed since.
  void RefreshReaches();

  bool Empty() const;
  // The last sketch of a node, or null; the node is compared by address, never read.
  Sketch* Find(const Diagram* node);
};

struct PLASTRUM_API SelectionEntry {
  Diagram* node = nullptr;
  float x = 0, y = 0;
  uint8_t state = 0;
  uint8_t placed = 0;
};

struct PLASTRUM_API Etude {
  float x = 0, y = 0, width = 0, height = 0;
  Diagram* node = nullptr;
  int32_t paintFlags = 0;
  PaintPosition position;
  float scaledWidth = 0, scaledHeight = 0;

  // Scales the etude by (sx, sy) about the anchor fractions (ax, ay): each side at least
  // 76200 EMU (8 px), the position moved so that the anchor stays.
  void Scale(float sx, float sy, float ax, float ay);
  int32_t Paint(PaintContext& context);
};

struct PLASTRUM_API BlindBox {
  std::unique_ptr<Diagram> node;
  PaintPosition position;  // state non-zero: shown
};

struct PLASTRUM_API FloatingBox {
  std::unique_ptr<Diagram> node;
  std::u16string iconPath;
  RectF rect;
  std::unique_ptr<Rendering::Image> image;
  uint8_t active = 0;
};

struct PLASTRUM_API MovingBox {
  Diagram* node = nullptr;
  float dx = 0, dy = 0, width = 0, height = 0;
  int32_t mode = 0;
  uint8_t flag = 0;
  uint32_t branchKind = 0;
  uint8_t anchor = 0;
  uint8_t active = 0;
};

struct PLASTRUM_API MovingOutline {
  std::vector<PointF> points;
  int32_t value = 0;
  Bounds bounds;
  uint8_t active = 0;
};

struct PLASTRUM_API MovingCalloutBox {
  Diagram* node = nullptr;
  RectF rect;
  uint8_t active = 0;
};

struct PLASTRUM_API DroppingBox {
  Diagram* node = nullptr;
  float x = 0, y = 0;
  float lengths[4] = {};
  int32_t mode = 0;
  uint8_t active = 0;
};

struct PLASTRUM_API RelatingBox {
  Diagram* from = nullptr;
  PointF fromPoint;
  Diagram* to = nullptr;
  PointF toPoint;
  PointF ends[2];
  std::unique_ptr<Diagram> connector;
  int32_t mode = 0;
  uint8_t active = 0;
};

struct PLASTRUM_API SelectingHit {
  Diagram* node = nullptr;
  uint8_t code = 0;
  uint8_t flags = 0;
};

struct PLASTRUM_API SelectingBox {
  void* owner = nullptr;
  float startX = 0, startY = 0, currentX = 0, currentY = 0;
  uint8_t active = 0;
  std::vector<SelectingHit> hits;
  // The normalised rectangle (min corner, absolute sides).
  RectF Rect() const;
};

struct PLASTRUM_API Preview {
  std::vector<Etude> etudes;
  BlindBox blind;
  FloatingBox floating;
  MovingBox moving;
  MovingOutline outline;
  MovingCalloutBox callout;
  DroppingBox dropping;
  RelatingBox relating;
  SelectingBox selecting;

  // No etude and every box hidden (the boxes keep their nodes).
  void Clear();
};

struct PLASTRUM_API ViewRecord {
  int32_t pageValues[4] = {};
  float zoomX = 1.0f, zoomY = 1.0f;
  float originX = 0, originY = 0;
  // {left, top, width, height} in EMU.
  RectF rect;
  StyleCache* pageCache = nullptr;
  uint32_t pageStyleId = 0;
  float resolutionX = 96.0f, resolutionY = 96.0f;
  int32_t pixelWidth = 0, pixelHeight = 0;
  uint8_t hasCanvas = 0;

  const Style::ShapeRecord* PageStyle() const;
};

// The engine's feedback colour: the blind box and the background of an image blit.
inline constexpr uint32_t kFeedbackColor = 0xFFE6E6E6u;

class PLASTRUM_API Canvas {
 public:
  // Shares the model (one more reference) or makes one of its own.
  explicit Canvas(DrawingModel* shared = nullptr);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // False when the model could not be made.
  bool Valid() const { return model != nullptr; }

  // Appends a sketch to its family's list: the node's selection entry takes its position
  // (placed) and the sketch the entry's state; the extents grow by the node's paint bounds
  // at the sketch position. False for a node of no family or when memory runs out.
  bool MergeSketch(const Sketch& sketch);
  // Replaces the etude of the same node or appends one.
  bool NewEtude(Diagram* node, const PaintPosition& position, int32_t paintFlags);

  // The selection entry of a node, searched from the end; null when none.
  SelectionEntry* FindEntry(const Diagram* node);
  // Replaces the node's entry or appends one.
  bool SetEntry(const SelectionEntry& entry);
  // state &= ~mask; an entry left without any bit of 0x0f is zeroed, and the count
  // shrinks only when it was the last.
  void ClearEntryBits(const Diagram* node, uint8_t mask);
  void ClearSelection();
  int32_t SelectionCount() const { return selectionCount; }

  // Every reference to `old` in the selection and the etudes names `fresh` instead (the
  // etude takes the new node's width and height), `old` leaves the model and `fresh`
  // joins it.
  void ReplaceNode(Diagram* old, Diagram* fresh);

  // 0 sketches, extents, cached image, placed bytes and preview; 2 the cached image; 3 the
  // preview; 4 the selection. True for those kinds.
  bool ResetState(uint8_t kind);

  // The selecting box: begin at a point, or cancel (null).
  void BeginSelectingBox(void* owner, const PointF* point);
  // Moves the second corner, activates and collects the topic hits; cancels for null.
  void UpdateSelectingBox(const PointF* point);

  // The paint passes 0-5 (see Canvas.cpp); 0, or the code of a failed step.
  int32_t PaintAll(PaintContext& context);
  // Pass 4 (the selection, only without etudes) and pass 5 (the preview).
  int32_t PaintOverlay(PaintContext& context);
  // A context for painting this canvas on its render block.
  PaintContext MakePaintContext();

  // Binds a device context: the render block takes the settings and attaches the device;
  // the view takes the resolution. The attach's code (0, or 21 without a device).
  int32_t AttachContext(const ContextRecord& settings);
  // Draws the off-screen image onto a target context, scaled to fit (width, height) and
  // centred over the feedback colour; false without an image or render.
  bool BlitImage(const ContextRecord& target, int32_t width, int32_t height);

  // Palette entries as host records (12 x 12 bytes), kept up to date.
  const uint8_t* PaletteRecord();
  Type::Color* const* PalettePointers() { return palettePointers_.data(); }

  DrawingModel* model = nullptr;
  SketchMap sketches;
  std::vector<SelectionEntry> selection;
  int32_t selectionCount = 0;
  Preview preview;
  std::array<Type::Color, 12> palette;
  ViewRecord view;
  Rendering::PaintRenderBlock render;
  std::unique_ptr<Rendering::Image> cachedImage;
  IPresentCanvasOwner* owner = nullptr;
  uint32_t modeFlags = 0;

 private:
  std::array<Type::Color*, 12> palettePointers_{};
  std::array<uint8_t, 144> paletteRecord_{};
};

}  // namespace Present::Drawing

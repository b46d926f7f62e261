// The objects behind Luminar's handles. A handle is one reference-counted object of a
// fixed kind; its content is empty until a create or load call fills it.
#pragma once

#include <cairo.h>

#include <atomic>
#include <memory>
#include <vector>

#include <kx2/ImageCodec.h>

#include "luminar/Luminar.h"
#include "luminar/LuminarTesting.h"

struct LuminarObject {
  explicit LuminarObject(LuminarKind k);
  virtual ~LuminarObject();
  LuminarObject(const LuminarObject&) = delete;
  LuminarObject& operator=(const LuminarObject&) = delete;

  const LuminarKind kind;
  std::atomic<LONG> refs{1};
};

namespace luminar {

// A path as the commands that rebuild it on any Cairo context.
struct PathData {
  struct Op {
    enum Type { kMove, kLine, kCurve, kClose } type;
    double pts[6];
  };
  std::vector<Op> ops;

  void MoveTo(double x, double y) { ops.push_back({Op::kMove, {x, y}}); }
  void LineTo(double x, double y) { ops.push_back({Op::kLine, {x, y}}); }
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
    ops.push_back({Op::kCurve, {x1, y1, x2, y2, x3, y3}});
  }
  void Close() { ops.push_back({Op::kClose, {}}); }
  void AddPolygon(const NativePointF* points, LONG count, bool closed);
  void AddRectangle(double x, double y, double w, double h);
  void AddEllipse(double x, double y, double w, double h);
  void Apply(cairo_t* cr) const;
  // The outline flattened into polygons (in the path's own coordinates).
  std::vector<std::vector<NativePointF>> Flatten() const;
};

struct CairoDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
  void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, CairoDeleter>;
using PatternPtr = std::unique_ptr<cairo_pattern_t, CairoDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, CairoDeleter>;

struct Image : LuminarObject {
  Image() : LuminarObject(kLuminarImage) {}
  int type = 0;        // 0 empty, 1 bitmap, 2 metafile
  SurfacePtr surface;  // ARGB32 for a bitmap, a recording surface for a metafile
  int width = 0;
  int height = 0;
  float dpiX = 96;
  float dpiY = 96;
  bool hasAlpha = true;
  bool recording = false;           // a recording target is still drawing into the metafile
  double originX = 0, originY = 0;  // a metafile's top-left corner in its own coordinates
  void Reset() {
    type = 0, surface.reset(), width = height = 0, dpiX = dpiY = 96, hasAlpha = true, recording = false;
    originX = originY = 0;
  }
};

enum class BrushKind { kNone, kSolid, kHatch, kLinear, kPath, kTexture };

struct Brush : LuminarObject {
  Brush() : LuminarObject(kLuminarBrush) {}
  BrushKind type = BrushKind::kNone;
  DWORD color = 0;
  // Linear: the gradient line's ends; path: the boundary polygons and centre.
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  std::vector<std::vector<NativePointF>> boundary;
  NativePointF center{0, 0};
  std::vector<DWORD> colors;  // blend colours, positions ascending
  std::vector<float> positions;
  SurfacePtr tile;  // hatch tile or texture
  LONG wrap = 0;
  cairo_matrix_t transform;  // pattern space to user space
  // The pattern to paint with (new reference), or null when it cannot be made.
  PatternPtr MakePattern() const;
};

struct Arrow {
  LONG type = 0;
  LONG size = 0;
  float width = 0;
};

struct Pen : LuminarObject {
  Pen() : LuminarObject(kLuminarPen) {}
  bool filled = false;
  DWORD color = 0xFF000000;
  LuminarObject* brush = nullptr;  // referenced
  float width = 1;
  LONG dash = 0, cap = 0, compound = 0, join = 0;
  Arrow begin, end;
  ~Pen() override;
};

struct Path : LuminarObject {
  Path() : LuminarObject(kLuminarPath) {}
  bool filled = false;
  bool evenOdd = false;
  PathData data;
};

struct Region : LuminarObject {
  Region() : LuminarObject(kLuminarRegion) {}
  bool filled = false;
  PathData data;  // filled with the even-odd rule
};

struct Render : LuminarObject {
  Render() : LuminarObject(kLuminarRender) {}
  ~Render() override;
  int target = 0;  // 0 none, 1 DC, 2 DC with a device, 3 image
  ContextPtr cr;
  HDC hdc = nullptr;
  HANDLE device = nullptr;
  Image* image = nullptr;                 // referenced while attached
  cairo_matrix_t base;                    // the DC's mapping
  std::vector<cairo_rectangle_t> dcClip;  // device rectangles; empty = none
  float dpiX = 96, dpiY = 96;
  double zoomX = 1, zoomY = 1;
  bool smooth = false;
  bool hasRegion = false;
  PathData region;
  HDC lent = nullptr;
  void Detach();
  // Prepares the context for one drawing call: transform, clip, antialias.
  void Begin();
  // The user-to-device mapping Begin sets.
  cairo_matrix_t ToDevice() const;
  // Draws onto pixels, not onto a surface that may be replayed larger.
  bool PaintsPixels() const;
  void End() { cairo_restore(cr.get()); }
};

template <class T>
T* As(NativeHandle h, LuminarKind kind) {
  return h && h->kind == kind ? static_cast<T*>(h) : nullptr;
}

bool Finite(float v);
cairo_pattern_t* SolidPattern(DWORD argb);
void SetSourceArgb(cairo_t* cr, DWORD argb);
void Journal(const char* format, ...) __attribute__((format(printf, 1, 2)));
LONG Release(NativeHandle h, LuminarKind kind);
// A premultiplied ARGB32 surface, or null above the size rule.
SurfacePtr NewImageSurface(int width, int height);

}  // namespace luminar

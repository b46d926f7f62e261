// A device context: its selected objects, colours, modes, mapping, clipping and path, and
// the pixels (or outside Cairo surface) it draws on.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "GdiObjects.h"
#include "RegionOps.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace kx2::gdi {

class Font;

struct PathPoint {
  double x, y;
  enum Kind { kMove, kLine, kCurve, kClose } kind;
};

struct DcState {
  std::shared_ptr<Pen> pen;
  std::shared_ptr<Brush> brush;
  std::shared_ptr<Font> font;
  std::shared_ptr<Bitmap> bitmap;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  COLORREF dcBrushColor = 0xFFFFFF;
  COLORREF dcPenColor = 0;
  int bkMode = OPAQUE;
  UINT textAlign = 0;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  int polyFillMode = ALTERNATE;
  int charExtra = 0;
  int mapMode = MM_TEXT;
  POINT windowOrg{0, 0}, viewportOrg{0, 0};
  SIZE windowExt{1, 1}, viewportExt{1, 1};
  POINT position{0, 0};
  POINT brushOrg{0, 0};
  std::optional<Rects> clip;  // device units; none: the whole surface
};

// What a shape is painted with.
struct Paint {
  enum Kind { kNone, kSolid, kBrush } kind = kNone;
  uint32_t pixel = 0;  // kSolid
  const Brush* brush = nullptr;
};

class Dc final : public GdiObject {
 public:
  explicit Dc(bool memory) : GdiObject(memory ? OBJ_MEMDC : OBJ_DC) {}
  ~Dc() override;

  // The surface: the selected bitmap, or an outside Cairo surface.
  Bitmap* Target() const { return state.bitmap.get(); }
  int Width() const;
  int Height() const;
  bool Mono() const { return state.bitmap && state.bitmap->bitsPixel == 1; }
  RECT Bounds() const { return RECT{0, 0, Width(), Height()}; }
  // What drawing may touch (device): the application's clip within the system clip,
  // none when neither is set.
  std::optional<Rects> Clip() const;
  // The clip region (device) cut to the surface.
  Rects ClipRects() const;
  RECT ClipBox() const;

  // Logical to device mapping; a mirrored DC (LAYOUT_RTL) counts device x from the right.
  bool Mirrored() const { return (layout & LAYOUT_RTL) != 0; }
  double ScaleX() const { return double(state.viewportExt.cx) / state.windowExt.cx; }
  double ScaleY() const { return double(state.viewportExt.cy) / state.windowExt.cy; }
  POINT ToDevice(int x, int y) const;
  POINT ToLogical(int x, int y) const;
  void ToDeviceF(double& x, double& y) const;
  int WidthToDevice(int w) const;
  // The device pixel a logical pixel lands on (a mirrored pixel's left edge is its right).
  POINT PixelToDevice(int x, int y) const;

  // Paints a shape: `emit` adds the path (device units) and fills or strokes it with any
  // source; its coverage is painted with `paint` under the clip and the ROP2 mode.
  // `bounds` bounds the ink (device units).
  void PaintShape(RECT bounds, const Paint& paint, bool antialias, const std::function<void(cairo_t*)>& emit);
  // Paints 8-bit coverage (rows `pitch` bytes apart, covering `area`) within `clip`.
  void PaintCoverage(const uint8_t* coverage, ptrdiff_t pitch, const RECT& area, const Paint& paint, const Rects& clip);
  // Paints a whole device rectangle under the clip and the ROP2 mode, as PaintShape would
  // paint its filled path, without rasterising a mask.
  void PaintRect(const RECT& rect, const Paint& paint);
  // Paint of the selected brush / pen (kNone for the null ones).
  Paint BrushPaint(const Brush* brush) const;
  Paint PenPaint() const;
  uint32_t PatternPixel(const Brush& brush, int x, int y) const;

  // Copies a DIB section's caller bits in before drawing and back after.
  class DrawScope {
   public:
    explicit DrawScope(Dc& dc);
    ~DrawScope();

   private:
    Dc& dc_;
  };

  DcState state;
  std::vector<DcState> saved;
  cairo_surface_t* outside = nullptr;  // a DC over an outside surface (kx2/GdiCairo.h)
  // A window DC's visible region (device units). It is not part of the saved state and no
  // clip call reaches it, so an application's clip can only narrow it.
  std::optional<Rects> systemClip;
  double dpiX = 96, dpiY = 96;
  DWORD layout = 0;
  bool screen = false;
  // Paths.
  bool pathOpen = false;
  bool pathDone = false;
  std::vector<PathPoint> path;
};

std::shared_ptr<Dc> LookupDc(HDC hdc);
// Selects a bitmap in a DC: a bitmap is selected in one DC at a time.
bool SelectBitmap(Dc& dc, std::shared_ptr<Bitmap> bitmap);
std::shared_ptr<Bitmap> DefaultBitmap();
std::shared_ptr<Dc> MakeDcForOutside(cairo_surface_t* surface);
std::shared_ptr<Pen> StockPen(int index);
std::shared_ptr<Brush> StockBrush(int index);

}  // namespace kx2::gdi

#include <vantorel/render_scene.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <tuple>

#include <cairo-svg.h>
#include <cairo.h>

#include <kx2/GdiCairo.h>
#include <kx2/PathMap.h>
#include <luminar/LuminarTesting.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentFill.h>
#include <plastrum/format/PresentLine.h>
#include <plastrum/format/PresentShape.h>
#include <plastrum/format/ShapeHandler.h>
#include <plastrum/present/canvas/PresentCanvas.h>
#include <plastrum/present/designer/Designer.h>
#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/present/shell/present_context.h>
#include <plastrum/present/shell/present_exports.h>
#include <plastrum/present/text/Calligraphy.h>
#include <plastrum/present/text/Typography.h>
#include <vantorel/present_host.h>
#include <win/gdi.h>
#include <win/gdi_text.h>

namespace vantorel::cli {
namespace {

constexpr LONG kBranchKind = 102;    // cubic curve
constexpr LONG kRelationKind = 200;  // curved relationship
constexpr LONG kBoundaryKind = 304;  // rounded boundary

// A GDI font for a topic's text style at a resolution, freed with the object.
class TopicFont {
 public:
  TopicFont(const MapTopic& t, int dpi) {
    const int height = -std::max(1, static_cast<int>(std::lround(t.size / 100.0 * dpi / 72.0)));
    font_ = CreateFontW(height, 0, 0, 0, t.bold ? 700 : 400, 0, 0, 0, 1, 0, 0, 0, 0, t.face.c_str());
  }
  ~TopicFont() {
    if (font_) DeleteObject(font_);
  }
  TopicFont(const TopicFont&) = delete;
  TopicFont& operator=(const TopicFont&) = delete;
  HFONT get() const { return font_; }

 private:
  HFONT font_ = nullptr;
};

// A memory DC over a white 32-bit DIB section.
class PictureTarget {
 public:
  bool Create(int width, int height, int dpi) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_ || !bits) return false;
    auto* pixels = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) pixels[i] = 0xFFFFFF;
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) return false;
    old_ = SelectObject(dc_, bitmap_);
    Kx2GdiSetResolution(dc_, dpi, dpi);
    return true;
  }
  ~PictureTarget() {
    if (dc_) {
      SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
  }
  HDC dc() const { return dc_; }

 private:
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  HDC dc_ = nullptr;
};

// A typography text object for a topic's face (in both slots), em size and weight.
Present::Text::TextObject* NewTopicTextObject(IPresentTypography* typography, const MapTopic& t) {
  if (!typography) return nullptr;
  Present::Text::TextFormat format{};
  format.weight = t.bold ? 700 : 400;
  for (auto& slot : format.slots) {
    const size_t n = std::min<size_t>(t.face.size(), 31);
    std::copy_n(t.face.begin(), n, slot.faceName);
    slot.size = -t.size;  // negative: the em height
    slot.widthPercent = 100;
  }
  return typography->NewTextObject(&format);
}

// The stand-in's canvas owner: no picture files; a topic's text drawn on the picture's DC.
class RenderOwner final : public IPresentCanvasOwner {
 public:
  RenderOwner(const MapScene& scene, HDC dc, int dpi, IPresentDesigner* designer)
      : scene_(scene), dc_(dc), dpi_(dpi), designer_(designer) {}
  ~RenderOwner() {
    if (IPresentTypography* typography = designer_->GetTypography())
      for (auto& [key, object] : textObjects_)
        if (object) typography->FreeTextObject(object);
  }
  RenderOwner(const RenderOwner&) = delete;
  RenderOwner& operator=(const RenderOwner&) = delete;
  PixelMap map;
  int textsDrawn = 0;
  void SetDc(HDC dc) { dc_ = dc; }

  BOOL GetBinaryDataFile(LONG, VtlPathBuffer* path) override {
    if (!path || !path->text || path->capacity == 0) return FALSE;
    path->text[0] = 0;
    return TRUE;
  }
  BOOL DrawText(const void* record, LONG hostA, LONG, POINT anchor) override {
    if (!record || hostA < 0 || static_cast<size_t>(hostA) >= scene_.topics.size()) return FALSE;
    const MapTopic& t = scene_.topics[static_cast<size_t>(hostA)];
    // As the host does: a calligraphy over the paint's own render, for this text only (GDI
    // text when the engine makes none).
    auto* calligraphy = static_cast<IPresentCalligraphy*>(designer_->NewCalligraphy(const_cast<void*>(record)));
    const std::unique_ptr<IPresentCalligraphy, std::function<void(IPresentCalligraphy*)>> held(
        calligraphy, [this](IPresentCalligraphy* c) { designer_->FreeCalligraphy(c); });
    if (calligraphy) {
      if (Present::Text::TextObject* object = TextObjectFor(t)) {
        Present::Text::CalligraphyText text{object,
                                            static_cast<int32_t>(std::lround(map.X(anchor.x) * 7200.0 / dpi_)),
                                            static_cast<int32_t>(std::lround(map.Y(anchor.y) * 7200.0 / dpi_)),
                                            0,
                                            t.textColor,
                                            0,
                                            0,
                                            0x10000000u};
        const BOOL ok = calligraphy->DrawText(&text, t.text.c_str(), int(t.text.size()), nullptr, nullptr);
        if (ok) ++textsDrawn;
        return ok;
      }
    }
    const HFONT font = FontFor(t);
    if (!font) return FALSE;
    HGDIOBJ old = SelectObject(dc_, font);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB((t.textColor >> 16) & 0xFF, (t.textColor >> 8) & 0xFF, t.textColor & 0xFF));
    const BOOL ok = TextOutW(dc_, static_cast<int>(std::lround(map.X(anchor.x))),
                             static_cast<int>(std::lround(map.Y(anchor.y))), t.text.c_str(), int(t.text.size()));
    SelectObject(dc_, old);
    if (ok) ++textsDrawn;
    return ok;
  }

 private:
  // One typography text object per face, size and weight.
  Present::Text::TextObject* TextObjectFor(const MapTopic& t) {
    auto& object = textObjects_[std::make_tuple(t.face, t.size, t.bold)];
    if (!object) object = NewTopicTextObject(designer_->GetTypography(), t);
    return object;
  }
  // One font per face, size and weight for the whole paint.
  HFONT FontFor(const MapTopic& t) {
    auto& font = fonts_[std::make_tuple(t.face, t.size, t.bold)];
    if (!font) font = std::make_unique<TopicFont>(t, dpi_);
    return font->get();
  }

  const MapScene& scene_;
  HDC dc_;
  int dpi_;
  IPresentDesigner* designer_;
  std::map<std::tuple<std::u16string, int32_t, bool>, std::unique_ptr<TopicFont>> fonts_;
  std::map<std::tuple<std::u16string, int32_t, bool>, Present::Text::TextObject*> textObjects_;
};

// Measures texts in hundredths of a point with a calligraphy over a context of an engine of
// its own, on a memory DC at 96 DPI; GDI's extents when the engine gives no calligraphy.
class TextMeasurer {
 public:
  TextMeasurer() : dc_(CreateCompatibleDC(nullptr)) {
    engine_ = CreatePresentEngine();
    designer_ = engine_ ? engine_->GetDesigner() : nullptr;
    if (!designer_ || !dc_) return;
    context_ = designer_->NewContext();
    if (!context_) return;
    context_->SetDefaultDpi(96);
    context_->SetDevice(dc_);
    calligraphy_ = static_cast<IPresentCalligraphy*>(designer_->NewContextCalligraphy(context_));
  }
  ~TextMeasurer() {
    if (designer_) {
      if (calligraphy_) designer_->FreeCalligraphy(calligraphy_);
      if (IPresentTypography* typography = designer_->GetTypography())
        for (auto& [key, object] : objects_)
          if (object) typography->FreeTextObject(object);
      if (context_) {
        context_->DetachDevice();
        designer_->FreeContext(context_);
      }
    }
    if (engine_) DestroyPresentEngine();
    fonts_.clear();
    if (dc_) DeleteDC(dc_);
  }
  TextMeasurer(const TextMeasurer&) = delete;
  TextMeasurer& operator=(const TextMeasurer&) = delete;
  // The designer's text rectangle of a topic kind: the shape whose text rectangle holds the
  // padded text, and where that text lies in it.
  bool ShapeAround(int32_t kind, int32_t width, int32_t height, MapBox* box, int32_t* x, int32_t* y) {
    if (!designer_) return false;
    const PresentTextSize text{width, height, 0};
    const PresentTextRectRequest request{kind, &text, &text};
    LONG out[6] = {};
    if (!designer_->GetTextRect(&request, out)) return false;
    box->width = out[0];
    box->height = out[1];
    *x = out[2];
    *y = out[3];
    return true;
  }
  void operator()(const MapTopic& t, int32_t* width, int32_t* height) {
    const std::u16string text = t.text.empty() ? u" " : t.text;
    if (calligraphy_) {
      auto& object = objects_[std::make_tuple(t.face, t.size, t.bold)];
      if (!object) object = NewTopicTextObject(designer_->GetTypography(), t);
      Present::Text::CalligraphyText record{object, 0, 0, 0, 0xFF000000u, 0, 0, 0x10000000u};
      SIZE extent{0, 0};
      if (object && calligraphy_->MeasureText(&record, text.c_str(), int(text.size()), nullptr, &extent, 0) &&
          extent.cx > 0 && extent.cy > 0) {
        *width = extent.cx;
        *height = extent.cy;
        return;
      }
    }
    auto& font = fonts_[std::make_tuple(t.face, t.size, t.bold)];
    if (!font) font = std::make_unique<TopicFont>(t, 96);
    SIZE size{0, 0};
    HGDIOBJ old = SelectObject(dc_, font->get());
    GetTextExtentPoint32W(dc_, text.c_str(), int(text.size()), &size);
    SelectObject(dc_, old);
    *width = size.cx * 75;  // 7,200 hundredths of a point an inch at 96 pixels
    *height = std::max<LONG>(size.cy, 1) * 75;
  }

 private:
  HDC dc_;
  IPresentEngine* engine_ = nullptr;
  IPresentDesigner* designer_ = nullptr;
  IPresentContext* context_ = nullptr;
  IPresentCalligraphy* calligraphy_ = nullptr;
  std::map<std::tuple<std::u16string, int32_t, bool>, Present::Text::TextObject*> objects_;
  std::map<std::tuple<std::u16string, int32_t, bool>, std::unique_ptr<TopicFont>> fonts_;
};

// Styles interned once per distinct set of colours and arrows.
// Shape styles as the host makes them: a shape context of the engine's default shape gets
// the line and fill, is applied to a new shape (which interns the nested line and fills) and
// the shape is interned through the engine's shape handler. One identifier per look.
class StyleBook {
 public:
  explicit StyleBook(IPresentEngine* engine) : engine_(engine) {}
  LONG Shape(uint32_t fillArgb, uint32_t lineArgb, int32_t width, uint8_t beginArrow = 0, uint8_t endArrow = 0) {
    const auto key = std::make_tuple(fillArgb, lineArgb, width, beginArrow, endArrow);
    if (auto it = ids_.find(key); it != ids_.end()) return it->second;
    IPresentShapeHandler* handler = engine_ ? engine_->GetShapeHandler() : nullptr;
    // A context expanded from the default shape: every field common, so Apply carries all.
    CPresentShape* shape = engine_ ? engine_->NewShape(nullptr) : nullptr;
    IPresentShapeCtx* held = shape ? engine_->NewShapeCtx(shape) : nullptr;
    LONG id = -1;
    if (handler && held && shape) {
      auto* context = static_cast<CPresentShapeCtx*>(held);
      CPresentLineCtx& line = context->line;
      line.fill.v.type = lineArgb ? 1 : 0;
      line.fill.v.solidColor = PresentColorRef(lineArgb, 0);
      line.v.width = width;
      line.v.beginArrowType = beginArrow;
      line.v.endArrowType = endArrow;
      // Large arrowheads: a relationship's direction reads at a glance.
      line.v.beginArrowSize = 8;
      line.v.endArrowSize = 8;
      context->fill.v.type = fillArgb ? 1 : 0;
      context->fill.v.solidColor = PresentColorRef(fillArgb, 0);
      if (held->Apply(shape)) id = handler->InternShape(shape);
    }
    if (shape) engine_->FreeShape(shape);
    if (held) engine_->FreeShapeCtx(held);
    ids_.emplace(key, id);
    return id;
  }

 private:
  IPresentEngine* engine_;
  std::map<std::tuple<uint32_t, uint32_t, int32_t, uint8_t, uint8_t>, LONG> ids_;
};

// A line node (branch, relationship, boundary) placed at the origin with its own points.
bool SyncLine(IPresentCanvas* canvas, LONG kind, LONG shapeId, std::vector<POINT> points) {
  PresentGeometryInfo geometry{0, 0, 0, 0, points.data(), LONG(points.size())};
  PresentObjectInfo info{nullptr, kind, shapeId, 0, &geometry, -1, 0};
  if (!canvas->SyncObject(&info)) return false;
  PresentSketchInfo sketch{};
  sketch.node = info.node;
  sketch.geometry = &geometry;
  return canvas->SetSketch(&sketch) != FALSE;
}

// The engine centres the fold mark, 14 pixels across at 96 DPI, on its anchor. On the box's
// edge it covered the first letter of a left-hand topic whose text sits close to its border;
// it sits just outside the outer edge instead, where the hidden branches would leave
// (8 pixels at 96 DPI, in hundredths of a point).
constexpr LONG kFoldMarkOffset = 600;
constexpr LONG kFoldMarkRadius = 525;

// The fold mark's centre, in host units from the map's origin.
POINT FoldMarkCentre(const MapTopic& t) {
  return {t.side > 0 ? t.box.Right() + kFoldMarkOffset : t.box.x - kFoldMarkOffset, t.box.MidY()};
}
bool ShowsFoldMark(const MapTopic& t) { return t.visible && t.folded && !t.children.empty(); }

constexpr LONG kUnderlineKind = 400;
// Where branches meet a topic: the middle of its side, or the line under an underlined one.
LONG BranchY(const MapTopic& t) { return t.kind == kUnderlineKind ? t.box.Bottom() : t.box.MidY(); }

bool SyncScene(IPresentCanvas* canvas, const MapScene& scene, StyleBook& styles, SyncCounts* counts) {
  // Boundaries first so that topics and branches lie over their fill.
  for (const MapBoundary& b : scene.boundaries) {
    if (!scene.topics[static_cast<size_t>(b.topic)].visible) continue;
    const LONG x0 = b.box.x, y0 = b.box.y, x1 = b.box.Right(), y1 = b.box.Bottom();
    if (!SyncLine(canvas, kBoundaryKind, styles.Shape(b.fillColor, b.lineColor, 100),
                  {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}}))
      return false;
    ++counts->boundaries;
  }
  for (size_t i = 1; i < scene.topics.size(); ++i) {
    const MapTopic& t = scene.topics[i];
    if (!t.visible) continue;
    const MapTopic& parent = scene.topics[static_cast<size_t>(t.parent)];
    const MapBox& p = parent.box;
    const POINT a{t.side > 0 ? p.Right() : p.x, BranchY(parent)};
    const POINT d{t.side > 0 ? t.box.x : t.box.Right(), BranchY(t)};
    const LONG mid = (a.x + d.x) / 2;
    if (!SyncLine(canvas, kBranchKind, styles.Shape(0, t.branchColor, 150), {a, {mid, a.y}, {mid, d.y}, d}))
      return false;
    ++counts->branches;
  }
  for (size_t i = 0; i < scene.topics.size(); ++i) {
    const MapTopic& t = scene.topics[i];
    if (!t.visible) continue;
    // An underline is the rectangle of its kind flattened onto the box's bottom edge.
    const bool underline = t.kind == kUnderlineKind;
    const LONG top = underline ? t.box.Bottom() : t.box.y;
    PresentGeometryInfo geometry{t.box.width, underline ? 0 : t.box.height, 0, 0, nullptr, 0};
    PresentObjectInfo info{
        nullptr, t.kind, styles.Shape(t.fillColor, t.lineColor, t.level == 0 ? 150 : 100), 0, &geometry, LONG(i), 0};
    if (!canvas->SyncObject(&info)) return false;
    const POINT mark = FoldMarkCentre(t);
    PresentFirstAnchor fold{2, mark.x - t.box.x, mark.y - top};
    PresentSecondAnchor text{1, t.textX, t.textY - (top - t.box.y), {t.textWidth, t.textHeight, 0}, 0, 0};
    PresentSketchInfo sketch{};
    sketch.node = info.node;
    sketch.x = t.box.x;
    sketch.y = top;
    sketch.geometry = &geometry;
    sketch.first = ShowsFoldMark(t) ? &fold : nullptr;
    sketch.second = &text;
    if (!canvas->SetSketch(&sketch)) return false;
    ++counts->topics;
  }
  for (const MapRelationship& r : scene.relationships) {
    const MapTopic& f = scene.topics[static_cast<size_t>(r.from)];
    const MapTopic& t = scene.topics[static_cast<size_t>(r.to)];
    if (!f.visible || !t.visible) continue;
    std::vector<POINT> points;
    if (std::abs(t.box.MidX() - f.box.MidX()) * 2 < f.box.width + t.box.width) {
      // One above the other: from their outer edges, bowed outwards.
      const int side = f.side != 0 ? f.side : 1;
      const LONG ax = side > 0 ? f.box.Right() : f.box.x, dx = side > 0 ? t.box.Right() : t.box.x;
      const LONG bow = side * std::max<LONG>(3000, std::abs(t.box.MidY() - f.box.MidY()) / 2);
      const LONG out = side > 0 ? std::max(ax, dx) + bow : std::min(ax, dx) + bow;
      points = {{ax, f.box.MidY()}, {out, f.box.MidY()}, {out, t.box.MidY()}, {dx, t.box.MidY()}};
    } else {
      // From the top edge of one to the top edge of the other, bowed upwards.
      const POINT a{f.box.MidX(), f.box.y};
      const POINT d{t.box.MidX(), t.box.y};
      const LONG bow = std::max<LONG>(3000, std::abs(d.x - a.x) / 4);
      const LONG top = std::min(a.y, d.y) - bow;
      points = {a, {a.x + (d.x - a.x) / 4, top}, {d.x - (d.x - a.x) / 4, top}, d};
    }
    if (!SyncLine(canvas, kRelationKind, styles.Shape(0, r.color, 150, r.beginArrow, r.endArrow), points)) return false;
    ++counts->relationships;
  }
  return true;
}

// The classic palette the canvas reads its indexed colours from.
constexpr DWORD kPalette[12] = {0xFF000000, 0xFFFFFFFF, 0xFF1F497D, 0xFFEEECE1, 0xFF4F81BD, 0xFFC0504D,
                                0xFF9BBB59, 0xFF8064A2, 0xFF4BACC6, 0xFFF79646, 0xFF0000FF, 0xFF800080};

// The engine road: returns 0, or the exit code after printing why.
// The same paint again on a DC over a Cairo SVG surface of the picture's size, written to a
// temporary name and renamed once the surface is finished without error.
int PaintSvg(IPresentCanvas* canvas, IPresentContext* context, RenderOwner& owner, PresentViewInfo view,
             const PaintRequest& request, const Painted& out, std::string* error) {
  const std::filesystem::path target = std::filesystem::absolute(request.svg);
  const std::filesystem::path part = target.string() + ".part";
  cairo_surface_t* surface = cairo_svg_surface_create(part.c_str(), out.width, out.height);
  int code = 0;
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    code = 2;
  } else {
    cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
    HDC dc = Kx2GdiCreateDcForSurface(surface);
    if (!dc) {
      code = 1;
    } else {
      Kx2GdiSetResolution(dc, request.dpi, request.dpi);
      owner.SetDc(dc);
      context->DetachDevice();
      context->SetDevice(dc);
      if (!canvas->AttachContext(context) || !canvas->PaintView(&view)) {
        *error = "the engine did not paint the map as SVG";
        code = 1;
      }
      canvas->DetachRender();
      context->DetachDevice();
      DeleteDC(dc);
    }
    cairo_surface_finish(surface);
    if (code == 0 && cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) code = 2;
  }
  cairo_surface_destroy(surface);
  std::error_code ec;
  if (code == 0) std::filesystem::rename(part, target, ec);
  if (code != 0 || ec) {
    std::filesystem::remove(part, ec);
    if (code == 0 || code == 2) {
      *error = request.svg + ": cannot be written";
      code = 2;
    }
  }
  return code;
}

}  // namespace

int PaintScene(const MapScene& scene, const PaintRequest& request, Painted* out, std::string* error) {
  const LONG gdiBefore = Kx2GdiLiveObjects(0);
  LONG luminarBefore[6];
  for (LONG k = 0; k < 6; ++k) luminarBefore[k] = LuminarLiveHandles(k);
  int code = 0;
  {
    IPresentEngine* engine = CreatePresentEngine();
    if (!engine) {
      *error = "the presentation engine did not start";
      return 1;
    }
    IPresentDesigner* designer = engine->GetDesigner();
    IPresentCanvas* canvas = designer ? designer->NewCanvas() : nullptr;
    IPresentContext* context = designer ? designer->NewContext() : nullptr;
    StyleBook styles(engine);
    double drawnMinX = 0, drawnMinY = 0;  // EMU
    PictureTarget target;
    std::unique_ptr<RenderOwner> owner;
    if (!canvas || !context) {
      *error = "the engine gave no canvas or context";
      code = 1;
    } else {
      for (BYTE i = 0; i < 12; ++i) canvas->SetPaletteColor(i, kPalette[i]);
      if (!SyncScene(canvas, scene, styles, &out->counts)) {
        *error = "the engine refused the map's objects";
        code = 1;
      }
    }
    if (code == 0) {
      // The sketches' extents hold the boxes and lines; the fold marks stand outside them.
      const auto& drawn = static_cast<PresentCanvas*>(canvas)->Drawing()->sketches.extents;
      auto ext = drawn;
      drawnMinX = drawn.IsSet() ? drawn.minX : 0;
      drawnMinY = drawn.IsSet() ? drawn.minY : 0;
      for (const MapTopic& t : scene.topics) {
        if (!ShowsFoldMark(t)) continue;
        const POINT c = FoldMarkCentre(t);
        for (const int corner : {-1, 1})
          ext.Include({float((c.x + corner * kFoldMarkRadius) * kEmuPerHost),
                       float((c.y + corner * kFoldMarkRadius) * kEmuPerHost)});
      }
      out->map.scale = request.dpi / (72.0 * 12700.0);
      if (ext.IsSet()) {
        out->map.minX = ext.minX;
        out->map.minY = ext.minY;
      }
      const double w = ext.IsSet() ? (ext.maxX - ext.minX) * out->map.scale : 0;
      const double h = ext.IsSet() ? (ext.maxY - ext.minY) * out->map.scale : 0;
      if (!(w + 2 * kMarginPixels <= request.maxSide) || !(h + 2 * kMarginPixels <= request.maxSide)) {
        *error = "the map needs more than " + std::to_string(request.maxSide) + " pixels a side at " +
                 std::to_string(request.dpi) + " DPI";
        code = 1;
      } else {
        out->width = static_cast<int>(std::ceil(w)) + 2 * kMarginPixels;
        out->height = static_cast<int>(std::ceil(h)) + 2 * kMarginPixels;
        if (!target.Create(out->width, out->height, request.dpi)) {
          *error = "no memory for a picture of " + std::to_string(out->width) + "x" + std::to_string(out->height);
          code = 1;
        }
      }
    }
    if (code == 0) {
      owner = std::make_unique<RenderOwner>(scene, target.dc(), request.dpi, designer);
      owner->map = out->map;
      canvas->SetOwner(owner.get());
      context->SetDefaultDpi(static_cast<uint32_t>(request.dpi));
      context->SetDevice(target.dc());
      const LONG margin = static_cast<LONG>(std::lround(kMarginPixels * 7200.0 / request.dpi));
      PresentViewInfo view{};
      // The engine places its extents' corner at the view's origin; the picture's corner may
      // lie further out, at a fold mark.
      view.originX = margin + static_cast<LONG>(std::lround((drawnMinX - out->map.minX) / kEmuPerHost));
      view.originY = margin + static_cast<LONG>(std::lround((drawnMinY - out->map.minY) / kEmuPerHost));
      canvas->SetView(&view);
      const bool attached = canvas->AttachContext(context) != FALSE;
      const auto paintStart = std::chrono::steady_clock::now();
      const bool painted = attached && canvas->PaintView(&view);
      out->paintSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - paintStart).count();
      if (!painted) {
        *error = "the engine did not paint the map";
        code = 1;
      }
      canvas->DetachRender();
      if (code == 0 && !request.png.empty()) {
        GdiFlush();
        const std::u16string path = kx2::ToWindowsPath(std::filesystem::absolute(request.png).string());
        if (!Kx2GdiWriteDcPng(target.dc(), path.c_str())) {
          *error = request.png + ": cannot be written";
          code = 2;
        }
      }
      if (code == 0 && !request.svg.empty()) code = PaintSvg(canvas, context, *owner, view, request, *out, error);
      canvas->SetOwner(nullptr);
    }
    owner.reset();  // its calligraphy and text objects go before the context and the engine
    if (context) {
      context->DetachDevice();
      designer->FreeContext(context);
    }
    if (canvas) designer->FreeCanvas(canvas);
    DestroyPresentEngine();
  }
  if (Kx2GdiLiveObjects(0) > gdiBefore) {
    *error = std::to_string(Kx2GdiLiveObjects(0) - gdiBefore) + " GDI objects were left alive";
    out->leaks = true;
  }
  for (LONG k = 0; k < 6; ++k)
    if (LuminarLiveHandles(k) > luminarBefore[k]) {
      *error = "Luminar handles of kind " + std::to_string(k) + " were left alive";
      out->leaks = true;
    }
  return code;
}

void MeasureAndLayOut(MapScene* scene) {
  TextMeasurer measure;
  LayOutScene(
      scene, [&](const MapTopic& t, int32_t* w, int32_t* h) { measure(t, w, h); },
      [&](int32_t kind, int32_t w, int32_t h, MapBox* box, int32_t* x, int32_t* y) {
        return measure.ShapeAround(kind, w, h, box, x, y);
      });
}

}  // namespace vantorel::cli

// PresentCalligraphy: host units on a native render, text through the GDI text layer.
#include <plastrum/present/text/Calligraphy.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <new>

#include <kx2/ErrorBoundary.h>

#include <plastrum/format/PresentUnknown.h>
#include <plastrum/present/text/TextContext.h>
#include <plastrum/present/text/TextDrawing.h>

namespace Present {
namespace {

using namespace Present::Text;

bool IsEastAsianCharset(BYTE charset) {
  return charset == 128 || charset == 129 || charset == 130 || charset == 134 || charset == 136;
}

// Holds a reference on the render while a slot draws.
class RenderHold {
 public:
  explicit RenderHold(NativeRender render) : render_(render) {
    if (render_) NativeAddRef(render_);
  }
  ~RenderHold() {
    if (render_) ReleaseNativeRender(render_);
  }
  RenderHold(const RenderHold&) = delete;
  RenderHold& operator=(const RenderHold&) = delete;

 private:
  NativeRender render_;
};

class PresentCalligraphy final : public CPresentUnknown<IPresentCalligraphy> {
 public:
  explicit PresentCalligraphy(const CalligraphySettings& s) : s_(s) {}
  ~PresentCalligraphy() {
    if (s_.ownsRender && s_.render) ReleaseNativeRender(s_.render);
  }

  void STDMETHODCALLTYPE SetPalette(const BYTE* record) override {
    kx2::Guard([&] {
      hasPalette_ = record != nullptr;
      if (!record) return;
      for (int i = 0; i < 12; ++i) {
        const BYTE* e = record + 12 * i;
        Type::Color& c = colours_[static_cast<size_t>(i)];
        c.type = e[4];
        c.dirty = e[5];
        c.A = e[6];
        c.R = e[7];
        c.G = e[8];
        c.B = e[9];
        palette_[static_cast<size_t>(i)] = &c;
      }
    });
  }

  BOOL STDMETHODCALLTYPE DrawText(const CalligraphyText* record, const WCHAR* text, int length, int32_t*,
                                  const RECT* rect) override {
    return kx2::Guard(FALSE, [&]() -> BOOL {
      Prepared p(this, record);
      if (!p.ok) return FALSE;
      UINT options = 0;
      if (rect && !(record->backColor == 0 && record->backColorKind == 0x10000000)) {
        p.context->backColor = StoredColorToTextColor(record->backColor, record->backColorKind, nullptr);
        options |= ETO_OPAQUE;
      }
      return DrawTextRuns(text, p.context, record->x, record->y, options, rect, length, nullptr);
    });
  }

  BOOL STDMETHODCALLTYPE MeasureText(const CalligraphyText* record, const WCHAR* text, int length, int32_t* cumulative,
                                     SIZE* extent, uint32_t spaceSlot) override {
    return kx2::Guard(FALSE, [&]() -> BOOL {
      Prepared p(this, record);
      if (!p.ok) return FALSE;
      return MeasureTextRuns(cumulative, text, p.context, length, extent, spaceSlot);
    });
  }

  BOOL STDMETHODCALLTYPE GetOutlineMetrics(const CalligraphyText* record, BYTE charset,
                                           TextOutlineMetrics* metrics) override {
    return kx2::Guard(FALSE, [&]() -> BOOL {
      Prepared p(this, record);
      if (!p.ok) return FALSE;
      return GetTextOutlineMetrics(IsEastAsianCharset(charset) ? 1 : 0, p.context, metrics);
    });
  }

  BOOL STDMETHODCALLTYPE GetFontRanges(const CalligraphyText* record, BYTE charset, uint32_t words[2]) override {
    return kx2::Guard(FALSE, [&]() -> BOOL {
      Prepared p(this, record);
      if (!p.ok) return FALSE;
      return GetTextFontRanges(IsEastAsianCharset(charset) ? 1 : 0, p.context, words);
    });
  }

  BOOL STDMETHODCALLTYPE DrawLine(const POINT* start, const POINT* end, uint32_t colour, uint32_t kindWord, LONG dash,
                                  BYTE doubled, LONG width) override {
    return kx2::Guard(TRUE, [&]() -> BOOL {
      if (!start || !end || !s_.render) return TRUE;
      RenderHold hold(s_.render);
      const float penWidth = static_cast<float>(width) / 7200.0f * static_cast<float>(s_.drawingResolutionX);
      NativePen pen = GetNativePen();
      if (!pen) return TRUE;
      if (NativeCreatePenWithColor(pen, StoredColorToArgbColor(colour, kindWord, Palette()), penWidth)) {
        NativePenSetDashType(pen, dash);
        const float x1 = X(start->x), y1 = Y(start->y), x2 = X(end->x), y2 = Y(end->y);
        if (doubled) {
          const float g = penWidth >= 3.0f ? penWidth * 0.333f : 1.0f;
          NativeRenderDrawLine(s_.render, pen, x1, y1 + g, x2, y2 + g);
          NativeRenderDrawLine(s_.render, pen, x1, y1 - g, x2, y2 - g);
        } else {
          NativeRenderDrawLine(s_.render, pen, x1, y1, x2, y2);
        }
      }
      ReleaseNativePen(pen);
      return TRUE;
    });
  }

  BOOL STDMETHODCALLTYPE DrawRectangle(const RECT* rect) override {
    return kx2::Guard(TRUE, [&]() -> BOOL {
      if (!rect || !s_.render) return TRUE;
      RenderHold hold(s_.render);
      const Box b = BoxOf(*rect);
      NativeBrush brush = GetNativeBrush();
      if (brush && NativeCreateSolidColorBrush(brush, kCalligraphyRectangleFill))
        NativeRenderFillRectangle(s_.render, brush, b.x, b.y, b.w, b.h);
      if (brush) ReleaseNativeBrush(brush);
      NativePen pen = GetNativePen();
      if (pen && NativeCreatePenWithColor(pen, kCalligraphyRectangleFrame, 0.0f))
        NativeRenderDrawRectangle(s_.render, pen, b.x, b.y, b.w, b.h);
      if (pen) ReleaseNativePen(pen);
      return TRUE;
    });
  }

  BOOL STDMETHODCALLTYPE FillRectangle(const RECT* rect, uint32_t colour, uint32_t kindWord) override {
    return kx2::Guard(TRUE, [&]() -> BOOL {
      if (!rect || !s_.render) return TRUE;
      RenderHold hold(s_.render);
      const Box b = BoxOf(*rect);
      NativeBrush brush = GetNativeBrush();
      if (brush && NativeCreateSolidColorBrush(brush, StoredColorToArgbColor(colour, kindWord, Palette())))
        NativeRenderFillRectangle(s_.render, brush, b.x, b.y, b.w, b.h);
      if (brush) ReleaseNativeBrush(brush);
      return TRUE;
    });
  }

 private:
  // A text context prepared on the render's device context for one slot, given back after.
  struct Prepared {
    Prepared(PresentCalligraphy* owner, const CalligraphyText* record) : render(owner->s_.render) {
      if (!record || !render) return;
      context = AcquireTextContext();
      if (!context) return;
      dc = NativeRenderGetHPDC(render);
      if (!dc) return;
      ClearTextFontState(context);
      AttachTextContext(dc, context);
      context->mappingCode = 8;
      SetMapMode(dc, MM_TEXT);
      context->logicalExtent = SIZE{7200, 7200};
      SetTextScale(context, owner->s_.textResolutionX, owner->s_.textResolutionY, owner->s_.textScaleX,
                   owner->s_.textScaleY);
      context->logicalOrigin = POINT{owner->s_.originX, owner->s_.originY};
      context->unitsPerInchX = context->unitsPerInchY = 7200;
      context->textFlags = record->flags;
      Type::Color* const* palette = owner->Palette();
      context->colorSource = palette;
      if (palette) {
        context->textColor = StoredColorToTextColor(record->textColor, record->textColorKind, palette);
        context->backColor = StoredColorToTextColor(record->backColor, record->backColorKind, palette);
      } else {
        context->textColor = 0;
        context->backColor = 0xFFFFFF;
      }
      if (context->object && context->object != record->font) SelectObject(dc, GetStockObject(SYSTEM_FONT));
      context->object = record->font;
      ok = record->font != nullptr;
    }
    ~Prepared() {
      if (dc) NativeRenderReleaseHPDC(render, dc);
      if (context) GiveBackTextContext(context);
    }
    Prepared(const Prepared&) = delete;
    Prepared& operator=(const Prepared&) = delete;

    NativeRender render;
    TextContext* context = nullptr;
    HDC dc = nullptr;
    bool ok = false;
  };

  struct Box {
    float x, y, w, h;
  };

  float X(LONG v) const { return static_cast<float>(v) / 7200.0f * static_cast<float>(s_.drawingResolutionX); }
  float Y(LONG v) const { return static_cast<float>(v) / 7200.0f * static_cast<float>(s_.drawingResolutionY); }

  // Between the two corners whichever comes first, on both axes.
  Box BoxOf(const RECT& r) const {
    const LONG left = std::min(r.left, r.right), top = std::min(r.top, r.bottom);
    const float w = std::fabs(static_cast<float>(r.right) - static_cast<float>(r.left));
    const float h = std::fabs(static_cast<float>(r.bottom) - static_cast<float>(r.top));
    return Box{X(left), Y(top), w / 7200.0f * static_cast<float>(s_.drawingResolutionX),
               h / 7200.0f * static_cast<float>(s_.drawingResolutionY)};
  }

  Type::Color* const* Palette() const { return hasPalette_ ? palette_.data() : nullptr; }

  CalligraphySettings s_;
  bool hasPalette_ = false;
  std::array<Type::Color, 12> colours_{};
  std::array<Type::Color*, 12> palette_{};
};

}  // namespace

IPresentCalligraphy* NewCalligraphy(const Text::CalligraphySettings& settings) {
  auto* c = new (std::nothrow) PresentCalligraphy(settings);
  if (!c && settings.ownsRender && settings.render) ReleaseNativeRender(settings.render);
  return c;
}

void FreeCalligraphy(IPresentCalligraphy* calligraphy) { delete static_cast<PresentCalligraphy*>(calligraphy); }

}  // namespace Present

namespace Present::Text {

CalligraphySettings PaintCalligraphySettings(NativeRender render, float dx, float dy, bool plain, float zoomX,
                                             float zoomY, float originX, float originY) {
  CalligraphySettings s;
  s.render = render;
  s.ownsRender = false;
  s.textScaleX = plain ? dx : dx * zoomX;
  s.textScaleY = plain ? dy : dy * zoomY;
  s.textResolutionX = static_cast<int32_t>(std::lround(s.textScaleX));
  s.textResolutionY = static_cast<int32_t>(std::lround(s.textScaleY));
  s.originX = static_cast<int32_t>(originX);
  s.originY = static_cast<int32_t>(originY);
  s.drawingScaleX = dx;
  s.drawingScaleY = dy;
  s.drawingResolutionX = static_cast<int32_t>(std::lround(dx));
  s.drawingResolutionY = static_cast<int32_t>(std::lround(dy));
  return s;
}

CalligraphySettings ContextCalligraphySettings(NativeRender ownedRender, float resolutionX, float resolutionY,
                                               float originX, float originY) {
  CalligraphySettings s;
  s.render = ownedRender;
  s.ownsRender = true;
  s.textScaleX = s.drawingScaleX = resolutionX;
  s.textScaleY = s.drawingScaleY = resolutionY;
  s.textResolutionX = s.drawingResolutionX = static_cast<int32_t>(std::lround(resolutionX));
  s.textResolutionY = s.drawingResolutionY = static_cast<int32_t>(std::lround(resolutionY));
  s.originX = static_cast<int32_t>(originX);
  s.originY = static_cast<int32_t>(originY);
  return s;
}

uint32_t StoredColorToArgbColor(uint32_t value, uint32_t kindWord, Present::Type::Color* const* palette) {
  if (kindWord & 0xFFFF) return 0xFF000000u;
  const uint32_t kind = (kindWord >> 24) & 0xF;
  if (kind == 0) return value;
  if (kind == 5 && !palette) return 0xFF000000u;
  std::unique_ptr<Present::Type::Color> colour(Present::CreateColorFromStored(value, kindWord));
  if (!colour) return 0xFF000000u;
  if (kind == 5) {
    if (!static_cast<Present::Type::SchemeColor*>(colour.get())->ResolveFromPalette(palette)) return 0xFF000000u;
  } else {
    colour->UpdateRgb();
  }
  return colour->Argb();
}

}  // namespace Present::Text

// DrawTextRuns and its passes.
#include <plastrum/present/text/TextDrawing.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include <basalt/text_encoding.h>
#include <plastrum/format/ColorModel.h>
#include <plastrum/present/text/TextCaches.h>

namespace Present::Text {
namespace {

int MulDivOr(int v, int num, int den) { return den ? _Kx2IntMulDiv(v, num, den) : v; }

// MulDiv's rounding (half away from zero) inline, for the per-unit loops; a zero denominator
// keeps the value.
int64_t Scale(int64_t v, int num, int den) {
  if (den == 0) return v;
  int64_t product = v * num, divisor = den;
  if (divisor < 0) product = -product, divisor = -divisor;
  const int64_t half = divisor / 2;
  return product >= 0 ? (product + half) / divisor : (product - half) / divisor;
}

bool IsPairAt(const WCHAR* t, uint32_t n, uint32_t at) {
  return at + 1 < n && t[at] >= 0xD800 && t[at] <= 0xDBFF && t[at + 1] >= 0xDC00 && t[at + 1] <= 0xDFFF;
}

uint32_t CodePointAt(const WCHAR* t, uint32_t at) {
  return 0x10000 + ((static_cast<uint32_t>(t[at]) - 0xD800) << 10) + (static_cast<uint32_t>(t[at + 1]) - 0xDC00);
}

// A position and the extrusion vector of one drawing.
struct Placed {
  POINT at{0, 0};
  int vx = 0, vy = 0;
};

// Gathered units of one slot with their logical advances.
struct Gathered {
  std::vector<WCHAR> units;
  std::vector<int32_t> advances;
  int startOffset = 0;
  int lineHeight = 0;
};

class PassDrawer {
 public:
  PassDrawer(TextContext* c, TextPass* p) : c_(c), p_(p), l_(p->layout) {}

  void DrawHorizontalPass() {
    for (int slot = 0; slot < 2; ++slot)
      if (l_->slotMask & (1u << slot)) DrawSlotRuns(slot);
    if (l_->fallbackCount) {
      int64_t before = 0;
      for (uint32_t r = 0; r < l_->RunCount(); ++r) {
        const TextRun& run = l_->Runs()[r];
        if (run.fontOverride >= 0) DrawFallbackRun(r, static_cast<int>(p_->x + before));
        before += run.width;
      }
    }
  }

  void DrawVerticalPass() {
    int a = 0, t = 0, m = 0;
    for (uint32_t r = 0; r < l_->RunCount(); ++r) {
      const TextRun& run = l_->Runs()[r];
      DrawVerticalRun(r, p_->x + a, p_->y + t);
      if (r + 1 == l_->RunCount()) break;
      const uint32_t next = l_->Runs()[r + 1].start;
      if (!l_->rawWidths || l_->rawWidths[next] != 0) {
        a = 0;
        t += m ? m : run.height;
        m = 0;
      } else {
        if (m == 0) m = run.height;
        if (a == 0) a = run.width / 2;
      }
    }
  }

 private:
  // Device advances by cumulative rounding, the cross shift, the pass offsets and the
  // extrusion vector; `alongY` converts the advances along y (upright vertical runs).
  Placed ApplyPassOffsets(POINT p, int slot, int h, const int32_t* advances, int count, int* device) {
    return ApplyOffsets(p, slot, h, advances, count, device, false, false, nullptr, nullptr);
  }

  // As ApplyPassOffsets, but advances go along x for a rotated run and along y otherwise, raw
  // widths are converted to device x units and the cross shift moves x.
  Placed ApplyVerticalPassOffsets(POINT p, const TextRun& run, const int32_t* advances, int* device, const int32_t* raw,
                                  int* deviceRaw) {
    return ApplyOffsets(p, run.slot, run.lineHeight, advances, static_cast<int>(run.length), device, true, !run.rotated,
                        raw, deviceRaw);
  }

  Placed ApplyOffsets(POINT p, int slot, int h, const int32_t* advances, int count, int* device, bool vertical,
                      bool alongY, const int32_t* raw, int* deviceRaw) {
    const int dcx = c_->deviceExtent.cx, lcx = c_->logicalExtent.cx;
    const int dcy = c_->deviceExtent.cy, lcy = c_->logicalExtent.cy;
    auto toDevice = [&](int64_t v, bool y) -> int {
      const int64_t clamped = std::clamp<int64_t>(v, INT32_MIN, INT32_MAX);
      if (c_->mappingCode == 1) return static_cast<int>(clamped);
      return static_cast<int>(
          std::clamp<int64_t>(y ? Scale(clamped, dcy, lcy) : Scale(clamped, dcx, lcx), INT32_MIN, INT32_MAX));
    };
    const int64_t base = alongY ? p.y : p.x;
    int64_t sum = 0;
    int previous = toDevice(base, alongY);
    for (int i = 0; i < count; ++i) {
      sum += advances[i];
      const int now = toDevice(base + sum, alongY);
      device[i] = now - previous;
      previous = now;
      if (raw && deviceRaw) deviceRaw[i] = toDevice(raw[i], false);
    }
    const int16_t shift = c_->object->format.slots[slot].crossShift;
    if (vertical)
      p.x += shift;
    else
      p.y += shift;
    Placed placed;
    const int64_t ox = static_cast<int64_t>(h) * p_->offsetX / 100, oy = static_cast<int64_t>(h) * p_->offsetY / 100;
    if (!(p_->flags & kPassExtruded)) {
      p.x = static_cast<LONG>(std::clamp<int64_t>(p.x + ox, INT32_MIN, INT32_MAX));
      p.y = static_cast<LONG>(std::clamp<int64_t>(p.y + oy, INT32_MIN, INT32_MAX));
    }
    LogicalToDevice(c_, &p, 1);
    if (p_->flags & kPassExtruded) {
      placed.vx = toDevice(ox, false) + p_->extraX;
      placed.vy = toDevice(oy, true) + p_->extraY;
    } else {
      p.x += p_->extraX;
      p.y += p_->extraY;
    }
    placed.at = p;
    return placed;
  }

  // The drawings of one extrusion: n = max(|vx|, |vy|) + 1 copies at k/n of the vector,
  // at most kMaxExtrusionCopies of them.
  template <class Draw>
  void Extrude(const Placed& placed, Draw&& draw) {
    int64_t n = std::max(std::llabs(placed.vx), std::llabs(placed.vy)) + 1;
    if (placed.vx == 0 && placed.vy == 0) n = 1;
    n = std::min<int64_t>(n, kMaxExtrusionCopies);
    for (int64_t k = 1; k <= n; ++k)
      draw(static_cast<int>(placed.at.x + k * placed.vx / n), static_cast<int>(placed.at.y + k * placed.vy / n));
  }

  Gathered GatherSlotText(int slot, bool pairs) {
    Gathered g;
    g.units.reserve(l_->length);
    g.advances.reserve(l_->length);
    const WCHAR* t = l_->text;
    int64_t gap = 0;
    bool any = false;
    size_t lastUnit = 0;
    for (uint32_t r = 0; r < l_->RunCount(); ++r) {
      const TextRun& run = l_->Runs()[r];
      const bool gathered =
          run.slot == slot && run.fontOverride < 0 && ((run.direction == kDirectionSupplementary) == pairs);
      if (!gathered) {
        gap += run.width;
        continue;
      }
      if (!any) {
        g.lineHeight = run.lineHeight;
        any = true;
      }
      const uint32_t body = run.length - run.trailing;
      if (body) {
        // The gap goes before the first unit, or onto the last unit gathered before it.
        if (g.units.empty())
          g.startOffset = static_cast<int>(std::clamp<int64_t>(gap, INT32_MIN, INT32_MAX));
        else
          g.advances[lastUnit] += static_cast<int32_t>(gap);
        gap = 0;
      }
      for (uint32_t j = 0; j < body; ++j) {
        const uint32_t at = run.start + j;
        if (!(pairs && j % 2 == 1)) lastUnit = g.units.size();
        g.units.push_back(t[at]);
        g.advances.push_back(l_->advances[at]);
      }
      for (uint32_t j = body; j < run.length; ++j) gap += l_->advances[run.start + j];
    }
    return g;
  }

  void DrawSlotRuns(int slot) {
    for (bool pairs : {false, true}) {
      Gathered g = GatherSlotText(slot, pairs);
      if (g.units.empty()) continue;
      DrawSlotString(slot, g, pairs);
    }
  }

  void DrawUnits(const Placed& placed, const WCHAR* units, int count, const int* device, bool pairs) {
    HDC dc = c_->dc;
    Extrude(placed, [&](int x, int y) {
      if (!pairs) {
        ExtTextOutW(dc, x, y, p_->options, p_->clip, units, static_cast<UINT>(count), device);
        return;
      }
      // Each pair alone, as the glyph index of its code point in the current font.
      int pen = x;
      for (int i = 0; i + 1 < count; i += 2) {
        const WCHAR glyph = static_cast<WCHAR>(GlyphIndexOf(c_->key.fontIndex, CodePointAt(units, i)));
        ExtTextOutW(dc, pen, y, ETO_GLYPH_INDEX, p_->clip, &glyph, 1, nullptr);
        pen += device[i] + device[i + 1];
      }
    });
  }

  void DrawSlotString(int slot, const Gathered& g, bool pairs) {
    std::vector<int> device(g.units.size());
    const POINT start{static_cast<LONG>(p_->x + g.startOffset), p_->y};
    const Placed placed =
        ApplyPassOffsets(start, slot, g.lineHeight, g.advances.data(), static_cast<int>(g.units.size()), device.data());
    if (!(c_->object->flags & kTextObjectOneFont)) SelectSlotFont(-1, slot, c_, 0);
    DrawUnits(placed, g.units.data(), static_cast<int>(g.units.size()), device.data(), pairs);
  }

  void DrawFallbackRun(uint32_t r, int x) {
    const TextRun& run = l_->Runs()[r];
    const int count = static_cast<int>(run.length - run.trailing);
    if (count <= 0) return;
    std::vector<int> device(static_cast<size_t>(count));
    const Placed placed =
        ApplyPassOffsets(POINT{x, p_->y}, run.slot, run.lineHeight, l_->advances + run.start, count, device.data());
    SelectSlotFont(run.fontOverride, run.slot, c_, run.rotated);
    DrawUnits(placed, l_->text + run.start, count, device.data(),
              run.direction == kDirectionSupplementary && IsPairAt(l_->text, l_->length, run.start));
  }

  void DrawVerticalRun(uint32_t r, int x, int y) {
    const TextRun& run = l_->Runs()[r];
    const int count = static_cast<int>(run.length);
    if (count <= 0) return;
    std::vector<int> device(static_cast<size_t>(count)), raw(static_cast<size_t>(count));
    const Placed placed = ApplyVerticalPassOffsets(POINT{x, y}, run, l_->advances + run.start, device.data(),
                                                   l_->rawWidths ? l_->rawWidths + run.start : nullptr, raw.data());
    SelectSlotFont(run.fontOverride, run.slot, c_, run.rotated);
    HDC dc = c_->dc;
    const uint32_t f = c_->textFlags & kAlignMask;
    const int halfLine = LengthToDeviceX(c_, run.lineHeight) / 2;
    const WCHAR* t = l_->text + run.start;
    Extrude(placed, [&](int px, int py) {
      if (run.rotated) {
        int ax = px;
        if (f == 0) {
          SetTextAlign(dc, TA_TOP);
        } else {
          SetTextAlign(dc, TA_BOTTOM);
          if (f != kAlignBottom) ax -= halfLine;
        }
        ExtTextOutW(dc, ax, py, p_->options, p_->clip, t, static_cast<UINT>(count), device.data());
        return;
      }
      SetTextAlign(dc, f == 0 ? TA_RIGHT : TA_TOP);
      const bool centred = (f == kAlignMiddle || f == kAlignBaseline) && l_->rawWidths;
      const int halfHeight = LengthToDeviceY(c_, run.lineHeight) / 2;
      int pen = py, carry = 0, shiftRight = 0;
      for (int i = 0; i < count;) {
        const bool pair = IsPairAt(t, static_cast<uint32_t>(count), static_cast<uint32_t>(i));
        const WCHAR ch = t[i];
        const bool stop = ch == 0x3001 || ch == 0x3002;
        int cx = px + shiftRight;
        int cy = pen;
        if (stop)
          cy -= halfHeight;
        else if (centred)
          cx -= raw[static_cast<size_t>(i)] / 2;
        if (pair) {
          const WCHAR glyph =
              static_cast<WCHAR>(GlyphIndexOf(c_->key.fontIndex, CodePointAt(t, static_cast<uint32_t>(i))));
          ExtTextOutW(dc, cx, cy, ETO_GLYPH_INDEX, p_->clip, &glyph, 1, nullptr);
        } else if (ch != u' ') {
          ExtTextOutW(dc, cx, cy, p_->options, p_->clip, &ch, 1, nullptr);
        }
        const int step = pair ? 2 : 1;
        int advance = device[static_cast<size_t>(i)] + (pair ? device[static_cast<size_t>(i) + 1] : 0);
        const int next = i + step;
        if (next < count && raw[static_cast<size_t>(next)] == 0 && t[next] != u' ' &&
            !(t[next] >= 0xDC00 && t[next] <= 0xDFFF)) {
          // The next character sits beside this one; its advance is taken after it.
          shiftRight = raw[static_cast<size_t>(i)] / 2;
          carry += advance;
        } else {
          pen += advance + carry;
          carry = 0;
          shiftRight = 0;
        }
        i = next;
      }
    });
  }

  TextContext* c_;
  TextPass* p_;
  TextLayout* l_;
};

void BeginTextPass(TextContext* c, TextPass* p, COLORREF colour) {
  SetTextColor(c->dc, colour);
  if (c->object->flags & kTextObjectOneFont) SelectSlotFont(-1, 0, c, 0);
  const int e = std::max(std::abs(c->object->format.slots[0].size), std::abs(c->object->format.slots[1].size));
  const uint32_t f = c->textFlags & kAlignMask;
  if ((c->object->flags & kTextObjectOneSize) && f != kAlignMiddle) {
    SetTextAlign(c->dc, f & 0x18);
  } else {
    SetTextAlign(c->dc, TA_BASELINE);
    switch (f) {
      case kAlignTop:
        p->y += MulDivOr(e, 85, 100);
        break;
      case kAlignBottom:
        p->y -= MulDivOr(e, 15, 100);
        break;
      case kAlignMiddle:
        p->y += MulDivOr(e, 35, 100);
        break;
      default:
        break;
    }
  }
  if (p->flags & kPassOutlined) BeginPath(c->dc);
}

void EndTextPass(TextContext* c, const TextPass* p, COLORREF colour) {
  if (!(p->flags & kPassOutlined)) return;
  EndPath(c->dc);
  const uint8_t pen = c->object->format.outlinePen;
  int style = PS_SOLID, width = 0;
  if (pen == 16)
    width = 2;
  else if (pen <= 6 || pen == 8)
    style = pen;  // a byte that names no pen style draws solid
  HPEN hpen = CreatePen(style, width, colour);
  HGDIOBJ oldPen = SelectObject(c->dc, hpen);
  if (c->object->format.flags & kFormatShadow) {
    HBRUSH brush = CreateSolidBrush(c->backColor);
    HGDIOBJ oldBrush = SelectObject(c->dc, brush);
    StrokeAndFillPath(c->dc);
    SelectObject(c->dc, oldBrush);
    DeleteObject(brush);
  } else {
    StrokePath(c->dc);
  }
  SelectObject(c->dc, oldPen);
  DeleteObject(hpen);
}

void DrawTextPass(TextContext* c, TextPass pass) {
  const COLORREF colour = pass.colour != static_cast<COLORREF>(-1) ? pass.colour : c->textColor;
  if (c->object->format.flags & kFormatVertical) {
    SetTextColor(c->dc, colour);
    if (pass.flags & kPassOutlined) BeginPath(c->dc);
    PassDrawer(c, &pass).DrawVerticalPass();
    EndTextPass(c, &pass, colour);
  } else {
    BeginTextPass(c, &pass, colour);
    PassDrawer(c, &pass).DrawHorizontalPass();
    EndTextPass(c, &pass, colour);
  }
  SetTextColor(c->dc, c->textColor);
}

uint32_t PackBgr(const Present::Type::Color& col) {
  return static_cast<uint32_t>(col.B) << 16 | static_cast<uint32_t>(col.G) << 8 | col.R;
}

}  // namespace

COLORREF StoredColorToTextColor(uint32_t value, uint32_t kindWord, Present::Type::Color* const* palette) {
  if (kindWord & 0xFFFF) return 0;
  const uint32_t kind = (kindWord >> 24) & 0xF;
  if (kind == 0) return (value & 0xFF) << 16 | (value & 0xFF00) | ((value >> 16) & 0xFF);
  if (kind == 5 && !palette) return 0;
  std::unique_ptr<Present::Type::Color> colour(Present::CreateColorFromStored(value, kindWord));
  if (!colour) return 0;
  if (kind == 5) {
    auto* scheme = static_cast<Present::Type::SchemeColor*>(colour.get());
    if (!scheme->ResolveFromPalette(palette)) return 0;
  } else {
    colour->UpdateRgb();
  }
  return PackBgr(*colour);
}

COLORREF DarkerTextColor(COLORREF colour) {
  Present::Type::HslColor hsl;
  hsl.R = colour & 0xFF;
  hsl.G = (colour >> 8) & 0xFF;
  hsl.B = (colour >> 16) & 0xFF;
  hsl.UpdateModel();
  hsl.luminance *= 0.6f;
  hsl.dirty = 1;
  hsl.UpdateRgb();
  return PackBgr(hsl);
}

COLORREF LighterTextColor(COLORREF colour) {
  Present::Type::HslColor hsl;
  hsl.R = colour & 0xFF;
  hsl.G = (colour >> 8) & 0xFF;
  hsl.B = (colour >> 16) & 0xFF;
  hsl.UpdateModel();
  hsl.saturation *= 0.667f;
  hsl.luminance *= 1.5f;
  if (hsl.luminance >= 0.94f) return 0xFFFFFF;
  hsl.dirty = 1;
  hsl.UpdateRgb();
  return PackBgr(hsl);
}

int EffectOffset(TextContext* c) {
  const int e = LengthToDeviceX(c, MulDivOr(c->lineHeight, 2, 100));
  return std::max(e, 1);
}

BOOL DrawTextRuns(const WCHAR* text, TextContext* c, int x, int y, UINT options, const RECT* rect, int length,
                  const int32_t* advances) {
  if (!text || !*text || length <= 0 || !c || !c->object || !c->dc) return FALSE;
  std::unique_ptr<TextLayout> layout(new TextLayout);
  const bool vertical = (c->object->format.flags & kFormatVertical) != 0;
  if (!layout->Prepare(text, static_cast<uint32_t>(length), vertical, true)) return FALSE;
  RECT deviceRect{};
  const RECT* clip = nullptr;
  if (rect) {
    deviceRect = *rect;
    if ((options & (ETO_OPAQUE | ETO_CLIPPED)) && c->mappingCode != 1)
      LogicalToDevice(c, reinterpret_cast<POINT*>(&deviceRect), 2);
    clip = &deviceRect;
  }
  if (advances) {
    layout->callerAdvances = true;
    std::copy(advances, advances + length, layout->advances);
  }
  BuildTextRuns(layout.get(), c);
  MeasureRuns(layout.get(), c);
  if ((options & ETO_OPAQUE) && clip) {
    HBRUSH brush = CreateSolidBrush(c->backColor);
    FillRect(c->dc, clip, brush);
    DeleteObject(brush);
  }
  SetBkMode(c->dc, TRANSPARENT);
  TextPass base;
  base.x = x;
  base.y = y;
  base.options = options & ~static_cast<UINT>(ETO_OPAQUE);
  base.clip = clip;
  base.layout = layout.get();
  const TextFormat& f = c->object->format;
  if (f.flags & kFormatShadow) {
    TextPass shadow = base;
    shadow.colour = StoredColorToTextColor(f.shadowColor, f.shadowColorKind, c->colorSource);
    shadow.offsetX = f.shadowOffsetX;
    shadow.offsetY = f.shadowOffsetY;
    if (f.shadowKind == 2) shadow.flags |= kPassExtruded;
    DrawTextPass(c, shadow);
    TextPass main = base;
    if (f.flags & kFormatOutline) main.flags |= kPassOutlined;
    DrawTextPass(c, main);
  } else if (f.flags & kFormatOutline) {
    TextPass main = base;
    main.flags |= kPassOutlined;
    DrawTextPass(c, main);
  } else if (f.flags & kFormatEmboss) {
    const int e = EffectOffset(c);
    TextPass darker = base, lighter = base, main = base;
    darker.colour = DarkerTextColor(c->textColor);
    lighter.colour = LighterTextColor(c->textColor);
    lighter.extraX = lighter.extraY = -e;
    main.extraX = main.extraY = -e;
    DrawTextPass(c, darker);
    DrawTextPass(c, lighter);
    DrawTextPass(c, main);
  } else if (f.flags & kFormatEngrave) {
    const int e = EffectOffset(c);
    TextPass lighter = base, darker = base, main = base;
    lighter.colour = LighterTextColor(c->textColor);
    lighter.extraX = lighter.extraY = e;
    darker.colour = DarkerTextColor(c->textColor);
    main.extraX = main.extraY = e;
    DrawTextPass(c, lighter);
    DrawTextPass(c, darker);
    DrawTextPass(c, main);
  } else {
    DrawTextPass(c, base);
  }
  return TRUE;
}

}  // namespace Present::Text

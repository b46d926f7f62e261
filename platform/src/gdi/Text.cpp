// Text output and measuring: ExtTextOutW, GetTextExtentPoint32W, DrawTextW.
#include <cairo.h>

#include <cmath>
#include <cstring>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>

#include "Blit.h"
#include "TextBidi.h"
#include "FontFaces.h"
#include "Marlett.h"
#include "Shapes.h"

namespace kx2::gdi {
namespace {

std::string Utf8(LPCWSTR s, UINT n) {
  std::string out;
  for (UINT i = 0; i < n; ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6)), out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12)), out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18)), out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F)), out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// A device coordinate from a computed position, held within what any surface can use
// (far-off text must not overflow the conversion).
LONG Pixel(double v) {
  if (!(v > -1e9)) return -1000000000;
  if (v > 1e9) return 1000000000;
  return static_cast<LONG>(v);
}

// Characters a vertical ("@") face turns upright: the full-width scripts and forms.
bool Upright(char32_t c) {
  return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7AF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6);
}

// Glyphs and device advances of a string.
void Layout(Dc& dc, FontInstance& inst, LPCWSTR s, UINT n, bool glyphIndices, const INT* dx,
            std::vector<unsigned>& glyphs, std::vector<int>& advances) {
  glyphs.resize(n);
  advances.resize(n);
  const double sx = std::fabs(dc.ScaleX());
  const int extra = static_cast<int>(std::lround(dc.state.charExtra * sx));
  long long total = 0, totalDevice = 0;
  for (UINT i = 0; i < n; ++i) {
    glyphs[i] = glyphIndices ? s[i] : inst.GlyphOf(s[i]);
    if (dx) {
      // Logical advances, rounded cumulatively so positions do not drift.
      total += dx[i];
      const long long device = std::llround(total * sx);
      advances[i] = static_cast<int>(device - totalDevice);
      totalDevice = device;
    } else if (inst.vertical && !glyphIndices && Upright(s[i])) {
      // An upright character of a vertical face advances by its height, the em.
      advances[i] = static_cast<int>(std::lround(inst.em)) + extra;
    } else {
      advances[i] = inst.Advance(glyphs[i]) + extra;
    }
  }
}

}  // namespace
}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                            const INT* lpDx) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(FALSE);
    if ((c && !lpString) || c > 0x100000) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    auto inst = InstanceOf(*dc);
    if (!inst) return FALSE;
    if (JournalOn()) {
      char head[64];
      std::snprintf(head, sizeof head, "ExtTextOutW %d,%d \"", x, y);
      JournalAdd(head + ((options & ETO_GLYPH_INDEX) ? std::string("<glyphs>") : Utf8(lpString, c)) + "\"");
    }
    Dc::DrawScope scope(*dc);
    UINT align = dc->state.textAlign;
    // Mirrored, the text still reads left to right: it runs from its reference point
    // towards the device's left, as right-aligned text does.
    if (dc->Mirrored() && (align & TA_CENTER) != TA_CENTER) align ^= TA_RIGHT;
    if (align & TA_UPDATECP) x = dc->state.position.x, y = dc->state.position.y;
    double ox = x, oy = y;
    dc->ToDeviceF(ox, oy);
    std::vector<unsigned> glyphs;
    std::vector<int> advances;
    // With ETO_PDY the advances come as x, y pairs; the y steps move the baseline.
    std::vector<INT> xSteps, ySteps;
    const INT* dx = lpDx;
    if (lpDx && (options & ETO_PDY)) {
      for (UINT i = 0; i < c; ++i) xSteps.push_back(lpDx[2 * i]), ySteps.push_back(lpDx[2 * i + 1]);
      dx = xSteps.data();
    }
    Layout(*dc, *inst, lpString, c, (options & ETO_GLYPH_INDEX) != 0, dx, glyphs, advances);
    long long width = 0;
    for (int a : advances) width += a;
    const TEXTMETRICW& tm = inst->tm;
    const double cosA = std::cos(inst->angle), sinA = std::sin(inst->angle);
    // The reference point: left, right or centre of the text; top, baseline or bottom.
    double shiftX = 0, shiftY = 0;
    if ((align & TA_CENTER) == TA_CENTER)
      shiftX = -width / 2.0;
    else if (align & TA_RIGHT)
      shiftX = -static_cast<double>(width);
    if ((align & TA_BASELINE) == TA_BASELINE)
      shiftY = 0;
    else if (align & TA_BOTTOM)
      shiftY = -tm.tmDescent;
    else
      shiftY = tm.tmAscent;
    const double bx = ox + shiftX * cosA + shiftY * sinA, by = oy - shiftX * sinA + shiftY * cosA;
    if (align & TA_UPDATECP) {
      const POINT end = dc->ToLogical(static_cast<int>(std::lround(ox + (align & TA_RIGHT ? 0 : width))),
                                      static_cast<int>(std::lround(oy)));
      dc->state.position = end;
    }
    std::vector<cairo_glyph_t> placed(c);
    double pen = 0, rise = 0;
    for (UINT i = 0; i < c; ++i) {
      placed[i].index = glyphs[i];
      placed[i].x = bx + pen * cosA;
      placed[i].y = by - pen * sinA + rise;
      pen += advances[i];
      if (!ySteps.empty()) rise += ySteps[i] * dc->ScaleY();
    }
    RECT clipRect{};
    if (lprect) {
      const POINT a = dc->ToDevice(lprect->left, lprect->top), b = dc->ToDevice(lprect->right, lprect->bottom);
      clipRect = RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }
    if (dc->pathOpen) {
      cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
      cairo_t* cr = cairo_create(scratch);
      cairo_set_scaled_font(cr, inst->scaled);
      cairo_glyph_path(cr, placed.data(), static_cast<int>(c));
      cairo_path_t* path = cairo_copy_path(cr);
      for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t* d = &path->data[i];
        switch (d->header.type) {
          case CAIRO_PATH_MOVE_TO:
            dc->path.push_back(PathPoint{d[1].point.x, d[1].point.y, PathPoint::kMove});
            break;
          case CAIRO_PATH_LINE_TO:
            dc->path.push_back(PathPoint{d[1].point.x, d[1].point.y, PathPoint::kLine});
            break;
          case CAIRO_PATH_CURVE_TO:
            for (int k = 1; k <= 3; ++k) dc->path.push_back(PathPoint{d[k].point.x, d[k].point.y, PathPoint::kCurve});
            break;
          case CAIRO_PATH_CLOSE_PATH:
            dc->path.push_back(PathPoint{0, 0, PathPoint::kClose});
            break;
        }
      }
      cairo_path_destroy(path);
      cairo_destroy(cr);
      cairo_surface_destroy(scratch);
      return TRUE;
    }
    // The clip of ETO_CLIPPED joins the DC's for this call only.
    std::optional<Rects> savedClip = dc->state.clip;
    if ((options & ETO_CLIPPED) && lprect) {
      const Rects current = dc->state.clip ? *dc->state.clip : RectRegion(dc->Bounds());
      dc->state.clip = CombineRegions(current, RectRegion(clipRect), RGN_AND);
    }
    Paint bk;
    bk.kind = Paint::kSolid;
    bk.pixel = PixelOf(dc->state.bkColor);
    const int rop = dc->state.rop2;
    dc->state.rop2 = R2_COPYPEN;
    auto fill = [&](const RECT& r) {
      if (EmptyRect(r)) return;
      dc->PaintShape(r, bk, false, [&](cairo_t* cr) {
        cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
        cairo_fill(cr);
      });
    };
    if ((options & ETO_OPAQUE) && lprect) fill(clipRect);
    const double top = by - tm.tmAscent;
    const RECT cell{Pixel(std::floor(std::min(bx, bx + width * cosA))), Pixel(std::floor(top)),
                    Pixel(std::ceil(std::max(bx, bx + width * cosA))), Pixel(std::ceil(top + tm.tmHeight))};
    if (dc->state.bkMode == OPAQUE && inst->angle == 0) fill(cell);
    if (c) {
      Paint ink;
      ink.kind = Paint::kSolid;
      ink.pixel = PixelOf(dc->state.textColor);
      const double reach = inst->em * 2 + std::fabs(width * sinA);
      RECT bounds{Pixel(std::floor(std::min(bx, bx + width * cosA) - inst->em * 2)), Pixel(std::floor(by - reach)),
                  Pixel(std::ceil(std::max(bx, bx + width * cosA) + inst->em * 2)), Pixel(std::ceil(by + reach))};
      if (dc->Target() && inst->angle == 0 && !inst->vertical) {
        // Upright text on pixels: each glyph's cached coverage is painted where it lands.
        const Rects clip = dc->ClipRects();
        const RECT box = RegionBox(clip);
        std::vector<const GlyphImage*> images(c);
        inst->Glyphs(glyphs.data(), c, images.data());
        for (UINT i = 0; i < c; ++i) {
          const GlyphImage& g = *images[i];
          if (g.coverage.empty()) continue;
          const LONG gx = Pixel(std::floor(placed[i].x + 0.5)) + g.left;
          const LONG gy = Pixel(std::floor(placed[i].y + 0.5)) - g.top;
          const RECT area{gx, gy, gx + g.width, gy + g.height};
          if (EmptyRect(IntersectRects(area, box))) continue;
          dc->PaintCoverage(g.coverage.data(), g.width, area, ink, clip);
        }
      } else {
        dc->PaintShape(bounds, ink, inst->antialias, [&](cairo_t* cr) {
          if (inst->marlett) {
            // Each symbol in its em box, turned with the escapement.
            for (UINT i = 0; i < c; ++i) {
              cairo_save(cr);
              cairo_translate(cr, placed[i].x, placed[i].y);
              cairo_rotate(cr, -inst->angle);
              EmitMarlettGlyph(cr, placed[i].index, 0, -tm.tmAscent, inst->em);
              cairo_restore(cr);
            }
            return;
          }
          cairo_set_scaled_font(cr, inst->scaled);
          if (inst->vertical && !(options & ETO_GLYPH_INDEX)) {
            // Upright characters turn a quarter left about the line's middle, so that a
            // line run downwards (escapement 2700) shows them standing.
            const double em = inst->em, ascent = tm.tmAscent, descent = tm.tmDescent;
            const double glyphAscent = em * ascent / (ascent + descent);
            const double middle = (descent - ascent) / 2;
            double pen = 0;
            for (UINT i = 0; i < c; ++i) {
              cairo_glyph_t one = placed[i];
              if (Upright(lpString[i])) {
                cairo_save(cr);
                cairo_translate(cr, bx, by);
                cairo_rotate(cr, -inst->angle);
                cairo_translate(cr, pen + glyphAscent, middle + em / 2);
                cairo_rotate(cr, -M_PI / 2);
                cairo_rotate(cr, inst->angle);  // the font itself is turned by the escapement
                one.x = 0, one.y = 0;
                cairo_show_glyphs(cr, &one, 1);
                cairo_restore(cr);
              } else {
                cairo_show_glyphs(cr, &one, 1);
              }
              pen += advances[i];
            }
            return;
          }
          cairo_show_glyphs(cr, placed.data(), static_cast<int>(c));
        });
      }
      const LOGFONTW& lf = dc->state.font->logfont;
      if ((lf.lfUnderline || lf.lfStrikeOut) && inst->angle == 0) {
        const int thickness = std::max(1, static_cast<int>(std::lround(inst->em / 14)));
        auto line = [&](double yy) {
          const RECT r{Pixel(std::round(bx)), Pixel(std::round(yy)), Pixel(std::round(bx + width)),
                       Pixel(std::round(yy)) + thickness};
          dc->PaintShape(r, ink, false, [&](cairo_t* cr) {
            cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
            cairo_fill(cr);
          });
        };
        if (lf.lfUnderline) line(by + std::max(1.0, inst->em / 10));
        if (lf.lfStrikeOut) line(by - inst->em * 0.3);
      }
    }
    dc->state.rop2 = rop;
    dc->state.clip = savedClip;
    return TRUE;
  });
}

KX2_EXPORT BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
  if (c < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return ExtTextOutW(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}

KX2_EXPORT BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR s, int n, int maxExtent, LPINT fit, LPINT dx, SIZE* size) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(FALSE);
    if (n < 0 || (n && !s)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    auto inst = InstanceOf(*dc);
    if (!inst) return FALSE;
    std::vector<unsigned> glyphs;
    std::vector<int> advances;
    Layout(*dc, *inst, s, static_cast<UINT>(n), false, nullptr, glyphs, advances);
    const double sx = std::fabs(dc->ScaleX()), sy = std::fabs(dc->ScaleY());
    long long total = 0;
    int fits = 0;
    for (int i = 0; i < n; ++i) {
      total += advances[static_cast<size_t>(i)];
      const int logical = static_cast<int>(std::lround(total / sx));
      if (dx) dx[i] = logical;
      if (maxExtent < 0 || logical <= maxExtent) fits = i + 1;
    }
    if (fit) *fit = fits;
    if (size) *size = SIZE{Pixel(std::round(total / sx)), Pixel(std::round(inst->tm.tmHeight / sy))};
    return TRUE;
  });
}

KX2_EXPORT BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, SIZE* psizl) {
  return GetTextExtentExPointW(hdc, lpString, c, -1, nullptr, nullptr, psizl);
}

namespace {

int PlainWidth(HDC hdc, const std::u16string& s) {
  SIZE size{};
  GetTextExtentPoint32W(hdc, s.data(), static_cast<int>(s.size()), &size);
  return size.cx;
}

// A line's width and drawing with tabs expanded to the next stop (tab 0: tabs are text).
struct Tabs {
  int stop = 0;
};

int Width(HDC hdc, const std::u16string& s, Tabs tabs = {}) {
  if (tabs.stop <= 0 || s.find(u'\t') == std::u16string::npos) return PlainWidth(hdc, s);
  int x = 0;
  size_t start = 0;
  while (true) {
    const size_t tab = s.find(u'\t', start);
    x += PlainWidth(hdc, s.substr(start, tab == std::u16string::npos ? std::u16string::npos : tab - start));
    if (tab == std::u16string::npos) return x;
    x = (x / tabs.stop + 1) * tabs.stop;
    start = tab + 1;
  }
}

void DrawLine(HDC hdc, int x, int y, UINT options, const RECT* clip, const std::u16string& s, Tabs tabs) {
  size_t start = 0;
  int at = 0;
  while (true) {
    const size_t tab = tabs.stop > 0 ? s.find(u'\t', start) : std::u16string::npos;
    const std::u16string part = s.substr(start, tab == std::u16string::npos ? std::u16string::npos : tab - start);
    ExtTextOutW(hdc, x + at, y, options, clip, part.data(), static_cast<UINT>(part.size()), nullptr);
    if (tab == std::u16string::npos) return;
    at = ((at + PlainWidth(hdc, part)) / tabs.stop + 1) * tabs.stop;
    start = tab + 1;
  }
}

}  // namespace

KX2_EXPORT int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  return kx2::Guard(0, [&]() -> int {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(0);
    if (!lpchText || !lprc) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    const std::u16string raw =
        cchText < 0 ? std::u16string(lpchText) : std::u16string(lpchText, static_cast<size_t>(cchText));
    // "&x" shows x underlined; "&&" shows one "&".
    std::u16string text;
    size_t prefix = std::u16string::npos;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (!(format & DT_NOPREFIX) && raw[i] == u'&') {
        if (i + 1 < raw.size() && raw[i + 1] == u'&') {
          ++i;
        } else {
          if (i + 1 < raw.size()) prefix = text.size();
          continue;
        }
      }
      text += raw[i];
    }
    TEXTMETRICW tm{};
    GetTextMetricsW(hdc, &tm);
    // Tab stops every 8 average characters, or as many as DT_TABSTOP puts in bits 8-15
    // (which then carry no other flag).
    Tabs tabs;
    if (format & DT_EXPANDTABS) {
      int chars = 8;
      if (format & DT_TABSTOP) {
        chars = static_cast<int>((format >> 8) & 0xFF);
        format &= ~0xFF00u;
      }
      tabs.stop = std::max(1, chars * std::max<LONG>(1, tm.tmAveCharWidth));
    }
    const int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    const int maxWidth = lprc->right - lprc->left;
    // Lines as (start, length) in `text`: hard breaks, then breaks at spaces where the
    // width runs out.
    struct Line {
      size_t start, length;
      std::u16string shown;
      bool cut = false;                      // shortened to fit, with an ellipsis
      size_t intact = std::u16string::npos;  // the units of `shown` still in their place
    };
    std::vector<Line> lines;
    if (format & DT_SINGLELINE) {
      std::u16string one = text;
      for (auto& ch : one)
        if (ch == u'\r' || ch == u'\n') ch = u' ';
      lines.push_back(Line{0, text.size(), one, false, std::u16string::npos});
    } else {
      size_t start = 0;
      while (true) {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        size_t paraEnd = end;
        if (paraEnd > start && text[paraEnd - 1] == u'\r') --paraEnd;
        size_t at = start;
        if ((format & DT_WORDBREAK) && maxWidth > 0 && paraEnd > start) {
          while (at < paraEnd) {
            size_t cut = paraEnd - at;
            while (cut > 0 && Width(hdc, text.substr(at, cut), tabs) > maxWidth) {
              const size_t space = text.rfind(u' ', at + cut - 1);
              if (space == std::u16string::npos || space <= at) break;
              cut = space - at;
            }
            // A word wider than the line: an edit control breaks it where the width runs out.
            if (cut > 0 && (format & DT_EDITCONTROL) && Width(hdc, text.substr(at, cut), tabs) > maxWidth) {
              while (cut > 1 && Width(hdc, text.substr(at, cut), tabs) > maxWidth) --cut;
            }
            if (cut == 0) cut = paraEnd - at;
            lines.push_back(Line{at, cut, text.substr(at, cut), false, std::u16string::npos});
            at += cut;
            while (at < paraEnd && text[at] == u' ') ++at;
          }
        } else {
          lines.push_back(
              Line{start, paraEnd - start, text.substr(start, paraEnd - start), false, std::u16string::npos});
        }
        if (end == text.size()) break;
        start = end + 1;
      }
    }
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) {
      for (auto& line : lines) {
        if (Width(hdc, line.shown, tabs) <= maxWidth) continue;
        line.cut = true;
        // A path keeps what follows its last separator and loses the middle.
        const size_t separator = line.shown.find_last_of(u"\\/");
        if ((format & DT_PATH_ELLIPSIS) && separator != std::u16string::npos && separator > 0) {
          std::u16string head = line.shown.substr(0, separator);
          const std::u16string tail = line.shown.substr(separator);
          while (!head.empty() && Width(hdc, head + u"..." + tail, tabs) > maxWidth) head.pop_back();
          if (Width(hdc, head + u"..." + tail, tabs) <= maxWidth) {
            line.intact = head.size();
            line.shown = head + u"..." + tail;
            continue;
          }
        }
        while (!line.shown.empty() && Width(hdc, line.shown + u"...", tabs) > maxWidth) line.shown.pop_back();
        line.intact = line.shown.size();
        line.shown += u"...";
      }
    }
    // The caller's buffer shows what was drawn: a cut line with its ellipsis, at most three
    // units longer than the text, so within the four spare units the caller leaves.
    if ((format & DT_MODIFYSTRING) && (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) &&
        lines.size() == 1 && lines[0].cut) {
      auto* out = const_cast<LPWSTR>(lpchText);
      std::copy(lines[0].shown.begin(), lines[0].shown.end(), out);
      out[lines[0].shown.size()] = u'\0';
    }
    int widest = 0;
    for (auto& line : lines) widest = std::max(widest, Width(hdc, line.shown, tabs));
    const int height = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
      lprc->right = lprc->left + widest;
      lprc->bottom = lprc->top + height;
      return height;
    }
    // An edit control shows no partly visible last line.
    if ((format & DT_EDITCONTROL) && !(format & DT_SINGLELINE) && lineHeight > 0) {
      const size_t whole = static_cast<size_t>(std::max(1, int((lprc->bottom - lprc->top) / lineHeight)));
      if (lines.size() > whole) lines.resize(whole);
    }
    int y = lprc->top;
    if (format & DT_SINGLELINE) {
      if (format & DT_VCENTER) y = lprc->top + (lprc->bottom - lprc->top - lineHeight) / 2;
      if (format & DT_BOTTOM) y = lprc->bottom - lineHeight;
    }
    const UINT oldAlign = SetTextAlign(hdc, TA_LEFT | TA_TOP);
    for (auto& line : lines) {
      const int w = Width(hdc, line.shown, tabs);
      int x = lprc->left;
      if (format & DT_CENTER) x = lprc->left + (maxWidth - w) / 2;
      if (format & DT_RIGHT) x = lprc->right - w;
      // Right-to-left runs, and every neutral at the ends of a right-to-left paragraph,
      // are drawn in their visual order.
      std::vector<int> visualOf;
      const bool reorder = (format & DT_RTLREADING) || HasRightToLeft(line.shown);
      const std::u16string drawn =
          reorder ? VisualOrder(line.shown, (format & DT_RTLREADING) != 0, &visualOf) : line.shown;
      if (!(format & DT_PREFIXONLY)) DrawLine(hdc, x, y, (format & DT_NOCLIP) ? 0 : ETO_CLIPPED, lprc, drawn, tabs);
      // The prefixed character is underlined, unless hidden.
      if (prefix != std::u16string::npos && !(format & DT_HIDEPREFIX) && prefix >= line.start &&
          prefix < line.start + line.length && prefix - line.start < std::min(line.shown.size(), line.intact)) {
        size_t column = prefix - line.start;
        if (reorder && column < visualOf.size()) column = static_cast<size_t>(visualOf[column]);
        const int left = x + Width(hdc, drawn.substr(0, column), tabs);
        const int right = x + Width(hdc, drawn.substr(0, column + 1), tabs);
        HBRUSH ink = CreateSolidBrush(GetTextColor(hdc));
        const RECT underline{left, y + tm.tmAscent + 1, right, y + tm.tmAscent + 2};
        FillRect(hdc, &underline, ink);
        DeleteObject(ink);
      }
      y += lineHeight;
    }
    SetTextAlign(hdc, oldAlign);
    return height;
  });
}

KX2_EXPORT int DrawTextExW(HDC hdc, LPWSTR lpchText, int cchText, LPRECT lprc, UINT format, LPDRAWTEXTPARAMS params) {
  return kx2::Guard(0, [&]() -> int {
    if (!lprc) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if (params && params->cbSize != sizeof(DRAWTEXTPARAMS)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    RECT inner = *lprc;
    if (params) {
      inner.left += params->iLeftMargin;
      inner.right -= params->iRightMargin;
      if (params->iTabLength > 0 && (format & DT_EXPANDTABS))
        format = (format & ~0xFF00u) | DT_TABSTOP | (static_cast<UINT>(std::min(params->iTabLength, 255)) << 8);
    }
    const int height = DrawTextW(hdc, lpchText, cchText, &inner, format);
    if (height && (format & DT_CALCRECT)) {
      lprc->right = inner.right + (params ? params->iRightMargin : 0);
      lprc->bottom = inner.bottom;
    }
    if (params && height) {
      params->uiLengthDrawn = static_cast<UINT>(cchText < 0 ? std::u16string(lpchText).size() : size_t(cchText));
    }
    return height;
  });
}

KX2_EXPORT int Escape(HDC hdc, int iEscape, int cjIn, LPCSTR pvIn, LPVOID) {
  return kx2::Guard(0, [&]() -> int {
    if (!LookupDc(hdc)) return BadHandle(0);
    if (iEscape == QUERYESCSUPPORT) {
      if (cjIn < 4 || !pvIn) return 0;
      int32_t asked = 0;
      std::memcpy(&asked, pvIn, sizeof asked);
      return asked == QUERYESCSUPPORT ? 1 : 0;
    }
    return 0;
  });
}

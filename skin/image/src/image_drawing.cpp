// Drawing premultiplied and colour-keyed bitmaps, with the fallbacks for systems without
// the blending functions, and frames.
#include <cstring>
#include <vector>

#include <win/gdi.h>
#include <win/gdi_text.h>

#include "ornatex/core/platform_version.h"
#include "ornatex/draw/draw_helpers.h"
#include "ornatex/image/bitmap_routines.h"

namespace {

// A 32-bit top-down work DIB selected into a memory DC.
class WorkDib {
 public:
  WorkDib(int width, int height) : width_(width) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    dc_ = bitmap_ ? CreateCompatibleDC(nullptr) : nullptr;
    if (dc_) previous_ = SelectObject(dc_, bitmap_);
  }
  ~WorkDib() {
    if (dc_) {
      SelectObject(dc_, previous_);
      DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
  }
  WorkDib(const WorkDib&) = delete;
  WorkDib& operator=(const WorkDib&) = delete;

  bool Ok() const { return dc_ && bits_; }
  HDC dc() const { return dc_; }
  uint32_t* Row(int y) const { return bits_ + static_cast<size_t>(y) * width_; }
  // Sections write back lazily; reading the pixels goes through the surface.
  void Sync() const { GdiFlush(); }

 private:
  int width_;
  HBITMAP bitmap_ = nullptr;
  uint32_t* bits_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

DWORD LayoutOf(HDC dc) { return dc ? GetLayout(dc) : 0; }

}  // namespace

BOOL ManualAlphaBlend(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy, int sw,
                      int sh) {
  if (!destination || !source || width <= 0 || height <= 0 || sw <= 0 || sh <= 0) return FALSE;
  const DWORD sourceLayout = LayoutOf(source), destinationLayout = LayoutOf(destination);
  const bool sourceMirrored = (sourceLayout & LAYOUT_RTL) != 0,
             destinationMirrored = (destinationLayout & LAYOUT_RTL) != 0;
  WorkDib src(width, height), dst(width, height), result(width, height);
  if (!src.Ok() || !dst.Ok() || !result.Ok()) return FALSE;
  if (sourceMirrored) SetLayout(source, 0);
  if (destinationMirrored) SetLayout(destination, 0);
  SetStretchBltMode(src.dc(), HALFTONE);
  StretchBlt(src.dc(), 0, 0, width, height, source, sx, sy, sw, sh, SRCCOPY);
  BitBlt(dst.dc(), 0, 0, width, height, destination, x, y, SRCCOPY);
  src.Sync();
  dst.Sync();
  for (int row = 0; row < height; ++row) {
    const uint32_t* s = src.Row(row);
    const uint32_t* d = dst.Row(row);
    uint32_t* out = result.Row(row);
    for (int col = 0; col < width; ++col) {
      const uint32_t sp = s[sourceMirrored ? width - 1 - col : col];
      const uint32_t dp = d[destinationMirrored ? width - 1 - col : col];
      const uint32_t keep = 255 - (sp >> 24);
      uint32_t blended = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t channel = ((sp >> shift) & 0xFF) + ((dp >> shift) & 0xFF) * keep / 255;
        blended |= (channel > 255 ? 255 : channel) << shift;
      }
      out[destinationMirrored ? width - 1 - col : col] = blended;
    }
  }
  BitBlt(destination, x, y, width, height, result.dc(), 0, 0, SRCCOPY | (destinationMirrored ? NOMIRRORBITMAP : 0));
  if (sourceMirrored) SetLayout(source, sourceLayout);
  if (destinationMirrored) SetLayout(destination, destinationLayout);
  return TRUE;
}

BOOL AlphaDraw(HDC dc, HBITMAP bitmap, int x, int y, int width, int height, const RECT* source) {
  if (!dc || !bitmap) return FALSE;
  const RECT src = source ? *source : RECT{0, 0, width, height};
  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return FALSE;
  HGDIOBJ old = SelectObject(memory, bitmap);
  auto blend = KtkDrawHelpers().m_pfnAlphaBlend;
  const bool manual = !blend || ((LayoutOf(dc) & LAYOUT_RTL) && KtkIsWindows9x()) ||
                      (!KtkIsWindows2000OrLater() && (src.left != 0 || src.top != 0 || y < 0));
  BOOL done = FALSE;
  if (manual) {
    done = ManualAlphaBlend(dc, x, y, width, height, memory, src.left, src.top, src.right - src.left,
                            src.bottom - src.top);
  } else {
    BLENDFUNCTION f{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    done = blend(dc, x, y, width, height, memory, src.left, src.top, src.right - src.left, src.bottom - src.top, f);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  return done;
}

BOOL MaskBlit(HDC destination, const RECT& d, HDC source, const RECT& s, COLORREF key) {
  const int sw = s.right - s.left, sh = s.bottom - s.top, dw = d.right - d.left, dh = d.bottom - d.top;
  if (!destination || !source || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return FALSE;
  // A copy of the source area.
  HDC copyDc = CreateCompatibleDC(destination);
  HBITMAP copy = CreateCompatibleBitmap(destination, sw, sh);
  HDC maskDc = CreateCompatibleDC(destination);
  HBITMAP mask = CreateBitmap(sw, sh, 1, 1, nullptr);
  BOOL done = FALSE;
  if (copyDc && copy && maskDc && mask) {
    HGDIOBJ oldCopy = SelectObject(copyDc, copy);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    BitBlt(copyDc, 0, 0, sw, sh, source, s.left, s.top, SRCCOPY);
    // The mask: white where the key is.
    SetBkColor(copyDc, key);
    BitBlt(maskDc, 0, 0, sw, sh, copyDc, 0, 0, SRCCOPY);
    // The key pixels of the copy become black: the mask's set bits come out in the
    // background colour, the others in the text colour.
    SetBkColor(copyDc, RGB(0, 0, 0));
    SetTextColor(copyDc, RGB(255, 255, 255));
    BitBlt(copyDc, 0, 0, sw, sh, maskDc, 0, 0, SRCAND);
    // The destination keeps its pixels under the key and takes the copy elsewhere.
    SetBkColor(destination, RGB(255, 255, 255));
    SetTextColor(destination, RGB(0, 0, 0));
    if (dw == sw && dh == sh) {
      BitBlt(destination, d.left, d.top, dw, dh, maskDc, 0, 0, SRCAND);
      BitBlt(destination, d.left, d.top, dw, dh, copyDc, 0, 0, SRCPAINT);
    } else {
      StretchBlt(destination, d.left, d.top, dw, dh, maskDc, 0, 0, sw, sh, SRCAND);
      StretchBlt(destination, d.left, d.top, dw, dh, copyDc, 0, 0, sw, sh, SRCPAINT);
    }
    SelectObject(copyDc, oldCopy);
    SelectObject(maskDc, oldMask);
    done = TRUE;
  }
  if (mask) DeleteObject(mask);
  if (maskDc) DeleteDC(maskDc);
  if (copy) DeleteObject(copy);
  if (copyDc) DeleteDC(copyDc);
  return done;
}

BOOL TransparentDraw(HDC dc, const RECT& destination, HDC source, const RECT& s, COLORREF key) {
  auto transparent = KtkDrawHelpers().m_pfnTransparentBlt;
  if (transparent && KtkIsWindows2000OrLater())
    return transparent(dc, destination.left, destination.top, destination.right - destination.left,
                       destination.bottom - destination.top, source, s.left, s.top, s.right - s.left, s.bottom - s.top,
                       key);
  return MaskBlit(dc, destination, source, s, key);
}

void FillFrame(HDC dc, const RECT& r, int thickness, COLORREF color) {
  const COLORREF old = SetBkColor(dc, color);
  const RECT bands[4] = {{r.left, r.top, r.right, r.top + thickness},
                         {r.left, r.top, r.left + thickness, r.bottom},
                         {r.right - thickness, r.top, r.right, r.bottom},
                         {r.left, r.bottom - thickness, r.right, r.bottom}};
  for (const RECT& band : bands) ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &band, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void FillFrame(HDC dc, const RECT& r, int thickness, HBRUSH brush) {
  const RECT bands[4] = {{r.left, r.top, r.right, r.top + thickness},
                         {r.left, r.top, r.left + thickness, r.bottom},
                         {r.right - thickness, r.top, r.right, r.bottom},
                         {r.left, r.bottom - thickness, r.right, r.bottom}};
  for (const RECT& band : bands) FillRect(dc, &band, brush);
}

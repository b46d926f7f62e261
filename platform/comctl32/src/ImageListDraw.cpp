// Drawing an image list's image: blended by its alpha over what lies under it, over a
// background, as its mask, or through a raster operation.
#include <algorithm>

#include "ImageList.h"

namespace comctl {

namespace {

uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

uint32_t Mix(uint32_t a, uint32_t b, unsigned weightOfB) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const unsigned ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    out |= ((ca * (256 - weightOfB) + cb * weightOfB) >> 8) << shift;
  }
  return out;
}

uint32_t Grey(uint32_t c) {
  const unsigned r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  const unsigned y = (r * 77 + g * 151 + b * 28) >> 8;
  return (y << 16) | (y << 8) | y;
}

// A memory DC holding a 32-bit DIB section for the length of one draw.
class Scratch {
 public:
  Scratch(HDC like, int width, int height) {
    bitmap_ = MakeDibSection(width, height, 32, &bits_);
    dc_ = bitmap_ ? CreateCompatibleDC(like) : nullptr;
    if (dc_) old_ = SelectObject(dc_, bitmap_);
  }
  ~Scratch() {
    if (dc_) {
      SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  bool Ok() const { return dc_ != nullptr; }
  HDC Dc() const { return dc_; }
  uint32_t* Bits() const { return static_cast<uint32_t*>(bits_); }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

}  // namespace

bool ImageList::Draw(const IMAGELISTDRAWPARAMS& p) const {
  if (p.i < 0 || p.i >= Count() || !p.hdcDst) return false;
  const int xb = std::max(0, p.xBitmap), yb = std::max(0, p.yBitmap);
  const int w = std::min(p.cx > 0 ? p.cx : cx_, cx_ - xb);
  const int h = std::min(p.cy > 0 ? p.cy : cy_, cy_ - yb);
  if (w <= 0 || h <= 0) return true;
  const bool withStates = p.cbSize >= sizeof(IMAGELISTDRAWPARAMS);
  const DWORD state = withStates ? p.fState : 0;
  const std::vector<uint32_t>& image = images_[static_cast<size_t>(p.i)];
  auto source = [&](int x, int y) { return image[static_cast<size_t>(y + yb) * cx_ + (x + xb)]; };

  Scratch scratch(p.hdcDst, w, h);
  if (!scratch.Ok()) return false;
  uint32_t* out = scratch.Bits();
  const COLORREF listBk = background_;
  COLORREF bk = p.rgbBk == CLR_DEFAULT ? listBk : p.rgbBk;
  const UINT style = p.fStyle;

  if (style & (ILD_MASK | ILD_ROP | ILD_IMAGE)) {
    // Opaque output: the mask (black where the image shows, white where it does not), or the
    // colour with the background under its transparent pixels.
    const bool mask = (style & ILD_MASK) != 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t v = source(x, y);
        const unsigned a = v >> 24;
        uint32_t c;
        if (mask)
          c = a == 0 ? 0xFFFFFFu : 0;
        else if (bk == CLR_NONE)
          c = v & 0xFFFFFFu;
        else
          c = Mix(Rgb(bk), v & 0xFFFFFFu, a + (a >> 7));
        out[y * w + x] = c | 0xFF000000u;
      }
    // Turning colour into one bit takes white (the mask's clear part, or the background) as set.
    SetBkColor(scratch.Dc(), mask || bk == CLR_NONE ? RGB(255, 255, 255) : bk);
    const DWORD rop = (style & ILD_ROP) ? p.dwRop : SRCCOPY;
    return BitBlt(p.hdcDst, p.x, p.y, w, h, scratch.Dc(), 0, 0, rop) != FALSE;
  }

  if (style & ILD_TRANSPARENT) bk = CLR_NONE;
  const COLORREF fg = p.rgbFg == CLR_DEFAULT || p.rgbFg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : p.rgbFg;
  const unsigned blend = (style & ILD_BLEND50) ? 128 : (style & ILD_BLEND25) ? 64 : 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t v = source(x, y);
      unsigned a = v >> 24;
      uint32_t c = v & 0xFFFFFFu;
      if (state & ILS_SATURATE) c = Grey(c);
      if (blend && a) c = Mix(c, Rgb(fg), blend);
      if (bk != CLR_NONE) {
        c = Mix(Rgb(bk), c, a + (a >> 7));
        a = 255;
      }
      // Premultiplied for the blend.
      const uint32_t r = ((c >> 16) & 0xFF) * a / 255, g = ((c >> 8) & 0xFF) * a / 255, b = (c & 0xFF) * a / 255;
      out[y * w + x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  BLENDFUNCTION f{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  if (state & ILS_ALPHA) f.SourceConstantAlpha = static_cast<BYTE>(std::min<DWORD>(p.Frame, 255));
  return AlphaBlend(p.hdcDst, p.x, p.y, w, h, scratch.Dc(), 0, 0, w, h, f) != FALSE;
}

}  // namespace comctl

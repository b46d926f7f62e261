// A memory DC over a bitmap of a known size, filled with one colour, for probing what the
// draw helpers leave in it.
#pragma once

#include <win/gdi.h>

#include <kx2/GdiCairo.h>

namespace ornatex_test {

class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    previous_ = SelectObject(dc_, bitmap_);
    Fill(RECT{0, 0, width, height}, fill);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  void Fill(const RECT& r, COLORREF color) const { Fill(dc_, r, color); }
  static void Fill(HDC dc, const RECT& r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

// Live GDI objects of every kind the helpers make, to show a scope gave back what it took.
inline long LiveGdiObjects() {
  return Kx2GdiLiveObjects(OBJ_PEN) + Kx2GdiLiveObjects(OBJ_BRUSH) + Kx2GdiLiveObjects(OBJ_FONT) +
         Kx2GdiLiveObjects(OBJ_BITMAP) + Kx2GdiLiveObjects(OBJ_DC) + Kx2GdiLiveObjects(OBJ_MEMDC) +
         Kx2GdiLiveObjects(OBJ_REGION);
}

}  // namespace ornatex_test

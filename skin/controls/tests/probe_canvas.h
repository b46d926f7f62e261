// Probing what skin objects paint: a 32-bit DIB section selected into a memory DC, and
// colours written the way a skin's INI lines give them.
#pragma once

#include <optional>
#include <string>

#include <win/gdi.h>

namespace ornatex_test {

inline std::u16string ProbeNumber(int n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

// "R, G, B", as a colour value of a skin line.
inline std::u16string ProbeColourText(COLORREF c) {
  return ProbeNumber(GetRValue(c)) + u", " + ProbeNumber(GetGValue(c)) + u", " + ProbeNumber(GetBValue(c));
}

// A top-down 32-bit canvas of w x h pixels, filled with `fill` when one is given (a colour
// no skin part uses shows what was left unpainted).
struct ProbeCanvas {
  ProbeCanvas(int w, int h, std::optional<COLORREF> fill = std::nullopt) : width(w), height(h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    if (fill) {
      HBRUSH brush = CreateSolidBrush(*fill);
      RECT all{0, 0, w, h};
      FillRect(dc, &all, brush);
      DeleteObject(brush);
    }
  }
  ~ProbeCanvas() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  ProbeCanvas(const ProbeCanvas&) = delete;
  ProbeCanvas& operator=(const ProbeCanvas&) = delete;
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  // How many pixels of `r` have the colour `c`.
  int Count(const RECT& r, COLORREF c) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
    return n;
  }
  int width, height;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

}  // namespace ornatex_test

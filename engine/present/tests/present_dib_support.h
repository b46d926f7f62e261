// A white 32-bit DIB section of Side x Side pixels selected into a memory DC, for tests
// that paint through GDI and probe the colours at points.
#pragma once

#include <cstdint>

#include <win/gdi.h>

namespace present_test {

template <int Side>
class WhiteDib {
 public:
  WhiteDib() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = Side;
    info.bmiHeader.biHeight = -Side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    bits_ = static_cast<uint32_t*>(p);
    for (int i = 0; i < Side * Side; ++i) bits_[i] = 0xFFFFFF;
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~WhiteDib() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  WhiteDib(const WhiteDib&) = delete;
  WhiteDib& operator=(const WhiteDib&) = delete;

  HDC dc() const { return dc_; }
  void Clear() {
    GdiFlush();
    for (int i = 0; i < Side * Side; ++i) bits_[i] = 0xFFFFFF;
  }
  uint32_t At(int x, int y) const {
    GdiFlush();
    return bits_[y * Side + x] & 0xFFFFFF;
  }

 private:
  HBITMAP bitmap_;
  HGDIOBJ old_;
  HDC dc_;
  uint32_t* bits_;
};

}  // namespace present_test

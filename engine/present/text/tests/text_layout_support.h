// A device context over a white 32-bit bitmap and a text context bound to it with a text
// object of our own, for the layout and drawing tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <kx2/GdiCairo.h>

#include <plastrum/present/text/FontConfig.h>
#include <plastrum/present/text/TextContext.h>
#include <plastrum/present/text/TextDrawing.h>
#include <plastrum/present/text/TextLayout.h>

namespace texttest {

class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    RECT all{0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y) & 0xFFFFFF; }
  // Pixels in a box whose colour is not white.
  int Ink(int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(height_, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(width_, x1); ++x)
        if (Pixel(x, y) != 0xFFFFFF) ++n;
    return n;
  }
  int CountColour(COLORREF c, int tolerance = 0) const {
    int n = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        const COLORREF p = Pixel(x, y);
        if (std::abs(int(p & 0xFF) - int(c & 0xFF)) <= tolerance &&
            std::abs(int((p >> 8) & 0xFF) - int((c >> 8) & 0xFF)) <= tolerance &&
            std::abs(int((p >> 16) & 0xFF) - int((c >> 16) & 0xFF)) <= tolerance)
          ++n;
      }
    return n;
  }
  void Save(const std::string& name) const {
    const char* out = std::getenv("KX2_TEST_OUTPUT");
    if (!out) return;
    std::string path = std::string(out) + "/" + name;
    std::u16string wide = u"Z:";
    for (char ch : path) wide += ch == '/' ? u'\\' : static_cast<char16_t>(ch);
    Kx2GdiWriteDcPng(dc_, wide.c_str());
  }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

inline Present::Text::TextFormat MakeFormat(const char16_t* face0, const char16_t* face1, int size, int weight = 400,
                                            uint16_t flags = 0) {
  Present::Text::TextFormat f{};
  f.flags = flags;
  f.weight = weight;
  std::u16string a(face0), b(face1);
  std::memcpy(f.slots[0].faceName, a.c_str(), std::min<size_t>(a.size(), 31) * 2);
  std::memcpy(f.slots[1].faceName, b.c_str(), std::min<size_t>(b.size(), 31) * 2);
  f.slots[0].size = f.slots[1].size = -size;
  f.slots[0].widthPercent = f.slots[1].widthPercent = 100;
  return f;
}

// A text object and a context attached to a DC (mapping code 1: logical units are pixels).
struct Bound {
  Present::Text::TextObject object{};
  Present::Text::TextContext* context = nullptr;
  Bound(HDC dc, const Present::Text::TextFormat& format, uint32_t textFlags = 0) {
    Present::Text::InitTextObject(&object, format);
    context = Present::Text::AcquireTextContext();
    Present::Text::ClearTextFontState(context);
    Present::Text::AttachTextContext(dc, context);
    context->object = &object;
    context->textFlags = textFlags;
    context->textColor = 0;
    context->backColor = 0xFFFFFF;
  }
  ~Bound() { Present::Text::GiveBackTextContext(context); }
};

inline std::vector<std::string> Journal() {
  std::string text(Kx2GdiJournalRead(nullptr, 0), '\0');
  Kx2GdiJournalRead(text.data(), text.size());
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (end > at && text[at] != '\0') lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

}  // namespace texttest

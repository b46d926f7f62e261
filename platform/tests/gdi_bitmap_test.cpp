// Bitmaps, DCs and blits: the ROP3 truth tables, GDI's 1-bit/colour rules, DIB layouts,
// DIB sections written back, and bad input refused without change.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <kx2/GdiCairo.h>
#include <win/gdi.h>
#include <win/kernel.h>

namespace {

// A memory DC with a 32-bit DIB section of w x h, top-down; pixels readable directly.
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int width = 0;

  Canvas(int w, int h) : width(w) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    old = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  uint32_t& At(int x, int y) { return bits[y * width + x]; }
};

TEST(GdiBlit, Rop3TableOnTwoByTwo) {
  // Source pixels and destination pixels; the pattern is a solid brush.
  const uint32_t src[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};
  const uint32_t dst[4] = {0x00123456, 0x00FFFFFF, 0x00000000, 0x00808080};
  const uint32_t pat = 0x000F0F0F;
  struct Case {
    DWORD rop;
    uint32_t (*expect)(uint32_t p, uint32_t s, uint32_t d);
  } cases[] = {
      {SRCCOPY, [](uint32_t, uint32_t s, uint32_t) { return s; }},
      {SRCAND, [](uint32_t, uint32_t s, uint32_t d) { return s & d; }},
      {SRCPAINT, [](uint32_t, uint32_t s, uint32_t d) { return s | d; }},
      {SRCINVERT, [](uint32_t, uint32_t s, uint32_t d) { return s ^ d; }},
      {DSTINVERT, [](uint32_t, uint32_t, uint32_t d) { return ~d & 0xFFFFFF; }},
      {PATCOPY, [](uint32_t p, uint32_t, uint32_t) { return p; }},
      {MERGECOPY, [](uint32_t p, uint32_t s, uint32_t) { return p & s; }},
      {NOTSRCCOPY, [](uint32_t, uint32_t s, uint32_t) { return ~s & 0xFFFFFF; }},
      {PATINVERT, [](uint32_t p, uint32_t, uint32_t d) { return p ^ d; }},
      {BLACKNESS, [](uint32_t, uint32_t, uint32_t) { return 0u; }},
      {WHITENESS, [](uint32_t, uint32_t, uint32_t) { return 0xFFFFFFu; }},
  };
  for (const Case& c : cases) {
    Canvas s(2, 2), d(2, 2);
    std::memcpy(s.bits, src, sizeof src);
    std::memcpy(d.bits, dst, sizeof dst);
    HBRUSH brush = CreateSolidBrush(RGB(0x0F, 0x0F, 0x0F));
    HGDIOBJ oldBrush = SelectObject(d.dc, brush);
    ASSERT_TRUE(BitBlt(d.dc, 0, 0, 2, 2, s.dc, 0, 0, c.rop)) << std::hex << c.rop;
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(d.bits[i] & 0xFFFFFF, c.expect(pat, src[i], dst[i]) & 0xFFFFFF)
          << "rop " << std::hex << c.rop << " pixel " << i;
    SelectObject(d.dc, oldBrush);
    DeleteObject(brush);
  }
}

TEST(GdiBlit, SrcInvertTwiceRestoresAndSrcCopyKeepsTheFourthByte) {
  Canvas s(2, 2), d(2, 2);
  const uint32_t src[4] = {0x80FF0000, 0x4000FF00, 0x000000FF, 0xFFFFFFFF};
  const uint32_t dst[4] = {0x00123456, 0x00ABCDEF, 0x00000000, 0x00808080};
  std::memcpy(s.bits, src, sizeof src);
  std::memcpy(d.bits, dst, sizeof dst);
  ASSERT_TRUE(BitBlt(d.dc, 0, 0, 2, 2, s.dc, 0, 0, SRCINVERT));
  ASSERT_TRUE(BitBlt(d.dc, 0, 0, 2, 2, s.dc, 0, 0, SRCINVERT));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d.bits[i], dst[i]);
  ASSERT_TRUE(BitBlt(d.dc, 0, 0, 2, 2, s.dc, 0, 0, SRCCOPY));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d.bits[i], src[i]) << "blits copy the fourth byte";
}

TEST(GdiBlit, MonoSourceTakesTheDestinationsTextAndBackgroundColours) {
  HDC monoDc = CreateCompatibleDC(nullptr);
  const uint8_t rows[4] = {0x40, 0, 0x80, 0};  // row 0: 0 1; row 1: 1 0 (WORD-aligned rows)
  HBITMAP mono = CreateBitmap(2, 2, 1, 1, rows);
  ASSERT_NE(mono, nullptr);
  HGDIOBJ old = SelectObject(monoDc, mono);
  Canvas d(2, 2);
  SetTextColor(d.dc, RGB(255, 0, 0));
  SetBkColor(d.dc, RGB(0, 0, 255));
  ASSERT_TRUE(BitBlt(d.dc, 0, 0, 2, 2, monoDc, 0, 0, SRCCOPY));
  EXPECT_EQ(d.At(0, 0), 0x00FF0000u) << "0 bits take the text colour";
  EXPECT_EQ(d.At(1, 0), 0x000000FFu) << "1 bits take the background colour";
  EXPECT_EQ(d.At(0, 1), 0x000000FFu);
  EXPECT_EQ(d.At(1, 1), 0x00FF0000u);

  // Colour to 1-bit: the source DC's background colour becomes 1 (white), all else 0.
  d.At(0, 0) = 0x00123456;
  d.At(1, 0) = 0x00000000;
  d.At(0, 1) = 0x00FFFFFF;
  d.At(1, 1) = 0x00123456;
  SetBkColor(d.dc, RGB(0x12, 0x34, 0x56));
  ASSERT_TRUE(BitBlt(monoDc, 0, 0, 2, 2, d.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(monoDc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(monoDc, 1, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(monoDc, 0, 1), RGB(0, 0, 0)) << "white is not the background colour";
  EXPECT_EQ(GetPixel(monoDc, 1, 1), RGB(255, 255, 255));
  SelectObject(monoDc, old);
  DeleteObject(mono);
  DeleteDC(monoDc);
}

TEST(GdiBitmap, BottomUpDibFirstStoredRowIsTheBottomRow) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 1;
  info.bmiHeader.biHeight = 2;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  HDC dc = CreateCompatibleDC(nullptr);
  void* p = nullptr;
  HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
  ASSERT_NE(section, nullptr);
  HGDIOBJ old = SelectObject(dc, section);
  auto* bits = static_cast<uint8_t*>(p);
  // Written by drawing: the top pixel red, the bottom one blue.
  SetPixel(dc, 0, 0, RGB(255, 0, 0));
  SetPixel(dc, 0, 1, RGB(0, 0, 255));
  EXPECT_EQ(bits[0], 255) << "first stored row (bottom) is blue, written back before SetPixel returned";
  EXPECT_EQ(bits[2], 0);
  EXPECT_EQ(bits[4 + 2], 255) << "second stored row (top) is red";
  // Written by the caller: seen by the next drawing call.
  bits[0] = 0, bits[1] = 255, bits[2] = 0;
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 255, 0));

  std::vector<uint32_t> out(2);
  BITMAPINFO query = info;
  query.bmiHeader.biBitCount = 32;
  query.bmiHeader.biHeight = -2;
  EXPECT_EQ(GetDIBits(dc, section, 0, 2, out.data(), &query, DIB_RGB_COLORS), 2);
  EXPECT_EQ(out[0] & 0xFFFFFF, 0xFF0000u) << "top-down read: the top row first";
  EXPECT_EQ(out[1] & 0xFFFFFF, 0x00FF00u);
  SelectObject(dc, old);
  DeleteObject(section);
  DeleteDC(dc);
}

// 24-bit rows are read several pixels at a time: every width up to past two such groups
// reads each pixel's own three bytes, the last ones of a row included.
TEST(GdiBitmap, TwentyFourBitRowsOfEveryWidthReadEachPixel) {
  HDC dc = CreateCompatibleDC(nullptr);
  for (int width = 1; width <= 10; ++width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -2;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* p = nullptr;
    HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    ASSERT_NE(section, nullptr) << width;
    const size_t stride = ((static_cast<size_t>(width) * 24 + 31) / 32) * 4;
    auto* bits = static_cast<uint8_t*>(p);
    for (size_t i = 0; i < stride * 2; ++i) bits[i] = static_cast<uint8_t>(0xF0 ^ (i * 7 + width));
    HGDIOBJ old = SelectObject(dc, section);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint8_t* px = bits + stride * y + x * 3;
        EXPECT_EQ(GetPixel(dc, x, y), RGB(px[2], px[1], px[0])) << width << " " << x << "," << y;
      }
    }
    SelectObject(dc, old);
    DeleteObject(section);
  }
  DeleteDC(dc);
}

TEST(GdiBitmap, OneBitDibSectionKeepsTheCallersFormat) {
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colours[2];
  } info{};
  info.h.biSize = sizeof(BITMAPINFOHEADER);
  info.h.biWidth = 8;
  info.h.biHeight = -1;
  info.h.biPlanes = 1;
  info.h.biBitCount = 1;
  info.colours[1] = RGBQUAD{255, 255, 255, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  void* p = nullptr;
  HBITMAP section = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &p, nullptr, 0);
  ASSERT_NE(section, nullptr);
  HGDIOBJ old = SelectObject(dc, section);
  RECT r{2, 0, 4, 1};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(static_cast<uint8_t*>(p)[0], 0x30);
  SelectObject(dc, old);
  DeleteObject(section);
  DeleteDC(dc);
}

TEST(GdiBitmap, BadInputChangesNothing) {
  SetLastError(0);
  EXPECT_EQ(CreateBitmap(32768, 1, 1, 32, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(30000, 30000, 1, 32, nullptr), nullptr) << "byte size above 2 GiB is refused";
  EXPECT_EQ(CreateBitmap(-1, 1, 1, 32, nullptr), nullptr);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 4;
  info.bmiHeader.biPlanes = 1;
  for (WORD bits : {0, 2, 3, 33}) {
    info.bmiHeader.biBitCount = bits;
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0), nullptr) << bits;
    EXPECT_EQ(p, nullptr);
  }
  info.bmiHeader.biBitCount = 8;
  info.bmiHeader.biClrUsed = 257;
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);

  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP b = CreateCompatibleBitmap(dc, 4, 4);
  ASSERT_TRUE(DeleteObject(b));
  SetLastError(0);
  EXPECT_EQ(SelectObject(dc, b), nullptr) << "stale handle";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(BitBlt(nullptr, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(DeleteObject(nullptr));
  DeleteDC(dc);
  EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiObjects, SelectedObjectIsFreedOnlyOnceDeselected) {
  const LONG pensBefore = Kx2GdiLiveObjects(OBJ_PEN);
  const LONG bitmapsBefore = Kx2GdiLiveObjects(OBJ_BITMAP);
  {
    Canvas c(4, 4);
    HPEN pen = CreatePen(PS_SOLID, 0, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(c.dc, pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(Kx2GdiLiveObjects(OBJ_PEN), pensBefore + 1) << "still selected";
    MoveToEx(c.dc, 0, 1, nullptr);
    LineTo(c.dc, 4, 1);
    EXPECT_EQ(c.At(3, 1), 0x00FF0000u) << "the deleted pen still draws while selected";
    EXPECT_EQ(GetObjectType(pen), 0u) << "its handle is gone";
    SelectObject(c.dc, old);
    EXPECT_EQ(Kx2GdiLiveObjects(OBJ_PEN), pensBefore);
  }
  EXPECT_EQ(Kx2GdiLiveObjects(OBJ_BITMAP), bitmapsBefore);
}

TEST(GdiDc, MapModesAndSavedStates) {
  Canvas c(100, 100);
  SetMapMode(c.dc, MM_ANISOTROPIC);
  SetWindowExtEx(c.dc, 1000, 1000, nullptr);
  SetViewportExtEx(c.dc, 100, 50, nullptr);
  SetViewportOrgEx(c.dc, 10, 20, nullptr);
  POINT p{500, 500};
  LPtoDP(c.dc, &p, 1);
  EXPECT_EQ(p.x, 60);
  EXPECT_EQ(p.y, 45);
  DPtoLP(c.dc, &p, 1);
  EXPECT_EQ(p.x, 500);
  EXPECT_EQ(p.y, 500);
  const int saved = SaveDC(c.dc);
  SetMapMode(c.dc, MM_ISOTROPIC);
  SetWindowExtEx(c.dc, 100, 100, nullptr);
  SetViewportExtEx(c.dc, 200, 100, nullptr);
  SIZE ext{};
  GetViewportExtEx(c.dc, &ext);
  EXPECT_EQ(ext.cx, 100) << "isotropic keeps one unit equally long on both axes";
  EXPECT_TRUE(RestoreDC(c.dc, saved));
  EXPECT_EQ(GetMapMode(c.dc), MM_ANISOTROPIC);
  EXPECT_FALSE(RestoreDC(c.dc, saved)) << "already restored";

  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1280);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST(GdiBlit, StretchMirrorsAndAlphaBlendReadsPremultipliedAlpha) {
  Canvas s(2, 1), d(4, 1);
  s.At(0, 0) = 0x00FF0000;
  s.At(1, 0) = 0x000000FF;
  ASSERT_TRUE(StretchBlt(d.dc, 3, 0, -4, 1, s.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(d.At(0, 0), 0x000000FFu);
  EXPECT_EQ(d.At(1, 0), 0x000000FFu);
  EXPECT_EQ(d.At(3, 0), 0x00FF0000u);

  s.At(0, 0) = 0x80400000;  // half-transparent red, premultiplied
  d.At(0, 0) = 0x000000FF;
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ASSERT_TRUE(AlphaBlend(d.dc, 0, 0, 1, 1, s.dc, 0, 0, 1, 1, blend));
  EXPECT_EQ(d.At(0, 0) & 0xFFFFFF, 0x0040007Fu);
}

TEST(GdiBlit, TransparentBltSkipsTheKeyColour) {
  Canvas s(2, 1), d(2, 1);
  s.At(0, 0) = 0x00FF00FF;
  s.At(1, 0) = 0x00112233;
  d.At(0, 0) = d.At(1, 0) = 0x00AAAAAA;
  ASSERT_TRUE(TransparentBlt(d.dc, 0, 0, 2, 1, s.dc, 0, 0, 2, 1, RGB(255, 0, 255)));
  EXPECT_EQ(d.At(0, 0), 0x00AAAAAAu);
  EXPECT_EQ(d.At(1, 0), 0x00112233u);
}

}  // namespace

namespace {

TEST(GdiBlit, EveryRop3CodeFollowsItsTruthTable) {
  // Black and white source and destination pixels in all four pairings, under a black
  // then a white pattern: the result is white exactly where the code's bit
  // (pattern * 4 + source * 2 + destination) is set.
  const uint32_t white = 0x00FFFFFF;
  for (int pattern = 0; pattern < 2; ++pattern) {
    HBRUSH brush = CreateSolidBrush(pattern ? RGB(255, 255, 255) : RGB(0, 0, 0));
    for (unsigned code = 0; code < 256; ++code) {
      Canvas s(4, 1), d(4, 1);
      for (int i = 0; i < 4; ++i) {
        s.At(i, 0) = (i & 2) ? white : 0;
        d.At(i, 0) = (i & 1) ? white : 0;
      }
      HGDIOBJ old = SelectObject(d.dc, brush);
      ASSERT_TRUE(BitBlt(d.dc, 0, 0, 4, 1, s.dc, 0, 0, code << 16));
      for (int i = 0; i < 4; ++i) {
        const unsigned bit = static_cast<unsigned>(pattern) * 4 + ((i & 2) ? 2 : 0) + ((i & 1) ? 1 : 0);
        EXPECT_EQ(d.At(i, 0) & white, (code >> bit & 1) ? white : 0u) << "code " << code << " bit " << bit;
      }
      SelectObject(d.dc, old);
    }
    DeleteObject(brush);
  }
}

TEST(GdiBlit, MaskBltPicksForegroundOrBackgroundByTheMask) {
  Canvas s(4, 1), d(4, 1);
  for (int i = 0; i < 4; ++i) s.At(i, 0) = 0x00112233, d.At(i, 0) = 0x00445566;
  const uint8_t maskRow[2] = {0xA0, 0};  // 1 0 1 0
  HBITMAP mask = CreateBitmap(4, 1, 1, 1, maskRow);
  // Source where the mask is 1, the destination kept (code 0xAA) where it is 0.
  ASSERT_TRUE(MaskBlt(d.dc, 0, 0, 4, 1, s.dc, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
  EXPECT_EQ(d.At(0, 0), 0x00112233u);
  EXPECT_EQ(d.At(1, 0), 0x00445566u);
  EXPECT_EQ(d.At(2, 0), 0x00112233u);
  EXPECT_EQ(d.At(3, 0), 0x00445566u);
  HBITMAP colour = CreateBitmap(4, 1, 1, 32, nullptr);
  EXPECT_FALSE(MaskBlt(d.dc, 0, 0, 4, 1, s.dc, 0, 0, colour, 0, 0, SRCCOPY)) << "the mask must be 1-bit";
  DeleteObject(colour);
  DeleteObject(mask);

  // Constant alpha without per-pixel alpha: a straight mix.
  s.At(0, 0) = 0x00FF0000;
  d.At(0, 0) = 0x000000FF;
  BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
  ASSERT_TRUE(AlphaBlend(d.dc, 0, 0, 1, 1, s.dc, 0, 0, 1, 1, half));
  EXPECT_EQ(d.At(0, 0) & 0xFFFFFF, 0x0080007Fu);
}

TEST(GdiBlit, HalftoneShrinkAveragesAndBitfieldsSectionsReadTheirMasks) {
  Canvas s(2, 1), d(1, 1);
  s.At(0, 0) = 0x00000000;
  s.At(1, 0) = 0x00FEFEFE;
  SetStretchBltMode(d.dc, HALFTONE);
  ASSERT_TRUE(StretchBlt(d.dc, 0, 0, 1, 1, s.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(d.At(0, 0) & 0xFFFFFF, 0x007F7F7Fu);
  SetStretchBltMode(d.dc, BLACKONWHITE);
  ASSERT_TRUE(StretchBlt(d.dc, 0, 0, 1, 1, s.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(d.At(0, 0) & 0xFFFFFF, 0u) << "shrinking keeps black";

  // A 16-bit 5-6-5 section: drawing writes the caller's format.
  struct {
    BITMAPINFOHEADER h;
    DWORD masks[3];
  } info{};
  info.h.biSize = sizeof(BITMAPINFOHEADER);
  info.h.biWidth = 2;
  info.h.biHeight = -1;
  info.h.biPlanes = 1;
  info.h.biBitCount = 16;
  info.h.biCompression = BI_BITFIELDS;
  info.masks[0] = 0xF800, info.masks[1] = 0x07E0, info.masks[2] = 0x001F;
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  HGDIOBJ old = SelectObject(dc, section);
  SetPixel(dc, 0, 0, RGB(0, 255, 0));
  SetPixel(dc, 1, 0, RGB(255, 0, 0));
  const auto* words = static_cast<const uint16_t*>(bits);
  EXPECT_EQ(words[0], 0x07E0);
  EXPECT_EQ(words[1], 0xF800);
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 0, 0));
  DIBSECTION ds{};
  EXPECT_EQ(GetObjectW(section, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBitfields[1], 0x07E0u);
  SelectObject(dc, old);
  DeleteObject(section);
  DeleteDC(dc);
}

}  // namespace

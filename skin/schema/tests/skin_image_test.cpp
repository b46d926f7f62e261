// Skin images: nine-grid splits, tiling, solid blocks, colour keys, filters, alpha and
// mirroring, probed by pixels and the GDI call journal.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <kx2/GdiCairo.h>
#include <kx2/ResourceContainer.h>
#include <kx2/PathMap.h>
#include <win/gdi.h>
#include <win/module.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/schema/color_filter.h"
#include "ornatex/schema/skin_image.h"

namespace {

constexpr COLORREF kNone = 0xFFFFFFFFu;
constexpr KTK_MARGINS kNoMargins{0, 0, 0, 0};

// A top-down 32-bit section from pixels given as 0xAARRGGBB, row by row.
HBITMAP Section(int w, int h, const std::vector<uint32_t>& px) {
  BITMAPINFO bmi{};
  bmi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::memcpy(bits, px.data(), px.size() * 4);
  return b;
}

void Give(CKtkSkinImage& image, int w, int h, const std::vector<uint32_t>& px, bool alpha = false) {
  image.m_hBitmap = Section(w, h, px);
  image.m_width = w;
  image.m_height = h;
  image.m_bAlpha = alpha;
}

// A memory DC over a white section.
struct Canvas {
  Canvas(int w, int h, uint32_t fill = 0x00FFFFFF)
      : bitmap(Section(w, h, std::vector<uint32_t>(size_t(w) * h, fill))), dc(CreateCompatibleDC(nullptr)) {
    old = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  HBITMAP bitmap;
  HDC dc;
  HGDIOBJ old;
};

// The blits journalled while `draw` runs.
template <class Draw>
std::vector<std::string> Blits(Draw&& draw) {
  Kx2GdiJournalClear();
  Kx2GdiJournalEnable(TRUE);
  draw();
  Kx2GdiJournalEnable(FALSE);
  std::string text(Kx2GdiJournalRead(nullptr, 0), '\0');
  Kx2GdiJournalRead(text.data(), text.size());
  std::vector<std::string> out;
  std::istringstream lines(text.c_str());
  for (std::string line; std::getline(lines, line);)
    if (line.find("Blt") != std::string::npos || line.find("AlphaBlend") != std::string::npos) out.push_back(line);
  return out;
}

TEST(SkinImage, OnePixelSourceTiledIsOneStretch) {
  CKtkSkinImage image;
  Give(image, 3, 3, std::vector<uint32_t>(9, 0x00336699));
  image.m_solidBlocks.clear();  // no block: the copy itself is what is counted
  Canvas canvas(50, 40);
  auto blits = Blits([&] {
    image.DrawImage(canvas.dc, RECT{0, 0, 50, 40}, RECT{1, 1, 2, 2}, kNoMargins, kNone, KTK_SIZING_TILE, FALSE);
  });
  ASSERT_EQ(blits.size(), 1u);
  EXPECT_EQ(blits[0].rfind("StretchBlt 0,0 50x40 from 1,1 1x1", 0), 0u) << blits[0];
  EXPECT_EQ(canvas.At(49, 39), RGB(0x33, 0x66, 0x99));
}

TEST(SkinImage, TilingRepeatsTheSourceAndCropsAtTheEdges) {
  CKtkSkinImage image;
  Give(image, 2, 1, {0x00FF0000, 0x000000FF});
  Canvas canvas(5, 3);
  image.DrawImage(canvas.dc, RECT{0, 0, 5, 3}, RECT{0, 0, 2, 1}, kNoMargins, kNone, KTK_SIZING_TILE, FALSE);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(canvas.At(x, 2), x % 2 ? RGB(0, 0, 255) : RGB(255, 0, 0)) << x;
}

TEST(SkinImage, SqueezedMarginsSplitByProportionWithTheBottomsParity) {
  const struct {
    int top, bottom;
    int firstBottomRow;  // the first destination row painted from the bottom margin
  } cases[] = {
      {6, 6, 4},  // 5 and 5, the bottom made 6: the source's bottom margin is even
      {7, 5, 5},  // 6 and 4, the bottom made 5
      {5, 7, 3},  // 4 and 6, the bottom made 7
  };
  for (const auto& c : cases) {
    CKtkSkinImage image;
    std::vector<uint32_t> px(size_t(2) * 12);
    for (int y = 0; y < 12; ++y) px[size_t(y) * 2] = px[size_t(y) * 2 + 1] = y < c.top ? 0x00FF0000 : 0x000000FF;
    Give(image, 2, 12, px);
    Canvas canvas(4, 10);
    image.DrawImage(canvas.dc, RECT{0, 0, 4, 10}, RECT{0, 0, 2, 12}, KTK_MARGINS{0, 0, c.top, c.bottom}, kNone, 0,
                    FALSE);
    EXPECT_EQ(canvas.At(1, c.firstBottomRow - 1), RGB(255, 0, 0)) << c.top;
    EXPECT_EQ(canvas.At(1, c.firstBottomRow), RGB(0, 0, 255)) << c.top;
  }
}

TEST(SkinImage, MarginsFromASkinAreClamped) {
  CKtkSkinImage image;
  Give(image, 4, 4, std::vector<uint32_t>(16, 0x0000FF00));
  Canvas canvas(8, 8);
  // Negative margins count as none: one stretch of the whole source.
  auto blits = Blits([&] {
    image.DrawImage(canvas.dc, RECT{0, 0, 8, 8}, RECT{0, 0, 4, 4}, KTK_MARGINS{-3, -3, -5, -5}, kNone, 0, FALSE);
  });
  ASSERT_EQ(blits.size(), 1u);
  EXPECT_EQ(canvas.At(7, 7), RGB(0, 255, 0));
  // Margins above the picture's size are cut to it: top and bottom then exceed the source.
  Canvas other(8, 8);
  image.DrawImage(other.dc, RECT{0, 0, 8, 8}, RECT{0, 0, 4, 4}, KTK_MARGINS{100, 100, 100, 100}, kNone, 0, FALSE);
  EXPECT_EQ(other.At(4, 4), RGB(255, 255, 255));
  // A zero-sized destination with margins splits nothing by zero.
  image.DrawImage(other.dc, RECT{0, 0, 0, 0}, RECT{0, 0, 4, 4}, KTK_MARGINS{1, 1, 1, 1}, kNone, 0, FALSE);
}

TEST(SkinImage, BorderOnlyLeavesTheCentre) {
  CKtkSkinImage image;
  std::vector<uint32_t> px(16, 0x00FF0000);
  px[5] = px[6] = px[9] = px[10] = 0x000000FF;
  Give(image, 4, 4, px);
  Canvas canvas(12, 12);
  image.DrawImage(canvas.dc, RECT{0, 0, 12, 12}, RECT{0, 0, 4, 4}, KTK_MARGINS{1, 1, 1, 1}, kNone, 0, TRUE);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(11, 6), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(6, 6), RGB(255, 255, 255));
  image.DrawImage(canvas.dc, RECT{0, 0, 12, 12}, RECT{0, 0, 4, 4}, KTK_MARGINS{1, 1, 1, 1}, kNone, 0, FALSE);
  EXPECT_EQ(canvas.At(6, 6), RGB(0, 0, 255));
}

TEST(SkinImage, OneColourFramesAndEdgesArePaintedAsFills) {
  CKtkSkinImage image;
  // Two frames of 6 x 4: the first mixed with a one-colour right edge, the second one colour.
  std::vector<uint32_t> px(size_t(6) * 8, 0x00123456);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) px[size_t(y) * 6 + x] = (x + y) % 2 ? 0x00FF0000 : 0x0000FF00;
  Give(image, 6, 8, px);
  image.PrepareSolidBlocks(2, FALSE, KTK_MARGINS{1, 2, 1, 1});
  bool frame = false, rightEdge = false;
  for (const auto& b : image.m_solidBlocks) {
    frame |= b.rect.left == 0 && b.rect.top == 4 && b.rect.right == 6 && b.rect.bottom == 8;
    rightEdge |= b.rect.left == 4 && b.rect.top == 1 && b.rect.right == 6 && b.rect.bottom == 3;
  }
  EXPECT_TRUE(frame);      // touches the bitmap's right and bottom edges
  EXPECT_TRUE(rightEdge);  // touches the right edge
  Canvas canvas(20, 20);
  auto blits = Blits([&] {
    image.DrawImage(canvas.dc, RECT{0, 0, 20, 20}, RECT{0, 4, 6, 8}, KTK_MARGINS{1, 2, 1, 1}, kNone, 0, FALSE);
  });
  EXPECT_TRUE(blits.empty()) << blits[0];
  EXPECT_EQ(canvas.At(19, 19), RGB(0x12, 0x34, 0x56));
}

TEST(SkinImage, ColourKeyKeepsTheDestinationUnderTheKey) {
  CKtkSkinImage image;
  Give(image, 2, 1, {0x00FF00FF, 0x0000FF00});
  Canvas canvas(4, 2, 0x00000080);
  image.DrawImage(canvas.dc, RECT{0, 0, 4, 2}, RECT{0, 0, 2, 1}, kNoMargins, RGB(255, 0, 255), 0, FALSE);
  EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 0x80));
  EXPECT_EQ(canvas.At(3, 1), RGB(0, 255, 0));
  EXPECT_EQ(image.m_lastTransparent, RGB(255, 0, 255));
}

struct Invert : CKtkSkinManagerColorFilter {
  void ApplyColorFilter(COLORREF& c) override { c = (~c) & 0x00FFFFFF; }
};

TEST(SkinImage, ColourFiltersApplyOnceAndSpareTheKey) {
  CKtkSkinManager* manager = KtkSkinManager();
  manager->AddColorFilter(std::make_unique<Invert>());
  CKtkSkinImage image;
  image.m_pManager = manager;
  Give(image, 2, 1, {0x00FF00FF, 0x00000000});
  Canvas canvas(2, 1, 0x00808080);
  image.DrawImage(canvas.dc, RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1}, kNoMargins, RGB(255, 0, 255), 0, FALSE);
  EXPECT_EQ(canvas.At(0, 0), RGB(0x80, 0x80, 0x80));  // the key stayed the key
  EXPECT_EQ(canvas.At(1, 0), RGB(255, 255, 255));
  EXPECT_TRUE(image.m_bColorFiltered);
  image.DrawImage(canvas.dc, RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1}, kNoMargins, kNone, 0, FALSE);
  EXPECT_EQ(canvas.At(1, 0), RGB(255, 255, 255));  // not inverted twice
  manager->RemoveColorFilters();
}

TEST(SkinImage, AlphaImageFollowsTheDcsOrientationAndComesBack) {
  CKtkSkinImage image;
  Give(image, 3, 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, true);
  Canvas plain(3, 1), mirrored(3, 1), again(3, 1);
  SetLayout(mirrored.dc, LAYOUT_RTL);
  image.DrawImage(mirrored.dc, RECT{0, 0, 3, 1}, RECT{0, 0, 3, 1}, kNoMargins, kNone, 0, FALSE);
  EXPECT_TRUE(image.m_bMirrored);
  image.DrawImage(again.dc, RECT{0, 0, 3, 1}, RECT{0, 0, 3, 1}, kNoMargins, kNone, 0, FALSE);
  EXPECT_FALSE(image.m_bMirrored);
  EXPECT_EQ(again.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(again.At(2, 0), RGB(0, 0, 255));
  CKtkSkinImage fresh;
  Give(fresh, 3, 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, true);
  fresh.DrawImage(plain.dc, RECT{0, 0, 3, 1}, RECT{0, 0, 3, 1}, kNoMargins, kNone, 0, FALSE);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(again.At(x, 0), plain.At(x, 0)) << x;
}

TEST(SkinImage, LoadsAlphaResourcesPremultiplied) {
  auto dib = [](uint32_t pixel) {
    std::vector<uint8_t> v(40, 0);
    const uint32_t fields[] = {40, 2, 1};
    std::memcpy(v.data(), fields, 12);
    v[12] = 1;
    v[14] = 32;
    for (int i = 0; i < 2; ++i)
      for (int b = 0; b < 4; ++b) v.push_back(static_cast<uint8_t>(pixel >> (8 * b)));
    return v;
  };
  kx2::rsrc::ContainerWriter writer;
  writer.Add(uint16_t{2}, std::u16string(u"HALF"), 0, dib(0x80FF8040));
  writer.Add(uint16_t{2}, std::u16string(u"OPAQUE"), 0, dib(0xFFFF8040));
  const char* tmp = std::getenv("TMPDIR");
  const std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/skinimages.rsrc";
  const auto bytes = writer.Build();
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  HMODULE module = LoadLibraryExW(kx2::ToWindowsPath(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  CKtkSkinImage half, opaque, missing;
  ASSERT_TRUE(half.LoadFromResource(module, u"HALF"));
  EXPECT_TRUE(half.m_bAlpha);
  EXPECT_EQ(half.GetExtent().cx, 2);
  Canvas probe(2, 1, 0);
  SelectObject(probe.dc, half.m_hBitmap);
  EXPECT_EQ(GetPixel(probe.dc, 0, 0), RGB(0x80, 0x40, 0x20));  // premultiplied
  SelectObject(probe.dc, probe.bitmap);
  ASSERT_TRUE(opaque.LoadFromResource(module, u"OPAQUE"));
  EXPECT_FALSE(opaque.m_bAlpha);
  EXPECT_FALSE(missing.LoadFromResource(module, u"NONE"));
  EXPECT_EQ(missing.GetExtent().cx, 0);
  FreeLibrary(module);
}

}  // namespace

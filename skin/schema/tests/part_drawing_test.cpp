// Theme part drawing from a folder skin: backgrounds by type, frames by state, true size,
// glyphs and border fills, probed by pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <win/gdi.h>

#include "ornatex/schema/resource_file.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"
#include "ornatex/schema/skin_loader.h"
#include "ornatex/schema/skin_writer.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

std::string Temp() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

struct Canvas {
  Canvas(int w, int h) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    RECT all{0, 0, w, h};
    HBRUSH white = CreateSolidBrush(kWhite);
    FillRect(dc, &all, white);
    DeleteObject(white);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

class PartDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    // Three 4 x 4 frames side by side: red, green, blue.
    files_.WriteBitmap("strip.bmp", 12, 4, [](int x, int) {
      return x < 4 ? RGB(255, 0, 0) : x < 8 ? RGB(0, 255, 0) : RGB(0, 0, 255);
    });
    files_.WriteBitmap("big.bmp", 20, 20, [](int, int) { return RGB(10, 20, 30); });
  }
  CKtkSkinManagerClass* Load(const std::vector<std::u16string>& lines) {
    files_.WriteIni(lines, "skin.ini");
    EXPECT_TRUE(reader_.Open(files_.WindowsPath().c_str(), u"skin.ini"));
    schema_.reset(KtkLoadSkinSchema(reader_));
    return KtkSchemaClass(*schema_, u"Button");
  }
  CKtkSkinFolderWriter files_{Temp() + "/partskin"};
  CKtkSkinManagerResourceFile reader_;
  std::unique_ptr<CKtkSkinManagerSchema> schema_;
};

TEST_F(PartDrawing, BackgroundTypesAndStateFrames) {
  CKtkSkinManagerClass* button = Load({u"[Button]", u"ImageFile = strip.bmp", u"ImageCount = 3", u"[Button.2]",
                                       u"BgType = 2", u"ImageFile = strip.bmp"});
  ASSERT_NE(button, nullptr);
  Canvas canvas(10, 10);
  EXPECT_EQ(button->DrawThemeBackground(canvas.dc, 2, 1, RECT{0, 0, 10, 10}), 1);  // type 2: nothing
  EXPECT_EQ(canvas.At(5, 5), kWhite);
  const struct {
    int state;
    COLORREF color;
  } states[] = {
      {0, RGB(255, 0, 0)}, {1, RGB(255, 0, 0)}, {2, RGB(0, 255, 0)}, {3, RGB(0, 0, 255)}, {4, RGB(255, 0, 0)}};
  for (const auto& s : states) {
    EXPECT_EQ(button->DrawThemeBackground(canvas.dc, 1, s.state, RECT{0, 0, 10, 10}), 1);
    EXPECT_EQ(canvas.At(5, 5), s.color) << s.state;
  }
  CKtkSkinManagerClass* edit = KtkSchemaClass(*schema_, u"EDIT");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->DrawThemeBackground(canvas.dc, 1, 1, RECT{0, 0, 10, 10}), 0);  // no image
  EXPECT_EQ(KtkSchemaClass(*schema_, u"NoSuchClass"), nullptr);
}

TEST_F(PartDrawing, TrueSizeLargerThanTheRectangleOverflowsRightAndBottom) {
  CKtkSkinManagerClass* button = Load({u"[Button]", u"ImageFile = big.bmp", u"SizingType = 0"});
  Canvas canvas(40, 40);
  EXPECT_EQ(button->DrawThemeBackground(canvas.dc, 1, 1, RECT{10, 10, 20, 20}), 1);
  EXPECT_EQ(canvas.At(9, 15), kWhite);  // nothing left of the rectangle
  EXPECT_EQ(canvas.At(15, 9), kWhite);  // nor above it
  EXPECT_EQ(canvas.At(10, 10), RGB(10, 20, 30));
  EXPECT_EQ(canvas.At(29, 29), RGB(10, 20, 30));  // 20 x 20 from the corner
  EXPECT_EQ(canvas.At(30, 30), kWhite);
}

TEST_F(PartDrawing, GlyphWithoutSizeChosenFilesAnswersZeroAfterTheBackground) {
  CKtkSkinManagerClass* button =
      Load({u"[Button]", u"ImageFile = strip.bmp", u"ImageCount = 3", u"GlyphType = 1", u"ImageSelectType = 1"});
  Canvas canvas(10, 10);
  EXPECT_EQ(button->DrawThemeBackground(canvas.dc, 1, 2, RECT{0, 0, 10, 10}), 1);
  EXPECT_EQ(canvas.At(5, 5), RGB(0, 255, 0));  // the background was drawn
  EXPECT_EQ(button->DrawGlyph(canvas.dc, 1, 2, RECT{0, 0, 10, 10}), 0);
}

TEST_F(PartDrawing, BorderFillPaintsFourStripsAndTheFill) {
  CKtkSkinManagerClass* button =
      Load({u"[Button]", u"BgType = 1", u"BorderSize = 2", u"BorderColor = 255, 0, 0", u"FillColor = 0, 0, 255",
            u"[Button.3]", u"BgType = 1", u"BorderColor = 0, 255, 0", u"BorderOnly = true", u"FillColor = 0, 0, 255"});
  Canvas canvas(12, 12);
  EXPECT_EQ(button->DrawThemeBackground(canvas.dc, 1, 1, RECT{1, 1, 11, 11}), 1);
  for (POINT p : {POINT{1, 1}, POINT{10, 10}, POINT{1, 6}, POINT{10, 6}, POINT{6, 2}, POINT{6, 9}})
    EXPECT_EQ(canvas.At(p.x, p.y), RGB(255, 0, 0)) << p.x << "," << p.y;
  EXPECT_EQ(canvas.At(3, 3), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(0, 0), kWhite);
  Canvas borderOnly(12, 12);
  EXPECT_EQ(button->DrawThemeBackground(borderOnly.dc, 3, 1, RECT{0, 0, 12, 12}), 1);
  EXPECT_EQ(borderOnly.At(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(borderOnly.At(6, 6), kWhite);
}

}  // namespace

namespace {

TEST_F(PartDrawing, PartSizesByKind) {
  CKtkSkinManagerClass* button =
      Load({u"[Button]", u"ImageFile = strip.bmp", u"ImageCount = 3", u"[Button.2]", u"ImageFile = strip.bmp",
            u"ImageCount = 3", u"UniformSizing = true", u"[Button.3]", u"ImageFile = big.bmp", u"ImageCount = 1",
            u"SizingType = 0", u"[Button.4]", u"BgType = 1"});
  const RECT rect{0, 0, 30, 10};
  SIZE size{-1, -1};
  ASSERT_TRUE(button->GetPartSize(1, 1, &rect, 1, &size));
  EXPECT_EQ(size.cx, 4);
  EXPECT_EQ(size.cy, 4);
  ASSERT_TRUE(button->GetPartSize(1, 1, &rect, 2, &size));
  EXPECT_EQ(size.cx, 30);  // stretched: the rectangle's size
  ASSERT_TRUE(button->GetPartSize(1, 1, nullptr, 2, &size));
  EXPECT_EQ(size.cx, 0);
  ASSERT_TRUE(button->GetPartSize(2, 1, &rect, 2, &size));
  EXPECT_EQ(size.cx, 10);  // uniform: the width follows the height
  ASSERT_TRUE(button->GetPartSize(3, 1, &rect, 2, &size));
  EXPECT_EQ(size.cx, 20);  // true size: the frame
  size = SIZE{-1, -1};
  EXPECT_FALSE(button->GetPartSize(4, 1, &rect, 1, &size));  // a border fill has no image
  EXPECT_EQ(size.cx, -1);
}

int Count(const Canvas& canvas, int w, int h, COLORREF color) {
  int n = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) n += canvas.At(x, y) == color;
  return n;
}

TEST_F(PartDrawing, TextInThePartsColourWithItsShadow) {
  CKtkSkinManagerClass* button = Load({u"[Button]", u"TextColor = 200, 0, 0", u"TextShadowType = 1",
                                       u"TextShadowOffset = 2, 2", u"TextShadowColor = 0, 0, 200"});
  Canvas canvas(60, 24);
  HFONT font = CreateFontW(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, u"DejaVu Sans");
  HGDIOBJ old = SelectObject(canvas.dc, font);
  EXPECT_TRUE(button->DrawText(canvas.dc, 1, 1, u"Wm", 0, RECT{0, 0, 60, 24}));
  SelectObject(canvas.dc, old);
  DeleteObject(font);
  EXPECT_GT(Count(canvas, 60, 24, RGB(200, 0, 0)), 10);
  EXPECT_GT(Count(canvas, 60, 24, RGB(0, 0, 200)), 5);
  EXPECT_EQ(GetBkMode(canvas.dc), OPAQUE);  // put back
}

}  // namespace

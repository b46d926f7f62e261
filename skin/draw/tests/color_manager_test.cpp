// The fallback colour table: lookups, mixes and the derived entries under the system
// colours that decide them.
#include <gtest/gtest.h>

#include <vector>

#include <kx2test/ChildProcess.h>
#include <win/gdi.h>
#include <win/user_system.h>

#include "ornatex/draw/color_manager.h"

namespace {

// Sets system colours for the test's lifetime.
class SystemColors {
 public:
  SystemColors(std::vector<INT> indexes, std::vector<COLORREF> colors) : indexes_(std::move(indexes)) {
    for (INT i : indexes_) saved_.push_back(GetSysColor(i));
    SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), colors.data());
  }
  ~SystemColors() { SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), saved_.data()); }

 private:
  std::vector<INT> indexes_;
  std::vector<COLORREF> saved_;
};

TEST(ColorManager, LookupPassesColoursAboveTheTableThrough) {
  CKtkColorManager& m = KtkColorManager();
  EXPECT_EQ(m.LookupColor(63), 63u);
  EXPECT_EQ(m.LookupColor(0xFF0000), 0xFF0000u);
  EXPECT_EQ(m.LookupColor(0), 0u);
  EXPECT_EQ(m.LookupColor(62), 0u);  // never written
  EXPECT_EQ(m.LookupColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
  m.m_custom[40] = RGB(1, 2, 3);  // a custom entry wins
  EXPECT_EQ(m.LookupColor(40), RGB(1, 2, 3));
  m.m_custom[40] = KTK_COLOR_NONE;
}

TEST(ColorManager, MixColorsInPercentOrPerMille) {
  const struct {
    COLORREF a, b;
    int weight;
    COLORREF out;
  } cases[] = {
      {0x0000FF, 0x000000, 50, 0x000080},          // (50 * 255 + 50) / 100 = 128
      {0x0000FF, 0x000000, 100, 0x00001A},         // per mille: (100 * 255 + 500) / 1000 = 26
      {0x0000FF, 0x000000, 99, 0x0000FC},          // still a percentage
      {0xFFFFFF, 0x000000, 165, RGB(42, 42, 42)},  // 16.5 % of white
      {RGB(10, 20, 30), RGB(10, 20, 30), 30, RGB(10, 20, 30)},
      {RGB(200, 0, 100), RGB(0, 200, 100), 0, RGB(0, 200, 100)},
  };
  for (const auto& c : cases) EXPECT_EQ(CKtkColorManager::MixColors(c.a, c.b, c.weight), c.out) << c.weight;
}

TEST(ColorManager, HighContrastKeepsHighlightEntries) {
  SystemColors colors({COLOR_BTNFACE, COLOR_BTNTEXT}, {RGB(0, 0, 0), RGB(255, 255, 255)});
  CKtkColorManager m;
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(m.LookupColor(36), highlight);
  EXPECT_EQ(m.LookupColor(50), highlight);
  // A face of pure black: the brighter face and the darker shadow have fixed answers.
  EXPECT_EQ(m.LookupColor(48), RGB(0x23, 0x23, 0x23));
  EXPECT_EQ(m.LookupColor(49), RGB(0x7F, 0x7F, 0x7F));
  EXPECT_EQ(m.LookupColor(22), RGB(15, 15, 15));
}

TEST(ColorManager, BrighterFaceScalesTheLargestChannel) {
  const struct {
    COLORREF face, entry48;
  } cases[] = {
      {RGB(230, 100, 50), RGB(255, 110, 55)},  // 230 and above go to 255
      {RGB(100, 50, 0), RGB(135, 67, 0)},      // below 220: + 35
      {RGB(219, 219, 219), RGB(254, 254, 254)},
  };
  for (const auto& c : cases) {
    SystemColors colors({COLOR_BTNFACE}, {c.face});
    CKtkColorManager m;
    EXPECT_EQ(m.LookupColor(48), c.entry48) << std::hex << c.face;
  }
}

TEST(ColorManager, ClassicColoursGiveTheirDerivedTable) {
  CKtkColorManager m;
  const COLORREF face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW);
  EXPECT_NE(m.LookupColor(30), face);  // blended towards the window colour, then kept close
  EXPECT_EQ(m.LookupColor(53), m.LookupColor(30));
  EXPECT_EQ(m.LookupColor(58), m.LookupColor(40));
  EXPECT_EQ(m.LookupColor(60), m.m_standard[40]);
  EXPECT_EQ(m.LookupColor(59), 0u);
  EXPECT_EQ(m.LookupColor(51), face);
  EXPECT_EQ(m.LookupColor(52), shadow);
  const COLORREF light = m.LookupColor(22);
  EXPECT_EQ(GetRValue(light), std::min(GetRValue(face) + 15, 255));
  const COLORREF e31 = m.m_standard[31];
  EXPECT_EQ(m.LookupColor(34), RGB(GetRValue(e31) * 3 / 4, GetGValue(e31) * 3 / 4, GetBValue(e31) * 3 / 4));
}

// Colours that put the contrast corrections at their edges: equal colours, black and white
// faces, pure primaries. Nothing may come out of range or from a NaN.
TEST(ColorManager, CorrectionsStayInRangeAtTheEdges) {
  const std::vector<INT> indexes = {COLOR_WINDOW,   COLOR_HIGHLIGHT, COLOR_BTNFACE,    COLOR_BTNSHADOW,
                                    COLOR_GRAYTEXT, COLOR_BTNTEXT,   COLOR_WINDOWTEXT, COLOR_MENUTEXT};
  const COLORREF sets[][8] = {
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
      {0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080},
      {0x0000FF, 0x00FF00, 0xFF0000, 0x0000FF, 0x00FF00, 0xFF0000, 0x0000FF, 0x00FF00},
      {0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000},
      {0x010101, 0xFEFEFE, 0x7F7F7F, 0x808080, 0x000001, 0x010000, 0xFFFF00, 0x00FFFF},
  };
  for (const auto& set : sets) {
    SystemColors colors(indexes, std::vector<COLORREF>(std::begin(set), std::end(set)));
    CKtkColorManager m;
    for (int i = 0; i < KTK_COLOR_COUNT; ++i) EXPECT_EQ(m.LookupColor(i) & 0xFF000000u, 0u) << i;
  }
}

TEST(ColorManager, PaletteDisplayKeepsThePlainDerivations) {
  if (!kx2test::InChild()) {
    auto child = kx2test::RunInChild("ColorManager.PaletteDisplayKeepsThePlainDerivations", {{"KX2_SCREEN_BPP", "8"}});
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  ASSERT_TRUE(CKtkColorManager::IsLowColorDisplay());
  CKtkColorManager m;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(m.LookupColor(30), face);
  EXPECT_EQ(m.LookupColor(31), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(m.LookupColor(48), GetSysColor(COLOR_BTNSHADOW));  // step 10 did not run
  EXPECT_EQ(m.LookupColor(22), GetSysColor(COLOR_3DLIGHT));
}

TEST(ColorManager, LowColourDisplayByBitsPerPixel) {
  EXPECT_FALSE(CKtkColorManager::IsLowColorDisplay());  // the test screen has 32
  HDC screen = GetDC(nullptr);
  EXPECT_FALSE(CKtkColorManager::IsLowColorDisplay(screen));
  ReleaseDC(nullptr, screen);
}

}  // namespace

// The property store: class codes, the inheritance chain, typed getters, and the loader's
// lines.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <win/user_system.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/schema/color_filter.h"
#include "ornatex/schema/resource_file.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_loader.h"

namespace {

void Int(CKtkSkinManagerSchema& schema, int c, int p, int s, int id, LONG value) {
  schema.SetProperty(c, p, s, id).SetValues(KTK_PT_INT, &value, 1);
}

int Found(const CKtkSkinManagerSchema& schema, int c, int p, int s, int id) {
  int value = -1;
  return schema.GetIntValue(c, p, s, id, &value) == S_OK ? value : -1;
}

TEST(SkinSchema, ClassCodes) {
  const struct {
    const char16_t* name;
    int code;
  } cases[] = {{u"Globals", 1},    {u"GLOBALS", 1}, {u"window", 6},  {u"Button", 7}, {u"MenuBand", 30},
               {u"ScrollBar", 21}, {u"", 0},        {u"Buttons", 0}, {u"Butto", 0},  {u"#32770", 0}};
  for (const auto& c : cases) EXPECT_EQ(CKtkSkinManagerSchema::ClassCodeOf(c.name), c.code);
  EXPECT_EQ(CKtkSkinManagerSchema::ClassCodeOf(nullptr), 0);
  EXPECT_EQ(CKtkSkinManagerSchema::PropertyKey(7, 1, 2, 3001), 2u * (1u << 26) + (1u << 20) + 7u * (1u << 14) + 3001u);
}

TEST(SkinSchema, InheritanceChain) {
  constexpr int kButton = 7, kEdit = 22, kId = 2401;
  CKtkSkinManagerSchema schema;
  Int(schema, kButton, 0, 0, kId, 100);  // class-wide
  Int(schema, kButton, 0, 3, kId, 103);  // any part, state 3
  Int(schema, kButton, 2, 0, kId, 120);  // part 2
  Int(schema, kButton, 2, 5, kId, 125);  // part 2, state 5
  Int(schema, kButton, 4, 1, kId, 141);  // part 4, state 1 only
  Int(schema, KTK_CLASS_GLOBALS, 0, 0, 3000, 7);
  const struct {
    int c, part, state, id, value;
  } cases[] = {
      {kButton, 0, 0, kId, 100}, {kButton, 1, 1, kId, 100},  // (class, 0, 0) serves every part and state
      {kButton, 1, 3, kId, 103},                             // (class, 0, s) wins over (class, 0, 0)
      {kButton, 2, 5, kId, 125}, {kButton, 2, 3, kId, 120},  // the part's own record before state 3's
      {kButton, 2, 0, kId, 120}, {kButton, 4, 2, kId, 100},  // another state of part 4 is never used
      {kButton, 3, 1, kId, 100},                             // nor another part's
      {kButton, 0, 3, kId, 103}, {kEdit, 2, 5, kId, -1},     // another class: nothing
      {kEdit, 9, 9, 3000, 7},    {kButton, 0, 0, 3000, 7},   // GLOBALS serves every class
  };
  for (const auto& c : cases)
    EXPECT_EQ(Found(schema, c.c, c.part, c.state, c.id), c.value) << c.c << " " << c.part << " " << c.state;
}

// One filter on the process's manager while in scope.
class FilterScope {
 public:
  explicit FilterScope(std::unique_ptr<CKtkSkinManagerColorFilter> filter) {
    KtkSkinManager()->AddColorFilter(std::move(filter));
  }
  ~FilterScope() { KtkSkinManager()->RemoveColorFilters(); }
};

struct Swap : CKtkSkinManagerColorFilter {
  void ApplyColorFilter(COLORREF& c) override { c = RGB(GetBValue(c), GetGValue(c), GetRValue(c)); }
};

TEST(SkinSchema, TypedGettersTellAbsenceFromAnotherType) {
  CKtkSkinManagerResourceFile reader;  // of the process's manager, whose filters apply
  CKtkSkinManagerSchema schema(&reader);
  Int(schema, 7, 0, 0, 3801, 5);
  const LONG color = static_cast<LONG>(RGB(1, 2, 3));
  schema.SetProperty(7, 0, 0, 3802).SetValues(KTK_PT_COLOR, &color, 1);
  COLORREF out = 0xABCDEF;
  EXPECT_EQ(schema.GetColorValue(7, 0, 0, 3801, &out), E_INVALIDARG);
  EXPECT_EQ(out, 0xABCDEFu);  // untouched
  EXPECT_EQ(schema.GetColorValue(7, 0, 0, 3818, &out), E_FAIL);
  {
    FilterScope swap(std::make_unique<Swap>());
    EXPECT_EQ(schema.GetColorValue(7, 1, 1, 3802, &out), S_OK);
    EXPECT_EQ(out, RGB(3, 2, 1));  // through the colour filters
  }
  LOGFONTW font{};
  EXPECT_EQ(schema.GetFontValue(7, 0, 0, 3802, &font), E_INVALIDARG);
  int value = 0;
  EXPECT_EQ(schema.GetIntValue(7, 0, 0, 3802, &value), E_INVALIDARG);
}

TEST(SkinLoader, LinesBecomeKeysAndTypedRecords) {
  CKtkSkinManagerSchema schema;
  CKtkSkinPropertyLoader loader(schema);
  const std::vector<std::u16string> lines = {
      u"; a skin",                                    // 1
      u"[Button]",                                    // 2
      u"ImageFile = Blue\\Button.bmp",                // 3
      u"SizingMargins = 4, 5, 6, 7",                  // 4
      u"[button.1(3)]",                               // 5
      u"BorderColor = 10, 20, 30",                    // 6
      u"Transparent = TRUE",                          // 7
      u"TextShadowOffset = -1, 2",                    // 8
      u"2401 = 3",                                    // 9
      u"5000:2 = -17",                                // 10
      u"[SysMetrics]",                                // 11
      u"CaptionFont = DejaVu Sans, 9, bold, italic",  // 12
      u"BtnFace = 1, 2, 3",                           // 13
      u"[Nothing]",                                   // 14: unknown class
      u"ImageCount = 2",                              // 15: no section current
      u"[Button.64]",                                 // 16: part out of range
      u"[Button.1(2)",                                // 17: no closing bracket
      u"[Edit]",                                      // 18
      u"BorderColor = 10, 20",                        // 19: two numbers
      u"BorderColor = 10, 20, 256",                   // 20: out of range
      u"Transparent = maybe",                         // 21
      u"NoSuchName = 1",                              // 22
      u"16384:2 = 1",                                 // 23: identifier out of range
      u"200:7 = 1",                                   // 24: no such type
      u"ImageCount = 2x",                             // 25
      u"just words",                                  // 26
      u"   ",                                         // 27
      u"BgType = 2",                                  // 28
  };
  for (const auto& line : lines) loader.LoadLine(line);
  std::vector<int> refused;
  for (const auto& e : loader.Errors()) refused.push_back(e.line);
  EXPECT_EQ(refused, (std::vector<int>{14, 15, 16, 17, 19, 20, 21, 22, 23, 24, 25, 26}));

  const auto* file = schema.FindProperty(7, 0, 0, 3001);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->m_type, KTK_PT_STRING);
  EXPECT_EQ(std::u16string(file->m_string), u"Blue\\Button.bmp");
  const auto* margins = schema.FindProperty(7, 0, 0, 3601);
  ASSERT_NE(margins, nullptr);
  EXPECT_EQ(margins->m_type, KTK_PT_RECT);
  EXPECT_EQ(margins->m_values[3], 7);
  COLORREF border = 0;
  EXPECT_EQ(schema.GetColorValue(7, 1, 3, 3801, &border), S_OK);
  EXPECT_EQ(border, RGB(10, 20, 30));
  EXPECT_EQ(schema.GetColorValue(7, 1, 2, 3801, &border), E_FAIL);  // state 3's record only
  EXPECT_EQ(schema.FindProperty(7, 1, 3, 2201)->m_values[0], 1);
  EXPECT_EQ(schema.FindProperty(7, 1, 3, 3402)->m_values[0], -1);
  int value = 0;
  EXPECT_EQ(schema.GetIntValue(7, 1, 3, 2401, &value), S_OK);
  EXPECT_EQ(value, 3);
  EXPECT_EQ(schema.GetIntValue(7, 1, 3, 5000, &value), S_OK);
  EXPECT_EQ(value, -17);
  LOGFONTW font{};
  EXPECT_EQ(schema.GetFontValue(3, 0, 0, 801, &font), S_OK);
  EXPECT_EQ(std::u16string(font.lfFaceName), u"DejaVu Sans");
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(font.lfItalic, 1);
  EXPECT_EQ(schema.FindProperty(22, 0, 0, 4001)->m_type, KTK_PT_ENUM);
  EXPECT_EQ(schema.PropertyCount(), 10u);
}

}  // namespace

namespace {

struct Darken : CKtkSkinManagerColorFilter {
  void ApplyColorFilter(COLORREF& c) override { c = RGB(GetRValue(c) / 2, GetGValue(c) / 2, GetBValue(c) / 2); }
};

TEST(SkinMetrics, OverASkinTheSkinsValuesElseDefaultsAndTheSystems) {
  CKtkSkinManagerResourceFile reader;
  CKtkSkinManagerSchema schema(&reader);
  CKtkSkinPropertyLoader loader(schema);
  for (const char16_t* line : {u"[SysMetrics]", u"SmCaptionBarHeight = 20", u"ScrollbarWidth = 0",
                               u"ScrollbarHeight = 21", u"Window = 200, 100, 50", u"MenuFont = DejaVu Sans, 12"})
    loader.LoadLine(line);
  CKtkSkinManagerMetrics& metrics = *schema.m_metrics;
  {
    FilterScope darken(std::make_unique<Darken>());
    schema.ReloadMetrics();
  }
  EXPECT_EQ(metrics.m_cyCaption, GetSystemMetrics(SM_CYCAPTION) + 1);  // none in the skin
  EXPECT_EQ(metrics.m_cySmallCaption, 21);
  EXPECT_EQ(metrics.m_cxVScroll, GetSystemMetrics(SM_CXVSCROLL));  // 0 does not count
  EXPECT_EQ(metrics.m_cyHScroll, 21);
  EXPECT_EQ(metrics.GetColor(5), RGB(100, 50, 25));  // the skin's, through the filter
  EXPECT_EQ(metrics.GetColor(15), RGB(96, 96, 96));  // the default table's 192, filtered
  EXPECT_EQ(metrics.GetColor(1), RGB(29, 55, 82));
  EXPECT_EQ(metrics.m_shadow, metrics.GetColor(16));
  for (int i = 0; i < KTK_METRIC_COLORS; ++i) EXPECT_NE(metrics.GetBrush(i), nullptr) << i;
  EXPECT_NE(metrics.m_dialogBrush, nullptr);
  EXPECT_NE(metrics.m_menuFont, nullptr);
  EXPECT_EQ(schema.GetSizeBoxColor(), metrics.GetColor(15));
  EXPECT_FALSE(metrics.m_refreshing);
}

}  // namespace

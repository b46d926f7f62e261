// The manager's data side: loading and removing a skin, what the skin covers, its classes
// and images.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <kx2test/ChildProcess.h>
#include <win/user_system.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"
#include "skin_folder.h"

namespace {

class SkinManagerData : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    skin_.Write({u"[SysMetrics]", u"CaptionBarHeight = 30", u"[Button]", u"ImageFile = strip.bmp"});
    skin_.WriteBitmap("strip.bmp", 12, 4, RGB(0, 128, 0));
  }
  void TearDown() override {
    manager_->RemoveSkin();
    manager_->RemoveColorFilters();
    manager_->m_applyOptions = KTK_APPLY_ALL;
  }
  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"managerskin"};
};

TEST_F(SkinManagerData, LoadingMakesTheSkinCurrentAndEnablesIt) {
  ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
  EXPECT_TRUE(manager_->m_enabled);
  CKtkSkinManagerSchema* schema = manager_->GetSchema();
  ASSERT_NE(schema, nullptr);
  EXPECT_EQ(schema->m_pManager, manager_);
  EXPECT_EQ(schema->m_metrics->m_cyCaption, 31);  // metrics were refreshed: the skin's plus 1

  CKtkSkinManagerClass* button = manager_->GetSkinClass(nullptr, u"button");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(manager_->GetSkinClass(nullptr, u"BUTTON"), button);  // one class per upper-case name
  EXPECT_EQ(manager_->GetSkinClass(nullptr, u"NoSuchClass"), nullptr);
  const SIZE size = schema->GetImageSize(button, u"strip.bmp");
  EXPECT_EQ(size.cx, 12);
  EXPECT_EQ(size.cy, 4);
  const SIZE none = schema->GetImageSize(button, u"missing.bmp");
  EXPECT_EQ(none.cx, 0);
  EXPECT_EQ(none.cy, 0);

  manager_->RemoveSkin();
  EXPECT_FALSE(manager_->m_enabled);
  EXPECT_EQ(manager_->GetSchema(), schema);  // kept for a later load to replace
}

TEST_F(SkinManagerData, AFailingPackageKeepsTheCurrentSkin) {
  ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
  CKtkSkinManagerSchema* schema = manager_->GetSchema();
  EXPECT_FALSE(manager_->LoadSkin(u"Z:\\no\\such\\package", u"skin.ini"));
  EXPECT_FALSE(manager_->LoadSkin(skin_.Path().c_str(), u"absent.ini"));  // no INI, and no container either
  EXPECT_EQ(manager_->GetSchema(), schema);
  EXPECT_TRUE(manager_->m_enabled);
  // The kept skin still loads its images through its own reader.
  CKtkSkinManagerClass* button = manager_->GetSkinClass(nullptr, u"Button");
  EXPECT_EQ(schema->GetImageSize(button, u"strip.bmp").cx, 12);
}

struct Halve : CKtkSkinManagerColorFilter {
  void ApplyColorFilter(COLORREF& c) override { c = RGB(GetRValue(c) / 2, GetGValue(c) / 2, GetBValue(c) / 2); }
};
struct Invert : CKtkSkinManagerColorFilter {
  void ApplyColorFilter(COLORREF& c) override { c = (~c) & 0x00FFFFFF; }
};

TEST_F(SkinManagerData, ColourFiltersRunInTheOrderAdded) {
  manager_->AddColorFilter(std::make_unique<Halve>());
  manager_->AddColorFilter(std::make_unique<Invert>());
  COLORREF c = RGB(200, 100, 0);
  manager_->ApplyColorFilters(c);
  EXPECT_EQ(c, RGB(255 - 100, 255 - 50, 255));  // halved, then inverted
  manager_->RemoveColorFilters();
  EXPECT_FALSE(manager_->HasColorFilters());
}

TEST_F(SkinManagerData, WithoutTheMetricsOptionTheSystemsSizesStay) {
  manager_->m_applyOptions = KTK_APPLY_ALL & ~KTK_APPLY_METRICS;
  ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
  EXPECT_EQ(manager_->GetSchema()->m_metrics->m_cyCaption, GetSystemMetrics(SM_CYCAPTION));
}

// The platform's versions, read once per process: a manager made under Windows 98 and
// common controls 5.82 (in a child process), and under this build's defaults.
TEST(SkinManagerVersions, TheManagerKeepsThePlatformsVersions) {
  if (kx2test::InChild()) {
    CKtkSkinManager* manager = KtkSkinManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->m_isWindows9x);
    EXPECT_EQ(manager->m_comCtlVersion, 0x50052u);
    return;
  }
  CKtkSkinManager* manager = KtkSkinManager();
  EXPECT_FALSE(manager->m_isWindows9x);
  EXPECT_EQ(manager->m_comCtlVersion, 0x6000Au);
  auto child = kx2test::RunInChild("SkinManagerVersions.TheManagerKeepsThePlatformsVersions",
                                   {{"KX2_WINVER", "98"}, {"KX2_COMCTL_VERSION", "5.82"}});
  EXPECT_TRUE(child.Passed()) << child.output;
}

}  // namespace

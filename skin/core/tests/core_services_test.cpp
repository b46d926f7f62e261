// Monitor areas, the menu-sound player, the theme wrapper and the metrics without a skin.
#include <gtest/gtest.h>

#include <string>

#include <kx2/Module.h>
#include <kx2test/ChildProcess.h>
#include <win/kernel.h>
#include <win/module.h>
#include <win/user.h>
#include <win/user_system.h>
#include <win/user_window.h>

#include "ornatex/core/monitor_service.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/core/theme_wrapper.h"
#include "ornatex/draw/color_manager.h"
#include "ornatex/draw/draw_helpers.h"

namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT SystemWorkArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// Runs in a child with two monitors, the second left of the first.
void CheckMonitorAreas(bool withMonitorFunctions) {
  ASSERT_TRUE(
      CKtkDrawHelpers::RegisterPlainWindowClass(GetModuleHandleW(nullptr), u"KtkMonitorTest", 0, nullptr, nullptr));
  HWND left =
      CreateWindowExW(0, u"KtkMonitorTest", u"", WS_POPUP, -700, 100, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(left, nullptr);
  CKtkMultiMonitor monitors;
  EXPECT_EQ(monitors.HasMonitorFunctions(), withMonitorFunctions);
  if (withMonitorFunctions) {
    EXPECT_TRUE(SameRect(monitors.GetWorkArea(left), RECT{-800, 0, 0, 600}));
    EXPECT_TRUE(SameRect(monitors.GetMonitorArea(POINT{-1, 10}), RECT{-800, 0, 0, 600}));
    EXPECT_TRUE(SameRect(monitors.GetMonitorArea(POINT{5, 5}), RECT{0, 0, 1280, 1024}));
  } else {
    EXPECT_TRUE(SameRect(monitors.GetWorkArea(left), SystemWorkArea()));
    EXPECT_TRUE(SameRect(monitors.GetMonitorArea(POINT{-1, 10}), RECT{0, 0, 1280, 1024}));
  }
  DestroyWindow(left);
}

TEST(MultiMonitor, WindowOnAMonitorLeftOfThePrimaryGetsItsWorkArea) {
  if (kx2test::InChild()) return CheckMonitorAreas(true);
  auto child = kx2test::RunInChild("MultiMonitor.WindowOnAMonitorLeftOfThePrimaryGetsItsWorkArea",
                                   {{"KX2_MONITORS", "1280x1024+0+0,800x600-800+0"}});
  EXPECT_TRUE(child.Passed()) << child.output;
}

TEST(MultiMonitor, WithoutTheMonitorFunctionsTheSystemsAreasServe) {
  if (kx2test::InChild()) {
    Kx2ModuleSetExportAbsent("MonitorFromRect", TRUE);
    return CheckMonitorAreas(false);
  }
  auto child = kx2test::RunInChild("MultiMonitor.WithoutTheMonitorFunctionsTheSystemsAreasServe",
                                   {{"KX2_MONITORS", "1280x1024+0+0,800x600-800+0"}});
  EXPECT_TRUE(child.Passed()) << child.output;
}

TEST(ThemeWrapper, AnswersAsASystemWithoutVisualStyles) {
  CKtkWinThemeWrapper theme;
  EXPECT_EQ(theme.OpenThemeData(nullptr, u"TREEVIEW"), nullptr);
  EXPECT_EQ(theme.IsAppThemed(), 0);
  EXPECT_EQ(theme.IsThemeActive(), 0);
  COLORREF color = 7;
  EXPECT_NE(theme.GetThemeColor(0, 0, 3801, &color), S_OK);
  EXPECT_EQ(color, 7u);
  char16_t name[8] = u"x";
  EXPECT_EQ(theme.GetCurrentThemeName(name, 8, nullptr, 0, nullptr, 0), E_FAIL);
}

TEST(ThemeWrapper, SecondTableLooksItsFunctionsUpAgainAfterUxthemeCameBack) {
  CKtkWinThemeWrapper first(0), second(1);
  first.IsThemeActive();
  second.IsThemeActive();
  const HMODULE before = CKtkWinThemeWrapper::TableModule(1);
  ASSERT_NE(before, nullptr);
  EXPECT_EQ(CKtkWinThemeWrapper::CachedFunctions(1), 1);
  HMODULE again = Kx2ModuleReloadSystemLibrary(u"uxtheme");
  ASSERT_NE(again, nullptr);
  ASSERT_NE(again, before);
  second.OpenThemeData(nullptr, u"BUTTON");
  EXPECT_EQ(CKtkWinThemeWrapper::TableModule(1), again);
  EXPECT_EQ(CKtkWinThemeWrapper::CachedFunctions(1), 1);  // only OpenThemeData so far
  second.IsThemeActive();
  EXPECT_EQ(CKtkWinThemeWrapper::CachedFunctions(1), 2);
  first.IsThemeActive();  // the first table does not check
  EXPECT_EQ(CKtkWinThemeWrapper::TableModule(0), before);
  Kx2ModuleResetSwitches();
}

TEST(ThemeWrapper, WithoutUxthemeEveryAnswerIsTheMissingOne) {
  if (!kx2test::InChild()) {
    auto child = kx2test::RunInChild("ThemeWrapper.WithoutUxthemeEveryAnswerIsTheMissingOne");
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  Kx2ModuleSetAbsent(u"uxtheme", TRUE);
  CKtkWinThemeWrapper theme(1);
  EXPECT_EQ(theme.OpenThemeData(nullptr, u"TREEVIEW"), nullptr);
  EXPECT_EQ(theme.IsThemeActive(), 0);
  COLORREF color = 0;
  EXPECT_EQ(theme.GetThemeColor(0, 0, 3801, &color), E_FAIL);
  EXPECT_EQ(theme.GetCurrentThemeName(nullptr, 0, nullptr, 0, nullptr, 0), E_FAIL);
  EXPECT_EQ(CKtkWinThemeWrapper::TableModule(1), nullptr);
  // The colour manager keeps its derived tree-view border.
  CKtkColorManager colors;
  EXPECT_NE(colors.LookupColor(57), KTK_COLOR_NONE);
}

TEST(SkinMetrics, WithoutASchemaTheSystemsColoursAndNoBrushes) {
  CKtkSkinManagerMetrics metrics;
  metrics.RefreshMetrics();
  for (int i = 0; i < KTK_METRIC_COLORS; ++i) {
    EXPECT_EQ(metrics.GetColor(i), GetSysColor(i)) << i;
    EXPECT_EQ(metrics.GetBrush(i), nullptr);
  }
  EXPECT_EQ(metrics.GetColor(31), 0u);
  EXPECT_EQ(metrics.GetColor(-1), 0u);
}

}  // namespace

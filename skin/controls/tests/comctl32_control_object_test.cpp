// The common controls' base object keeps its frame bars in step with the control only on a
// Windows 9x platform (and, by its USER32 base's rule, below common controls 6.0). Each pair of
// versions runs in a child process, as the platform keeps its versions for the process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <kx2test/ChildProcess.h>
#include <win/commctrl.h>
#include <win/user.h>

#include "ornatex/controls/comctl32_control_object.h"
#include "ornatex/controls/scroll_bar.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"

namespace {

constexpr char kTest[] = "ComCtl32ControlObject.FrameBarsFollowOnlyOnWindows9xBelowSix";

TEST(ComCtl32ControlObject, FrameBarsFollowOnlyOnWindows9xBelowSix) {
  if (!kx2test::InChild()) {
    const struct {
      const char* comctl;
      const char* windows;
    } cases[] = {{"5.82", "98"}, {"5.82", "xp"}};  // 6.0 on: the USER32 base's own rule
    for (const auto& c : cases) {
      auto child = kx2test::RunInChild(kTest, {{"KX2_COMCTL_VERSION", c.comctl}, {"KX2_WINVER", c.windows}});
      EXPECT_TRUE(child.Passed()) << c.comctl << " on " << c.windows << "\n" << child.output;
    }
    return;
  }
  const std::string comctl = std::getenv("KX2_COMCTL_VERSION");
  const std::string windows = std::getenv("KX2_WINVER");
  const bool follows = comctl < "6" && (windows == "95" || windows == "98" || windows == "me");

  CKtkSkinManager* manager = KtkSkinManager();
  ASSERT_NE(manager, nullptr);
  ornatex_test::SkinFolder skin("comctl32controlskin");
  skin.Write({u"[SysMetrics]", u"ScrollbarWidth = 20"});
  ASSERT_TRUE(manager->LoadSkin(skin.Path().c_str(), u"skin.ini"));
  HWND parent =
      CreateWindowExW(0, u"Static", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
  HWND tree = CreateWindowExW(0, WC_TREEVIEWW, u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, 200, 200, parent, nullptr,
                              nullptr, nullptr);
  auto* object = dynamic_cast<CKtkSkinObjectComCtl32Control*>(manager->Lookup(tree));
  ASSERT_NE(object, nullptr);
  for (int i = 0; i < 60; ++i) {
    TVINSERTSTRUCTW item{};
    item.hInsertAfter = TVI_LAST;
    item.item.mask = TVIF_TEXT;
    item.item.pszText = const_cast<LPWSTR>(u"item");
    SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  ASSERT_TRUE(object->m_scrollBars[KTK_SB_VERT].bShown);
  // The tree scrolls itself a page down; the object looks at the bars afterwards.
  SendMessageW(tree, WM_VSCROLL, SB_PAGEDOWN, 0);
  SCROLLINFO now{sizeof now, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(tree, SB_VERT, &now));
  ASSERT_GT(now.nPos, 0);
  EXPECT_EQ(object->m_lastScrollInfo[SB_VERT].nPos, follows ? now.nPos : 0);
  EXPECT_EQ(object->m_lastScrollInfo[SB_VERT].nMax, follows ? now.nMax : 0);
  DestroyWindow(parent);
  manager->RemoveSkin();
}

}  // namespace

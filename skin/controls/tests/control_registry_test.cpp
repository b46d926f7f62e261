// The manager's class registry for the common controls' objects: each window class, and
// each alias another toolkit's class names give it, gets its object when a window of that
// class is made; pagers get none.
#include <gtest/gtest.h>

#include <string>

#include <win/afx.h>
#include <win/user.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_object.h"

namespace {

TEST(ControlRegistry, EachClassAndAliasGetsItsObject) {
  CKtkSkinManager* manager = KtkSkinManager();
  ASSERT_NE(manager, nullptr);
  const struct {
    const char16_t* windowClass;
    const char* object;  // null: none
  } cases[] = {
      {u"ToolbarWindow32", "CKtkSkinObjectToolBar"},
      {u"SysTabControl32", "CKtkSkinObjectTab"},
      {u"TTabControl", "CKtkSkinObjectTab"},
      {u"SysHeader32", "CKtkSkinObjectHeader"},
      {u"SysListView32", "CKtkSkinObjectListView"},
      {u"TListView", "CKtkSkinObjectListView"},
      {u"SysTreeView32", "CKtkSkinObjectTreeView"},
      {u"TTreeView", "CKtkSkinObjectTreeView"},
      {u"msctls_trackbar32", "CKtkSkinObjectTrackBar"},
      {u"TTrackBar", "CKtkSkinObjectTrackBar"},
      {u"msctls_progress32", "CKtkSkinObjectProgress"},
      {u"TProgressBar", "CKtkSkinObjectProgress"},
      {u"TNewProgressBar", "CKtkSkinObjectProgress"},
      {u"msctls_updown32", "CKtkSkinObjectSpin"},
      {u"msctls_statusbar32", "CKtkSkinObjectStatusBar"},
      {u"SysPager", nullptr},
  };
  for (const auto& c : cases) {
    // The toolkits' own classes are made here for the test; the common controls' are the
    // platform's.
    WNDCLASSW wc{};
    const bool made = !GetClassInfoW(nullptr, c.windowClass, &wc);
    if (made) {
      wc = WNDCLASSW{};
      wc.lpfnWndProc = &DefWindowProcW;
      wc.lpszClassName = c.windowClass;
      RegisterClassW(&wc);
    }
    HWND window = CreateWindowExW(0, c.windowClass, u"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    CKtkSkinObject* object = manager->Lookup(window);
    const std::string name(c.windowClass, c.windowClass + std::char_traits<char16_t>::length(c.windowClass));
    if (c.object) {
      ASSERT_NE(object, nullptr) << name;
      EXPECT_STREQ(object->GetRuntimeClass()->m_lpszClassName, c.object) << name;
    } else {
      EXPECT_EQ(object, nullptr) << name;
    }
    DestroyWindow(window);
    if (made) UnregisterClassW(c.windowClass, nullptr);
  }
}

}  // namespace

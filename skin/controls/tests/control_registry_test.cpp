// The manager's class registry: each window class of the controls, and each alias another
// toolkit's class names give it, gets its object when a window of that class is made;
// pagers get none.
#include <gtest/gtest.h>

#include <string>

#include <win/afx.h>
#include <win/user.h>
#include <win/user_mdi.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_object.h"

namespace {

TEST(ControlRegistry, EachControlClassAndAliasGetsItsObject) {
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
      {u"ComboBox", "CKtkSkinObjectComboBox"},
      {u"TComboBox", "CKtkSkinObjectComboBox"},
      {u"Edit", "CKtkSkinObjectEdit"},
      {u"SysIPAddress32", "CKtkSkinObjectEdit"},
      {u"msctls_hotkey32", "CKtkSkinObjectEdit"},
      {u"TEdit", "CKtkSkinObjectEdit"},
      {u"TMemo", "CKtkSkinObjectEdit"},
      {u"TRichEditViewer", "CKtkSkinObjectEdit"},
      {u"SysDateTimePick32", "CKtkSkinObjectDateTime"},
      {u"SysMonthCal32", "CKtkSkinObjectMonthCal"},
      {u"ListBox", "CKtkSkinObjectListBox"},
      {u"ComboLBox", "CKtkSkinObjectListBox"},
      {u"TListBox", "CKtkSkinObjectListBox"},
      {u"ScrollBar", "CKtkSkinObjectScrollBar"},
      {u"ATL:ScrollBar", "CKtkSkinObjectScrollBar"},
      {u"TScrollBar", "CKtkSkinObjectScrollBar"},
      {u"MDIClient", "CKtkSkinObjectMDIClient"},
      {u"Button", "CKtkSkinObjectButton"},
      {u"TButton", "CKtkSkinObjectButton"},
      {u"TRadioButton", "CKtkSkinObjectButton"},
      {u"TCheckBox", "CKtkSkinObjectButton"},
      {u"TGroupBox", "CKtkSkinObjectButton"},
  };
  CLIENTCREATESTRUCT client{nullptr, 0xFF00};  // what an MDI client is made with
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
    HWND window = CreateWindowExW(0, c.windowClass, u"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, &client);
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

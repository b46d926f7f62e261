// The edit skin object, and the base it shares with list boxes, on the platform's real
// edits with a generated skin: the registry's rows and aliases, the background message by
// the edit's state, the skin's border and window brush, the strip a spin button lays over
// the border, and the frame's bars following the control's scrolling below common
// controls 6.0 (in child processes) but not above.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <kx2test/ChildProcess.h>
#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/controls/edit_object.h"
#include "ornatex/controls/list_box_object.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"
#include "probe_canvas.h"

namespace {

constexpr COLORREF kEditBorder = RGB(200, 0, 0), kWindow = RGB(10, 20, 30), kMagenta = RGB(255, 0, 255);

std::u16string Colour(COLORREF c) { return ornatex_test::ProbeColourText(c); }

struct Canvas : ornatex_test::ProbeCanvas {
  Canvas(int w, int h) : ProbeCanvas(w, h, kMagenta) {}
};

std::vector<UINT> g_asked;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    g_asked.push_back(message);
    return COLOR_WINDOW + 1;  // a system colour: the skin's brush of it
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class EditObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    g_asked.clear();
    skin_.Write({u"[SysMetrics]", u"1606:4 = " + Colour(kWindow), u"[Edit]", u"BgType = 1",
                 u"BorderColor = " + Colour(kEditBorder)});
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ParentProc;
    wc.lpszClassName = u"KtkEditObjectParent";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(0, u"KtkEditObjectParent", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    manager_->RemoveSkin();
  }
  HWND Make(const char16_t* cls, DWORD style, DWORD exStyle, int x, int y, int w, int h) {
    return CreateWindowExW(exStyle, cls, u"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent_,
                           reinterpret_cast<HMENU>(5), nullptr, nullptr);
  }
  CKtkSkinObjectEdit* EditOf(HWND edit) { return dynamic_cast<CKtkSkinObjectEdit*>(manager_->Lookup(edit)); }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"editobjectskin"};
  HWND parent_ = nullptr;
};

TEST_F(EditObject, RegistryServesEditsAndListBoxesUnderEveryAlias) {
  CKtkSkinObjectClassInfo* edit = manager_->FindClassInfo(u"Edit");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->m_pClass, RUNTIME_CLASS(CKtkSkinObjectEdit));
  for (const char16_t* alias : {u"SysIPAddress32", u"msctls_hotkey32", u"TEdit", u"TMemo", u"TRichEditViewer"})
    EXPECT_EQ(manager_->FindClassInfo(alias), edit) << "alias of Edit";
  CKtkSkinObjectClassInfo* list = manager_->FindClassInfo(u"ListBox");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->m_pClass, RUNTIME_CLASS(CKtkSkinObjectListBox));
  for (const char16_t* alias : {u"ComboLBox", u"TListBox"}) EXPECT_EQ(manager_->FindClassInfo(alias), list);
  HWND window = Make(u"Edit", 0, 0, 10, 10, 100, 24);
  CKtkSkinObjectEdit* object = EditOf(window);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->m_skinClassName, u"EDIT");
}

TEST_F(EditObject, BackgroundMessageFollowsReadOnlyAndDisabled) {
  const struct {
    const char* what;
    DWORD style;
    bool enabled;
    UINT message;
  } rows[] = {
      {"plain", 0, true, WM_CTLCOLOREDIT},
      {"read-only", ES_READONLY, true, WM_CTLCOLORSTATIC},
      {"disabled", 0, false, WM_CTLCOLORSTATIC},
  };
  for (const auto& row : rows) {
    HWND edit = Make(u"Edit", row.style, 0, 10, 10, 100, 24);
    EnableWindow(edit, row.enabled);
    EXPECT_EQ(EditOf(edit)->GetCtlColorMessage(), row.message) << row.what;
    DestroyWindow(edit);
  }
}

TEST_F(EditObject, BorderAndBrushFromTheSkin) {
  HWND edit = Make(u"Edit", 0, WS_EX_CLIENTEDGE, 10, 10, 100, 24);
  Canvas canvas(100, 24);
  g_asked.clear();
  SendMessageW(edit, WM_PRINT, reinterpret_cast<WPARAM>(canvas.dc), PRF_NONCLIENT);
  EXPECT_EQ(canvas.At(0, 12), kEditBorder) << "the border in the skin's colour";
  EXPECT_EQ(canvas.At(50, 0), kEditBorder);
  // Inside it, a frame of the brush the parent gives: the skin's of the colour it names.
  EXPECT_EQ(canvas.At(1, 12), kWindow);
  EXPECT_EQ(canvas.At(50, 1), kWindow);
  EXPECT_NE(std::find(g_asked.begin(), g_asked.end(), UINT{WM_CTLCOLOREDIT}), g_asked.end());
  // Read-only, the brush is asked as for a static.
  SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
  g_asked.clear();
  Canvas readOnly(100, 24);
  SendMessageW(edit, WM_PRINT, reinterpret_cast<WPARAM>(readOnly.dc), PRF_NONCLIENT);
  EXPECT_EQ(readOnly.At(0, 12), kEditBorder);
  EXPECT_NE(std::find(g_asked.begin(), g_asked.end(), UINT{WM_CTLCOLORSTATIC}), g_asked.end());
  EXPECT_EQ(std::find(g_asked.begin(), g_asked.end(), UINT{WM_CTLCOLOREDIT}), g_asked.end());
}

TEST_F(EditObject, BorderLeavesTheStripTheNextWindowLaysOverIt) {
  const struct {
    int overlap;
    bool left;
  } rows[] = {{2, true}, {3, false}, {0, false}};
  for (const auto& row : rows) {
    HWND edit = Make(u"Edit", 0, WS_EX_CLIENTEDGE, 10, 10, 100, 24);
    // Created after the edit: the next window below it, as a spin button beside its buddy.
    HWND spin = Make(u"Static", 0, 0, 110 - row.overlap, 10, 16, 24);
    Canvas canvas(100, 24);
    SendMessageW(edit, WM_PRINT, reinterpret_cast<WPARAM>(canvas.dc), PRF_NONCLIENT);
    EXPECT_EQ(canvas.At(99, 12), row.left ? kMagenta : kEditBorder) << "overlap " << row.overlap;
    EXPECT_EQ(canvas.At(97, 0), kEditBorder) << "outside the strip, overlap " << row.overlap;
    DestroyWindow(spin);
    DestroyWindow(edit);
  }
}

// Scrolls a multi-line edit by a line, by keys and by the wheel, and reports the position
// the object last saw for the vertical bar after each.
std::vector<int> SeenPositions(CKtkSkinManager* manager, HWND parent) {
  HWND edit = CreateWindowExW(0, u"Edit", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, 10, 10, 100, 60,
                              parent, nullptr, nullptr, nullptr);
  std::u16string text;
  for (int i = 0; i < 40; ++i) text += u"line\r\n";
  SetWindowTextW(edit, text.c_str());
  auto* object = dynamic_cast<CKtkSkinObjectUser32Control*>(manager->Lookup(edit));
  std::vector<int> seen;
  if (!object) return seen;
  SendMessageW(edit, WM_VSCROLL, SB_LINEDOWN, 0);
  seen.push_back(object->m_lastScrollInfo[1].nPos);
  for (int i = 0; i < 4; ++i) SendMessageW(edit, WM_KEYDOWN, VK_NEXT, 0);
  seen.push_back(object->m_lastScrollInfo[1].nPos);
  SendMessageW(edit, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
  seen.push_back(object->m_lastScrollInfo[1].nPos);
  // What the control itself shows at the end: the wheel is seen after the control moved.
  seen.push_back(GetScrollPos(edit, SB_VERT));
  DestroyWindow(edit);
  return seen;
}

TEST_F(EditObject, FrameBarsFollowTheControlBelowCommonControlsSix) {
  const char* version = std::getenv("KX2_COMCTL_VERSION");
  if (!version) {
    // 6.10: the control keeps its bars itself.
    const std::vector<int> seen = SeenPositions(manager_, parent_);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], 0);
    EXPECT_EQ(seen[2], 0);
    EXPECT_GT(seen[3], 0);
    const kx2test::ChildResult child = kx2test::RunInChild("EditObject.FrameBarsFollowTheControlBelowCommonControlsSix",
                                                           {{"KX2_COMCTL_VERSION", "5.82"}});
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  const std::vector<int> seen = SeenPositions(manager_, parent_);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0], 1) << "a line down";
  EXPECT_GT(seen[1], seen[0]) << "pages down by key";
  EXPECT_GT(seen[2], seen[1]) << "the wheel";
  EXPECT_EQ(seen[2], seen[3]) << "the position after the control's own scrolling";
}

}  // namespace

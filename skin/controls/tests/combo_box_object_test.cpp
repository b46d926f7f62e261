// The combo box and list box skin objects on the platform's real controls with a generated
// skin: the box's border and drop button by state (hot, pressed while dropped with the button
// held, disabled), the button on the left under WS_EX_RIGHT, a read-only edit field asking
// for a static's background wherever the field stands among the children, the simple style's
// edit border, the borders the object takes off, and list boxes inside the skin's border.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <kx2/InputState.h>
#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/controls/combo_box_object.h"
#include "ornatex/controls/list_box_object.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"
#include "probe_canvas.h"

namespace {

COLORREF BorderColour(int state) { return RGB(200, 20 * state, 10); }
COLORREF ButtonColour(int state) { return RGB(20 * state, 200, 10); }
constexpr COLORREF kEditBorder = RGB(250, 5, 250), kListBorder = RGB(5, 5, 250), kWindow = RGB(10, 20, 30);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

std::u16string Number(int n) { return ornatex_test::ProbeNumber(n); }
std::u16string Colour(COLORREF c) { return ornatex_test::ProbeColourText(c); }

struct Canvas : ornatex_test::ProbeCanvas {
  Canvas(int w, int h) : ProbeCanvas(w, h, kMagenta) {}
};

std::vector<UINT> g_asked;

// Answers every background question with the window colour, which the skin replaces.
LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    g_asked.push_back(message);
    return COLOR_WINDOW + 1;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool Asked(UINT message) { return std::find(g_asked.begin(), g_asked.end(), message) != g_asked.end(); }

class ComboBoxObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    Kx2ResetInput();
    g_asked.clear();
    std::vector<std::u16string> lines = {u"[SysMetrics]", u"1606:4 = " + Colour(kWindow)};
    for (int s = 1; s <= 4; ++s) {
      lines.insert(lines.end(), {u"[ComboBox.0(" + Number(s) + u")]", u"BgType = 1",
                                 u"BorderColor = " + Colour(BorderColour(s)), u"[ComboBox.1(" + Number(s) + u")]",
                                 u"BgType = 1", u"BorderSize = 0", u"FillColor = " + Colour(ButtonColour(s))});
    }
    lines.insert(lines.end(), {u"[Edit]", u"BgType = 1", u"BorderColor = " + Colour(kEditBorder), u"[ListBox]",
                               u"BgType = 1", u"BorderColor = " + Colour(kListBorder)});
    skin_.Write(lines);
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ParentProc;
    wc.lpszClassName = u"KtkComboObjectParent";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(0, u"KtkComboObjectParent", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    manager_->RemoveSkin();
    Kx2ResetInput();
  }
  HWND Make(const char16_t* cls, DWORD style, DWORD exStyle = 0, int w = 150, int h = 120) {
    return CreateWindowExW(exStyle, cls, u"", WS_CHILD | WS_VISIBLE | style, 10, 10, w, h, parent_,
                           reinterpret_cast<HMENU>(9), nullptr, nullptr);
  }
  CKtkSkinObjectComboBox* ComboOf(HWND combo) { return dynamic_cast<CKtkSkinObjectComboBox*>(manager_->Lookup(combo)); }
  static HWND EditOf(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    SendMessageW(combo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info.hwndItem != combo ? info.hwndItem : nullptr;
  }
  static void Print(HWND control, const Canvas& canvas) {
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"comboobjectskin"};
  HWND parent_ = nullptr;
};

TEST_F(ComboBoxObject, RegistryServesComboBoxesAndTheirLists) {
  CKtkSkinObjectClassInfo* combo = manager_->FindClassInfo(u"ComboBox");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->m_pClass, RUNTIME_CLASS(CKtkSkinObjectComboBox));
  EXPECT_EQ(manager_->FindClassInfo(u"TComboBox"), combo);
  HWND box = Make(WC_COMBOBOXW, CBS_SIMPLE);
  ASSERT_NE(ComboOf(box), nullptr);
  // A simple box's list is a list box child with the list box's object.
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  SendMessageW(box, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(info.hwndList, nullptr);
  EXPECT_NE(dynamic_cast<CKtkSkinObjectListBox*>(manager_->Lookup(info.hwndList)), nullptr);
}

TEST_F(ComboBoxObject, DropDownBorderAndButtonFollowTheState) {
  HWND box = Make(WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_BORDER, WS_EX_CLIENTEDGE);
  ASSERT_NE(ComboOf(box), nullptr);
  // The skin draws the border: the window's own ones went at creation.
  EXPECT_FALSE(GetWindowLongW(box, GWL_STYLE) & WS_BORDER);
  EXPECT_FALSE(GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  RECT client{};
  GetClientRect(box, &client);
  const int w = client.right, h = client.bottom, mid = h / 2;
  auto probe = [&](int expectedState, const char* what) {
    Canvas canvas(w, h);
    Print(box, canvas);
    EXPECT_EQ(canvas.At(0, mid), BorderColour(expectedState)) << what << ": the box's border";
    EXPECT_EQ(canvas.At(w - 5, mid), ButtonColour(expectedState)) << what << ": the drop button";
    EXPECT_EQ(canvas.At(1, mid), kWindow) << what << ": the brush inside the border";
  };
  probe(1, "normal");
  SendMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(ComboOf(box)->m_bHot);
  probe(2, "hot");
  SendMessageW(box, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(ComboOf(box)->m_bHot);
  // Pressed: dropped while the left button is held.
  SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
  Kx2SetThreadKeyState(VK_LBUTTON, 0x80);
  probe(3, "pressed");
  Kx2SetThreadKeyState(VK_LBUTTON, 0);
  SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
  SendMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EnableWindow(box, FALSE);
  probe(4, "disabled wins over hot");
}

TEST_F(ComboBoxObject, RightAlignedBoxHasItsButtonOnTheLeft) {
  HWND box = Make(WC_COMBOBOXW, CBS_DROPDOWN, WS_EX_RIGHT);
  RECT client{};
  GetClientRect(box, &client);
  Canvas canvas(client.right, client.bottom);
  Print(box, canvas);
  const int mid = client.bottom / 2;
  EXPECT_EQ(canvas.At(5, mid), ButtonColour(1));
  EXPECT_NE(canvas.At(client.right - 5, mid), ButtonColour(1));
  EXPECT_EQ(canvas.At(client.right - 2, mid), kWindow) << "the brush frame runs along the right side";
}

TEST_F(ComboBoxObject, ReadOnlyFieldAsksForAStaticsBackground) {
  for (DWORD style : {DWORD{CBS_DROPDOWN}, DWORD{CBS_SIMPLE}}) {
    HWND box = Make(WC_COMBOBOXW, style);
    CKtkSkinObjectComboBox* object = ComboOf(box);
    ASSERT_NE(object, nullptr);
    HWND edit = EditOf(box);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(object->GetCtlColorMessage(), static_cast<UINT>(WM_CTLCOLOREDIT)) << style;
    SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
    EXPECT_EQ(object->GetCtlColorMessage(), static_cast<UINT>(WM_CTLCOLORSTATIC)) << style;
    g_asked.clear();
    Canvas canvas(150, 120);
    Print(box, canvas);
    EXPECT_TRUE(Asked(WM_CTLCOLORSTATIC)) << style;
    EXPECT_FALSE(Asked(WM_CTLCOLOREDIT)) << style;
    DestroyWindow(box);
  }
  HWND list = Make(WC_COMBOBOXW, CBS_DROPDOWNLIST);
  EXPECT_EQ(ComboOf(list)->GetCtlColorMessage(), static_cast<UINT>(WM_CTLCOLOREDIT));
  EnableWindow(list, FALSE);
  EXPECT_EQ(ComboOf(list)->GetCtlColorMessage(), static_cast<UINT>(WM_CTLCOLORSTATIC));
}

TEST_F(ComboBoxObject, SimpleBoxGetsTheEditBorderAroundItsField) {
  HWND box = Make(WC_COMBOBOXW, CBS_SIMPLE);
  RECT client{};
  GetClientRect(box, &client);
  const int field = static_cast<int>(SendMessageW(box, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0)) +
                    2 * GetSystemMetrics(SM_CYFIXEDFRAME);
  Canvas canvas(client.right, client.bottom);
  Print(box, canvas);
  EXPECT_EQ(canvas.At(client.right / 2, 0), kEditBorder);
  EXPECT_EQ(canvas.At(0, field / 2), kEditBorder);
  EXPECT_EQ(canvas.At(client.right / 2, field - 1), kEditBorder);
  EXPECT_EQ(canvas.At(1, field / 2), kWindow) << "the brush frames inside it";
  EXPECT_EQ(canvas.At(2, field / 2), kWindow);
}

TEST_F(ComboBoxObject, ListBoxInsideTheSkinsBorderAndBrush) {
  HWND list = Make(WC_LISTBOXW, 0, WS_EX_CLIENTEDGE);
  auto* object = dynamic_cast<CKtkSkinObjectListBox*>(manager_->Lookup(list));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->GetCtlColorMessage(), static_cast<UINT>(WM_CTLCOLORLISTBOX));
  RECT box{};
  GetWindowRect(list, &box);
  Canvas canvas(box.right - box.left, box.bottom - box.top);
  g_asked.clear();
  SendMessageW(list, WM_PRINT, reinterpret_cast<WPARAM>(canvas.dc), PRF_NONCLIENT);
  EXPECT_EQ(canvas.At(0, 30), kListBorder);
  EXPECT_EQ(canvas.At(1, 30), kWindow);
  EXPECT_TRUE(Asked(WM_CTLCOLORLISTBOX));
}

}  // namespace

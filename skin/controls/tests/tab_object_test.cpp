// The tab skin object on the platform's tab control with a generated skin: the pane, each tab
// by state, the selected one drawn last and two pixels larger over its neighbours, and push
// buttons without a pane under TCS_BUTTONS.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <win/commctrl.h>
#include <win/dialog.h>
#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/controls/tab_object.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_object.h"
#include "skin_folder.h"
#include "probe_canvas.h"

namespace {

COLORREF TabColour(int state) { return RGB(60 * state, 0, 200); }
COLORREF ButtonColour(int state) { return RGB(0, 60 * state, 60); }
constexpr COLORREF kPane = RGB(250, 240, 200);
constexpr COLORREF kParent = RGB(1, 2, 3);

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CTLCOLORSTATIC) {
    static HBRUSH brush = CreateSolidBrush(kParent);
    return reinterpret_cast<LRESULT>(brush);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::u16string Colour(COLORREF c) { return ornatex_test::ProbeColourText(c); }

using Canvas = ornatex_test::ProbeCanvas;

class TabObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    std::vector<std::u16string> lines;
    auto fill = [&](const std::u16string& section, COLORREF c) {
      lines.insert(lines.end(), {section, u"BgType = 1", u"BorderSize = 0", u"FillColor = " + Colour(c)});
    };
    for (int part : {5, 6, 7})
      for (int state = 1; state <= 3; ++state)
        fill(u"[Tab." + Number(part) + u"(" + Number(state) + u")]", TabColour(state));
    fill(u"[Tab.9]", kPane);
    fill(u"[Button.1(1)]", ButtonColour(1));
    fill(u"[Button.1(3)]", ButtonColour(3));
    skin_.Write(lines);
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"KtkTabOwner";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(0, u"KtkTabOwner", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                              nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    manager_->RemoveSkin();
  }
  static std::u16string Number(int n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
  }
  HWND MakeTabs(DWORD style) {
    HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, 300, 120, parent_,
                                reinterpret_cast<HMENU>(4), nullptr, nullptr);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    for (const char16_t* text : {u"One", u"Two", u"Three"}) {
      item.pszText = const_cast<char16_t*>(text);
      SendMessageW(tabs, TCM_INSERTITEMW, 9, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
    return tabs;
  }
  static RECT ItemRect(HWND tabs, int i) {
    RECT r{};
    SendMessageW(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"tabobjectskin"};
  HWND parent_ = nullptr;
};

TEST_F(TabObject, PaneTabsByStateAndTheSelectedOneOnTop) {
  HWND tabs = MakeTabs(0);
  ASSERT_NE(dynamic_cast<CKtkSkinObjectTab*>(manager_->Lookup(tabs)), nullptr);
  const RECT first = ItemRect(tabs, 0), second = ItemRect(tabs, 1);
  SendMessageW(tabs, WM_MOUSEMOVE, 0, MAKELPARAM(first.left + 3, first.top + 3));
  Canvas canvas(300, 120);
  SendMessageW(tabs, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc), 0);
  SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  EXPECT_EQ(canvas.At(150, 100), kPane);
  EXPECT_EQ(canvas.At(first.left + 3, first.top + 3), TabColour(2)) << "the hot tab";
  EXPECT_EQ(canvas.At(second.right - 3, second.top + 3), TabColour(3)) << "the selected tab";
  // Two pixels larger on each side, over the neighbours' edges.
  EXPECT_EQ(canvas.At(second.left - 1, second.top + 5), TabColour(3));
  EXPECT_EQ(canvas.At(second.right, second.top + 5), TabColour(3));
  EXPECT_EQ(canvas.At(second.left + 5, second.top - 2), TabColour(3));
}

TEST_F(TabObject, ButtonsDrawPushButtonsAndNoPane) {
  HWND tabs = MakeTabs(TCS_BUTTONS);
  const RECT first = ItemRect(tabs, 0), second = ItemRect(tabs, 1);
  Canvas canvas(300, 120);
  SendMessageW(tabs, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc), 0);
  SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  EXPECT_EQ(canvas.At(first.left + 3, first.top + 3), ButtonColour(1));
  EXPECT_EQ(canvas.At(second.left + 3, second.top + 3), ButtonColour(3)) << "the selected one pressed";
  EXPECT_EQ(canvas.At(150, 100), kParent) << "no pane: the parent's background";
}

// ---- Property pages ---------------------------------------------------------------------

// The record a property sheet keeps in its DWLP_USER slot: its window, then its flags.
struct SheetRecord {
  HWND sheet;
  uint32_t second;
  uint32_t flags;
};

LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 116) return reinterpret_cast<LRESULT>(GetPropW(window, u"Tab"));  // PSM_GETTABCONTROL
  return DefWindowProcW(window, message, wParam, lParam);
}

COLORREF Texture(int x, int y) { return RGB(x * 8, y * 8, 100); }

// A page of a faked property sheet takes the skin's tab body texture, and a control on the
// page gets the brush origin of the page's corner, so the texture runs on across it.
TEST_F(TabObject, APagesControlsLineUpWithThePagesTexture) {
  skin_.WriteBitmap("body.bmp", 16, 16, [](int x, int y) { return Texture(x, y); });
  skin_.Write({u"[Tab.10]", u"3007:1 = body.bmp"});
  ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
  WNDCLASSW wc{};
  wc.lpfnWndProc = &SheetProc;
  wc.cbWndExtra = 32;
  wc.lpszClassName = u"KtkPageSheet";
  RegisterClassW(&wc);
  HWND sheet =
      CreateWindowExW(0, u"KtkPageSheet", u"", WS_POPUP, 100, 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
  HWND tab = CreateWindowExW(0, WC_TABCONTROLW, u"", WS_CHILD, 0, 0, 300, 20, sheet, nullptr, nullptr, nullptr);
  SetPropW(sheet, u"Tab", tab);
  SheetRecord record{sheet, 0, 0};
  SetWindowLongPtrW(sheet, DWLP_USER, reinterpret_cast<LONG_PTR>(&record));
  HWND page = CreateWindowExW(0, u"#32770", u"", WS_CHILD | DS_CONTROL | WS_VISIBLE, 0, 20, 300, 180, sheet, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(manager_->Lookup(page), nullptr);
  ASSERT_EQ(manager_->Lookup(page)->m_nDialogKind, KTK_DIALOG_KIND_PAGE);
  HWND control =
      CreateWindowExW(0, u"Static", u"", WS_CHILD | WS_VISIBLE, 5, 3, 40, 20, page, nullptr, nullptr, nullptr);

  Canvas canvas(40, 20);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.dc), reinterpret_cast<LPARAM>(control)));
  ASSERT_NE(brush, nullptr);
  const RECT all{0, 0, 40, 20};
  FillRect(canvas.dc, &all, brush);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{10, 12}, std::pair{30, 5}})
    EXPECT_EQ(canvas.At(x, y), Texture((x + 5) % 16, (y + 3) % 16)) << x << "," << y;
  DestroyWindow(sheet);
}

}  // namespace

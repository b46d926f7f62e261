// The tab skin object on the platform's tab control with a generated skin: the pane, each tab
// by state, the selected one drawn last and two pixels larger over its neighbours, and push
// buttons without a pane under TCS_BUTTONS.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/controls/tab_object.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"

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

std::u16string Colour(COLORREF c) {
  auto n = [](int v) {
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
  };
  return n(GetRValue(c)) + u", " + n(GetGValue(c)) + u", " + n(GetBValue(c));
}

struct Canvas {
  Canvas(int w, int h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

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
    parent_ = CreateWindowExW(0, u"KtkTabOwner", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
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

}  // namespace

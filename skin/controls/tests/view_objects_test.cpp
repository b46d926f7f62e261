// Header, list view and tree view skin objects with a generated skin: header items by state
// with the filler only where the items end before the edge, owner-drawn items taking the
// skin's background and no skin text, and the views taking the skin's window colours while
// it is on and the system's once it is removed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <kx2test/ChildProcess.h>
#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/user.h>
#include <win/user_ownerdraw.h>

#include "ornatex/controls/view_objects.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"
#include "probe_canvas.h"

namespace {

COLORREF ItemColour(int state) { return RGB(30 * state, 200, 100); }
constexpr COLORREF kFiller = RGB(250, 250, 0);
constexpr COLORREF kWindow = RGB(10, 20, 30), kWindowText = RGB(240, 230, 220);

int g_ownerDraws = 0;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    ++g_ownerDraws;
    return TRUE;  // drawn: nothing more from the skin
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::u16string Colour(COLORREF c) { return ornatex_test::ProbeColourText(c); }

using Canvas = ornatex_test::ProbeCanvas;

class ViewObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    g_ownerDraws = 0;
    std::vector<std::u16string> lines = {u"[SysMetrics]", u"1606:4 = " + Colour(kWindow),
                                         u"1609:4 = " + Colour(kWindowText)};
    for (int state = 1; state <= 3; ++state) {
      lines.push_back(u"[Header.1(" + std::u16string(1, static_cast<char16_t>(u'0' + state)) + u")]");
      lines.insert(lines.end(), {u"BgType = 1", u"BorderSize = 0", u"FillColor = " + Colour(ItemColour(state))});
    }
    lines.insert(lines.end(), {u"[Header.0]", u"BgType = 1", u"BorderSize = 0", u"FillColor = " + Colour(kFiller)});
    skin_.Write(lines);
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"KtkViewOwner";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(0, u"KtkViewOwner", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    manager_->RemoveSkin();
  }
  HWND Make(const char16_t* cls, DWORD style, int w, int h) {
    return CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, w, h, parent_, reinterpret_cast<HMENU>(3),
                           nullptr, nullptr);
  }
  static void AddItem(HWND header, int width, int format = HDF_STRING) {
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.cxy = width;
    item.fmt = format;
    item.pszText = const_cast<char16_t*>(u"Name");
    SendMessageW(header, HDM_INSERTITEMW, 99, reinterpret_cast<LPARAM>(&item));
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"viewobjectsskin"};
  HWND parent_ = nullptr;
};

TEST_F(ViewObjects, HeaderItemsByStateAndTheFillerAfterThem) {
  HWND header = Make(WC_HEADERW, 0, 200, 20);
  ASSERT_NE(dynamic_cast<CKtkSkinObjectHeader*>(manager_->Lookup(header)), nullptr);
  {
    Canvas empty(200, 20);
    SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(empty.dc), PRF_CLIENT);
    EXPECT_EQ(empty.At(5, 10), kFiller) << "an empty header draws only the filler";
  }
  AddItem(header, 60);
  AddItem(header, 60);
  SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(90, 10));  // over the second item
  Canvas canvas(200, 20);
  SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  EXPECT_EQ(canvas.At(3, 3), ItemColour(1));
  EXPECT_EQ(canvas.At(63, 3), ItemColour(2)) << "the hot item";
  EXPECT_EQ(canvas.At(150, 10), kFiller);
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(90, 10));
  Canvas pressed(200, 20);
  SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(pressed.dc), PRF_CLIENT);
  EXPECT_EQ(pressed.At(63, 3), ItemColour(3)) << "the hot item held down";
  SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(90, 10));
  // Wider items than the header: no filler at the edge.
  AddItem(header, 200);
  Canvas wide(200, 20);
  SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(wide.dc), PRF_CLIENT);
  EXPECT_NE(wide.At(197, 10), kFiller);
}

TEST_F(ViewObjects, OwnerDrawnHeaderItemsGetTheBackgroundOnly) {
  HWND header = Make(WC_HEADERW, 0, 200, 20);
  AddItem(header, 100, HDF_OWNERDRAW);
  Canvas canvas(200, 20);
  SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  EXPECT_EQ(g_ownerDraws, 1);
  for (int x = 2; x < 98; x += 4) ASSERT_EQ(canvas.At(x, 10), ItemColour(1)) << "no skin text at " << x;
}

TEST_F(ViewObjects, ViewsTakeTheSkinsWindowColoursWhileItIsOn) {
  HWND list = Make(WC_LISTVIEWW, LVS_REPORT, 200, 100);
  HWND tree = Make(WC_TREEVIEWW, 0, 200, 100);
  ASSERT_NE(dynamic_cast<CKtkSkinObjectListView*>(manager_->Lookup(list)), nullptr);
  ASSERT_NE(dynamic_cast<CKtkSkinObjectTreeView*>(manager_->Lookup(tree)), nullptr);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), kWindow);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)), kWindowText);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0)), kWindow);
  manager_->RemoveSkin();
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_NE(static_cast<COLORREF>(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0)), kWindow);
}

// From common controls 5.80 a filter bar takes the lower half of the header (the control
// paints it) and the items the upper; older ones have no filter bar (a child process).
TEST_F(ViewObjects, AFilterBarTakesTheLowerHalfFromCommonControls580) {
  HWND header = Make(WC_HEADERW, HDS_FILTERBAR, 200, 21);
  AddItem(header, 100);
  Canvas canvas(200, 21);
  SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  EXPECT_EQ(canvas.At(90, 3), ItemColour(1));
  if (kx2test::InChild()) {
    EXPECT_EQ(canvas.At(90, 17), ItemColour(1));
    return;
  }
  EXPECT_NE(canvas.At(90, 17), ItemColour(1));
  auto child = kx2test::RunInChild("ViewObjects.AFilterBarTakesTheLowerHalfFromCommonControls580",
                                   {{"KX2_COMCTL_VERSION", "4.71"}});
  EXPECT_TRUE(child.Passed()) << child.output;
}

std::vector<std::pair<WPARAM, LPARAM>> g_scrolls;
WNDPROC g_listProc = nullptr;

LRESULT CALLBACK ScrollWatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == LVM_SCROLL) g_scrolls.emplace_back(wParam, lParam);
  return CallWindowProcW(g_listProc, hwnd, message, wParam, lParam);
}

// On Windows 9x (a child process) the object scrolls the view by the distance a frame bar's
// thumb moved, rows in small-icon spacing; elsewhere the control follows the thumb itself.
TEST_F(ViewObjects, AFrameBarsThumbScrollsTheListViewOnWindows9x) {
  HWND list = Make(WC_LISTVIEWW, LVS_REPORT, 200, 100);
  g_scrolls.clear();
  g_listProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ScrollWatch)));
  const int row = HIWORD(static_cast<DWORD>(SendMessageW(list, LVM_GETITEMSPACING, TRUE, 0)));
  const int top = GetScrollPos(list, SB_VERT), left = GetScrollPos(list, SB_HORZ);
  SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, top + 3), 0);
  SendMessageW(list, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, left + 7), 0);
  SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);  // not a thumb: the control's
  SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
  if (kx2test::InChild()) {
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {{0, 3 * row}, {7, 0}};
    EXPECT_EQ(g_scrolls, expected);
    return;
  }
  EXPECT_TRUE(g_scrolls.empty());
  auto child = kx2test::RunInChild("ViewObjects.AFrameBarsThumbScrollsTheListViewOnWindows9x", {{"KX2_WINVER", "98"}});
  EXPECT_TRUE(child.Passed()) << child.output;
}

}  // namespace

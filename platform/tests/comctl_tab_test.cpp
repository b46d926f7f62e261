// The tab control: messages and answers (wide and narrow texts within the caller's size),
// layout in rows, the selection's notifications with the owner's veto, and its classic
// look (pane, the selected tab larger over its neighbours, buttons without a pane).
#include "comctl_test_support.h"
#include "user_test_support.h"

using comctltest::Canvas;

namespace {

std::vector<UINT> codes;
bool veto = false;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* h = reinterpret_cast<const NMHDR*>(lParam);
    codes.push_back(h->code);
    return h->code == TCN_SELCHANGING && veto;
  }
  if (message == WM_DRAWITEM) {
    const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (d->CtlType == ODT_TAB) {
      FillRect(d->hDC, &d->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      codes.push_back(0x1000 + d->itemID + ((d->itemState & ODS_SELECTED) ? 0x100 : 0));
    }
    return TRUE;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ComCtlTab : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"TabOwner";
    RegisterClassW(&wc);
    codes.clear();
    veto = false;
  }
  HWND MakeTabs(DWORD style, std::initializer_list<const char16_t*> texts, RECT r = RECT{0, 0, 300, 120}) {
    parent_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 400, 300}, 0, u"TabOwner");
    HWND tabs = Make(WS_CHILD | WS_VISIBLE | style, parent_, r, 0, WC_TABCONTROLW, 9);
    int n = 0;
    for (const char16_t* t : texts) {
      TCITEMW item{};
      item.mask = TCIF_TEXT | TCIF_PARAM;
      item.pszText = const_cast<LPWSTR>(t);
      item.lParam = 100 + n;
      SendMessageW(tabs, TCM_INSERTITEMW, n++, reinterpret_cast<LPARAM>(&item));
    }
    return tabs;
  }
  static RECT ItemRect(HWND tabs, int i) {
    RECT r{};
    SendMessageW(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  HWND parent_ = nullptr;
};

TEST_F(ComCtlTab, MessagesAndTheirAnswers) {
  HWND tabs = MakeTabs(0, {u"First", u"Second \u00e9t\u00e9", u"Third"});
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(tabs, TCM_SETCURSEL, 2, 0), 0);
  EXPECT_EQ(SendMessageW(tabs, TCM_SETCURSEL, 3, 0), -1) << "out of range: nothing changes";
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETROWCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETIMAGELIST, 0, 0), 0);

  // Texts within the caller's size, wide and in the ANSI code page.
  char16_t wide[5];
  TCITEMW w{};
  w.mask = TCIF_TEXT | TCIF_PARAM;
  w.pszText = wide;
  w.cchTextMax = 5;
  ASSERT_TRUE(SendMessageW(tabs, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&w)));
  EXPECT_EQ(std::u16string(wide), u"Seco");
  EXPECT_EQ(w.lParam, 101);
  char narrow[32];
  TCITEMA a{};
  a.mask = TCIF_TEXT;
  a.pszText = narrow;
  a.cchTextMax = 32;
  ASSERT_TRUE(SendMessageW(tabs, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&a)));
  EXPECT_EQ(std::string(narrow), "Second \xe9t\xe9");
  EXPECT_FALSE(SendMessageW(tabs, TCM_GETITEMW, 3, reinterpret_cast<LPARAM>(&w)));
  RECT r{1, 2, 3, 4};
  EXPECT_FALSE(SendMessageW(tabs, TCM_GETITEMRECT, 7, reinterpret_cast<LPARAM>(&r)));
  EXPECT_EQ(r.left, 1);

  // Items lie side by side; the display area lies below them and maps back.
  const RECT first = ItemRect(tabs, 0), second = ItemRect(tabs, 1);
  EXPECT_EQ(first.right, second.left);
  EXPECT_EQ(first.top, second.top);
  RECT area{0, 0, 300, 120};
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  EXPECT_GT(area.top, first.bottom);
  EXPECT_GT(area.left, 0);
  SendMessageW(tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&area));
  EXPECT_EQ(area.top, 0);
  EXPECT_EQ(area.right, 300);

  TCHITTESTINFO hit{{second.left + 3, second.top + 3}, 0};
  EXPECT_EQ(SendMessageW(tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
  EXPECT_EQ(hit.flags, static_cast<UINT>(TCHT_ONITEM));
  EXPECT_TRUE(SendMessageW(tabs, TCM_DELETEITEM, 0, 0));
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1) << "the selection follows its item";
  EXPECT_FALSE(SendMessageW(tabs, TCM_DELETEITEM, 5, 0));
}

TEST_F(ComCtlTab, RowsPlacementsAndTheirStrips) {
  HWND tabs =
      MakeTabs(TCS_MULTILINE, {u"Alpha alpha", u"Beta beta", u"Gamma gamma", u"Delta delta"}, RECT{0, 0, 150, 200});
  EXPECT_GE(SendMessageW(tabs, TCM_GETROWCOUNT, 0, 0), 2);
  EXPECT_GT(ItemRect(tabs, 3).top, ItemRect(tabs, 0).top);

  struct Case {
    DWORD style;
    bool stripAtTop, stripAtBottom, stripAtLeft, stripAtRight;
  };
  const Case cases[] = {{0, true, false, false, false},
                        {TCS_BOTTOM, false, true, false, false},
                        {TCS_VERTICAL, false, false, true, false},
                        {TCS_VERTICAL | TCS_RIGHT, false, false, false, true}};
  for (const Case& c : cases) {
    SetWindowLongW(tabs, GWL_STYLE, WS_CHILD | WS_VISIBLE | c.style);
    const RECT r = ItemRect(tabs, 0);
    EXPECT_EQ(r.top < 10, c.stripAtTop || c.stripAtLeft || c.stripAtRight) << c.style;
    EXPECT_EQ(r.bottom > 190, c.stripAtBottom) << c.style;
    EXPECT_EQ(r.left > 100, c.stripAtRight) << c.style;
    EXPECT_EQ(r.bottom - r.top > r.right - r.left, c.stripAtLeft || c.stripAtRight) << c.style;
  }
}

TEST_F(ComCtlTab, ClicksAndKeysNotifyAndTheOwnerMayRefuse) {
  HWND tabs = MakeTabs(0, {u"One", u"Two", u"Three"});
  const RECT second = ItemRect(tabs, 1);
  SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(second.left + 4, second.top + 4));
  EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
  codes.clear();
  veto = true;
  SendMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(codes, (std::vector<UINT>{TCN_SELCHANGING}));
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
  veto = false;
  SendMessageW(tabs, WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2);
}

TEST_F(ComCtlTab, ClassicLook) {
  HWND tabs = MakeTabs(0, {u"One", u"Two", u"Three"});
  SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
  Canvas canvas(300, 120, RGB(0, 0, 255));
  EXPECT_EQ(SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT), 1);
  const RECT first = ItemRect(tabs, 0), second = ItemRect(tabs, 1);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  // The unselected tab's top edge at its own top; the selected one two pixels higher and
  // wider, over its neighbour.
  EXPECT_EQ(canvas.At(first.left + 8, first.top), light);
  EXPECT_EQ(canvas.At(second.left + 8, second.top - 2), light);
  EXPECT_EQ(canvas.At(second.left - 2, second.top + 6), light) << "the selected tab's left edge over its neighbour";
  // The pane's top edge below the strip, open under the selected tab.
  const int paneTop = first.bottom;
  EXPECT_EQ(canvas.At(first.left + 8, paneTop), light);
  EXPECT_EQ(canvas.At(second.left + 8, paneTop), face);
  EXPECT_EQ(canvas.At(150, 60), face) << "the pane's inside";

  // Buttons: raised and sunken, and no pane.
  SetWindowLongW(tabs, GWL_STYLE, WS_CHILD | WS_VISIBLE | TCS_BUTTONS);
  SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  const RECT b0 = ItemRect(tabs, 0), b1 = ItemRect(tabs, 1);
  EXPECT_EQ(canvas.At(b0.left, b0.top + 3), GetSysColor(COLOR_3DLIGHT)) << "raised";
  EXPECT_EQ(canvas.At(b1.left, b1.top + 3), GetSysColor(COLOR_BTNSHADOW)) << "sunken when selected";
  EXPECT_EQ(canvas.At(150, 100), face) << "no pane edge at the bottom";
  EXPECT_EQ(canvas.At(150, 119), face);

  // Owner drawn: the owner paints each item, the selected one last.
  SetWindowLongW(tabs, GWL_STYLE, WS_CHILD | WS_VISIBLE | TCS_OWNERDRAWFIXED);
  codes.clear();
  SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(codes, (std::vector<UINT>{0x1000, 0x1001, 0x1002, 0x1101}));
}

}  // namespace

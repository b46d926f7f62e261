// The header control: messages and answers, display order, hit tests, divider dragging and
// button clicks with their notifications, and its classic look.
#include "comctl_test_support.h"
#include "user_test_support.h"

using comctltest::Canvas;

namespace {

std::vector<std::pair<UINT, int>> notes;
std::vector<UINT> drawn;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* h = reinterpret_cast<const NMHEADERW*>(lParam);
    notes.emplace_back(h->hdr.code, h->iItem);
    return 0;
  }
  if (message == WM_DRAWITEM) {
    const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    drawn.push_back(d->itemID);
    return TRUE;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ComCtlHeader : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"HeaderOwner";
    RegisterClassW(&wc);
    notes.clear();
    drawn.clear();
  }
  HWND MakeHeader(DWORD style, std::initializer_list<int> widths, int width = 300) {
    parent_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 400, 300}, 0, u"HeaderOwner");
    HWND header = Make(WS_CHILD | WS_VISIBLE | style, parent_, RECT{0, 0, width, 24}, 0, WC_HEADERW, 3);
    int n = 0;
    for (int w : widths) {
      std::u16string text = u"Column " + std::u16string(1, static_cast<char16_t>(u'A' + n));
      HDITEMW item{};
      item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_LPARAM;
      item.pszText = text.data();
      item.cxy = w;
      item.fmt = HDF_LEFT | HDF_STRING;
      item.lParam = 50 + n;
      SendMessageW(header, HDM_INSERTITEMW, n++, reinterpret_cast<LPARAM>(&item));
    }
    return header;
  }
  static RECT ItemRect(HWND h, int i) {
    RECT r{};
    SendMessageW(h, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  HWND parent_ = nullptr;
};

TEST_F(ComCtlHeader, MessagesAndTheirAnswers) {
  HWND header = MakeHeader(0, {80, 60, 100});
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(header, HDM_GETBITMAPMARGIN, 0, 0), 3 * GetSystemMetrics(SM_CXEDGE));
  EXPECT_EQ(SendMessageW(header, HDM_GETIMAGELIST, 0, 0), 0);
  const RECT second = ItemRect(header, 1);
  EXPECT_EQ(second.left, 80);
  EXPECT_EQ(second.right, 140);
  EXPECT_EQ(second.bottom, 24);
  RECT untouched{1, 1, 1, 1};
  EXPECT_FALSE(SendMessageW(header, HDM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&untouched)));
  EXPECT_EQ(untouched.left, 1);

  char16_t wide[4];
  HDITEMW w{};
  w.mask = HDI_TEXT | HDI_LPARAM | HDI_ORDER;
  w.pszText = wide;
  w.cchTextMax = 4;
  ASSERT_TRUE(SendMessageW(header, HDM_GETITEMW, 2, reinterpret_cast<LPARAM>(&w)));
  EXPECT_EQ(std::u16string(wide), u"Col");
  EXPECT_EQ(w.lParam, 52);
  EXPECT_EQ(w.iOrder, 2);
  char narrow[16];
  HDITEMA a{};
  a.mask = HDI_TEXT;
  a.pszText = narrow;
  a.cchTextMax = 16;
  ASSERT_TRUE(SendMessageW(header, HDM_GETITEMA, 0, reinterpret_cast<LPARAM>(&a)));
  EXPECT_EQ(std::string(narrow), "Column A");
  EXPECT_FALSE(SendMessageW(header, HDM_GETITEMW, 9, reinterpret_cast<LPARAM>(&w)));

  // Display order: the third item first.
  const int order[] = {2, 0, 1};
  EXPECT_TRUE(SendMessageW(header, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(order)));
  const int bad[] = {0, 0, 1};
  EXPECT_FALSE(SendMessageW(header, HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(bad)));
  EXPECT_EQ(SendMessageW(header, HDM_ORDERTOINDEX, 0, 0), 2);
  EXPECT_EQ(SendMessageW(header, HDM_ORDERTOINDEX, 1, 0), 0);
  EXPECT_EQ(ItemRect(header, 2).left, 0);
  EXPECT_EQ(ItemRect(header, 0).left, 100);

  struct Hit {
    POINT pt;
    int item;
    UINT flags;
  };
  const Hit hits[] = {{{50, 10}, 2, HHT_ONHEADER},  {{100, 10}, 2, HHT_ONDIVIDER}, {{150, 10}, 0, HHT_ONHEADER},
                      {{290, 10}, -1, HHT_NOWHERE}, {{20, -3}, -1, HHT_ABOVE},     {{400, 10}, -1, HHT_TORIGHT}};
  for (const Hit& h : hits) {
    HDHITTESTINFO info{h.pt, 0, 0};
    EXPECT_EQ(SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)), h.item) << h.pt.x;
    EXPECT_EQ(info.flags, h.flags) << h.pt.x;
  }

  RECT parentArea{0, 0, 400, 300};
  WINDOWPOS pos{};
  HDLAYOUT layout{&parentArea, &pos};
  EXPECT_TRUE(SendMessageW(header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout)));
  EXPECT_GT(pos.cy, 10);
  EXPECT_EQ(parentArea.top, pos.cy);
  EXPECT_EQ(pos.cx, 400);

  EXPECT_TRUE(SendMessageW(header, HDM_DELETEITEM, 2, 0));
  EXPECT_EQ(SendMessageW(header, HDM_ORDERTOINDEX, 0, 0), 0);
  EXPECT_FALSE(SendMessageW(header, HDM_DELETEITEM, 2, 0));
}

TEST_F(ComCtlHeader, DividersDragAndButtonsClick) {
  HWND header = MakeHeader(HDS_BUTTONS, {80, 60});
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 10));
  SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 10));
  SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(100, 10));
  EXPECT_EQ(ItemRect(header, 0).right, 100);
  EXPECT_EQ(
      notes,
      (std::vector<std::pair<UINT, int>>{
          {HDN_BEGINTRACKW, 0}, {HDN_TRACKW, 0}, {HDN_ITEMCHANGINGW, 0}, {HDN_ITEMCHANGEDW, 0}, {HDN_ENDTRACKW, 0}}));
  notes.clear();
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(130, 10));
  Canvas canvas(300, 24);
  SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(110, 0), GetSysColor(COLOR_BTNSHADOW)) << "pressed: a flat shadow frame";
  SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(130, 10));
  EXPECT_EQ(notes, (std::vector<std::pair<UINT, int>>{{HDN_ITEMCLICKW, 1}}));
  notes.clear();
  // Released elsewhere: no click.
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(130, 10));
  SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(250, 10));
  SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(250, 10));
  EXPECT_TRUE(notes.empty());
}

TEST_F(ComCtlHeader, ClassicLookFillerSortArrowOwnerDrawAndFilterBar) {
  HWND header = MakeHeader(0, {80, 60});
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  item.fmt = HDF_LEFT | HDF_STRING | HDF_SORTUP;
  SendMessageW(header, HDM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  Canvas canvas(300, 24, RGB(0, 0, 255));
  SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(40, 0), GetSysColor(COLOR_3DLIGHT)) << "raised item";
  EXPECT_EQ(canvas.At(79, 10), GetSysColor(COLOR_3DDKSHADOW)) << "its right edge";
  EXPECT_EQ(canvas.At(200, 0), GetSysColor(COLOR_3DLIGHT)) << "the filler after the items";
  // The up arrow: widest at its base, one pixel at its tip.
  const int ax = 80 - 12, ay = 12;
  EXPECT_EQ(canvas.At(ax, ay - 2), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(canvas.At(ax - 1, ay - 2), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(canvas.At(ax - 4, ay + 2), GetSysColor(COLOR_BTNSHADOW));

  // A header narrower than its items has no filler.
  SetWindowPos(header, nullptr, 0, 0, 120, 24, SWP_NOZORDER | SWP_NOMOVE);
  Canvas narrow(120, 24, RGB(0, 0, 255));
  SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(narrow.Dc()), PRF_CLIENT);
  EXPECT_EQ(narrow.At(100, 10), GetSysColor(COLOR_BTNFACE));

  item.fmt = HDF_OWNERDRAW;
  SendMessageW(header, HDM_SETITEMW, 1, reinterpret_cast<LPARAM>(&item));
  SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(drawn, std::vector<UINT>{1});

  // The filter bar (from 5.80): items in the upper half, sunken fields below.
  SetWindowPos(header, nullptr, 0, 0, 300, 40, SWP_NOZORDER | SWP_NOMOVE);
  SetWindowLongW(header, GWL_STYLE, GetWindowLongW(header, GWL_STYLE) | HDS_FILTERBAR);
  Canvas tall(300, 40, RGB(0, 0, 255));
  SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(tall.Dc()), PRF_CLIENT);
  EXPECT_EQ(tall.At(20, 25), GetSysColor(COLOR_WINDOW)) << "the filter field";
  HDHITTESTINFO info{{20, 30}, 0, 0};
  EXPECT_EQ(SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.flags, static_cast<UINT>(HHT_ONFILTER));
}

}  // namespace

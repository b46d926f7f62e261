// The list view: items and sub-items, columns through its header, selection and its
// notification, scrolling (LVM_SCROLL, the scroll bar), colours, and painting.
#include "comctl_test_support.h"
#include "user_test_support.h"

using comctltest::Canvas;

namespace {

std::vector<std::pair<UINT, int>> heard;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* h = reinterpret_cast<const NMHDR*>(lParam);
    if (h->code == LVN_ITEMCHANGED) heard.emplace_back(h->code, reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ComCtlListView : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"ListOwner";
    RegisterClassW(&wc);
    heard.clear();
    parent_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 400, 300}, 0, u"ListOwner");
  }
  HWND MakeReport(int count) {
    HWND list =
        Make(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, parent_, RECT{0, 0, 300, 200}, 0, WC_LISTVIEWW, 3);
    std::u16string name = u"Name", size = u"Size";
    LVCOLUMNW column{LVCF_TEXT | LVCF_WIDTH, 0, 120, name.data(), 0, 0};
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = size.data();
    column.cx = 80;
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < count; ++i) {
      std::u16string text = u"Item " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = i;
      item.pszText = text.data();
      item.lParam = i;
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      std::u16string sub = u"12 KB";
      item.iSubItem = 1;
      item.pszText = sub.data();
      SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
    }
    return list;
  }
  HWND parent_ = nullptr;
};

TEST_F(ComCtlListView, MessagesAndTheirAnswers) {
  HWND list = MakeReport(50);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 50);
  const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 80);
  char16_t text[8];
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = 2;
  item.iSubItem = 1;
  item.pszText = text;
  item.cchTextMax = 3;
  ASSERT_TRUE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(std::u16string(text), u"12");
  EXPECT_EQ(item.lParam, 2);
  item.iItem = 50;
  EXPECT_FALSE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));

  // Colours: -1 and CLR_DEFAULT are the system's.
  EXPECT_EQ(SendMessageW(list, LVM_GETBKCOLOR, 0, 0), static_cast<LRESULT>(GetSysColor(COLOR_WINDOW)));
  SendMessageW(list, LVM_SETBKCOLOR, 0, RGB(200, 220, 240));
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, RGB(90, 0, 0));
  EXPECT_EQ(SendMessageW(list, LVM_GETBKCOLOR, 0, 0), static_cast<LRESULT>(RGB(200, 220, 240)));
  EXPECT_EQ(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0), static_cast<LRESULT>(RGB(90, 0, 0)));
  EXPECT_EQ(SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0), static_cast<LRESULT>(RGB(200, 220, 240)));

  // Scrolling by pixels moves whole rows.
  const int perPage = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
  EXPECT_GT(perPage, 5);
  RECT first{};
  SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  const int row = first.bottom - first.top;
  EXPECT_EQ(HIWORD(SendMessageW(list, LVM_GETITEMSPACING, TRUE, 0)), row);
  SendMessageW(list, LVM_SCROLL, 0, 3 * row);
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 3);
  SendMessageW(list, LVM_ENSUREVISIBLE, 49, FALSE);
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 50 - perPage);
  SendMessageW(list, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 0);

  // A click selects its row and tells the owner.
  RECT third{};
  SendMessageW(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&third));
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, third.top + 2));
  EXPECT_EQ(heard, (std::vector<std::pair<UINT, int>>{{LVN_ITEMCHANGED, 2}}));
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);

  Canvas canvas(300, 200);
  SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(250, third.top + 2), RGB(200, 220, 240)) << "the view's background past the columns";
  EXPECT_EQ(canvas.At(110, third.top + 2), GetSysColor(COLOR_HIGHLIGHT)) << "the selected row";
  EXPECT_EQ(canvas.At(110, first.top + 2), RGB(200, 220, 240));

  EXPECT_TRUE(SendMessageW(list, LVM_DELETEITEM, 0, 0));
  EXPECT_FALSE(SendMessageW(list, LVM_DELETEITEM, 49, 0));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 49);
}

TEST_F(ComCtlListView, IconAndListModesLayOutTheirItems) {
  HWND list = MakeReport(12);
  SetWindowLongW(list, GWL_STYLE, WS_CHILD | WS_VISIBLE | LVS_ICON);
  SendMessageW(list, WM_STYLECHANGED, GWL_STYLE, 0);
  RECT a{}, b{};
  SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&a));
  SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a.top, b.top) << "icons side by side";
  EXPECT_EQ(b.left - a.left, LOWORD(SendMessageW(list, LVM_GETITEMSPACING, FALSE, 0)));
  LVHITTESTINFO hit{{b.left + 3, b.top + 3}, 0, 0, 0};
  EXPECT_EQ(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
  SetWindowLongW(list, GWL_STYLE, WS_CHILD | WS_VISIBLE | LVS_LIST);
  SendMessageW(list, WM_STYLECHANGED, GWL_STYLE, 0);
  SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&b));
  SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&a));
  EXPECT_EQ(b.top, a.bottom) << "rows below each other";
  EXPECT_EQ(a.top, 0) << "no header outside report mode";
}

}  // namespace

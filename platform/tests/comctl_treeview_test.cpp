// The tree view: items in a hierarchy, expanding with the owner's say, selection and its
// notification, hit tests, and its colours (-1 and CLR_DEFAULT are the system's).
#include <cstring>

#include "comctl_test_support.h"
#include "user_test_support.h"

using comctltest::Canvas;

namespace {

std::vector<UINT> codes;
bool refuseExpand = false;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
    codes.push_back(code);
    return code == TVN_ITEMEXPANDINGW && refuseExpand;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ComCtlTreeView : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"TreeOwner";
    RegisterClassW(&wc);
    codes.clear();
    refuseExpand = false;
    parent_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 400, 300}, 0, u"TreeOwner");
    tree_ = Make(WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS, parent_,
                 RECT{0, 0, 200, 150}, 0, WC_TREEVIEWW, 5);
    a_ = Add(TVI_ROOT, u"Alpha");
    a1_ = Add(a_, u"Alpha one");
    a2_ = Add(a_, u"Alpha two");
    b_ = Add(TVI_ROOT, u"Beta");
  }
  HTREEITEM Add(HTREEITEM parent, const char16_t* text) {
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = const_cast<LPWSTR>(text);
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
  }
  RECT Rect(HTREEITEM item, BOOL textOnly = TRUE) {
    RECT r{};
    std::memcpy(&r, &item, sizeof(item));  // the item goes in where the rectangle comes out
    if (!SendMessageW(tree_, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&r))) return RECT{-1, -1, -1, -1};
    return r;
  }
  HTREEITEM NextOf(UINT how, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
  }
  HWND parent_ = nullptr, tree_ = nullptr;
  HTREEITEM a_ = nullptr, a1_ = nullptr, a2_ = nullptr, b_ = nullptr;
};

TEST_F(ComCtlTreeView, HierarchyExpandingAndSelection) {
  ASSERT_NE(a2_, nullptr);
  EXPECT_EQ(SendMessageW(tree_, TVM_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(NextOf(TVGN_ROOT, nullptr), a_);
  EXPECT_EQ(NextOf(TVGN_NEXT, a_), b_);
  EXPECT_EQ(NextOf(TVGN_CHILD, a_), a1_);
  EXPECT_EQ(NextOf(TVGN_PARENT, a2_), a_);
  EXPECT_EQ(NextOf(TVGN_NEXTVISIBLE, a_), b_) << "children hidden while collapsed";
  EXPECT_EQ(Rect(a1_).left, -1);

  refuseExpand = true;
  EXPECT_FALSE(SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(a_)));
  refuseExpand = false;
  EXPECT_TRUE(SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(a_)));
  EXPECT_EQ(codes, (std::vector<UINT>{TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW}));
  EXPECT_EQ(NextOf(TVGN_NEXTVISIBLE, a_), a1_);
  const RECT r1 = Rect(a1_), r0 = Rect(a_);
  EXPECT_GT(r1.left, r0.left) << "children indented";
  EXPECT_EQ(r1.top, r0.bottom);

  // A click on a label selects it; on the button it toggles.
  codes.clear();
  SendMessageW(tree_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r1.left + 3, r1.top + 2));
  EXPECT_EQ(NextOf(TVGN_CARET, nullptr), a1_);
  EXPECT_EQ(codes, std::vector<UINT>{TVN_SELCHANGEDW});
  TVHITTESTINFO hit{{r0.left - 10, r0.top + r0.bottom - r0.top / 2}, 0, nullptr};
  hit.pt.y = (r0.top + r0.bottom) / 2;
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))), a_);
  EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_ONITEMBUTTON));
  SendMessageW(tree_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hit.pt.x, hit.pt.y));
  EXPECT_EQ(NextOf(TVGN_NEXTVISIBLE, a_), b_) << "collapsed by its button";
  EXPECT_EQ(NextOf(TVGN_CARET, nullptr), a_) << "the selection leaves a hidden child";

  char16_t text[6];
  TVITEMW item{};
  item.mask = TVIF_TEXT | TVIF_CHILDREN;
  item.hItem = a_;
  item.pszText = text;
  item.cchTextMax = 6;
  ASSERT_TRUE(SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(std::u16string(text), u"Alpha");
  EXPECT_EQ(item.cChildren, 1);
  EXPECT_TRUE(SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(a_)));
  EXPECT_EQ(SendMessageW(tree_, TVM_GETCOUNT, 0, 0), 1);
  item.hItem = a1_;
  EXPECT_FALSE(SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) << "a deleted child is gone";
}

TEST_F(ComCtlTreeView, ColoursAndLook) {
  EXPECT_EQ(SendMessageW(tree_, TVM_GETBKCOLOR, 0, 0), -1);
  EXPECT_EQ(SendMessageW(tree_, TVM_SETBKCOLOR, 0, RGB(240, 230, 200)), -1);
  EXPECT_EQ(SendMessageW(tree_, TVM_SETLINECOLOR, 0, RGB(0, 128, 0)), static_cast<LRESULT>(CLR_DEFAULT));
  SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(b_));
  Canvas canvas(200, 150, RGB(0, 0, 255));
  SendMessageW(tree_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(190, 140), RGB(240, 230, 200));
  const RECT b = Rect(b_);
  EXPECT_EQ(canvas.At(b.right - 1, b.top + 1), GetSysColor(COLOR_BTNFACE)) << "selected without the focus";
  // The line from the root's button towards the item is green.
  const RECT a = Rect(a_);
  int green = 0;
  for (int x = 0; x < a.left; ++x) green += canvas.At(x, (a.top + a.bottom) / 2) == RGB(0, 128, 0);
  EXPECT_GT(green, 0);
  // Back to the system's colour.
  SendMessageW(tree_, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(-1));
  SendMessageW(tree_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(190, 140), GetSysColor(COLOR_WINDOW));
}

}  // namespace

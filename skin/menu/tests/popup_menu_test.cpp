// The skinned popup: layout rules (check column, bitmap rows, columns at menu breaks),
// themed and classic painting probed by colour, and placement on the screen (left of a
// parent without room, above a bar near the bottom, on a monitor at negative coordinates).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <win/gdi.h>
#include <win/menu.h>
#include <win/user.h>
#include <win/user_ownerdraw.h>

#include "menu_test_support.h"
#include "ornatex/menu/menu_loop.h"
#include "ornatex/menu/popup_menu.h"

namespace {

using namespace menutest;

// A popup object over a menu, driven by a loop of its own as a run would.
class PopupFixture : public MenuTest {
 protected:
  void TearDown() override {
    for (CKtkSkinPopupMenu* p : popups_) p->InternalRelease();
    for (CKtkSkinMenuLoop* l : loops_) l->Free();
    MenuTest::TearDown();
  }
  CKtkSkinPopupMenu* Make(HWND owner, HMENU menu, bool window = false) {
    CKtkSkinMenuLoop* loop = CKtkSkinMenuLoop::Create(owner);
    loops_.push_back(loop);
    auto* popup = new CKtkSkinPopupMenu;
    popups_.push_back(popup);
    popup->m_pLoop = loop;
    popup->m_hOwner = owner;
    popup->m_hMenu = menu;
    if (window) {
      EXPECT_TRUE(popup->CreatePopupWindow(owner));
    }
    return popup;
  }
  static HBITMAP Bitmap(int w, int h) {
    HDC screen = GetDC(nullptr);
    HBITMAP b = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    return b;
  }
  static void SetItemBitmap(HMENU menu, int position, HBITMAP bitmap) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = bitmap;
    ASSERT_TRUE(SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info));
  }
  std::vector<CKtkSkinPopupMenu*> popups_;
  std::vector<CKtkSkinMenuLoop*> loops_;
};

TEST_F(PopupFixture, ItemBitmapsWidenTheCheckColumnAndHeightenTheirRow) {
  HWND w = Owner();
  HBITMAP wide = Bitmap(40, 30);
  for (bool themed : {false, true}) {
    if (themed) LoadSkin();
    HMENU menu = Popup({{1, u"&One"}, {2, u"&Two"}});
    SetItemBitmap(menu, 1, wide);
    CKtkSkinPopupMenu* popup = Make(w, menu);
    EXPECT_EQ(popup->IsThemed(), themed);
    popup->Layout();
    EXPECT_EQ(popup->m_nCheckWidth, themed ? 52 : 44) << themed;
    EXPECT_EQ(popup->GetItem(1)->m_rect.bottom - popup->GetItem(1)->m_rect.top, 34) << themed;
    EXPECT_EQ(popup->GetItem(0)->m_rect.bottom - popup->GetItem(0)->m_rect.top, themed ? 22 : 17);
  }
  DeleteObject(wide);
}

TEST_F(PopupFixture, MenuBreaksMakeColumnsFourPixelsApart) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"Short"}, {2, u"A much longer item"}, {3, u"Next"}, {4, u"x"}, {5, u"y"}, {6, u"z"}});
  ModifyMenuW(menu, 2, MF_BYPOSITION | MF_STRING | MF_MENUBREAK, 3, u"Next");
  ModifyMenuW(menu, 5, MF_BYPOSITION | MF_STRING | MF_MENUBARBREAK, 6, u"z");
  CKtkSkinPopupMenu* popup = Make(w, menu);
  const SIZE size = popup->Layout();
  auto rect = [&](int i) { return popup->GetItem(i)->m_rect; };
  // Columns: {0, 1}, {2, 3, 4}, {5}.
  EXPECT_EQ(rect(0).right - rect(0).left, rect(1).right - rect(1).left) << "as wide as the widest";
  EXPECT_EQ(rect(2).left, rect(0).right + 4);
  EXPECT_EQ(rect(5).left, rect(2).right + 4);
  EXPECT_EQ(rect(2).top, 3);
  EXPECT_EQ(rect(3).right - rect(3).left, rect(4).right - rect(4).left);
  EXPECT_EQ(size.cx, rect(5).right + 3);
  EXPECT_EQ(size.cy, rect(4).bottom + 3) << "the tallest column and 3";

  // The last column the tallest: its items stay off the bottom border too.
  HMENU last = Popup({{1, u"a"}, {2, u"b"}, {3, u"c"}});
  ModifyMenuW(last, 1, MF_BYPOSITION | MF_STRING | MF_MENUBREAK, 2, u"b");
  CKtkSkinPopupMenu* second = Make(w, last);
  const SIZE lastSize = second->Layout();
  EXPECT_EQ(lastSize.cy, second->GetItem(2)->m_rect.bottom + 3);
}

LRESULT CALLBACK MeasuringProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MEASUREITEM) {
    auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    m->itemWidth = m->itemID == 9 ? 0xFFFFFFF0u : 50;  // one answer far too large
    m->itemHeight = 25;
    return TRUE;
  }
  return RecordingProc(hwnd, message, wParam, lParam);
}

TEST_F(PopupFixture, AnOwnerDrawnItemMakesThePopupClassic) {
  LoadSkin();
  HWND w = Owner();
  SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MeasuringProc));
  HMENU menu = Popup({{1, u"&One"}});
  CKtkSkinPopupMenu* popup = Make(w, menu);
  EXPECT_TRUE(popup->IsThemed());
  AppendMenuW(menu, MF_OWNERDRAW, 2, nullptr);
  EXPECT_FALSE(popup->IsThemed());
  popup->Layout();
  const RECT drawn = popup->GetItem(1)->m_rect;
  EXPECT_EQ(drawn.bottom - drawn.top, 25);
  EXPECT_EQ(popup->GetItem(0)->m_rect.right - popup->GetItem(0)->m_rect.left, drawn.right - drawn.left)
      << "one column, as wide as its widest";
  AppendMenuW(menu, MF_OWNERDRAW, 9, nullptr);
  const SIZE huge = popup->Layout();
  EXPECT_GT(huge.cx, 0) << "an enormous answer does not overflow";
  EXPECT_LE(huge.cx, 0x7FFF + 20);
}

// Paints the popup into a DC of its own size and reads pixels back.
struct Canvas {
  Canvas(CKtkSkinPopupMenu* popup, SIZE size) : rect{0, 0, size.cx, size.cy} {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    popup->Paint(dc, rect);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  RECT rect;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

TEST_F(PopupFixture, ThemedAndClassicPaintingByProbes) {
  HWND w = Owner();
  HMENU sub = Popup({{10, u"Inner"}});
  HMENU menu = Popup({{1, u"&First"}, {0, nullptr}, {2, u"&Checked"}, {3, u"Gone"}});
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&More");
  CheckMenuItem(menu, 2, MF_BYCOMMAND | MF_CHECKED);
  EnableMenuItem(menu, 3, MF_BYCOMMAND | MF_GRAYED);

  // Classic: menu colour, a shadow frame, the highlight on the selected item, the two
  // separator lines.
  {
    CKtkSkinPopupMenu* popup = Make(w, menu);
    const SIZE size = popup->Layout();
    popup->m_nSelected = 0;
    Canvas c(popup, size);
    const RECT first = popup->GetItem(0)->m_rect, separator = popup->GetItem(1)->m_rect;
    const RECT more = popup->GetItem(4)->m_rect;
    EXPECT_EQ(c.At(0, size.cy / 2), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(first.right - 2, first.top + 1), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(c.At(more.right - 30, more.top + 1), GetSysColor(COLOR_MENU));
    const int middle = (separator.top + separator.bottom) / 2;
    EXPECT_EQ(c.At(separator.left + 10, middle), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(separator.left + 10, middle + 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.At(more.right - 6, (more.top + more.bottom) / 2), GetSysColor(COLOR_MENUTEXT)) << "the arrow";
  }
  // Themed: the skin's parts.
  LoadSkin();
  {
    CKtkSkinPopupMenu* popup = Make(w, menu);
    ASSERT_TRUE(popup->IsThemed());
    const SIZE size = popup->Layout();
    popup->m_nSelected = 3;  // a disabled item is still drawn hot
    Canvas c(popup, size);
    const RECT gone = popup->GetItem(3)->m_rect, separator = popup->GetItem(1)->m_rect;
    const RECT more = popup->GetItem(4)->m_rect;
    EXPECT_EQ(c.At(1, 1), kBorders);
    EXPECT_EQ(c.At(5, size.cy - 5), kGutter);
    const RECT first = popup->GetItem(0)->m_rect;
    EXPECT_EQ(c.At(first.right - 4, first.top + 1), kBackground);
    EXPECT_EQ(c.At(size.cx - 2, more.bottom + 1), kBorders);
    EXPECT_EQ(c.At(gone.right - 3, gone.top + 1), kHot);
    EXPECT_EQ(c.At(separator.right - 3, separator.top + 1), kSeparator);
    EXPECT_EQ(c.At(more.right - 12, (more.top + more.bottom) / 2), kArrow);
  }
}

TEST_F(PopupFixture, SubmenusWithoutRoomOpenLeftAndTheirOwnFollow) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"Item"}});
  CKtkSkinPopupMenu* parent = Make(w, menu);
  CKtkSkinPopupMenu* child = Make(w, menu);
  CKtkSkinPopupMenu* grandchild = Make(w, menu);
  const int screenRight = GetSystemMetrics(SM_CXSCREEN);
  // The parent item ends 50 pixels from the screen's right edge.
  const RECT item{screenRight - 250, 300, screenRight - 50, 320};
  const POINT at = child->PlaceSubmenu(parent, item, 150, 100);
  EXPECT_EQ(at.x, item.left - 150 + 3);
  EXPECT_EQ(at.y, item.top - 3);
  EXPECT_TRUE(child->m_bDroppedLeft);
  // Its own submenu prefers the left while there is room there.
  const RECT childItem{at.x, 320, at.x + 150, 340};
  const POINT next = grandchild->PlaceSubmenu(child, childItem, 150, 100);
  EXPECT_EQ(next.x, childItem.left - 150 + 3);
  EXPECT_TRUE(grandchild->m_bDroppedLeft);
  // No room on the left either: it goes right again.
  CKtkSkinPopupMenu* last = Make(w, menu);
  const RECT nearLeft{10, 320, 160, 340};
  EXPECT_EQ(last->PlaceSubmenu(grandchild, nearLeft, 150, 100).x, nearLeft.right - 3);
}

TEST_F(PopupFixture, UnderABarNearTheBottomTheMenuOpensAbove) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"Item"}});
  CKtkSkinPopupMenu* bar = Make(w, menu);
  bar->m_bMenuBar = TRUE;
  CKtkSkinPopupMenu* popup = Make(w, menu);
  const int bottom = GetSystemMetrics(SM_CYSCREEN);
  const RECT item{200, bottom - 40, 260, bottom - 21};
  const POINT at = popup->PlaceSubmenu(bar, item, 120, 200);
  EXPECT_EQ(at.x, item.left);
  EXPECT_EQ(at.y, item.bottom - 200 - GetSystemMetrics(SM_CYMENUSIZE));
  EXPECT_LE(at.y + 200, item.top + 1);
  // With room, below the item.
  const RECT high{200, 100, 260, 119};
  EXPECT_EQ(popup->PlaceSubmenu(bar, high, 120, 200).y, high.bottom);
}

TEST_F(PopupFixture, TrackedPopupsStayOnAMonitorAtNegativeCoordinates) {
  const char* saved = std::getenv("KX2_MONITORS");
  const std::string keep = saved ? saved : "";
  setenv("KX2_MONITORS", "1280x1024+0+0,800x600-800+0", 1);
  HWND w = Owner();
  HMENU menu = Popup({{1, u"Item"}});
  CKtkSkinPopupMenu* popup = Make(w, menu);
  const struct {
    POINT point;
    UINT flags;
    POINT expected;
  } cases[] = {
      {{-100, 100}, 0, {-100 - 150, 100}},          // no room right: left of the point
      {{-100, 100}, TPM_CENTERALIGN, {-150, 100}},  // centred and crossing: against the edge
      {{-700, 550}, 0, {-700, 550 - 120}},          // no room below: above the point
      {{-10, 590}, 0, {-160, 590 - 120}},           // neither: above and left
  };
  for (const auto& c : cases) {
    const POINT at = popup->PlaceTrackedPopup(c.point, 150, 120, c.flags, nullptr);
    EXPECT_EQ(at.x, c.expected.x) << c.point.x << "," << c.point.y;
    EXPECT_EQ(at.y, c.expected.y) << c.point.x << "," << c.point.y;
    EXPECT_GE(at.x, -800);
    EXPECT_LE(at.x + 150, 0);
  }
  // Submenus too.
  CKtkSkinPopupMenu* child = Make(w, menu);
  const RECT item{-300, 580, -10, 598};
  const POINT at = child->PlaceSubmenu(popup, item, 200, 100);
  EXPECT_GE(at.x, -800);
  EXPECT_LE(at.x + 200, 0);
  EXPECT_LE(at.y + 100, 600);
  // An exclusion rectangle is kept clear where the popup had to move.
  const RECT exclude{-400, 500, -100, 600};
  const POINT clear = popup->PlaceTrackedPopup(POINT{-300, 550}, 150, 120, 0, &exclude);
  EXPECT_EQ(clear.y, exclude.top - 120);
  if (saved)
    setenv("KX2_MONITORS", keep.c_str(), 1);
  else
    unsetenv("KX2_MONITORS");
}

}  // namespace

// Probes of the classic pop-up menu: check marks, radio bullets, sub-menu arrows, the
// selected item, greyed and default texts, shortcuts, column breaks, item bitmaps and
// owner-drawn items. The pop-up is captured while a scripted run shows it.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "kx2/Compositor.h"
#include "kx2/IdleHandler.h"
#include "kx2/InputState.h"
#include "user_test_support.h"
#include "win/gdi.h"
#include "win/menu.h"
#include "win/user_ownerdraw.h"

namespace {

using usertest::Pump;

struct Capture {
  cairo_surface_t* surface = nullptr;
  RECT window{};
  ~Capture() {
    if (surface) cairo_surface_destroy(surface);
  }
  COLORREF At(int x, int y) const {
    const auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Pixels of a colour inside a rectangle (window coordinates).
  int Count(const RECT& r, COLORREF colour) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour;
    return n;
  }
  // Text is smoothed: its ink is every clearly dark pixel.
  static bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 240; }
  int DarkCount(const RECT& r) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += Dark(At(x, y));
    return n;
  }
  // The left and right ends of the dark pixels inside a rectangle.
  std::pair<int, int> Ink(const RECT& r) const {
    int left = INT32_MAX, right = -1;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (Dark(At(x, y))) left = std::min(left, x), right = std::max(right, x);
    return {left, right};
  }
};

std::vector<UINT> g_measured, g_drawn;
RECT g_drawnRect{};
UINT g_drawnState = 0;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MEASUREITEM) {
    auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (m->CtlType == ODT_MENU && m->itemData == 0xBEEF) {
      g_measured.push_back(m->itemID);
      m->itemWidth = 60;
      m->itemHeight = 25;
    }
    return TRUE;
  }
  if (message == WM_DRAWITEM) {
    auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (d->CtlType == ODT_MENU && d->itemData == 0xBEEF) {
      g_drawn.push_back(d->itemID);
      g_drawnRect = d->rcItem;
      g_drawnState = d->itemState;
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      FillRect(d->hDC, &d->rcItem, red);
      DeleteObject(red);
    }
    return TRUE;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class MenuPaintTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"MenuPaintOwner";
    RegisterClassW(&wc);
    owner_ = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{50, 50, 450, 350}, 0, u"MenuPaintOwner");
    SetActiveWindow(owner_);
    SetFocus(owner_);
    Pump();
    g_measured.clear();
    g_drawn.clear();
  }
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    WindowTest::TearDown();
  }
  // Shows `menu` at (100, 100), selects `selected` items down from the top with the keys,
  // then hands the captured pop-up and its item rectangles (window coordinates) to `probe`.
  void Look(HMENU menu, int downs, const std::function<void(const Capture&, const std::vector<RECT>&)>& probe,
            const char* picture) {
    struct Steps {
      std::vector<std::function<void()>> list;
      size_t next = 0;
      static BOOL Run(void* context) {
        auto* s = static_cast<Steps*>(context);
        if (s->next < s->list.size()) s->list[s->next++]();
        return s->next < s->list.size();
      }
    } steps;
    for (int i = 0; i < downs; ++i) steps.list.push_back([] { Kx2InjectKeyStroke(VK_DOWN); });
    steps.list.push_back([&] {
      HWND popup = FindWindowW(u"#32768", nullptr);
      ASSERT_NE(popup, nullptr);
      Capture c;
      GetWindowRect(popup, &c.window);
      c.surface = Kx2CaptureWindow(popup);
      std::vector<RECT> items;
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        RECT r{};
        GetMenuItemRect(owner_, menu, static_cast<UINT>(i), &r);
        OffsetRect(&r, -c.window.left, -c.window.top);
        items.push_back(r);
      }
      probe(c, items);
      if (const char* dir = std::getenv("KX2_TEST_OUTPUT")) {
        const std::string path = std::string(dir) + "/" + picture;
        cairo_surface_write_to_png(c.surface, path.c_str());
      }
      EndMenu();
    });
    Kx2SetIdleHandler(&Steps::Run, &steps);
    TrackPopupMenuEx(menu, TPM_RETURNCMD, 100, 100, owner_, nullptr);
    Kx2SetIdleHandler(nullptr, nullptr);
  }
  HWND owner_ = nullptr;
};

COLORREF Sys(int index) { return GetSysColor(index); }

TEST_F(MenuPaintTest, ClassicItemsShowTheirMarks) {
  HMENU sub = CreatePopupMenu();
  AppendMenuW(sub, MF_STRING, 50, u"Inner");
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING | MF_CHECKED, 1, u"&Checked");
  AppendMenuW(menu, MF_STRING, 2, u"Radio");
  CheckMenuRadioItem(menu, 2, 2, 2, MF_BYCOMMAND);
  AppendMenuW(menu, MF_STRING | MF_GRAYED, 3, u"Greyed");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, 4, u"Same");
  AppendMenuW(menu, MF_STRING, 5, u"Same");
  SetMenuDefaultItem(menu, 5, FALSE);
  AppendMenuW(menu, MF_STRING, 6, u"Save\tCtrl+S");
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"More");
  Look(
      menu, 1,
      [&](const Capture& c, const std::vector<RECT>& items) {
        ASSERT_EQ(items.size(), 8u);
        const COLORREF text = Sys(COLOR_MENUTEXT), highlight = Sys(COLOR_HIGHLIGHT);
        // The first item is selected: highlighted, its check mark in the highlight text colour.
        const RECT& checked = items[0];
        const int m0 = (checked.top + checked.bottom) / 2;
        EXPECT_EQ(c.At(checked.left + 2, checked.top + 2), highlight);
        EXPECT_EQ(c.At(checked.left + 7, m0 + 3), Sys(COLOR_HIGHLIGHTTEXT)) << "check mark";
        const RECT& radio = items[1];
        EXPECT_EQ(c.At(radio.left + 8, (radio.top + radio.bottom) / 2), text) << "bullet";
        EXPECT_EQ(c.At(radio.left + 2, radio.top + 2), Sys(COLOR_MENU));
        // Greyed text: drawn (light and shadow), but nowhere dark.
        RECT greyed = items[2];
        EXPECT_LT(c.Count(greyed, Sys(COLOR_MENU)), (greyed.right - greyed.left) * (greyed.bottom - greyed.top));
        EXPECT_EQ(c.DarkCount(greyed), 0);
        // Separator: a shadow line across the middle.
        const RECT& sep = items[3];
        EXPECT_EQ(c.At((sep.left + sep.right) / 2, (sep.top + sep.bottom) / 2 - 1), Sys(COLOR_BTNSHADOW));
        // The default item is drawn bold: wider ink than the same text plain.
        const auto plain = c.Ink(items[4]), bold = c.Ink(items[5]);
        EXPECT_GT(bold.second - bold.first, plain.second - plain.first);
        // The shortcut ends 20 pixels before the item's right edge.
        const RECT& save = items[6];
        const auto ink = c.Ink(save);
        EXPECT_LE(ink.second, save.right - 20);
        EXPECT_GE(ink.second, save.right - 24);
        // The sub-menu arrow's tip is 5 pixels in from the right edge.
        const RECT& more = items[7];
        const int mm = (more.top + more.bottom) / 2;
        EXPECT_EQ(c.At(more.right - 7, mm), text);
        EXPECT_EQ(c.At(more.right - 3, mm), Sys(COLOR_MENU));
        for (const RECT& r : items) EXPECT_EQ(r.right - r.left, items[0].right - items[0].left) << "one column";
      },
      "menu_classic_popup.png");
  DestroyMenu(menu);
}

TEST_F(MenuPaintTest, BreaksBitmapsAndOwnerDrawnItems) {
  HDC screen = GetDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(screen, 40, 30);
  ReleaseDC(nullptr, screen);
  {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, picture);
    RECT all{0, 0, 40, 30};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &all, blue);
    DeleteObject(blue);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 1, u"One");
  AppendMenuW(menu, MF_STRING, 2, u"Two");
  AppendMenuW(menu, MF_STRING | MF_MENUBARBREAK, 3, u"Three, in a column of its own");
  AppendMenuW(menu, MF_OWNERDRAW, 4, reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(0xBEEF)));
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_BITMAP | MIIM_ID | MIIM_STRING;
  info.wID = 5;
  info.hbmpItem = picture;
  char16_t text[] = u"Pictured";
  info.dwTypeData = text;
  InsertMenuItemW(menu, 5, TRUE, &info);
  Look(
      menu, 0,
      [&](const Capture& c, const std::vector<RECT>& items) {
        ASSERT_EQ(items.size(), 5u);
        EXPECT_EQ(items[2].top, items[0].top) << "a break starts a column at the top";
        EXPECT_EQ(items[2].left, items[0].right + 4);
        EXPECT_EQ(items[0].right - items[0].left, items[1].right - items[1].left) << "as wide as its widest";
        // The column line of MFT_MENUBARBREAK: shadow, then highlight.
        EXPECT_EQ(c.At(items[2].left - 3, items[2].top + 5), Sys(COLOR_BTNSHADOW));
        EXPECT_EQ(c.At(items[2].left - 2, items[2].top + 5), Sys(COLOR_BTNHIGHLIGHT));
        // Owner-drawn: measured and drawn by the owner at its size.
        EXPECT_EQ(g_measured, (std::vector<UINT>{4}));
        ASSERT_FALSE(g_drawn.empty());
        EXPECT_EQ(g_drawnRect.bottom - g_drawnRect.top, 25);
        EXPECT_EQ(g_drawnState & ODS_SELECTED, 0u);
        EXPECT_EQ(c.At((items[3].left + items[3].right) / 2, (items[3].top + items[3].bottom) / 2), RGB(255, 0, 0));
        // The 40 x 30 bitmap: its row is at least 34 high (as high as a text row where
        // the font is taller) and it sits in the check column.
        EXPECT_EQ(items[4].bottom - items[4].top, std::max<LONG>(34, items[0].bottom - items[0].top));
        EXPECT_EQ(c.At(items[4].left + 24, (items[4].top + items[4].bottom) / 2), RGB(0, 0, 255));
        const int lastBottom = std::max(items[1].bottom, items[4].bottom);
        EXPECT_EQ(c.window.bottom - c.window.top, lastBottom + 3);
      },
      "menu_breaks_bitmaps.png");
  DestroyMenu(menu);
  DeleteObject(picture);
}

}  // namespace

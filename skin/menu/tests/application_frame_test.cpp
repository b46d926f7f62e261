// The application frame with a generated skin: the menu bar's rows, right alignment and
// room, its hit test (mirrored in right-to-left windows) and hot item, the menu runs it
// starts (the same notifications as the system's loop for the same keys), the caption's
// skinned system menu, the skin's menu option turned off, and captures of the bar and an
// open menu.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <kx2/Compositor.h>
#include <kx2/PathMap.h>
#include <win/menu.h>
#include <win/user.h>

#include "menu_test_support.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/menu/application_frame.h"
#include "ornatex/menu/popup_menu.h"
#include "ornatex/schema/schema.h"

namespace {

using namespace menutest;

struct Capture {
  explicit Capture(cairo_surface_t* s) : surface(s) {}
  ~Capture() {
    if (surface) cairo_surface_destroy(surface);
  }
  COLORREF At(int x, int y) const {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface) + x * 4);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  void Save(const char* name) const {
    if (const char* out = std::getenv("KX2_TEST_OUTPUT"))
      Kx2WriteCapturePng(surface, kx2::ToWindowsPath(std::string(out) + "/" + name).c_str());
  }
  cairo_surface_t* surface;
};

class AppFrame : public MenuTest {
 protected:
  CKtkSkinObjectApplicationFrame* FrameOf(HWND w) {
    return dynamic_cast<CKtkSkinObjectApplicationFrame*>(manager_->Lookup(w));
  }
  static POINT ItemCentre(CKtkSkinObjectApplicationFrame* frame, int index) {
    const RECT r = frame->m_pMenuBar->GetItem(index)->GetScreenRect();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  static HMENU BarOf(std::initializer_list<const char16_t*> names) {
    HMENU bar = CreateMenu();
    UINT id = 100;
    for (const char16_t* name : names) AppendMenuW(bar, MF_STRING, id++, name);
    return bar;
  }
  static void SetType(HMENU menu, int position, UINT type) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    info.fType = type;
    ASSERT_TRUE(SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info));
  }
  static std::vector<Note> Selections(HWND w) {
    std::vector<Note> out;
    for (const Note& n : Notes(w))
      if (n.message == WM_MENUSELECT) out.push_back(n);
    return out;
  }
};

TEST_F(AppFrame, ABarTooWideForOneRowWrapsAndTheClientShrinksByEveryRow) {
  LoadSkin();
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, BarOf({u"&First", u"&Second", u"&Third", u"F&ourth", u"F&ifth"}),
                 RECT{100, 100, 260, 400});
  CKtkSkinObjectApplicationFrame* frame = FrameOf(w);
  ASSERT_NE(frame, nullptr);
  const RECT bar = frame->m_rcMenuBar;
  const int row = GetSystemMetrics(SM_CYMENUSIZE);
  int rows = 1;
  for (int i = 1; i < 5; ++i)
    rows += frame->m_pMenuBar->GetItem(i)->m_rect.top != frame->m_pMenuBar->GetItem(i - 1)->m_rect.top;
  EXPECT_GE(rows, 2);
  EXPECT_EQ(bar.top, frame->m_rcBorders.top);
  EXPECT_EQ(bar.bottom - bar.top, rows * row + 1);
  RECT box{}, client{};
  GetWindowRect(w, &box);
  GetClientRect(w, &client);
  EXPECT_EQ(client.bottom,
            box.bottom - box.top - frame->m_rcBorders.top - frame->m_rcBorders.bottom - (rows * row + 1));
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(origin.y - box.top, bar.bottom);

  // A window shorter than its bar: the client's top stops at its bottom.
  RECT shortBox{100, 100, 260, 100 + frame->m_rcBorders.top + frame->m_rcBorders.bottom + 10};
  SendMessageW(w, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&shortBox));
  EXPECT_EQ(shortBox.top, shortBox.bottom);
}

TEST_F(AppFrame, RightJustifiedItemsAndMdiButtonsSitFlushRight) {
  LoadSkin();
  HMENU bar = BarOf({u"&File", u"&Edit", u"&Help"});
  SetType(bar, 2, MFT_STRING | MFT_RIGHTJUSTIFY);
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, bar);
  CKtkSkinObjectApplicationFrame* frame = FrameOf(w);
  ASSERT_NE(frame, nullptr);
  auto rect = [&](int i) { return frame->m_pMenuBar->GetItem(i)->m_rect; };
  EXPECT_EQ(rect(2).right, frame->m_rcMenuBar.right);
  EXPECT_GT(rect(2).left, rect(1).right);

  // A maximised MDI child's buttons after the items: all three flush right, in order.
  AppendMenuW(bar, MF_STRING, SC_MINIMIZE, u"_");
  AppendMenuW(bar, MF_STRING, SC_RESTORE, u"r");
  AppendMenuW(bar, MF_STRING, SC_CLOSE, u"x");
  frame->UpdateMenuBar();
  const int row = GetSystemMetrics(SM_CYMENUSIZE);
  EXPECT_EQ(rect(5).right, frame->m_rcMenuBar.right);
  EXPECT_EQ(rect(4).right, rect(5).left);
  EXPECT_EQ(rect(3).right, rect(4).left);
  EXPECT_EQ(rect(5).right - rect(5).left, row);
  EXPECT_EQ(rect(2).right, rect(3).left) << "the right-justified item before them follows";

  // An item that is not right-justified stops the walk.
  AppendMenuW(bar, MF_STRING, 7, u"&Tail");
  frame->UpdateMenuBar();
  EXPECT_EQ(rect(6).left, rect(5).right);
  EXPECT_LT(rect(6).right, frame->m_rcMenuBar.right);
  EXPECT_EQ(rect(5).left, rect(4).right);
  EXPECT_EQ(rect(3).left, rect(2).right) << "nothing moved";
}

TEST_F(AppFrame, TheHitTestMirrorsInARightToLeftWindowAndTheHotItemClearsAtTheNextTick) {
  Kx2ClockSetManual(TRUE, 2000000);
  LoadSkin();
  HWND w =
      Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, BarOf({u"&File", u"&Edit"}), RECT{100, 100, 500, 400}, WS_EX_LAYOUTRTL);
  CKtkSkinObjectApplicationFrame* frame = FrameOf(w);
  ASSERT_NE(frame, nullptr);
  RECT box{};
  GetWindowRect(w, &box);
  const RECT file = frame->m_pMenuBar->GetItem(0)->m_rect;
  // File lies at the window's right: the mirrored point.
  const POINT mirrored{box.right - (file.left + file.right) / 2, box.top + (file.top + file.bottom) / 2};
  EXPECT_EQ(frame->HitTest(mirrored.x, mirrored.y), HTMENU);
  EXPECT_LE(std::abs(ItemCentre(frame, 0).x - mirrored.x), 1);
  Kx2InjectMouseMove(mirrored.x, mirrored.y);
  Pump();
  EXPECT_EQ(frame->m_pMenuBar->m_nSelected, 0) << "File is hot";

  // Into the client: the hot item stays until the hover timer looks.
  RECT client{};
  GetClientRect(w, &client);
  POINT inside{client.right / 2, client.bottom / 2};
  ClientToScreen(w, &inside);
  Kx2InjectMouseMove(inside.x, inside.y);
  Pump();
  EXPECT_EQ(frame->m_pMenuBar->m_nSelected, 0);
  Kx2ClockAdvance(50);
  Pump();
  EXPECT_EQ(frame->m_pMenuBar->m_nSelected, -1);
}

// The run both loops are held to: Alt+F, two items down, Enter.
std::vector<Note> AltFileDownDownEnter(HWND w) {
  Script script;
  script.steps = {[] { Kx2InjectKeyStroke(VK_DOWN); }, [] { Kx2InjectKeyStroke(VK_DOWN); },
                  [] { Kx2InjectKeyStroke(VK_RETURN); }};
  script.Start(w);
  Kx2InjectKey(VK_MENU, TRUE);
  Kx2InjectKeyStroke('F');
  Kx2InjectKey(VK_MENU, FALSE);
  Pump();
  Pump();
  Kx2SetIdleHandler(nullptr, nullptr);
  EXPECT_FALSE(script.bailed);
  // Each window has menus of its own: their handles are written as names.
  HMENU bar = GetMenu(w), file = GetSubMenu(bar, 0);
  std::vector<Note> notes = Notes(w);
  for (Note& n : notes) {
    for (auto* value : {&n.wParam, reinterpret_cast<WPARAM*>(&n.lParam)}) {
      if (*value == W(bar)) *value = 0xBA4;
      if (*value == W(file)) *value = 0xF11E;
    }
  }
  return notes;
}

TEST_F(AppFrame, TheSkinnedLoopSendsTheSystemLoopsNotifications) {
  HWND plain = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, Bar());
  const std::vector<Note> system = AltFileDownDownEnter(plain);
  DestroyWindow(plain);
  LoadSkin();
  HWND skinned = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, Bar());
  ASSERT_NE(FrameOf(skinned), nullptr);
  const std::vector<Note> skin = AltFileDownDownEnter(skinned);
  ASSERT_FALSE(skin.empty());
  EXPECT_EQ(skin, system);
  ASSERT_FALSE(system.empty());
  EXPECT_EQ(skin.back(), (Note{skinned, WM_COMMAND, 3, 0})) << "Save, the same command";
}

TEST_F(AppFrame, RightPastTheBarsEndReachesTheSystemMenuAndWraps) {
  LoadSkin();
  HMENU bar = Bar();
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, bar);
  HMENU system = GetSystemMenu(w, FALSE);
  std::vector<Note> selections;
  Script script;
  script.steps = {[] { Key(VK_RIGHT); }, [] { Key(VK_RIGHT); }, [] { Key(VK_RIGHT); },
                  [&] {
                    selections = Selections(w);
                    Key(VK_ESCAPE);
                  }};
  script.Start(w);
  Kx2InjectKeyStroke(VK_MENU);  // Alt alone
  Pump();
  const std::vector<Note> expected = {
      {w, WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), L(bar)},
      {w, WM_MENUSELECT, MAKEWPARAM(1, MF_POPUP), L(bar)},
      {w, WM_MENUSELECT, 0, 0},  // the bar lets go of its selection
      {w, WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_SYSMENU), L(system)},
      {w, WM_MENUSELECT, 0, 0},
      {w, WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), L(bar)},
  };
  EXPECT_EQ(selections, expected);
  EXPECT_FALSE(script.bailed);
}

TEST_F(AppFrame, ASecondPressOnTheOpenBarItemClosesTheMenuAtButtonUp) {
  LoadSkin();
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, Bar());
  CKtkSkinObjectApplicationFrame* frame = FrameOf(w);
  ASSERT_NE(frame, nullptr);
  const POINT file = ItemCentre(frame, 0);
  ASSERT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(file.x, file.y)), HTMENU);
  int afterPress = -1, afterSecondPress = -1, afterRelease = -1;
  Script script;
  script.steps = {[&] {
                    afterPress = Popups();
                    Kx2InjectMouseButton(VK_LBUTTON, FALSE);
                  },
                  [] { Kx2InjectMouseButton(VK_LBUTTON, TRUE); },
                  [&] {
                    afterSecondPress = Popups();
                    Kx2InjectMouseButton(VK_LBUTTON, FALSE);
                  },
                  [&] { afterRelease = Popups(); }};
  script.Start(w);
  Kx2InjectMouseMove(file.x, file.y);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  Pump();
  EXPECT_EQ(afterPress, 1);
  EXPECT_EQ(afterSecondPress, 1) << "still open until the release";
  EXPECT_EQ(afterRelease, -1) << "the run ended at the release";
  EXPECT_EQ(Popups(), 0);
  EXPECT_EQ(Count(w, WM_EXITMENULOOP), 1);
  EXPECT_EQ(Count(w, WM_COMMAND), 0);
  // File was hot under the pointer before the press; the run still selects it anew.
  const std::vector<Note> selections = Selections(w);
  ASSERT_FALSE(selections.empty());
  EXPECT_EQ(selections[0], (Note{w, WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_MOUSESELECT), L(GetMenu(w))}));
}

TEST_F(AppFrame, ARightClickOnTheCaptionShowsTheSkinnedSystemMenuWithItsDefault) {
  LoadSkin();
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
  RECT box{};
  GetWindowRect(w, &box);
  CKtkSkinObjectApplicationFrame* frame = FrameOf(w);
  ASSERT_NE(frame, nullptr);
  const POINT caption{(box.left + box.right) / 2 - 40, box.top + frame->m_rcBorders.top / 2};
  ASSERT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(caption.x, caption.y)), HTCAPTION);
  POINT icon{-1, -1};
  for (int x = box.left; x < box.left + 60 && icon.x < 0; ++x)
    if (SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(x, caption.y)) == HTSYSMENU) icon = POINT{x, caption.y};
  ASSERT_GE(icon.x, 0) << "the caption's icon";
  HMENU system = GetSystemMenu(w, FALSE);
  auto defaultAt = [&](POINT at) {
    UINT seen = 0;
    int shown = 0;
    Script script;
    script.steps = {[&] {
                      seen = GetMenuDefaultItem(system, FALSE, GMDI_USEDISABLED);
                      shown = Popups();
                    },
                    [] { Key(VK_ESCAPE); }};
    script.Start(w);
    SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(at.x, at.y));
    Kx2SetIdleHandler(nullptr, nullptr);
    EXPECT_EQ(shown, 1);
    return seen;
  };
  EXPECT_EQ(defaultAt(caption), static_cast<UINT>(SC_MAXIMIZE));
  EXPECT_EQ(defaultAt(icon), static_cast<UINT>(SC_CLOSE));
  int inits = 0;
  for (const Note& n : Notes(w)) inits += n.message == WM_INITMENUPOPUP && n.wParam == W(system) && n.lParam == 0x10000;
  EXPECT_EQ(inits, 2) << "tracked as the system menu";
  ShowWindow(w, SW_MAXIMIZE);
  GetWindowRect(w, &box);
  const POINT top{(box.left + box.right) / 2 - 40, box.top + frame->m_rcBorders.top / 2};
  ASSERT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(top.x, top.y)), HTCAPTION);
  EXPECT_EQ(defaultAt(top), static_cast<UINT>(SC_RESTORE));
  ShowWindow(w, SW_MINIMIZE);
  GetWindowRect(w, &box);
  const POINT iconic{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  ASSERT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(iconic.x, iconic.y)), HTCAPTION);
  EXPECT_EQ(defaultAt(iconic), static_cast<UINT>(SC_RESTORE));
  ShowWindow(w, SW_RESTORE);
  // The client is left to default processing.
  RECT client{};
  GetClientRect(w, &client);
  POINT inside{client.right / 2, client.bottom / 2};
  ClientToScreen(w, &inside);
  EXPECT_EQ(SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(inside.x, inside.y)), 0);
}

TEST_F(AppFrame, WithTheMenuOptionOffCommandsAndContextMenusAreTheSystems) {
  LoadSkin();
  manager_->m_applyOptions = KTK_APPLY_ALL & ~KTK_APPLY_MENUS;
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, Bar());
  RECT box{};
  GetWindowRect(w, &box);
  CKtkSkinObjectApplicationFrame* frame = FrameOf(w);
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(IsRectEmpty(&frame->m_rcMenuBar));
  const POINT caption{(box.left + box.right) / 2 - 40, box.top + frame->m_rcBorders.top / 2};
  EXPECT_EQ(SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(caption.x, caption.y)), 0);
  EXPECT_EQ(Count(w, WM_INITMENUPOPUP), 0);
  int system = -1, skinned = -1;
  Script script;
  script.steps = {[&] {
                    system = IsWindowVisible(FindWindowW(u"#32768", nullptr)) ? 1 : 0;
                    skinned = Popups();
                  },
                  [] { Key(VK_ESCAPE); }, [] { Key(VK_ESCAPE); }};
  script.Start(w);
  SendMessageW(w, WM_SYSCOMMAND, SC_KEYMENU, 'f');
  Kx2SetIdleHandler(nullptr, nullptr);
  EXPECT_EQ(system, 1) << "the system's own popup";
  EXPECT_EQ(skinned, 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(AppFrame, CapturesShowTheSkinnedBarAndTheOpenMenusParts) {
  LoadSkin();
  HMENU bar = Bar();
  HWND w = Owner(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, bar, RECT{200, 150, 560, 420});
  CKtkSkinObjectApplicationFrame* frame = FrameOf(w);
  ASSERT_NE(frame, nullptr);
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  const RECT barRect = frame->m_rcMenuBar;
  ASSERT_FALSE(IsRectEmpty(&barRect));
  {
    Capture window(Kx2CaptureWindow(w));
    window.Save("skin_menu_bar.png");
    const RECT edit = frame->m_pMenuBar->GetItem(1)->m_rect;
    EXPECT_EQ(window.At(edit.right + 20, barRect.top + 2), kBarFace) << "the bar's face in the skin's colour";
    EXPECT_EQ(window.At(edit.right + 20, barRect.bottom - 1), frame->GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(window.At(5, barRect.top - 5), kCaption);
  }
  // File open, captured from the screen in the middle of the run.
  COLORREF borders = 0, background = 0, gutter = 0, hot = 0;
  RECT popupBox{};
  Script script;
  script.steps = {[] { Key(VK_DOWN); },
                  [&] {
                    HWND popup = FindWindowW(u"KtkSkinManagerMenu", nullptr);
                    GetWindowRect(popup, &popupBox);
                    Capture screen(Kx2CaptureScreen(nullptr));
                    screen.Save("skin_menu_open.png");
                    auto* object = dynamic_cast<CKtkSkinPopupMenu*>(CWnd::FromHandlePermanent(popup));
                    ASSERT_NE(object, nullptr);
                    const RECT open = object->GetItem(1)->GetScreenRect();  // Open, selected
                    const RECT last = object->GetItem(4)->GetScreenRect();
                    borders = screen.At(popupBox.left + 1, popupBox.top + 1);
                    gutter = screen.At(popupBox.left + 5, last.bottom - 2);
                    background = screen.At(last.right - 30, last.top + 1);
                    hot = screen.At(open.right - 3, open.top + 1);
                  },
                  [] { Key(VK_ESCAPE); }, [] { Key(VK_ESCAPE); }};
  script.Start(w);
  Kx2InjectKey(VK_MENU, TRUE);
  Kx2InjectKeyStroke('F');
  Kx2InjectKey(VK_MENU, FALSE);
  Pump();
  Pump();
  EXPECT_FALSE(IsRectEmpty(&popupBox));
  EXPECT_EQ(borders, kBorders);
  EXPECT_EQ(gutter, kGutter);
  EXPECT_EQ(background, kBackground);
  EXPECT_EQ(hot, kHot);
}

}  // namespace

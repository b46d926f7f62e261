// Window painting: update regions and WM_PAINT, visible regions, the classic frame, window
// regions and captures. Pixels are probed in captures, never compared whole.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "kx2/Compositor.h"
#include "user_test_support.h"
#include "win/gdi.h"
#include "win/menu.h"

namespace {

using usertest::Journal;
using usertest::MessagesOf;
using usertest::Pump;

// Fills its whole client area, on every WM_PAINT, with the colour in its user data.
LRESULT CALLBACK SolidProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!usertest::Noise(message)) Journal().push_back(usertest::Entry{hwnd, message, wParam, lParam});
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Paints a left half red and a right half in its user data colour, through BeginPaint
// or into the DC WM_PRINTCLIENT gives.
void PaintHalves(HWND hwnd, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  RECT left = client, right = client;
  left.right = right.left = client.right / 2;
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HBRUSH other = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
  FillRect(dc, &left, red);
  FillRect(dc, &right, other);
  DeleteObject(red);
  DeleteObject(other);
}

LRESULT CALLBACK HalvesProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    PaintHalves(hwnd, dc);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (message == WM_PRINTCLIENT) {
    PaintHalves(hwnd, reinterpret_cast<HDC>(wParam));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class PaintTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &SolidProc;
    wc.lpszClassName = u"PaintSolid";
    RegisterClassW(&wc);
    wc.lpfnWndProc = &HalvesProc;
    wc.lpszClassName = u"PaintHalves";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
  }
  HWND Halves(DWORD style, HWND parent, RECT r, COLORREF colour, DWORD exStyle = 0) {
    HWND h = Make(style, parent, r, exStyle, u"PaintHalves");
    SetWindowLongPtrW(h, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    return h;
  }
  HWND Solid(DWORD style, HWND parent, RECT r, COLORREF colour, DWORD exStyle = 0) {
    HWND h = Make(style, parent, r, exStyle, u"PaintSolid");
    SetWindowLongPtrW(h, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    return h;
  }
  // The capture's colour at a point of the top-level window (window coordinates).
  static COLORREF Probe(cairo_surface_t* capture, int x, int y, int* alpha = nullptr) {
    const auto* row = cairo_image_surface_get_data(capture) + ptrdiff_t(y) * cairo_image_surface_get_stride(capture);
    const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
    if (alpha) *alpha = int(p >> 24);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  static void Keep(cairo_surface_t* capture, const char* name) {
    if (const char* dir = std::getenv("KX2_TEST_OUTPUT")) {
      std::string path = std::string(dir) + "/" + name;
      std::u16string wide(path.begin(), path.end());
      Kx2WriteCapturePng(capture, wide.c_str());
    }
  }
};

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

TEST_F(PaintTest, ChildPaintsOnlyWhereItIsVisible) {
  HWND parent = Solid(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 200, 200}, kBlue);
  HWND below = Solid(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, parent, RECT{10, 10, 110, 110}, kRed);
  HWND above = Solid(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, parent, RECT{60, 60, 160, 160}, kGreen);
  SetWindowPos(above, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  Pump();
  // The lower sibling repaints in another colour: where the upper one covers it stays green.
  SetWindowLongPtrW(below, GWLP_USERDATA, RGB(255, 255, 0));
  InvalidateRect(below, nullptr, TRUE);
  UpdateWindow(below);
  cairo_surface_t* capture = Kx2CaptureWindow(parent);
  ASSERT_TRUE(capture);
  EXPECT_EQ(Probe(capture, 20, 20), RGB(255, 255, 0));
  EXPECT_EQ(Probe(capture, 80, 80), kGreen);
  EXPECT_EQ(Probe(capture, 150, 150), kGreen);
  EXPECT_EQ(Probe(capture, 190, 190), kBlue);
  Keep(capture, "paint_siblings.png");
  cairo_surface_destroy(capture);
}

TEST_F(PaintTest, ClipChildrenParentNeverPaintsOverItsChild) {
  HWND parent = Solid(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, nullptr, RECT{0, 0, 100, 100}, kBlue);
  Solid(WS_CHILD | WS_VISIBLE, parent, RECT{20, 20, 60, 60}, kRed);
  Pump();
  InvalidateRect(parent, nullptr, TRUE);
  // Only the parent is invalidated (WS_CLIPCHILDREN keeps the child out of it): its paint must
  // leave the child's pixels alone.
  SendMessageW(parent, WM_PAINT, 0, 0);
  cairo_surface_t* capture = Kx2CaptureWindow(parent);
  ASSERT_TRUE(capture);
  EXPECT_EQ(Probe(capture, 30, 30), kRed);
  EXPECT_EQ(Probe(capture, 5, 5), kBlue);
  cairo_surface_destroy(capture);
}

TEST_F(PaintTest, PaintComesAfterPostedMessagesAndOnlyWhenSomethingIsInvalid) {
  HWND w = Solid(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 50, 50}, kRed);
  Pump();
  Journal().clear();
  InvalidateRect(w, nullptr, FALSE);
  PostMessageW(w, WM_USER + 1, 0, 0);
  Pump();
  auto seen = MessagesOf(w);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0], static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(seen[1], static_cast<UINT>(WM_PAINT));
  // Invalid then validated again: nothing to paint, and a paint with an empty update region
  // draws nothing.
  Journal().clear();
  InvalidateRect(w, nullptr, FALSE);
  ValidateRect(w, nullptr);
  Pump();
  EXPECT_TRUE(MessagesOf(w).empty());
  SetWindowLongPtrW(w, GWLP_USERDATA, kGreen);
  SendMessageW(w, WM_PAINT, 0, 0);
  cairo_surface_t* capture = Kx2CaptureWindow(w);
  EXPECT_EQ(Probe(capture, 25, 25), kRed);
  cairo_surface_destroy(capture);
}

TEST_F(PaintTest, FramePaintAndEraseComeFromBeginPaintInOrder) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{0, 0, 200, 150});
  Journal().clear();
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  Pump();
  auto seen = MessagesOf(w);
  std::vector<UINT> expected{WM_PAINT, WM_NCPAINT, WM_ERASEBKGND};
  EXPECT_EQ(seen, expected);
}

TEST_F(PaintTest, AdjustWindowRectAgreesWithNcCalcSize) {
  const struct {
    DWORD style, exStyle;
  } cases[] = {
      {WS_OVERLAPPEDWINDOW, 0},
      {WS_OVERLAPPEDWINDOW, WS_EX_CLIENTEDGE},
      {WS_POPUP | WS_BORDER, 0},
      {WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME},
      {WS_POPUP | WS_DLGFRAME, 0},
      {WS_POPUP | WS_THICKFRAME, WS_EX_STATICEDGE},
      {WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW},
      {WS_POPUP, 0},
  };
  for (const auto& c : cases) {
    HWND w = Make(c.style, nullptr, RECT{30, 40, 330, 290}, c.exStyle);
    ASSERT_TRUE(w);
    RECT client;
    GetClientRect(w, &client);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT window;
    GetWindowRect(w, &window);
    AdjustWindowRectEx(&client, c.style, FALSE, c.exStyle);
    EXPECT_EQ(client.left, window.left) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(client.top, window.top) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(client.right, window.right) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(client.bottom, window.bottom) << std::hex << c.style << " " << c.exStyle;
    DestroyWindow(w);
  }
}

TEST_F(PaintTest, HitTestsOfASizableCaptionedWindow) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, nullptr, RECT{100, 100, 500, 400});
  const int frame = GetSystemMetrics(SM_CXFRAME), caption = GetSystemMetrics(SM_CYCAPTION);
  const int button = GetSystemMetrics(SM_CXSIZE);
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  const int captionY = 100 + frame + caption / 2;
  const struct {
    int x, y;
    LRESULT hit;
  } cases[] = {
      {99, 200, HTNOWHERE},
      {100, 250, HTLEFT},
      {499, 250, HTRIGHT},
      {300, 100, HTTOP},
      {300, 399, HTBOTTOM},
      {100, 100, HTTOPLEFT},
      {499, 100, HTTOPRIGHT},
      {100, 399, HTBOTTOMLEFT},
      {499, 399, HTBOTTOMRIGHT},
      {100 + frame + 4, captionY, HTSYSMENU},
      {300, captionY, HTCAPTION},
      {500 - frame - 2 - button / 2, captionY, HTCLOSE},
      {500 - frame - 4 - button - button / 2, captionY, HTMAXBUTTON},
      {500 - frame - 4 - 2 * button, captionY, HTMINBUTTON},
      {300, 250, HTCLIENT},
      {500 - frame - bar / 2, 250, HTVSCROLL},
      {300, 400 - frame - bar / 2, HTHSCROLL},
      {500 - frame - bar / 2, 400 - frame - bar / 2, HTGROWBOX},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(c.x, c.y)), c.hit) << c.x << "," << c.y;
}

TEST_F(PaintTest, CaptionColourFollowsActivation) {
  HWND first = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{0, 0, 200, 120});
  HWND second = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{300, 0, 500, 120});
  Pump();
  const int x = 100, y = GetSystemMetrics(SM_CYFRAME) + 3;
  SetActiveWindow(first);
  Pump();
  cairo_surface_t* active = Kx2CaptureWindow(first);
  EXPECT_EQ(Probe(active, x, y), GetSysColor(COLOR_ACTIVECAPTION));
  Keep(active, "paint_frame_active.png");
  cairo_surface_destroy(active);
  SetActiveWindow(second);
  Pump();
  cairo_surface_t* inactive = Kx2CaptureWindow(first);
  EXPECT_EQ(Probe(inactive, x, y), GetSysColor(COLOR_INACTIVECAPTION));
  cairo_surface_destroy(inactive);
}

TEST_F(PaintTest, WindowRegionClipsCaptureAndHitTesting) {
  HWND below = Solid(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 100, 100}, kBlue);
  HWND shaped = Solid(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 100, 100}, kRed);
  SetWindowRgn(shaped, CreateRoundRectRgn(0, 0, 101, 101, 40, 40), TRUE);
  Pump();
  cairo_surface_t* capture = Kx2CaptureWindow(shaped);
  int alpha = -1;
  Probe(capture, 1, 1, &alpha);
  EXPECT_EQ(alpha, 0);
  EXPECT_EQ(Probe(capture, 50, 50, &alpha), kRed);
  EXPECT_EQ(alpha, 255);
  cairo_surface_destroy(capture);
  EXPECT_EQ(WindowFromPoint(POINT{1, 1}), below);
  EXPECT_EQ(WindowFromPoint(POINT{50, 50}), shaped);
  RECT screenRect{0, 0, 100, 100};
  cairo_surface_t* screen = Kx2CaptureScreen(&screenRect);
  EXPECT_EQ(Probe(screen, 1, 1), kBlue);
  EXPECT_EQ(Probe(screen, 50, 50), kRed);
  Keep(screen, "paint_region_screen.png");
  cairo_surface_destroy(screen);
}

TEST_F(PaintTest, ApplicationClipCannotWidenTheVisibleRegion) {
  HWND parent = Solid(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, nullptr, RECT{0, 0, 100, 100}, kBlue);
  Solid(WS_CHILD | WS_VISIBLE, parent, RECT{20, 20, 60, 60}, kRed);
  Pump();
  HDC dc = GetDC(parent);
  // A clip region bigger than the window, then none at all: the child stays red either way.
  HRGN wide = CreateRectRgn(-50, -50, 500, 500);
  SelectClipRgn(dc, wide);
  DeleteObject(wide);
  RECT all{0, 0, 100, 100};
  HBRUSH green = CreateSolidBrush(kGreen);
  FillRect(dc, &all, green);
  SelectClipRgn(dc, nullptr);
  SaveDC(dc);
  RestoreDC(dc, -1);
  FillRect(dc, &all, green);
  RECT box{};
  EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
  DeleteObject(green);
  ReleaseDC(parent, dc);
  cairo_surface_t* capture = Kx2CaptureWindow(parent);
  EXPECT_EQ(Probe(capture, 30, 30), kRed);
  EXPECT_EQ(Probe(capture, 5, 5), kGreen);
  cairo_surface_destroy(capture);
}

TEST_F(PaintTest, SystemColourBrushesSurviveDeleteObject) {
  HBRUSH face = GetSysColorBrush(COLOR_3DFACE);
  ASSERT_TRUE(face);
  EXPECT_TRUE(DeleteObject(face));
  EXPECT_EQ(GetObjectType(face), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(GetSysColorBrush(COLOR_3DFACE), face);
}

TEST_F(PaintTest, PrintWithEveryPartGivesTheCapturesPixels) {
  HWND top = Halves(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{0, 0, 240, 180}, kBlue, WS_EX_CLIENTEDGE);
  HWND child = Halves(WS_CHILD | WS_VISIBLE | WS_BORDER, top, RECT{30, 20, 130, 80}, kGreen);
  SetWindowRgn(child, CreateEllipticRgn(0, 0, 100, 60), FALSE);
  SetWindowTextW(top, u"Printed");
  SetActiveWindow(top);
  Pump();
  cairo_surface_t* capture = Kx2CaptureWindow(top);
  ASSERT_TRUE(capture);

  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(240, 180, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(top, WM_PRINT, reinterpret_cast<WPARAM>(memory),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  int differing = 0;
  for (int y = 0; y < 180; y += 3)
    for (int x = 0; x < 240; x += 3)
      if (GetPixel(memory, x, y) != Probe(capture, x, y)) ++differing;
  EXPECT_EQ(differing, 0);
  // The probes that matter: caption, client halves, the child inside its ellipse and not outside.
  POINT child_origin{30, 20};
  MapWindowPoints(top, nullptr, &child_origin, 1);
  RECT window;
  GetWindowRect(top, &window);
  const int cx = child_origin.x - window.left, cy = child_origin.y - window.top;
  EXPECT_EQ(GetPixel(memory, 120, GetSystemMetrics(SM_CYFRAME) + 3), GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_EQ(GetPixel(memory, cx + 25, cy + 30), kRed);
  EXPECT_EQ(GetPixel(memory, cx + 75, cy + 30), kGreen);
  EXPECT_EQ(GetPixel(memory, cx + 1, cy + 1), kRed) << "outside the child's region: the parent's left half";
  EXPECT_EQ(GetPixel(memory, 200, 150), kBlue);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  cairo_surface_destroy(capture);

  // PRF_CHECKVISIBLE on a hidden window prints nothing.
  ShowWindow(top, SW_HIDE);
  HDC blank = CreateCompatibleDC(nullptr);
  HBITMAP blankBits = CreateBitmap(20, 20, 1, 32, nullptr);
  HGDIOBJ blankOld = SelectObject(blank, blankBits);
  SendMessageW(top, WM_PRINT, reinterpret_cast<WPARAM>(blank), PRF_CHECKVISIBLE | PRF_NONCLIENT | PRF_CLIENT);
  EXPECT_EQ(GetPixel(blank, 5, 5), RGB(0, 0, 0));
  SelectObject(blank, blankOld);
  DeleteObject(blankBits);
  DeleteDC(blank);
}

TEST_F(PaintTest, PrintOwnedAddsTheOwnedPopupsAtTheirPlaces) {
  HWND owner = Halves(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 100, 100}, kBlue);
  HWND popup = Halves(WS_POPUP | WS_VISIBLE, owner, RECT{50, 50, 80, 80}, kGreen);
  Pump();
  ASSERT_EQ(GetWindow(popup, GW_OWNER), owner);
  auto printed = [&](LPARAM flags, int x, int y) {
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(100, 100, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageW(owner, WM_PRINT, reinterpret_cast<WPARAM>(memory), flags);
    const COLORREF c = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return c;
  };
  EXPECT_EQ(printed(PRF_CLIENT, 75, 60), kBlue);
  EXPECT_EQ(printed(PRF_CLIENT | PRF_OWNED, 75, 60), kGreen);
  EXPECT_EQ(printed(PRF_CLIENT | PRF_OWNED, 60, 60), kRed) << "the popup's own left half";
  EXPECT_EQ(printed(PRF_CLIENT | PRF_OWNED, 90, 90), kBlue);
}

TEST_F(PaintTest, MirroredWindowDrawsTextFromTheRightEdge) {
  HWND w = Solid(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 200, 40}, RGB(255, 255, 255), WS_EX_LAYOUTRTL);
  Pump();
  HDC dc = GetDC(w);
  EXPECT_EQ(GetLayout(dc), static_cast<DWORD>(LAYOUT_RTL));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutW(dc, 0, 5, u"WWW", 3);
  ReleaseDC(w, dc);
  cairo_surface_t* capture = Kx2CaptureWindow(w);
  int inkLeft = 200, inkRight = -1;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x)
      if (Probe(capture, x, y) != RGB(255, 255, 255)) inkLeft = std::min(inkLeft, x), inkRight = std::max(inkRight, x);
  EXPECT_GE(inkRight, 190);
  EXPECT_GT(inkLeft, 120);
  cairo_surface_destroy(capture);
}

TEST_F(PaintTest, MenuBarTakesItsRoomPaintsAndGoesWithTheWindow) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{0, 0, 300, 200});
  RECT before;
  GetClientRect(w, &before);
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_STRING, 1, u"&File");
  AppendMenuW(bar, MF_STRING | MF_GRAYED, 2, u"&Edit");
  ASSERT_TRUE(SetMenu(w, bar));
  EXPECT_EQ(GetMenu(w), bar);
  Pump();
  RECT after;
  GetClientRect(w, &after);
  EXPECT_EQ(before.bottom - after.bottom, GetSystemMetrics(SM_CYMENU));
  // The frame and AdjustWindowRectEx agree with a menu too.
  RECT client = after;
  MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
  AdjustWindowRectEx(&client, WS_OVERLAPPEDWINDOW, TRUE, 0);
  RECT window;
  GetWindowRect(w, &window);
  EXPECT_EQ(client.top, window.top);
  EXPECT_EQ(client.bottom, window.bottom);
  const int barY = GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU) / 2;
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(150, barY)), HTMENU);
  cairo_surface_t* capture = Kx2CaptureWindow(w);
  EXPECT_EQ(Probe(capture, 280, barY), GetSysColor(COLOR_MENU));
  // Ink of each item: the enabled one dark, the greyed one light (embossed), none black.
  int dark = 0, light = 0, blackInGrey = 0;
  const int split = 45;  // between the two items
  for (int y = barY - 6; y < barY + 6; ++y)
    for (int x = GetSystemMetrics(SM_CXFRAME); x < 110; ++x) {
      const COLORREF c = Probe(capture, x, y);
      if (c == GetSysColor(COLOR_MENU)) continue;
      const int level = GetRValue(c) + GetGValue(c) + GetBValue(c);
      if (x < split) dark += level < 200;
      if (x >= split) light += level >= 200, blackInGrey += level < 100;
    }
  EXPECT_GT(dark, 5) << "the enabled item's text";
  EXPECT_GT(light, 5) << "the greyed item's text";
  EXPECT_EQ(blackInGrey, 0);
  Keep(capture, "paint_menubar.png");
  cairo_surface_destroy(capture);
  // Child windows have no menu bar; the window's menu is destroyed with it.
  HWND child = Make(WS_CHILD | WS_VISIBLE, w, RECT{0, 0, 10, 10});
  HMENU other = CreateMenu();
  EXPECT_FALSE(SetMenu(child, other));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CHILD_WINDOW_MENU));
  DestroyMenu(other);
  DestroyWindow(w);
  EXPECT_FALSE(IsMenu(bar));
}

TEST_F(PaintTest, EachWindowHasItsOwnWindowMenu) {
  HWND sizable = Make(WS_OVERLAPPEDWINDOW, nullptr, RECT{0, 0, 200, 100});
  HWND dialog = Make(WS_POPUP | WS_CAPTION | WS_SYSMENU, nullptr, RECT{0, 0, 200, 100});
  HMENU a = GetSystemMenu(sizable, FALSE);
  HMENU b = GetSystemMenu(dialog, FALSE);
  ASSERT_TRUE(a);
  ASSERT_TRUE(b);
  EXPECT_NE(a, b);
  EXPECT_EQ(GetSystemMenu(sizable, FALSE), a) << "made once";
  const struct {
    UINT command;
    bool greyedSizable, greyedDialog;
  } cases[] = {{SC_RESTORE, true, true},   {SC_MOVE, false, false},    {SC_SIZE, false, true},
               {SC_MINIMIZE, false, true}, {SC_MAXIMIZE, false, true}, {SC_CLOSE, false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ((GetMenuState(a, c.command, MF_BYCOMMAND) & MF_GRAYED) != 0, c.greyedSizable) << std::hex << c.command;
    EXPECT_EQ((GetMenuState(b, c.command, MF_BYCOMMAND) & MF_GRAYED) != 0, c.greyedDialog) << std::hex << c.command;
  }
  EXPECT_EQ(GetMenuDefaultItem(a, FALSE, 0), static_cast<UINT>(SC_CLOSE));
  // Reverting drops the copy; the next request makes a fresh one; the window takes its copy along.
  EXPECT_EQ(GetSystemMenu(sizable, TRUE), nullptr);
  EXPECT_FALSE(IsMenu(a));
  HMENU again = GetSystemMenu(sizable, FALSE);
  ASSERT_TRUE(again);
  DestroyWindow(sizable);
  EXPECT_FALSE(IsMenu(again));
}

TEST_F(PaintTest, ANewWindowNeverShowsAClosedWindowsPixels) {
  // The closed window's pixels may serve the next window's backing, larger or smaller.
  for (const RECT second : {RECT{0, 0, 90, 50}, RECT{0, 0, 240, 160}}) {
    HWND first = Solid(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 160, 100}, kRed);
    Pump();
    cairo_surface_t* painted = Kx2CaptureWindow(first);
    ASSERT_TRUE(painted);
    EXPECT_EQ(Probe(painted, 80, 50), kRed);
    cairo_surface_destroy(painted);
    DestroyWindow(first);
    // A window that paints nothing of its own (no class brush, no WM_PAINT drawing).
    HWND next = Make(WS_POPUP | WS_VISIBLE, nullptr, second);
    Pump();
    cairo_surface_t* capture = Kx2CaptureWindow(next);
    ASSERT_TRUE(capture);
    const int w = cairo_image_surface_get_width(capture), h = cairo_image_surface_get_height(capture);
    for (const POINT at : {POINT{0, 0}, POINT{w / 2, h / 2}, POINT{w - 1, h - 1}, POINT{w - 1, 0}})
      EXPECT_EQ(Probe(capture, at.x, at.y), RGB(0, 0, 0)) << w << "x" << h << " at " << at.x << "," << at.y;
    cairo_surface_destroy(capture);
    DestroyWindow(next);
  }
}

TEST_F(PaintTest, AHugeWindowPaintsIntoBoundedPixels) {
  // 32767 pixels each way would need 4 GB of pixels; the backing stops at 8192 each way.
  for (const SIZE size : {SIZE{32767, 120}, SIZE{120, 32767}}) {
    HWND w = Solid(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 100, 100}, kRed);
    ASSERT_TRUE(SetWindowPos(w, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE));
    // A child wholly past the backing still gets a DC, and drawing into it does nothing.
    HWND far = Solid(WS_CHILD | WS_VISIBLE, w, RECT{size.cx - 100, size.cy - 100, size.cx, size.cy}, kGreen);
    Pump();
    HDC dc = GetDC(far);
    ASSERT_TRUE(dc);
    RECT r{0, 0, 100, 100};
    EXPECT_TRUE(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    ReleaseDC(far, dc);
    cairo_surface_t* capture = Kx2CaptureWindow(w);
    ASSERT_TRUE(capture);
    const int width = cairo_image_surface_get_width(capture), height = cairo_image_surface_get_height(capture);
    EXPECT_EQ(width, std::min<int>(size.cx, 8192));
    EXPECT_EQ(height, std::min<int>(size.cy, 8192));
    EXPECT_EQ(Probe(capture, 0, 0), kRed);
    EXPECT_EQ(Probe(capture, width - 1, height - 1), kRed);
    cairo_surface_destroy(capture);
    DestroyWindow(w);
  }
}

TEST_F(PaintTest, PaintingADestroyedWindowDoesNothing) {
  HWND w = Solid(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 50, 50}, kRed);
  DestroyWindow(w);
  PAINTSTRUCT ps;
  EXPECT_EQ(BeginPaint(w, &ps), nullptr);
  EXPECT_FALSE(InvalidateRect(w, nullptr, TRUE));
  EXPECT_EQ(GetDC(w), nullptr);
  EXPECT_EQ(Kx2CaptureWindow(w), nullptr);
}

}  // namespace

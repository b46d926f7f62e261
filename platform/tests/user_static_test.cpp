// The "Static" class: text by alignment, prefix and ellipsis, the parent's brush (hollow
// leaves the background), rectangles, frames and etched lines, icons and bitmaps with
// STM_ messages, SS_NOTIFY clicks and the mouse passing through otherwise.
#include <cairo.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "comctl_test_support.h"
#include "kx2/Compositor.h"
#include "kx2/GdiCairo.h"
#include "user_test_support.h"
#include "win/user_draw.h"
#include "win/user_ownerdraw.h"

using comctltest::Canvas;

namespace {

std::vector<std::pair<UINT, WPARAM>> heard;
HBRUSH answerBrush = nullptr;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_LBUTTONDOWN:
      heard.emplace_back(message, wParam);
      break;
    case WM_CTLCOLORSTATIC:
      heard.emplace_back(message, wParam);
      if (answerBrush) {
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(200, 0, 0));
        return reinterpret_cast<LRESULT>(answerBrush);
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      heard.emplace_back(message, item->CtlType);
      return TRUE;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class StaticTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ParentProc;
    wc.lpszClassName = u"StaticParent";
    RegisterClassW(&wc);
    heard.clear();
    answerBrush = nullptr;
    parent_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{100, 100, 500, 400}, 0, u"StaticParent");
    font_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
  }
  void TearDown() override {
    for (HWND c = GetWindow(parent_, GW_CHILD); c; c = GetWindow(parent_, GW_CHILD)) DestroyWindow(c);
    DeleteObject(font_);
    WindowTest::TearDown();
  }
  HWND Static(DWORD style, RECT r, LPCWSTR text = u"Label", UINT_PTR id = 9) {
    HWND s = CreateWindowExW(0, WC_STATICW, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, parent_, reinterpret_cast<HMENU>(id), nullptr, nullptr);
    if (s) SendMessageW(s, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return s;
  }
  // Columns holding ink other than the background, first and last (-1 when none).
  static std::pair<int, int> InkColumns(const Canvas& c, int width, int height, COLORREF background) {
    int first = -1, last = -1;
    for (int x = 0; x < width; ++x)
      for (int y = 0; y < height; ++y)
        if (c.At(x, y) != background) {
          if (first < 0) first = x;
          last = x;
          break;
        }
    return {first, last};
  }
  static std::string JournalText(HWND s, HDC dc) {
    Kx2GdiJournalClear();
    Kx2GdiJournalEnable(TRUE);
    SendMessageW(s, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    Kx2GdiJournalEnable(FALSE);
    std::string text(Kx2GdiJournalRead(nullptr, 0), '\0');
    Kx2GdiJournalRead(text.data(), text.size());
    return text;
  }
  HWND parent_ = nullptr;
  HFONT font_ = nullptr;
};

TEST_F(StaticTest, TextFollowsItsAlignment) {
  const COLORREF face = GetSysColor(COLOR_3DFACE);
  const struct {
    DWORD style;
    int minFirst, maxLast;
  } table[] = {
      {SS_LEFT, 0, 60}, {SS_CENTER, 60, 140}, {SS_RIGHT, 140, 200}, {SS_SIMPLE, 0, 60}, {SS_LEFTNOWORDWRAP, 0, 60},
  };
  for (const auto& row : table) {
    HWND s = Static(row.style, RECT{0, 0, 200, 20}, u"Label");
    Canvas canvas(200, 20, RGB(255, 0, 255));
    SendMessageW(s, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    const auto [first, last] = InkColumns(canvas, 200, 20, face);
    EXPECT_GE(first, row.minFirst) << "style " << row.style;
    EXPECT_LE(last, row.maxLast) << "style " << row.style;
    EXPECT_GT(last, first) << "style " << row.style;
    DestroyWindow(s);
  }
}

TEST_F(StaticTest, PrefixesAndEllipsesInTheDrawnText) {
  Canvas canvas(100, 40);
  HWND plain = Static(SS_LEFT, RECT{0, 0, 100, 20}, u"&File");
  HWND raw = Static(SS_LEFT | SS_NOPREFIX, RECT{0, 0, 100, 20}, u"&File");
  EXPECT_NE(JournalText(plain, canvas.Dc()).find("\"File\""), std::string::npos);
  EXPECT_NE(JournalText(raw, canvas.Dc()).find("\"&File\""), std::string::npos);
  HWND end = Static(SS_LEFT | SS_ENDELLIPSIS, RECT{0, 0, 60, 40}, u"A rather long label that will not fit");
  const std::string drawn = JournalText(end, canvas.Dc());
  EXPECT_NE(drawn.find("..."), std::string::npos) << drawn;
  EXPECT_EQ(drawn.find("fit"), std::string::npos) << "one shortened line, not wrapped";
  HWND wrapped = Static(SS_LEFT, RECT{0, 0, 60, 80}, u"A rather long label that will not fit");
  EXPECT_NE(JournalText(wrapped, canvas.Dc()).find("fit"), std::string::npos) << "wrapped onto more lines";
}

TEST_F(StaticTest, ParentBrushHollowAndTextColour) {
  HWND s = Static(SS_LEFT, RECT{0, 0, 100, 20}, u"Hi");
  Canvas canvas(100, 20, RGB(0, 128, 0));
  answerBrush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  SendMessageW(s, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(90, 10), RGB(0, 128, 0)) << "the hollow brush leaves the background";
  int red = 0;
  for (int x = 0; x < 30; ++x)
    for (int y = 0; y < 20; ++y) {
      const COLORREF c = canvas.At(x, y);
      red += GetRValue(c) > 100 && GetGValue(c) < 100 && GetBValue(c) < 50;
    }
  EXPECT_GT(red, 5) << "in the text colour the parent set";
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 200));
  answerBrush = blue;
  SendMessageW(s, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(90, 10), RGB(0, 0, 200));
  answerBrush = nullptr;
  DeleteObject(blue);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.back().first, static_cast<UINT>(WM_CTLCOLORSTATIC));
}

TEST_F(StaticTest, RectanglesFramesAndEtchedLines) {
  const struct {
    DWORD style;
    POINT probe;
    int colour;  // -1: the background is left
  } table[] = {
      {SS_BLACKRECT, {10, 10}, COLOR_3DDKSHADOW},
      {SS_GRAYRECT, {10, 10}, COLOR_3DSHADOW},
      {SS_WHITERECT, {10, 10}, COLOR_3DHILIGHT},
      {SS_BLACKFRAME, {0, 10}, COLOR_3DDKSHADOW},
      {SS_BLACKFRAME, {10, 10}, -1},
      {SS_GRAYFRAME, {39, 10}, COLOR_3DSHADOW},
      {SS_WHITEFRAME, {10, 19}, COLOR_3DHILIGHT},
      {SS_ETCHEDHORZ, {10, 0}, COLOR_3DSHADOW},
      {SS_ETCHEDHORZ, {10, 1}, COLOR_3DHILIGHT},
      {SS_ETCHEDHORZ, {10, 10}, -1},
      {SS_ETCHEDVERT, {0, 10}, COLOR_3DSHADOW},
      {SS_ETCHEDFRAME, {39, 10}, COLOR_3DHILIGHT},
  };
  for (const auto& row : table) {
    HWND s = Static(row.style, RECT{0, 0, 40, 20});
    Canvas canvas(40, 20, RGB(0, 128, 0));
    SendMessageW(s, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    const COLORREF want = row.colour < 0 ? RGB(0, 128, 0) : GetSysColor(row.colour);
    EXPECT_EQ(canvas.At(row.probe.x, row.probe.y), want)
        << "style " << row.style << " at " << row.probe.x << "," << row.probe.y;
    DestroyWindow(s);
  }
}

TEST_F(StaticTest, BitmapsAndIconsWithTheirMessages) {
  HBITMAP red = comctltest::PixelBitmap(10, 6, [](int x, int) -> uint32_t { return x < 5 ? 0xFFFF0000 : 0xFF0000FF; });
  HWND s = Static(SS_BITMAP, RECT{0, 0, 80, 80}, u"");
  EXPECT_EQ(SendMessageW(s, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(red)), 0);
  EXPECT_EQ(SendMessageW(s, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "an icon is refused by a bitmap static";
  EXPECT_EQ(SendMessageW(s, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(red)), 0);
  EXPECT_EQ(SendMessageW(s, STM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(red));
  RECT client{};
  GetClientRect(s, &client);
  EXPECT_EQ(client.right, 10) << "the control takes the bitmap's size";
  EXPECT_EQ(client.bottom, 6);
  Canvas canvas(10, 6);
  SendMessageW(s, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(2, 2), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(8, 2), RGB(0, 0, 255));

  // Centred, the rest in the bitmap's corner colour.
  HWND centred = Static(SS_BITMAP | SS_CENTERIMAGE, RECT{0, 0, 30, 30}, u"");
  SendMessageW(centred, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(red));
  GetClientRect(centred, &client);
  EXPECT_EQ(client.right, 30);
  Canvas wide(30, 30);
  SendMessageW(centred, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(wide.Dc()), PRF_CLIENT);
  EXPECT_EQ(wide.At(2, 2), RGB(255, 0, 0));
  EXPECT_EQ(wide.At(17, 15), RGB(0, 0, 255));

  // An icon.
  HBITMAP colour = comctltest::PixelBitmap(16, 16, [](int, int) -> uint32_t { return 0xFF00C000; });
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
  ICONINFO ii{TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&ii);
  HWND iconic = Static(SS_ICON, RECT{0, 0, 50, 50}, u"");
  EXPECT_EQ(SendMessageW(iconic, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0), 0);
  EXPECT_EQ(SendMessageW(iconic, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(icon));
  EXPECT_EQ(SendMessageW(iconic, STM_GETIMAGE, IMAGE_ICON, 0), reinterpret_cast<LRESULT>(icon));
  Canvas iconCanvas(16, 16);
  SendMessageW(iconic, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(iconCanvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(iconCanvas.At(8, 8), RGB(0, 192, 0));
  DestroyWindow(s);
  DestroyWindow(centred);
  DestroyWindow(iconic);
  DestroyIcon(icon);
  DeleteObject(mask);
  DeleteObject(colour);
  DeleteObject(red);
}

TEST_F(StaticTest, NotifyClicksElseTheMouseGoesThrough) {
  HWND quiet = Static(SS_LEFT, RECT{10, 10, 110, 30}, u"Quiet", 1);
  HWND loud = Static(SS_LEFT | SS_NOTIFY, RECT{10, 40, 110, 60}, u"Loud", 2);
  ASSERT_TRUE(quiet && loud);
  Kx2InjectClick(100 + 20, 100 + 15, VK_LBUTTON);
  usertest::Pump();
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard[0].first, static_cast<UINT>(WM_LBUTTONDOWN)) << "the parent under a quiet static gets the click";
  heard.clear();
  Kx2InjectClick(100 + 20, 100 + 45, VK_LBUTTON);
  usertest::Pump();
  std::vector<WPARAM> commands;
  for (const auto& h : heard)
    if (h.first == WM_COMMAND) commands.push_back(h.second);
  EXPECT_EQ(commands, std::vector<WPARAM>{MAKEWPARAM(2, STN_CLICKED)});
  heard.clear();
  EnableWindow(loud, FALSE);
  EXPECT_EQ(heard.back(), (std::pair<UINT, WPARAM>{WM_COMMAND, MAKEWPARAM(2, STN_DISABLE)}));
  EXPECT_EQ(SendMessageW(loud, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

TEST_F(StaticTest, SunkenAndOwnerDrawn) {
  HWND sunken = Static(SS_LEFT | SS_SUNKEN, RECT{0, 0, 100, 30});
  EXPECT_NE(GetWindowLongW(sunken, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
  RECT client{};
  GetClientRect(sunken, &client);
  EXPECT_EQ(client.right, 100 - 2 * GetSystemMetrics(SM_CXBORDER)) << "a one-pixel edge round it";
  UpdateWindow(parent_);
  usertest::Pump();
  cairo_surface_t* capture = Kx2CaptureWindow(parent_);
  ASSERT_NE(capture, nullptr);
  auto pixel = [&](int x, int y) {
    const auto* row = cairo_image_surface_get_data(capture) + y * cairo_image_surface_get_stride(capture);
    const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  };
  EXPECT_EQ(pixel(0, 0), GetSysColor(COLOR_3DSHADOW)) << "sunken: shadow at the top left";
  EXPECT_EQ(pixel(99, 29), GetSysColor(COLOR_3DHILIGHT)) << "highlight at the bottom right";
  cairo_surface_destroy(capture);
  HWND owner = Static(SS_OWNERDRAW, RECT{0, 40, 100, 60});
  Canvas canvas(100, 20);
  SendMessageW(owner, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.back(), (std::pair<UINT, WPARAM>{WM_DRAWITEM, ODT_STATIC}));
}

// Every kind painted through WM_PAINT in a parent; the capture is written for a person.
TEST_F(StaticTest, GalleryForAPerson) {
  const struct {
    DWORD style;
    RECT r;
    LPCWSTR text;
  } gallery[] = {
      {SS_LEFT, {10, 10, 190, 46}, u"Left-aligned text that wraps onto a second line"},
      {SS_CENTER, {200, 10, 390, 30}, u"Centred"},
      {SS_RIGHT, {200, 30, 390, 50}, u"Right"},
      {SS_LEFT | SS_ENDELLIPSIS, {10, 56, 130, 74}, u"An ellipsis at the end of this"},
      {SS_LEFT | SS_PATHELLIPSIS, {140, 56, 300, 74}, u"C:\\Maps\\Long folder name\\trip.mm"},
      {SS_LEFT | SS_SUNKEN, {10, 84, 190, 104}, u"&Sunken with a mnemonic"},
      {SS_LEFT | WS_DISABLED, {200, 84, 390, 104}, u"Disabled"},
      {SS_BLACKRECT, {10, 120, 40, 150}, u""},
      {SS_GRAYRECT, {50, 120, 80, 150}, u""},
      {SS_WHITERECT, {90, 120, 120, 150}, u""},
      {SS_BLACKFRAME, {130, 120, 160, 150}, u""},
      {SS_GRAYFRAME, {170, 120, 200, 150}, u""},
      {SS_ETCHEDFRAME, {210, 120, 240, 150}, u""},
      {SS_ETCHEDHORZ, {10, 170, 390, 172}, u""},
      {SS_ETCHEDVERT, {250, 120, 252, 160}, u""},
  };
  for (const auto& g : gallery) ASSERT_NE(Static(g.style, g.r, g.text), nullptr);
  UpdateWindow(parent_);
  usertest::Pump();
  cairo_surface_t* capture = Kx2CaptureWindow(parent_);
  ASSERT_NE(capture, nullptr);
  if (const char* dir = std::getenv("KX2_TEST_OUTPUT")) {
    const std::string path = std::string(dir) + "/user_statics.png";
    Kx2WriteCapturePng(capture, std::u16string(path.begin(), path.end()).c_str());
  }
  cairo_surface_destroy(capture);
}

}  // namespace

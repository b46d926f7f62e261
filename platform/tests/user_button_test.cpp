// The "Button" class: what it answers the dialog manager, clicks by mouse, Space and
// BM_CLICK with the check states they change, radio groups, split and owner-drawn buttons,
// and probes of its classic look.
#include <cairo.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "comctl_test_support.h"
#include "kx2/Compositor.h"
#include "user_test_support.h"
#include "win/user_draw.h"
#include "win/user_ownerdraw.h"

using comctltest::Canvas;

namespace {

struct Heard {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Heard> heard;
HBRUSH answerBrush = nullptr;  // the parent's WM_CTLCOLOR* reply when set
UINT lastDrawState = 0;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      heard.push_back(Heard{message, wParam, lParam});
      if (message != WM_COMMAND && answerBrush) return reinterpret_cast<LRESULT>(answerBrush);
      break;
    case WM_NOTIFY: {
      const auto* nm = reinterpret_cast<const NMHDR*>(lParam);
      heard.push_back(Heard{message, nm->code, lParam});
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      lastDrawState = item->itemState;
      FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      heard.push_back(Heard{message, wParam, lParam});
      return TRUE;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ButtonTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ParentProc;
    wc.lpszClassName = u"ButtonParent";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
    RegisterClassW(&wc);
    heard.clear();
    answerBrush = nullptr;
    parent_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{100, 100, 500, 400}, 0, u"ButtonParent");
  }
  HWND Button(DWORD style, RECT r, UINT_PTR id = 7, LPCWSTR text = u"&Go") {
    HWND b = CreateWindowExW(0, WC_BUTTONW, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, parent_, reinterpret_cast<HMENU>(id), nullptr, nullptr);
    return b;
  }
  // A click through injected input, at a client point of the control.
  static void ClickAt(HWND control, POINT pt) {
    ClientToScreen(control, &pt);
    Kx2InjectClick(pt.x, pt.y, VK_LBUTTON);
    usertest::Pump();
  }
  static std::vector<WORD> Commands() {
    std::vector<WORD> out;
    for (const Heard& h : heard)
      if (h.message == WM_COMMAND) out.push_back(HIWORD(h.wParam));
    return out;
  }
  static int Count(const Canvas& c, RECT r, COLORREF colour) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += c.At(x, y) == colour;
    return n;
  }
  // Pixels in the rectangle other than the background.
  static int Ink(const Canvas& c, RECT r, COLORREF background) {
    return (r.right - r.left) * (r.bottom - r.top) - Count(c, r, background);
  }
  static int Luma(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }
  HWND parent_ = nullptr;
};

TEST_F(ButtonTest, DialogCodesByStyle) {
  const struct {
    DWORD style;
    LRESULT code;
  } table[] = {
      {BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
      {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
      {BS_SPLITBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
      {BS_DEFSPLITBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
      {BS_CHECKBOX, DLGC_BUTTON},
      {BS_AUTO3STATE | BS_PUSHLIKE, DLGC_BUTTON},
      {BS_RADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
      {BS_AUTORADIOBUTTON | BS_PUSHLIKE, DLGC_BUTTON | DLGC_RADIOBUTTON},
      {BS_GROUPBOX, DLGC_STATIC},
      {BS_OWNERDRAW, DLGC_BUTTON},
  };
  for (const auto& row : table) {
    HWND b = Button(row.style, RECT{0, 0, 80, 24});
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SendMessageW(b, WM_GETDLGCODE, 0, 0), row.code) << "style " << row.style;
    DestroyWindow(b);
  }
}

TEST_F(ButtonTest, ClickOnACheckBoxTogglesAndNotifies) {
  HWND box = Button(BS_AUTOCHECKBOX, RECT{10, 10, 110, 30});
  ClickAt(box, POINT{5, 10});
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(Commands(), std::vector<WORD>{BN_CLICKED});
  EXPECT_EQ(GetFocus(), box) << "a press takes the focus";
  EXPECT_EQ(GetCapture(), nullptr);
  ClickAt(box, POINT{5, 10});
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // Pressed, then released outside: shown pushed while over it, and no click.
  heard.clear();
  POINT in{5, 10}, out{5, 60};
  ClientToScreen(box, &in);
  ClientToScreen(box, &out);
  Kx2InjectMouseMove(in.x, in.y);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  usertest::Pump();
  EXPECT_EQ(SendMessageW(box, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
  Kx2InjectMouseMove(out.x, out.y);
  usertest::Pump();
  EXPECT_EQ(SendMessageW(box, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  usertest::Pump();
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // Three states in turn; a plain check box leaves its state to the parent.
  HWND three = Button(BS_AUTO3STATE, RECT{10, 40, 110, 60});
  std::vector<LRESULT> states;
  for (int i = 0; i < 3; ++i) {
    SendMessageW(three, BM_CLICK, 0, 0);
    states.push_back(SendMessageW(three, BM_GETCHECK, 0, 0));
  }
  EXPECT_EQ(states, (std::vector<LRESULT>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));
  HWND plain = Button(BS_CHECKBOX, RECT{10, 70, 110, 90});
  heard.clear();
  SendMessageW(plain, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(plain, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(Commands(), std::vector<WORD>{BN_CLICKED});
  SendMessageW(plain, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(SendMessageW(plain, BM_GETCHECK, 0, 0), BST_INDETERMINATE) << "kept, drawn as checked";
  HWND push = Button(BS_PUSHBUTTON, RECT{10, 100, 110, 120});
  SendMessageW(push, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageW(push, BM_GETCHECK, 0, 0), 0) << "a push button has no check state";
  HWND empty = Button(BS_PUSHBUTTON, RECT{10, 130, 10, 130});
  heard.clear();
  SendMessageW(empty, BM_CLICK, 0, 0);
  EXPECT_EQ(Commands(), std::vector<WORD>{BN_CLICKED}) << "BM_CLICK needs no room under the mouse";
}

TEST_F(ButtonTest, AutoRadioButtonsClearTheirGroupOnly) {
  HWND a = Button(BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, RECT{10, 10, 110, 30}, 1);
  HWND b = Button(BS_AUTORADIOBUTTON, RECT{10, 40, 110, 60}, 2);
  HWND label = Button(BS_PUSHBUTTON, RECT{10, 70, 110, 90}, 3);
  HWND c = Button(BS_AUTORADIOBUTTON, RECT{10, 100, 110, 120}, 4);
  HWND other = Button(BS_AUTORADIOBUTTON | WS_GROUP, RECT{10, 130, 110, 150}, 5);
  SendMessageW(a, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(other, BM_SETCHECK, BST_CHECKED, 0);
  ClickAt(c, POINT{5, 10});
  EXPECT_EQ(SendMessageW(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(other, BM_GETCHECK, 0, 0), BST_CHECKED) << "another group";
  EXPECT_TRUE(IsWindow(label));
  EXPECT_EQ(GetWindowLongW(a, GWL_STYLE) & WS_TABSTOP, 0) << "Tab stops at the checked one";
  EXPECT_EQ(GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP, WS_TABSTOP);
  EXPECT_EQ(Commands(), std::vector<WORD>{BN_CLICKED});

  // A double click on a radio button is reported as such.
  heard.clear();
  SendMessageW(c, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 10));
  EXPECT_EQ(Commands(), std::vector<WORD>{BN_DOUBLECLICKED});
}

TEST_F(ButtonTest, SpaceClickAndFocusNotifications) {
  HWND b = Button(BS_PUSHBUTTON | BS_NOTIFY, RECT{10, 10, 110, 34});
  HWND disabled = Button(BS_PUSHBUTTON | WS_DISABLED, RECT{10, 40, 110, 64}, 8);
  SetFocus(b);
  SendMessageW(b, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(SendMessageW(b, BM_GETSTATE, 0, 0), BST_PUSHED | BST_FOCUS);
  SendMessageW(b, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(SendMessageW(b, BM_GETSTATE, 0, 0), BST_FOCUS);
  SendMessageW(disabled, BM_CLICK, 0, 0);
  SetFocus(parent_);
  EXPECT_EQ(Commands(), (std::vector<WORD>{BN_SETFOCUS, BN_CLICKED, BN_KILLFOCUS}));
  // Space down, then the focus lost: no click.
  heard.clear();
  SetFocus(b);
  SendMessageW(b, WM_KEYDOWN, VK_SPACE, 0);
  SetFocus(parent_);
  SendMessageW(b, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(Commands(), (std::vector<WORD>{BN_SETFOCUS, BN_KILLFOCUS}));
}

TEST_F(ButtonTest, SetStyleMovesTheDefaultButKeepsTheKind) {
  HWND push = Button(BS_PUSHBUTTON, RECT{0, 0, 80, 24}, 1);
  HWND split = Button(BS_SPLITBUTTON, RECT{0, 30, 80, 54}, 2);
  HWND owner = Button(BS_OWNERDRAW, RECT{0, 60, 80, 84}, 3);
  for (HWND b : {push, split, owner}) SendMessageW(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(GetWindowLongW(push, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongW(split, GWL_STYLE) & BS_TYPEMASK, BS_DEFSPLITBUTTON);
  EXPECT_EQ(GetWindowLongW(owner, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(SendMessageW(split, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_NE(GetWindowLongW(push, GWL_STYLE) & WS_VISIBLE, 0) << "window styles stay";
  SendMessageW(split, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  EXPECT_EQ(GetWindowLongW(split, GWL_STYLE) & BS_TYPEMASK, BS_SPLITBUTTON);
}

TEST_F(ButtonTest, SplitButtonDropPartNotifiesInsteadOfClicking) {
  HWND split = Button(BS_SPLITBUTTON, RECT{10, 10, 130, 40});
  ClickAt(split, POINT{113, 15});
  bool dropped = false;
  for (const Heard& h : heard) dropped |= h.message == WM_NOTIFY && h.wParam == BCN_DROPDOWN;
  EXPECT_TRUE(dropped);
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(SendMessageW(split, BM_GETSTATE, 0, 0) & BST_DROPDOWNPUSHED, 0) << "up again once answered";
  heard.clear();
  ClickAt(split, POINT{40, 15});
  EXPECT_EQ(Commands(), std::vector<WORD>{BN_CLICKED});
  BUTTON_SPLITINFO info{BCSIF_SIZE | BCSIF_STYLE, nullptr, 0, SIZE{}};
  EXPECT_TRUE(SendMessageW(split, BCM_GETSPLITINFO, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_GT(info.size.cx, 0);
  SIZE ideal{};
  EXPECT_TRUE(SendMessageW(split, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  EXPECT_GT(ideal.cx, 12);
}

TEST_F(ButtonTest, OwnerDrawnButtonsArePaintedByTheParent) {
  HWND owner = Button(BS_OWNERDRAW, RECT{10, 10, 60, 40});
  Canvas canvas(50, 30);
  SendMessageW(owner, BM_SETSTATE, TRUE, 0);
  SendMessageW(owner, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(lastDrawState & ODS_SELECTED, ODS_SELECTED);
  EXPECT_EQ(canvas.At(25, 15), RGB(0, 0, 0));
}

// The classic look, probed: a raised face with the default frame, a sunken pushed face, the
// check mark and radio dot in their glyphs, the group frame broken by its caption.
TEST_F(ButtonTest, ClassicLookProbes) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE), text = GetSysColor(COLOR_BTNTEXT);
  HWND def = Button(BS_DEFPUSHBUTTON, RECT{0, 0, 80, 26}, 1, u"OK");
  Canvas up(80, 26, RGB(255, 0, 255));
  SendMessageW(def, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(up.Dc()), PRF_CLIENT);
  EXPECT_EQ(up.At(0, 0), GetSysColor(COLOR_WINDOWFRAME)) << "the default frame";
  EXPECT_GT(Luma(up.At(1, 1)), Luma(face)) << "raised: light at the top left";
  EXPECT_EQ(up.At(78, 24), GetSysColor(COLOR_3DDKSHADOW)) << "dark at the bottom right";
  EXPECT_EQ(up.At(10, 13), face);
  EXPECT_GT(Count(up, RECT{20, 4, 60, 22}, text), 5) << "the caption's ink";
  bool asked = false;
  for (const Heard& h : heard) asked |= h.message == WM_CTLCOLORBTN && reinterpret_cast<HWND>(h.lParam) == def;
  EXPECT_TRUE(asked) << "a push button asks its parent with WM_CTLCOLORBTN";

  HWND push = Button(BS_PUSHBUTTON, RECT{0, 30, 80, 56}, 2, u"OK");
  SendMessageW(push, BM_SETSTATE, TRUE, 0);
  Canvas down(80, 26);
  SendMessageW(push, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(down.Dc()), PRF_CLIENT);
  EXPECT_LT(Luma(down.At(0, 0)), Luma(face)) << "sunken while pushed: dark at the top left";
  EXPECT_GT(Luma(down.At(79, 25)), Luma(face)) << "and light at the bottom right";

  HWND box = Button(BS_AUTOCHECKBOX, RECT{0, 60, 100, 80}, 3, u"Box");
  Canvas off(100, 20), on(100, 20), third(100, 20);
  SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(off.Dc()), PRF_CLIENT);
  SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(on.Dc()), PRF_CLIENT);
  const RECT glyph{2, 5, 11, 14};  // inside the well
  const COLORREF well = GetSysColor(COLOR_WINDOW);
  EXPECT_EQ(Ink(off, glyph, well), 0);
  EXPECT_GT(Ink(on, glyph, well), 12) << "the check mark";
  EXPECT_EQ(on.At(6, 3), GetSysColor(COLOR_3DSHADOW)) << "the well's sunken edge";
  EXPECT_GT(Count(on, RECT{16, 0, 60, 20}, text), 5) << "the text beside the glyph";
  HWND three = Button(BS_AUTO3STATE, RECT{0, 60, 100, 80}, 4, u"Box");
  SendMessageW(three, BM_SETCHECK, BST_INDETERMINATE, 0);
  SendMessageW(three, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(third.Dc()), PRF_CLIENT);
  EXPECT_GT(Ink(third, glyph, face), 12) << "the third state's mark";
  EXPECT_EQ(third.At(3, 13), face) << "on a face-coloured well";

  HWND radio = Button(BS_RADIOBUTTON, RECT{0, 90, 100, 110}, 5, u"One");
  SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
  Canvas dot(100, 20);
  SendMessageW(radio, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dot.Dc()), PRF_CLIENT);
  EXPECT_EQ(dot.At(6, 10), GetSysColor(COLOR_WINDOWTEXT)) << "the dot at the glyph's centre";

  HWND group = Button(BS_GROUPBOX, RECT{0, 120, 200, 220}, 6, u"Options");
  Canvas frame(200, 100, RGB(255, 0, 255));
  SendMessageW(group, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(frame.Dc()), PRF_CLIENT);
  EXPECT_EQ(frame.At(0, 50), GetSysColor(COLOR_3DSHADOW)) << "the etched frame's left side";
  EXPECT_EQ(frame.At(1, 50), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(frame.At(100, 50), RGB(255, 0, 255)) << "the inside is left alone";
  int top = -1;
  for (int y = 0; y < 20 && top < 0; ++y)
    if (frame.At(150, y) == GetSysColor(COLOR_3DSHADOW)) top = y;
  EXPECT_GT(top, 2) << "the top edge half a line down";
  EXPECT_NE(frame.At(4, top), RGB(255, 0, 255)) << "before the caption";
  EXPECT_EQ(frame.At(10, top), face) << "the caption's background breaks the line";
  EXPECT_GT(Ink(frame, RECT{11, 0, 60, 16}, face), 10) << "the caption's text";
  EXPECT_EQ(SendMessageW(group, WM_NCHITTEST, 0, MAKELPARAM(150, 170)), HTTRANSPARENT);
}

TEST_F(ButtonTest, HollowBrushReplyLeavesTheBackground) {
  answerBrush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  HWND box = Button(BS_CHECKBOX, RECT{0, 0, 100, 20}, 1, u"");
  HWND push = Button(BS_PUSHBUTTON, RECT{0, 30, 100, 60}, 2, u"");
  Canvas boxCanvas(100, 20, RGB(0, 128, 0)), pushCanvas(100, 30, RGB(0, 128, 0));
  SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(boxCanvas.Dc()), PRF_CLIENT);
  SendMessageW(push, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(pushCanvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(boxCanvas.At(60, 10), RGB(0, 128, 0));
  EXPECT_NE(boxCanvas.At(6, 10), RGB(0, 128, 0)) << "the glyph is still drawn";
  bool staticAsked = false;
  for (const Heard& h : heard) staticAsked |= h.message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(h.lParam) == box;
  EXPECT_TRUE(staticAsked) << "check boxes ask with WM_CTLCOLORSTATIC";
  // A solid answer is what the background becomes.
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 200));
  answerBrush = blue;
  SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(boxCanvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(boxCanvas.At(60, 10), RGB(0, 0, 200));
  answerBrush = nullptr;
  DeleteObject(blue);
}

TEST_F(ButtonTest, BitmapButtonsShowTheirImage) {
  HBITMAP red = comctltest::PixelBitmap(8, 8, [](int, int) -> uint32_t { return 0xFFFF0000; });
  HWND b = Button(BS_PUSHBUTTON | BS_BITMAP, RECT{0, 0, 40, 30}, 1, u"hidden");
  EXPECT_EQ(SendMessageW(b, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(red)), 0);
  EXPECT_EQ(SendMessageW(b, BM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(red));
  EXPECT_EQ(SendMessageW(b, BM_GETIMAGE, IMAGE_ICON, 0), 0);
  Canvas canvas(40, 30);
  SendMessageW(b, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(20, 15), RGB(255, 0, 0)) << "centred";
  EXPECT_EQ(canvas.At(10, 15), GetSysColor(COLOR_BTNFACE));
  DestroyWindow(b);
  DeleteObject(red);
}

// Every kind painted through WM_PAINT in a parent; the capture is written for a person.
TEST_F(ButtonTest, GalleryPaintsThroughWmPaint) {
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
  const struct {
    DWORD style;
    RECT r;
    LPCWSTR text;
    UINT check;
  } gallery[] = {
      {BS_PUSHBUTTON, {10, 10, 110, 36}, u"&Push", 0},
      {BS_DEFPUSHBUTTON, {120, 10, 220, 36}, u"Default", 0},
      {BS_SPLITBUTTON, {230, 10, 350, 36}, u"Split", 0},
      {BS_AUTOCHECKBOX, {10, 50, 130, 70}, u"Check", BST_CHECKED},
      {BS_AUTO3STATE, {140, 50, 260, 70}, u"Third", BST_INDETERMINATE},
      {BS_AUTORADIOBUTTON | WS_GROUP, {10, 80, 130, 100}, u"Radio one", BST_CHECKED},
      {BS_AUTORADIOBUTTON, {140, 80, 260, 100}, u"Radio two", 0},
      {BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_GROUP, {270, 50, 380, 76}, u"Push-like", BST_CHECKED},
      {BS_CHECKBOX | BS_RIGHTBUTTON | BS_RIGHT, {270, 80, 380, 100}, u"Right", BST_CHECKED},
      {BS_GROUPBOX, {10, 110, 380, 200}, u"Group", 0},
      {BS_PUSHBUTTON | BS_MULTILINE, {20, 130, 120, 190}, u"Two lines of text here", 0},
      {BS_PUSHBUTTON | WS_DISABLED, {130, 130, 230, 156}, u"Disabled", 0},
      {BS_CHECKBOX | WS_DISABLED, {240, 130, 370, 150}, u"Disabled", BST_CHECKED},
      {BS_PUSHBUTTON | BS_FLAT, {130, 162, 230, 188}, u"Flat", 0},
  };
  HWND focus = nullptr;
  for (const auto& g : gallery) {
    HWND b = Button(g.style, g.r, 20, g.text);
    SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (g.check) SendMessageW(b, BM_SETCHECK, g.check, 0);
    if (!focus) focus = b;
  }
  SetFocus(focus);
  UpdateWindow(parent_);
  usertest::Pump();
  cairo_surface_t* capture = Kx2CaptureWindow(parent_);
  ASSERT_NE(capture, nullptr);
  const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(capture) +
                                                      10 * cairo_image_surface_get_stride(capture));
  EXPECT_EQ(row[120] & 0xFFFFFF, 0u) << "the default button's frame, painted in its window";
  if (const char* dir = std::getenv("KX2_TEST_OUTPUT")) {
    const std::string path = std::string(dir) + "/user_buttons.png";
    Kx2WriteCapturePng(capture, std::u16string(path.begin(), path.end()).c_str());
  }
  cairo_surface_destroy(capture);
  for (HWND c = GetWindow(parent_, GW_CHILD); c; c = GetWindow(parent_, GW_CHILD)) DestroyWindow(c);
  DeleteObject(font);
}

}  // namespace

// The date-time picker and month calendar skin objects on the platform's real controls with
// a generated skin whose "COMBOBOX" and check-box parts fill with one colour per state and
// whose scroll bars are wider than the system's: the picker's border, check box and drop
// button by state and by the common controls' version, its drop area opening the calendar,
// and the calendars' skin colours, given at creation and taken back with the skin.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <kx2/InputState.h>
#include <kx2test/ChildProcess.h>
#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/controls/date_time_object.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"
#include "probe_canvas.h"

namespace {

COLORREF BorderColour(int state) { return RGB(20 * state, 0, 160); }
COLORREF ButtonColour(int state) { return RGB(0, 40 * state, 90); }
COLORREF CheckColour(int state) { return RGB(200, 20 * state, 0); }
constexpr COLORREF kWindow = RGB(250, 240, 200), kFace = RGB(180, 170, 160);
constexpr COLORREF kTitle = RGB(10, 120, 10), kTitleText = RGB(240, 250, 90);
constexpr COLORREF kEdgeImage = RGB(0, 150, 150);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr int kSkinScroll = 40;

std::u16string Number(int n) { return ornatex_test::ProbeNumber(n); }
std::u16string Colour(COLORREF c) { return ornatex_test::ProbeColourText(c); }

// A 32-bit memory DC filled with magenta, to print into.
struct Canvas : ornatex_test::ProbeCanvas {
  Canvas(int w, int h) : ProbeCanvas(w, h, kMagenta) {}
};

class DateTimeObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    Kx2ResetInput();
    parent_ =
        CreateWindowExW(0, u"Static", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    manager_->RemoveSkin();
    Kx2ResetInput();
  }
  // The skin; `imageBox` draws the box part from an image instead of a border fill.
  void Load(bool imageBox = false) {
    std::vector<std::u16string> lines = {
        u"[SysMetrics]",
        u"ScrollbarWidth = " + Number(kSkinScroll),
        u"Window = " + Colour(kWindow),
        u"BtnFace = " + Colour(kFace),
        u"ActiveCaption = " + Colour(kTitle),
        u"CaptionText = " + Colour(kTitleText),
    };
    for (int s = 1; s <= 4; ++s) {
      lines.push_back(u"[ComboBox.0(" + Number(s) + u")]");
      if (imageBox) {
        lines.push_back(u"ImageFile = box.bmp");
      } else {
        lines.push_back(u"BgType = 1");
        lines.push_back(u"BorderSize = 1");
        lines.push_back(u"BorderColor = " + Colour(BorderColour(s)));
      }
      lines.push_back(u"[ComboBox.1(" + Number(s) + u")]");
      lines.push_back(u"BgType = 1");
      lines.push_back(u"BorderSize = 0");
      lines.push_back(u"FillColor = " + Colour(ButtonColour(s)));
    }
    for (int s : {1, 4, 5, 8}) {
      lines.push_back(u"[Button.3(" + Number(s) + u")]");
      lines.push_back(u"BgType = 1");
      lines.push_back(u"BorderSize = 0");
      lines.push_back(u"FillColor = " + Colour(CheckColour(s)));
    }
    skin_.WriteBitmap("box.bmp", 12, 12, kEdgeImage);
    skin_.Write(lines);
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
  }
  HWND Picker(DWORD style, DWORD exStyle = 0, int width = 200, int height = 24) {
    return CreateWindowExW(exStyle, DATETIMEPICK_CLASSW, u"", WS_CHILD | WS_VISIBLE | style, 10, 10, width, height,
                           parent_, nullptr, nullptr, nullptr);
  }
  static void Print(HWND control, const Canvas& canvas) {
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  }
  static void Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  static SYSTEMTIME Date(int y, int m, int d) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    return st;
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"datetimeobjectskin"};
  HWND parent_ = nullptr;
};

TEST_F(DateTimeObject, RegistryGivesPickersAndCalendarsTheirObjects) {
  Load();
  HWND picker = Picker(0);
  HWND calendar = CreateWindowExW(0, MONTHCAL_CLASSW, u"", WS_CHILD, 0, 0, 10, 10, parent_, nullptr, nullptr, nullptr);
  EXPECT_NE(dynamic_cast<CKtkSkinObjectDateTime*>(manager_->Lookup(picker)), nullptr);
  EXPECT_NE(dynamic_cast<CKtkSkinObjectMonthCal*>(manager_->Lookup(calendar)), nullptr);
}

TEST_F(DateTimeObject, ModernBorderAndCheckBoxFollowTheStateAndTheDate) {
  Load();
  HWND picker = Picker(DTS_SHOWNONE);
  auto* object = dynamic_cast<CKtkSkinObjectDateTime*>(manager_->Lookup(picker));
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(object->IsModernBorder());
  RECT client{};
  GetClientRect(picker, &client);
  const int h = client.bottom, middle = h / 2;
  const int checkX = 1 + (h - 2) / 2;  // the square's centre

  // No date: unchecked box, normal border, the skin's window colour inside it.
  ASSERT_TRUE(SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_NONE, 0));
  {
    Canvas canvas(200, 24);
    Print(picker, canvas);
    EXPECT_EQ(canvas.At(0, middle), BorderColour(1));
    EXPECT_EQ(canvas.At(client.right - 1, middle), BorderColour(1));
    EXPECT_EQ(canvas.At(1, 1), kWindow);
    EXPECT_EQ(canvas.At(checkX, middle), CheckColour(1));
    // Modern mode leaves the control's own drop button.
    EXPECT_NE(canvas.At(client.right - 5, middle), ButtonColour(1));
  }
  // A date checks the box.
  const SYSTEMTIME date = Date(2024, 2, 29);
  ASSERT_TRUE(SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date)));
  {
    Canvas canvas(200, 24);
    Print(picker, canvas);
    EXPECT_EQ(canvas.At(checkX, middle), CheckColour(5));
  }
  // The mouse over it makes it hot; leaving clears that.
  Kx2InjectMouseMove(10 + 50, 10 + middle);
  Pump();
  {
    Canvas canvas(200, 24);
    Print(picker, canvas);
    EXPECT_EQ(canvas.At(0, middle), BorderColour(2));
  }
  Kx2InjectMouseMove(900, 900);
  Pump();
  {
    Canvas canvas(200, 24);
    Print(picker, canvas);
    EXPECT_EQ(canvas.At(0, middle), BorderColour(1));
  }
  // Disabled: the face colour inside, the disabled border and check box.
  EnableWindow(picker, FALSE);
  {
    Canvas canvas(200, 24);
    Print(picker, canvas);
    EXPECT_EQ(canvas.At(0, middle), BorderColour(4));
    EXPECT_EQ(canvas.At(1, 1), kFace);
    EXPECT_EQ(canvas.At(checkX, middle), CheckColour(8));
  }
  ASSERT_TRUE(SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_NONE, 0));
  {
    Canvas canvas(200, 24);
    Print(picker, canvas);
    EXPECT_EQ(canvas.At(checkX, middle), CheckColour(4));
  }
}

TEST_F(DateTimeObject, ClientEdgeOrAnOlderLibraryGetsTheSkinsDropButton) {
  if (!kx2test::InChild()) {
    // Common controls 6.0 draw no border of their own.
    auto child = kx2test::RunInChild("DateTimeObject.ClientEdgeOrAnOlderLibraryGetsTheSkinsDropButton",
                                     {{"KX2_COMCTL_VERSION", "6.0"}});
    EXPECT_TRUE(child.Passed()) << child.output;
  }
  Load();
  // In the child every picker is classic; in the parent (6.10) only the one with a client
  // edge.
  HWND picker = Picker(0, kx2test::InChild() ? 0 : WS_EX_CLIENTEDGE);
  auto* object = dynamic_cast<CKtkSkinObjectDateTime*>(manager_->Lookup(picker));
  ASSERT_NE(object, nullptr);
  EXPECT_FALSE(object->IsModernBorder());
  RECT client{};
  GetClientRect(picker, &client);
  Canvas canvas(200, 24);
  Print(picker, canvas);
  const int middle = client.bottom / 2;
  // The skin's button fills the skin's scroll width at the right; the three pixels before
  // it are the window colour; no border is drawn over the client.
  EXPECT_EQ(canvas.At(client.right - 1, middle), ButtonColour(1));
  EXPECT_EQ(canvas.At(client.right - kSkinScroll, middle), ButtonColour(1));
  EXPECT_EQ(canvas.At(client.right - kSkinScroll - 2, middle), kWindow);
  EXPECT_NE(canvas.At(0, middle), BorderColour(1));
  // Up-down pickers keep their arrows.
  HWND updown = Picker(DTS_UPDOWN, kx2test::InChild() ? 0 : WS_EX_CLIENTEDGE);
  Canvas arrows(200, 24);
  Print(updown, arrows);
  EXPECT_NE(arrows.At(client.right - 5, middle), ButtonColour(1));
}

TEST_F(DateTimeObject, ModernBorderFromSixTenOrFiveFiftyTwo) {
  Load();
  HWND picker = Picker(0);
  auto* object = dynamic_cast<CKtkSkinObjectDateTime*>(manager_->Lookup(picker));
  ASSERT_NE(object, nullptr);
  const DWORD kept = manager_->m_comCtlVersion;
  const struct {
    DWORD version;
    bool modern;
  } cases[] = {{0x6000A, true}, {0x60009, false}, {0x60000, false}, {0x70000, true},
               {0x50052, true}, {0x50034, true},  {0x50033, false}, {0x40046, false}};
  for (const auto& c : cases) {
    manager_->m_comCtlVersion = c.version;
    EXPECT_EQ(object->IsModernBorder() != FALSE, c.modern) << std::hex << c.version;
  }
  manager_->m_comCtlVersion = kept;
}

TEST_F(DateTimeObject, ClientEdgeWithAnImageBoxIsDrawnAroundTheWindow) {
  Load(true);
  HWND picker = Picker(0, WS_EX_CLIENTEDGE, 200, 26);
  RECT box{};
  GetWindowRect(picker, &box);
  const int w = box.right - box.left, h = box.bottom - box.top;
  Canvas canvas(w, h);
  SendMessageW(picker, WM_PRINT, reinterpret_cast<WPARAM>(canvas.dc), PRF_NONCLIENT);
  EXPECT_EQ(canvas.At(0, h / 2), kEdgeImage);
  EXPECT_EQ(canvas.At(w - 1, h / 2), kEdgeImage);
  EXPECT_EQ(canvas.At(w / 2, 1), kEdgeImage);
  // Inside the two-pixel ring the image is left out.
  EXPECT_NE(canvas.At(w / 2, h / 2), kEdgeImage);
}

TEST_F(DateTimeObject, ClickInTheDropAreaOpensTheCalendarAsAltDown) {
  Load();
  HWND other =
      CreateWindowExW(0, u"Edit", u"", WS_CHILD | WS_VISIBLE, 10, 60, 80, 20, parent_, nullptr, nullptr, nullptr);
  HWND picker = Picker(0);
  RECT client{};
  GetClientRect(picker, &client);
  const int middle = client.bottom / 2;
  const int systemButton = GetSystemMetrics(SM_CXVSCROLL);
  ASSERT_LT(systemButton, kSkinScroll - 4);
  SetFocus(other);
  // Left of the skin's drop area: the control's own click, which opens nothing there.
  SendMessageW(picker, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - kSkinScroll - 4, middle));
  SendMessageW(picker, WM_LBUTTONUP, 0, MAKELPARAM(client.right - kSkinScroll - 4, middle));
  EXPECT_EQ(SendMessageW(picker, DTM_GETMONTHCAL, 0, 0), 0);
  // Inside the skin's drop area but outside the control's own button: the object opens it.
  SetFocus(other);
  SendMessageW(picker, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - kSkinScroll + 2, middle));
  SendMessageW(picker, WM_LBUTTONUP, 0, MAKELPARAM(client.right - kSkinScroll + 2, middle));
  EXPECT_EQ(GetFocus(), picker);
  const auto calendar = reinterpret_cast<HWND>(SendMessageW(picker, DTM_GETMONTHCAL, 0, 0));
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(calendar, MCM_GETCOLOR, MCSC_TITLEBK, 0)), kTitle);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(calendar, MCM_GETCOLOR, MCSC_MONTHBK, 0)), kWindow);
  // Disabled pickers and up-down ones leave the click to the control.
  SendMessageW(picker, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_EQ(SendMessageW(picker, DTM_GETMONTHCAL, 0, 0), 0);
  HWND updown = Picker(DTS_UPDOWN);
  SendMessageW(updown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - kSkinScroll + 2, middle));
  EXPECT_EQ(SendMessageW(updown, DTM_GETMONTHCAL, 0, 0), 0);
  DestroyWindow(other);
}

TEST_F(DateTimeObject, CalendarsTakeTheSkinsColoursAndGiveThemBack) {
  HWND before = CreateWindowExW(0, MONTHCAL_CLASSW, u"", WS_CHILD, 0, 0, 10, 10, parent_, nullptr, nullptr, nullptr);
  HWND pickerBefore = Picker(0);
  Load();
  HWND after = CreateWindowExW(0, MONTHCAL_CLASSW, u"", WS_CHILD, 0, 0, 10, 10, parent_, nullptr, nullptr, nullptr);
  HWND pickerAfter = Picker(0);
  auto colour = [](HWND w, int part) { return static_cast<COLORREF>(SendMessageW(w, MCM_GETCOLOR, part, 0)); };
  auto pickerColour = [](HWND w, int part) { return static_cast<COLORREF>(SendMessageW(w, DTM_GETMCCOLOR, part, 0)); };
  for (HWND calendar : {before, after}) {
    EXPECT_EQ(colour(calendar, MCSC_TITLEBK), kTitle);
    EXPECT_EQ(colour(calendar, MCSC_TITLETEXT), kTitleText);
    EXPECT_EQ(colour(calendar, MCSC_BACKGROUND), kWindow);
  }
  for (HWND picker : {pickerBefore, pickerAfter}) {
    EXPECT_EQ(pickerColour(picker, MCSC_TITLEBK), kTitle);
    EXPECT_EQ(pickerColour(picker, MCSC_MONTHBK), kWindow);
  }
  manager_->RemoveSkin();
  for (HWND calendar : {before, after}) {
    EXPECT_EQ(colour(calendar, MCSC_TITLEBK), GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(colour(calendar, MCSC_BACKGROUND), GetSysColor(COLOR_WINDOW));
  }
  EXPECT_EQ(pickerColour(pickerAfter, MCSC_TITLEBK), GetSysColor(COLOR_ACTIVECAPTION));
}

}  // namespace

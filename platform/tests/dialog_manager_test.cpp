// The dialog manager: dialogs from both template forms and from resources, dialog units,
// DefDlgProcW and its slots, the modal loop driven by the idle handler, and the item
// helpers. Controls are the small classes of dialog_test_support.h.
#include <cstdio>
#include <vector>

#include "dialog_test_support.h"
#include "kx2/ResourceContainer.h"
#include "kx2test/TempFiles.h"
#include "user_test_support.h"
#include "win/gdi.h"
#include "win/module.h"
#include "win/nls.h"
#include "win/resource.h"

namespace {

using dlgtest::Item;
using dlgtest::TemplateWriter;

struct Seen {
  std::vector<UINT> messages;
  WPARAM initFocus = 0;
  LPARAM initParam = 0;
  std::vector<WPARAM> commands;
  HBRUSH dialogBrush = nullptr;  // the WM_CTLCOLORDLG answer, when set
  bool endOnCommand = true;
  bool focusFirst = true;
};
Seen* g_seen = nullptr;

INT_PTR CALLBACK RecordingProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!g_seen) return FALSE;
  g_seen->messages.push_back(message);
  switch (message) {
    case WM_INITDIALOG:
      g_seen->initFocus = wParam;
      g_seen->initParam = lParam;
      return g_seen->focusFirst;
    case WM_COMMAND:
      g_seen->commands.push_back(wParam);
      if (g_seen->endOnCommand && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        EndDialog(dlg, LOWORD(wParam));
      return TRUE;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(g_seen->dialogBrush);
    case WM_APP:
      SetWindowLongPtrW(dlg, DWLP_MSGRESULT, 1234);
      return TRUE;
    default:
      return FALSE;
  }
}

// The base units of a font computed here as the system does (average of the 52 Latin
// letters, the font's height).
SIZE BaseUnitsOf(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &extent);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{(extent.cx / 26 + 1) / 2, tm.tmHeight};
}

class DialogTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    dlgtest::RegisterTestControls();
    g_seen = &seen_;
  }
  void TearDown() override {
    g_seen = nullptr;
    Kx2SetIdleHandler(nullptr, nullptr);
    WindowTest::TearDown();
  }

  // Every waiting message through the dialog's keyboard handling.
  static void PumpDialog(HWND dlg) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      if (!IsDialogMessageW(dlg, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
  }

  // Name, age and two buttons; Name's label carries a mnemonic.
  static TemplateWriter Form(bool extended, DWORD extraStyle = 0) {
    TemplateWriter t(extended, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | extraStyle, 10, 10, 200, 100,
                     u"Form");
    t.Font(8, u"DejaVu Sans");
    t.Add(Item{WS_CHILD | WS_VISIBLE, 0, 5, 5, 40, 10, 0xFFFFFFFF, u"DlgTestStatic", 0, u"&Name:", {}});
    t.Add(Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, 0, 50, 5, 100, 12, 101, u"DlgTestEdit", 0, u"Ann", {}});
    t.Add(Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 50, 20, 40, 12, 102, u"DlgTestEdit", 0, u"42", {}});
    t.Add(Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
               0,
               50,
               80,
               50,
               14,
               IDOK,
               u"DlgTestButton",
               0,
               u"OK",
               {}});
    t.Add(Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 110, 80, 50, 14, IDCANCEL, u"DlgTestButton", 0, u"Cancel", {}});
    return t;
  }

  Seen seen_;
};

RECT ChildRect(HWND dlg, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(DialogTest, BothTemplateFormsPlaceControlsInTheDialogUnitsOfTheirFont) {
  for (bool extended : {true, false}) {
    SCOPED_TRACE(extended ? "DLGTEMPLATEEX" : "DLGTEMPLATE");
    const std::vector<BYTE> bytes = Form(extended).Bytes();
    HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                          &RecordingProc, 77);
    ASSERT_NE(dlg, nullptr);
    WCHAR cls[16] = {};
    GetClassNameW(dlg, cls, 16);
    EXPECT_EQ(std::u16string(cls), u"#32770");
    EXPECT_TRUE(GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);

    auto font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    const SIZE base = BaseUnitsOf(font);
    struct Case {
      int id;
      RECT dlu;  // x, y, cx, cy
    };
    const Case cases[] = {{101, {50, 5, 100, 12}}, {102, {50, 20, 40, 12}}, {IDCANCEL, {110, 80, 50, 14}}};
    // The label's IDC_STATIC: -1 in the extended form's 32-bit id, 65535 in the classic one.
    HWND label = GetDlgItem(dlg, extended ? -1 : 0xFFFF);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(GetDlgCtrlID(label), extended ? -1 : 0xFFFF);
    for (const Case& c : cases) {
      HWND control = GetDlgItem(dlg, c.id);
      ASSERT_NE(control, nullptr) << c.id;
      EXPECT_EQ(GetDlgCtrlID(control), c.id);
      const RECT expected{MulDiv(c.dlu.left, base.cx, 4), MulDiv(c.dlu.top, base.cy, 8),
                          MulDiv(c.dlu.left, base.cx, 4) + MulDiv(c.dlu.right, base.cx, 4),
                          MulDiv(c.dlu.top, base.cy, 8) + MulDiv(c.dlu.bottom, base.cy, 8)};
      const RECT got = ChildRect(dlg, control);
      EXPECT_TRUE(EqualRect(&got, &expected))
          << c.id << ": " << got.left << "," << got.top << "," << got.right << "," << got.bottom;
      EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), nullptr)
          << "the test controls keep no font; the dialog sent it anyway";
    }
    RECT units{0, 0, 200, 100};
    ASSERT_TRUE(MapDialogRect(dlg, &units));
    RECT client{};
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    EXPECT_EQ(units.right, MulDiv(200, base.cx, 4));

    // WM_SETFONT reaches the procedure before WM_INITDIALOG, which names the first tab stop.
    ASSERT_FALSE(seen_.messages.empty());
    EXPECT_EQ(seen_.initParam, 77);
    EXPECT_EQ(reinterpret_cast<HWND>(seen_.initFocus), GetDlgItem(dlg, 101));
    DestroyWindow(dlg);
    seen_ = Seen{};
  }
}

TEST_F(DialogTest, WithoutAFontTheSystemFontsBaseUnitsApply) {
  TemplateWriter t(true, WS_POPUP, 0, 0, 100, 50);
  t.Add(Item{WS_CHILD, 0, 4, 8, 8, 16, 7, u"DlgTestStatic", 0, u"", {}});
  const std::vector<BYTE> bytes = t.Bytes();
  HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                        &RecordingProc, 0);
  ASSERT_NE(dlg, nullptr);
  const LONG units = GetDialogBaseUnits();
  const SIZE system = BaseUnitsOf(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
  EXPECT_EQ(LOWORD(units), system.cx);
  EXPECT_EQ(HIWORD(units), system.cy);
  const RECT got = ChildRect(dlg, GetDlgItem(dlg, 7));
  EXPECT_EQ(got.left, system.cx);
  EXPECT_EQ(got.top, system.cy);
  EXPECT_EQ(got.right - got.left, 2 * system.cx);
  DestroyWindow(dlg);
}

TEST_F(DialogTest, AControlOfAMissingClassFailsTheDialogUnlessToldNotTo) {
  for (DWORD style : {0ul, static_cast<unsigned long>(DS_NOFAILCREATE)}) {
    TemplateWriter t(true, WS_POPUP | style, 0, 0, 100, 50);
    t.Add(Item{WS_CHILD, 0, 0, 0, 10, 10, 1, u"DlgTestStatic", 0, u"", {}});
    t.Add(Item{WS_CHILD, 0, 0, 0, 10, 10, 2, u"NoSuchControlClass", 0, u"", {}});
    const std::vector<BYTE> bytes = t.Bytes();
    SetLastError(0);
    HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                          &RecordingProc, 0);
    if (style) {
      ASSERT_NE(dlg, nullptr);
      EXPECT_NE(GetDlgItem(dlg, 1), nullptr);
      DestroyWindow(dlg);
    } else {
      EXPECT_EQ(dlg, nullptr);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    }
  }
}

TEST_F(DialogTest, ATopLevelDialogIsNoLargerThanAWindowCanBeTracked) {
  const std::vector<BYTE> bytes = TemplateWriter(true, WS_POPUP | WS_CAPTION, 0, 0, 32767, 32767).Bytes();
  HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                        &RecordingProc, 0);
  ASSERT_NE(dlg, nullptr);
  RECT r{};
  GetWindowRect(dlg, &r);
  EXPECT_LE(r.right - r.left, GetSystemMetrics(SM_CXMAXTRACK));
  EXPECT_LE(r.bottom - r.top, GetSystemMetrics(SM_CYMAXTRACK));
  DestroyWindow(dlg);
}

TEST_F(DialogTest, ADialogOfAClassThatIgnoresDefDlgProcStillGoesCleanly) {
  // Its procedure never passes WM_NCDESTROY on: what the dialog manager kept for it is
  // freed all the same (the sanitizer build checks).
  for (int round = 0; round < 2; ++round) {
    const std::vector<BYTE> bytes = TemplateWriter(true, WS_POPUP, 0, 0, 50, 50).ClassName(u"DlgTestStatic").Bytes();
    HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                          &RecordingProc, 0);
    ASSERT_NE(dlg, nullptr);
    WCHAR cls[32] = {};
    GetClassNameW(dlg, cls, 32);
    EXPECT_EQ(std::u16string(cls), u"DlgTestStatic");
    DestroyWindow(dlg);
  }
}

TEST_F(DialogTest, PredefinedClassOrdinalsNameTheStandardClasses) {
  const std::pair<WORD, std::u16string> ordinals[] = {{0x80, u"Button"},  {0x81, u"Edit"},      {0x82, u"Static"},
                                                      {0x83, u"ListBox"}, {0x84, u"ScrollBar"}, {0x85, u"ComboBox"}};
  for (const auto& [ordinal, name] : ordinals) {
    TemplateWriter t(true, WS_POPUP, 0, 0, 100, 50);
    t.Add(Item{WS_CHILD, 0, 0, 0, 10, 10, 5, u"", ordinal, u"", {}});
    const std::vector<BYTE> bytes = t.Bytes();
    WNDCLASSW existing{};
    const bool registered = GetClassInfoW(nullptr, name.c_str(), &existing) != 0;
    HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                          &RecordingProc, 0);
    if (!registered) {
      // Until the control library provides the class, a dialog with it fails as Windows does.
      EXPECT_EQ(dlg, nullptr) << ordinal;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
      continue;
    }
    ASSERT_NE(dlg, nullptr) << ordinal;
    WCHAR cls[32] = {};
    GetClassNameW(GetDlgItem(dlg, 5), cls, 32);
    EXPECT_EQ(CompareStringOrdinal(cls, -1, name.c_str(), -1, TRUE), CSTR_EQUAL) << ordinal;
    DestroyWindow(dlg);
  }
}

TEST_F(DialogTest, DefDlgProcAnswersFromTheSlotsAndDirectlyWhereWindowsDoes) {
  const std::vector<BYTE> bytes = Form(true).Bytes();
  HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                        &RecordingProc, 0);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(dlg, DWLP_DLGPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));
  EXPECT_EQ(SendMessageW(dlg, WM_APP, 0, 0), 1234) << "a handled message answers DWLP_MSGRESULT";
  SetWindowLongPtrW(dlg, DWLP_USER, 99);
  EXPECT_EQ(GetWindowLongPtrW(dlg, DWLP_USER), 99);
  seen_.dialogBrush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SendMessageW(dlg, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(dlg)),
            reinterpret_cast<LRESULT>(seen_.dialogBrush));
  seen_.dialogBrush = nullptr;
  EXPECT_EQ(SendMessageW(dlg, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(dlg)),
            reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE)));

  // The template's BS_DEFPUSHBUTTON is the default id; DM_SETDEFID moves it and the look.
  EXPECT_EQ(SendMessageW(dlg, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
  SendMessageW(dlg, DM_SETDEFID, IDCANCEL, 0);
  EXPECT_EQ(SendMessageW(dlg, DM_GETDEFID, 0, 0), MAKELRESULT(IDCANCEL, DC_HASDEFID));
  EXPECT_EQ(GetWindowLongW(GetDlgItem(dlg, IDCANCEL), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongW(GetDlgItem(dlg, IDOK), GWL_STYLE) & 0xF, BS_PUSHBUTTON);

  // WM_CLOSE is Cancel.
  seen_.endOnCommand = false;
  SendMessageW(dlg, WM_CLOSE, 0, 0);
  usertest::Pump();
  ASSERT_EQ(seen_.commands.size(), 1u);
  EXPECT_EQ(seen_.commands[0], MAKEWPARAM(IDCANCEL, BN_CLICKED));
  DestroyWindow(dlg);
}

TEST_F(DialogTest, RepositionBringsATopLevelDialogBackInsideTheWorkArea) {
  const std::vector<BYTE> bytes = TemplateWriter(true, WS_POPUP | WS_CAPTION, 0, 0, 100, 50).Bytes();
  HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                        &RecordingProc, 0);
  ASSERT_NE(dlg, nullptr);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(dlg, nullptr, work.right - 10, work.bottom - 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(dlg, DM_REPOSITION, 0, 0);
  RECT r{};
  GetWindowRect(dlg, &r);
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.bottom, work.bottom);
  DestroyWindow(dlg);
}

// Pixels of the client after WM_ERASEBKGND into a red DC.
COLORREF ErasedColour(HWND dlg) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 20);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 20, 20};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  DeleteObject(red);
  SendMessageW(dlg, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const COLORREF colour = GetPixel(dc, 5, 5);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return colour;
}

TEST_F(DialogTest, TheBackgroundIsTheBrushTheDialogAnswersAndAHollowOneLeavesItUnpainted) {
  const std::vector<BYTE> bytes = TemplateWriter(true, WS_POPUP, 0, 0, 50, 50).Bytes();
  HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                        &RecordingProc, 0);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(ErasedColour(dlg), GetSysColor(COLOR_3DFACE));
  HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
  seen_.dialogBrush = green;
  EXPECT_EQ(ErasedColour(dlg), RGB(0, 200, 0));
  seen_.dialogBrush = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
  EXPECT_EQ(ErasedColour(dlg), RGB(255, 0, 0));
  DestroyWindow(dlg);
  DeleteObject(green);
}

TEST_F(DialogTest, AChildDialogPassesControlColoursToItsParent) {
  HWND parent = Make(WS_OVERLAPPEDWINDOW);
  const std::vector<BYTE> bytes = TemplateWriter(true, WS_CHILD | DS_CONTROL, 0, 0, 50, 50).Bytes();
  HWND page = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), parent,
                                         &RecordingProc, 0);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(GetParent(page), parent);
  EXPECT_TRUE(GetWindowLongW(page, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
  usertest::Journal().clear();
  SendMessageW(page, WM_CTLCOLORSTATIC, 0, 0);
  EXPECT_EQ(usertest::MessagesOf(parent), std::vector<UINT>{WM_CTLCOLORSTATIC});
}

struct ModalScript {
  HWND owner = nullptr;
  int enterIdle = 0;
  bool ownerDisabled = false;
  INT_PTR result = 0;
  std::vector<UINT> keys;  // typed one per idle turn; then EndDialog with result
};
ModalScript* g_script = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENTERIDLE && g_script && wParam == MSGF_DIALOGBOX) {
    ++g_script->enterIdle;
    g_script->ownerDisabled = !IsWindowEnabled(hwnd);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL ModalIdle(void* context) {
  auto* script = static_cast<ModalScript*>(context);
  HWND dlg = FindWindowW(u"#32770", nullptr);
  if (!dlg || !IsWindowVisible(dlg)) return TRUE;
  if (!script->keys.empty()) {
    Kx2InjectKeyStroke(script->keys.front());
    script->keys.erase(script->keys.begin());
    return TRUE;
  }
  EndDialog(dlg, script->result);
  return TRUE;
}

TEST_F(DialogTest, TheModalLoopDisablesTheOwnerSendsEnterIdleAndReturnsEndDialogsResult) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &OwnerProc;
  wc.lpszClassName = u"DlgTestOwner";
  RegisterClassW(&wc);
  HWND owner = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{0, 0, 400, 300}, 0, u"DlgTestOwner");
  ASSERT_NE(owner, nullptr);
  ModalScript script;
  script.result = 42;
  g_script = &script;
  Kx2SetIdleHandler(&ModalIdle, &script);
  const std::vector<BYTE> bytes = Form(true).Bytes();
  const INT_PTR result =
      DialogBoxIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), owner, &RecordingProc, 0);
  Kx2SetIdleHandler(nullptr, nullptr);
  g_script = nullptr;
  EXPECT_EQ(result, 42);
  EXPECT_GE(script.enterIdle, 1);
  EXPECT_TRUE(script.ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(FindWindowW(u"#32770", nullptr), nullptr) << "the loop destroys its dialog";
}

TEST_F(DialogTest, EnterAndEscapeEndTheModalDialogThroughItsButtons) {
  const std::pair<UINT, INT_PTR> cases[] = {{VK_RETURN, IDOK}, {VK_ESCAPE, IDCANCEL}};
  for (const auto& [key, expected] : cases) {
    ModalScript script;
    script.keys = {key};
    script.result = -5;  // if the key did nothing
    Kx2SetIdleHandler(&ModalIdle, &script);
    const std::vector<BYTE> bytes = Form(true).Bytes();
    const INT_PTR result = DialogBoxIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                                   &RecordingProc, 0);
    Kx2SetIdleHandler(nullptr, nullptr);
    EXPECT_EQ(result, expected) << key;
  }
}

// A dialog that opens a second modal dialog over itself from WM_INITDIALOG's first idle.
struct Nested {
  HWND outer = nullptr;
  bool outerDisabledWhileInner = false;
  INT_PTR innerResult = 0;
  std::vector<BYTE> bytes;
};
Nested* g_nested = nullptr;

INT_PTR CALLBACK InnerProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

INT_PTR CALLBACK OuterProc(HWND dlg, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    g_nested->outer = dlg;
    PostMessageW(dlg, WM_APP, 0, 0);
    return TRUE;
  }
  if (message == WM_APP) {
    g_nested->innerResult = DialogBoxIndirectParamW(
        nullptr, reinterpret_cast<const DLGTEMPLATE*>(g_nested->bytes.data()), dlg, &InnerProc, 0);
    EndDialog(dlg, 20);
    return TRUE;
  }
  return FALSE;
}

BOOL EndInnerDialog(void*) {
  // The inner dialog is the one owned by the outer one.
  HWND inner = nullptr;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (g_nested && GetWindow(w, GW_OWNER) == g_nested->outer && IsWindowVisible(w)) inner = w;
  if (inner) {
    g_nested->outerDisabledWhileInner = !IsWindowEnabled(g_nested->outer);
    EndDialog(inner, 10);
  }
  return TRUE;
}

TEST_F(DialogTest, ANestedModalDialogDisablesTheOuterOneAndGivesItBack) {
  Nested nested;
  nested.bytes = TemplateWriter(true, WS_POPUP | WS_CAPTION, 0, 0, 60, 40).Bytes();
  g_nested = &nested;
  Kx2SetIdleHandler(&EndInnerDialog, nullptr);
  const INT_PTR result = DialogBoxIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(nested.bytes.data()),
                                                 nullptr, &OuterProc, 0);
  Kx2SetIdleHandler(nullptr, nullptr);
  g_nested = nullptr;
  EXPECT_EQ(result, 20);
  EXPECT_EQ(nested.innerResult, 10);
  EXPECT_TRUE(nested.outerDisabledWhileInner);
}

TEST_F(DialogTest, EndDialogDuringInitDialogEndsTheLoopBeforeItShows) {
  struct Local {
    static INT_PTR CALLBACK Proc(HWND dlg, UINT message, WPARAM, LPARAM) {
      if (message == WM_INITDIALOG) EndDialog(dlg, 7);
      if (message == WM_SHOWWINDOW) ADD_FAILURE() << "shown";
      return FALSE;
    }
  };
  const std::vector<BYTE> bytes = TemplateWriter(true, WS_POPUP, 0, 0, 50, 50).Bytes();
  EXPECT_EQ(
      DialogBoxIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr, &Local::Proc, 0),
      7);
}

TEST_F(DialogTest, ItemHelpersReachControlsByIdAndFailWithoutOne) {
  const std::vector<BYTE> bytes = Form(true).Bytes();
  HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                        &RecordingProc, 0);
  ASSERT_NE(dlg, nullptr);
  WCHAR text[16] = {};
  EXPECT_EQ(GetDlgItemTextW(dlg, 101, text, 16), 3u);
  EXPECT_EQ(std::u16string(text), u"Ann");
  EXPECT_TRUE(SetDlgItemTextW(dlg, 101, u"Bob"));
  EXPECT_EQ(GetDlgItemTextW(dlg, 101, text, 3), 2u) << "cut to the buffer";
  EXPECT_EQ(std::u16string(text), u"Bo");
  EXPECT_EQ(GetDlgItemTextW(dlg, 999, text, 16), 0u);
  EXPECT_EQ(text[0], 0);
  EXPECT_FALSE(SetDlgItemTextW(dlg, 999, u"x"));

  struct IntCase {
    std::u16string text;
    BOOL isSigned;
    BOOL translated;
    UINT value;
  };
  const IntCase ints[] = {{u"42", FALSE, TRUE, 42},
                          {u"  -17 ", TRUE, TRUE, static_cast<UINT>(-17)},
                          {u"-17", FALSE, FALSE, 0},
                          {u"4294967295", FALSE, TRUE, 4294967295u},
                          {u"4294967296", FALSE, FALSE, 0},
                          {u"2147483648", TRUE, FALSE, 0},
                          {u"-2147483648", TRUE, TRUE, 0x80000000u},
                          {u"12ab", FALSE, FALSE, 0},
                          {u"", FALSE, FALSE, 0}};
  for (const IntCase& c : ints) {
    SetDlgItemTextW(dlg, 102, c.text.c_str());
    BOOL translated = 2;
    EXPECT_EQ(GetDlgItemInt(dlg, 102, &translated, c.isSigned), c.value);
    EXPECT_EQ(translated, c.translated);
  }
  SetDlgItemInt(dlg, 102, static_cast<UINT>(-3), TRUE);
  EXPECT_EQ(GetDlgItemTextW(dlg, 102, text, 16), 2u);
  EXPECT_EQ(std::u16string(text), u"-3");
  SetDlgItemInt(dlg, 102, static_cast<UINT>(-3), FALSE);
  GetDlgItemTextW(dlg, 102, text, 16);
  EXPECT_EQ(std::u16string(text), u"4294967293");

  EXPECT_TRUE(CheckDlgButton(dlg, IDOK, BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDOK), static_cast<UINT>(BST_CHECKED));
  EXPECT_TRUE(CheckRadioButton(dlg, IDOK, IDCANCEL, IDCANCEL));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDOK), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDCANCEL), static_cast<UINT>(BST_CHECKED));
  EXPECT_FALSE(CheckDlgButton(dlg, 999, BST_CHECKED));
  EXPECT_EQ(SendDlgItemMessageW(dlg, IDCANCEL, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendDlgItemMessageW(dlg, 999, BM_GETCHECK, 0, 0), 0);
  DestroyWindow(dlg);
}

TEST_F(DialogTest, TheCbtHookSeesTheDialogAndItsControlsBeingMade) {
  static std::vector<std::u16string> made;
  made.clear();
  struct Local {
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
      if (code == HCBT_CREATEWND) {
        WCHAR cls[32] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 32);
        made.emplace_back(cls);
      }
      return CallNextHookEx(nullptr, code, wParam, lParam);
    }
  };
  HHOOK hook = SetWindowsHookExW(WH_CBT, &Local::Hook, nullptr, GetCurrentThreadId());
  const std::vector<BYTE> bytes = Form(true).Bytes();
  HWND dlg = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                        &RecordingProc, 0);
  UnhookWindowsHookEx(hook);
  ASSERT_NE(dlg, nullptr);
  const std::vector<std::u16string> expected = {u"#32770",      u"DlgTestStatic", u"DlgTestEdit",
                                                u"DlgTestEdit", u"DlgTestButton", u"DlgTestButton"};
  EXPECT_EQ(made, expected);
  DestroyWindow(dlg);
}

// ---- From resources --------------------------------------------------------------------

class DialogResourceTest : public DialogTest {
 protected:
  HMODULE Load(const std::vector<BYTE>& dialogBytes) {
    kx2::rsrc::ContainerWriter writer;
    writer.Add(uint16_t{5}, uint16_t{300}, 0, dialogBytes);
    writer.Add(uint16_t{5}, std::u16string(u"FORM"), 0, dialogBytes);
    const std::vector<uint8_t> file = writer.Build();
    const std::string path = folder_.File("dialogs" + std::to_string(++count_) + ".rsrc");
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    return LoadLibraryExW(kx2test::WinPath(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  kx2test::TempFolder folder_{"kx2-dialogs"};
  int count_ = 0;
};

TEST_F(DialogResourceTest, DialogsComeByNameAndByIdFromRtDialog) {
  HMODULE module = Load(Form(true).Bytes());
  ASSERT_NE(module, nullptr);
  for (LPCWSTR name : std::vector<LPCWSTR>{MAKEINTRESOURCEW(300), u"form"}) {
    SetLastError(0);
    HWND dlg = CreateDialogParamW(module, name, nullptr, &RecordingProc, 0);
    ASSERT_NE(dlg, nullptr) << GetLastError();
    EXPECT_NE(GetDlgItem(dlg, IDOK), nullptr);
    DestroyWindow(dlg);
  }
  SetLastError(0);
  EXPECT_EQ(CreateDialogParamW(module, MAKEINTRESOURCEW(301), nullptr, &RecordingProc, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(DialogBoxParamW(module, MAKEINTRESOURCEW(301), nullptr, &RecordingProc, 0), -1);
  FreeLibrary(module);
}

TEST_F(DialogResourceTest, ATemplateCutShortAnywhereFailsWithInvalidParameter) {
  for (bool extended : {true, false}) {
    const std::vector<BYTE> whole = Form(extended).Bytes();
    // Every cut that loses a byte the template needs (the last item's creation-data
    // count is its final field).
    for (size_t cut = 0; cut + 1 < whole.size(); cut += 3) {
      std::vector<BYTE> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
      if (part.empty()) part.push_back(0);
      HMODULE module = Load(part);
      ASSERT_NE(module, nullptr);
      SetLastError(0);
      EXPECT_EQ(CreateDialogParamW(module, MAKEINTRESOURCEW(300), nullptr, &RecordingProc, 0), nullptr) << cut;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << cut;
      FreeLibrary(module);
    }
  }
}

}  // namespace

namespace {

class DialogKeysTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    bytes_ = Form(true, WS_VISIBLE).Bytes();
    dlg_ = CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()), nullptr,
                                      &RecordingProc, 0);
    ASSERT_NE(dlg_, nullptr);
    seen_.endOnCommand = false;
  }
  void TearDown() override {
    if (IsWindow(dlg_)) DestroyWindow(dlg_);
    DialogTest::TearDown();
  }
  HWND Item(int id) const { return GetDlgItem(dlg_, id); }
  void Key(UINT vk, bool shift = false) {
    if (shift) Kx2InjectKey(VK_SHIFT, TRUE);
    Kx2InjectKeyStroke(vk);
    if (shift) Kx2InjectKey(VK_SHIFT, FALSE);
    PumpDialog(dlg_);
  }
  std::vector<BYTE> bytes_;
  HWND dlg_ = nullptr;
};

TEST_F(DialogKeysTest, TabWalksTheTabStopsBothWaysAndSelectsAnEditsText) {
  ASSERT_EQ(GetFocus(), Item(101)) << "the first tab stop has the focus once shown";
  const int forward[] = {102, IDOK, IDCANCEL, 101};
  for (int id : forward) {
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(id)) << id;
  }
  EXPECT_EQ(GetPropW(Item(101), u"sel"), reinterpret_cast<HANDLE>(2)) << "tabbing into an edit selects its text";
  Key(VK_TAB, true);
  EXPECT_EQ(GetFocus(), Item(IDCANCEL));
  // A focused push button looks default; leaving for an edit gives the look back to OK.
  EXPECT_EQ(GetWindowLongW(Item(IDCANCEL), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongW(Item(IDOK), GWL_STYLE) & 0xF, BS_PUSHBUTTON);
  Key(VK_TAB);
  EXPECT_EQ(GetWindowLongW(Item(IDOK), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongW(Item(IDCANCEL), GWL_STYLE) & 0xF, BS_PUSHBUTTON);
}

TEST_F(DialogKeysTest, ArrowsStayInTheirGroupAndEnterEscapeAndMnemonicsAct) {
  SetFocus(Item(IDOK));
  Key(VK_RIGHT);
  EXPECT_EQ(GetFocus(), Item(IDCANCEL));
  Key(VK_RIGHT);
  EXPECT_EQ(GetFocus(), Item(IDOK)) << "the group of OK and Cancel wraps";

  // Enter on a focused push button clicks it; elsewhere it is the default button.
  Key(VK_RETURN);
  SetFocus(Item(102));
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  const std::vector<WPARAM> expected = {MAKEWPARAM(IDOK, BN_CLICKED), MAKEWPARAM(IDOK, BN_CLICKED),
                                        MAKEWPARAM(IDCANCEL, BN_CLICKED)};
  EXPECT_EQ(seen_.commands, expected);

  // Alt+N: the label "&Name:" focuses the control after it.
  SetFocus(Item(IDCANCEL));
  Kx2InjectKey(VK_MENU, TRUE);
  Kx2InjectKeyStroke('N');
  Kx2InjectKey(VK_MENU, FALSE);
  PumpDialog(dlg_);
  EXPECT_EQ(GetFocus(), Item(101));
  // A plain letter is a mnemonic only where the focused control does not want characters.
  SetFocus(Item(IDCANCEL));
  Key('N');
  EXPECT_EQ(GetFocus(), Item(101));
  SetFocus(Item(102));
  Key('N');
  EXPECT_EQ(GetFocus(), Item(102));
}

}  // namespace

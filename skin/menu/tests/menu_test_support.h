// Shared by the skinned menu tests: an owner window whose menu notifications are written
// down (under the skin object, so that they arrive as the application sees them), scripts
// played one step per idle turn of a modal loop, and a generated skin with "MENU" parts.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/IdleHandler.h>
#include <kx2/InputState.h>
#include <win/menu.h>
#include <win/user.h>

#include "../../core/tests/skin_folder.h"
#include "ornatex/core/menu_sound.h"
#include "ornatex/core/skin_manager.h"

namespace menutest {

// The skin's colours, each a part's fill.
constexpr COLORREF kBorders = RGB(10, 20, 30), kBackground = RGB(240, 230, 200), kGutter = RGB(200, 180, 120);
constexpr COLORREF kHot = RGB(40, 160, 220), kSeparator = RGB(120, 0, 120), kArrow = RGB(0, 120, 0);
constexpr COLORREF kCaption = RGB(200, 30, 30), kEdge = RGB(0, 160, 0), kBarFace = RGB(250, 200, 50);

struct Note {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Note& o) const { return message == o.message && wParam == o.wParam && lParam == o.lParam; }
};

inline std::ostream& operator<<(std::ostream& out, const Note& n) {
  return out << "{0x" << std::hex << n.message << ", 0x" << n.wParam << ", 0x" << n.lParam << std::dec << "}";
}

inline bool IsMenuMessage(UINT m) {
  switch (m) {
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MENUCHAR:
    case WM_ENTERIDLE:
    case WM_COMMAND:
    case WM_MENUCOMMAND:
    case WM_SYSCOMMAND:
      return true;
    default:
      return false;
  }
}

struct Recorder {
  std::vector<Note> notes;
  std::map<HWND, WNDPROC> previous;
  LRESULT menuCharAnswer = 0;
  bool keepOnClose = true;
  std::function<void(HWND, UINT, WPARAM, LPARAM)> onMessage;
};

inline Recorder& Record() {
  static Recorder recorder;
  return recorder;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Recorder& r = Record();
  if (IsMenuMessage(message)) r.notes.push_back(Note{hwnd, message, wParam, lParam});
  if (r.onMessage) r.onMessage(hwnd, message, wParam, lParam);
  if (message == WM_MENUCHAR) return r.menuCharAnswer;
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE && r.keepOnClose) return 0;
  const auto it = r.previous.find(hwnd);
  const WNDPROC next = it != r.previous.end() ? it->second : &DefWindowProcW;
  if (message == WM_NCDESTROY) r.previous.erase(hwnd);
  return CallWindowProcW(next, hwnd, message, wParam, lParam);
}

// Puts the recorder above whatever procedure the window has (the skin's, when skinned).
inline void Subclass(HWND hwnd) {
  Record().previous[hwnd] =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
}

// The notes of one window, WM_ENTERIDLE left out (the loops idle when their input runs
// out, which the scripts do not pin down).
inline std::vector<Note> Notes(HWND hwnd, bool withIdle = false) {
  std::vector<Note> out;
  for (const Note& n : Record().notes)
    if (n.hwnd == hwnd && (withIdle || n.message != WM_ENTERIDLE)) out.push_back(n);
  return out;
}

inline int Count(HWND hwnd, UINT message) {
  int n = 0;
  for (const Note& note : Record().notes) n += note.hwnd == hwnd && note.message == message;
  return n;
}

// Steps run one per idle turn of a modal loop; `turns` counts the turns taken. Each step
// posts a null message so that a step making no input of its own still wakes the loop.
struct Script {
  std::vector<std::function<void()>> steps;
  HWND wake = nullptr;
  size_t next = 0;
  int turns = 0, after = 0;
  bool bailed = false;
  static BOOL Run(void* context) {
    auto* s = static_cast<Script*>(context);
    ++s->turns;
    if (s->next < s->steps.size()) s->steps[s->next++]();
    if (s->wake && IsWindow(s->wake)) PostMessageW(s->wake, WM_NULL, 0, 0);
    // A loop still running well after the last step is stopped by a quit message (which
    // the loops hand on), so that a fault fails the test instead of hanging it.
    if (s->next >= s->steps.size() && ++s->after == 40) {
      s->bailed = true;
      PostQuitMessage(0);
    }
    return !s->bailed;
  }
  void Start(HWND wakeWindow) {
    wake = wakeWindow;
    Kx2SetIdleHandler(&Script::Run, this);
  }
};

inline void Pump() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

inline WPARAM W(HMENU menu) { return reinterpret_cast<WPARAM>(menu); }
inline LPARAM L(HMENU menu) { return reinterpret_cast<LPARAM>(menu); }

// A skin whose caption, edges, menu bar face and popup parts have plain colours of their own.
inline void WriteMenuSkin(const ornatex_test::SkinFolder& skin) {
  skin.WriteBitmap("caption.bmp", 60, 24, kCaption);
  skin.WriteBitmap("edge.bmp", 4, 16, kEdge);
  auto rgb = [](COLORREF c) {
    auto num = [](int v) {
      std::u16string s;
      for (char ch : std::to_string(v)) s.push_back(static_cast<char16_t>(ch));
      return s;
    };
    return num(GetRValue(c)) + u", " + num(GetGValue(c)) + u", " + num(GetBValue(c));
  };
  std::vector<std::u16string> lines = {
      u"[SysMetrics]",
      u"CaptionBarHeight = 23",
      u"BtnFace = " + rgb(kBarFace),
      u"[Window]",
      u"ImageLayout = 2",
      u"[Window.1]",
      u"ImageFile = caption.bmp",
      u"ImageCount = 2",
      u"[Window.7]",
      u"ImageFile = edge.bmp",
      u"[Window.8]",
      u"ImageFile = edge.bmp",
      u"[Window.9]",
      u"ImageFile = edge.bmp",
      u"[Window.10]",
      u"ImageFile = edge.bmp",
      u"[Window.11]",
      u"ImageFile = edge.bmp",
      u"[Window.12]",
      u"ImageFile = edge.bmp",
  };
  auto part = [&](const char16_t* section, COLORREF c, int border) {
    lines.push_back(section);
    lines.push_back(u"BgType = 1");
    lines.push_back(border ? u"BorderSize = 1" : u"BorderSize = 0");
    lines.push_back(u"BorderColor = " + rgb(c));
    lines.push_back(u"FillColor = " + rgb(c));
  };
  part(u"[Menu.10]", kBorders, 0);
  part(u"[Menu.9]", kBackground, 1);
  part(u"[Menu.13]", kGutter, 0);
  part(u"[Menu.14(2)]", kHot, 0);
  part(u"[Menu.15]", kSeparator, 0);
  part(u"[Menu.16]", kArrow, 0);
  skin.Write(lines);
}

// Common ground: no sounds (their thread belongs to the threads tests), input and clock
// reset, and no window, idle handler or skin left behind.
class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    KtkMenuSoundPlayer().Enable(false);
    Kx2ResetInput();
    Record() = Recorder{};
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = u"KtkSkinMenuOwner";
    RegisterClassW(&wc);
  }
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    Record().onMessage = nullptr;  // it may hold a test's locals
    for (HWND w : windows_)
      if (IsWindow(w)) DestroyWindow(w);
    for (HMENU m : menus_)
      if (IsMenu(m)) DestroyMenu(m);
    Pump();
    manager_->RemoveSkin();
    manager_->m_applyOptions = KTK_APPLY_ALL;
    Kx2ResetInput();
    Kx2ClockSetManual(FALSE, 0);
    KtkMenuSoundPlayer().Enable(true);
    Record() = Recorder{};
  }
  void LoadSkin() {
    WriteMenuSkin(skin_);
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
  }
  HWND Owner(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, HMENU bar = nullptr, RECT at = RECT{100, 100, 500, 400},
             DWORD exStyle = 0) {
    HWND w = CreateWindowExW(exStyle, u"KtkSkinMenuOwner", u"Owner", style, at.left, at.top, at.right - at.left,
                             at.bottom - at.top, nullptr, bar, nullptr, nullptr);
    windows_.push_back(w);
    Subclass(w);
    SetActiveWindow(w);
    SetFocus(w);
    Pump();
    Record().notes.clear();
    return w;
  }
  HMENU Popup(std::initializer_list<std::pair<UINT_PTR, const char16_t*>> items, UINT flags = 0) {
    HMENU m = CreatePopupMenu();
    for (const auto& [id, text] : items) AppendMenuW(m, text ? (MF_STRING | flags) : MF_SEPARATOR, id, text);
    menus_.push_back(m);
    return m;
  }
  // File: &New (1), &Open (2), separator, &Save (3), Recent > (&Last (10)); Edit: &Undo (20).
  static HMENU Bar() {
    HMENU file = CreatePopupMenu(), recent = CreatePopupMenu(), edit = CreatePopupMenu();
    AppendMenuW(recent, MF_STRING, 10, u"&Last");
    AppendMenuW(file, MF_STRING, 1, u"&New");
    AppendMenuW(file, MF_STRING, 2, u"&Open");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, 3, u"&Save\tCtrl+S");
    AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), u"&Recent");
    AppendMenuW(edit, MF_STRING, 20, u"&Undo");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), u"&Edit");
    return bar;  // destroyed with its window
  }
  static int Popups() {
    int n = 0;
    for (HWND h = FindWindowW(u"KtkSkinManagerMenu", nullptr); h;
         h = FindWindowExW(nullptr, h, u"KtkSkinManagerMenu", nullptr))
      n += IsWindowVisible(h) ? 1 : 0;
    return n;
  }
  static void Key(UINT vk) { Kx2InjectKeyStroke(vk); }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"skinmenuskin"};
  std::vector<HWND> windows_;
  std::vector<HMENU> menus_;
};

}  // namespace menutest

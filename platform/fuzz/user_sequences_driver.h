// The window core's byte-coded sequences over a small window tree, shared by the fuzz
// targets that play them (the platform's own, and targets of higher layers that play them
// over their own windows): create, destroy, reparent, subclass, send, post, placement,
// input and clock steps, and the common controls and MDI clients with their own messages
// (user_sequences_controls.h). Procedures misbehave on purpose (destroy themselves from a
// click, send onward, reparent). After each input every window is gone again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "kx2/Clock.h"
#include "kx2/IdleHandler.h"
#include "kx2/InputState.h"
#include "win/user.h"

#include "user_sequences_controls.h"

namespace user_sequences {

constexpr size_t kMaxWindows = 12;
inline std::vector<HWND> g_windows;
inline fuzz_controls::State g_controls;

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t next() { return at < size ? data[at++] : 0; }
  HWND window() { return g_windows.empty() ? nullptr : g_windows[next() % g_windows.size()]; }
};

inline bool OfClass(HWND h, std::u16string_view wanted) {
  char16_t name[16] = {};
  return h && GetClassNameW(h, name, 16) && std::u16string_view(name) == wanted;
}

// Messages from WM_USER on belong to each window class (a status bar's WM_USER + 1 takes
// a text pointer), so the steps send their WM_USER and WM_USER + 1 with any parameter only
// to the driver's own windows; the controls get theirs from user_sequences_controls.h.
inline bool OwnWindow(HWND h) { return OfClass(h, u"FuzzWindow"); }

// userdata bits: 1 destroys itself on a press, 2 forwards WM_USER to its parent, 4
// reparents itself to the desktop on WM_USER + 1.
inline LRESULT CALLBACK FuzzProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  const LONG_PTR mode = GetWindowLongPtrW(h, GWLP_USERDATA);
  if (m == WM_LBUTTONDOWN && (mode & 1)) {
    DestroyWindow(h);
    return 0;
  }
  if (m == WM_USER && (mode & 2) && OwnWindow(GetParent(h))) return SendMessageW(GetParent(h), WM_USER, w + 1, l) + 1;
  if (m == WM_USER + 1 && (mode & 4)) SetParent(h, nullptr);
  return DefWindowProcW(h, m, w, l);
}

// Subclassers that pass everything on through the slot they replaced (kept in a property).
template <int N>
LRESULT CALLBACK SubclassProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  static const char16_t* const names[] = {u"fuzz.sub0", u"fuzz.sub1"};
  auto previous = reinterpret_cast<WNDPROC>(GetPropW(h, names[N]));
  if (m == WM_NCDESTROY) RemovePropW(h, names[N]);
  return previous ? CallWindowProcW(previous, h, m, w, l) : DefWindowProcW(h, m, w, l);
}

inline void Prune() {
  std::vector<HWND> alive;
  for (HWND h : g_windows)
    if (IsWindow(h)) alive.push_back(h);
  g_windows.swap(alive);
}

inline void Pump(int limit) {
  MSG msg;
  for (int i = 0; i < limit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// One step of the sequence, coded by `op` and the bytes that follow it.
inline void Step(uint8_t op, Reader& in) {
  switch (op % 16) {
    case 0: {  // create
      if (g_windows.size() >= kMaxWindows) break;
      const uint8_t bits = in.next();
      HWND parent = (bits & 1) ? in.window() : nullptr;
      DWORD style = (bits & 2) ? WS_VISIBLE : 0;
      if (bits & 4) style |= WS_DISABLED;
      style |= parent && (bits & 8) ? WS_CHILD : (bits & 16) ? WS_POPUP : WS_OVERLAPPEDWINDOW;
      const int x = in.next(), y = in.next(), cx = in.next(), cy = in.next();
      HWND h = CreateWindowExW((bits & 32) ? WS_EX_TOPMOST : 0, u"FuzzWindow", u"w", style, x, y, cx, cy, parent,
                               nullptr, nullptr, nullptr);
      if (h) {
        SetWindowLongPtrW(h, GWLP_USERDATA, in.next() & 7);
        g_windows.push_back(h);
      }
      break;
    }
    case 1:
      DestroyWindow(in.window());
      break;
    case 2: {
      HWND child = in.window();
      HWND parent = (in.next() & 1) ? in.window() : nullptr;
      if (child && parent) SetWindowLongW(child, GWL_STYLE, GetWindowLongW(child, GWL_STYLE) | WS_CHILD);
      SetParent(child, parent);
      break;
    }
    case 3: {
      HWND h = in.window();
      const int which = in.next() & 1;
      const char16_t* name = which ? u"fuzz.sub1" : u"fuzz.sub0";
      if (!h || GetPropW(h, name)) break;
      WNDPROC proc = which ? &SubclassProc<1> : &SubclassProc<0>;
      SetPropW(h, name, reinterpret_cast<HANDLE>(SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc))));
      break;
    }
    case 4: {
      static const UINT messages[] = {WM_USER,       WM_USER + 1, WM_CLOSE,      WM_SETTEXT,    WM_NCHITTEST,
                                      WM_SHOWWINDOW, WM_ACTIVATE, WM_SYSCOMMAND, WM_CANCELMODE, WM_MOUSEACTIVATE};
      HWND h = in.window();
      const UINT m = messages[in.next() % std::size(messages)];
      if (m >= WM_USER && !OwnWindow(h)) break;
      LPARAM l = m == WM_SETTEXT ? reinterpret_cast<LPARAM>(u"text") : in.next();
      SendMessageW(h, m, m == WM_SYSCOMMAND ? SC_MINIMIZE + 16 * (in.next() % 4) : in.next(), l);
      break;
    }
    case 5: {
      HWND h = in.window();
      const UINT m = WM_USER + (in.next() & 1);
      const WPARAM w = in.next();
      if (OwnWindow(h)) PostMessageW(h, m, w, 0);
      break;
    }
    case 6: {
      static const HWND after[] = {HWND_TOP, HWND_BOTTOM, HWND_TOPMOST, HWND_NOTOPMOST};
      HWND h = in.window();
      const uint8_t pick = in.next();
      HWND insert = pick < 4 ? after[pick] : in.window();
      SetWindowPos(h, insert, in.next() - 128, in.next() - 128, in.next(), in.next(), in.next() | (in.next() << 8));
      break;
    }
    case 7:
      ShowWindow(in.window(), in.next() % 12);
      break;
    case 8: {
      const uint8_t kind = in.next();
      if (kind & 1)
        Kx2InjectMouseMove(in.next(), in.next());
      else if (kind & 2)
        Kx2InjectMouseButton(kind & 4 ? VK_RBUTTON : VK_LBUTTON, (kind & 8) != 0);
      else
        Kx2InjectKey(in.next() % 0x80 + 1, (kind & 8) != 0);
      break;
    }
    case 9:
      Kx2ClockAdvance(in.next() * 4);
      Pump(64);
      break;
    case 10:
      if (in.next() & 1)
        SetTimer(in.window(), in.next() & 3, 10 + in.next(), nullptr);
      else
        KillTimer(in.window(), in.next() & 3);
      break;
    case 11:
      switch (in.next() % 5) {
        case 0:
          SetFocus(in.window());
          break;
        case 1:
          SetActiveWindow(in.window());
          break;
        case 2:
          SetCapture(in.window());
          break;
        case 3:
          ReleaseCapture();
          break;
        default:
          EnableWindow(in.window(), in.next() & 1);
          break;
      }
      break;
    case 12:
      SetWindowLongW(in.window(), GWL_STYLE, static_cast<LONG>(static_cast<DWORD>(in.next()) << 24));
      break;
    case 13: {  // a common control, a child of one of the windows or a popup
      if (g_windows.size() >= kMaxWindows) break;
      HWND parent = (in.next() & 1) ? in.window() : nullptr;
      if (HWND h = fuzz_controls::Create(in, parent)) g_windows.push_back(h);
      break;
    }
    case 14:
      // The op's high bits choose MDI: a new client, or a client's own messages.
      if (op < 0x80) {
        fuzz_controls::Send(in, in.window(), g_controls);
      } else if (op & 0x40) {
        if (g_windows.size() >= kMaxWindows) break;
        HWND parent = (in.next() & 1) ? in.window() : nullptr;
        if (HWND client = fuzz_controls::CreateMdiClient(in, parent)) g_windows.push_back(client);
      } else if (HWND h = in.window(); OfClass(h, u"MDIClient")) {
        fuzz_controls::SendMdi(in, h);
      }
      break;
    default:
      Pump(64);
      break;
  }
}

// A modal loop a step starts (a caption drag, a menu) waits inside that step for input no
// later step can give: when it would block, the thread's idle handler gives what a user
// would, letting go of a held button, else pressing Escape, and in the end quitting.
inline BOOL EndModalLoops(void* context) {
  int& calls = *static_cast<int*>(context);
  if (GetAsyncKeyState(VK_LBUTTON) & 0x8000)
    Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  else if (GetAsyncKeyState(VK_RBUTTON) & 0x8000)
    Kx2InjectMouseButton(VK_RBUTTON, FALSE);
  else if (++calls < 16)
    Kx2InjectKeyStroke(VK_ESCAPE);
  else
    PostQuitMessage(0);
  return TRUE;
}

// Plays one input, `step` (op, reader) running each step (Step by default). Traps when a
// window outlives the input.
template <class StepFunction>
void Play(const uint8_t* data, size_t size, StepFunction&& step) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &FuzzProc;
    wc.lpszClassName = u"FuzzWindow";
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  const UINT before = Kx2LiveWindowCount();
  Kx2ClockSetManual(TRUE, 1000);
  g_controls.images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
  {
    HDC screen = GetDC(nullptr);
    HBITMAP strip = CreateCompatibleBitmap(screen, 32, 16);  // two images
    ImageList_Add(g_controls.images, strip, nullptr);
    DeleteObject(strip);
    ReleaseDC(nullptr, screen);
  }
  int idleCalls = 0;
  Kx2SetIdleHandler(&EndModalLoops, &idleCalls);
  Reader in{data, size};
  for (int steps = 0; in.more() && steps < 256; ++steps) {
    const uint8_t op = in.next();
    step(op, in);
    Prune();
  }
  Kx2SetIdleHandler(nullptr, nullptr);
  for (HWND h : g_windows)
    if (IsWindow(h)) DestroyWindow(h);
  g_windows.clear();
  Kx2ResetInput();
  Pump(1024);
  // Controls keep no image list of their own: the caller's goes once they are gone.
  ImageList_Destroy(g_controls.images);
  g_controls = {};
  Kx2ClockSetManual(FALSE, 0);
  if (Kx2LiveWindowCount() != before) __builtin_trap();  // a window outlived its owner
}

inline void Play(const uint8_t* data, size_t size) {
  Play(data, size, [](uint8_t op, Reader& in) { Step(op, in); });
}

}  // namespace user_sequences

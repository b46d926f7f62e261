// Injected input: events wait in the target thread's queue and become messages when that
// thread retrieves them (hit test, cursor, mouse activation, double clicks), with the key
// states they carry. Also key states, mouse tracking and the double-click time.
#include <cstdlib>
#include <cstring>

#include "kx2/Clock.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/InputState.h"
#include "kx2/Utf.h"
#include "user/Core.h"
#include "user/Keyboard.h"
#include "win/registry.h"

namespace kx2::user {
namespace {

struct GlobalInput {
  std::mutex lock;
  std::atomic<uint64_t> cursor{0};  // x in the low half, y in the high half: read without the lock
  BYTE keys[256]{};                 // asynchronous states
  DWORD lastMouseThread = 0;
  HCURSOR cursorHandle = nullptr;
  int showCount = 0;
  UINT doubleClickTime = 0;  // 0: from the registry
};

GlobalInput& Input() {
  static auto* input = new GlobalInput;
  return *input;
}

constexpr UINT kLeaveCheck = WM_NULL;

DWORD ThreadOfWindow(HWND hwnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hwnd);
  return w ? w->threadId : 0;
}

void Deliver(DWORD thread, const InputEvent& event) {
  std::shared_ptr<ThreadQueue> queue = thread == GetCurrentThreadId() ? CurrentShared() : QueueOf(thread);
  if (!queue) return;
  std::lock_guard<std::mutex> guard(queue->lock);
  if (!queue->alive) return;
  queue->input.push_back(event);
  queue->Notify();
}

// Queues a mouse event for the thread under the cursor (or holding capture).
void InjectMouse(UINT kind, WPARAM data, POINT pt) {
  HWND capture = CaptureWindow();
  HWND target = capture ? capture : WindowFromPoint(pt);
  const DWORD thread = target ? ThreadOfWindow(target) : 0;
  InputEvent event;
  event.kind = kind;
  event.pt = pt;
  event.data = data;
  event.time = Now32();
  DWORD previousThread;
  {
    std::lock_guard<std::mutex> guard(Input().lock);
    std::memcpy(event.keys, Input().keys, sizeof event.keys);
    previousThread = Input().lastMouseThread;
    Input().lastMouseThread = thread;
  }
  // The thread the mouse left must still learn of it, for WM_MOUSELEAVE.
  if (previousThread && previousThread != thread) {
    InputEvent leave = event;
    leave.kind = kLeaveCheck;
    Deliver(previousThread, leave);
  }
  if (thread) Deliver(thread, event);
}

void PostLeave(ThreadQueue& queue) {
  HWND tracked = queue.trackWindow;
  const DWORD flags = queue.trackFlags;
  queue.trackWindow = nullptr;
  queue.trackFlags = 0;
  if (tracked && (flags & TME_LEAVE))
    PostMessageW(tracked, (flags & TME_NONCLIENT) ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
}

// Tracking ends when the mouse is no longer where it was asked to be watched.
void UpdateTracking(ThreadQueue& queue, HWND target, int hit) {
  queue.mouseWindow = target;
  queue.mouseHit = hit;
  if (!queue.trackWindow) return;
  const bool nonClient = (queue.trackFlags & TME_NONCLIENT) != 0;
  const bool stillThere = target == queue.trackWindow && ((hit == HTCLIENT) != nonClient);
  if (!stillThere) PostLeave(queue);
}

WPARAM MouseKeys(const BYTE* keys) {
  WPARAM flags = 0;
  if (keys[VK_LBUTTON] & 0x80) flags |= MK_LBUTTON;
  if (keys[VK_RBUTTON] & 0x80) flags |= MK_RBUTTON;
  if (keys[VK_MBUTTON] & 0x80) flags |= MK_MBUTTON;
  if (keys[VK_SHIFT] & 0x80) flags |= MK_SHIFT;
  if (keys[VK_CONTROL] & 0x80) flags |= MK_CONTROL;
  return flags;
}

bool IsPress(UINT kind) { return kind == WM_LBUTTONDOWN || kind == WM_RBUTTONDOWN || kind == WM_MBUTTONDOWN; }

// Scan codes of the keys the system's own code asks for; others get 0.
UINT ScanCode(UINT vk) {
  static const struct {
    BYTE vk, scan;
  } table[] = {{VK_ESCAPE, 0x01}, {VK_BACK, 0x0E}, {VK_TAB, 0x0F},   {VK_RETURN, 0x1C},  {VK_CONTROL, 0x1D},
               {VK_SHIFT, 0x2A},  {VK_MENU, 0x38}, {VK_SPACE, 0x39}, {VK_CAPITAL, 0x3A}, {VK_F1, 0x3B},
               {VK_F10, 0x44},    {VK_HOME, 0x47}, {VK_UP, 0x48},    {VK_PRIOR, 0x49},   {VK_LEFT, 0x4B},
               {VK_RIGHT, 0x4D},  {VK_END, 0x4F},  {VK_DOWN, 0x50},  {VK_NEXT, 0x51},    {VK_INSERT, 0x52},
               {VK_DELETE, 0x53}};
  for (auto& e : table)
    if (e.vk == vk) return e.scan;
  static const char letters[] = "QWERTYUIOP\0\0\0\0ASDFGHJKL\0\0\0\0\0ZXCVBNM";
  for (UINT i = 0; i < sizeof letters - 1; ++i)
    if (letters[i] && static_cast<UINT>(letters[i]) == vk) return 0x10 + i;
  if (vk >= '1' && vk <= '9') return 0x02 + (vk - '1');
  if (vk == '0') return 0x0B;
  return 0;
}

bool IsExtended(UINT vk) {
  return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_RCONTROL ||
         vk == VK_RMENU || vk == VK_DIVIDE || vk == VK_LWIN || vk == VK_RWIN || vk == VK_APPS;
}

bool TranslateKey(ThreadQueue& queue, const InputEvent& event, MSG* out) {
  HWND target = queue.focus ? queue.focus : queue.active;
  if (!target || !IsWindow(target)) return false;
  const UINT vk = static_cast<UINT>(event.data);
  const bool down = event.kind == WM_KEYDOWN;
  const bool alt = (event.keys[VK_MENU] & 0x80) != 0;
  const bool control = (event.keys[VK_CONTROL] & 0x80) != 0;
  const bool system = (alt && !control) || vk == VK_F10 || (vk == VK_MENU);
  const bool wasDown = (queue.keys[vk] & 0x80) != 0;
  const UINT scan = event.scan ? event.scan : ScanCode(vk);
  LPARAM lParam = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (event.scan ? event.extended : IsExtended(vk)) lParam |= 1 << 24;
  if (alt && !control) lParam |= 1 << 29;
  if (down ? wasDown : true) lParam |= 1 << 30;
  if (!down) lParam |= static_cast<LPARAM>(1u << 31);
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  // An input method that takes the key leaves it to TranslateMessage as VK_PROCESSKEY.
  const WPARAM key = down && event.methodTag && kx2::imm::TakesKey(target, vk, event.methodTag) ? VK_PROCESSKEY : vk;
  *out = MSG{target, message, key, lParam, event.time, event.pt};
  return true;
}

}  // namespace

POINT CursorPos() {
  const uint64_t packed = Input().cursor.load(std::memory_order_relaxed);
  return POINT{static_cast<LONG>(static_cast<uint32_t>(packed)),
               static_cast<LONG>(static_cast<uint32_t>(packed >> 32))};
}

bool TranslateInput(ThreadQueue& queue, const InputEvent& event, MSG* out) {
  if (event.kind == WM_KEYDOWN || event.kind == WM_KEYUP) return TranslateKey(queue, event, out);
  HWND capture = CaptureWindow();
  const bool captured = capture && ThreadOfWindow(capture) == queue.threadId;
  if (event.kind == kLeaveCheck) {
    HWND under = WindowFromPoint(event.pt);
    if (!captured && (!under || ThreadOfWindow(under) != queue.threadId)) UpdateTracking(queue, nullptr, HTNOWHERE);
    return false;
  }
  if (event.kind == WM_MOUSEWHEEL) {
    HWND target = queue.focus ? queue.focus : queue.active;
    if (!target) return false;
    *out = MSG{target,
               WM_MOUSEWHEEL,
               MAKEWPARAM(MouseKeys(event.keys), static_cast<WORD>(event.data)),
               MAKELPARAM(event.pt.x, event.pt.y),
               event.time,
               event.pt};
    return true;
  }
  HWND target;
  int hit = HTCLIENT;
  if (captured) {
    target = capture;
  } else {
    target = WindowFromPoint(event.pt);
    if (!target || ThreadOfWindow(target) != queue.threadId) {
      UpdateTracking(queue, nullptr, HTNOWHERE);
      return false;
    }
    for (;;) {
      hit = static_cast<int>(static_cast<short>(SendTo(target, WM_NCHITTEST, 0, MAKELPARAM(event.pt.x, event.pt.y))));
      if (hit != HTTRANSPARENT) break;
      // A transparent child lets its parent have the mouse.
      HWND parent = GetAncestor(target, GA_PARENT);
      if (!parent || parent == GetDesktopWindow()) return false;
      target = parent;
    }
    if (!IsWindow(target)) return false;
  }
  UpdateTracking(queue, target, hit);
  const bool client = hit == HTCLIENT;
  UINT message = client ? event.kind : event.kind - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
  if (IsPress(event.kind) && !captured) {
    HWND top = GetAncestor(target, GA_ROOT);
    if (top && top != queue.active && IsWindowEnabled(top)) {
      LRESULT answer = SendTo(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(hit, event.kind));
      if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) Activate(top, true);
      if (!IsWindow(target)) return false;
      if (answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT) return false;
    }
  }
  if (!captured) {
    SendTo(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, event.kind));
    if (!IsWindow(target)) return false;
  }
  if (IsPress(event.kind)) {
    bool doubleClicks = !client;
    if (client) doubleClicks = (GetClassLongW(target, GCL_STYLE) & CS_DBLCLKS) != 0;
    const ULONGLONG now = event.time;
    const LONG dx = std::abs(event.pt.x - queue.lastPressPoint.x), dy = std::abs(event.pt.y - queue.lastPressPoint.y);
    if (doubleClicks && queue.lastPressWindow == target && queue.lastPressMessage == message &&
        now - queue.lastPressTime < GetDoubleClickTime() && dx <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
        dy <= GetSystemMetrics(SM_CYDOUBLECLK) / 2) {
      queue.lastPressWindow = nullptr;
      message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    } else {
      queue.lastPressWindow = target;
      queue.lastPressMessage = message;
      queue.lastPressTime = now;
      queue.lastPressPoint = event.pt;
    }
  }
  if (client) {
    POINT local = event.pt;
    ScreenToClient(target, &local);
    *out = MSG{target, message, MouseKeys(event.keys), MAKELPARAM(local.x, local.y), event.time, event.pt};
  } else {
    *out = MSG{target, message, static_cast<WPARAM>(hit), MAKELPARAM(event.pt.x, event.pt.y), event.time, event.pt};
  }
  if (queue.trackWindow == target && (queue.trackFlags & TME_HOVER) && event.kind == WM_MOUSEMOVE)
    queue.hoverDue = Kx2ClockNow() + 400;
  return true;
}

void HoverTick(ThreadQueue& queue) {
  if (!queue.trackWindow || !(queue.trackFlags & TME_HOVER) || Kx2ClockNow() < queue.hoverDue) return;
  queue.trackFlags &= ~TME_HOVER;
  HWND target = queue.trackWindow;
  const bool nonClient = (queue.trackFlags & TME_NONCLIENT) != 0;
  POINT pt = CursorPos();
  if (!nonClient) ScreenToClient(target, &pt);
  PostMessageW(target, nonClient ? WM_NCMOUSEHOVER : WM_MOUSEHOVER, nonClient ? queue.mouseHit : MouseKeys(queue.keys),
               MAKELPARAM(pt.x, pt.y));
  if (!(queue.trackFlags & TME_LEAVE)) queue.trackWindow = nullptr;
}

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT void Kx2InjectMouseMove(LONG x, LONG y) {
  kx2::Guard([&] {
    POINT pt{x, y};
    Input().cursor.store(static_cast<uint32_t>(x) | (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32),
                         std::memory_order_relaxed);
    InjectMouse(WM_MOUSEMOVE, 0, pt);
  });
}

KX2_EXPORT void Kx2InjectMouseButton(UINT button, BOOL down) {
  kx2::Guard([&] {
    UINT kind;
    switch (button) {
      case VK_LBUTTON:
        kind = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
      case VK_RBUTTON:
        kind = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
      case VK_MBUTTON:
        kind = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
      default:
        return;
    }
    POINT pt;
    {
      std::lock_guard<std::mutex> guard(Input().lock);
      Input().keys[button] = down ? 0x80 : 0;
      pt = CursorPos();
    }
    InjectMouse(kind, 0, pt);
  });
}

KX2_EXPORT void Kx2InjectClick(LONG x, LONG y, UINT button) {
  Kx2InjectMouseMove(x, y);
  Kx2InjectMouseButton(button, TRUE);
  Kx2InjectMouseButton(button, FALSE);
}

KX2_EXPORT void Kx2InjectMouseWheel(int delta) {
  kx2::Guard([&] {
    InputEvent event;
    event.kind = WM_MOUSEWHEEL;
    event.data = static_cast<WPARAM>(static_cast<WORD>(static_cast<short>(delta)));
    event.time = Now32();
    {
      std::lock_guard<std::mutex> guard(Input().lock);
      event.pt = CursorPos();
      std::memcpy(event.keys, Input().keys, sizeof event.keys);
    }
    HWND foreground = ForegroundWindow();
    const DWORD thread = foreground ? ThreadOfWindow(foreground) : 0;
    Deliver(thread ? thread : GetCurrentThreadId(), event);
  });
}

namespace kx2::user {

void InjectKeyEvent(UINT vk, UINT scan, bool extended, bool down, uint64_t methodTag) {
  if (vk == 0 || vk > 0xFF) return;
  InputEvent event;
  event.kind = down ? WM_KEYDOWN : WM_KEYUP;
  event.data = vk;
  event.scan = scan;
  event.extended = extended;
  event.methodTag = methodTag;
  event.time = Now32();
  {
    std::lock_guard<std::mutex> guard(Input().lock);
    BYTE* keys = Input().keys;
    auto set = [&](UINT key) {
      if (down && !(keys[key] & 0x80)) keys[key] ^= 1;  // toggles on each press
      keys[key] = static_cast<BYTE>((keys[key] & 1) | (down ? 0x80 : 0));
    };
    set(vk);
    // The generic modifier follows its left and right keys, and the other way round.
    if (vk == VK_LSHIFT || vk == VK_RSHIFT) set(VK_SHIFT);
    if (vk == VK_LCONTROL || vk == VK_RCONTROL) set(VK_CONTROL);
    if (vk == VK_LMENU || vk == VK_RMENU) set(VK_MENU);
    if (vk == VK_SHIFT) set(VK_LSHIFT);
    if (vk == VK_CONTROL) set(VK_LCONTROL);
    if (vk == VK_MENU) set(VK_LMENU);
    event.pt = CursorPos();
    std::memcpy(event.keys, keys, sizeof event.keys);
  }
  HWND foreground = ForegroundWindow();
  DWORD thread = foreground ? ThreadOfWindow(foreground) : 0;
  Deliver(thread ? thread : GetCurrentThreadId(), event);
}

}  // namespace kx2::user

KX2_EXPORT void Kx2InjectKey(UINT vk, BOOL down) {
  kx2::Guard([&] { kx2::user::InjectKeyEvent(vk, 0, false, down != FALSE, 0); });
}

KX2_EXPORT void Kx2InjectKeyScan(UINT vk, UINT scan, BOOL extended, BOOL down) {
  kx2::Guard([&] { kx2::user::InjectKeyEvent(vk, scan, extended != FALSE, down != FALSE, 0); });
}

KX2_EXPORT void Kx2InjectKeyStroke(UINT vk) {
  Kx2InjectKey(vk, TRUE);
  Kx2InjectKey(vk, FALSE);
}

KX2_EXPORT void Kx2SetThreadKeyState(UINT vk, BYTE state) {
  if (vk <= 0xFF) Current().keys[vk] = state;
}

KX2_EXPORT void Kx2SetMessageTime(LONG time) { Current().messageTime = time; }

KX2_EXPORT void Kx2ResetInput() {
  kx2::Guard([&] {
    {
      std::lock_guard<std::mutex> guard(Input().lock);
      std::memset(Input().keys, 0, sizeof Input().keys);
      Input().lastMouseThread = 0;
    }
    SetCaptureWindow(nullptr);
    ThreadQueue& queue = Current();
    std::memset(queue.keys, 0, sizeof queue.keys);
    queue.trackWindow = nullptr;
    queue.trackFlags = 0;
    queue.lastPressWindow = nullptr;
    queue.mouseWindow = nullptr;
    for (auto& q : AllQueues()) {
      std::lock_guard<std::mutex> guard(q->lock);
      q->input.clear();
    }
  });
}

KX2_EXPORT BOOL GetCursorPos(LPPOINT lpPoint) {
  if (!lpPoint) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpPoint = CursorPos();
  return TRUE;
}

KX2_EXPORT BOOL SetCursorPos(int X, int Y) {
  Kx2InjectMouseMove(X, Y);
  return TRUE;
}

KX2_EXPORT HCURSOR SetCursor(HCURSOR hCursor) {
  std::lock_guard<std::mutex> guard(Input().lock);
  HCURSOR old = Input().cursorHandle;
  Input().cursorHandle = hCursor;
  return old;
}

KX2_EXPORT HCURSOR GetCursor() {
  std::lock_guard<std::mutex> guard(Input().lock);
  return Input().cursorHandle;
}

KX2_EXPORT int ShowCursor(BOOL bShow) {
  std::lock_guard<std::mutex> guard(Input().lock);
  return Input().showCount += bShow ? 1 : -1;
}

KX2_EXPORT BOOL TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpEventTrack || lpEventTrack->cbSize != sizeof(TRACKMOUSEEVENT)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    ThreadQueue& queue = Current();
    TRACKMOUSEEVENT& t = *lpEventTrack;
    if (t.dwFlags & TME_QUERY) {
      t.hwndTrack = queue.trackWindow;
      t.dwFlags = queue.trackWindow ? queue.trackFlags : 0;
      t.dwHoverTime = 400;
      return TRUE;
    }
    if (!OwnWindow(t.hwndTrack)) {
      SetLastErrorInvalidWindow();
      return FALSE;
    }
    if (t.dwFlags & TME_CANCEL) {
      if (queue.trackWindow == t.hwndTrack) {
        queue.trackFlags &= ~(t.dwFlags & (TME_LEAVE | TME_HOVER));
        if (!(queue.trackFlags & (TME_LEAVE | TME_HOVER))) queue.trackWindow = nullptr;
      }
      return TRUE;
    }
    const bool nonClient = (t.dwFlags & TME_NONCLIENT) != 0;
    // The mouse is not where tracking was asked for: the leave message comes at once.
    if (queue.mouseWindow != t.hwndTrack || ((queue.mouseHit == HTCLIENT) == nonClient)) {
      if (t.dwFlags & TME_LEAVE) PostMessageW(t.hwndTrack, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
      return TRUE;
    }
    queue.trackWindow = t.hwndTrack;
    queue.trackFlags = t.dwFlags & (TME_LEAVE | TME_HOVER | TME_NONCLIENT);
    queue.hoverDue = Kx2ClockNow() + (t.dwHoverTime == HOVER_DEFAULT ? 400 : t.dwHoverTime);
    return TRUE;
  });
}

KX2_EXPORT SHORT GetKeyState(int nVirtKey) {
  if (nVirtKey < 0 || nVirtKey > 0xFF) return 0;
  const BYTE state = Current().keys[nVirtKey];
  return static_cast<SHORT>(((state & 0x80) ? 0xFF80 : 0) | (state & 1));
}

KX2_EXPORT SHORT GetAsyncKeyState(int vKey) {
  if (vKey < 0 || vKey > 0xFF) return 0;
  std::lock_guard<std::mutex> guard(Input().lock);
  return static_cast<SHORT>((Input().keys[vKey] & 0x80) ? 0x8000 : 0);
}

KX2_EXPORT BOOL GetKeyboardState(PBYTE lpKeyState) {
  if (!lpKeyState) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memcpy(lpKeyState, Current().keys, 256);
  return TRUE;
}

KX2_EXPORT BOOL SetKeyboardState(PBYTE lpKeyState) {
  if (!lpKeyState) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memcpy(Current().keys, lpKeyState, 256);
  return TRUE;
}

KX2_EXPORT UINT GetDoubleClickTime() {
  return kx2::Guard(500u, [&]() -> UINT {
    {
      std::lock_guard<std::mutex> guard(Input().lock);
      if (Input().doubleClickTime) return Input().doubleClickTime;
    }
    HKEY key = nullptr;
    UINT value = 500;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Control Panel\\Mouse", 0, KEY_READ, &key) == ERROR_SUCCESS) {
      WCHAR text[32] = {};
      DWORD type = 0, size = sizeof text - sizeof(WCHAR);
      if (RegQueryValueExW(key, u"DoubleClickSpeed", nullptr, &type, reinterpret_cast<LPBYTE>(text), &size) ==
              ERROR_SUCCESS &&
          type == REG_SZ) {
        const std::string digits = kx2::Utf16ToUtf8(kx2::View16(text));
        char* end = nullptr;
        const unsigned long parsed = std::strtoul(digits.c_str(), &end, 10);
        if (end != digits.c_str() && parsed > 0 && parsed <= 5000) value = static_cast<UINT>(parsed);
      }
      RegCloseKey(key);
    }
    return value;
  });
}

KX2_EXPORT BOOL SetDoubleClickTime(UINT uInterval) {
  std::lock_guard<std::mutex> guard(Input().lock);
  Input().doubleClickTime = uInterval ? std::min(uInterval, 5000u) : 500;
  return TRUE;
}

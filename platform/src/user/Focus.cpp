// Capture, focus, activation and the foreground window.
#include "kx2/ErrorBoundary.h"
#include "user/Core.h"
#include "user/Keyboard.h"

namespace kx2::user {
namespace {

// Process-wide: which window holds the mouse, which window is in the foreground.
struct Shared {
  std::mutex lock;
  HWND capture = nullptr;
  HWND foreground = nullptr;
};

Shared& State() {
  static auto* state = new Shared;
  return *state;
}

HWND Foreground() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().foreground;
}

void SetForeground(HWND hwnd) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().foreground = hwnd;
}

DWORD ThreadOf(HWND hwnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hwnd);
  return w ? w->threadId : 0;
}

// A window of this thread that may take focus: visible, and neither it nor an ancestor
// disabled or minimised.
bool CanFocus(Window* w) {
  for (Window* p = w; p && p->parent; p = p->parent)
    if (p->style & (WS_DISABLED | WS_MINIMIZE)) return false;
  return true;
}

}  // namespace

HWND CaptureWindow() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().capture;
}

void SetCaptureWindow(HWND hwnd) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().capture = hwnd;
}

HWND ForegroundWindow() { return Foreground(); }

HWND Activate(HWND hwnd, bool mouse) {
  ThreadQueue& queue = Current();
  HWND old = queue.active;
  if (old == hwnd) {
    if (hwnd) SetForeground(hwnd);
    return old;
  }
  if (hwnd) {
    CBTACTIVATESTRUCT cbt{mouse ? TRUE : FALSE, old};
    if (CallCbtHooks(HCBT_ACTIVATE, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&cbt))) return nullptr;
    SetPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!IsWindow(hwnd)) return nullptr;
  }
  queue.active = hwnd;
  const HWND previousForeground = Foreground();
  const DWORD previousThread = previousForeground ? ThreadOf(previousForeground) : 0;
  if (hwnd)
    SetForeground(hwnd);
  else if (previousForeground == old)
    SetForeground(nullptr);
  if (old && IsWindow(old)) {
    SendTo(old, WM_NCACTIVATE, FALSE, 0);
    SendTo(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0), reinterpret_cast<LPARAM>(hwnd));
  }
  if (hwnd && previousThread != queue.threadId && queue.active == hwnd)
    SendTo(hwnd, WM_ACTIVATEAPP, TRUE, static_cast<LPARAM>(previousThread));
  if (hwnd && queue.active == hwnd && IsWindow(hwnd)) {
    SendTo(hwnd, WM_NCACTIVATE, TRUE, 0);
    SendTo(hwnd, WM_ACTIVATE, MAKEWPARAM(mouse ? WA_CLICKACTIVE : WA_ACTIVE, IsIconic(hwnd) ? 1 : 0),
           reinterpret_cast<LPARAM>(old));
  }
  if (!hwnd && queue.focus) SetFocus(nullptr);
  if (hwnd && hwnd != previousForeground) RaiseWinEvent(EVENT_SYSTEM_FOREGROUND, hwnd, OBJID_WINDOW, CHILDID_SELF);
  return old;
}

void ForgetWindowInput(ThreadQueue& queue, Window* window) {
  if (queue.focus == window->handle) queue.focus = nullptr;
  if (queue.active == window->handle) queue.active = nullptr;
  if (queue.trackWindow == window->handle) queue.trackWindow = nullptr;
  if (queue.mouseWindow == window->handle) queue.mouseWindow = nullptr;
  if (queue.lastPressWindow == window->handle) queue.lastPressWindow = nullptr;
  std::lock_guard<std::mutex> guard(State().lock);
  if (State().foreground == window->handle) State().foreground = nullptr;
  if (State().capture == window->handle) State().capture = nullptr;
}

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT HWND SetCapture(HWND hWnd) {
  return kx2::Guard(HWND{nullptr}, [&]() -> HWND {
    if (!OwnWindow(hWnd)) {
      SetLastErrorInvalidWindow();
      return nullptr;
    }
    HWND previous;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      previous = CaptureWindow();
      SetCaptureWindow(hWnd);
    }
    if (previous == hWnd) return previous;
    if (previous && IsWindow(previous)) SendTo(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
    RaiseWinEvent(EVENT_SYSTEM_CAPTURESTART, hWnd, OBJID_WINDOW, CHILDID_SELF);
    return previous && ThreadOf(previous) == GetCurrentThreadId() ? previous : nullptr;
  });
}

KX2_EXPORT BOOL ReleaseCapture() {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    HWND holder = GetCapture();
    if (!holder) return TRUE;
    SetCaptureWindow(nullptr);
    RaiseWinEvent(EVENT_SYSTEM_CAPTUREEND, holder, OBJID_WINDOW, CHILDID_SELF);
    SendTo(holder, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
  });
}

KX2_EXPORT HWND GetCapture() {
  HWND holder = CaptureWindow();
  return holder && ThreadOf(holder) == GetCurrentThreadId() ? holder : nullptr;
}

KX2_EXPORT HWND SetFocus(HWND hWnd) {
  return kx2::Guard(HWND{nullptr}, [&]() -> HWND {
    ThreadQueue& queue = Current();
    const HWND old = queue.focus;
    if (hWnd) {
      Window* w = OwnWindow(hWnd);
      if (!w) {
        if (IsWindow(hWnd))
          SetLastError(ERROR_ACCESS_DENIED);
        else
          SetLastErrorInvalidWindow();
        return nullptr;
      }
      HWND top;
      {
        std::lock_guard<std::mutex> guard(TreeLock());
        if (!CanFocus(w)) return nullptr;
        top = TopLevelOf(w)->handle;
      }
      if (CallCbtHooks(HCBT_SETFOCUS, reinterpret_cast<WPARAM>(hWnd), reinterpret_cast<LPARAM>(old))) return nullptr;
      if (top != queue.active) {
        Activate(top, false);
        if (!IsWindow(hWnd)) return nullptr;
      }
    } else if (CallCbtHooks(HCBT_SETFOCUS, 0, reinterpret_cast<LPARAM>(old))) {
      return nullptr;
    }
    const HWND current = queue.focus;
    if (current == hWnd) return old;
    queue.focus = hWnd;
    if (current && IsWindow(current)) {
      SendTo(current, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
      if (IsWindow(current)) kx2::imm::SetContextOnFocus(current, false);
    }
    if (hWnd && queue.focus == hWnd && IsWindow(hWnd)) kx2::imm::SetContextOnFocus(hWnd, true);
    if (hWnd && queue.focus == hWnd && IsWindow(hWnd)) {
      SendTo(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(current), 0);
      RaiseWinEvent(EVENT_OBJECT_FOCUS, hWnd, OBJID_CLIENT, CHILDID_SELF);
    }
    return old;
  });
}

KX2_EXPORT HWND GetFocus() { return Current().focus; }

KX2_EXPORT HWND SetActiveWindow(HWND hWnd) {
  return kx2::Guard(HWND{nullptr}, [&]() -> HWND {
    if (hWnd) {
      Window* w = OwnWindow(hWnd);
      if (!w) {
        SetLastErrorInvalidWindow();
        return nullptr;
      }
      std::lock_guard<std::mutex> guard(TreeLock());
      hWnd = TopLevelOf(w)->handle;
    }
    return Activate(hWnd, false);
  });
}

KX2_EXPORT HWND GetActiveWindow() { return Current().active; }

KX2_EXPORT HWND GetForegroundWindow() { return Foreground(); }

KX2_EXPORT BOOL SetForegroundWindow(HWND hWnd) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::shared_ptr<Window> window = Get(hWnd);
    if (!window || !window->parent) return FALSE;
    if (window->threadId == GetCurrentThreadId()) return SetActiveWindow(hWnd) != nullptr || GetActiveWindow() == hWnd;
    // Another thread's window: it becomes the foreground, and activates when that thread
    // next looks at its queue is not modelled; the foreground mark is enough for input.
    SetForeground(hWnd);
    return TRUE;
  });
}

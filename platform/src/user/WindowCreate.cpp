// CreateWindowExW and DestroyWindow in Win32's message order.
#include <algorithm>

#include "kx2/ErrorBoundary.h"
#include "user/Core.h"
#include "win/menu.h"

namespace kx2::user {
namespace {

#ifndef ERROR_TLW_WITH_WSCHILD
#define ERROR_TLW_WITH_WSCHILD 1406L
#endif

// WM_PARENTNOTIFY climbs from a child through its ancestors while they are children
// themselves and none asked to be left out.
void NotifyParents(HWND child, UINT event, LPARAM lParam) {
  std::vector<std::pair<HWND, WPARAM>> chain;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(child);
    if (!w) return;
    const WPARAM wParam = MAKEWPARAM(event, static_cast<WORD>(w->id));
    while (w && (w->style & WS_CHILD) && !(w->exStyle & WS_EX_NOPARENTNOTIFY) && w->parent && w->parent->parent) {
      chain.emplace_back(w->parent->handle, wParam);
      w = w->parent;
    }
  }
  for (auto& [parent, wParam] : chain) SendTo(parent, WM_PARENTNOTIFY, wParam, lParam);
}

void FillMinMax(MINMAXINFO* info) {
  const int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
  info->ptMaxSize = POINT{GetSystemMetrics(SM_CXSCREEN) + 2 * frameX, GetSystemMetrics(SM_CYSCREEN) + 2 * frameY};
  info->ptMaxPosition = POINT{-frameX, -frameY};
  info->ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info->ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
}

// Frees what is left of a window after its WM_NCDESTROY.
void Release(const std::shared_ptr<Window>& window) {
  HMENU menu = nullptr, systemMenu = nullptr;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    window->destroyed = true;
    DropPaintState(window.get());
    Unlink(window.get());
    for (Window* child : window->children) child->parent = nullptr;
    window->children.clear();
    for (HWND h : AllHandles())
      if (Window* other = Find(h); other && other->owner == window.get()) other->owner = nullptr;
    RemoveFromTable(window.get());
    if (CaptureWindow() == window->handle) SetCaptureWindow(nullptr);
    menu = window->menu;
    systemMenu = window->systemMenu;
    window->menu = window->systemMenu = nullptr;
  }
  // A window's menu bar and its window menu go with it.
  if (menu) DestroyMenu(menu);
  if (systemMenu) DestroyMenu(systemMenu);
  ReleaseClass(window->cls);
  if (auto queue = window->queue.lock()) {
    PurgeWindow(*queue, window->handle);
    if (queue->threadId == GetCurrentThreadId()) ForgetWindowInput(*queue, window.get());
  }
  ForgetCachedWindows();
}

std::vector<std::shared_ptr<Window>> ChildrenOf(const std::shared_ptr<Window>& window) {
  std::vector<std::shared_ptr<Window>> children;
  std::lock_guard<std::mutex> guard(TreeLock());
  for (Window* child : window->children) children.push_back(Share(child));
  return children;
}

// WM_DESTROY goes down the tree, parents first.
void SendDestroy(const std::shared_ptr<Window>& window) {
  window->destroying = true;
  SendTo(window->handle, WM_DESTROY, 0, 0);
  RaiseWinEvent(EVENT_OBJECT_DESTROY, window->handle, OBJID_WINDOW, CHILDID_SELF);
  for (auto& child : ChildrenOf(window))
    if (child && !child->destroyed && !child->destroying) SendDestroy(child);
}

// WM_NCDESTROY comes up the tree, the deepest child first; then the window is gone.
void SendNcDestroy(const std::shared_ptr<Window>& window) {
  for (auto& child : ChildrenOf(window))
    if (child && !child->destroyed) SendNcDestroy(child);
  if (window->destroyed) return;
  SendTo(window->handle, WM_NCDESTROY, 0, 0);
  Release(window);
}

// A window that failed during creation: WM_NCDESTROY only when WM_NCCREATE had been sent.
void Abandon(const std::shared_ptr<Window>& window, bool ncCreated) {
  if (window->destroyed) return;
  window->destroying = true;
  if (ncCreated) {
    SendNcDestroy(window);
  } else {
    Release(window);
  }
}

HWND Create(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width, int height,
            HWND parentHandle, HMENU menu, HINSTANCE instance, LPVOID param) {
  const bool child = (style & WS_CHILD) != 0;
  const bool messageOnly = parentHandle == HWND_MESSAGE;
  if (messageOnly) parentHandle = nullptr;
  if (child && !parentHandle) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  if (parentHandle && !IsWindow(parentHandle)) {
    SetLastErrorInvalidWindow();
    return nullptr;
  }
  WindowClass* cls = AcquireClass(instance, className);
  if (!cls) return nullptr;

  auto window = std::make_shared<Window>();
  window->threadId = GetCurrentThreadId();
  window->queue = CurrentShared();
  window->cls = cls;
  {
    std::lock_guard<std::mutex> guard(ClassLock());
    window->proc = cls->record.lpfnWndProc;
    window->extra.assign(static_cast<size_t>(std::max(cls->record.cbWndExtra, 0)), 0);
  }
  // Overlapped windows always have a caption and clip their siblings.
  if (!child && !(style & WS_POPUP)) style |= WS_CAPTION | WS_CLIPSIBLINGS;
  if (!child) style |= WS_CLIPSIBLINGS;
  const DWORD showBits = style & (WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
  window->style = style & ~showBits;
  window->exStyle = exStyle;
  if ((style & WS_CAPTION) == WS_CAPTION || (exStyle & WS_EX_DLGMODALFRAME)) window->exStyle |= WS_EX_WINDOWEDGE;
  window->instance = instance;
  window->id = child ? reinterpret_cast<LONG_PTR>(menu) : 0;
  if (!child && IsMenu(menu)) window->menu = menu;
  window->messageOnly = messageOnly;

  if (x == CW_USEDEFAULT) {
    x = child ? 0 : 26;
    y = child ? 0 : 26;
  }
  if (width == CW_USEDEFAULT) {
    width = child ? 0 : GetSystemMetrics(SM_CXSCREEN) * 3 / 4;
    height = child ? 0 : GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
  }
  HWND hwnd;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* parent = child ? Find(parentHandle) : DesktopLocked();
    if (!parent || (child && parent->destroyed)) {
      SetLastErrorInvalidWindow();
      ReleaseClass(cls);
      return nullptr;
    }
    if (!child && parentHandle) {
      Window* owner = Find(parentHandle);
      window->owner = owner ? TopLevelOf(owner) : nullptr;
    }
    hwnd = AddToTable(window);
    window->window = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    window->client = window->window;
    window->normal = window->window;
    // Children go below their siblings (the first made is first in tab order); top-level
    // windows above theirs.
    LinkInto(parent, window.get(), child ? reinterpret_cast<Window*>(1) : nullptr);
  }

  CREATESTRUCTW cs{param,      instance,  menu,   parentHandle, height, width, y, x, static_cast<LONG>(style),
                   windowName, className, exStyle};
  CBT_CREATEWNDW cbt{&cs, child ? HWND_BOTTOM : HWND_TOP};
  if (HasCbtHooks() && CallCbtHooks(HCBT_CREATEWND, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&cbt))) {
    Abandon(window, false);
    return nullptr;
  }
  if (window->destroyed) return nullptr;
  {
    // A hook may have moved or resized the window through the record.
    std::lock_guard<std::mutex> guard(TreeLock());
    window->window = RECT{cs.x, cs.y, cs.x + std::max(cs.cx, 0), cs.y + std::max(cs.cy, 0)};
    window->client = window->window;
    window->normal = window->window;
  }
  if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
    MINMAXINFO info{};
    FillMinMax(&info);
    SendTo(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    std::lock_guard<std::mutex> guard(TreeLock());
    RECT& r = window->window;
    r.right = r.left + std::min<LONG>(r.right - r.left, info.ptMaxTrackSize.x);
    r.bottom = r.top + std::min<LONG>(r.bottom - r.top, info.ptMaxTrackSize.y);
    window->client = r;
    window->normal = r;
  }
  if (window->destroyed) return nullptr;
  if (!SendTo(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    Abandon(window, true);
    return nullptr;
  }
  if (window->destroyed) return nullptr;
  RECT client;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    client = window->window;
  }
  SendTo(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
  if (window->destroyed) return nullptr;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    window->client = client;
  }
  if (SendTo(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    if (!window->destroyed) DestroyWindow(hwnd);
    return nullptr;
  }
  if (window->destroyed) return nullptr;
  RECT r;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    r = window->client;
  }
  SendTo(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right - r.left, r.bottom - r.top));
  SendTo(hwnd, WM_MOVE, 0, MAKELPARAM(r.left, r.top));
  if (window->destroyed) return nullptr;
  if (child) NotifyParents(hwnd, WM_CREATE, reinterpret_cast<LPARAM>(hwnd));
  RaiseWinEvent(EVENT_OBJECT_CREATE, hwnd, OBJID_WINDOW, CHILDID_SELF);
  window->creating = false;
  if (window->destroyed) return nullptr;
  if (showBits & WS_MINIMIZE)
    Show(hwnd, (showBits & WS_VISIBLE) ? SW_SHOWMINIMIZED : SW_MINIMIZE);
  else if (showBits & WS_MAXIMIZE)
    Show(hwnd, SW_SHOWMAXIMIZED);
  else if (showBits & WS_VISIBLE)
    Show(hwnd, SW_SHOW);
  return window->destroyed ? nullptr : hwnd;
}

// The next top-level window of this thread to take activation from one going away.
HWND NextToActivate(HWND leaving) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(leaving);
  if (w && w->owner && !w->owner->destroyed && Visible(w->owner) && !(w->owner->style & WS_DISABLED))
    return w->owner->handle;
  for (Window* other : DesktopLocked()->children)
    if (other != w && other->threadId == GetCurrentThreadId() && Visible(other) && !(other->style & WS_DISABLED) &&
        !other->destroying && !other->messageOnly)
      return other->handle;
  return nullptr;
}

}  // namespace

void ActivateOther(HWND leaving) {
  if (Current().active != leaving) return;
  Activate(NextToActivate(leaving), false);
}

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                                int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                LPVOID lpParam) {
  return kx2::Guard(HWND{nullptr}, [&] {
    return Create(dwExStyle, lpClassName, lpWindowName, dwStyle, X, Y, nWidth, nHeight, hWndParent, hMenu, hInstance,
                  lpParam);
  });
}

KX2_EXPORT BOOL DestroyWindow(HWND hWnd) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::shared_ptr<Window> window = Get(hWnd);
    if (!window || window->destroyed) {
      SetLastErrorInvalidWindow();
      return FALSE;
    }
    if (!window->parent || window->threadId != GetCurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (window->destroying) return TRUE;
    if (CallCbtHooks(HCBT_DESTROYWND, reinterpret_cast<WPARAM>(hWnd), 0)) return FALSE;
    if (window->destroyed || window->destroying) return TRUE;
    window->destroying = true;
    const bool child = (static_cast<DWORD>(GetWindowLongW(hWnd, GWL_STYLE)) & WS_CHILD) != 0;
    if (child) NotifyParents(hWnd, WM_DESTROY, reinterpret_cast<LPARAM>(hWnd));
    if (IsWindowVisible(hWnd))
      SetPos(
          hWnd, nullptr, 0, 0, 0, 0,
          SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | (child ? 0 : SWP_NOOWNERZORDER));
    if (!child) ActivateOther(hWnd);
    // Windows it owns go first.
    std::vector<HWND> owned;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      for (Window* other : DesktopLocked()->children)
        if (other->owner == window.get()) owned.push_back(other->handle);
    }
    for (HWND h : owned) DestroyWindow(h);
    if (window->destroyed) return TRUE;
    // Focus inside the window moves to its parent (or nowhere, for a top-level window).
    HWND focus = Current().focus;
    if (focus && (focus == hWnd || IsChild(hWnd, focus))) SetFocus(child ? GetParent(hWnd) : nullptr);
    if (HWND capture = GetCapture(); capture && (capture == hWnd || IsChild(hWnd, capture))) ReleaseCapture();
    SendDestroy(window);
    SendNcDestroy(window);
    return TRUE;
  });
}

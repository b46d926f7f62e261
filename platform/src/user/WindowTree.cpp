// The window tree: links, enumeration, lookups, enable state and window text.
#include <algorithm>

#include "kx2/ErrorBoundary.h"
#include "kx2/UserCore.h"
#include "kx2/Utf.h"
#include "user/Core.h"

namespace kx2::user {
namespace {

bool SameText(const std::u16string& a, LPCWSTR b) { return a == kx2::View16(b); }

// A class name given as text or atom matches the window's class.
bool ClassMatches(const Window* w, ATOM atom) { return w->cls && w->cls->atom == atom; }

std::vector<HWND> Snapshot(const Window* parent, bool deep) {
  std::vector<HWND> out;
  for (Window* child : parent->children) {
    if (child->messageOnly) continue;
    out.push_back(child->handle);
    if (deep) {
      auto inner = Snapshot(child, true);
      out.insert(out.end(), inner.begin(), inner.end());
    }
  }
  return out;
}

BOOL Enumerate(const std::vector<HWND>& handles, WNDENUMPROC proc, LPARAM lParam) {
  for (HWND h : handles) {
    if (!IsWindow(h)) continue;  // destroyed by an earlier callback
    if (!proc(h, lParam)) return FALSE;
  }
  return TRUE;
}

}  // namespace
}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT BOOL IsWindow(HWND hWnd) {
  if (!hWnd) return FALSE;
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  return w && !w->destroyed ? TRUE : FALSE;
}

KX2_EXPORT BOOL IsWindowUnicode(HWND hWnd) { return IsWindow(hWnd); }

KX2_EXPORT BOOL IsWindowVisible(HWND hWnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  return w && Visible(w) ? TRUE : FALSE;
}

KX2_EXPORT BOOL IsWindowEnabled(HWND hWnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

KX2_EXPORT BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    bool wasDisabled;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWnd);
      if (!w || !w->parent) {
        SetLastErrorInvalidWindow();
        return FALSE;
      }
      wasDisabled = (w->style & WS_DISABLED) != 0;
      if (wasDisabled == !bEnable) return wasDisabled;
      if (bEnable) w->style &= ~WS_DISABLED;
    }
    if (!bEnable) {
      SendTo(hWnd, WM_CANCELMODE, 0, 0);
      {
        std::lock_guard<std::mutex> guard(TreeLock());
        if (Window* w = Find(hWnd)) w->style |= WS_DISABLED;
      }
      HWND focus = GetFocus();
      if (focus && (focus == hWnd || IsChild(hWnd, focus))) SetFocus(nullptr);
    }
    SendTo(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    RaiseWinEvent(EVENT_OBJECT_STATECHANGE, hWnd, OBJID_WINDOW, CHILDID_SELF);
    return wasDisabled;
  });
}

KX2_EXPORT BOOL IsChild(HWND hWndParent, HWND hWnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* parent = Find(hWndParent);
  Window* w = Find(hWnd);
  if (!parent || !w) return FALSE;
  for (Window* p = w; p && (p->style & WS_CHILD); p = p->parent)
    if (p->parent == parent) return TRUE;
  return FALSE;
}

KX2_EXPORT HWND GetDesktopWindow() {
  std::lock_guard<std::mutex> guard(TreeLock());
  return DesktopLocked()->handle;
}

KX2_EXPORT HWND GetParent(HWND hWnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  if (!w) {
    SetLastErrorInvalidWindow();
    return nullptr;
  }
  if (w->style & WS_CHILD) return w->parent ? w->parent->handle : nullptr;
  if ((w->style & WS_POPUP) && w->owner) return w->owner->handle;
  return nullptr;
}

KX2_EXPORT HWND SetParent(HWND hWndChild, HWND hWndNewParent) {
  return kx2::Guard(HWND{nullptr}, [&]() -> HWND {
    HWND old = nullptr;
    bool wasVisible = false;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWndChild);
      Window* desktop = DesktopLocked();
      Window* parent = hWndNewParent ? Find(hWndNewParent) : desktop;
      if (!w || !parent || !w->parent || w->destroyed || parent->destroyed) {
        SetLastErrorInvalidWindow();
        return nullptr;
      }
      for (Window* p = parent; p; p = p->parent) {
        if (p == w) {  // would make a cycle
          SetLastError(ERROR_INVALID_PARAMETER);
          return nullptr;
        }
      }
      old = w->parent->handle;
      wasVisible = (w->style & WS_VISIBLE) != 0;
      if (w->parent == parent) return old;
      // The window keeps its place relative to its parent's client area.
      Unlink(w);
      LinkInto(parent, w, nullptr);
      if (parent == desktop) w->owner = nullptr;
    }
    if (wasVisible) SetPos(hWndChild, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return old;
  });
}

KX2_EXPORT HWND GetAncestor(HWND hwnd, UINT gaFlags) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hwnd);
  if (!w) {
    SetLastErrorInvalidWindow();
    return nullptr;
  }
  if (!w->parent) return nullptr;  // the desktop
  switch (gaFlags) {
    case GA_PARENT:
      return w->parent->handle;
    case GA_ROOT:
      return TopLevelOf(w)->handle;
    case GA_ROOTOWNER: {
      Window* root = TopLevelOf(w);
      while (root->owner && !root->owner->destroyed) root = root->owner;
      return root->handle;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

KX2_EXPORT HWND GetWindow(HWND hWnd, UINT uCmd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  if (!w) {
    SetLastErrorInvalidWindow();
    return nullptr;
  }
  auto siblings = [&]() -> const std::vector<Window*>* { return w->parent ? &w->parent->children : nullptr; };
  switch (uCmd) {
    case GW_HWNDFIRST:
      return siblings() && !siblings()->empty() ? siblings()->front()->handle : nullptr;
    case GW_HWNDLAST:
      return siblings() && !siblings()->empty() ? siblings()->back()->handle : nullptr;
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
      if (!siblings()) return nullptr;
      const auto& list = *siblings();
      auto it = std::find(list.begin(), list.end(), w);
      if (it == list.end()) return nullptr;
      if (uCmd == GW_HWNDNEXT) return it + 1 == list.end() ? nullptr : (*(it + 1))->handle;
      return it == list.begin() ? nullptr : (*(it - 1))->handle;
    }
    case GW_OWNER:
      return w->owner ? w->owner->handle : nullptr;
    case GW_CHILD:
      return w->children.empty() ? nullptr : w->children.front()->handle;
    case GW_ENABLEDPOPUP:
      for (Window* other : DesktopLocked()->children)
        if (other->owner == w && (other->style & WS_VISIBLE) && !(other->style & WS_DISABLED)) return other->handle;
      return nullptr;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

KX2_EXPORT HWND GetTopWindow(HWND hWnd) { return GetWindow(hWnd ? hWnd : GetDesktopWindow(), GW_CHILD); }

KX2_EXPORT HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hDlg);
  if (!w) {
    SetLastErrorInvalidWindow();
    return nullptr;
  }
  for (Window* child : w->children)
    if (child->id == nIDDlgItem) return child->handle;
  SetLastError(1421L);  // ERROR_CONTROL_ID_NOT_FOUND
  return nullptr;
}

KX2_EXPORT int GetDlgCtrlID(HWND hWnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  if (!w) {
    SetLastErrorInvalidWindow();
    return 0;
  }
  return (w->style & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

KX2_EXPORT BOOL EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::vector<HWND> handles;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      handles = Snapshot(DesktopLocked(), false);
    }
    return lpEnumFunc ? Enumerate(handles, lpEnumFunc, lParam) : FALSE;
  });
}

KX2_EXPORT BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::vector<HWND> handles;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* parent = hWndParent ? Find(hWndParent) : DesktopLocked();
      if (!parent) {
        SetLastErrorInvalidWindow();
        return FALSE;
      }
      handles = Snapshot(parent, true);
    }
    return lpEnumFunc ? Enumerate(handles, lpEnumFunc, lParam) : FALSE;
  });
}

KX2_EXPORT BOOL EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::vector<HWND> handles;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      for (Window* w : DesktopLocked()->children)
        if (w->threadId == dwThreadId && !w->messageOnly) handles.push_back(w->handle);
    }
    return lpfn ? Enumerate(handles, lpfn, lParam) : FALSE;
  });
}

KX2_EXPORT DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  if (!w) {
    SetLastErrorInvalidWindow();
    return 0;
  }
  if (lpdwProcessId) *lpdwProcessId = GetCurrentProcessId();
  return w->threadId;
}

KX2_EXPORT HWND FindWindowExW(HWND hWndParent, HWND hWndChildAfter, LPCWSTR lpszClass, LPCWSTR lpszWindow) {
  return kx2::Guard(HWND{nullptr}, [&]() -> HWND {
    ATOM atom = 0;
    if (lpszClass) {
      atom = ClassAtom(lpszClass);
      if (!atom) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return nullptr;
      }
    }
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* parent = hWndParent && hWndParent != HWND_MESSAGE ? Find(hWndParent) : DesktopLocked();
    if (!parent) {
      SetLastErrorInvalidWindow();
      return nullptr;
    }
    const bool messageOnly = hWndParent == HWND_MESSAGE;
    bool started = hWndChildAfter == nullptr;
    for (Window* w : parent->children) {
      if (!started) {
        started = w->handle == hWndChildAfter;
        continue;
      }
      if (w->messageOnly != messageOnly) continue;
      if (atom && !ClassMatches(w, atom)) continue;
      if (lpszWindow && !SameText(w->text, lpszWindow)) continue;
      return w->handle;
    }
    SetLastError(ERROR_SUCCESS);
    return nullptr;
  });
}

KX2_EXPORT HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName) {
  return FindWindowExW(nullptr, nullptr, lpClassName, lpWindowName);
}

KX2_EXPORT int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
  return kx2::Guard(0, [&]() -> int {
    std::u16string name;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWnd);
      if (!w) {
        if (lpClassName && nMaxCount > 0) lpClassName[0] = 0;
        SetLastErrorInvalidWindow();
        return 0;
      }
      name = w->cls ? w->cls->name : std::u16string(u"#32769");
    }
    if (!lpClassName || nMaxCount <= 0) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    const size_t n = std::min(name.size(), static_cast<size_t>(nMaxCount - 1));
    std::copy_n(name.data(), n, lpClassName);
    lpClassName[n] = 0;
    return static_cast<int>(n);
  });
}

KX2_EXPORT int RealGetWindowClassW(HWND hwnd, LPWSTR ptszClassName, UINT cchClassNameMax) {
  return GetClassNameW(hwnd, ptszClassName, static_cast<int>(std::min<UINT>(cchClassNameMax, 0x7FFFFFFF)));
}

KX2_EXPORT int InternalGetWindowText(HWND hWnd, LPWSTR pString, int cchMaxCount) {
  return kx2::Guard(0, [&]() -> int {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hWnd);
    if (!w) {
      SetLastErrorInvalidWindow();
      return 0;
    }
    if (!pString || cchMaxCount <= 0) return 0;
    const size_t n = std::min(w->text.size(), static_cast<size_t>(cchMaxCount - 1));
    std::copy_n(w->text.data(), n, pString);
    pString[n] = 0;
    return static_cast<int>(n);
  });
}

KX2_EXPORT int Kx2WindowTextLength(HWND hWnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  if (!w) {
    SetLastErrorInvalidWindow();
    return 0;
  }
  return static_cast<int>(w->text.size());
}

KX2_EXPORT BOOL Kx2WindowKeepText(HWND hWnd, LPCWSTR text) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWnd);
      if (!w) {
        SetLastErrorInvalidWindow();
        return FALSE;
      }
      w->text = text ? std::u16string(kx2::View16(text)) : std::u16string();
    }
    RaiseWinEvent(EVENT_OBJECT_NAMECHANGE, hWnd, OBJID_WINDOW, CHILDID_SELF);
    return TRUE;
  });
}

KX2_EXPORT int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
  if (lpString && nMaxCount > 0) lpString[0] = 0;
  if (!IsWindow(hWnd)) {
    SetLastErrorInvalidWindow();
    return 0;
  }
  if (!lpString || nMaxCount <= 0) return 0;
  return static_cast<int>(
      SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

KX2_EXPORT int GetWindowTextLengthW(HWND hWnd) {
  if (!IsWindow(hWnd)) {
    SetLastErrorInvalidWindow();
    return 0;
  }
  return static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

KX2_EXPORT BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
  if (!IsWindow(hWnd)) {
    SetLastErrorInvalidWindow();
    return FALSE;
  }
  return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

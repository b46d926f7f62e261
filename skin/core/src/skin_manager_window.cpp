// The manager's window side: the class registry, the thread hook that attaches objects to
// new windows, the z-order event hook, and telling windows that the skin changed.
#include "skin_manager_window.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include <win/module.h>
#include <win/user.h>

#include "ornatex/core/api_hook.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_object.h"
#include "pass_through.h"

namespace {

constexpr UINT_PTR kZOrderTimer = 2765;
constexpr DWORD kFramedStyles = 0xF00000;  // border, dialog frame, vertical or horizontal bar

// ---- The thread hook -----------------------------------------------------------------------
// A thread's WH_CBT hook ends with the thread; the manager's end (the library's stop)
// removes every thread's, so that a stopped library leaves no hook behind.

std::mutex& HookLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

std::vector<std::pair<DWORD, HHOOK>>& ThreadHooks() {
  static auto* hooks = new std::vector<std::pair<DWORD, HHOOK>>;
  return *hooks;
}

HHOOK ThreadHook() {
  const DWORD thread = GetCurrentThreadId();
  std::lock_guard<std::mutex> hold(HookLock());
  for (const auto& [id, hook] : ThreadHooks())
    if (id == thread) return hook;
  return nullptr;
}

void UnhookThread(DWORD thread) {
  HHOOK hook = nullptr;
  {
    std::lock_guard<std::mutex> hold(HookLock());
    auto& hooks = ThreadHooks();
    auto it = std::find_if(hooks.begin(), hooks.end(), [&](const auto& h) { return h.first == thread; });
    if (it == hooks.end()) return;
    hook = it->second;
    hooks.erase(it);
  }
  UnhookWindowsHookEx(hook);
}

// The thread's state: destroyed with the thread, it takes the thread's hook along.
struct KTK_SKINAMANGER_THREAD_STATE {
  bool hooked = false;
  ~KTK_SKINAMANGER_THREAD_STATE() {
    if (hooked) UnhookThread(GetCurrentThreadId());
  }
};
thread_local KTK_SKINAMANGER_THREAD_STATE t_state;

LRESULT CbtHookProc(int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallNextHookEx(ThreadHook(), code, wParam, lParam);
  if (code != HCBT_CREATEWND) return result;
  CKtkSkinManager* manager = KtkSkinManagerIfMade();
  if (!manager || !manager->m_autoApply) return result;
  const auto window = reinterpret_cast<HWND>(wParam);
  char16_t className[51] = {};
  GetClassNameW(window, className, 51);
  if (!manager->Lookup(window)) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
    try {
      manager->SetHook(window, className, create ? create->lpcs : nullptr, TRUE);
    } catch (...) {  // no memory for an object: the window stays as it is
    }
  }
  return result;
}

void HookThisThread() {
  if (ThreadHook()) return;
  HHOOK hook = SetWindowsHookExW(WH_CBT, &CbtHookProc, nullptr, GetCurrentThreadId());
  if (!hook) return;
  std::lock_guard<std::mutex> hold(HookLock());
  ThreadHooks().emplace_back(GetCurrentThreadId(), hook);
  t_state.hooked = true;
}

void UnhookEveryThread() {
  std::vector<std::pair<DWORD, HHOOK>> hooks;
  {
    std::lock_guard<std::mutex> hold(HookLock());
    hooks.swap(ThreadHooks());
  }
  for (const auto& h : hooks) UnhookWindowsHookEx(h.second);
}

// ---- The z-order event hook ----------------------------------------------------------------

void EventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG, DWORD, DWORD) {
  if (event != EVENT_OBJECT_REORDER || objectId != OBJID_WINDOW) return;
  CKtkSkinManager* manager = KtkSkinManagerIfMade();
  if (!manager || !(manager->m_applyOptions & KTK_APPLY_FRAMES) || !manager->m_enabled) return;
  if (!manager->Lookup(window) || !IsWindow(window)) return;
  if (!(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & kFramedStyles)) return;
  if (TIMERPROC proc = KtkFrameTimerProc()) SetTimer(window, kZOrderTimer, 1000, proc);
}

HMODULE User32() { return GetModuleHandleW(u"USER32.DLL"); }

BOOL PostSysColorChange(HWND window, LPARAM) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) PostMessageW(window, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}

}  // namespace

namespace ornatex {

void StartManagerWindowSide(CKtkSkinManager& manager) {
  KtkSkinManagerApiHook();  // the import-table hook component exists from here on
  if (HMODULE user32 = User32()) {
    manager.m_pfnSetWinEventHook = reinterpret_cast<decltype(manager.m_pfnSetWinEventHook)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetWinEventHook")));
    manager.m_pfnUnhookWinEvent = reinterpret_cast<decltype(manager.m_pfnUnhookWinEvent)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "UnhookWinEvent")));
  }
  if (manager.m_pfnSetWinEventHook && manager.m_pfnUnhookWinEvent) {
    manager.m_hEventHook = manager.m_pfnSetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_REORDER, nullptr, &EventProc,
                                                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  }
  HookThisThread();
}

void StopManagerWindowSide(CKtkSkinManager& manager) {
  KtkSkinManagerApiHook().RemoveAllHooks();
  if (manager.m_hEventHook && manager.m_pfnUnhookWinEvent && User32())
    manager.m_pfnUnhookWinEvent(manager.m_hEventHook);
  manager.m_hEventHook = nullptr;
  UnhookEveryThread();
  ForgetPassThroughs();
}

CKtkSkinManagerSchema* OwnSchemaOf(CKtkSkinObject* object) { return object ? object->m_pOwnSchema : nullptr; }

}  // namespace ornatex

TIMERPROC& KtkFrameTimerProc() {
  static TIMERPROC proc = nullptr;
  return proc;
}

void CKtkSkinManager::OnSkinChanged(BOOL wasEnabled, BOOL enabled) {
  if (HWND main = AfxGetMainWnd()) SendMessageW(main, WM_SYSCOLORCHANGE, 0, 0);
  EnumWindows(&PostSysColorChange, 0);
  // A snapshot taken under the lock and walked without it: objects may destroy windows,
  // and Remove change the table, meanwhile.
  std::vector<std::pair<HWND, CKtkSkinObject*>> snapshot;
  {
    std::lock_guard<std::mutex> hold(m_tableLock);
    snapshot.reserve(m_objects.size());
    for (const auto& [window, object] : m_objects) {
      object->InternalAddRef();
      snapshot.emplace_back(window, object);
    }
  }
  for (const auto& [window, object] : snapshot) {
    if (IsWindow(window))
      object->OnSkinChanged(wasEnabled, enabled);
    else
      Remove(window);
    object->InternalRelease();
  }
}

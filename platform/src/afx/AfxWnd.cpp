// CWnd: the per-thread permanent and temporary maps, creation and subclassing through
// AfxWndProc, message-map dispatch and the default path.
#include <win/afx.h>

#include <memory>
#include <unordered_map>

#include "AfxHook.h"
#include "kx2/ErrorBoundary.h"
#include "user/Core.h"
#include "win/gdi.h"

namespace {

struct ThreadMaps {
  std::unordered_map<HWND, CWnd*> permanent;
  std::unordered_map<HWND, std::unique_ptr<CWnd>> windows;
  std::unordered_map<HDC, std::unique_ptr<CDC>> dcs;
  std::unordered_map<HMENU, std::unique_ptr<CMenu>> menus;

  void ClearTemporaries() {
    windows.clear();
    for (auto& [h, dc] : dcs) dc->Detach();
    dcs.clear();
    for (auto& [h, menu] : menus) menu->Detach();  // the menu belongs to someone else
    menus.clear();
  }
  ThreadMaps() = default;
  ThreadMaps(const ThreadMaps&) = delete;
  ThreadMaps& operator=(const ThreadMaps&) = delete;
  ~ThreadMaps() { ClearTemporaries(); }
};

thread_local ThreadMaps t_maps;
thread_local AFX_THREAD_STATE t_state;

// Attaches the window being made by CreateEx at its HCBT_CREATEWND, so the object sees
// WM_NCCREATE and everything after.
LRESULT CALLBACK CbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
  AFX_THREAD_STATE* state = AfxGetThreadState();
  if (code == HCBT_CREATEWND && state->m_pWndInit) {
    CWnd* wnd = state->m_pWndInit;
    state->m_pWndInit = nullptr;
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    if (wnd->Attach(hwnd)) {
      auto old =
          reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
      if (old != &AfxWndProc) *wnd->GetSuperWndProcAddr() = old;
    }
  }
  return CallNextHookEx(state->m_hHookOldCbtFilter, code, wParam, lParam);
}

}  // namespace

AFX_THREAD_STATE* AfxGetThreadState() { return &t_state; }

namespace kx2::afx {

CreationHook::CreationHook(CWnd* wnd) {
  AFX_THREAD_STATE* state = AfxGetThreadState();
  hook_ = SetWindowsHookExW(WH_CBT, &CbtFilterHook, nullptr, GetCurrentThreadId());
  outer_ = state->m_hHookOldCbtFilter;
  state->m_hHookOldCbtFilter = hook_;
  state->m_pWndInit = wnd;
}

CreationHook::~CreationHook() {
  AFX_THREAD_STATE* state = AfxGetThreadState();
  state->m_pWndInit = nullptr;
  state->m_hHookOldCbtFilter = outer_;
  if (hook_) UnhookWindowsHookEx(hook_);
}

}  // namespace kx2::afx

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)
IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

// ---- Maps ------------------------------------------------------------------------------------

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  auto it = t_maps.permanent.find(hwnd);
  return it == t_maps.permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (CWnd* permanent = FromHandlePermanent(hwnd)) return permanent;
  auto& slot = t_maps.windows[hwnd];
  if (!slot) slot = std::make_unique<CWnd>(hwnd);
  return slot.get();
}

void CWnd::DeleteTempMap() {
  t_maps.ClearTemporaries();
  CGdiObject::DeleteTempMap();
}

CDC* CDC::FromHandle(HDC dc) {
  if (!dc) return nullptr;
  auto& slot = t_maps.dcs[dc];
  if (!slot) {
    slot = std::make_unique<CDC>();
    slot->m_hDC = slot->m_hAttribDC = dc;
  }
  return slot.get();
}

void CDC::DeleteTempMap() { CWnd::DeleteTempMap(); }

BOOL CDC::Attach(HDC dc) {
  if (!dc) return FALSE;
  m_hDC = m_hAttribDC = dc;
  return TRUE;
}

HDC CDC::Detach() {
  HDC dc = m_hDC;
  m_hDC = m_hAttribDC = nullptr;
  return dc;
}

CMenu* CMenu::FromHandle(HMENU menu) {
  if (!menu) return nullptr;
  auto& slot = t_maps.menus[menu];
  if (!slot) {
    slot = std::make_unique<CMenu>();
    slot->m_hMenu = menu;
  }
  return slot.get();
}

BOOL CWnd::Attach(HWND hwnd) {
  if (!hwnd || !::IsWindow(hwnd) || FromHandlePermanent(hwnd)) return FALSE;
  t_maps.permanent[hwnd] = this;
  m_hWnd = hwnd;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd) {
    auto it = t_maps.permanent.find(hwnd);
    if (it != t_maps.permanent.end() && it->second == this) t_maps.permanent.erase(it);
  }
  m_hWnd = nullptr;
  return hwnd;
}

CWnd::~CWnd() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
    if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) Detach();
  }
}

// ---- Creation and subclassing ------------------------------------------------------------

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!Attach(hwnd)) return FALSE;
  auto old = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  if (old != &AfxWndProc) *GetSuperWndProcAddr() = old;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  HWND item = parent ? ::GetDlgItem(parent->m_hWnd, static_cast<int>(id)) : nullptr;
  return item ? SubclassWindow(item) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  WNDPROC* super = GetSuperWndProcAddr();
  if (m_hWnd && *super) SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(*super));
  *super = nullptr;
  return Detach();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW&) { return TRUE; }

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, LPVOID param) {
  CREATESTRUCTW cs{param, AfxGetInstanceHandle(),   idOrMenu,   parent,    height, width, y,
                   x,     static_cast<LONG>(style), windowName, className, exStyle};
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  kx2::afx::CreationHook hook(this);
  HWND hwnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  return hwnd != nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, LPVOID param) {
  return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

// ---- Dispatch --------------------------------------------------------------------------

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  UINT wanted = message;
  AFX_CTLCOLOR color{};
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    color = AFX_CTLCOLOR{reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX};
    wanted = WM_CTLCOLOR;
  }
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
      if (e->pnRegistered) {
        if (*e->pnRegistered == 0 || *e->pnRegistered != message) continue;
      } else if (e->nMessage != wanted) {
        continue;
      }
      if (wanted == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || header->code != e->nCode || header->idFrom < e->nID || header->idFrom > e->nLastID) continue;
      }
      if (wanted == WM_COMMAND) {
        // Menus and accelerators (codes 0 and 1) reach ON_COMMAND entries.
        const UINT code = HIWORD(wParam), id = LOWORD(wParam);
        if ((e->nCode == 0 ? code > 1 : code != e->nCode) || id < e->nID || id > e->nLastID) continue;
      }
      const LRESULT answer = e->pfn(this, wParam, wanted == WM_CTLCOLOR ? reinterpret_cast<LPARAM>(&color) : lParam);
      if (result) *result = answer;
      return TRUE;
    }
  }
  return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

WNDPROC* CWnd::GetSuperWndProcAddr() { return &m_pfnSuper; }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC super = *GetSuperWndProcAddr();
  if (!super || super == &AfxWndProc) super = kx2::user::SystemDefWindowProc();
  return ::CallWindowProcW(super, m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  const MSG& last = AfxGetThreadState()->m_lastSentMsg;
  return DefWindowProc(last.message, last.wParam, last.lParam);
}

void CWnd::PostNcDestroy() {}

BOOL CWnd::IsFrameWnd() const { return FALSE; }

LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  AFX_THREAD_STATE* state = AfxGetThreadState();
  const MSG saved = state->m_lastSentMsg;
  state->m_lastSentMsg = MSG{hwnd, message, wParam, lParam, 0, POINT{0, 0}};
  const LRESULT result = wnd->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hwnd) == wnd) {
    // The window is going: the object puts the previous procedure back and lets go of it.
    WNDPROC super = *wnd->GetSuperWndProcAddr();
    if (super && GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&AfxWndProc))
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
    wnd->Detach();
    wnd->PostNcDestroy();  // may delete the object
  }
  state->m_lastSentMsg = saved;
  return result;
}

LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (!wnd || wnd->m_hWnd != hwnd) return kx2::user::SystemDefWindowProc()(hwnd, message, wParam, lParam);
  return AfxCallWndProc(wnd, hwnd, message, wParam, lParam);
}

BOOL AfxRegisterClass(WNDCLASSW* wndClass) {
  if (!wndClass) return FALSE;
  WNDCLASSW existing{};
  if (GetClassInfoW(wndClass->hInstance, wndClass->lpszClassName, &existing)) return TRUE;
  return RegisterClassW(wndClass) != 0;
}

BOOL CWnd::GrayCtlColor(HDC dc, HWND hwnd, UINT ctlColor, HBRUSH hbrGray, COLORREF clrText) {
  if (!dc || !hbrGray) return FALSE;
  (void)hwnd;
  // Edits, list boxes and message boxes keep the window colours.
  if (ctlColor == CTLCOLOR_EDIT || ctlColor == CTLCOLOR_LISTBOX || ctlColor == CTLCOLOR_MSGBOX) return FALSE;
  LOGBRUSH brush{};
  if (!GetObjectW(hbrGray, sizeof brush, &brush)) return FALSE;
  SetBkColor(dc, brush.lbColor);
  SetTextColor(dc, clrText == static_cast<COLORREF>(-1) ? GetSysColor(COLOR_WINDOWTEXT) : clrText);
  return TRUE;
}

// ---- Wrappers ------------------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessageW(m_hWnd, message, wParam, lParam);
}
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
CWnd* CWnd::GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE)); }

static BOOL ModifyBits(HWND hwnd, int index, DWORD remove, DWORD add, UINT swpFlags) {
  const DWORD old = static_cast<DWORD>(::GetWindowLongW(hwnd, index));
  const DWORD changed = (old & ~remove) | add;
  if (changed == old) return FALSE;
  ::SetWindowLongW(hwnd, index, static_cast<LONG>(changed));
  if (swpFlags)
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
  return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
  return ModifyBits(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}
BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
  return ModifyBits(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}
void CWnd::GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
void CWnd::ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}
BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
void CWnd::SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
int CWnd::GetWindowText(LPWSTR buffer, int max) const { return ::GetWindowTextW(m_hWnd, buffer, max); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }
UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, elapse, proc); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

// ---- Base handlers: the message as it came, to the default path ----------------------------

int CWnd::OnCreate(LPCREATESTRUCTW) { return static_cast<int>(Default()); }
BOOL CWnd::OnNcCreate(LPCREATESTRUCTW) { return static_cast<BOOL>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnNcPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*) { Default(); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
BOOL CWnd::OnNcActivate(BOOL) { return static_cast<BOOL>(Default()); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnActivateApp(BOOL, DWORD) { Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return static_cast<int>(Default()); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnStyleChanging(int, STYLESTRUCT*) { Default(); }
void CWnd::OnStyleChanged(int, STYLESTRUCT*) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnCancelMode() { Default(); }
void CWnd::OnSysColorChange() { Default(); }
void CWnd::OnSettingChange(UINT, LPCWSTR) { Default(); }
LRESULT CWnd::OnThemeChanged() { return Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnInitMenuPopup(CMenu*, UINT, BOOL) { Default(); }
void CWnd::OnMenuSelect(UINT, UINT, HMENU) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnNcMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnNcRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnNcRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMouseLeave() { Default(); }
void CWnd::OnNcMouseLeave() { Default(); }
void CWnd::OnMouseHover(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }

// ---- CFrameWnd ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_NCACTIVATE()
END_MESSAGE_MAP()

BOOL CFrameWnd::IsFrameWnd() const { return TRUE; }

BOOL CFrameWnd::OnNcActivate(BOOL active) {
  // A frame asked to stay active keeps its caption lit, unless it cannot take input.
  if (m_nFlags & WF_STAYACTIVE) active = TRUE;
  if (!IsWindowEnabled()) active = FALSE;
  return static_cast<BOOL>(DefWindowProc(WM_NCACTIVATE, static_cast<WPARAM>(active), 0));
}

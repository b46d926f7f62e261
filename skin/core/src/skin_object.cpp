// The skin object base: attaching to a window, subclassing it, routing its messages and
// leaving it again.
#include "ornatex/core/skin_object.h"

#include <win/user.h>

#include "ornatex/core/api_hook.h"
#include "ornatex/core/module_list.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/color_manager.h"
#include "ornatex/schema/schema.h"
#include "pass_through.h"

UINT KtkWmSinkRemoved = RegisterWindowMessageW(u"WM_HOOKMANAGER_SINKREMOVED");
UINT KtkWmUpdateState = RegisterWindowMessageW(u"WM_SKINFRAMEWORK_UPDATESTATE");
UINT KtkWmQueryState = RegisterWindowMessageW(u"WM_SKINFRAMEWORK_QUERYSTATE");

IMPLEMENT_DYNAMIC(CKtkSkinObject, CWnd)

CKtkSkinObject::CKtkSkinObject() = default;

CKtkSkinObject::~CKtkSkinObject() {
  m_hWnd = nullptr;  // never entered in MFC's map: the window is not this object's
  SetOwnSchema(nullptr);
}

void CKtkSkinObject::SetOwnSchema(CKtkSkinManagerSchema* schema) {
  if (schema) schema->InternalAddRef();
  if (m_pOwnSchema) m_pOwnSchema->InternalRelease();
  m_pOwnSchema = schema;
}

// ---- The eight operations ------------------------------------------------------------------

void CKtkSkinObject::OnSkinChanged(BOOL, BOOL) { RefreshMetrics(); }

void CKtkSkinObject::RefreshMetrics() {}

void CKtkSkinObject::OnHookAttached(const CREATESTRUCTW*, BOOL fromCreation) {
  m_bOptedOut = CWnd::FromHandlePermanent(m_hWnd) ? SendMessageW(m_hWnd, KtkWmQueryState, 0, 0) != 0 : FALSE;
  if (!fromCreation) RefreshMetrics();
}

void CKtkSkinObject::OnHookDetached(BOOL) {}

BOOL CKtkSkinObject::OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (IsPassMessage(message) || IsDefWindowProcMessage(message)) return FALSE;
  return OnWndMsg(message, wParam, lParam, &result);
}

BOOL CKtkSkinObject::OnHookDefWindowProc(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (IsPassMessage(message)) return FALSE;
  if (message == KtkWmQueryState) {
    result = 0;
    return TRUE;
  }
  return OnWndMsg(message, wParam, lParam, &result);
}

BOOL CKtkSkinObject::IsDefWindowProcMessage(UINT message) {
  if (message == WM_TIMER) return FALSE;
  return m_bSystemProc ? FALSE : TRUE;
}

BOOL CKtkSkinObject::IsPassMessage(UINT message) {
  switch (message) {
    case WM_ACTIVATE:
    case WM_SETCURSOR:
    case WM_NOTIFY:
    case WM_COMMAND:
      return TRUE;
    default:
      break;
  }
  if (message == KtkWmUpdateState) m_bOptedOut = SendMessageW(m_hWnd, KtkWmQueryState, 0, 0) != 0;
  return FALSE;
}

// ---- Attaching and leaving -----------------------------------------------------------------

void CKtkSkinObject::Attach(HWND window, const CREATESTRUCTW* cs, BOOL fromCreation) {
  m_hWnd = window;
  m_bUnicode = IsWindowUnicode(window);
  // A window the skin left under a subclasser still has the skin procedure in its chain,
  // passing through: the object takes that place over instead of going on top as well,
  // where the one procedure, met twice in one chain, would find the object both times.
  WNDPROC inChain = nullptr;
  if (ornatex::TakePassThrough(window, &inChain)) {
    m_pfnPrevious = inChain;
    m_bSystemProc = IsSystemModuleAddress(reinterpret_cast<const void*>(inChain));
    m_bSubclassed = TRUE;
    OnHookAttached(cs, fromCreation);
    return;
  }
  m_pfnPrevious = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
  m_bSystemProc = IsSystemModuleAddress(reinterpret_cast<const void*>(m_pfnPrevious));
  // The Windows 9x rule counted addresses above 0x70000000 as system code; no procedure of
  // a 64-bit process is told by such a bound, so only the module test counts here.
  if (m_bSystemProc || m_bAlwaysSubclass) Subclass();
  OnHookAttached(cs, fromCreation);
}

void CKtkSkinObject::Subclass() {
  if (m_bSubclassed || !m_hWnd) return;
  m_pfnPrevious = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CKtkSkinObject::SkinWindowProc)));
  m_bSubclassed = TRUE;
}

void CKtkSkinObject::Detach(BOOL destroying) {
  if (m_bSubclassed) {
    LRESULT taken = 0;
    if (!destroying)
      taken = SendMessageW(m_hWnd, KtkWmSinkRemoved, reinterpret_cast<WPARAM>(&CKtkSkinObject::SkinWindowProc),
                           reinterpret_cast<LPARAM>(m_pfnPrevious));
    if (destroying || taken == 0) {
      // Put the previous procedure back only while the skin's is the window's: a later
      // subclasser that did not answer would otherwise be cut out of the chain, and its
      // own restore later would put the skin procedure back on a window without an object.
      // Such a window keeps a pass-through to the previous procedure until it is destroyed.
      const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC));
      if (current == &CKtkSkinObject::SkinWindowProc)
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevious));
      else if (IsWindow(m_hWnd))
        ornatex::AddPassThrough(m_hWnd, m_pfnPrevious);
    }
    m_bSubclassed = FALSE;
  }
  OnHookDetached(destroying);
}

// ---- Messages ------------------------------------------------------------------------------

void CKtkSkinObject::PushRecord(UINT message) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_pending.push_back(DEFWINDOW_DESCRIPTIOR{nullptr, 0, 0, message});
}

void CKtkSkinObject::PopRecord() {
  std::lock_guard<std::mutex> hold(m_lock);
  if (!m_pending.empty()) m_pending.pop_back();
}

size_t CKtkSkinObject::PendingCount() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_pending.size();
}

LRESULT CKtkSkinObject::SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CKtkSkinManager* manager = KtkSkinManagerIfMade();
  CKtkSkinObject* object = manager ? manager->LookupAndAddRef(window) : nullptr;
  if (!object) return ornatex::CallPassThrough(window, message, wParam, lParam);
  const WNDPROC previous = object->m_pfnPrevious;
  LRESULT result = 0;
  if (!manager->m_enabled) {
    if (message == WM_NCDESTROY) manager->Remove(window, TRUE);
    result = KtkCallWindowProc(previous, window, message, wParam, lParam);
    object->InternalRelease();
    return result;
  }
  AFX_THREAD_STATE* state = AfxGetThreadState();
  const MSG saved = state->m_lastSentMsg;
  state->m_lastSentMsg = MSG{window, message, wParam, lParam, 0, POINT{0, 0}};
  bool handled = false;
  if (message == WM_NCDESTROY) {
    manager->Remove(window, TRUE);
  } else if (!object->m_bOptedOut || message == KtkWmUpdateState) {
    object->PushRecord(message);
    AFX_MAINTAIN_STATE2 moduleState(manager->m_pModuleState);
    try {
      handled = object->OnHookMessage(message, wParam, lParam, result) != FALSE;
    } catch (...) {
      // As MFC's window procedure does: a handler that failed answers 0, and nothing thrown
      // leaves through the window system.
      handled = true;
      result = 0;
    }
    object->PopRecord();
  }
  if (!handled) result = KtkCallWindowProc(previous, window, message, wParam, lParam);
  state->m_lastSentMsg = saved;
  object->InternalRelease();
  return result;
}

LRESULT CKtkSkinObject::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  DEFWINDOW_DESCRIPTIOR newest{nullptr, 0, 0, 0};
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_pending.empty()) newest = m_pending.back();
  }
  if (newest.kind == 0) return CallWindowProcW(m_pfnPrevious, m_hWnd, message, wParam, lParam);
  if (newest.kind >= 1 && newest.kind <= 5 && newest.pfnDefault)
    return newest.pfnDefault(m_hWnd, message, wParam, lParam, newest.userData);
  return 0;
}

LRESULT CKtkSkinObject::DefWindowProcWithRecord(UINT message, WPARAM wParam, LPARAM lParam) {
  PushRecord(message);
  const LRESULT result = ::DefWindowProcW(m_hWnd, message, wParam, lParam);
  PopRecord();
  return result;
}

// ---- What the object draws with ------------------------------------------------------------

CKtkSkinManagerSchema* CKtkSkinObject::GetSchema() const {
  if (m_pOwnSchema) return m_pOwnSchema;
  return m_pManager ? m_pManager->m_pSchema : nullptr;
}

CKtkSkinManagerClass* CKtkSkinObject::GetSkinClass() {
  return m_pManager ? m_pManager->GetSkinClass(this, m_skinClassName.c_str()) : nullptr;
}

CKtkSkinManagerMetrics* CKtkSkinObject::GetMetrics() const {
  CKtkSkinManagerSchema* schema = GetSchema();
  return schema ? schema->m_metrics.get() : nullptr;
}

COLORREF CKtkSkinObject::GetSysColor(int index) const {
  if (CKtkSkinManagerMetrics* metrics = GetMetrics()) return index >= 0 && index <= 30 ? metrics->GetColor(index) : 0;
  return index >= 0 ? KtkColorManager().LookupColor(static_cast<DWORD>(index)) : 0;
}

BOOL CKtkSkinObject::IsSkinActive() const { return !m_bOptedOut && m_hWnd && m_pManager && m_pManager->m_enabled; }

// ---- The paint handlers' DC ----------------------------------------------------------------

CKtkSkinObjectPaintDC::CKtkSkinObjectPaintDC(CWnd* window) : m_hWnd(window->GetSafeHwnd()) {
  const MSG& message = AfxGetThreadState()->m_lastSentMsg;
  const bool carriesDc = message.hwnd == m_hWnd && message.wParam != 0 &&
                         (message.message == WM_PRINTCLIENT || message.message == WM_PAINT);
  if (carriesDc) {
    Attach(reinterpret_cast<HDC>(message.wParam));
    return;
  }
  HDC dc = BeginPaint(m_hWnd, &m_ps);
  if (!dc) AfxThrowResourceException();
  m_bBegan = TRUE;
  Attach(dc);
}

CKtkSkinObjectPaintDC::~CKtkSkinObjectPaintDC() {
  Detach();
  if (m_bBegan) EndPaint(m_hWnd, &m_ps);
}

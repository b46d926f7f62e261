#include "ornatex/controls/mdi_client_object.h"

#include <vector>

#include <win/user.h>

#include "ornatex/controls/scroll_bar.h"
#include "ornatex/core/skin_manager.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectMDIClient, CKtkSkinObjectFrame)

namespace {

constexpr UINT kCalcChildScroll = 0x003F;  // the client recomputes its scroll bars
constexpr DWORD kMaximized = 0x01000000;   // WS_MAXIMIZE
constexpr DWORD kChildFrameOptions = KTK_APPLY_METRICS | KTK_APPLY_FRAMES;

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinObjectMDIClient, CKtkSkinObjectFrame)
ON_MESSAGE(WM_SIZE, OnSizeMessage)
ON_MESSAGE(WM_MDITILE, OnArrangeMessage)
ON_MESSAGE(WM_MDICASCADE, OnArrangeMessage)
ON_MESSAGE(WM_MDIICONARRANGE, OnArrangeMessage)
ON_MESSAGE(WM_VSCROLL, OnVScrollMessage)
ON_MESSAGE(WM_HSCROLL, OnHScrollMessage)
ON_MESSAGE(kCalcChildScroll, OnCalcChildScrollMessage)
ON_MESSAGE(WM_NCACTIVATE, OnNcActivateClient)
END_MESSAGE_MAP()

CKtkSkinObjectMDIClient::CKtkSkinObjectMDIClient() { m_bAlwaysSubclass = TRUE; }

void CKtkSkinObjectMDIClient::OnHookAttached(const CREATESTRUCTW* cs, BOOL fromCreation) {
  // A client attached after its creation has no creation record: its parent is the frame.
  HWND frame = cs && cs->hwndParent ? cs->hwndParent : ::GetParent(m_hWnd);
  CKtkSkinObject* found = frame && m_pManager ? m_pManager->LookupAndAddRef(frame) : nullptr;
  if (auto* frameObject = dynamic_cast<CKtkSkinObjectFrame*>(found)) {
    m_pFrameObject = frameObject;
    m_pFrameObject->m_pMDIClient = this;
  } else if (found) {
    found->InternalRelease();
  }
  CKtkSkinObjectFrame::OnHookAttached(cs, fromCreation);
}

void CKtkSkinObjectMDIClient::OnHookDetached(BOOL destroying) {
  if (m_pFrameObject) {
    if (m_pFrameObject->m_pMDIClient == this) m_pFrameObject->m_pMDIClient = nullptr;
    m_pFrameObject->InternalRelease();
    m_pFrameObject = nullptr;
  }
  CKtkSkinObjectFrame::OnHookDetached(destroying);
}

BOOL CKtkSkinObjectMDIClient::IsDefWindowProcMessage(UINT message) { return message == KtkWmQueryState; }

CKtkSkinObjectFrame* CKtkSkinObjectMDIClient::MaximizedSkinnedChild() {
  if (!m_pManager || (m_pManager->m_applyOptions & kChildFrameOptions) != kChildFrameOptions) return nullptr;
  const auto child = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, WM_MDIGETACTIVE, 0, 0));
  if (!child || !(static_cast<DWORD>(::GetWindowLongW(child, GWL_STYLE)) & kMaximized)) return nullptr;
  auto* object = dynamic_cast<CKtkSkinObjectFrame*>(m_pManager->Lookup(child));
  return object && object->IsSkinActive() ? object : nullptr;
}

LRESULT CKtkSkinObjectMDIClient::OnSizeMessage(WPARAM, LPARAM lParam) {
  CKtkSkinObjectFrame* child = MaximizedSkinnedChild();
  if (!child) return Default();
  // The child's skinned borders lie outside the client, so only its client shows.
  const RECT& b = child->m_rcBorders;
  const int width = LOWORD(lParam), height = HIWORD(lParam);
  ::SetWindowPos(child->m_hWnd, nullptr, -b.left, -b.top, width + b.left + b.right, height + b.top + b.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ::RedrawWindow(child->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
  return 0;
}

LRESULT CKtkSkinObjectMDIClient::OnArrangeMessage(WPARAM, LPARAM) {
  // Children moved by the arrangement may ask for another one: that one is the client's
  // alone.
  if (m_bArranging || !m_pManager) return Default();
  m_bArranging = TRUE;
  std::vector<CKtkSkinObjectFrame*> children;
  for (HWND w = ::GetWindow(m_hWnd, GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
    CKtkSkinObject* object = m_pManager->LookupAndAddRef(w);
    auto* frame = dynamic_cast<CKtkSkinObjectFrame*>(object);
    if (!frame) {
      if (object) object->InternalRelease();
      continue;
    }
    children.push_back(frame);
    RECT box{};
    ::GetWindowRect(w, &box);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&box), 2);
    ++frame->m_nPaintSuppression;
    ::SendMessageW(w, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&box));
    --frame->m_nPaintSuppression;
    ::SetTimer(w, KTK_FRAME_REFRESH_TIMER, 1000, &KtkFrameTimer);
  }
  const LRESULT result = Default();
  m_bArranging = FALSE;
  for (CKtkSkinObjectFrame* frame : children) {
    if (frame->m_hWnd && ::IsWindow(frame->m_hWnd)) frame->RefreshFrame();
    frame->InternalRelease();
  }
  return result;
}

LRESULT CKtkSkinObjectMDIClient::OnVScrollMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  KtkScrollBarRedraw(this, &m_scrollBars[KTK_SB_VERT]);
  return result;
}

LRESULT CKtkSkinObjectMDIClient::OnHScrollMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  KtkScrollBarRedraw(this, &m_scrollBars[KTK_SB_HORZ]);
  return result;
}

LRESULT CKtkSkinObjectMDIClient::OnCalcChildScrollMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  KtkScrollBarRedraw(this, &m_scrollBars[KTK_SB_HORZ]);
  KtkScrollBarRedraw(this, &m_scrollBars[KTK_SB_VERT]);
  return result;
}

LRESULT CKtkSkinObjectMDIClient::OnNcActivateClient(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = OnNcActivateMessage(wParam, lParam);
  KtkScrollBarRedraw(this, &m_scrollBars[KTK_SB_HORZ]);
  KtkScrollBarRedraw(this, &m_scrollBars[KTK_SB_VERT]);
  return result;
}

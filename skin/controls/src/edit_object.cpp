#include "ornatex/controls/edit_object.h"

#include <win/gdi.h>
#include <win/user.h>
#include <win/user_edit.h>

IMPLEMENT_DYNCREATE(CKtkSkinObjectEdit, CKtkSkinObjectUser32Control)

namespace {

constexpr int kOverlapStrip = 2;

}  // namespace

CKtkSkinObjectEdit::CKtkSkinObjectEdit() {
  m_skinClassName = u"EDIT";
  m_ctlColorMessage = WM_CTLCOLOREDIT;
}

UINT CKtkSkinObjectEdit::GetCtlColorMessage() {
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  return (!::IsWindowEnabled(m_hWnd) || (style & ES_READONLY)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
}

void CKtkSkinObjectEdit::DrawFrame(HDC dc) {
  const int saved = ::SaveDC(dc);
  HWND next = ::GetWindow(m_hWnd, GW_HWNDNEXT);
  if (next && next != m_hWnd) {
    RECT own{}, other{}, overlap{};
    ::GetWindowRect(m_hWnd, &own);
    ::GetWindowRect(next, &other);
    if (::IntersectRect(&overlap, &own, &other) && overlap.right - overlap.left == kOverlapStrip)
      ::ExcludeClipRect(dc, overlap.left - own.left, overlap.top - own.top, overlap.right - own.left,
                        overlap.bottom - own.top);
  }
  CKtkSkinObjectUser32Control::DrawFrame(dc);
  // The DC may be the caller's (WM_PRINT): its clipping goes back as it was.
  if (saved) ::RestoreDC(dc, saved);
}

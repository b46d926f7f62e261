// CDialog over the dialog manager of libKx2User32.so, which this library reaches by name
// (it never links that library).
#include <win/afx.h>

#include "AfxHook.h"
#include "win/module.h"
#include "win/resource.h"

namespace {

template <class Fn>
Fn UserEntry(const char* name) {
  static HMODULE user32 = LoadLibraryW(u"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}
#define KX2_USER_CALL(function) UserEntry<decltype(&::function)>(#function)

CDialog* DialogOf(HWND hwnd) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  return wnd && wnd->IsKindOf(RUNTIME_CLASS(CDialog)) ? static_cast<CDialog*>(wnd) : nullptr;
}

HWND HandleOf(const CWnd* wnd) { return wnd ? wnd->m_hWnd : nullptr; }

}  // namespace

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT idTemplate, CWnd* parent)
    : m_lpszTemplateName(MAKEINTRESOURCEW(idTemplate)), m_pParentWnd(parent) {}

CDialog::CDialog(LPCWSTR templateName, CWnd* parent) : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}

CDialog::~CDialog() {
  // A modeless dialog still up goes with its object.
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

HWND CDialog::PreModal() const {
  HWND parent = HandleOf(m_pParentWnd);
  if (!parent) parent = ::GetActiveWindow();
  return parent ? ::GetAncestor(parent, GA_ROOT) : nullptr;
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent) {
  m_lpDialogTemplate = dialogTemplate;
  m_pParentWnd = parent;
  return dialogTemplate != nullptr;
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;  // already running
  HWND owner = PreModal();
  const LPARAM self = reinterpret_cast<LPARAM>(this);
  INT_PTR result = -1;
  m_nModalResult = -1;
  if (m_lpDialogTemplate) {
    auto run = KX2_USER_CALL(DialogBoxIndirectParamW);
    if (!run) return -1;
    kx2::afx::CreationHook hook(this);
    result = run(AfxGetResourceHandle(), m_lpDialogTemplate, owner, &AfxDlgProc, self);
  } else if (m_lpszTemplateName) {
    auto run = KX2_USER_CALL(DialogBoxParamW);
    if (!run) return -1;
    HINSTANCE instance = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
    kx2::afx::CreationHook hook(this);
    result = run(instance, m_lpszTemplateName, owner, &AfxDlgProc, self);
  } else {
    return -1;
  }
  // The loop destroyed the window; an object whose window never came lets go of nothing.
  if (m_hWnd && !::IsWindow(m_hWnd)) Detach();
  if (result != -1) m_nModalResult = static_cast<int>(result);
  return result;
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent) {
  auto create = KX2_USER_CALL(CreateDialogIndirectParamW);
  if (!create || !dialogTemplate || m_hWnd) return FALSE;
  m_pParentWnd = parent;
  kx2::afx::CreationHook hook(this);
  HWND hwnd =
      create(AfxGetResourceHandle(), dialogTemplate, HandleOf(parent), &AfxDlgProc, reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr;
}

BOOL CDialog::Create(LPCWSTR templateName, CWnd* parent) {
  auto create = KX2_USER_CALL(CreateDialogParamW);
  if (!create || !templateName || m_hWnd) return FALSE;
  m_lpszTemplateName = templateName;
  m_pParentWnd = parent;
  HINSTANCE instance = AfxFindResourceHandle(templateName, RT_DIALOG);
  kx2::afx::CreationHook hook(this);
  HWND hwnd = create(instance, templateName, HandleOf(parent), &AfxDlgProc, reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr;
}

BOOL CDialog::Create(UINT idTemplate, CWnd* parent) { return Create(MAKEINTRESOURCEW(idTemplate), parent); }

BOOL CDialog::OnInitDialog() { return TRUE; }
void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
  m_nModalResult = result;
  if (auto end = KX2_USER_CALL(EndDialog); end && m_hWnd) end(m_hWnd, result);
}

void CDialog::NextDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
void CDialog::PrevDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
void CDialog::GotoDlgCtrl(CWnd* control) {
  if (control) ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), 1);
}
void CDialog::SetDefID(UINT id) { ::SendMessageW(m_hWnd, DM_SETDEFID, id, 0); }
DWORD CDialog::GetDefID() const { return static_cast<DWORD>(::SendMessageW(m_hWnd, DM_GETDEFID, 0, 0)); }
void CDialog::MapDialogRect(LPRECT rect) const {
  if (auto map = KX2_USER_CALL(MapDialogRect)) map(m_hWnd, rect);
}

void CDialog::SetDlgItemText(int id, LPCWSTR text) {
  if (HWND item = ::GetDlgItem(m_hWnd, id)) ::SetWindowTextW(item, text);
}
int CDialog::GetDlgItemText(int id, LPWSTR buffer, int max) const {
  auto get = KX2_USER_CALL(GetDlgItemTextW);
  return get ? static_cast<int>(get(m_hWnd, id, buffer, max)) : 0;
}
void CDialog::SetDlgItemInt(int id, UINT value, BOOL isSigned) {
  if (auto set = KX2_USER_CALL(SetDlgItemInt)) set(m_hWnd, id, value, isSigned);
}
UINT CDialog::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
  auto get = KX2_USER_CALL(GetDlgItemInt);
  if (!get) {
    if (translated) *translated = FALSE;
    return 0;
  }
  return get(m_hWnd, id, translated, isSigned);
}
void CDialog::CheckDlgButton(int id, UINT check) { SendDlgItemMessage(id, BM_SETCHECK, check, 0); }
UINT CDialog::IsDlgButtonChecked(int id) const { return static_cast<UINT>(SendDlgItemMessage(id, BM_GETCHECK)); }
LRESULT CDialog::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  HWND item = ::GetDlgItem(m_hWnd, id);
  return item ? ::SendMessageW(item, message, wParam, lParam) : 0;
}

INT_PTR AfxDlgProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  CDialog* dialog = DialogOf(hwnd);
  return dialog ? dialog->OnInitDialog() : TRUE;
}

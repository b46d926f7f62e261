// The open drop-down of an open dialog: three choices labelled from the host's menu 10003.
#include <kx2/Ref.h>
#include <kx2/ShellIids.h>
#include <win/menu.h>
#include <win/resource.h>

#include "ornatex/filedialog/file_dialog_events.h"
#include "ornatex/filedialog/vtl_file_dialog.h"

namespace {

constexpr UINT kChoicesMenu = 10003;
constexpr DWORD kOpenButton = 0;
// (menu command, drop-down item)
constexpr struct {
  UINT command;
  DWORD item;
} kChoices[] = {{1, 10000}, {10001, 10001}, {10002, 10002}};

}  // namespace

HRESULT CVtlFileDialogVista::AddOpenChoices() {
  auto* dialog = static_cast<IFileDialog*>(m_pIFileDialog);
  if (!dialog) return S_FALSE;
  if (!m_pEventHandler) {
    m_pEventHandler = new (std::nothrow) CFileDialogEventHandler;
    if (!m_pEventHandler) return E_OUTOFMEMORY;
  }
  HRESULT advised = dialog->Advise(m_pEventHandler, &m_dwCookie);
  if (FAILED(advised)) return advised;
  kx2::Ref<IFileDialogCustomize> customize(GetIFileDialogCustomize());
  if (!customize) return advised;
  // The labels are the host's: without its menu there is no drop-down at all.
  HINSTANCE holder = AfxFindResourceHandle(MAKEINTRESOURCEW(kChoicesMenu), RT_MENU);
  HMENU menu = holder ? LoadMenuW(holder, MAKEINTRESOURCEW(kChoicesMenu)) : nullptr;
  if (!menu) return advised;
  customize->EnableOpenDropDown(kOpenButton);
  for (const auto& choice : kChoices) {
    WCHAR label[260] = {};
    if (GetMenuStringW(menu, choice.command, label, 260, MF_BYCOMMAND) <= 0) continue;  // left out
    customize->AddControlItem(kOpenButton, choice.item, label);
  }
  customize->SetControlItemState(kOpenButton, 10001, CDCS_VISIBLE);
  customize->SetControlItemState(kOpenButton, 10002, CDCS_VISIBLE);
  DestroyMenu(menu);
  return advised;
}

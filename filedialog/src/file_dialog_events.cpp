// The dialog-events handler: open choices, the greyed choices for folders, and the skin
// taken off the dialog's window when its folder changes.
#include "ornatex/filedialog/file_dialog_events.h"

#include <atomic>

#include <kx2/Ref.h>
#include <kx2/ShellIids.h>
#include <win/kernel.h>
#include <win/user.h>

#include "skin_release.h"

namespace {

constexpr DWORD kOpenButton = 0;
std::atomic<int> g_openType{0};

}  // namespace

int OrnatexOpenType() { return g_openType.load(); }

HRESULT CFileDialogEventHandler::QueryInterface(REFIID riid, void** out) {
  static const QITAB table[] = {
      QITABENT(CFileDialogEventHandler, IFileDialogEvents),
      QITABENT(CFileDialogEventHandler, IFileDialogControlEvents),
      {nullptr, 0},
  };
  return QISearch(this, table, riid, out);
}

ULONG CFileDialogEventHandler::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }

ULONG CFileDialogEventHandler::Release() {
  const LONG left = InterlockedDecrement(&m_cRef);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT CFileDialogEventHandler::OnFileOk(IFileDialog* dialog) {
  kx2::Ref<IFileDialogCustomize> customize;
  if (!dialog || FAILED(dialog->QueryInterface(IID_IFileDialogCustomize, customize.put_void()))) return S_FALSE;
  DWORD item = 0;
  if (FAILED(customize->GetSelectedControlItem(kOpenButton, &item))) return S_OK;
  switch (item) {
    case 10000:
      g_openType = 0;
      return S_OK;
    case 10001:
      g_openType = 1;
      return S_OK;
    case 10002:
      g_openType = 2;
      return S_OK;
    default:
      return S_FALSE;  // keeps the dialog open
  }
}

HRESULT CFileDialogEventHandler::OnFolderChanging(IFileDialog*, IShellItem*) { return E_NOTIMPL; }

HRESULT CFileDialogEventHandler::OnFolderChange(IFileDialog* dialog) {
  kx2::Ref<IOleWindow> window;
  if (!dialog || FAILED(dialog->QueryInterface(IID_IOleWindow, window.put_void()))) return S_FALSE;
  HWND hwnd = nullptr;
  if (FAILED(window->GetWindow(&hwnd)) || !hwnd) return S_FALSE;
  ornatex::filedialog::TakeSkinOff(hwnd);
  // A WM_PAINT with nothing invalid repaints nothing, and the window would keep the skin's
  // colours: the whole window, frame and children, is invalidated and painted now.
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  UpdateWindow(hwnd);
  return S_OK;
}

HRESULT CFileDialogEventHandler::OnSelectionChange(IFileDialog* dialog) {
  if (!dialog) return S_OK;
  kx2::Ref<IShellItem> item;
  if (FAILED(dialog->GetCurrentSelection(item.put())) || !item) return S_OK;
  kx2::Ref<IFileDialogCustomize> customize;
  if (FAILED(dialog->QueryInterface(IID_IFileDialogCustomize, customize.put_void()))) return S_OK;
  SFGAOF attributes = 0;
  const bool folder = item->GetAttributes(SFGAO_FOLDER, &attributes) == S_OK;
  const CDCONTROLSTATEF state = folder ? CDCS_VISIBLE : CDCS_ENABLEDVISIBLE;
  customize->SetControlItemState(kOpenButton, 10001, state);
  customize->SetControlItemState(kOpenButton, 10002, state);
  return S_OK;
}

HRESULT CFileDialogEventHandler::OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) {
  return E_NOTIMPL;
}
HRESULT CFileDialogEventHandler::OnTypeChange(IFileDialog*) { return E_NOTIMPL; }
HRESULT CFileDialogEventHandler::OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) { return E_NOTIMPL; }
HRESULT CFileDialogEventHandler::OnItemSelected(IFileDialogCustomize*, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT CFileDialogEventHandler::OnButtonClicked(IFileDialogCustomize*, DWORD) { return E_NOTIMPL; }
HRESULT CFileDialogEventHandler::OnCheckButtonToggled(IFileDialogCustomize*, DWORD, BOOL) { return E_NOTIMPL; }
HRESULT CFileDialogEventHandler::OnControlActivating(IFileDialogCustomize*, DWORD) { return E_NOTIMPL; }

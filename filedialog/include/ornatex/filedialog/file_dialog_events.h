// The file dialog's events handler: it turns the confirmed open choice into the module-wide
// open type, greys the second and third choices while a folder is selected, and takes the
// skin off the dialog's window when its folder changes.
#pragma once

#include <win/shobjidl.h>

#include "ornatex/export.h"

class ORNATEX_API CFileDialogEventHandler final : public IFileDialogEvents, public IFileDialogControlEvents {
 public:
  // Count 1, for the creator.
  CFileDialogEventHandler() = default;
  CFileDialogEventHandler(const CFileDialogEventHandler&) = delete;
  CFileDialogEventHandler& operator=(const CFileDialogEventHandler&) = delete;

  // IFileDialogEvents and IFileDialogControlEvents (IUnknown through the first), by QISearch.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  // The last release deletes the handler.
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog* dialog) override;
  HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog* dialog, IShellItem* folder) override;
  HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog* dialog) override;
  HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog* dialog) override;
  HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog* dialog, IShellItem* item,
                                             FDE_SHAREVIOLATION_RESPONSE* response) override;
  HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog* dialog) override;
  HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog* dialog, IShellItem* item,
                                        FDE_OVERWRITE_RESPONSE* response) override;

  HRESULT STDMETHODCALLTYPE OnItemSelected(IFileDialogCustomize* customize, DWORD control, DWORD item) override;
  HRESULT STDMETHODCALLTYPE OnButtonClicked(IFileDialogCustomize* customize, DWORD control) override;
  HRESULT STDMETHODCALLTYPE OnCheckButtonToggled(IFileDialogCustomize* customize, DWORD control, BOOL checked) override;
  HRESULT STDMETHODCALLTYPE OnControlActivating(IFileDialogCustomize* customize, DWORD control) override;

 private:
  ~CFileDialogEventHandler() = default;
  LONG m_cRef = 1;
};

// The open choice confirmed last in any dialog of the process (0 until the first).
ORNATEX_API int OrnatexOpenType();

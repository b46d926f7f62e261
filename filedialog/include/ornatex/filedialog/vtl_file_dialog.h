// The Vista-style open and save dialog Ornatex exports to the host: CVtlFileDialogVista,
// MFC's CFileDialog over the Common Item Dialog, with a file-type list built through
// IVtlFileDialog, an initial folder asked of the host's engine, and, for open dialogs, an
// open drop-down of three choices labelled from the host's menu 10003.
#pragma once

#include <string>
#include <vector>

#include <vantorel/engine_folders.h>
#include <win/afx.h>
#include <win/types.h>

#include "ornatex/export.h"

class CFileDialogEventHandler;

// The interface the host drives the dialog through. Shaped like IUnknown, but not counted:
// QueryInterface answers E_NOINTERFACE, AddRef and Release answer 1; the object ends only
// through the class's destructor.
class IVtlFileDialog : public IUnknown {
 public:
  // The format text of the chosen file type; null when the dialog's filter index is not
  // one of the added types. Valid until the list changes or the dialog goes.
  virtual const WCHAR* STDMETHODCALLTYPE GetSelectedFormat() = 0;  // 3
  // The extension text of that type, by the same rule.
  virtual const WCHAR* STDMETHODCALLTYPE GetSelectedExt() = 0;  // 4
  // The open choice last confirmed in any dialog of the process: 0, 1 or 2.
  virtual int STDMETHODCALLTYPE GetOpenType() = 0;  // 5
  // Does nothing.
  virtual void STDMETHODCALLTYPE EnablePreview(IVtlEngine* engine) = 0;  // 6
  // Empties the file-type list.
  virtual void STDMETHODCALLTYPE InitFilterBuf() = 0;  // 7
  // Appends a file type shown as "description (pattern)"; 0 when it does not fit the
  // 2000-unit list (the list is then as it was).
  virtual int STDMETHODCALLTYPE AddFilter(LPCWSTR description, LPCWSTR pattern, LPCWSTR format,
                                          LPCWSTR extension) = 0;  // 8
  virtual int STDMETHODCALLTYPE IsOpenFileDialog() = 0;            // 9
  // Asks the engine for the state's folder: 1 when the dialog will start there, 0 (and the
  // initial folder as it was) when the engine gives none.
  virtual int STDMETHODCALLTYPE SetInitFolder(IVtlEngine* engine, StateID state) = 0;  // 10

 protected:
  ~IVtlFileDialog() = default;
};

class ORNATEX_API CVtlFileDialogVista : public IVtlFileDialog, public CFileDialog {
  DECLARE_DYNAMIC(CVtlFileDialogVista)
 public:
  static constexpr int kFileBufferUnits = 5000;
  static constexpr int kFilterBufferUnits = 2000;

  // The file name is carried into the dialog's own 5000-unit buffer, cut to fit. A
  // non-zero openChoices adds the open choices (AddOpenChoices).
  CVtlFileDialogVista(BOOL openFileDialog, LPCWSTR defaultExt, LPCWSTR fileName, DWORD flags, LPCWSTR filter,
                      CWnd* parent, int openChoices);
  ~CVtlFileDialogVista() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  const WCHAR* STDMETHODCALLTYPE GetSelectedFormat() override;
  const WCHAR* STDMETHODCALLTYPE GetSelectedExt() override;
  int STDMETHODCALLTYPE GetOpenType() override;
  void STDMETHODCALLTYPE EnablePreview(IVtlEngine* engine) override;
  void STDMETHODCALLTYPE InitFilterBuf() override;
  int STDMETHODCALLTYPE AddFilter(LPCWSTR description, LPCWSTR pattern, LPCWSTR format, LPCWSTR extension) override;
  int STDMETHODCALLTYPE IsOpenFileDialog() override;
  int STDMETHODCALLTYPE SetInitFolder(IVtlEngine* engine, StateID state) override;

  // Hands the added file types (when any) to the dialog, then runs it.
  INT_PTR DoModal() override;

  // Advises the dialog-events handler and, when the host's menu 10003 is found, adds the
  // open drop-down with its items (command 1 as item 10000, 10001, 10002; an item whose
  // command is missing is left out), the last two disabled. S_FALSE without an item dialog;
  // otherwise Advise's result.
  HRESULT AddOpenChoices();

 protected:
  CFileDialogEventHandler* m_pEventHandler = nullptr;
  DWORD m_dwCookie = 0;
  WCHAR m_szFileBuffer[kFileBufferUnits]{};
  WCHAR m_szFilterBuffer[kFilterBufferUnits + 1]{};
  int m_nFilterUsed = 0;
  int m_nFilterLeft = kFilterBufferUnits;
  WCHAR* m_pFilterCursor;
  int m_nOpenChoices;
  std::vector<std::u16string> m_formats;
  std::vector<std::u16string> m_extensions;
  StateID m_state = kStateDefault;
  IVtlEngine* m_pEngine = nullptr;
  std::u16string m_strInitFolder;
};

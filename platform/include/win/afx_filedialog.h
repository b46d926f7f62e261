// MFC's common dialogs as far as the modules use them: CCommonDialog and CFileDialog in its
// Vista style (include win/afx.h).
//
// The Vista-style CFileDialog makes a Common Item Dialog (win/shobjidl.h) in its
// constructor and keeps the classic OPENFILENAMEW record m_ofn beside it: DoModal hands the
// record's flags, filter list, filter index, default extension, title, initial folder and
// file name to the item dialog, shows it, and writes the chosen path and filter index back.
// When no item dialog can be made (a system before Vista: GetVersionExW below 6, or the
// class missing), m_pIFileDialog is null and DoModal answers IDCANCEL, as there is no
// old-style dialog here.
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include "win/commdlg.h"
#include "win/types.h"

struct IFileDialog;
struct IFileDialogCustomize;
struct IFileOpenDialog;
struct IFileSaveDialog;

// A dialog of the system's own (no template of the application's): the base of the
// common dialogs.
class KX2_AFX_API CCommonDialog : public CDialog {
  DECLARE_DYNAMIC(CCommonDialog)
 public:
  explicit CCommonDialog(CWnd* parent);
};

class KX2_AFX_API CFileDialog : public CCommonDialog {
  DECLARE_DYNAMIC(CFileDialog)
 public:
  // filter: "Text (*.txt)|*.txt|All (*.*)|*.*||" ('|' separates, as in MFC). The file name
  // is cut to fit m_szFileName. structSize 0 means this build's sizeof(OPENFILENAMEW).
  explicit CFileDialog(BOOL openFileDialog, LPCWSTR defaultExt = nullptr, LPCWSTR fileName = nullptr,
                       DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR filter = nullptr,
                       CWnd* parent = nullptr, DWORD structSize = 0, BOOL vistaStyle = TRUE);
  ~CFileDialog() override;

  // IDOK with the chosen path in m_ofn.lpstrFile and its type in m_ofn.nFilterIndex;
  // IDCANCEL when the user cancelled, there is no item dialog, or the path does not fit
  // m_ofn.nMaxFile (CommDlgExtendedError-style code FNERR_BUFFERTOOSMALL in m_nExtendedError).
  INT_PTR DoModal() override;

  // The item dialog's interfaces with a reference for the caller (who releases it); null
  // without an item dialog or for the other form.
  IFileDialogCustomize* GetIFileDialogCustomize();
  IFileOpenDialog* GetIFileOpenDialog();
  IFileSaveDialog* GetIFileSaveDialog();

  CString GetPathName() const;
  CString GetFileName() const;
  CString GetFileExt() const;
  CString GetFileTitle() const;
  CString GetFolderPath() const;

  OPENFILENAMEW m_ofn{};
  BOOL m_bOpenFileDialog;
  BOOL m_bVistaStyle;
  DWORD m_nExtendedError = 0;

 protected:
  // The item dialog (an IFileDialog*), null when there is none; released by the destructor.
  void* m_pIFileDialog = nullptr;
  CString m_strFilter;
  WCHAR m_szFileName[MAX_PATH]{};
  WCHAR m_szFileTitle[64]{};
};

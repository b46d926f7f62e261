// MFC's CDialog (include win/afx.h): a dialog from a template in memory or a dialog
// resource found through the application's resource chain, run modally (DoModal) or
// made modeless (Create), with the object attached to its window from creation on, so
// that its message map sees every message; OnInitDialog, OnOK and OnCancel are the
// overridable steps.
//
// The dialog manager lives in libKx2User32.so, which this library reaches by name.
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include "win/dialog.h"

#ifndef ON_BN_CLICKED
// A button's BN_CLICKED (code 0) reaches the same entries as a menu command.
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)
#endif

class KX2_AFX_API CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
 public:
  CDialog() = default;
  explicit CDialog(UINT idTemplate, CWnd* parent = nullptr);
  explicit CDialog(LPCWSTR templateName, CWnd* parent = nullptr);
  ~CDialog() override;

  // Modeless: the window exists when these return TRUE.
  using CWnd::Create;
  BOOL Create(UINT idTemplate, CWnd* parent = nullptr);
  BOOL Create(LPCWSTR templateName, CWnd* parent = nullptr);
  BOOL CreateIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent = nullptr);
  // Modal over a template in memory: DoModal then uses it instead of the resource.
  BOOL InitModalIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent = nullptr);
  // Runs the dialog: the result EndDialog gave (IDOK, IDCANCEL ...), -1 when the dialog
  // could not be made (no template, a missing or damaged resource, a control whose class
  // does not exist).
  virtual INT_PTR DoModal();

  // Called for WM_INITDIALOG; TRUE gives the focus to the first tab stop.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // Ends a modal dialog with the result (a modeless one is only hidden).
  void EndDialog(int result);

  void NextDlgCtrl() const;
  void PrevDlgCtrl() const;
  void GotoDlgCtrl(CWnd* control);
  void SetDefID(UINT id);
  // DM_GETDEFID's answer: the id in the low word, DC_HASDEFID in the high word.
  DWORD GetDefID() const;
  void MapDialogRect(LPRECT rect) const;

  // The control helpers of the dialog manager, by id.
  void SetDlgItemText(int id, LPCWSTR text);
  int GetDlgItemText(int id, LPWSTR buffer, int max) const;
  void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
  UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
  void CheckDlgButton(int id, UINT check);
  UINT IsDlgButtonChecked(int id) const;
  LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  LPCWSTR m_lpszTemplateName = nullptr;  // a resource name or MAKEINTRESOURCEW(id)
  LPCDLGTEMPLATEW m_lpDialogTemplate = nullptr;
  CWnd* m_pParentWnd = nullptr;
  int m_nModalResult = -1;

  DECLARE_MESSAGE_MAP()

 protected:
  // The owner of a modal run: the parent's top-level window, else the active window.
  HWND PreModal() const;
};

// The dialog procedure of every CDialog: WM_INITDIALOG goes to OnInitDialog; the rest
// reaches the object through its window procedure.
KX2_AFX_API INT_PTR AfxDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The small part of MFC the modules use: the application object of a library with its start
// and stop, the module state (instance and current resource handle) that every export makes
// current while it runs, and MFC's exceptions, which are thrown as pointers and deleted by
// the catcher with Delete().
//
// A library that uses MFC keeps one AFX_MODULE_STATE of its own and hands it, with its
// application object, to AfxWinModuleAttach when it starts and AfxWinModuleDetach when it
// stops (what MFC's DllMain does on Windows).
#pragma once

#include "win/errors.h"
#include "win/types.h"

// The further areas below (strings, objects, files, archives, OLE values, menus and
// bitmaps) are declared in headers of their own that this one includes; include this one.
#define KX2_AFX_INCLUDED 1

class CWinApp;
class CWnd;

struct KX2_API AFX_MODULE_STATE {
  CWinApp* m_pCurrentWinApp = nullptr;
  HINSTANCE m_hCurrentInstanceHandle = nullptr;
  HINSTANCE m_hCurrentResourceHandle = nullptr;
  LPCWSTR m_lpszCurrentAppName = nullptr;
};

// The module state of the calling thread: the one an AFX_MANAGE_STATE made current, else
// the process's own.
KX2_API AFX_MODULE_STATE* AfxGetModuleState();

// Makes a module state current for the lifetime of the object (also when an exception
// leaves the scope), then puts the previous one back.
class KX2_API AFX_MAINTAIN_STATE2 {
 public:
  explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state);
  ~AFX_MAINTAIN_STATE2();
  AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
  AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

 private:
  AFX_MODULE_STATE* previous_;
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _afxManageState(p)

KX2_API CWinApp* AfxGetApp();
KX2_API HINSTANCE AfxGetInstanceHandle();
KX2_API HINSTANCE AfxGetResourceHandle();
KX2_API void AfxSetResourceHandle(HINSTANCE resource);
// The main window of the current application (its m_pMainWnd, else m_hMainWnd); the
// modules of this system have none.
KX2_API HWND AfxGetMainWnd();

class KX2_API CWinApp {
 public:
  explicit CWinApp(LPCWSTR appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance();
  virtual int ExitInstance();

  HINSTANCE m_hInstance = nullptr;
  LPCWSTR m_pszAppName = nullptr;
  HWND m_hMainWnd = nullptr;
  CWnd* m_pMainWnd = nullptr;
};

// Starts a library's application: fills the state (application, instance, resource handle
// = instance), makes it current and runs InitInstance. Returns InitInstance's result.
KX2_API BOOL AfxWinModuleAttach(AFX_MODULE_STATE* state, CWinApp* app, HINSTANCE instance);
// Runs ExitInstance under the library's state and clears the state's application.
KX2_API int AfxWinModuleDetach(AFX_MODULE_STATE* state);

// ---- Exceptions ---------------------------------------------------------------------------
class KX2_API CException {
 public:
  explicit CException(BOOL autoDelete = TRUE) : m_bAutoDelete(autoDelete) {}
  virtual ~CException() = default;
  // Frees an exception that was thrown as a new object.
  void Delete();
  // Writes the message into buffer (at most maxChars - 1 units and a terminator).
  virtual BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const;

 protected:
  BOOL m_bAutoDelete;
};

class KX2_API CMemoryException : public CException {
 public:
  explicit CMemoryException(BOOL autoDelete = TRUE) : CException(autoDelete) {}
  BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;
};

class KX2_API CInvalidArgException : public CException {
 public:
  BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;
};

class KX2_API COleException : public CException {
 public:
  explicit COleException(HRESULT sc = S_OK) : m_sc(sc) {}
  BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;
  HRESULT m_sc;
};

// An exception carrying a message text of its own.
class KX2_API CSimpleException : public CException {
 public:
  explicit CSimpleException(LPCWSTR message);
  BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;

 private:
  WCHAR message_[260];
};

[[noreturn]] KX2_API void AfxThrowMemoryException();
[[noreturn]] KX2_API void AfxThrowInvalidArgException();
[[noreturn]] KX2_API void AfxThrowOleException(HRESULT sc);

#include "win/afx_string.h"
#include "win/afx_object.h"
#include "win/afx_file.h"
#include "win/afx_archive.h"
#include "win/afx_ole.h"
#include "win/afx_win.h"
#include "win/afx_types.h"
#include "win/afx_dc.h"
#include "win/afx_wnd.h"
#include "win/afx_filedialog.h"

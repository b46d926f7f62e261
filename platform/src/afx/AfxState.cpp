// Module states, the application object and its start and stop.
#include <win/afx.h>

namespace {

AFX_MODULE_STATE g_processState;
thread_local AFX_MODULE_STATE* t_current = nullptr;

}  // namespace

AFX_MODULE_STATE* AfxGetModuleState() { return t_current ? t_current : &g_processState; }

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : previous_(t_current) {
  if (state) t_current = state;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { t_current = previous_; }

CWinApp* AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }
HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
void AfxSetResourceHandle(HINSTANCE resource) { AfxGetModuleState()->m_hCurrentResourceHandle = resource; }

HWND AfxGetMainWnd() {
  CWinApp* app = AfxGetApp();
  if (!app) return nullptr;
  return app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : app->m_hMainWnd;
}

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName) {}
CWinApp::~CWinApp() = default;
BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

BOOL AfxWinModuleAttach(AFX_MODULE_STATE* state, CWinApp* app, HINSTANCE instance) {
  if (!state || !app) return FALSE;
  state->m_pCurrentWinApp = app;
  state->m_hCurrentInstanceHandle = instance;
  state->m_hCurrentResourceHandle = instance;
  state->m_lpszCurrentAppName = app->m_pszAppName;
  app->m_hInstance = instance;
  AFX_MANAGE_STATE(state);
  return app->InitInstance();
}

int AfxWinModuleDetach(AFX_MODULE_STATE* state) {
  if (!state || !state->m_pCurrentWinApp) return 0;
  int result;
  {
    AFX_MANAGE_STATE(state);
    result = state->m_pCurrentWinApp->ExitInstance();
  }
  state->m_pCurrentWinApp = nullptr;
  return result;
}

// The module's application object: MFC's start-up and nothing else.
#include "ornatex/filedialog/ornatex_app.h"

#include <kx2/Module.h>

namespace {

AFX_MODULE_STATE g_state;
COrnatexApp* g_app = nullptr;

__attribute__((constructor)) void AttachApp() { OrnatexAppAttach(); }
__attribute__((destructor)) void DetachApp() { OrnatexAppDetach(); }

}  // namespace

COrnatexApp::COrnatexApp() : CWinApp(u"Ornatex") {}

BOOL COrnatexApp::InitInstance() {
  CWinApp::InitInstance();
  return TRUE;
}

BOOL OrnatexAppAttach() {
  if (g_app) return TRUE;
  g_app = new COrnatexApp;
  return AfxWinModuleAttach(&g_state, g_app, Kx2ThisModule());
}

void OrnatexAppDetach() {
  if (!g_app) return;
  AfxWinModuleDetach(&g_state);
  delete g_app;
  g_app = nullptr;
}

AFX_MODULE_STATE* OrnatexModuleState() { return g_app ? &g_state : nullptr; }

// The launcher's export and its application object.
#include <kx2/ErrorBoundary.h>
#include <kx2/Module.h>
#include <kx2/Utf.h>
#include <win/afx.h>

#include <fennic/Launcher.h>

#include "launcher_parts.h"

namespace fennic {

namespace {

class CFennicDLLApp : public CWinApp {
 public:
  CFennicDLLApp() : CWinApp(u"FennicDLL") {}
  BOOL InitInstance() override {
    CWinApp::InitInstance();
    return TRUE;
  }
};

AFX_MODULE_STATE g_state;
CFennicDLLApp* g_app = nullptr;

}  // namespace

BOOL FennicProcessAttach() {
  if (g_app) return TRUE;
  g_app = new CFennicDLLApp;
  return AfxWinModuleAttach(&g_state, g_app, Kx2ThisModule());
}

void FennicProcessDetach() {
  if (!g_app) return;
  AfxWinModuleDetach(&g_state);
  delete g_app;
  g_app = nullptr;
}

namespace {
__attribute__((constructor)) void Attach() { FennicProcessAttach(); }
__attribute__((destructor)) void Detach() { FennicProcessDetach(); }
}  // namespace

}  // namespace fennic

KX2_EXPORT_ORDINALS({1, "Fennic_Run"});

extern "C" FENNIC_API void WINAPI Fennic_Run(LPCWSTR product, LPCWSTR version, LPCWSTR language, LPCWSTR type,
                                             LPCWSTR endpoint) {
  kx2::Guard([&] {
    AFX_MANAGE_STATE(&fennic::g_state);
    fennic::CountRun(fennic::RunKeyName(product, version, language, type));
    std::u16string name(kx2::View16(product));
    std::u16string program = fennic::FindProgram(name);
    if (program.empty()) return;
    std::u16string parameters;
    for (LPCWSTR argument : {product, version, language, type, endpoint}) {
      if (!parameters.empty()) parameters += u' ';
      parameters += fennic::QuoteArgument(kx2::View16(argument));
    }
    fennic::StartProgram(program, parameters);
  });
}

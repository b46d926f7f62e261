// The library's start and stop. The system-DPI call is looked up in user32 by name, as
// older systems lack it; user32 is loaded by its full path in the system folder.
#include <kx2/Module.h>
#include <renewal/Renewal.h>
#include <toolkit/SystemLibrary.h>
#include <win/afx_dll.h>
#include <win/module.h>

namespace renewal {

namespace {

AFX_EXTENSION_MODULE g_extension;
CDynLinkLibrary* g_link = nullptr;

void BecomeDpiAware() {
  HMODULE user32 = ktk::LoadSystemLibrary(u"user32.dll");
  if (!user32) return;
  using SetAwareProc = BOOL(WINAPI*)();
  if (auto setAware = kx2::ProcAs<SetAwareProc>(GetProcAddress(user32, "SetProcessDPIAware"))) setAware();
  FreeLibrary(user32);
}

}  // namespace

BOOL RenewalProcessAttach() {
  BecomeDpiAware();
  if (g_link) return TRUE;
  if (!AfxInitExtensionModule(g_extension, Kx2ThisModule())) return FALSE;
  g_link = new CDynLinkLibrary(g_extension);
  return TRUE;
}

void RenewalProcessDetach() {
  BecomeDpiAware();
  if (!g_link) return;
  // Deletes the link as well.
  AfxTermExtensionModule(g_extension);
  g_link = nullptr;
}

namespace {

__attribute__((constructor)) void Attach() { RenewalProcessAttach(); }
__attribute__((destructor)) void Detach() { RenewalProcessDetach(); }

}  // namespace

}  // namespace renewal

// The plug-in's application object, its filter items and its exports.
//
// The application object and the filter items (one per row of the table of formats) are
// defined here, in this order, because C++ fixes the order of static construction only
// within one source file: each item puts itself at the front of the filter list, so the
// list reads the table from its last row up. (The XMind item is registered as well, so
// that XMind packages are read through the exports like the other two formats.)
#include <basalt/module.h>
#include <kx2/Module.h>
#include <toolkit/ResourceManager.h>

#include "entry/export_guard.h"
#include "entry/filter_items.h"

namespace {

const tagModuleHookEntry kNoHooks[] = {{-1, nullptr}};

tagModuleInfo g_moduleInfo = {
    u"Kx2Mod.VtlFoliant.Tq", u"FoliantRes", nullptr, nullptr, 265, 0, kNoHooks,
};

AFX_MODULE_STATE g_moduleState;
bool g_started = false;

}  // namespace

CTqFoliantApp theApp;
AllImportFormatItems theImportFormatItems;

tagModuleInfo* FoliantModuleInfo() { return &g_moduleInfo; }
AFX_MODULE_STATE* FoliantModuleState() { return &g_moduleState; }
bool FoliantStarted() { return g_started; }

BOOL CTqFoliantApp::InitInstance() {
  CWinApp::InitInstance();
  if (!RegisterModule(&g_moduleInfo, m_hInstance)) return FALSE;
  if (g_moduleInfo.resourceInstance) GetResourceManager()->SetResourceInstance(g_moduleInfo.resourceInstance);
  return TRUE;
}

int CTqFoliantApp::ExitInstance() {
  UnregisterModule();
  return CWinApp::ExitInstance();
}

BOOL FoliantProcessAttach() {
  if (g_started) return TRUE;
  try {
    g_started = AfxWinModuleAttach(&g_moduleState, &theApp, Kx2ThisModule()) != FALSE;
  } catch (CException* e) {
    e->Delete();
    g_started = false;
  } catch (...) {
    g_started = false;
  }
  return g_started;
}

void FoliantProcessDetach() {
  if (!g_started) return;
  g_started = false;
  try {
    AfxWinModuleDetach(&g_moduleState);
  } catch (CException* e) {
    e->Delete();
  } catch (...) {}
}

namespace {

// Starts the plug-in when the library is loaded, after the objects above, and stops it
// before they go.
struct ModuleLifetime {
  ModuleLifetime() { FoliantProcessAttach(); }
  ~ModuleLifetime() { FoliantProcessDetach(); }
} g_lifetime;

template <class Body>
auto Guarded(Body body) {
  return foliant::RunExport(&g_moduleState, g_started, body);
}

}  // namespace

KX2_EXPORT CFilterLibraryItem* FoundFilter() {
  return Guarded([] { return theApp.GetFirstFilterItem(); });
}

KX2_EXPORT void IteratorFilter(CFilterLibraryItem** cursor, FilterInfo* info) {
  Guarded([&] { theApp.IterateFilterItem(cursor, info); });
}

KX2_EXPORT int DiscoveryFilter(LPCWSTR path, LPCWSTR name) {
  return Guarded([&] { return theApp.Discovery(path, name); });
}

KX2_EXPORT int ImportExport(int import, ULONG_PTR a, ULONG_PTR b, LPCWSTR name, ULONG_PTR d) {
  return Guarded([&] { return import ? theApp.Import(a, b, name, d) : theApp.Export(a, b, name, d); });
}

KX2_EXPORT int ImportExportEx(int import, IVtlDocumentManager* documents, LPCWSTR path, LPCWSTR name, ULONG_PTR d) {
  return Guarded(
      [&] { return import ? theApp.ImportEx(documents, path, name, d) : theApp.ExportEx(documents, path, name, d); });
}

KX2_EXPORT int Options(ULONG_PTR a, ULONG_PTR b, LPCWSTR name, ULONG_PTR d, ULONG_PTR e) {
  return Guarded([&] { return theApp.Options(a, b, name, d, e); });
}

KX2_EXPORT_ORDINALS({1, "FoundFilter"}, {2, "IteratorFilter"}, {3, "DiscoveryFilter"}, {4, "ImportExport"},
                    {5, "ImportExportEx"}, {6, "Options"});

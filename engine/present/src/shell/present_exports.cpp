// The engine library's exports.
#include <plastrum/present/shell/present_exports.h>

#include <kx2/ErrorBoundary.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/present/shell/module_lifecycle.h>

KX2_EXPORT IPresentEngine* CreatePresentEngine() {
  return kx2::Guard(static_cast<IPresentEngine*>(nullptr), [&]() -> IPresentEngine* {
    // Before the start (or after a refused one) the tables an engine needs are not there.
    if (!Present::IsModuleStarted()) return nullptr;
    return Present::CreatePresentEngineObject();
  });
}

KX2_EXPORT IPresentEngine* VtlGetPresentEngine() { return Present::GetPresentEngine(); }

KX2_EXPORT void DestroyPresentEngine() {
  kx2::Guard([&] {
    if (CPresentEngine* engine = Present::GetPresentEngine()) {
      engine->Release();  // counts nothing: the engine ends here, not through Release
      Present::DestroyPresentEngineObject();
    }
  });
}

KX2_EXPORT HRESULT DllGetClassObject(REFCLSID, REFIID, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return PLASTRUM_CLASS_E_CLASSNOTAVAILABLE;
}

// No class is served, so no object or lock can be outstanding.
KX2_EXPORT HRESULT DllCanUnloadNow() { return S_OK; }

KX2_EXPORT HRESULT DllRegisterServer() { return S_OK; }

KX2_EXPORT HRESULT DllUnregisterServer() { return S_OK; }

// Object creation through COM: the classes the platform carries.
#include <win/com.h>

#include <win/msxml.h>
#include <win/shobjidl.h>

#include "msxml/dom_factory.h"
#include "shell/ItemDialogFactory.h"

HRESULT CoInitialize(LPVOID) { return S_OK; }
HRESULT CoInitializeEx(LPVOID, DWORD) { return S_OK; }
void CoUninitialize() {}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (pUnkOuter) return CLASS_E_NOAGGREGATION;
  if (!(dwClsContext & CLSCTX_ALL)) return E_INVALIDARG;
  if (rclsid == CLSID_DOMDocument) return kx2::msxml::CreateDocument(riid, ppv);
  if (rclsid == CLSID_FileOpenDialog) return kx2::shell::CreateItemDialog(false, riid, ppv);
  if (rclsid == CLSID_FileSaveDialog) return kx2::shell::CreateItemDialog(true, riid, ppv);
  return REGDB_E_CLASSNOTREG;
}

HRESULT OleRun(LPUNKNOWN pUnknown) { return pUnknown ? S_OK : E_INVALIDARG; }

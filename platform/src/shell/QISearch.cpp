// The shell's table-driven QueryInterface.
#include "win/shobjidl.h"

KX2_EXPORT HRESULT QISearch(void* that, LPCQITAB pqit, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!that || !pqit) return E_NOINTERFACE;
  const QITAB* row = nullptr;
  if (riid == IID_IUnknown && pqit->piid) {
    row = pqit;
  } else {
    for (const QITAB* each = pqit; each->piid; ++each) {
      if (*each->piid == riid) {
        row = each;
        break;
      }
    }
  }
  if (!row) return E_NOINTERFACE;
  auto* unknown = reinterpret_cast<IUnknown*>(static_cast<char*>(that) + row->dwOffset);
  unknown->AddRef();
  *ppv = unknown;
  return S_OK;
}

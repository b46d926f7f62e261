#include "shared_unknown.h"

namespace TDRL {

HRESULT SharedQueryInterface(REFIID, void** out) {
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}

ULONG SharedAddRef() { return 1; }
ULONG SharedRelease() { return 1; }

}  // namespace TDRL

// The one QueryInterface, AddRef and Release every interface object of the library answers
// with: no interface is handed out by identifier and nothing is reference counted.
#pragma once

#include <win/errors.h>
#include <win/types.h>

namespace TDRL {

HRESULT SharedQueryInterface(REFIID iid, void** out);
ULONG SharedAddRef();
ULONG SharedRelease();

}  // namespace TDRL

#define TDRL_SHARED_UNKNOWN                                                                                  \
  HRESULT QueryInterface(REFIID iid, void** out) override { return ::TDRL::SharedQueryInterface(iid, out); } \
  ULONG AddRef() override { return ::TDRL::SharedAddRef(); }                                                 \
  ULONG Release() override { return ::TDRL::SharedRelease(); }

// The base of every interface the host application hands to the modules it loads.
//
// Host interfaces are abstract classes whose virtual functions stand in the slot order the
// modules call them by (slot 0 QueryInterface, 1 AddRef, 2 Release, then each interface's
// own). Slots that no module of the system calls are still present, as `UnusedSlotNN`, so
// that every named operation keeps its number; they answer 0.
//
// Reference rules of this host: every operation that returns an interface pointer returns
// a new reference that the caller releases, except `VtlGetApplication` (the application
// object is never released) and `IVtlDocumentManager::GetNextDocument` (documents belong to
// the document manager). Texts returned as `LPCWSTR` stay valid while the object that
// returned them lives.
#pragma once

#include <win/types.h>
#include <win/errors.h>
#include <win/ole.h>

#define VTL_UNUSED_SLOT(n) \
  virtual LONG_PTR UnusedSlot##n() { return 0; }

// The platform's COM base: slots 0 QueryInterface, 1 AddRef, 2 Release. Host objects answer
// QueryInterface for IID_IUnknown only, as the modules use the run-time type check of C++
// to go from one host interface to another.
using IVtlUnknown = IUnknown;

namespace vantorel {
inline constexpr GUID kIID_IVtlUnknown = IID_IUnknown;
}  // namespace vantorel

// An object that issues keys for values it keeps (the file store). A `PropertyValue` of
// type 0x8002 holds such a key and names its owner; clearing the record hands the key
// back through `DropKey`.
class IVtlKeyOwner : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  // A key for `value`: for a key this owner issued, the same key with one more reference;
  // for any other non-zero value a new key holding it; 0 for 0.
  virtual ULONG_PTR KeyForValue(ULONG_PTR value) = 0;  // 4
  VTL_UNUSED_SLOT(05)
  // Drops one reference to the key; FALSE for a key this owner does not know.
  virtual BOOL DropKey(ULONG_PTR key) = 0;  // 6

 protected:
  ~IVtlKeyOwner() = default;
};

// The first three operations of every interface the shape-format model hands out.
//
// They are shaped like COM's but count nothing: values live as long as their table entry
// or their creator says, so QueryInterface finds no other interface and AddRef and Release
// answer 1 and do nothing.
#pragma once

#include <win/errors.h>
#include <win/ole.h>
#include <plastrum/Export.h>

// Clears the out pointer and answers E_NOINTERFACE (E_POINTER without an out pointer).
PLASTRUM_API HRESULT PresentQueryInterface(void** out);

// Implements the three operations of an interface I that derives from IUnknown.
template <class I>
class CPresentUnknown : public I {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return PresentQueryInterface(out); }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

 protected:
  ~CPresentUnknown() = default;
};

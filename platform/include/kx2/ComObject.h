// Reference counting and QueryInterface for the port's COM objects, written once:
//
//   class Stream final : public kx2::ComObject<IStream> { ... };        // IStream's methods only
//   auto* s = new Stream(...);   // count 1, owned by the caller
//
// Each interface names its IID once with KX2_IID (or KX2_IID_DERIVED for an interface
// that extends another, so that asking for the base finds it too). The count is atomic:
// objects are released from whatever thread last holds them.
#pragma once

#include <atomic>

#include "win/errors.h"
#include "win/ole.h"

namespace kx2 {

template <class Interface>
struct IidOf;  // specialised through KX2_IID

}  // namespace kx2

#define KX2_IID(Interface, iid)                                \
  template <>                                                  \
  struct kx2::IidOf<Interface> {                               \
    static bool Matches(REFIID riid) { return riid == (iid); } \
  };
#define KX2_IID_DERIVED(Interface, iid, Base)                                                     \
  template <>                                                                                     \
  struct kx2::IidOf<Interface> {                                                                  \
    static bool Matches(REFIID riid) { return riid == (iid) || kx2::IidOf<Base>::Matches(riid); } \
  };

namespace kx2 {

template <class First, class... Rest>
class ComObject : public First, public Rest... {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown) {
      *out = static_cast<IUnknown*>(static_cast<First*>(this));
    } else if (!(Offer<First>(riid, out) || (Offer<Rest>(riid, out) || ...))) {
      *out = QueryOther(riid);
    }
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~ComObject() = default;
  // Interfaces beyond the listed ones (an aggregate, a tear-off); null when absent. The
  // caller adds the reference.
  virtual void* QueryOther(REFIID) { return nullptr; }

 private:
  template <class I>
  bool Offer(REFIID riid, void** out) {
    if (!IidOf<I>::Matches(riid)) return false;
    *out = static_cast<I*>(this);
    return true;
  }

  std::atomic<ULONG> refs_{1};
};

}  // namespace kx2

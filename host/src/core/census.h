// Reference counting with census accounting, shared by every host object (the test kit's
// objects are counted too, which is why its entry points are exported).
#pragma once

#include <atomic>
#include <utility>

#include <vantorel/host_unknown.h>
#include <vantorel/object_census.h>

namespace vantorel::detail {

// Counted object base, kept apart from the interface so that the census can hold it.
// Live entries are linked through the entries themselves, so that counting an object in
// and out costs no allocation and no hashing.
class VANTOREL_API CensusEntry {
 public:
  // An entry destroyed without its final release (not made on the heap) leaves the list.
  virtual ~CensusEntry() {
    if (censusLinked_) Unlink();
  }
  virtual const char* Kind() const = 0;

 private:
  friend struct CensusLinks;
  void Unlink();
  CensusEntry* censusPrev_ = nullptr;
  CensusEntry* censusNext_ = nullptr;
  bool censusLinked_ = false;
};

VANTOREL_API void CensusAdd(CensusEntry* entry);
// The last reference went: the census either deletes the object or quarantines it.
VANTOREL_API void CensusFinalRelease(CensusEntry* entry);
VANTOREL_API void CensusExtraRelease(const CensusEntry* entry);
VANTOREL_API void CensusKeyAdded();
VANTOREL_API void CensusKeyDropped();

// Implements the three IVtlUnknown slots of `Interface` with an atomic count starting at 1.
// Subclasses break their links to other objects in Dispose, which runs once at the final
// release (also under quarantine, where the memory stays).
template <class Interface>
class RefCounted : public Interface, public CensusEntry {
 public:
  RefCounted() { CensusAdd(this); }

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == kIID_IVtlUnknown) {
      AddRef();
      *out = static_cast<IVtlUnknown*>(static_cast<Interface*>(this));
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG current = refs_.load();
    do {
      if (current == 0) {
        CensusExtraRelease(this);
        return 0;
      }
    } while (!refs_.compare_exchange_weak(current, current - 1));
    if (current == 1) {
      Dispose();
      CensusFinalRelease(this);
      return 0;
    }
    return current - 1;
  }

 protected:
  virtual void Dispose() {}

 private:
  std::atomic<ULONG> refs_{1};
};

// An owning interface pointer.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  // Adopts a reference the caller already holds.
  static Ref Adopt(T* p) {
    Ref r;
    r.p_ = p;
    return r;
  }
  // Takes a new reference.
  static Ref Share(T* p) {
    if (p) p->AddRef();
    return Adopt(p);
  }
  Ref(const Ref& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Ref() { reset(); }
  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // Hands the reference to the caller.
  T* detach() { return std::exchange(p_, nullptr); }
  // A new reference for a caller.
  T* share() const {
    if (p_) p_->AddRef();
    return p_;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace vantorel::detail

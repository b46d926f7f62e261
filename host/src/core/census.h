// Reference counting with census accounting, shared by every host object (the test kit's
// objects are counted too, which is why its entry points are exported).
#pragma once

#include <atomic>
#include <utility>

#include <kx2/Ref.h>
#include <vantorel/host_unknown.h>
#include <vantorel/object_census.h>

namespace vantorel::detail {

// The live objects of one kind made in large numbers and for a moment each (the node
// objects of an XML walk), counted without a place in the census's list: counting one in
// and out then takes no lock, and for the first few tallies of the process no locked
// instruction either (each thread keeps its own counts, which the census adds up). A
// tally lives as long as the process.
class VANTOREL_API CensusTally {
 public:
  explicit CensusTally(const char* kind);
  CensusTally(const CensusTally&) = delete;
  CensusTally& operator=(const CensusTally&) = delete;

 private:
  friend struct CensusLinks;
  const char* kind_;
  size_t slot_ = 0;              // its place in each thread's counts, if it has one
  std::atomic<size_t> live_{0};  // counts kept outside the threads' own
  CensusTally* next_ = nullptr;
};

// Counted object base, kept apart from the interface so that the census can hold it.
// Live entries are linked through the entries themselves, so that counting an object in
// and out costs no allocation and no hashing; entries of a tallied kind are only counted.
class VANTOREL_API CensusEntry {
 public:
  CensusEntry() = default;
  // Counted in `tally`, whose kind must be the one Kind() gives.
  explicit CensusEntry(CensusTally& tally) : censusTally_(&tally) {}
  // An entry destroyed without its final release (not made on the heap) leaves the census.
  virtual ~CensusEntry() {
    if (censusLinked_) Unlink();
  }
  virtual const char* Kind() const = 0;

 private:
  friend struct CensusLinks;
  void Unlink();
  CensusEntry* censusPrev_ = nullptr;
  CensusEntry* censusNext_ = nullptr;
  CensusTally* censusTally_ = nullptr;
  bool censusLinked_ = false;
};

VANTOREL_API void CensusAdd(CensusEntry* entry);
// The last reference went: the census either deletes the object or quarantines it.
VANTOREL_API void CensusFinalRelease(CensusEntry* entry);
VANTOREL_API void CensusExtraRelease(const CensusEntry* entry);
// An object the host keeps for the whole process (no document or module holds it) leaves
// the census, so that it is never reported as left alive.
VANTOREL_API void CensusForget(CensusEntry* entry);
VANTOREL_API void CensusKeyAdded();
VANTOREL_API void CensusKeyDropped();

// Implements the three IVtlUnknown slots of `Interface` with an atomic count starting at 1.
// Subclasses break their links to other objects in Dispose, which runs once at the final
// release (also under quarantine, where the memory stays).
template <class Interface>
class RefCounted : public Interface, public CensusEntry {
 public:
  RefCounted() { CensusAdd(this); }
  explicit RefCounted(CensusTally& tally) : CensusEntry(tally) { CensusAdd(this); }

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

// The host holds its objects by the port's one reference holder.
template <class T>
using Ref = kx2::Ref<T>;

// A new reference for a caller (the host's getters hand out one each).
template <class T>
T* ShareOut(const kx2::Ref<T>& held) {
  return kx2::Ref<T>::Share(held.get()).release();
}

}  // namespace vantorel::detail

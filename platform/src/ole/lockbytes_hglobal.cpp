// A byte array over a movable memory block: what CreateILockBytesOnHGlobal hands out.
#include <cstring>
#include <mutex>
#include <new>

#include <kx2/StorageIids.h>
#include <win/kernel.h>
#include <win/ole.h>

namespace {

class HGlobalLockBytes final : public kx2::ComObject<ILockBytes> {
 public:
  HGlobalLockBytes(HGLOBAL memory, BOOL deleteOnRelease)
      : memory_(memory), deleteOnRelease_(deleteOnRelease), size_(GlobalSize(memory)) {}

  HRESULT STDMETHODCALLTYPE ReadAt(ULARGE_INTEGER offset, void* pv, ULONG cb, ULONG* pcbRead) override {
    std::lock_guard<std::mutex> guard(mutex_);
    if (pcbRead) *pcbRead = 0;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    if (offset.QuadPart >= size_ || cb == 0) return S_OK;
    const size_t take = static_cast<size_t>(std::min<uint64_t>(cb, size_ - offset.QuadPart));
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory_));
    if (!bytes) return STG_E_READFAULT;
    std::memcpy(pv, bytes + offset.QuadPart, take);
    GlobalUnlock(memory_);
    if (pcbRead) *pcbRead = static_cast<ULONG>(take);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE WriteAt(ULARGE_INTEGER offset, const void* pv, ULONG cb, ULONG* pcbWritten) override {
    std::lock_guard<std::mutex> guard(mutex_);
    if (pcbWritten) *pcbWritten = 0;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    if (cb == 0) return S_OK;
    const uint64_t end = offset.QuadPart + cb;
    if (end < offset.QuadPart) return STG_E_MEDIUMFULL;
    if (end > size_) {
      const HRESULT hr = Resize(end);
      if (FAILED(hr)) return hr;
    }
    auto* bytes = static_cast<uint8_t*>(GlobalLock(memory_));
    if (!bytes) return STG_E_WRITEFAULT;
    std::memcpy(bytes + offset.QuadPart, pv, cb);
    GlobalUnlock(memory_);
    if (pcbWritten) *pcbWritten = cb;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Flush() override { return S_OK; }

  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER cb) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return Resize(cb.QuadPart);
  }

  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }

  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    std::lock_guard<std::mutex> guard(mutex_);
    std::memset(stat, 0, sizeof(*stat));
    stat->type = STGTY_LOCKBYTES;
    stat->cbSize.QuadPart = size_;
    return S_OK;
  }

  HGLOBAL Memory() const { return memory_; }

 private:
  ~HGlobalLockBytes() {
    if (deleteOnRelease_) GlobalFree(memory_);
  }

  // The block only grows; the byte array's size is kept apart from it.
  HRESULT Resize(uint64_t size) {
    if (size > GlobalSize(memory_)) {
      if (size > SIZE_MAX / 2) return STG_E_MEDIUMFULL;
      HGLOBAL grown = GlobalReAlloc(memory_, static_cast<SIZE_T>(size), GMEM_MOVEABLE);
      if (!grown) return E_OUTOFMEMORY;
      memory_ = grown;
    }
    size_ = size;
    return S_OK;
  }

  std::mutex mutex_;
  HGLOBAL memory_;
  BOOL deleteOnRelease_;
  uint64_t size_;
};

}  // namespace

HRESULT CreateILockBytesOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, ILockBytes** pplkbyt) {
  if (!pplkbyt) return E_INVALIDARG;
  *pplkbyt = nullptr;
  HGLOBAL memory = hGlobal;
  if (!memory) {
    memory = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!memory) return E_OUTOFMEMORY;
  }
  try {
    *pplkbyt = new HGlobalLockBytes(memory, fDeleteOnRelease);
    return S_OK;
  } catch (const std::bad_alloc&) {
    if (!hGlobal) GlobalFree(memory);
    return E_OUTOFMEMORY;
  }
}

HRESULT GetHGlobalFromILockBytes(ILockBytes* plkbyt, HGLOBAL* phglobal) {
  if (!phglobal) return E_INVALIDARG;
  *phglobal = nullptr;
  auto* own = dynamic_cast<HGlobalLockBytes*>(plkbyt);
  if (!own) return E_INVALIDARG;
  *phglobal = own->Memory();
  return S_OK;
}

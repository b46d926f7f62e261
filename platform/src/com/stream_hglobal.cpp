// A stream over a movable memory block: what CreateStreamOnHGlobal hands out.
#include <win/com.h>

#include <algorithm>
#include <cstring>
#include <new>

#include <kx2/StorageIids.h>
#include <win/kernel.h>

namespace {

class HGlobalStream final : public kx2::ComObject<IStream> {
 public:
  HGlobalStream(HGLOBAL memory, BOOL deleteOnRelease, ULONGLONG size)
      : memory_(memory), deleteOnRelease_(deleteOnRelease), size_(size) {}
  ~HGlobalStream() override {
    if (deleteOnRelease_) GlobalFree(memory_);
  }

  HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (pcbRead) *pcbRead = 0;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    if (position_ >= size_ || cb == 0) return S_OK;
    const size_t take = static_cast<size_t>(std::min<ULONGLONG>(cb, size_ - position_));
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(memory_));
    if (!bytes) return STG_E_READFAULT;
    std::memcpy(pv, bytes + position_, take);
    GlobalUnlock(memory_);
    position_ += take;
    if (pcbRead) *pcbRead = static_cast<ULONG>(take);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    if (pcbWritten) *pcbWritten = 0;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    if (cb == 0) return S_OK;
    const ULONGLONG end = position_ + cb;
    if (end > size_) {
      const HRESULT hr = Grow(end);
      if (FAILED(hr)) return hr;
      size_ = end;
    }
    auto* bytes = static_cast<BYTE*>(GlobalLock(memory_));
    if (!bytes) return STG_E_WRITEFAULT;
    std::memcpy(bytes + position_, pv, cb);
    GlobalUnlock(memory_);
    position_ = end;
    if (pcbWritten) *pcbWritten = cb;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    LONGLONG base;
    switch (origin) {
      case STREAM_SEEK_SET:
        base = 0;
        break;
      case STREAM_SEEK_CUR:
        base = static_cast<LONGLONG>(position_);
        break;
      case STREAM_SEEK_END:
        base = static_cast<LONGLONG>(size_);
        break;
      default:
        return STG_E_INVALIDFUNCTION;
    }
    const LONGLONG target = base + move.QuadPart;
    if (target < 0) return STG_E_INVALIDFUNCTION;
    position_ = static_cast<ULONGLONG>(target);
    if (newPosition) newPosition->QuadPart = position_;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override {
    if (newSize.QuadPart > size_) {
      const HRESULT hr = Grow(newSize.QuadPart);
      if (FAILED(hr)) return hr;
    }
    size_ = newSize.QuadPart;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                   ULARGE_INTEGER* pcbWritten) override {
    if (!target) return STG_E_INVALIDPOINTER;
    const ULONGLONG available = position_ < size_ ? size_ - position_ : 0;
    const ULONG take = static_cast<ULONG>(std::min<ULONGLONG>({cb.QuadPart, available, 0xFFFFFFFFull}));
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(memory_));
    if (!bytes && take) return STG_E_READFAULT;
    ULONG written = 0;
    const HRESULT hr = take ? target->Write(bytes + position_, take, &written) : S_OK;
    GlobalUnlock(memory_);
    position_ += take;
    if (pcbRead) pcbRead->QuadPart = take;
    if (pcbWritten) pcbWritten->QuadPart = written;
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof *stat);
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = size_;
    stat->grfMode = STGM_READWRITE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

  HGLOBAL Memory() const { return memory_; }

 private:
  HRESULT Grow(ULONGLONG needed) {
    if (needed > 0x7FFFFFFFull) return STG_E_MEDIUMFULL;
    if (needed <= GlobalSize(memory_)) return S_OK;
    const SIZE_T capacity = static_cast<SIZE_T>(std::max<ULONGLONG>(needed, GlobalSize(memory_) * 2));
    HGLOBAL grown = GlobalReAlloc(memory_, capacity, GMEM_MOVEABLE);
    if (!grown) return E_OUTOFMEMORY;
    memory_ = grown;
    return S_OK;
  }

  HGLOBAL memory_;
  BOOL deleteOnRelease_;
  ULONGLONG size_;
  ULONGLONG position_ = 0;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM* ppstm) {
  if (!ppstm) return E_INVALIDARG;
  *ppstm = nullptr;
  ULONGLONG size = 0;
  if (!hGlobal) {
    hGlobal = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!hGlobal) return E_OUTOFMEMORY;
  } else {
    size = GlobalSize(hGlobal);
  }
  *ppstm = new (std::nothrow) HGlobalStream(hGlobal, fDeleteOnRelease, size);
  if (*ppstm) return S_OK;
  if (fDeleteOnRelease || size == 0) GlobalFree(hGlobal);
  return E_OUTOFMEMORY;
}

HRESULT GetHGlobalFromStream(LPSTREAM pstm, HGLOBAL* phglobal) {
  if (!pstm || !phglobal) return E_INVALIDARG;
  auto* stream = dynamic_cast<HGlobalStream*>(pstm);
  if (!stream) return E_INVALIDARG;
  *phglobal = stream->Memory();
  return S_OK;
}

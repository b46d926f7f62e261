// The shared COM base, the reference holder and the error boundary.
#include <gtest/gtest.h>

#include <stdexcept>

#include "kx2/ComObject.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/Ref.h"
#include "kx2/StorageIids.h"
#include "win/com.h"
#include "win/kernel.h"

namespace {

int g_alive = 0;

// Only the methods the test calls do anything; the object exists to be counted and asked.
class CountedStream final : public kx2::ComObject<IStream> {
 public:
  CountedStream() { ++g_alive; }
  ~CountedStream() override { --g_alive; }
  HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }
};

TEST(ComObject, QueryInterfaceFindsListedAndBaseInterfacesAndCounts) {
  {
    kx2::Ref<IStream> stream(new CountedStream);
    EXPECT_EQ(g_alive, 1);
    kx2::Ref<ISequentialStream> base;
    EXPECT_EQ(stream->QueryInterface(IID_ISequentialStream, base.put_void()), S_OK);
    EXPECT_EQ(static_cast<void*>(base.get()), static_cast<void*>(stream.get()));
    kx2::Ref<IUnknown> unknown;
    EXPECT_EQ(stream->QueryInterface(IID_IUnknown, unknown.put_void()), S_OK);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(stream->QueryInterface(IID_IStorage, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(stream->QueryInterface(IID_IStream, nullptr), E_POINTER);
    kx2::Ref<IStream> copy = stream;  // a copy holds its own reference
    stream.reset();
    EXPECT_EQ(g_alive, 1);
  }
  EXPECT_EQ(g_alive, 0);
}

TEST(ErrorBoundary, ThrownExceptionsBecomeResultsAndLastError) {
  SetLastError(0);
  EXPECT_EQ(kx2::Guard(FALSE, []() -> BOOL { throw std::bad_alloc(); }), FALSE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(kx2::Guard(-1, []() -> int { throw std::out_of_range("x"); }), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNAL_ERROR));
  EXPECT_EQ(kx2::GuardCom([]() -> HRESULT { throw 7; }), E_UNEXPECTED);
  EXPECT_EQ(kx2::GuardCom([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  SetLastError(5);
  EXPECT_EQ(kx2::Guard(0, [] { return 42; }), 42);
  EXPECT_EQ(GetLastError(), 5u);  // success leaves the record alone
  bool ran = false;
  kx2::Guard([&] {
    ran = true;
    throw 1;
  });
  EXPECT_TRUE(ran);
}

}  // namespace

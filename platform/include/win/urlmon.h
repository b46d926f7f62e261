// The bind-status callback a download reports its progress through. URL monikers are not
// carried: the update check fetches with libcurl and feeds this interface's OnProgress, so
// only the callback's shape is declared here.
#pragma once

#include "win/errors.h"
#include "win/ole.h"
#include "win/types.h"

// OnProgress status codes the update check passes on.
#define BINDSTATUS_DOWNLOADINGDATA 5

struct IBinding;
struct BINDINFO;
struct FORMATETC;
struct STGMEDIUM;

// Slots in this order after IUnknown's three.
struct IBindStatusCallback : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD dwReserved, IBinding* pib) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPriority(LONG* pnPriority) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) = 0;
  // S_OK goes on; any failure (E_ABORT) stops the download.
  virtual HRESULT STDMETHODCALLTYPE OnProgress(ULONG ulProgress, ULONG ulProgressMax, ULONG ulStatusCode,
                                               LPCWSTR szStatusText) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT hresult, LPCWSTR szError) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD grfBSCF, DWORD dwSize, FORMATETC* pformatetc,
                                                    STGMEDIUM* pstgmed) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown* punk) = 0;

 protected:
  ~IBindStatusCallback() = default;
};

// OLE services of the platform layer: the COM base interface, system strings (BSTR) and
// structured storage (compound files).
//
// Structured storage is our own implementation of the compound file format: it reads
// versions 3 and 4, writes version 3, keeps the directory in memory and writes it on
// commit (transacted mode) or on the last release of the root (direct mode).
#pragma once

#include "win/errors.h"
#include "win/types.h"

// ---- COM base -----------------------------------------------------------------------------
struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  // Objects go away through Release, never through a base pointer.
  ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// ---- System strings ----------------------------------------------------------------------------
// A BSTR points at UTF-16 text that follows a 32-bit byte count and ends with a 0 unit
// (not counted). Null is a valid, empty BSTR.
KX2_EXPORT BSTR SysAllocString(const OLECHAR* psz);
KX2_EXPORT BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
KX2_EXPORT BSTR SysAllocStringByteLen(LPCSTR psz, UINT len);
KX2_EXPORT INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
KX2_EXPORT INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len);
KX2_EXPORT void SysFreeString(BSTR bstrString);
KX2_EXPORT UINT SysStringLen(BSTR pbstr);
KX2_EXPORT UINT SysStringByteLen(BSTR bstr);

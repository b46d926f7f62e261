// VARIANT lifetime: initialising, clearing and copying values.
#include <win/oleauto.h>

void VariantInit(VARIANTARG* pvarg) {
  if (!pvarg) return;
  pvarg->vt = VT_EMPTY;
  pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
  pvarg->llVal = 0;
  pvarg->pRecInfo = nullptr;
}

HRESULT VariantClear(VARIANTARG* pvarg) {
  if (!pvarg) return E_INVALIDARG;
  const VARTYPE vt = pvarg->vt;
  if (!(vt & VT_BYREF)) {
    if (vt & VT_ARRAY) {
      const HRESULT hr = SafeArrayDestroy(pvarg->parray);
      if (FAILED(hr)) return hr;
    } else {
      switch (vt) {
        case VT_BSTR:
          SysFreeString(pvarg->bstrVal);
          break;
        case VT_UNKNOWN:
        case VT_DISPATCH:
          if (pvarg->punkVal) pvarg->punkVal->Release();
          break;
        default:
          break;
      }
    }
  }
  VariantInit(pvarg);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
  if (!pvargDest || !pvargSrc) return E_INVALIDARG;
  if (pvargDest == pvargSrc) return S_OK;
  VARIANT copy = *pvargSrc;
  const VARTYPE vt = pvargSrc->vt;
  if (!(vt & VT_BYREF)) {
    if (vt & VT_ARRAY) {
      const HRESULT hr = SafeArrayCopy(pvargSrc->parray, &copy.parray);
      if (FAILED(hr)) return hr;
    } else if (vt == VT_BSTR && pvargSrc->bstrVal) {
      copy.bstrVal =
          SysAllocStringByteLen(reinterpret_cast<LPCSTR>(pvargSrc->bstrVal), SysStringByteLen(pvargSrc->bstrVal));
      if (!copy.bstrVal) return E_OUTOFMEMORY;
    } else if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && pvargSrc->punkVal) {
      pvargSrc->punkVal->AddRef();
    }
  }
  VariantClear(pvargDest);
  *pvargDest = copy;
  return S_OK;
}

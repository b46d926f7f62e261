// SAFEARRAY: a header, its bounds, and one block of elements. The element type is kept
// in a word before the header, as OLE keeps it.
#include "kx2/ErrorBoundary.h"
#include <win/oleauto.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <vector>

namespace {

struct ArrayBlock {
  VARTYPE vt;
  SAFEARRAY array;  // followed by cDims - 1 more bounds
};

ArrayBlock* BlockOf(SAFEARRAY* psa) {
  return reinterpret_cast<ArrayBlock*>(reinterpret_cast<char*>(psa) - offsetof(ArrayBlock, array));
}

ULONG ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_R4:
      return 4;
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_I8:
    case VT_UI8:
      return 8;
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return sizeof(void*);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

USHORT FeaturesOf(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR:
      return FADF_BSTR;
    case VT_UNKNOWN:
      return FADF_UNKNOWN;
    case VT_DISPATCH:
      return FADF_DISPATCH;
    case VT_VARIANT:
      return FADF_VARIANT;
    default:
      return 0;
  }
}

// The element count, or 0 with overflow set when the product does not fit.
size_t ElementCount(const SAFEARRAY* psa, bool* overflow) {
  size_t count = 1;
  *overflow = false;
  for (USHORT i = 0; i < psa->cDims; ++i) {
    const size_t n = psa->rgsabound[i].cElements;
    if (n != 0 && count > SIZE_MAX / n) {
      *overflow = true;
      return 0;
    }
    count *= n;
  }
  return count;
}

SAFEARRAY* Allocate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* bounds) {
  const ULONG size = ElementSize(vt);
  if (size == 0 || cDims == 0 || cDims > 0xFFFF || !bounds) return nullptr;
  const size_t headerBytes = sizeof(ArrayBlock) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
  auto* block = static_cast<ArrayBlock*>(std::calloc(1, headerBytes));
  if (!block) return nullptr;
  block->vt = vt;
  SAFEARRAY* psa = &block->array;
  psa->cDims = static_cast<USHORT>(cDims);
  psa->fFeatures = static_cast<USHORT>(FADF_HAVEVARTYPE | FeaturesOf(vt));
  psa->cbElements = size;
  // The caller gives the bounds first dimension first; OLE keeps them in reverse.
  for (UINT i = 0; i < cDims; ++i) psa->rgsabound[cDims - 1 - i] = bounds[i];
  bool overflow;
  const size_t count = ElementCount(psa, &overflow);
  if (overflow || (count != 0 && count > SIZE_MAX / size)) {
    std::free(block);
    return nullptr;
  }
  if (count != 0) {
    psa->pvData = std::calloc(count, size);
    if (!psa->pvData) {
      std::free(block);
      return nullptr;
    }
  }
  return psa;
}

void ClearElements(SAFEARRAY* psa) {
  if (!psa->pvData) return;
  bool overflow;
  const size_t count = ElementCount(psa, &overflow);
  if (psa->fFeatures & FADF_BSTR) {
    auto* items = static_cast<BSTR*>(psa->pvData);
    for (size_t i = 0; i < count; ++i) SysFreeString(items[i]), items[i] = nullptr;
  } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* items = static_cast<IUnknown**>(psa->pvData);
    for (size_t i = 0; i < count; ++i)
      if (items[i]) items[i]->Release(), items[i] = nullptr;
  } else if (psa->fFeatures & FADF_VARIANT) {
    auto* items = static_cast<VARIANT*>(psa->pvData);
    for (size_t i = 0; i < count; ++i) VariantClear(&items[i]);
  }
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) { return Allocate(vt, cDims, rgsabound); }

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  SAFEARRAYBOUND bound{cElements, lLbound};
  return Allocate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
  if (!psa) return S_OK;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  ClearElements(psa);
  std::free(psa->pvData);
  std::free(BlockOf(psa));
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (!ppsaOut) return E_INVALIDARG;
  *ppsaOut = nullptr;
  if (!psa) return S_OK;
  if (psa->cDims == 0) return E_INVALIDARG;
  // Allocate takes bounds first dimension first; the header holds them reversed.
  std::vector<SAFEARRAYBOUND> bounds;
  try {
    bounds.assign(std::make_reverse_iterator(psa->rgsabound + psa->cDims), std::make_reverse_iterator(psa->rgsabound));
  } catch (...) {
    return kx2::RecordCurrentComException();
  }
  SAFEARRAY* copy = Allocate(BlockOf(psa)->vt, psa->cDims, bounds.data());
  if (!copy) return E_OUTOFMEMORY;
  bool overflow;
  const size_t count = ElementCount(psa, &overflow);
  if (count == 0) {
    *ppsaOut = copy;
    return S_OK;
  }
  if (psa->fFeatures & FADF_BSTR) {
    auto* from = static_cast<BSTR*>(psa->pvData);
    auto* to = static_cast<BSTR*>(copy->pvData);
    for (size_t i = 0; i < count; ++i) {
      if (!from[i]) continue;
      to[i] = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(from[i]), SysStringByteLen(from[i]));
      if (!to[i]) {
        SafeArrayDestroy(copy);
        return E_OUTOFMEMORY;
      }
    }
  } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* from = static_cast<IUnknown**>(psa->pvData);
    auto* to = static_cast<IUnknown**>(copy->pvData);
    for (size_t i = 0; i < count; ++i)
      if ((to[i] = from[i])) to[i]->AddRef();
  } else if (psa->fFeatures & FADF_VARIANT) {
    auto* from = static_cast<VARIANT*>(psa->pvData);
    auto* to = static_cast<VARIANT*>(copy->pvData);
    for (size_t i = 0; i < count; ++i) {
      const HRESULT hr = VariantCopy(&to[i], &from[i]);
      if (FAILED(hr)) {
        SafeArrayDestroy(copy);
        return hr;
      }
    }
  } else {
    std::memcpy(copy->pvData, psa->pvData, count * psa->cbElements);
  }
  *ppsaOut = copy;
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks == 0xFFFF) return E_UNEXPECTED;
  ++psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks == 0) return E_UNEXPECTED;
  --psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (!psa || !ppvData) return E_INVALIDARG;
  const HRESULT hr = SafeArrayLock(psa);
  *ppvData = SUCCEEDED(hr) ? psa->pvData : nullptr;
  return hr;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

UINT SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

UINT SafeArrayGetElemsize(SAFEARRAY* psa) { return psa ? psa->cbElements : 0; }

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (!psa || !plLbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (!psa || !plUbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = psa->rgsabound[psa->cDims - nDim];
  *plUbound = static_cast<LONG>(static_cast<int64_t>(b.lLbound) + b.cElements - 1);
  return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (!psa || !pvt) return E_INVALIDARG;
  *pvt = BlockOf(psa)->vt;
  return S_OK;
}

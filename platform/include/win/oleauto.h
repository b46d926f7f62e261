// OLE automation: VARIANT values, SAFEARRAY arrays, type coercion and OLE dates.
//
// Coercion (VariantChangeTypeEx) covers the scalar types, currency, dates, booleans and
// strings. Its texts do not change with the locale: numbers use ".", dates are written
// "M/D/YYYY h:mm:ss AM" (the date or the time alone when the other part is zero), and
// both that form and "YYYY-MM-DD hh:mm:ss" are read back. A boolean becomes "-1" or "0",
// or "True" or "False" with VARIANT_ALPHABOOL; "True", "False" and numbers are read.
//
// OLE dates (DATE) count days from 1899-12-30 with the time of day as the fraction; for
// dates before that day the fraction counts forward from the whole day, as OLE keeps it.
#pragma once

#include "win/errors.h"
#include "win/ole.h"
#include "win/types.h"

typedef WORD VARTYPE;
typedef SHORT VARIANT_BOOL;
typedef double DATE;
typedef LONG SCODE;

#define VARIANT_TRUE static_cast<VARIANT_BOOL>(-1)
#define VARIANT_FALSE static_cast<VARIANT_BOOL>(0)

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

// Currency: a 64-bit integer of ten-thousandths.
union CY {
  struct {
    ULONG Lo;
    LONG Hi;
  };
  LONGLONG int64;
};

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

// Feature bits.
#define FADF_AUTO 0x0001
#define FADF_STATIC 0x0002
#define FADF_EMBEDDED 0x0004
#define FADF_FIXEDSIZE 0x0010
#define FADF_RECORD 0x0020
#define FADF_HAVEIID 0x0040
#define FADF_HAVEVARTYPE 0x0080
#define FADF_BSTR 0x0100
#define FADF_UNKNOWN 0x0200
#define FADF_DISPATCH 0x0400
#define FADF_VARIANT 0x0800

// The bounds run from the last dimension to the first, as in OLE.
struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  PVOID pvData;
  SAFEARRAYBOUND rgsabound[1];
};

// 24 bytes on this 64-bit build, as on 64-bit Windows; never written to a file as a whole.
struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    CY cyVal;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IUnknown* pdispVal;
    SAFEARRAY* parray;
    CHAR cVal;
    USHORT uiVal;
    ULONG ulVal;
    ULONGLONG ullVal;
    INT intVal;
    UINT uintVal;
    VARIANT* pvarVal;
    PVOID byref;
    struct {
      PVOID pvRecord;
      PVOID pRecInfo;
    };
  };
};
typedef VARIANT VARIANTARG;
typedef VARIANT* LPVARIANT;
static_assert(sizeof(CY) == 8 && sizeof(VARIANT) == 8 + 2 * sizeof(void*), "VARIANT of this build");

#define V_VT(v) ((v)->vt)
#define V_I2(v) ((v)->iVal)
#define V_I4(v) ((v)->lVal)
#define V_R4(v) ((v)->fltVal)
#define V_R8(v) ((v)->dblVal)
#define V_CY(v) ((v)->cyVal)
#define V_DATE(v) ((v)->date)
#define V_BSTR(v) ((v)->bstrVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_UI1(v) ((v)->bVal)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_ARRAY(v) ((v)->parray)

// Coercion flags.
#define VARIANT_NOVALUEPROP 0x01
#define VARIANT_ALPHABOOL 0x02
#define VARIANT_NOUSEROVERRIDE 0x04
#define VARIANT_LOCALBOOL 0x10

#define DISP_E_BADVARTYPE static_cast<HRESULT>(0x80020008L)
#define DISP_E_OVERFLOW static_cast<HRESULT>(0x8002000AL)
#define DISP_E_TYPEMISMATCH static_cast<HRESULT>(0x80020005L)
#define DISP_E_BADINDEX static_cast<HRESULT>(0x8002000BL)
#define DISP_E_ARRAYISLOCKED static_cast<HRESULT>(0x8002000DL)

// ---- VARIANT ------------------------------------------------------------------------
KX2_EXPORT void VariantInit(VARIANTARG* pvarg);
// Frees what the value owns (string, interface, array) and leaves VT_EMPTY.
KX2_EXPORT HRESULT VariantClear(VARIANTARG* pvarg);
// A deep copy: strings and arrays are duplicated, interfaces get a reference.
KX2_EXPORT HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
// Coerces pvarSrc to vt into pvargDest (which may be the source). DISP_E_TYPEMISMATCH for
// a text that is not a value of the type, DISP_E_OVERFLOW for a value out of its range,
// DISP_E_BADVARTYPE for types outside the coercions above; the destination is then left
// as it was.
KX2_EXPORT HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt);
KX2_EXPORT HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID lcid, USHORT wFlags,
                                       VARTYPE vt);

// ---- SAFEARRAY ----------------------------------------------------------------------
// Element types: VT_I1, VT_UI1, VT_I2, VT_UI2, VT_BOOL, VT_I4, VT_UI4, VT_INT, VT_UINT,
// VT_ERROR, VT_R4, VT_R8, VT_CY, VT_DATE, VT_I8, VT_UI8, VT_BSTR, VT_UNKNOWN,
// VT_DISPATCH and VT_VARIANT. Elements start zeroed; destroying the array frees strings,
// releases interfaces and clears variants.
KX2_EXPORT SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound);
KX2_EXPORT SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
// DISP_E_ARRAYISLOCKED while the array is locked or its data accessed.
KX2_EXPORT HRESULT SafeArrayDestroy(SAFEARRAY* psa);
KX2_EXPORT HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
KX2_EXPORT HRESULT SafeArrayLock(SAFEARRAY* psa);
KX2_EXPORT HRESULT SafeArrayUnlock(SAFEARRAY* psa);
KX2_EXPORT HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
KX2_EXPORT HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
KX2_EXPORT UINT SafeArrayGetDim(SAFEARRAY* psa);
KX2_EXPORT UINT SafeArrayGetElemsize(SAFEARRAY* psa);
// nDim counts from 1 (the first dimension).
KX2_EXPORT HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
KX2_EXPORT HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
KX2_EXPORT HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);

// ---- Dates ----------------------------------------------------------------------------
// Years 100 to 9999. A day past the end of its month moves into the next month, as OLE
// does (callers that need an exact date convert back and compare). 1 on success, else 0.
KX2_EXPORT INT SystemTimeToVariantTime(LPSYSTEMTIME lpSystemTime, DOUBLE* pvtime);
// Rounded to the nearest second. 1 on success, 0 for a date outside years 100 to 9999.
KX2_EXPORT INT VariantTimeToSystemTime(DOUBLE vtime, LPSYSTEMTIME lpSystemTime);

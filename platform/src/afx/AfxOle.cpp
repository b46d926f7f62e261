// MFC's OLE date and variant classes.
#include <win/afx.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>

#include <win/crt.h>
#include <win/kernel.h>

void AfxCheckError(HRESULT sc) {
  if (sc == E_OUTOFMEMORY) AfxThrowMemoryException();
  if (FAILED(sc)) AfxThrowOleException(sc);
}

// ---- COleDateTime ------------------------------------------------------------------------

COleDateTime::COleDateTime(DATE date) : m_dt(date) {
  SYSTEMTIME t;
  m_status = VariantTimeToSystemTime(date, &t) ? valid : invalid;
}

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second) {
  SetDateTime(year, month, day, hour, minute, second);
}

COleDateTime::COleDateTime(const SYSTEMTIME& time) {
  SetDateTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
}

COleDateTime COleDateTime::GetCurrentTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return COleDateTime(now);
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
  m_dt = 0;
  m_status = invalid;
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second > 59)
    return 1;
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  DATE date;
  SYSTEMTIME back;
  // OLE moves a day past the end of its month into the next month; converting back shows it.
  if (!SystemTimeToVariantTime(&t, &date) || !VariantTimeToSystemTime(date, &back) || back.wDay != t.wDay ||
      back.wMonth != t.wMonth || back.wYear != t.wYear)
    return 1;
  m_dt = date;
  m_status = valid;
  return 0;
}

BOOL COleDateTime::GetAsSystemTime(SYSTEMTIME& time) const {
  return m_status == valid && VariantTimeToSystemTime(m_dt, &time);
}

namespace {

int Field(const COleDateTime& d, WORD SYSTEMTIME::*field) {
  SYSTEMTIME t;
  return d.GetAsSystemTime(t) ? t.*field : -1;
}

}  // namespace

int COleDateTime::GetYear() const { return Field(*this, &SYSTEMTIME::wYear); }
int COleDateTime::GetMonth() const { return Field(*this, &SYSTEMTIME::wMonth); }
int COleDateTime::GetDay() const { return Field(*this, &SYSTEMTIME::wDay); }
int COleDateTime::GetHour() const { return Field(*this, &SYSTEMTIME::wHour); }
int COleDateTime::GetMinute() const { return Field(*this, &SYSTEMTIME::wMinute); }
int COleDateTime::GetSecond() const { return Field(*this, &SYSTEMTIME::wSecond); }

CString COleDateTime::Format(LPCWSTR format) const {
  if (m_status == null) return CString();
  SYSTEMTIME t;
  if (!GetAsSystemTime(t)) return CString(u"Invalid DateTime");
  struct tm fields {};
  fields.tm_year = t.wYear - 1900;
  fields.tm_mon = t.wMonth - 1;
  fields.tm_mday = t.wDay;
  fields.tm_hour = t.wHour;
  fields.tm_min = t.wMinute;
  fields.tm_sec = t.wSecond;
  fields.tm_wday = t.wDayOfWeek;
  fields.tm_isdst = -1;
  WCHAR buffer[512];
  const size_t n = wcsftime(buffer, sizeof buffer / sizeof buffer[0], format ? format : u"", &fields);
  return CString(buffer, static_cast<int>(n));
}

CArchive& operator<<(CArchive& ar, const COleDateTime& value) {
  return ar << static_cast<int>(value.m_status) << value.m_dt;
}

CArchive& operator>>(CArchive& ar, COleDateTime& value) {
  int status;
  ar >> status >> value.m_dt;
  // A stored status outside the three known ones is damage, and reads as invalid.
  value.m_status = status >= COleDateTime::valid && status <= COleDateTime::null
                       ? static_cast<COleDateTime::DateTimeStatus>(status)
                       : COleDateTime::invalid;
  return ar;
}

// ---- COleVariant -----------------------------------------------------------------------

COleVariant::COleVariant(const VARIANT& source) {
  VariantInit(this);
  AfxCheckError(VariantCopy(this, &source));
}

COleVariant::COleVariant(const COleVariant& source) : COleVariant(static_cast<const VARIANT&>(source)) {}

COleVariant::COleVariant(LPCWSTR text) {
  VariantInit(this);
  *this = text;
}

COleVariant::COleVariant(const CString& text) {
  VariantInit(this);
  bstrVal = text.AllocSysString();  // keeps zero units inside the text
  vt = VT_BSTR;
}

COleVariant::COleVariant(BYTE value) {
  VariantInit(this);
  vt = VT_UI1;
  bVal = value;
}

COleVariant::COleVariant(SHORT value, VARTYPE type) {
  VariantInit(this);
  vt = type == VT_BOOL ? VT_BOOL : VT_I2;
  if (vt == VT_BOOL)
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  else
    iVal = value;
}

COleVariant::COleVariant(LONG value, VARTYPE type) {
  VariantInit(this);
  if (type == VT_BOOL) {
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  } else {
    vt = type == VT_ERROR ? VT_ERROR : VT_I4;
    lVal = value;
  }
}

COleVariant::COleVariant(float value) {
  VariantInit(this);
  vt = VT_R4;
  fltVal = value;
}

COleVariant::COleVariant(double value) {
  VariantInit(this);
  vt = VT_R8;
  dblVal = value;
}

COleVariant::COleVariant(const COleDateTime& value) {
  VariantInit(this);
  vt = VT_DATE;
  date = value.m_dt;
}

COleVariant& COleVariant::operator=(const VARIANT& source) {
  AfxCheckError(VariantCopy(this, &source));
  return *this;
}

COleVariant& COleVariant::operator=(const COleVariant& source) { return *this = static_cast<const VARIANT&>(source); }

COleVariant& COleVariant::operator=(LPCWSTR text) {
  VariantClear(this);
  if (text) {
    bstrVal = SysAllocString(text);
    if (!bstrVal) AfxThrowMemoryException();
    vt = VT_BSTR;
  } else {
    vt = VT_NULL;
  }
  return *this;
}

void COleVariant::ChangeType(VARTYPE type, LPVARIANT source) {
  AfxCheckError(VariantChangeType(this, source ? source : this, 0, type));
}

bool COleVariant::operator==(const VARIANT& other) const {
  if (vt != other.vt) return false;
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
      return true;
    case VT_BOOL:
      return boolVal == other.boolVal;
    case VT_I1:
    case VT_UI1:
      return bVal == other.bVal;
    case VT_I2:
    case VT_UI2:
      return iVal == other.iVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
      return lVal == other.lVal;
    case VT_I8:
    case VT_UI8:
    case VT_CY:
      return llVal == other.llVal;
    case VT_R4:
      return fltVal == other.fltVal;
    case VT_R8:
    case VT_DATE:
      return dblVal == other.dblVal;
    case VT_BSTR: {
      const UINT a = SysStringByteLen(bstrVal), b = SysStringByteLen(other.bstrVal);
      return a == b && (a == 0 || std::memcmp(bstrVal, other.bstrVal, a) == 0);
    }
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return punkVal == other.punkVal;
    default:
      return false;
  }
}

CArchive& operator<<(CArchive& ar, const COleVariant& value) {
  ar << static_cast<WORD>(value.vt);
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      break;
    case VT_BOOL:
      ar << static_cast<WORD>(value.boolVal);
      break;
    case VT_I1:
    case VT_UI1:
      ar << value.bVal;
      break;
    case VT_I2:
    case VT_UI2:
      ar << static_cast<WORD>(value.uiVal);
      break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
      ar << static_cast<DWORD>(value.ulVal);
      break;
    case VT_I8:
    case VT_UI8:
      ar << value.ullVal;
      break;
    case VT_CY:
      ar << static_cast<DWORD>(value.cyVal.Lo) << static_cast<int>(value.cyVal.Hi);
      break;
    case VT_R4:
      ar << value.fltVal;
      break;
    case VT_R8:
      ar << value.dblVal;
      break;
    case VT_DATE:
      ar << value.date;
      break;
    case VT_BSTR: {
      const DWORD bytes = SysStringByteLen(value.bstrVal);
      ar << bytes;
      if (bytes) ar.Write(value.bstrVal, bytes);
      break;
    }
    default:
      AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
  }
  return ar;
}

CArchive& operator>>(CArchive& ar, COleVariant& value) {
  value.Clear();
  WORD type;
  ar >> type;
  VARIANT v;
  VariantInit(&v);
  switch (type) {
    case VT_EMPTY:
    case VT_NULL:
      break;
    case VT_BOOL: {
      WORD w;
      ar >> w;
      v.boolVal = static_cast<VARIANT_BOOL>(w);
      break;
    }
    case VT_I1:
    case VT_UI1:
      ar >> v.bVal;
      break;
    case VT_I2:
    case VT_UI2:
      ar >> v.uiVal;
      break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
      ar >> v.ulVal;
      break;
    case VT_I8:
    case VT_UI8:
      ar >> v.ullVal;
      break;
    case VT_CY: {
      DWORD lo;
      int hi;
      ar >> lo >> hi;
      v.cyVal.Lo = lo;
      v.cyVal.Hi = hi;
      break;
    }
    case VT_R4:
      ar >> v.fltVal;
      break;
    case VT_R8:
      ar >> v.dblVal;
      break;
    case VT_DATE:
      ar >> v.date;
      break;
    case VT_BSTR: {
      DWORD bytes;
      ar >> bytes;
      // Read in pieces before allocating: the count may come from a damaged archive.
      std::string data;
      while (data.size() < bytes) {
        const size_t piece = std::min<size_t>(bytes - data.size(), 65536);
        const size_t at = data.size();
        data.resize(at + piece);
        if (ar.Read(&data[at], static_cast<UINT>(piece)) != piece)
          AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
      }
      if (bytes) {
        v.bstrVal = SysAllocStringByteLen(data.data(), bytes);
        if (!v.bstrVal) AfxThrowMemoryException();
      }
      break;
    }
    default:
      AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
  }
  v.vt = type;
  static_cast<VARIANT&>(value) = v;
  return ar;
}

// Comparing, copying and writing as text the values of the property exchange.
#include "prop_values.h"

#include <cstring>

#include <win/crt.h>

namespace ktk {

bool ValuesEqual(VARTYPE type, const void* a, const void* b) {
  switch (type) {
    case KTK_VT_I2:
      return *static_cast<const SHORT*>(a) == *static_cast<const SHORT*>(b);
    case KTK_VT_I4:
      return *static_cast<const LONG*>(a) == *static_cast<const LONG*>(b);
    case KTK_VT_R4:
      return *static_cast<const float*>(a) == *static_cast<const float*>(b);
    case KTK_VT_R8:
      return *static_cast<const double*>(a) == *static_cast<const double*>(b);
    case KTK_VT_CY:
      return static_cast<const CY*>(a)->int64 == static_cast<const CY*>(b)->int64;
    case KTK_VT_DATE:
      return *static_cast<const COleDateTime*>(a) == *static_cast<const COleDateTime*>(b);
    case KTK_VT_BSTR: {
      BSTR x = *static_cast<const BSTR*>(a), y = *static_cast<const BSTR*>(b);
      const UINT n = SysStringLen(x);
      return n == SysStringLen(y) && (n == 0 || std::memcmp(x, y, n * sizeof(WCHAR)) == 0);
    }
    case KTK_VT_BOOL:
      return *static_cast<const BOOL*>(a) == *static_cast<const BOOL*>(b);
    case KTK_VT_VARIANT:
      return *static_cast<const COleVariant*>(a) == *static_cast<const VARIANT*>(b);
    case KTK_VT_UI1:
      return *static_cast<const BYTE*>(a) == *static_cast<const BYTE*>(b);
    case KTK_VT_STRING:
      return *static_cast<const CString*>(a) == *static_cast<const CString*>(b);
    case KTK_VT_RECT:
      return std::memcmp(a, b, sizeof(RECT)) == 0;
    case KTK_VT_SIZE:
      return std::memcmp(a, b, sizeof(SIZE)) == 0;
    default:
      return false;
  }
}

bool CopyValue(VARTYPE type, void* to, const void* from) {
  switch (type) {
    case KTK_VT_I2:
      *static_cast<SHORT*>(to) = *static_cast<const SHORT*>(from);
      return true;
    case KTK_VT_I4:
      *static_cast<LONG*>(to) = *static_cast<const LONG*>(from);
      return true;
    case KTK_VT_R4:
      *static_cast<float*>(to) = *static_cast<const float*>(from);
      return true;
    case KTK_VT_R8:
      *static_cast<double*>(to) = *static_cast<const double*>(from);
      return true;
    case KTK_VT_CY:
      *static_cast<CY*>(to) = *static_cast<const CY*>(from);
      return true;
    case KTK_VT_DATE:
      *static_cast<COleDateTime*>(to) = *static_cast<const COleDateTime*>(from);
      return true;
    case KTK_VT_BSTR: {
      BSTR source = *static_cast<const BSTR*>(from);
      BSTR copy = source ? SysAllocStringLen(source, SysStringLen(source)) : nullptr;
      if (source && !copy) AfxThrowMemoryException();
      SysFreeString(*static_cast<BSTR*>(to));
      *static_cast<BSTR*>(to) = copy;
      return true;
    }
    case KTK_VT_BOOL:
      *static_cast<BOOL*>(to) = *static_cast<const BOOL*>(from);
      return true;
    case KTK_VT_VARIANT:
      *static_cast<COleVariant*>(to) = *static_cast<const VARIANT*>(from);
      return true;
    case KTK_VT_UI1:
      *static_cast<BYTE*>(to) = *static_cast<const BYTE*>(from);
      return true;
    case KTK_VT_STRING:
      *static_cast<CString*>(to) = *static_cast<const CString*>(from);
      return true;
    case KTK_VT_RECT:
      std::memcpy(to, from, sizeof(RECT));
      return true;
    case KTK_VT_SIZE:
      std::memcpy(to, from, sizeof(SIZE));
      return true;
    default:
      return false;
  }
}

CString Escape(const CString& text) {
  CString out;
  for (int i = 0; i < text.GetLength(); ++i) {
    switch (const WCHAR c = text[i]) {
      case u'\\':
        out += u"\\\\";
        break;
      case u'\n':
        out += u"\\n";
        break;
      case u'\r':
        out += u"\\r";
        break;
      case u'\t':
        out += u"\\t";
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

CString Unescape(const CString& text) {
  CString out;
  for (int i = 0; i < text.GetLength(); ++i) {
    const WCHAR c = text[i];
    if (c == u'\\' && i + 1 < text.GetLength()) {
      switch (text[i + 1]) {
        case u'\\':
          out += u'\\', ++i;
          continue;
        case u'n':
          out += u'\n', ++i;
          continue;
        case u'r':
          out += u'\r', ++i;
          continue;
        case u't':
          out += u'\t', ++i;
          continue;
        default:
          break;  // not an escape: kept as it stands
      }
    }
    out += c;
  }
  return out;
}

CString DateTimeText(const COleDateTime& value) {
  if (value.GetStatus() != COleDateTime::valid) return CString(u"Invalid DateTime");
  SYSTEMTIME t;
  value.GetAsSystemTime(t);
  const bool dayZero = t.wYear == 1899 && t.wMonth == 12 && t.wDay == 30;
  const bool midnight = t.wHour == 0 && t.wMinute == 0 && t.wSecond == 0;
  if (dayZero && !midnight) return value.Format(u"%H:%M:%S");
  if (midnight) return value.Format(u"%Y-%d-%m");
  return value.Format(u"%Y-%d-%mT%H:%M:%S");
}

namespace {

// swscanf's "%hu": blanks, an optional sign, decimal digits, kept modulo 2^16.
bool ScanUnsignedShort(const char16_t*& p, unsigned* out) {
  while (iswspace(*p)) ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = *p++ == u'-';
  if (*p < u'0' || *p > u'9') return false;
  unsigned long long value = 0;
  while (*p >= u'0' && *p <= u'9') {
    value = value * 10 + static_cast<unsigned>(*p++ - u'0');
    if (value > 0xFFFFFFFFull) value = 0xFFFFFFFFull;
  }
  *out = static_cast<unsigned short>(negative ? 0 - value : value);
  return true;
}

// Reads numbers separated by the literal characters of `separators` (one between each
// pair), as swscanf reads "%hu-%hu-..." ; returns how many it read.
int ScanShorts(LPCWSTR text, const char16_t* separators, unsigned* out, int count) {
  const char16_t* p = text;
  int n = 0;
  while (n < count) {
    if (!ScanUnsignedShort(p, &out[n])) break;
    ++n;
    if (n == count || *p != separators[n - 1]) break;
    ++p;
  }
  return n;
}

}  // namespace

bool ParseDateTime(LPCWSTR text, COleDateTime& value) {
  if (!text) return false;
  unsigned f[6] = {};
  const int n = ScanShorts(text, u"--T::", f, 6);
  if (n == 3 || n == 5 || n == 6) {
    // Year, day, month, hour, minute, second: the day comes before the month.
    COleDateTime parsed(static_cast<int>(f[0]), static_cast<int>(f[2]), static_cast<int>(f[1]), static_cast<int>(f[3]),
                        static_cast<int>(f[4]), static_cast<int>(f[5]));
    if (parsed.GetStatus() != COleDateTime::valid) return false;
    value = parsed;
    return true;
  }
  unsigned t[3] = {};
  const int m = ScanShorts(text, u"::", t, 3);
  if (m != 2 && m != 3) return false;
  value.m_dt = (t[0] * 3600.0 + t[1] * 60.0 + t[2]) / 86400.0;
  value.m_status = COleDateTime::valid;
  return true;
}

int ScanIntegers(LPCWSTR text, LONG* out, int count) {
  if (!text) return 0;
  const char16_t* p = text;
  int n = 0;
  while (n < count) {
    while (iswspace(*p)) ++p;
    char16_t* end = nullptr;
    const LONG v = wcstol(p, &end, 0);  // "%i": decimal, 0x hexadecimal, 0 octal
    if (end == p) break;
    out[n++] = v;
    p = end;
    if (n == count) break;
    if (*p != u',') break;  // the format's ", ": a comma, then any blanks
    ++p;
  }
  return n;
}

bool ValueToText(VARTYPE type, const void* value, LONG locale, CString& text) {
  switch (type) {
    case KTK_VT_I2:
      text.Format(u"%i", *static_cast<const SHORT*>(value));
      return true;
    case KTK_VT_I4:
      text.Format(u"%i", *static_cast<const LONG*>(value));
      return true;
    case KTK_VT_BOOL:
      text.Format(u"%i", *static_cast<const BOOL*>(value));
      return true;
    case KTK_VT_UI1:
      text.Format(u"%i", *static_cast<const BYTE*>(value));
      return true;
    case KTK_VT_R4:
      text.Format(u"%g", static_cast<double>(*static_cast<const float*>(value)));
      return true;
    case KTK_VT_R8:
      text.Format(u"%g", *static_cast<const double*>(value));
      return true;
    case KTK_VT_CY: {
      VARIANT v, t;
      VariantInit(&v);
      VariantInit(&t);
      v.vt = VT_CY;
      v.cyVal = *static_cast<const CY*>(value);
      if (FAILED(VariantChangeType(&t, &v, 0, VT_BSTR))) return false;
      text = CString(t.bstrVal, static_cast<int>(SysStringLen(t.bstrVal)));
      VariantClear(&t);
      return true;
    }
    case KTK_VT_DATE:
      text = DateTimeText(*static_cast<const COleDateTime*>(value));
      return true;
    case KTK_VT_BSTR: {
      BSTR b = *static_cast<const BSTR*>(value);
      text = Escape(CString(b, static_cast<int>(SysStringLen(b))));
      return true;
    }
    case KTK_VT_STRING:
      text = Escape(*static_cast<const CString*>(value));
      return true;
    case KTK_VT_VARIANT: {
      const auto* v = static_cast<const VARIANT*>(value);
      if (v->vt == VT_DATE && locale == -1) {
        text = DateTimeText(COleDateTime(v->date));
        return true;
      }
      VARIANT t;
      VariantInit(&t);
      const LCID lcid = locale == -1 ? 0x0400 : static_cast<LCID>(locale);
      if (FAILED(VariantChangeTypeEx(&t, v, lcid, 0, VT_BSTR))) return false;
      text = Escape(CString(t.bstrVal, static_cast<int>(SysStringLen(t.bstrVal))));
      VariantClear(&t);
      return true;
    }
    case KTK_VT_RECT: {
      const auto* r = static_cast<const RECT*>(value);
      text.Format(u"%i, %i, %i, %i", r->left, r->top, r->right, r->bottom);
      return true;
    }
    case KTK_VT_SIZE: {
      const auto* s = static_cast<const SIZE*>(value);
      text.Format(u"%i, %i", s->cx, s->cy);
      return true;
    }
    default:
      return false;
  }
}

bool TextToValue(VARTYPE type, const CString& text, LONG locale, void* value, const void* defaultValue) {
  switch (type) {
    case KTK_VT_I2:
      *static_cast<SHORT*>(value) = static_cast<SHORT>(_wtoi(text));
      return true;
    case KTK_VT_I4:
      *static_cast<LONG*>(value) = _wtoi(text);
      return true;
    case KTK_VT_BOOL:
      *static_cast<BOOL*>(value) = _wtoi(text);
      return true;
    case KTK_VT_UI1:
      *static_cast<BYTE*>(value) = static_cast<BYTE>(_wtoi(text));
      return true;
    case KTK_VT_R4:
      *static_cast<float*>(value) = static_cast<float>(wcstod(text, nullptr));
      return true;
    case KTK_VT_R8:
      *static_cast<double*>(value) = wcstod(text, nullptr);
      return true;
    case KTK_VT_CY: {
      VARIANT v, c;
      VariantInit(&c);
      VariantInit(&v);
      v.vt = VT_BSTR;
      v.bstrVal = text.AllocSysString();
      const HRESULT hr = VariantChangeType(&c, &v, 0, VT_CY);
      VariantClear(&v);
      if (FAILED(hr)) return false;
      *static_cast<CY*>(value) = c.cyVal;
      return true;
    }
    case KTK_VT_DATE:
      return ParseDateTime(text, *static_cast<COleDateTime*>(value));
    case KTK_VT_BSTR: {
      BSTR fresh = Unescape(text).AllocSysString();
      SysFreeString(*static_cast<BSTR*>(value));
      *static_cast<BSTR*>(value) = fresh;
      return true;
    }
    case KTK_VT_STRING:
      *static_cast<CString*>(value) = Unescape(text);
      return true;
    case KTK_VT_VARIANT: {
      auto* v = static_cast<COleVariant*>(value);
      VARTYPE wanted = v->vt;
      if ((wanted == VT_EMPTY || wanted == VT_NULL) && defaultValue)
        wanted = static_cast<const VARIANT*>(defaultValue)->vt;
      if (wanted == VT_DATE && locale == -1) {
        COleDateTime date;
        if (!ParseDateTime(text, date)) return false;
        *v = COleVariant(date);
        return true;
      }
      COleVariant read(Unescape(text));
      if (wanted != VT_EMPTY && wanted != VT_NULL && wanted != VT_BSTR) {
        const LCID lcid = locale == -1 ? 0x0400 : static_cast<LCID>(locale);
        if (FAILED(VariantChangeTypeEx(&read, &read, lcid, 0, wanted))) return false;
      }
      *v = read;
      return true;
    }
    case KTK_VT_RECT: {
      LONG n[4];
      if (ScanIntegers(text, n, 4) != 4) return false;
      *static_cast<RECT*>(value) = {n[0], n[1], n[2], n[3]};
      return true;
    }
    case KTK_VT_SIZE: {
      LONG n[2];
      if (ScanIntegers(text, n, 2) != 2) return false;
      *static_cast<SIZE*>(value) = {n[0], n[1]};
      return true;
    }
    default:
      return false;
  }
}

}  // namespace ktk

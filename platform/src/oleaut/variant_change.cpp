// VARIANT coercion between the scalar types, currency, dates, booleans and strings.
#include <win/oleauto.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include <kx2/Utf.h>

namespace {

// One value in the form the coercions work on.
struct Scalar {
  enum Kind { Empty, Null, Signed, Unsigned, Real, Currency, Date, Bool, Text } kind = Empty;
  int64_t i = 0;   // Signed, Currency (ten-thousandths), Bool (-1 or 0)
  uint64_t u = 0;  // Unsigned
  double r = 0;    // Real, Date
  std::u16string text;
};

constexpr double kFirstDate = -657434.0;
constexpr double kLastDate = 2958465.99999999;

std::optional<Scalar> Read(const VARIANT& v) {
  Scalar s;
  const bool byRef = (v.vt & VT_BYREF) != 0;
  const VARTYPE vt = v.vt & ~VT_BYREF;
  if (vt & VT_ARRAY) return std::nullopt;
  if (byRef && !v.byref) return std::nullopt;
  auto get = [&](auto field, auto* ref) { return byRef ? *ref : field; };
  switch (vt) {
    case VT_EMPTY:
      s.kind = Scalar::Empty;
      break;
    case VT_NULL:
      s.kind = Scalar::Null;
      break;
    case VT_I1:
      s.kind = Scalar::Signed, s.i = get(v.cVal, static_cast<CHAR*>(v.byref));
      break;
    case VT_I2:
      s.kind = Scalar::Signed, s.i = get(v.iVal, static_cast<SHORT*>(v.byref));
      break;
    case VT_I4:
    case VT_ERROR:
      s.kind = Scalar::Signed, s.i = get(v.lVal, static_cast<LONG*>(v.byref));
      break;
    case VT_INT:
      s.kind = Scalar::Signed, s.i = get(v.intVal, static_cast<INT*>(v.byref));
      break;
    case VT_I8:
      s.kind = Scalar::Signed, s.i = get(v.llVal, static_cast<LONGLONG*>(v.byref));
      break;
    case VT_UI1:
      s.kind = Scalar::Unsigned, s.u = get(v.bVal, static_cast<BYTE*>(v.byref));
      break;
    case VT_UI2:
      s.kind = Scalar::Unsigned, s.u = get(v.uiVal, static_cast<USHORT*>(v.byref));
      break;
    case VT_UI4:
      s.kind = Scalar::Unsigned, s.u = get(v.ulVal, static_cast<ULONG*>(v.byref));
      break;
    case VT_UINT:
      s.kind = Scalar::Unsigned, s.u = get(v.uintVal, static_cast<UINT*>(v.byref));
      break;
    case VT_UI8:
      s.kind = Scalar::Unsigned, s.u = get(v.ullVal, static_cast<ULONGLONG*>(v.byref));
      break;
    case VT_R4:
      s.kind = Scalar::Real, s.r = get(v.fltVal, static_cast<FLOAT*>(v.byref));
      break;
    case VT_R8:
      s.kind = Scalar::Real, s.r = get(v.dblVal, static_cast<DOUBLE*>(v.byref));
      break;
    case VT_DATE:
      s.kind = Scalar::Date, s.r = get(v.date, static_cast<DATE*>(v.byref));
      break;
    case VT_CY:
      s.kind = Scalar::Currency, s.i = get(v.cyVal, static_cast<CY*>(v.byref)).int64;
      break;
    case VT_BOOL:
      s.kind = Scalar::Bool;
      s.i = get(v.boolVal, static_cast<VARIANT_BOOL*>(v.byref)) ? -1 : 0;
      break;
    case VT_BSTR: {
      BSTR b = get(v.bstrVal, static_cast<BSTR*>(v.byref));
      s.kind = Scalar::Text;
      s.text.assign(b ? b : u"", b ? SysStringLen(b) : 0);
      break;
    }
    case VT_VARIANT:
      if (!byRef) return std::nullopt;
      return Read(*static_cast<VARIANT*>(v.byref));
    default:
      return std::nullopt;
  }
  return s;
}

std::u16string Widen(const char* narrow) {
  std::u16string out;
  for (; *narrow; ++narrow) out.push_back(static_cast<unsigned char>(*narrow));
  return out;
}

std::u16string Trim(const std::u16string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == u' ' || s[b] == u'\t')) ++b;
  while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t')) --e;
  return s.substr(b, e - b);
}

// A number text: sign, digits, an optional fraction and exponent, blanks around it.
std::optional<double> ParseNumber(const std::u16string& text) {
  const std::u16string t = Trim(text);
  if (t.empty() || t.size() > 400) return std::nullopt;
  std::string narrow;
  for (char16_t c : t) {
    if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'+' || c == u'-' || c == u'e' || c == u'E'))
      return std::nullopt;
    narrow.push_back(static_cast<char>(c));
  }
  char* end = nullptr;
  const double value = std::strtod(narrow.c_str(), &end);
  if (end != narrow.c_str() + narrow.size()) return std::nullopt;
  return value;
}

bool EqualsAsciiI(const std::u16string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t k = 0; k < n; ++k) {
    char16_t c = a[k];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    char d = b[k];
    if (d >= 'a' && d <= 'z') d = static_cast<char>(d - 32);
    if (c != static_cast<unsigned char>(d)) return false;
  }
  return true;
}

// ---- Dates as text --------------------------------------------------------------------

std::u16string FormatDate(double date) {
  SYSTEMTIME t;
  if (!VariantTimeToSystemTime(date, &t)) return std::u16string();
  const bool hasDate = std::trunc(date) != 0;
  const bool hasTime = t.wHour || t.wMinute || t.wSecond;
  char buffer[64];
  std::string out;
  if (hasDate) {
    std::snprintf(buffer, sizeof buffer, "%u/%u/%u", t.wMonth, t.wDay, t.wYear);
    out = buffer;
  }
  if (hasTime || !hasDate) {
    const unsigned hour12 = t.wHour % 12 == 0 ? 12 : t.wHour % 12;
    std::snprintf(buffer, sizeof buffer, "%u:%02u:%02u %s", hour12, t.wMinute, t.wSecond, t.wHour < 12 ? "AM" : "PM");
    if (!out.empty()) out += ' ';
    out += buffer;
  }
  return Widen(out.c_str());
}

struct DateReader {
  const std::u16string& s;
  size_t at = 0;
  void Blanks() {
    while (at < s.size() && (s[at] == u' ' || s[at] == u'\t')) ++at;
  }
  bool Number(unsigned* out, size_t maxDigits = 4) {
    size_t n = 0;
    unsigned value = 0;
    while (at < s.size() && s[at] >= u'0' && s[at] <= u'9' && n < maxDigits) value = value * 10 + (s[at++] - u'0'), ++n;
    *out = value;
    return n > 0;
  }
  bool Char(char16_t c) {
    if (at < s.size() && s[at] == c) return ++at, true;
    return false;
  }
  bool End() {
    Blanks();
    return at == s.size();
  }
};

// "h:mm[:ss][ AM|PM]" at the reader's place.
bool ReadTime(DateReader& r, SYSTEMTIME* t) {
  unsigned h, m, sec = 0;
  if (!r.Number(&h, 2) || !r.Char(u':') || !r.Number(&m, 2)) return false;
  if (r.Char(u':') && !r.Number(&sec, 2)) return false;
  r.Blanks();
  if (r.at + 2 <= r.s.size()) {
    const std::u16string ampm = r.s.substr(r.at, 2);
    if (EqualsAsciiI(ampm, "AM") || EqualsAsciiI(ampm, "PM")) {
      if (h < 1 || h > 12) return false;
      h = h % 12 + (EqualsAsciiI(ampm, "PM") ? 12 : 0);
      r.at += 2;
    }
  }
  if (h > 23 || m > 59 || sec > 59) return false;
  t->wHour = static_cast<WORD>(h), t->wMinute = static_cast<WORD>(m), t->wSecond = static_cast<WORD>(sec);
  return true;
}

std::optional<double> ParseDate(const std::u16string& text) {
  DateReader r{text};
  r.Blanks();
  SYSTEMTIME t{};
  unsigned a, b, c;
  const size_t start = r.at;
  bool haveDate = false;
  if (r.Number(&a) && r.Char(u'/') && r.Number(&b, 2) && r.Char(u'/') && r.Number(&c)) {
    t.wMonth = static_cast<WORD>(a), t.wDay = static_cast<WORD>(b), t.wYear = static_cast<WORD>(c);
    haveDate = true;
  } else {
    r.at = start;
    if (r.Number(&a) && r.Char(u'-') && r.Number(&b, 2) && r.Char(u'-') && r.Number(&c, 2)) {
      t.wYear = static_cast<WORD>(a), t.wMonth = static_cast<WORD>(b), t.wDay = static_cast<WORD>(c);
      haveDate = true;
    } else {
      r.at = start;
    }
  }
  if (haveDate) {
    if (!r.Char(u'T')) r.Blanks();
    if (!r.End() && !ReadTime(r, &t)) return std::nullopt;
    if (!r.End()) return std::nullopt;
    double date;
    SYSTEMTIME back;
    if (!SystemTimeToVariantTime(&t, &date) || !VariantTimeToSystemTime(date, &back) || back.wDay != t.wDay)
      return std::nullopt;
    return date;
  }
  if (!ReadTime(r, &t) || !r.End()) return std::nullopt;
  return (t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond) / 86400.0;
}

// ---- Conversions --------------------------------------------------------------------

// Half to even, as OLE rounds.
double RoundEven(double x) { return std::nearbyint(x); }

std::optional<double> AsReal(const Scalar& s, HRESULT* hr) {
  switch (s.kind) {
    case Scalar::Empty:
      return 0.0;
    case Scalar::Signed:
    case Scalar::Bool:
      return static_cast<double>(s.i);
    case Scalar::Unsigned:
      return static_cast<double>(s.u);
    case Scalar::Real:
    case Scalar::Date:
      return s.r;
    case Scalar::Currency:
      return static_cast<double>(s.i) / 10000.0;
    case Scalar::Text: {
      auto v = ParseNumber(s.text);
      if (!v) *hr = DISP_E_TYPEMISMATCH;
      return v;
    }
    default:
      *hr = DISP_E_TYPEMISMATCH;
      return std::nullopt;
  }
}

// The value as a whole number, checked against [lo, hi]; booleans are cast as OLE casts them.
template <class T>
HRESULT ToInteger(const Scalar& s, T* out) {
  if (s.kind == Scalar::Bool) {
    *out = static_cast<T>(s.i);
    return S_OK;
  }
  using Limits = std::numeric_limits<T>;
  if (s.kind == Scalar::Signed) {
    if constexpr (Limits::is_signed) {
      if (s.i < static_cast<int64_t>(Limits::min()) || s.i > static_cast<int64_t>(Limits::max()))
        return DISP_E_OVERFLOW;
    } else {
      if (s.i < 0 || static_cast<uint64_t>(s.i) > static_cast<uint64_t>(Limits::max())) return DISP_E_OVERFLOW;
    }
    *out = static_cast<T>(s.i);
    return S_OK;
  }
  if (s.kind == Scalar::Unsigned) {
    if (s.u > static_cast<uint64_t>(Limits::max())) return DISP_E_OVERFLOW;
    *out = static_cast<T>(s.u);
    return S_OK;
  }
  HRESULT hr = S_OK;
  auto real = AsReal(s, &hr);
  if (!real) return hr;
  const double rounded = RoundEven(*real);
  if (!(rounded >= static_cast<double>(Limits::min()) && rounded <= static_cast<double>(Limits::max())) ||
      (sizeof(T) == 8 && rounded >= 9223372036854775808.0 * (Limits::is_signed ? 1 : 2)))
    return DISP_E_OVERFLOW;
  *out = static_cast<T>(rounded);
  return S_OK;
}

std::u16string IntegerText(const Scalar& s) {
  char buffer[32];
  if (s.kind == Scalar::Unsigned)
    std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(s.u));
  else
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(s.i));
  return Widen(buffer);
}

std::u16string RealText(double value, int digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
  return Widen(buffer);
}

std::u16string CurrencyText(int64_t cy) {
  char buffer[48];
  const bool negative = cy < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(cy) : static_cast<uint64_t>(cy);
  std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", negative ? "-" : "",
                static_cast<unsigned long long>(magnitude / 10000), static_cast<unsigned long long>(magnitude % 10000));
  std::string text = buffer;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return Widen(text.c_str());
}

HRESULT ToText(const Scalar& s, USHORT flags, std::u16string* out) {
  switch (s.kind) {
    case Scalar::Empty:
      out->clear();
      return S_OK;
    case Scalar::Signed:
    case Scalar::Unsigned:
      *out = IntegerText(s);
      return S_OK;
    case Scalar::Real:
      *out = RealText(s.r, 15);
      return S_OK;
    case Scalar::Currency:
      *out = CurrencyText(s.i);
      return S_OK;
    case Scalar::Date:
      if (!(s.r >= kFirstDate && s.r <= kLastDate)) return DISP_E_OVERFLOW;
      *out = FormatDate(s.r);
      return S_OK;
    case Scalar::Bool:
      if (flags & VARIANT_ALPHABOOL)
        *out = s.i ? u"True" : u"False";
      else
        *out = s.i ? u"-1" : u"0";
      return S_OK;
    case Scalar::Text:
      *out = s.text;
      return S_OK;
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT Convert(const Scalar& s, VARTYPE vt, USHORT flags, VARIANT* out) {
  VariantInit(out);
  out->vt = vt;
  if (s.kind == Scalar::Null) return vt == VT_NULL ? S_OK : DISP_E_TYPEMISMATCH;
  HRESULT hr = S_OK;
  switch (vt) {
    case VT_EMPTY:
      return S_OK;
    case VT_NULL:
      return DISP_E_TYPEMISMATCH;
    case VT_I1:
      return ToInteger(s, &out->cVal);
    case VT_UI1:
      return ToInteger(s, &out->bVal);
    case VT_I2:
      return ToInteger(s, &out->iVal);
    case VT_UI2:
      return ToInteger(s, &out->uiVal);
    case VT_I4:
      return ToInteger(s, &out->lVal);
    case VT_UI4:
      return ToInteger(s, &out->ulVal);
    case VT_INT:
      return ToInteger(s, &out->intVal);
    case VT_UINT:
      return ToInteger(s, &out->uintVal);
    case VT_I8:
      return ToInteger(s, &out->llVal);
    case VT_UI8:
      return ToInteger(s, &out->ullVal);
    case VT_R4: {
      auto v = AsReal(s, &hr);
      if (!v) return hr;
      if (std::isfinite(*v) && std::fabs(*v) > FLT_MAX) return DISP_E_OVERFLOW;
      out->fltVal = static_cast<float>(*v);
      return S_OK;
    }
    case VT_R8: {
      auto v = AsReal(s, &hr);
      if (!v) return hr;
      out->dblVal = *v;
      return S_OK;
    }
    case VT_CY: {
      if (s.kind == Scalar::Currency) {
        out->cyVal.int64 = s.i;
        return S_OK;
      }
      auto v = AsReal(s, &hr);
      if (!v) return hr;
      const double scaled = RoundEven(*v * 10000.0);
      if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0)) return DISP_E_OVERFLOW;
      out->cyVal.int64 = static_cast<int64_t>(scaled);
      return S_OK;
    }
    case VT_DATE: {
      std::optional<double> v;
      if (s.kind == Scalar::Text) {
        v = ParseDate(s.text);
        if (!v) return DISP_E_TYPEMISMATCH;
      } else {
        v = AsReal(s, &hr);
        if (!v) return hr;
      }
      if (!(*v >= kFirstDate && *v <= kLastDate)) return DISP_E_OVERFLOW;
      out->date = *v;
      return S_OK;
    }
    case VT_BOOL: {
      if (s.kind == Scalar::Text) {
        const std::u16string t = Trim(s.text);
        if (EqualsAsciiI(t, "True")) return out->boolVal = VARIANT_TRUE, S_OK;
        if (EqualsAsciiI(t, "False")) return out->boolVal = VARIANT_FALSE, S_OK;
      }
      if (s.kind == Scalar::Signed || s.kind == Scalar::Bool)
        return out->boolVal = s.i ? VARIANT_TRUE : VARIANT_FALSE, S_OK;
      if (s.kind == Scalar::Unsigned) return out->boolVal = s.u ? VARIANT_TRUE : VARIANT_FALSE, S_OK;
      auto v = AsReal(s, &hr);
      if (!v) return hr;
      out->boolVal = *v != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    case VT_BSTR: {
      std::u16string text;
      hr = ToText(s, flags, &text);
      if (FAILED(hr)) return hr;
      out->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      return out->bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    default:
      return DISP_E_BADVARTYPE;
  }
}

}  // namespace

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt) {
  return VariantChangeTypeEx(pvargDest, pvarSrc, 0x0400 /* the user's default locale */, wFlags, vt);
}

HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID, USHORT wFlags, VARTYPE vt) {
  if (!pvargDest || !pvarSrc) return E_INVALIDARG;
  if (vt & (VT_ARRAY | VT_BYREF)) {
    if (vt != pvarSrc->vt) return DISP_E_BADVARTYPE;
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT hr = VariantCopy(&copy, pvarSrc);
    if (FAILED(hr)) return hr;
    VariantClear(pvargDest);
    *pvargDest = copy;
    return S_OK;
  }
  if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
    if ((pvarSrc->vt != VT_UNKNOWN && pvarSrc->vt != VT_DISPATCH)) return DISP_E_TYPEMISMATCH;
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT hr = VariantCopy(&copy, pvarSrc);
    if (FAILED(hr)) return hr;
    copy.vt = vt;
    VariantClear(pvargDest);
    *pvargDest = copy;
    return S_OK;
  }
  std::optional<Scalar> scalar = Read(*pvarSrc);
  if (!scalar) return DISP_E_BADVARTYPE;
  VARIANT result;
  const HRESULT hr = Convert(*scalar, vt, wFlags, &result);
  if (FAILED(hr)) {
    if (result.vt == VT_BSTR) SysFreeString(result.bstrVal);
    return hr;
  }
  VariantClear(pvargDest);  // the source was read already, so it may be the destination
  *pvargDest = result;
  return S_OK;
}

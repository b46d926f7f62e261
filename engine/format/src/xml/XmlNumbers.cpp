// Number, length and flag texts of the shape-format XML.
//
// Two things the plain formulas would get wrong are handled here. Decimal texts do not have
// exact binary values (45.3 * 10 is 452.99999999999994), so truncation and ceiling forgive a
// representation error far below any digit a text carries. And nothing overflows: products
// are taken in 64 bits or in doubles and saturated before they become integers.
#include <plastrum/format/XmlConventions.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include <basalt/string_util.h>

namespace Present::ShapeXml {
namespace {

using Basalt::Util::StringUtil;

constexpr double kInt64Limit = 9.2e18;

// A few units in the last place of x: the error a decimal text picks up on its way to a
// double and through one multiplication, never a digit the text holds.
double Tolerance(double x) { return 8 * std::numeric_limits<double>::epsilon() * std::max(1.0, std::fabs(x)); }

// x truncated toward zero, as the decimal text meant it.
double TruncDecimal(double x) { return x >= 0 ? std::floor(x + Tolerance(x)) : -std::floor(-x + Tolerance(x)); }
double CeilDecimal(double x) { return std::ceil(x - Tolerance(x)); }

int64_t ToInt64(double x) {
  if (std::isnan(x)) return 0;
  return static_cast<int64_t>(std::clamp(x, -kInt64Limit, kInt64Limit));
}

// a * b / c rounded to the nearest integer, halves away from zero (the platform's MulDiv), in
// 64 bits; b and c are small positive constants.
int64_t MulDiv64(int64_t a, int64_t b, int64_t c) {
  const __int128 product = static_cast<__int128>(a) * b;
  const __int128 half = c / 2;
  const __int128 q = product >= 0 ? (product + half) / c : -((-product + half) / c);
  return static_cast<int64_t>(q);
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool Equal(const char16_t* a, const char16_t* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

}  // namespace

void FormatInt(char16_t* out, int64_t value) {
  StringUtil::snprintf_fmt(out, 24, u"%lld", static_cast<long long>(value));
}

int64_t ParseInteger(const char16_t* text) {
  if (!text) return 0;
  const char16_t* p = text;
  while (*p == u' ' || *p == u'\t') ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = *p++ == u'-';
  uint64_t value = 0;
  constexpr uint64_t kLimit = static_cast<uint64_t>(INT64_MAX);
  for (; IsDigit(*p); ++p) {
    value = value * 10 + static_cast<uint64_t>(*p - u'0');
    if (value > kLimit) {
      value = kLimit + (negative ? 1 : 0);
      while (IsDigit(*p)) ++p;
      break;
    }
  }
  return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
}

double ParseReal(const char16_t* text) { return text ? StringUtil::atof_fmt(text) : 0.0; }

void FormatScaled(char16_t* out, int64_t tenths, const char16_t* unit) {
  const int64_t magnitude = tenths < 0 ? -tenths : tenths;
  if (tenths % 10 == 0)
    StringUtil::snprintf_fmt(out, 32, u"%lld%s", static_cast<long long>(tenths / 10), unit);
  else
    // v / 10 with three decimals, made from the integer so that no binary rounding shows.
    StringUtil::snprintf_fmt(out, 32, u"%s%lld.%d00%s", tenths < 0 ? u"-" : u"", static_cast<long long>(magnitude / 10),
                             static_cast<int>(magnitude % 10), unit);
}

int64_t ParseScaled(const char16_t* text) { return ToInt64(TruncDecimal(ParseReal(text) * 10.0)); }

namespace {

// Factors from a unit to hundredths of a point, as exact fractions.
struct UnitFactor {
  const char16_t* unit;
  int64_t numerator;
  int64_t denominator;
};
constexpr UnitFactor kUnitFactors[] = {
    {u"pt", 100, 1},   {u"mm", 283465, 1000}, {u"cm", 283465, 100}, {u"\"", 7200, 1},
    {u"px", 7200, 96}, {u"pi", 1200, 1},      {u"geup", 2400, 34},
};

// The leading number of a length text as an exact decimal: mantissa / 10^decimals. Only
// plain texts ("-3.528") qualify; an exponent, or more digits than the mantissa holds,
// leave `exact` false.
struct DecimalText {
  bool exact = false;
  __int128 mantissa = 0;
  int decimals = 0;  // digits after the point, trailing zeros dropped
};

DecimalText ReadDecimal(const char16_t* p) {
  DecimalText d;
  while (*p == u' ' || *p == u'\t') ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = *p++ == u'-';
  int digits = 0;
  int decimals = 0;
  int lastNonZero = 0;
  bool point = false;
  for (;; ++p) {
    if (*p == u'.' && !point) {
      point = true;
      continue;
    }
    if (!IsDigit(*p)) break;
    if (++digits > 30) return d;
    d.mantissa = d.mantissa * 10 + (*p - u'0');
    if (point) {
      ++decimals;
      if (*p != u'0') lastNonZero = decimals;
    }
  }
  if (*p == u'e' || *p == u'E') return d;
  // Trailing zeros of the fraction say nothing: "3.530" is 3.53.
  for (int i = decimals; i > lastNonZero; --i) d.mantissa /= 10;
  d.decimals = lastNonZero;
  if (negative) d.mantissa = -d.mantissa;
  d.exact = true;
  return d;
}

// mantissa / 10^decimals * numerator / denominator, to the nearest integer (halves away
// from zero), saturated to 32 bits.
int32_t RoundExact(const DecimalText& d, const UnitFactor& f) {
  __int128 scale = f.denominator;
  for (int i = 0; i < d.decimals; ++i) scale *= 10;
  const __int128 product = d.mantissa * f.numerator;
  const __int128 magnitude = ((product < 0 ? -product : product) * 2 + scale) / (scale * 2);
  const __int128 q = product < 0 ? -magnitude : magnitude;
  if (q > INT32_MAX) return INT32_MAX;
  if (q < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(q);
}

// Micrometres as millimetres: whole, "x.y0" or "x.yzw", then "mm".
void FormatMicrometres(char16_t* out, int64_t um) {
  const int64_t magnitude = um < 0 ? -um : um;
  const char16_t* sign = um < 0 ? u"-" : u"";
  const auto whole = static_cast<long long>(magnitude / 1000);
  const int fraction = static_cast<int>(magnitude % 1000);
  if (fraction == 0)
    StringUtil::snprintf_fmt(out, ShapeXmlArchive::kNumberUnits, u"%s%lld%s", sign, whole, u"mm");
  else if (fraction % 100 == 0)
    StringUtil::snprintf_fmt(out, ShapeXmlArchive::kNumberUnits, u"%s%lld.%d0%s", sign, whole, fraction / 100, u"mm");
  else
    StringUtil::snprintf_fmt(out, ShapeXmlArchive::kNumberUnits, u"%s%lld.%03d%s", sign, whole, fraction, u"mm");
}

}  // namespace

void FormatLength(char16_t* out, int64_t v) {
  // Micrometres: 1 pt is 25.4 / 72 mm, so 1/100 pt is 1000 / 283.465 um. One micrometre is
  // finer than the 3.5 um a hundredth of a point spans, so the text names v alone, and a
  // reader that rounds gets v back.
  // Every length field is 32-bit and ParseLength saturates there: a wider value is written
  // as the nearest one that can come back.
  v = Saturate<int32_t>(v);
  const int64_t um = MulDiv64(v, 1000 * 1000, 283465);
  FormatMicrometres(out, um);
  if (ParseLength(out) == v) return;
  // A text whose third decimal is 0 reads by the older rule (ceiling and truncation, kept
  // for the files written before the micrometre digit), which may miss v by one. The
  // neighbouring micrometre on the side of the exact value has a third decimal and still
  // lies within half a hundredth of a point of v.
  const __int128 exact = static_cast<__int128>(v) * 1000 * 1000;
  const __int128 written = static_cast<__int128>(um) * 283465;
  FormatMicrometres(out, exact >= written ? um + 1 : um - 1);
}

const char16_t* FormatLength(ShapeXmlArchive& archive, int64_t v) {
  FormatLength(archive.number, v);
  return archive.number;
}

int32_t ParseLength(const char16_t* text) {
  if (!text) return 0;
  const double a = ParseReal(text);
  if (!std::isfinite(a)) return 0;
  // The unit: what follows the last digit or point of the text.
  const char16_t* unit = text;
  for (const char16_t* p = text; *p; ++p)
    if (IsDigit(*p) || *p == u'.') unit = p + 1;
  size_t unitLength = 0;
  while (unit[unitLength]) ++unitLength;
  if (unitLength > static_cast<size_t>(ShapeXmlArchive::kNumberUnits)) unit = u"pt";

  if (Equal(unit, u"ch")) return Saturate<int32_t>(ToInt64(std::clamp(std::trunc(a), -1e15, 1e15)) * 500);
  const UnitFactor* factor = nullptr;
  for (const UnitFactor& f : kUnitFactors)
    if (Equal(unit, f.unit)) factor = &f;
  if (!factor) return 0;

  // A text with a third significant decimal (micrometres, as FormatLength writes) reads to
  // the nearest hundredth of a point.
  const DecimalText decimal = ReadDecimal(text);
  if (decimal.exact && decimal.decimals > 2) return RoundExact(decimal, *factor);

  // Coarser texts read as they always have: the hundredths of the unit rounded up, then
  // the factor, truncating.
  const int64_t b = ToInt64(CeilDecimal(a * 100.0));
  // b fits easily in 64 bits times the factors below once it is bounded here; anything
  // larger is far outside every length field anyway.
  const int64_t bb = std::clamp<int64_t>(b, -(int64_t(1) << 40), int64_t(1) << 40);
  int64_t result = 0;
  if (Equal(unit, u"pt"))
    result = b;
  else if (Equal(unit, u"cm"))
    result = bb * 283465 / 100 / 100;
  else if (Equal(unit, u"mm"))
    result = bb * 283465 / 1000 / 100;
  else if (Equal(unit, u"\""))
    result = bb * 7200 / 100;
  else if (Equal(unit, u"px"))
    result = MulDiv64(bb, 7200, 96) / 100;
  else if (Equal(unit, u"pi"))
    result = bb * 1200 / 100;
  else if (Equal(unit, u"geup"))
    result = MulDiv64(bb, 2400, 34) / 100;
  return Saturate<int32_t>(result);
}

void FormatFlag(char16_t* out, bool on) {
  out[0] = on ? u'1' : u'0';
  out[1] = 0;
}

bool ParseByte(const char16_t* text, uint8_t* out) {
  if (!text || !*text) return false;
  *out = static_cast<uint8_t>(std::clamp<int64_t>(ParseInteger(text), 0, 255));
  return true;
}

bool ParseWordFlag(const char16_t* text, uint8_t* out) {
  if (!text) return false;
  if (Equal(text, u"true") || Equal(text, u"TRUE") || Equal(text, u"1")) {
    *out = 1;
    return true;
  }
  if (Equal(text, u"false") || Equal(text, u"FALSE") || Equal(text, u"0")) {
    *out = 0;
    return true;
  }
  return false;
}

}  // namespace Present::ShapeXml

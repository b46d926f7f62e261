// Floating conversions of the formatter. Digits are produced from the value itself by
// repeated multiplication and are cut, never rounded: the system's files hold numbers
// written this way, and "2.999" with two places reads back as 2.99 on every machine.
#include <algorithm>
#include <cmath>

#include "text/format_sink.h"

namespace Basalt::Text {

namespace {

// The most significant digits ever produced; places beyond them print as zeros.
constexpr int kMaxDigits = 511;

// Significant digits of a non-negative finite value, and its decimal exponent.
class DecimalDigits {
 public:
  explicit DecimalDigits(double v) : rest_(v) {
    if (v == 0) return;
    while (rest_ >= 10) {
      rest_ /= 10;
      ++exponent_;
    }
    while (rest_ < 1) {
      rest_ *= 10;
      --exponent_;
    }
    // Multiplying a value just below 1 can round up to exactly 10.
    while (rest_ >= 10) {
      rest_ /= 10;
      ++exponent_;
    }
  }

  int exponent() const { return exponent_; }

  // Digit i (0 = first significant); '0' past the produced digits.
  char16_t At(uint64_t i) {
    if (i >= kMaxDigits) return u'0';
    while (produced_ <= static_cast<int>(i)) {
      int d = static_cast<int>(rest_);
      d = std::clamp(d, 0, 9);
      digits_[produced_++] = static_cast<char16_t>(u'0' + d);
      rest_ = (rest_ - d) * 10;
    }
    return digits_[i];
  }

 private:
  double rest_;
  int exponent_ = 0;
  int produced_ = 0;
  char16_t digits_[kMaxDigits];
};

// The converted text without sign or padding: a head held in full, then a run of zeros
// that may be long (large precisions), then the exponent.
class FloatText {
 public:
  void Put(char16_t c) { head_[headLen_++] = c; }
  // Puts digits [from, from + n) of d; those past the produced digits become the zero run.
  void PutDigits(DecimalDigits& d, uint64_t from, uint64_t n) {
    const uint64_t stored = from < kMaxDigits ? std::min<uint64_t>(n, kMaxDigits - from) : 0;
    for (uint64_t i = 0; i < stored; ++i) Put(d.At(from + i));
    zeros_ += n - stored;
  }
  void PutZeros(uint64_t n) {
    // Leading fraction zeros come before any digit and are few (at most 324).
    for (uint64_t i = 0; i < n; ++i) Put(u'0');
  }
  void PutExponent(int x, bool upper) {
    tail_[tailLen_++] = upper ? u'E' : u'e';
    tail_[tailLen_++] = x < 0 ? u'-' : u'+';
    unsigned int a = static_cast<unsigned int>(x < 0 ? -x : x);
    char16_t buf[8];
    int n = 0;
    do {
      buf[n++] = static_cast<char16_t>(u'0' + a % 10);
      a /= 10;
    } while (a);
    if (n < 2) buf[n++] = u'0';
    while (n) tail_[tailLen_++] = buf[--n];
  }

  uint64_t length() const { return headLen_ + zeros_ + tailLen_; }
  void WriteTo(FormatSink& sink) const {
    sink.Put(head_, headLen_);
    sink.Repeat(u'0', zeros_);
    sink.Put(tail_, tailLen_);
  }

 private:
  // "0." + up to 324 leading zeros + kMaxDigits digits fits with room to spare.
  char16_t head_[1024];
  size_t headLen_ = 0;
  uint64_t zeros_ = 0;
  char16_t tail_[16];
  size_t tailLen_ = 0;
};

void ExponentForm(FloatText& text, DecimalDigits& d, uint64_t fraction, bool point, bool upper) {
  text.Put(d.At(0));
  if (fraction > 0 || point) text.Put(u'.');
  text.PutDigits(d, 1, fraction);
  text.PutExponent(d.exponent(), upper);
}

// Fixed form with `fraction` places after the point.
void FixedForm(FloatText& text, DecimalDigits& d, uint64_t fraction, bool point) {
  const int x = d.exponent();
  if (x >= 0) {
    text.PutDigits(d, 0, static_cast<uint64_t>(x) + 1);
    if (fraction > 0 || point) text.Put(u'.');
    text.PutDigits(d, static_cast<uint64_t>(x) + 1, fraction);
    return;
  }
  text.Put(u'0');
  if (fraction > 0 || point) text.Put(u'.');
  const uint64_t leading = std::min<uint64_t>(fraction, static_cast<uint64_t>(-x - 1));
  text.PutZeros(leading);
  text.PutDigits(d, 0, fraction - leading);
}

void Pad(FormatSink& sink, const FormatSpec& spec, char16_t sign, const FloatText& text, bool finite) {
  const uint64_t len = (sign ? 1 : 0) + text.length();
  const uint64_t pad = spec.width > len ? spec.width - len : 0;
  const bool zeroPad = spec.zero && !spec.left && finite;
  if (!spec.left && !zeroPad) sink.Repeat(u' ', pad);
  if (sign) sink.Put(sign);
  if (zeroPad) sink.Repeat(u'0', pad);
  text.WriteTo(sink);
  if (spec.left) sink.Repeat(u' ', pad);
}

}  // namespace

void FormatFloat(FormatSink& sink, const FormatSpec& spec, double value, char16_t conversion) {
  const bool upper = conversion == u'E' || conversion == u'G';
  const bool negative = std::signbit(value) && !(value == 0);
  char16_t sign = negative ? u'-' : spec.plus ? u'+' : spec.space ? u' ' : 0;
  FloatText text;

  // Infinity and NaN would never normalise; they print as words.
  if (!std::isfinite(value)) {
    const char* word = std::isnan(value) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
    if (std::isnan(value)) sign = spec.plus ? u'+' : spec.space ? u' ' : 0;
    for (const char* p = word; *p; ++p) text.Put(static_cast<char16_t>(*p));
    Pad(sink, spec, sign, text, false);
    return;
  }

  uint64_t precision = spec.hasPrecision ? spec.precision : 6;
  DecimalDigits digits(std::fabs(value));
  switch (conversion) {
    case u'e':
    case u'E':
      ExponentForm(text, digits, precision, spec.alternate, upper);
      break;
    case u'f':
      FixedForm(text, digits, precision, spec.alternate);
      break;
    default: {  // 'g', 'G': precision counts significant digits, all of them printed
      if (precision == 0) precision = 1;
      const int64_t x = digits.exponent();
      if (x + 1 < -3 || x + 1 > static_cast<int64_t>(precision))
        ExponentForm(text, digits, precision - 1, spec.alternate, upper);
      else
        FixedForm(text, digits, precision - static_cast<uint64_t>(x + 1), spec.alternate);
      break;
    }
  }
  Pad(sink, spec, sign, text, true);
}

}  // namespace Basalt::Text

// The platform's MulDiv rule, exported for every module that scales coordinates.
#include <basalt/text_encoding.h>

#include <climits>

KX2_EXPORT int _Kx2IntMulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  int64_t product = int64_t{number} * numerator;
  int64_t divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  // Halves round away from zero.
  const int64_t half = divisor / 2;
  const int64_t q = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
  // INT_MIN is refused as well: it is the one result whose negation does not fit.
  if (q > INT_MAX || q <= INT_MIN) return -1;
  return static_cast<int>(q);
}

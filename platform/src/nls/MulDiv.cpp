// MulDiv: Win32's scaling primitive.
#include "win/nls.h"

KX2_EXPORT int MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0) return -1;
  int64_t product = static_cast<int64_t>(nNumber) * nNumerator;
  int64_t divisor = nDenominator;
  if (divisor < 0) product = -product, divisor = -divisor;
  // Round half away from zero on the exact 64-bit product.
  int64_t half = divisor / 2;
  int64_t q = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return static_cast<int>(q);
}

// Coordinate scaling for every module: the platform's MulDiv (64-bit product, rounded to
// the nearest integer with halves away from zero, -1 on overflow or a zero denominator).
#include <basalt/text_encoding.h>
#include <win/nls.h>

KX2_EXPORT int _Kx2IntMulDiv(int number, int numerator, int denominator) {
  return MulDiv(number, numerator, denominator);
}

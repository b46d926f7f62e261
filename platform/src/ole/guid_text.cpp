#include "win/ole.h"

namespace {

void PutHex(LPOLESTR& out, uint64_t value, int digits) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) *out++ = kDigits[(value >> shift) & 0xF];
}

}  // namespace

int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) {
  constexpr int kUnits = 39;  // 38 characters and the terminator
  if (!lpsz || cchMax < kUnits) return 0;
  LPOLESTR out = lpsz;
  *out++ = u'{';
  PutHex(out, rguid.Data1, 8);
  *out++ = u'-';
  PutHex(out, rguid.Data2, 4);
  *out++ = u'-';
  PutHex(out, rguid.Data3, 4);
  *out++ = u'-';
  PutHex(out, rguid.Data4[0], 2);
  PutHex(out, rguid.Data4[1], 2);
  *out++ = u'-';
  for (int i = 2; i < 8; ++i) PutHex(out, rguid.Data4[i], 2);
  *out++ = u'}';
  *out = 0;
  return kUnits;
}

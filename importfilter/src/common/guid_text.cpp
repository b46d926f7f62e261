#include <foliant/common/guid_text.h>

namespace foliant {
namespace {

void AppendHex(std::u16string& out, uint64_t value, int digits) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

}  // namespace

std::u16string GuidRegistryText(const GUID& guid) {
  std::u16string out;
  out.reserve(38);
  out += u'{';
  AppendHex(out, guid.Data1, 8);
  out += u'-';
  AppendHex(out, guid.Data2, 4);
  out += u'-';
  AppendHex(out, guid.Data3, 4);
  out += u'-';
  AppendHex(out, guid.Data4[0], 2);
  AppendHex(out, guid.Data4[1], 2);
  out += u'-';
  for (int i = 2; i < 8; ++i) AppendHex(out, guid.Data4[i], 2);
  out += u'}';
  return out;
}

}  // namespace foliant

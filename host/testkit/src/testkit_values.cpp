#include "testkit_values.h"

#include <cstdio>
#include <new>

namespace vantorel::testkit::detail {

bool CopyValue(Kx2::PropertyValue& dst, const Kx2::PropertyValue& src) {
  Kx2::PropertyValue copy{};
  copy.type = src.type;
  switch (src.type) {
    case Kx2::kValueText:
      if (src.text) {
        copy.text = SysAllocStringLen(src.text, SysStringLen(src.text));
        if (!copy.text) return dst = Kx2::PropertyValue{}, false;
      }
      break;
    case Kx2::kValueBlock16:
      if (src.block) {
        copy.block = new (std::nothrow) Kx2::ValueBlock16(*src.block);
        if (!copy.block) return dst = Kx2::PropertyValue{}, false;
      }
      break;
    case Kx2::kValueUnknown:
    case Kx2::kValueDispatch:
      copy.iface = src.iface;
      if (copy.iface) copy.iface->AddRef();
      break;
    case Kx2::kValueReference:
      copy.owner = src.owner;
      copy.key = (src.owner && src.key) ? src.owner->AddReference(src.key) : src.key;
      break;
    default:
      copy.u64 = src.u64;
      break;
  }
  dst = copy;
  return true;
}

void ClearValue(Kx2::PropertyValue& value) {
  if (!(value.flags & Kx2::kValueNotOwned)) {
    switch (value.type) {
      case Kx2::kValueText:
        SysFreeString(value.text);
        break;
      case Kx2::kValueBlock16:
        delete value.block;
        break;
      case Kx2::kValueUnknown:
      case Kx2::kValueDispatch:
        if (value.iface) value.iface->Release();
        break;
      case Kx2::kValueReference:
        if (value.owner && value.key) value.owner->ReleaseReference(value.key);
        break;
      default:
        break;
    }
  }
  value = Kx2::PropertyValue{};
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

}  // namespace vantorel::testkit::detail

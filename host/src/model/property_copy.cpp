#include "model/property_copy.h"

#include <new>

#include "core/bstr.h"

namespace vantorel::detail {

bool CopyPropertyValue(PropertyValue& dst, const PropertyValue& src) {
  PropertyValue copy{};
  copy.type = src.type;
  switch (src.type) {
    case kPropText:
      if (src.text) {
        copy.text = AllocBstr(std::u16string_view(src.text, BstrLength(src.text)));
        if (!copy.text) return dst = PropertyValue{}, false;
      }
      break;
    case kPropGuid:
      if (src.guid) {
        copy.guid = new (std::nothrow) GUID(*src.guid);
        if (!copy.guid) return dst = PropertyValue{}, false;
      }
      break;
    case kPropUnknown:
    case kPropDispatch:
      copy.iface = src.iface;
      if (copy.iface) copy.iface->AddRef();
      break;
    case kPropKey:
      copy.owner = src.owner;
      copy.key = (src.owner && src.key) ? src.owner->KeyForValue(src.key) : src.key;
      break;
    default:
      copy.u64 = src.u64;
      break;
  }
  dst = copy;
  return true;
}

void ClearOwnedValue(PropertyValue& value) {
  if (!(value.flags & kPropFlagNotOwned)) {
    switch (value.type) {
      case kPropText:
        FreeBstr(value.text);
        break;
      case kPropGuid:
        delete value.guid;
        break;
      case kPropUnknown:
      case kPropDispatch:
        if (value.iface) value.iface->Release();
        break;
      case kPropKey:
        if (value.owner && value.key) value.owner->DropKey(value.key);
        break;
      default:
        break;
    }
  }
  value = PropertyValue{};
}

LONG PropertyInt(const PropertyValue& value) { return (value.type >= 2 && value.type <= 9) ? value.i32 : 0; }

}  // namespace vantorel::detail

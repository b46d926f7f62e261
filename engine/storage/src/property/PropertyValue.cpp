#include <plastrum/PropertyValue.h>

namespace Kx2 {

void PropertyValue::Clear() {
  if (!(flags & kValueNotOwned)) {
    switch (type) {
      case kValueText:
        SysFreeString(text);
        break;
      case kValueBlock16:
        delete block;
        break;
      case kValueUnknown:
      case kValueDispatch:
        if (iface) iface->Release();
        break;
      case kValueReference:
        if (key && owner) owner->ReleaseReference(key);
        break;
      default:
        break;
    }
  }
  type = kValueEmpty;
  flags = 0;
  u64 = 0;
  owner = nullptr;
}

}  // namespace Kx2

#include <foliant/common/guid_text.h>

#include <win/ole.h>

namespace foliant {

std::u16string GuidRegistryText(const GUID& guid) {
  OLECHAR text[39];
  const int units = StringFromGUID2(guid, text, 39);
  return units > 0 ? std::u16string(text, static_cast<size_t>(units - 1)) : std::u16string();
}

}  // namespace foliant

// GUIDs as the importers write them into link targets: registry form with braces and
// upper-case digits, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as StringFromGUID2 writes.
#pragma once

#include <string>

#include <win/types.h>

namespace foliant {

std::u16string GuidRegistryText(const GUID& guid);

}  // namespace foliant

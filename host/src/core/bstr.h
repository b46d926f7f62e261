// System strings (BSTR) as the host hands them out: through the platform's SysAllocString
// family, so that a module frees them with SysFreeString.
#pragma once

#include <string>
#include <string_view>

#include <win/types.h>

namespace vantorel::detail {

BSTR AllocBstr(std::u16string_view text);
void FreeBstr(BSTR text);
// Length in UTF-16 units (the length prefix), 0 for null.
UINT BstrLength(BSTR text);

}  // namespace vantorel::detail

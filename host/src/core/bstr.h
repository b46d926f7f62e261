// System strings (BSTR) as the host hands them out: through the platform's SysAllocString
// family, so that a module frees them with SysFreeString.
#pragma once

#include <string>
#include <string_view>

#include <vantorel/host_export.h>
#include <win/types.h>

namespace vantorel::detail {

VANTOREL_API BSTR AllocBstr(std::u16string_view text);
void FreeBstr(BSTR text);
// Length in UTF-16 units (the length prefix), 0 for null.
VANTOREL_API UINT BstrLength(BSTR text);

}  // namespace vantorel::detail

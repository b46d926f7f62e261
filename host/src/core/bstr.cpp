#include "core/bstr.h"

#include <win/ole.h>

namespace vantorel::detail {

BSTR AllocBstr(std::u16string_view text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

void FreeBstr(BSTR text) { SysFreeString(text); }

UINT BstrLength(BSTR text) { return SysStringLen(text); }

}  // namespace vantorel::detail

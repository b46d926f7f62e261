// Which Korean input method the user has: read once when the bridge starts.
#pragma once

#include "quel_internal.h"

namespace quel {

// The key the probe reads under HKEY_CURRENT_USER for a Windows version code.
QUEL_TEST_API const char16_t* KoreanProbeKey(unsigned versionCode);
// The number of the Korean input method: the value "InputMethod" of the key for this
// system's version, reduced by 100 when 100 or more; 0 when the key or a 4-byte REG_DWORD
// value is missing.
QUEL_TEST_API int ProbeKoreanInputMethod();

}  // namespace quel

// The version the common controls report; callers keep it for the life of the process,
// so it is read once.
#include <cstdlib>
#include <cstring>

#include "kx2/ErrorBoundary.h"
#include "win/errors.h"
#include "win/commctrl.h"

namespace {

struct Version {
  DWORD major = 6;
  DWORD minor = 10;
};

Version ReadVersion() {
  Version v;
  const char* text = std::getenv("KX2_COMCTL_VERSION");
  if (!text || !*text) return v;
  char* end = nullptr;
  const unsigned long major = std::strtoul(text, &end, 10);
  if (end == text || major == 0 || major > 0xFFFF) return v;
  unsigned long minor = 0;
  if (*end == '.') {
    const char* start = end + 1;
    minor = std::strtoul(start, &end, 10);
    if (end == start || minor > 0xFFFF) return v;
  }
  if (*end) return v;  // not a version: keep the default
  v.major = static_cast<DWORD>(major);
  v.minor = static_cast<DWORD>(minor);
  return v;
}

}  // namespace

KX2_EXPORT HRESULT DllGetVersion(DLLVERSIONINFO* pdvi) {
  return kx2::GuardCom([&]() -> HRESULT {
    if (!pdvi || pdvi->cbSize < sizeof(DLLVERSIONINFO)) return E_INVALIDARG;
    static const Version version = ReadVersion();
    pdvi->dwMajorVersion = version.major;
    pdvi->dwMinorVersion = version.minor;
    pdvi->dwBuildNumber = version.major >= 6 ? 9200 : 6200;
    pdvi->dwPlatformID = DLLVER_PLATFORM_NT;
    return S_OK;
  });
}

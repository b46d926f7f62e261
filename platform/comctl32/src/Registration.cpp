// The control classes, registered as global classes once per process: when the library
// loads, and again (harmlessly) when a caller asks.
#include <mutex>

#include "Registration.h"
#include "kx2/ErrorBoundary.h"

namespace comctl {

void RegisterControlClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterProgressClass();
    RegisterTrackbarClass();
    RegisterTabClass();
    RegisterHeaderClass();
    RegisterUpDownClass();
    RegisterStatusBarClass();
    RegisterToolbarClass();
    RegisterMonthCalClass();
    RegisterDateTimeClass();
    RegisterTooltipClass();
    RegisterListViewClass();
    RegisterTreeViewClass();
  });
}

namespace {

// The classes exist as soon as the library does, as the system's do.
struct RegisterAtLoad {
  RegisterAtLoad() {
    kx2::Guard([] { RegisterControlClasses(); });
  }
} registerAtLoad;

}  // namespace

}  // namespace comctl

KX2_EXPORT void InitCommonControls() {
  kx2::Guard([] { comctl::RegisterControlClasses(); });
}

KX2_EXPORT BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
    comctl::RegisterControlClasses();
    return TRUE;
  });
}

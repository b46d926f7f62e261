// The thin input-context exports. Destroying a context goes through here so that the
// open/close procedures never keep a destroyed one.
#include <kx2/ErrorBoundary.h>

#include "classes/class_set.h"
#include "openclose/open_close.h"

namespace {

BOOL DestroyAndForget(HIMC context) {
  if (!ImmDestroyContext(context)) return FALSE;
  quel::ForgetContext(context);
  return TRUE;
}

}  // namespace

QUEL_API BOOL _ExpImRelease(HWND window) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!window || !IsWindow(window) || quel::IsServedWindow(window)) return FALSE;
    HIMC context = ImmGetContext(window);
    const BOOL result = context ? DestroyAndForget(context) : FALSE;
    ImmAssociateContext(window, nullptr);
    return result;
  });
}

QUEL_API BOOL _ExpImDestroyContext(HIMC context) {
  return kx2::Guard(FALSE, [&] { return DestroyAndForget(context); });
}

QUEL_API HIMC _ExpImGetContext(HWND window) {
  return kx2::Guard(HIMC{nullptr}, [&] { return ImmGetContext(window); });
}

QUEL_API BOOL _ExpImReleaseContext(HWND window, HIMC context) {
  return kx2::Guard(FALSE, [&] { return ImmReleaseContext(window, context); });
}

QUEL_API HIMC _ExpImAssociateContext(HWND window, HIMC context) {
  return kx2::Guard(HIMC{nullptr}, [&] { return ImmAssociateContext(window, context); });
}

QUEL_API BOOL _ExpImNotify(HIMC context, DWORD action, DWORD index, DWORD value) {
  return kx2::Guard(FALSE, [&] { return ImmNotifyIME(context, action, index, value); });
}

QUEL_API UINT _ExpImGetVirtualKey(HWND window) {
  return kx2::Guard(0u, [&] { return ImmGetVirtualKey(window); });
}

QUEL_API int _ExpImSystemEnable(HWND window, BOOL enable) { return 0; }

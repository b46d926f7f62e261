// The cross-window request: the bridge asks a served host window for information.
#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>

#include "classes/class_set.h"

QUEL_API int _ExpImRequest(HWND window, UINT code, void* data) {
  return kx2::Guard(0, [&] {
    // The window writes through the address: with none there is nothing to ask.
    if (!data || !quel::IsServedWindow(window)) return 0;
    const WPARAM wParam = ((static_cast<WPARAM>(GetCurrentProcessId()) & 0xFFFF) << 16) | (code & 0xFFFF);
    return SendMessageW(window, QUEL_WM_REQUEST, wParam, reinterpret_cast<LPARAM>(data)) != 0 ? 1 : 0;
  });
}

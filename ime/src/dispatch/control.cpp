// _ExpImControl: the host's one entry. It runs on the bridge's thread only, nests at most
// QUEL_MAX_NESTING host calls, and a shutdown asked for inside a call waits until the
// outermost call returns, so that no call runs over freed state.
#include "dispatch/control.h"

#include <kx2/ErrorBoundary.h>

#include "compose/composition.h"

namespace quel {
namespace {

class Nesting {
 public:
  Nesting() { ++TheBridge().depth; }
  ~Nesting() {
    Bridge& b = TheBridge();
    if (--b.depth == 0 && b.shutdownPending) ShutDownBridge();
  }
  Nesting(const Nesting&) = delete;
  Nesting& operator=(const Nesting&) = delete;
};

LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      return FocusGained(window);
    case WM_KILLFOCUS:
      return FocusLost(window, message, wParam, lParam);
    case WM_ACTIVATEAPP:
      if (wParam == 0) FocusLost(window, message, wParam, lParam);
      return 0;
    case WM_INPUTLANGCHANGE:
      return InputLanguageChange(window, message, wParam, lParam);
    case WM_IME_SETCONTEXT:
      // The host draws the composition: the system never shows its composition window.
      return DefWindowProcW(window, message, wParam, lParam & ~static_cast<LPARAM>(ISC_SHOWUICOMPOSITIONWINDOW));
    case WM_IME_NOTIFY:
      return ImeNotify(window, wParam, lParam);
    case QUEL_WM_RELAY:
      if (window) SendMessageW(window, message, wParam, lParam);
      return 0;
    case QUEL_WM_CONTROL:
      if (wParam > 0xFFFFFFFFu) return 0;
      return ControlRequest(window, static_cast<uint32_t>(wParam >> 16), static_cast<uint32_t>(wParam & 0xFFFF),
                            lParam);
    case QUEL_WM_PRETRANSLATE:
      return Pretranslate(reinterpret_cast<MSG*>(wParam));
    default:
      return 0;
  }
}

}  // namespace

InputHandler CurrentHandler() {
  const tagImeInputState* state = InputState();
  return state ? state->handler : nullptr;
}

}  // namespace quel

using namespace quel;

QUEL_API LRESULT _ExpImControl(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&]() -> LRESULT {
    if (!OnBridgeThread()) return 0;
    Bridge& b = TheBridge();
    if (b.depth >= QUEL_MAX_NESTING) return 0;
    if (!window || !IsWindow(window)) window = b.served;
    Nesting nesting;
    return Dispatch(window, message, wParam, lParam);
  });
}

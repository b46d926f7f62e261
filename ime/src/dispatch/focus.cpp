// Focus: the window gaining it becomes the served window (its visible substitute while the
// language is selected again); the window losing it gets what is still composed.
#include "classes/class_set.h"
#include "compose/composition.h"
#include "dispatch/control.h"
#include "dispatch/languages.h"

namespace quel {
namespace {

// The window itself when visible, else the substitute it names through request 562.
HWND VisibleWindow(HWND window) {
  if (IsWindowVisible(window)) return window;
  HWND substitute = nullptr;
  if (_ExpImRequest(window, QUEL_REQUEST_VISIBLE_WINDOW, &substitute) && substitute && IsWindow(substitute))
    return substitute;
  return window;
}

}  // namespace

int32_t FocusGained(HWND window) {
  Bridge& b = TheBridge();
  if (IsServedWindow(window)) b.served = window;
  const HWND served = b.served;
  b.served = VisibleWindow(window);
  ReselectLanguage();
  // A shutdown or a new focus inside the selection is not undone here.
  if (TheBridge().window) TheBridge().served = served;
  return 0;
}

int32_t FocusLost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Bridge& b = TheBridge();
  const uint32_t language = CurrentLanguage();
  if (language == kSystemMethod) {
    if (!Info().composing) return 0;
    HWND served = b.served;
    HIMC context = served ? ImmGetContext(served) : nullptr;
    if (!context) return 0;
    if (message == WM_ACTIVATEAPP) {
      ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
      ImmReleaseContext(served, context);
      SendComposition(served);
    } else {
      ImmReleaseContext(served, context);
    }
    return 0;
  }
  if (IsCjkCode(language)) {
    if (const tagImeInputState* state = InputState(); state && state->buffers[kResult].length)
      StashString(state->buffers[kResult].text);
    FlushStash(b.served);
    HWND methodWindow = FindWindowW(u"_KX2IMEWINDOWS_", nullptr);
    if (methodWindow) DestroyWindow(methodWindow);
    return 0;
  }
  InputHandler handler = CurrentHandler();
  if (!handler) return 0;
  const int answer = handler(b.served, message, wParam, lParam);
  if (answer & kSendComposition) SendComposition(b.served);
  return answer & kConsumed;
}

}  // namespace quel

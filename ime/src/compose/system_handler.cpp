// The system input-method handler (every language's input handler), and the handling of
// input-language changes and input-method notifications.
#include <algorithm>
#include <cstring>

#include <basalt/base_api.h>
#include <win/nls.h>

#include "compose/composition.h"
#include "dispatch/control.h"
#include "dispatch/languages.h"
#include "openclose/open_close.h"

namespace quel {
namespace {

// A newer system: version code above 4, or the host's legacy flag.
bool NewerSystem() { return _Kx2GetWinVersion() > 4 || Info().legacy; }

bool LayoutAbove(LPARAM layout) { return static_cast<uint64_t>(layout) > 0x1FFFFFFF; }

int HandleMessage(MSG* msg) {
  Bridge& b = TheBridge();
  if (!IsWindowVisible(msg->hwnd)) {
    HWND substitute = nullptr;
    if (_ExpImRequest(msg->hwnd, QUEL_REQUEST_VISIBLE_WINDOW, &substitute) && substitute && IsWindow(substitute))
      msg->hwnd = substitute;
  }
  switch (msg->message) {
    case WM_INPUTLANGCHANGEREQUEST:
    case WM_INPUTLANGCHANGE:
      return static_cast<int>(InputLanguageChange(msg->hwnd, msg->message, msg->wParam, msg->lParam));
    case WM_CHAR:
      return b.compositionActive ? CompleteComposition() : 0;
    case WM_IME_STARTCOMPOSITION:
      b.compositionActive = false;
      ClearBuffer(kComposition);
      return kConsumed;
    case WM_IME_ENDCOMPOSITION: {
      b.compositionActive = false;
      const tagImeInputState* state = InputState();
      if (state && state->buffers[kComposition].length) return kConsumed | kSendComposition;
      ClearBuffer(kComposition);
      return kConsumed;
    }
    case WM_IME_COMPOSITION:
      PlaceImeWindows(msg->hwnd);
      ReadComposition(msg->hwnd, msg->lParam);
      return kConsumed | kSendComposition;
    case WM_IME_SETCONTEXT:
      DefWindowProcW(msg->hwnd, msg->message, msg->wParam,
                     msg->lParam & ~static_cast<LPARAM>(ISC_SHOWUICOMPOSITIONWINDOW));
      return kConsumed;
    case WM_IME_NOTIFY:
      ImeNotify(msg->hwnd, msg->wParam, msg->lParam);
      return kConsumed;
    case WM_IME_CHAR: {
      b.compositionActive = false;
      tagImeInputState* state = InputState();
      if (!state) return 0;
      tagImeCompBuffer& result = state->buffers[kResult];
      const size_t count = std::clamp<size_t>(static_cast<size_t>(msg->lParam & 0xFFFF), 1, kMaxCharacters);
      std::memset(&result, 0, sizeof result);
      for (size_t i = 0; i < count; ++i) result.text[i] = static_cast<uint16_t>(msg->wParam);
      result.length = static_cast<uint16_t>(count);
      return kConsumed | kSendComposition;
    }
    default:
      return 0;
  }
}

}  // namespace

int SystemHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KILLFOCUS:  // message 8: end the composition
      return CompleteComposition();
    case QUEL_WM_CONTROL:
      return (wParam >> 16) == 0x0009 ? CompleteComposition() : 0;
    case QUEL_WM_PRETRANSLATE:
      return wParam ? HandleMessage(reinterpret_cast<MSG*>(wParam)) : 0;
    default:
      return 0;
  }
}

LRESULT InputLanguageChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Bridge& b = TheBridge();
  tagImeSystemInfo& info = Info();
  const uint32_t language = CurrentLanguage();
  if (message == WM_INPUTLANGCHANGEREQUEST) {
    char16_t text[16] = {};
    UINT page = 0;
    // A failed read keeps the active code page.
    if (Basalt::Util::BaseAPI::_GetLocaleInfo(static_cast<LCID>(lParam & 0xFFFF), LOCALE_IDEFAULTANSICODEPAGE, text,
                                              16) &&
        (text[15] = 0, ParseCodePage(text, &page)))
      info.activeCodePage = page;
    info.languageChanged = 1;
    if (NewerSystem()) b.pendingLanguageChange = true;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  const WPARAM charset = wParam;
  const unsigned version = _Kx2GetWinVersion();
  if (LayoutAbove(lParam)) info.keyboardLayout = reinterpret_cast<HKL>(lParam);
  if (language == kSystemMethod) info.languageChanged = 1;
  if (charset == 128 || charset == 134 || charset == 136 || (version == 4 && LayoutAbove(lParam))) {
    if (b.pendingLanguageChange || language != kSystemMethod) {
      info.openStatus = 1;
      if (charset == 128) {
        HIMC context = ImmGetContext(window);
        info.openStatus = context && ImmGetOpenStatus(context) ? 1 : 0;
        if (context) ImmReleaseContext(window, context);
      }
    }
    b.pendingLanguageChange = false;
    return 1;
  }
  if (charset != 129 &&
      ((charset != 0 && (version != 4 || LayoutAbove(lParam) || info.legacy)) || language == kEnglish)) {
    b.pendingLanguageChange = false;
    return 0;
  }
  info.openStatus = 0;
  b.pendingLanguageChange = false;
  return 1;
}

LRESULT ImeNotify(HWND window, WPARAM wParam, LPARAM lParam) {
  tagImeSystemInfo& info = Info();
  switch (wParam) {
    case IMN_SETCONVERSIONMODE:
      if (CurrentLanguage() != kSystemMethod && !OpenCloseBusy() && info.languageChanged) {
        SelectLanguage(kSystemMethod);
        info.languageChanged = 0;
      }
      return DefWindowProcW(window, WM_IME_NOTIFY, wParam, lParam);
    case IMN_SETOPENSTATUS: {
      info.composing = 0;
      if (HIMC context = ImmGetContext(window)) {
        if (ImmGetOpenStatus(context)) {
          info.openStatus = 1;
          if (!OpenCloseBusy() && info.languageChanged) {
            SelectLanguage(kSystemMethod);
            info.languageChanged = 0;
          }
        } else {
          info.openStatus = 0;
        }
        ImmReleaseContext(window, context);
      }
      return DefWindowProcW(window, WM_IME_NOTIFY, wParam, lParam);
    }
    case IMN_SETCOMPOSITIONWINDOW:
      return 1;
    case IMN_PRIVATE:
      return 0;
    default:
      return DefWindowProcW(window, WM_IME_NOTIFY, wParam, lParam);
  }
}

}  // namespace quel

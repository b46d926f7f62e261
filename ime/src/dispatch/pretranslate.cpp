// Key pre-translation (QUEL_WM_PRETRANSLATE): the Hangul and Hanja keys the bridge takes
// itself, then the message to the input handler.
#include <basalt/base_api.h>

#include "compose/composition.h"
#include "dispatch/control.h"
#include "dispatch/languages.h"

namespace quel {
namespace {

// The Hangul key switches Korean and English; the Hanja key ends the composition and tells
// the host. True when the key was taken.
bool KeyRule(const MSG& msg) {
  Bridge& b = TheBridge();
  if (b.disabled) return false;
  const uint32_t language = CurrentLanguage();
  switch (msg.wParam) {
    case VK_HANGUL: {
      if (language == kSystemMethod && Info().activeCodePage == 932) return false;
      const uint32_t scan = (static_cast<uint32_t>(msg.lParam) >> 16) & 0xFF;
      if ((scan != 0xF2 && scan != 0x38) || language == kSystemMethod) return false;
      const uint32_t target = language == kKorean ? kEnglish : kKorean;
      uint32_t word = target | (kDefaultMode << 16);
      const tagImeLangSet& set = LanguageSet();
      for (int i = 0; i < 4; ++i) {
        if ((static_cast<uint32_t>(set.values[i]) & 0xFFFF) == target) {
          word = static_cast<uint32_t>(set.values[i]);
          break;
        }
      }
      EndComposition(b.served);
      SelectLanguage(static_cast<LPARAM>(word));
      ApplyMode(b.served, (word >> 16) & 0xFF);
      if (tagImeInputState* state = InputState()) state->languageWord = word;
      return true;
    }
    case VK_HANJA:
      if (language == kSystemMethod) return false;
      EndComposition(b.served);
      if (b.served) SendMessageW(b.served, QUEL_WM_RELAY, 0x62000, 0);
      return true;
    default:
      return false;
  }
}

bool IsMouseDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

}  // namespace

int32_t Pretranslate(MSG* msg) {
  if (!msg) return 0;
  if (GetKeyState(VK_MENU) < 0 && msg->wParam == 0xC0) return 0;
  const uint32_t language = CurrentLanguage();
  if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
    const unsigned version = _Kx2GetWinVersion();
    const bool skip = (version == 9 || version == 8 || version == 2) && language == kSystemMethod;
    if (!skip && KeyRule(*msg)) {
      ClearAllBuffers();
      ClearStash();
      return 1;
    }
  }
  InputHandler handler = language == kSystemMethod ? &SystemHandler : CurrentHandler();
  if (!handler || !InputState()) return 0;
  const int answer =
      handler(msg->hwnd, QUEL_WM_PRETRANSLATE, reinterpret_cast<WPARAM>(msg), static_cast<LPARAM>(LanguageWord()));
  if (answer & kSendComposition) SendComposition(IsMouseDown(msg->message) ? GetFocus() : msg->hwnd);
  return answer & kConsumed;
}

}  // namespace quel

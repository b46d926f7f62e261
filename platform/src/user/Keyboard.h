// Private: what the window core, the input-method manager and the key tables share.
#pragma once

#include <cstdint>

#include "win/user.h"

namespace kx2::user {

// One installed layout.
struct LayoutInfo {
  DWORD id;      // the HKL value
  BYTE charset;  // WM_INPUTLANGCHANGE's wParam
  bool ime;      // carries the scripted input method
};
// The layout's entry, null for an unknown one.
const LayoutInfo* FindLayout(HKL hkl);
// The calling thread's layout.
HKL CurrentLayout();
bool CurrentLayoutIsIme();
// Primary language of a layout (LANG_JAPANESE ...).
WORD LayoutLanguage(HKL hkl);

// US scan code set 1 of a key (navigation keys: the keypad's), 0 for none.
UINT ScanOfKey(UINT vk);
// Whether the key's US scan code comes with the extended flag.
bool KeyIsExtended(UINT vk);

// Queues a key for the foreground thread. scan 0: the key's own scan code. methodTag
// names the scripted input-method action the key carries (0: none).
void InjectKeyEvent(UINT vk, UINT scan, bool extended, bool down, uint64_t methodTag);

}  // namespace kx2::user

// The input-method manager's side of key handling (platform/src/imm/).
namespace kx2::imm {
// At retrieval: whether the method takes this key-down for the window (it is then queued
// as VK_PROCESSKEY); remembers the original key for ImmGetVirtualKey.
bool TakesKey(HWND target, UINT vk, uint64_t methodTag);
// TranslateMessage of a VK_PROCESSKEY key-down, and of the Hangul and Hanja keys: hands the
// key to the method. Returns whether the method handled it.
bool TranslateKey(const MSG& msg);
// Focus moves: WM_IME_SETCONTEXT to the window losing it (0) and gaining it (1).
void SetContextOnFocus(HWND window, bool gaining);
}  // namespace kx2::imm

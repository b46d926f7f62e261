// Private: the dispatcher's operations, which its parts and the system handler call
// directly (the host reaches them through _ExpImControl).
#pragma once

#include <cstdint>

#include "bridge/bridge_state.h"

namespace quel {

// A control request (QUEL_WM_CONTROL) with its sub-code, operation and value.
LRESULT ControlRequest(HWND window, uint32_t subCode, uint32_t operation, LPARAM value);

// Sub-code 0x0004 operation 0x0008: selects language v (with its mode applied); 1 after a
// selection, else 0.
int32_t SelectLanguage(LPARAM value);
// Sub-code 0x0001 operation 0x0040: selects the current language again.
void ReselectLanguage();
// Sub-code 0x0001 operation 0x0800: the current handler ends the composition; the handler's
// answer (the composition sent to the window when it asks).
int32_t EndComposition(HWND window);
// Sub-code 0x0007 operation 0x0008: opens (mode 32) or closes the input method of the focus
// window, then the handler's answer.
int32_t ApplyMode(HWND window, LPARAM mode);
// The current input handler (null without state or for a language without one).
InputHandler CurrentHandler();

// Focus gained (WM_SETFOCUS) and lost (WM_KILLFOCUS, WM_ACTIVATEAPP with wParam 0).
int32_t FocusGained(HWND window);
int32_t FocusLost(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// QUEL_WM_PRETRANSLATE for the host's message.
int32_t Pretranslate(MSG* msg);

// The stash: the string at value (at most 319 characters); copied out (320 units at most);
// sent as a result to a window when present, then it and the buffers are cleared.
void StashString(const uint16_t* text);
int32_t CopyStash(uint16_t* out);
void ClearStash();
int32_t FlushStash(HWND window);

// The bridge's own (the system handler) for every language.
int SystemHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quel

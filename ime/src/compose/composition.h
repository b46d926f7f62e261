// Private: the composition store, the notifications to the host, and the system handler's
// handling of language changes and input-method notifications.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bridge/bridge_state.h"

namespace quel {

// Completes the composition of the served window: 2, or 1 when it has no input context.
int CompleteComposition();
// WM_IME_COMPOSITION's flags read from the window's input context into the buffers.
void ReadComposition(HWND window, LPARAM flags);
// Asks the window for its caret and places the input method's windows below it.
void PlaceImeWindows(HWND window);
// Sends the buffered result, then the composition, to the window; the last send's answer
// (0 clears every buffer).
int32_t SendComposition(HWND window);
// Sends text as a result record (the stash); the host's answer.
int32_t SendResultText(HWND window, const uint16_t* text, size_t length);

// WM_INPUTLANGCHANGEREQUEST and WM_INPUTLANGCHANGE.
LRESULT InputLanguageChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_IME_NOTIFY.
LRESULT ImeNotify(HWND window, WPARAM wParam, LPARAM lParam);

// The record flags for the current language and active code page.
uint16_t NonCjkFlag();
uint16_t KoreanStyleFlag();

}  // namespace quel

// DefWindowProcW's input-method and layout messages.
#pragma once

#include "win/user.h"

namespace kx2::user32 {
// Whether the message is one of them; then *result is DefWindowProcW's answer.
bool DefaultImeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
}  // namespace kx2::user32

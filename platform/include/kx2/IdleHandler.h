// A thread about to block for messages (GetMessageW, WaitMessage, or a modal loop of the
// system: menu tracking, caption buttons, scroll drags, modal dialogs) first runs its idle
// handler, so that one test thread can drive a modal loop with scripted input and clock
// steps. The loop looks for messages again after the handler returns and blocks only when
// there is still nothing to do.
#pragma once

#include "win/types.h"

// context is passed back; returning FALSE removes the handler.
typedef BOOL (*Kx2IdleHandler)(void* context);
// For the calling thread; null removes it. Returns the previous handler.
KX2_EXPORT Kx2IdleHandler Kx2SetIdleHandler(Kx2IdleHandler handler, void* context);
// What a modal loop outside the window core calls before it would block: runs the
// handler, if any. Returns whether one ran.
KX2_EXPORT BOOL Kx2RunIdleHandler();

// Windows alive in the process (the desktop not counted), for tests that end with the
// count they began with.
KX2_EXPORT UINT Kx2LiveWindowCount();

// The platform clock behind GetTickCount, GetTickCount64, message times and timers.
//
// It runs from CLOCK_MONOTONIC unless a test switches it to manual mode, in which it
// stands still until Kx2ClockAdvance moves it. Listeners (the timer service) are told
// after every manual advance so that due timers can fire without real waiting.
#pragma once

#include "win/types.h"

// manual != 0: freeze the clock at startMs (milliseconds); manual == 0: back to real time.
KX2_EXPORT void Kx2ClockSetManual(BOOL manual, ULONGLONG startMs);
// Moves a manual clock forward; ignored while the clock runs in real time.
KX2_EXPORT void Kx2ClockAdvance(ULONGLONG ms);
// The current reading in milliseconds.
KX2_EXPORT ULONGLONG Kx2ClockNow();
KX2_EXPORT BOOL Kx2ClockIsManual();

typedef void (*Kx2ClockListener)(ULONGLONG nowMs, void* context);
KX2_EXPORT void Kx2ClockAddListener(Kx2ClockListener listener, void* context);
KX2_EXPORT void Kx2ClockRemoveListener(Kx2ClockListener listener, void* context);

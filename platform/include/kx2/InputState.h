// Injected input and the per-thread input state, for tests and tools.
//
// Mouse input goes to the capture holder, else to the window under the point: when the
// thread owning that window retrieves the event, WM_NCHITTEST picks client or non-client
// message, WM_SETCURSOR follows, a press on an inactive top-level window asks
// WM_MOUSEACTIVATE and activates it, and the message goes out in client coordinates
// (non-client messages carry the hit code and screen coordinates). A second press within
// the double-click time (platform clock) and SM_CXDOUBLECLK x SM_CYDOUBLECLK of the first,
// on the same window and button, is a double click when the class has CS_DBLCLKS (always,
// for non-client presses). Keys go to the focus window of the foreground window's thread
// (the active window when nothing has focus); with Alt down they are WM_SYSKEY messages.
//
// Injection returns at once; the events wait in the target thread's queue.
#pragma once

#include "win/types.h"

// Screen coordinates.
KX2_EXPORT void Kx2InjectMouseMove(LONG x, LONG y);
// button: VK_LBUTTON, VK_RBUTTON or VK_MBUTTON; at the current cursor position.
KX2_EXPORT void Kx2InjectMouseButton(UINT button, BOOL down);
// Move, press and release.
KX2_EXPORT void Kx2InjectClick(LONG x, LONG y, UINT button);
// delta in WHEEL_DELTA units (120 a notch).
KX2_EXPORT void Kx2InjectMouseWheel(int delta);
KX2_EXPORT void Kx2InjectKey(UINT vk, BOOL down);
// Press and release, with Shift around it when asked.
KX2_EXPORT void Kx2InjectKeyStroke(UINT vk);

// The thread's key state table as GetKeyState reads it (for tests that set modifiers
// without injecting): bit 7 down, bit 0 toggled.
KX2_EXPORT void Kx2SetThreadKeyState(UINT vk, BYTE state);
// The time GetMessageTime reports until the thread retrieves its next message (for code
// called directly, as a message handler would be).
KX2_EXPORT void Kx2SetMessageTime(LONG time);
// Forgets injected input not yet retrieved, the asynchronous key states, capture,
// tracking and the double-click memory (between tests).
KX2_EXPORT void Kx2ResetInput();
// A key with the scan code it reports (0: the key's own) and its extended flag: the
// Hangul key as scan 0xF2 or as right Alt (0x38, extended).
KX2_EXPORT void Kx2InjectKeyScan(UINT vk, UINT scan, BOOL extended, BOOL down);

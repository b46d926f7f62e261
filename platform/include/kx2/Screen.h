// The one screen description: monitors from KX2_MONITORS ("WxH+X+Y", comma-separated, the
// first primary; default 1280x1024+0+0), depth from KX2_SCREEN_BPP (default 32), 96 DPI.
// GetDC(nullptr), GetDeviceCaps and the monitor functions all read it.
#pragma once

#include "win/types.h"

#define KX2_SCREEN_DPI 96

// Number of monitors; fills up to `capacity` rectangles (virtual-screen coordinates).
KX2_EXPORT int Kx2ScreenMonitors(RECT* monitors, int capacity);
// The union of every monitor.
KX2_EXPORT RECT Kx2ScreenVirtualRect();
// The primary monitor.
KX2_EXPORT RECT Kx2ScreenPrimaryRect();
KX2_EXPORT int Kx2ScreenBitsPerPixel();

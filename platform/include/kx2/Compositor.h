// Pictures of windows as a person would see them: a top-level window with its frame and
// children (transparent outside its window region), or a screen rectangle composing the
// visible top-level windows in z-order. Windows of the calling thread are brought up to
// date first. Captures are ARGB32 Cairo image surfaces the caller destroys.
#pragma once

#include "win/types.h"

typedef struct _cairo_surface cairo_surface_t;

KX2_EXPORT cairo_surface_t* Kx2CaptureWindow(HWND hWnd);
// `rect` in screen coordinates; null: the virtual screen.
KX2_EXPORT cairo_surface_t* Kx2CaptureScreen(const RECT* rect);
// Writes a capture as PNG (with its transparency) through the platform's PNG writer.
KX2_EXPORT BOOL Kx2WriteCapturePng(cairo_surface_t* capture, LPCWSTR path);

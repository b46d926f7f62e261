// The drawing side's one door for the outside libraries and tests: the Cairo surface
// behind a DC or bitmap, DCs over any Cairo surface, PNG pictures of DCs and bitmaps, a
// journal of text and blit calls, and live GDI object counts.
#pragma once

#include "win/gdi.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo_matrix cairo_matrix_t;

// The surface a DC draws on (its bitmap's pixels or the outside surface it was made
// over), not referenced for the caller; null for a bad handle. Luminar draws on it as on
// an opaque picture.
KX2_EXPORT cairo_surface_t* Kx2GdiGetSurface(HDC hdc);
// After drawing on that surface with Cairo: Cairo's work is flushed into the pixels and a
// DIB section's bits are written back in the caller's format.
KX2_EXPORT BOOL Kx2GdiSurfaceDone(HDC hdc);
// The DC's logical-to-device transform (map mode, origins and extents).
KX2_EXPORT BOOL Kx2GdiGetTransform(HDC hdc, cairo_matrix_t* matrix);
// A bitmap's pixels as a Cairo image surface (RGB24 over the bitmap's own pixels).
KX2_EXPORT cairo_surface_t* Kx2GdiGetBitmapSurface(HBITMAP bitmap);
// A DC over an outside surface (image, recording, SVG ...): it holds a reference until
// DeleteDC. Blits and text onto a surface that is not an image are drawn by Cairo.
KX2_EXPORT HDC Kx2GdiCreateDcForSurface(cairo_surface_t* surface);
// The resolution GetDeviceCaps(LOGPIXELSX/Y) reports for a DC (96 by default).
KX2_EXPORT BOOL Kx2GdiSetResolution(HDC hdc, int dpiX, int dpiY);
// Writes the DC's surface or the bitmap as an opaque PNG (through the platform's one PNG
// writer, kx2/ImageCodec.h).
KX2_EXPORT BOOL Kx2GdiWriteDcPng(HDC hdc, LPCWSTR path);
KX2_EXPORT BOOL Kx2GdiWriteBitmapPng(HBITMAP bitmap, LPCWSTR path);

// The call journal: while on, every ExtTextOutW and blit appends one line
// ("ExtTextOutW x,y "text"", "BitBlt dx,dy wxh from sx,sy rop 00CC0020" ...).
KX2_EXPORT void Kx2GdiJournalEnable(BOOL on);
KX2_EXPORT void Kx2GdiJournalClear();
// Copies the journal (lines ended by '\n', UTF-8) into buffer; returns the length needed.
KX2_EXPORT size_t Kx2GdiJournalRead(char* buffer, size_t size);

// Live objects of one OBJ_* kind (pens, brushes, fonts, bitmaps, regions, DCs).
KX2_EXPORT LONG Kx2GdiLiveObjects(DWORD type);

// The bitmap routines of the image manager: loading bitmaps from files and resources
// (PNG, BMP, any picture the platform reads), 32-bit DIB work (premultiplied alpha,
// copies, mirroring), blending and colour-key drawing with their fallbacks, and frames.
#pragma once

#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/export.h"

// A file: PNG by its signature (alpha when it had 4 channels), a BMP (alpha at 32 bits
// per pixel), else any picture the platform reads, rendered over the button face at the
// picture's size. Null when nothing loads.
ORNATEX_API HBITMAP LoadBitmapFromFile(LPCWSTR path, BOOL* alpha);
// A "PNG" resource with the PNG signature, else the RT_BITMAP resource: at 32 bits per
// pixel its pixels in a new DIB section (alpha), other depths as a bitmap.
ORNATEX_API HBITMAP LoadBitmapFromResource(HINSTANCE instance, LPCWSTR name, BOOL* alpha);
// As above, reading the RT_BITMAP resource's own layout: below 24 bits through its
// colour table, 24 and 32 bits copied into a DIB section (alpha at 32).
ORNATEX_API HBITMAP LoadBitmapResourceRaw(HINSTANCE instance, LPCWSTR name, BOOL* alpha);

// A BI_RGB 32-bit bottom-up DIB section and its pixels.
ORNATEX_API HBITMAP Create32BitDIB(HDC dc, int width, int height, void** bits);
// A premultiplied copy of a 32-bit bitmap (null for other depths). With `answer`: 1 when
// a pixel uses alpha (alpha 1 to 254; 255 after a pixel of alpha 0; any alpha above 0
// when *answer started at -1), else 0, and then the copy keeps the unmultiplied pixels.
ORNATEX_API HBITMAP PremultiplyAlpha(HBITMAP bitmap, int* answer);
// A new DIB section with the same 32-bit pixels; with every row reversed.
ORNATEX_API HBITMAP CopyDIB(HBITMAP bitmap);
ORNATEX_API HBITMAP MirrorDIB(HBITMAP bitmap);
// The icon's size from its mask (halved for a monochrome icon); 32 x 32 when unreadable.
ORNATEX_API SIZE IconSize(HICON icon);

// A premultiplied 32-bit bitmap with per-pixel alpha at x, y, width x height; the source
// rectangle defaults to that size. The system AlphaBlend, or ManualAlphaBlend where it is
// missing or cannot serve.
ORNATEX_API BOOL AlphaDraw(HDC dc, HBITMAP bitmap, int x, int y, int width, int height, const RECT* source = nullptr);
// The colour-keyed copy: TransparentBlt on Windows 2000 and later when present, else
// MaskBlit.
ORNATEX_API BOOL TransparentDraw(HDC dc, const RECT& destination, HDC source, const RECT& sourceRect, COLORREF key);
// Four bands of the thickness along the inside of the rectangle.
ORNATEX_API void FillFrame(HDC dc, const RECT& rect, int thickness, COLORREF color);
ORNATEX_API void FillFrame(HDC dc, const RECT& rect, int thickness, HBRUSH brush);

// The blending fallbacks: the source's premultiplied pixels over the destination
// (channel = source + destination x (255 - source alpha) / 255); the colour-key copy
// through a one-bit mask.
ORNATEX_API BOOL ManualAlphaBlend(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy,
                                  int sw, int sh);
ORNATEX_API BOOL MaskBlit(HDC destination, const RECT& destinationRect, HDC source, const RECT& sourceRect,
                          COLORREF key);

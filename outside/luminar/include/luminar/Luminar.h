// Luminar: the rendering library under the engine. Plain C entry points over opaque,
// reference-counted handles of six kinds (render, pen, brush, image, path, region).
//
// Our inner choices (the callers fix only the names and arguments):
// - A Get call makes an empty handle holding one reference; a create or load call fills it
//   (filling again replaces the content). A null or empty handle, or one of another kind,
//   makes a call fail: drawing calls answer a status, the others false.
// - Statuses: 0 done, 2 bad argument (empty handle, fewer than 2 points, a width, size or
//   coordinate that is not finite), 3 out of memory, 21 no target.
// - Colours are ARGB (alpha in the top byte). Coordinates are float device pixels.
// - Pens: width 0 draws a one-pixel hairline. Dash 0-8 (Solid, RoundDot, SquareDot, Dash,
//   DashDot, DashDotDot, LongDash, LongDashDot, LongDashDotDot) are patterns in multiples
//   of the width: dot 1 on 1 off, dash 4 on 3 off, long dash 8 on 3 off (RoundDot draws
//   its dots with round caps). Caps 0 flat, 1 round, 2 square; joins 0 round, 1 bevel,
//   2 miter. Compound 0-4 (Simple, Double, ThickThin, ThinThick, Triple) splits the width
//   into bands (1/3 each for Double, 1/6,1/6,1/2 ... see Stroke.cpp) each stroked along its
//   own offset of the flattened path. Values beyond their ranges draw as 0.
// - Arrows: type 0-5 (None, Arrow, Open, Stealth, Diamond, Oval) by size 0-8 (width
//   factor 2/3/5 by length factor 2/3/5, times the pen width, at least 3 pixels); the
//   line ends inside the head so its cap never pokes out of the tip.
// - Hatch styles are the format's 53 hatch styles drawn as our 8x8 tiles (Hatch.cpp).
// - Path gradients are Cairo mesh patterns: a fan of patches from the centre to each pair
//   of neighbouring boundary points; preset-blend position 0 is the boundary, 1 the centre.
// - Images: bitmaps are premultiplied ARGB Cairo surfaces with a resolution (96 when the
//   file gives none); metafiles are Cairo recording surfaces with their bounds.
// - Blur: separable Gaussian with sigma = radius / 2, kernel cut at 3 sigma.
// - Recolour formulas: see Recolor.cpp's head comment.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win/gdi.h"
#include "win/types.h"

#define LUMINAR_API extern "C" __attribute__((visibility("default")))

typedef struct LuminarObject* NativeHandle;
typedef NativeHandle NativeRender;
typedef NativeHandle NativePen;
typedef NativeHandle NativeBrush;
typedef NativeHandle NativeImage;
typedef NativeHandle NativePath;
typedef NativeHandle NativeRegion;

struct NativePointF {
  float x;
  float y;
};

struct NativeRectF {
  float x;
  float y;
  float width;
  float height;
};

// What the recolour calls read: the picture's brightness and contrast (-1..1), an alpha
// (255 opaque) and the colour of Colorify.
struct NativeRecolorRecord {
  BYTE mode;
  float brightness;
  float contrast;
  BYTE alpha;
  DWORD color;
  LONG width;
  LONG height;
};

enum NativeStatus : LONG {
  kNativeOk = 0,
  kNativeBadArgument = 2,
  kNativeOutOfMemory = 3,
  kNativeNoTarget = 21,
};

// Handles.
LUMINAR_API NativeRender GetNativeRender();
LUMINAR_API NativePen GetNativePen();
LUMINAR_API NativeBrush GetNativeBrush();
LUMINAR_API NativeImage GetNativeImage();
LUMINAR_API NativePath GetNativePath();
LUMINAR_API NativeRegion GetNativeRegion();
LUMINAR_API LONG NativeAddRef(NativeHandle handle);
LUMINAR_API LONG ReleaseNativeRender(NativeRender handle);
LUMINAR_API LONG ReleaseNativePen(NativePen handle);
LUMINAR_API LONG ReleaseNativeBrush(NativeBrush handle);
LUMINAR_API LONG ReleaseNativeImage(NativeImage handle);
LUMINAR_API LONG ReleaseNativePath(NativePath handle);
LUMINAR_API LONG ReleaseNativeRegion(NativeRegion handle);

// Render targets.
LUMINAR_API BOOL NativeCreateRenderDC(NativeRender render, HDC hdc);
LUMINAR_API BOOL NativeCreateRenderDevice(NativeRender render, HDC hdc, HANDLE device);
LUMINAR_API BOOL NativeCreateRenderImage(NativeRender render, NativeImage image);
LUMINAR_API BOOL NativeDestroyRender(NativeRender render);
LUMINAR_API BOOL NativeIsValid(NativeRender render);
LUMINAR_API float NativeRenderGetDpiX(NativeRender render);
LUMINAR_API float NativeRenderGetDpiY(NativeRender render);
LUMINAR_API LONG NativeRenderSetSmoothingMode(NativeRender render, LONG mode);
LUMINAR_API LONG NativeRenderSetZoom(NativeRender render, float zx, float zy);
LUMINAR_API LONG NativeRenderSetRegion(NativeRender render, NativeRegion region);
LUMINAR_API LONG NativeRenderResetRegion(NativeRender render);
LUMINAR_API HDC NativeRenderGetHPDC(NativeRender render);
LUMINAR_API LONG NativeRenderReleaseHPDC(NativeRender render, HDC hdc);

// Drawing.
LUMINAR_API LONG NativeRenderDrawLine(NativeRender render, NativePen pen, float x1, float y1, float x2, float y2);
LUMINAR_API LONG NativeRenderDrawLines(NativeRender render, NativePen pen, const NativePointF* points, LONG count);
LUMINAR_API LONG NativeRenderDrawPolygon(NativeRender render, NativePen pen, const NativePointF* points, LONG count);
LUMINAR_API LONG NativeRenderFillPolygon(NativeRender render, NativeBrush brush, const NativePointF* points, LONG count,
                                         LONG fillMode);
LUMINAR_API LONG NativeRenderDrawRectangle(NativeRender render, NativePen pen, float x, float y, float w, float h);
LUMINAR_API LONG NativeRenderFillRectangle(NativeRender render, NativeBrush brush, float x, float y, float w, float h);
LUMINAR_API LONG NativeRenderDrawEllipse(NativeRender render, NativePen pen, float x, float y, float w, float h);
LUMINAR_API LONG NativeRenderFillEllipse(NativeRender render, NativeBrush brush, float x, float y, float w, float h);
LUMINAR_API LONG NativeRenderFillRegion(NativeRender render, NativeBrush brush, NativeRegion region);
LUMINAR_API LONG NativeRenderDrawImage(NativeRender render, NativeImage image, float x, float y);
LUMINAR_API LONG NativeRenderDrawImageRect(NativeRender render, NativeImage image, float x, float y, float w, float h);

// Pens.
LUMINAR_API BOOL NativeCreatePen(NativePen pen, NativeBrush brush, float width);
LUMINAR_API BOOL NativeCreatePenWithColor(NativePen pen, DWORD argb, float width);
LUMINAR_API LONG NativePenSetThickness(NativePen pen, float width);
LUMINAR_API LONG NativePenSetDashType(NativePen pen, LONG value);
LUMINAR_API LONG NativePenSetCapType(NativePen pen, LONG value);
LUMINAR_API LONG NativePenSetCompoundType(NativePen pen, LONG value);
LUMINAR_API LONG NativePenSetJoinType(NativePen pen, LONG value);
LUMINAR_API LONG NativePenSetBeginArrow(NativePen pen, LONG type, LONG size, float width);
LUMINAR_API LONG NativePenSetEndArrow(NativePen pen, LONG type, LONG size, float width);
LUMINAR_API BOOL NativePenIsEqualArrowRevision(NativePen pen, float width);

// Brushes.
LUMINAR_API BOOL NativeCreateSolidColorBrush(NativeBrush brush, DWORD argb);
LUMINAR_API BOOL NativeCreateHatchBrush(NativeBrush brush, LONG style, DWORD fore, DWORD back);
LUMINAR_API BOOL NativeCreateLinearGradientBrushWithAngle(NativeBrush brush, const NativeRectF* rect, DWORD argb1,
                                                          DWORD argb2, float degrees, LONG scalable);
LUMINAR_API BOOL NativeCreatePathGradientBrush(NativeBrush brush, const NativePointF* points, LONG count);
LUMINAR_API BOOL NativeCreatePathGradientBrushFromPath(NativeBrush brush, NativePath path);
LUMINAR_API BOOL NativeCreateTextureBrush(NativeBrush brush, NativeImage image, LONG wrap);
LUMINAR_API LONG NativeLineBrushSetPresetBlend(NativeBrush brush, const DWORD* colors, const float* positions,
                                               LONG count);
LUMINAR_API LONG NativePathBrushSetPresetBlend(NativeBrush brush, const DWORD* colors, const float* positions,
                                               LONG count);
LUMINAR_API LONG NativePathBrushSetCenterPoint(NativeBrush brush, const NativePointF* point);
LUMINAR_API LONG NativeLineBrushTranslate(NativeBrush brush, float dx, float dy);
LUMINAR_API LONG NativeLineBrushScale(NativeBrush brush, float sx, float sy);
LUMINAR_API LONG NativeLineBrushRotate(NativeBrush brush, float degrees);
LUMINAR_API LONG NativePathBrushTranslate(NativeBrush brush, float dx, float dy);
LUMINAR_API LONG NativePathBrushScale(NativeBrush brush, float sx, float sy);
LUMINAR_API LONG NativePathBrushRotate(NativeBrush brush, float degrees);
LUMINAR_API LONG NativeTextureBrushTranslate(NativeBrush brush, float dx, float dy);
LUMINAR_API LONG NativeTextureBrushScale(NativeBrush brush, float sx, float sy);
LUMINAR_API LONG NativeTextureBrushRotate(NativeBrush brush, float degrees);

// Paths and regions.
LUMINAR_API BOOL NativeCreatePath(NativePath path, const NativePointF* points, LONG count, LONG fillMode);
LUMINAR_API BOOL NativeCreateEmptyPath(NativePath path, LONG fillMode);
LUMINAR_API LONG NativePathAddRectangle(NativePath path, float x, float y, float w, float h);
LUMINAR_API LONG NativePathAddEllipse(NativePath path, float x, float y, float w, float h);
LUMINAR_API BOOL NativeCreateRegionRect(NativeRegion region, const NativeRectF* rect);
LUMINAR_API BOOL NativeCreateRegionPath(NativeRegion region, NativePath path);
LUMINAR_API LONG NativeRegionCombinePath(NativeRegion region, NativePath path, LONG mode);

// Images.
LUMINAR_API BOOL NativeImageLoadFromFile(NativeImage image, LPCWSTR path, LONG flags);
LUMINAR_API LONG NativeImageGetType(NativeImage image);
LUMINAR_API UINT NativeImageGetWidth(NativeImage image);
LUMINAR_API UINT NativeImageGetHeight(NativeImage image);
LUMINAR_API float NativeImageGetHorizontalResolution(NativeImage image);
LUMINAR_API float NativeImageGetVerticalResolution(NativeImage image);
LUMINAR_API BOOL NativeImageSaveToFile(NativeImage image, LPCWSTR path, const char* format);
LUMINAR_API BOOL NativeBitmapCreateFromScan0(NativeImage image, LONG width, LONG height, LONG stride, LONG withAlpha,
                                             void* scan0);
LUMINAR_API BOOL NativeBitmapCreateFromHBITMAP(NativeImage image, HBITMAP bitmap, HPALETTE palette);
LUMINAR_API BOOL NativeBitmapCreateFromHICON(NativeImage image, HICON icon);
LUMINAR_API HBITMAP NativeBitmapGetHPBITMAP(NativeImage image, DWORD background);
LUMINAR_API BOOL NativeImageEffectGaussianBlur(NativeImage source, NativeImage target, float radius, LONG width,
                                               LONG height);
LUMINAR_API BOOL NativeImageRecolorNone(NativeImage image, const NativeRecolorRecord* record);
LUMINAR_API BOOL NativeImageRecolorGrayscale(NativeImage image, const NativeRecolorRecord* record);
LUMINAR_API BOOL NativeImageRecolorSepia(NativeImage image, const NativeRecolorRecord* record);
LUMINAR_API BOOL NativeImageRecolorWashout(NativeImage image, const NativeRecolorRecord* record);
LUMINAR_API BOOL NativeImageRecolorBlackWhite(NativeImage image, const NativeRecolorRecord* record);
LUMINAR_API BOOL NativeImageRecolorColorify(NativeImage image, const NativeRecolorRecord* record);
LUMINAR_API BOOL NativeMetafileRecordMetafile(NativeImage image, HDC hdc, const NativeRectF* rect);

// Device calls.
LUMINAR_API LONG GetDeviceDpiX(HANDLE device);
LUMINAR_API LONG GetDeviceDpiY(HANDLE device);
LUMINAR_API void DisplayCaret(HANDLE device, LONG x, LONG y);
LUMINAR_API BOOL SaveDDBtoDIB(HBITMAP bitmap, HPALETTE palette, LPCWSTR path);

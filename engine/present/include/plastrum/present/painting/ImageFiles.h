// Image files as the designer and the painters use them: load, save in the host's format
// codes, resize, convert, measure, and hand out as GDI bitmaps.
//
// Images with a side of 0 are refused everywhere (sizes, scales and ratios divide by them).
#pragma once

#include <cstdint>

#include <win/gdi.h>
#include <win/types.h>

#include <plastrum/present/painting/RenderingImages.h>
#include <plastrum/Export.h>

namespace Present::Rendering {

// The host's image format codes.
enum ImageFormatCode : int32_t {
  kFormatBmp = 0x11,
  kFormatPng = 0x12,
  kFormatJpg = 0x13,
  kFormatGif = 0x14,
  kFormatTif = 0x15,
  kFormatEmf = 0x21,
  kFormatWmf = 0x22,
};

// The format name the rendering library saves a code as; "image/png" for any other code.
PLASTRUM_API const char* FormatNameOf(int32_t code);

// The image of a file (a bitmap or a metafile), or null.
PLASTRUM_API Image* LoadImageFile(const char16_t* path);
// Saves an image in the code's format; false on failure.
PLASTRUM_API bool SaveImageFile(Image* image, const char16_t* path, int32_t code);

// Resize modes: 0 stretch to the target, 1 natural size centred, 2 uniform scale to fit
// (the smaller ratio), 3 uniform scale to fill (the larger ratio), cropped. Other modes
// stretch.
enum ResizeMode : int32_t { kResizeStretch = 0, kResizeNatural = 1, kResizeFit = 2, kResizeFill = 3 };

// The source redrawn onto a white width x height bitmap and saved; a source of that size
// already is saved unchanged. False for a side of 2 pixels or less in the source or the
// target, or on failure.
PLASTRUM_API bool ResizeImageFile(const char16_t* source, const char16_t* target, int32_t code, int32_t width,
                                  int32_t height, int32_t mode);
// The source scaled so that its longer side becomes the limit, drawn over 0xFF008080 and
// saved. Only a source larger than 2 x 2 with a side at least the limit is converted.
PLASTRUM_API bool ConvertImageFile(const char16_t* source, int32_t limit, const char16_t* target, int32_t code);
// The image's size at the given resolutions (its pixels at 96 per inch); false when the
// file does not load.
PLASTRUM_API bool ImageFileSize(const char16_t* path, float dpiX, float dpiY, float* width, float* height);
// The file as a GDI bitmap: a bitmap over white, a metafile played over the background.
// Null on failure.
PLASTRUM_API HBITMAP ImageFileHandle(const char16_t* path, uint32_t backgroundArgb);
// The file stretched onto an opaque width x height bitmap filled with the background, as a
// GDI bitmap; null for a side of 2 or less, or on failure.
PLASTRUM_API HBITMAP ImageFileBitmap(const char16_t* path, int32_t width, int32_t height, uint32_t backgroundArgb);

// Draws an image onto a new bitmap of the size, first filled with the colour; with
// smoothing for images with alpha. Null on failure.
PLASTRUM_API Bitmap* DrawOnto(Image* image, int32_t width, int32_t height, bool withAlpha, uint32_t fillArgb,
                              const NativeRectF& where);

}  // namespace Present::Rendering

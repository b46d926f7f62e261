// PNG images, from a file, a "PNG" resource or any stream, as 32-bit top-down DIB sections
// (bytes blue, green, red, alpha; not premultiplied) with a flag for the images that had an
// alpha channel. libpng decodes them.
#pragma once

#include <win/afx.h>
#include <win/gdi.h>
#include <win/resource.h>

#include "ornatex/export.h"

class ORNATEX_API CKtkGraphicBitmapPng : public CBitmap {
 public:
  // Each load deletes the bitmap held first and clears the alpha flag; every failure
  // (no PNG, damaged or truncated data, a side above 32,767 pixels, no memory) leaves no
  // bitmap and answers FALSE. Nothing is thrown.
  BOOL LoadFromFile(LPCWSTR path);
  // Resources of 9 bytes or fewer are refused without decoding.
  BOOL LoadFromResource(HINSTANCE instance, HRSRC resource);
  BOOL LoadFromStream(CFile& stream);

  BOOL m_bAlpha = FALSE;
};

// Rows of sample pictures the host shows as plain bitmaps: one shape kind in a row of shape
// styles, a row of host images, and a strip of gradient samples. Each builder draws
// off-screen and hands back a bitmap the host owns and frees; on failure the handle is 0
// and the result false. Rows wider than the largest bitmap side are refused.
#pragma once

#include <cstdint>

#include <win/gdi.h>
#include <win/types.h>

#include <plastrum/format/StyleCache.h>
#include <plastrum/present/shell/host_colors.h>
#include <plastrum/Export.h>

class IPresentCanvasOwner;

struct PresentObjectBitmapInfo {
  LONG kind;
  LONG count;
  const LONG* shapeIds;       // count shape identifiers
  const LONG* picFrameKinds;  // count picture-frame kinds, or null
  DWORD cellWidth, cellHeight;
  DWORD marginX, marginY;
  DWORD background;  // 0xAARRGGBB
  HBITMAP bitmap;    // out
};

struct PresentImageBitmapInfo {
  LONG count;
  const LONG* values;  // shape identifiers whose pictures are shown; 0 none
  DWORD cellWidth, cellHeight;
  HBITMAP bitmap;  // out
};

struct PresentStripInfo {
  DWORD solidColor;
  DWORD stopColors[2][10];
  float stopPositions[2][10];
  LONG stopCount;
  DWORD cellSize;
  BYTE type;  // 0..4
  DWORD background;
  HBITMAP bitmap;  // out
  LONG drawn;      // out
};

namespace Present::Painting {

// The engine's fixed mark colours: the mark (image backgrounds, branch ends) and its outline.
inline constexpr uint32_t kMarkColor = 0xFFFFFFFFu;
inline constexpr uint32_t kMarkOutlineColor = 0xFF525252u;

// Cells per strip type 0..4: 8, 5, 5, 14, 27.
PLASTRUM_API int32_t StripCells(uint8_t type);

PLASTRUM_API bool RenderObjectBitmap(PresentObjectBitmapInfo* info, StyleCache* cache, IPresentCanvasOwner* owner,
                                     ColorPalette12 palette);
PLASTRUM_API bool RenderImageBitmap(PresentImageBitmapInfo* info, StyleCache* cache, IPresentCanvasOwner* owner,
                                    ColorPalette12 palette);
PLASTRUM_API bool RenderStripImage(PresentStripInfo* info);

}  // namespace Present::Painting

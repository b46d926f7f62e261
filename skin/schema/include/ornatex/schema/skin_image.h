// One bitmap of a skin package and how a piece of it is painted into a rectangle the way
// visual styles do: nine-grid scaling by sizing margins, stretching or tiling, colour-key
// transparency or per-pixel alpha, right-to-left mirroring, the skin's colour filters, and
// blocks of one colour painted as fills.
#pragma once

#include <vector>

#include <win/gdi.h>

#include "ornatex/export.h"

class CKtkSkinManager;

// Sizing margins, in the order of the visual-style schema.
struct KTK_MARGINS {
  int cxLeftWidth;
  int cxRightWidth;
  int cyTopHeight;
  int cyBottomHeight;
};

#define KTK_SIZING_TILE 2

struct KtkSkinSolidBlock {
  RECT rect;       // in bitmap pixels
  COLORREF color;  // with the pixel's alpha in the top byte for alpha images
};

class ORNATEX_API CKtkSkinImage {
 public:
  CKtkSkinImage() = default;
  virtual ~CKtkSkinImage();
  CKtkSkinImage(const CKtkSkinImage&) = delete;
  CKtkSkinImage& operator=(const CKtkSkinImage&) = delete;

  // 1 when a bitmap loaded; an alpha bitmap is kept premultiplied.
  BOOL LoadFromFile(LPCWSTR path);
  BOOL LoadFromResource(HMODULE module, LPCWSTR name);
  SIZE GetExtent() const;
  // Finds the frames and the nine-grid blocks that are one colour (once per image).
  void PrepareSolidBlocks(int frameCount, BOOL horizontal, const KTK_MARGINS& margins);
  // Paints the source rectangle of the bitmap into the destination. Transparent colour
  // 0xFFFFFFFF for none; sizing type KTK_SIZING_TILE tiles, anything else stretches.
  void DrawImage(HDC dc, const RECT& destination, const RECT& source, const KTK_MARGINS& margins, COLORREF transparent,
                 int sizingType, BOOL borderOnly);
  // Passes every pixel but those of one colour through the manager's colour filters
  // (once); an image without a manager has none.
  void ApplyColorFilters(COLORREF leaveAlone);

  const CKtkSkinManager* m_pManager = nullptr;  // whose colour filters apply
  HBITMAP m_hBitmap = nullptr;
  BOOL m_bAlpha = FALSE;
  BOOL m_bMirrorAllowed = TRUE;
  BOOL m_bMirrored = FALSE;
  BOOL m_bColorFiltered = FALSE;
  BOOL m_bSolidBlocksPrepared = FALSE;
  int m_width = 0;
  int m_height = 0;
  COLORREF m_lastTransparent = 0xFFFFFFFFu;
  std::vector<KtkSkinSolidBlock> m_solidBlocks;

 private:
  BOOL Adopt(HBITMAP bitmap, BOOL alpha);
  void Replace(HBITMAP bitmap);
  const KtkSkinSolidBlock* SolidBlockFor(const RECT& source) const;
  // Fills the destination from a solid block; false when the block cannot serve (an
  // alpha between 1 and 254).
  bool FillFromBlock(HDC dc, const RECT& destination, const KtkSkinSolidBlock& block, COLORREF transparent,
                     bool skipTransparent);
  void PaintNineGrid(HDC dc, const RECT& destination, const RECT& source, const KTK_MARGINS& margins, int sizingType,
                     BOOL borderOnly, COLORREF transparent);
  void PlainCopy(HDC dc, HDC memory, const RECT& destination, const RECT& source);
  void StretchOrTile(HDC dc, HDC memory, const RECT& destination, const RECT& source, bool tileX, bool tileY,
                     COLORREF transparent);
};

// The interface colours the skinning framework falls back on when no skin is loaded: the
// system colours and 32 derived "tool" colours (toolbar faces, highlight fills, borders,
// grey texts), computed once from the system colours by fixed blends and by contrast
// corrections in a weighted RGB space.
#pragma once

#include <win/afx.h>
#include <win/gdi.h>

#include "ornatex/export.h"

#define KTK_COLOR_COUNT 63
#define KTK_COLOR_NONE 0xFFFFFFFFu

class ORNATEX_API CKtkColorManager : public CCmdTarget {
 public:
  // Custom table all "not set", then ReloadColors.
  CKtkColorManager();

  // An index above 62 comes back unchanged (a literal COLORREF passes through); else the
  // custom entry when set, else the standard one.
  COLORREF LookupColor(DWORD index) const;
  // Per channel (weight * a + (d - weight) * b + d / 2) / d: a weight below 100 is a
  // percentage (d = 100), 100 or more per mille (d = 1000).
  static COLORREF MixColors(COLORREF a, COLORREF b, int weight);
  // 1 to 8 bits per pixel on the DC, or without one on the desktop's; false when no
  // desktop DC can be had.
  static BOOL IsLowColorDisplay(HDC dc = nullptr);
  // Recomputes the standard table from the system colours.
  void ReloadColors();

  COLORREF m_standard[KTK_COLOR_COUNT] = {};
  COLORREF m_custom[KTK_COLOR_COUNT];
};

// The single instance, filled on first use and destroyed when the library stops.
ORNATEX_API CKtkColorManager& KtkColorManager();

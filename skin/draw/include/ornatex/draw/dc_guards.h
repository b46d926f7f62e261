// Scoped guards for the painters: each selects something into a device context and puts
// back, in its destructor, what it replaced. They live on one painting routine's stack
// and are not copied.
#pragma once

#include <win/afx.h>
#include <win/gdi.h>

#include "ornatex/export.h"

// A solid pen of width 1 in a colour, selected for the guard's lifetime.
class ORNATEX_API CKtkPenDC {
 public:
  CKtkPenDC(HDC dc, COLORREF color);
  ~CKtkPenDC();
  CKtkPenDC(const CKtkPenDC&) = delete;
  CKtkPenDC& operator=(const CKtkPenDC&) = delete;

 private:
  HDC dc_;
  HPEN pen_;
  HGDIOBJ previous_ = nullptr;
};

// A solid brush in a colour, selected for the guard's lifetime.
class ORNATEX_API CKtkBrushDC {
 public:
  CKtkBrushDC(HDC dc, COLORREF color);
  ~CKtkBrushDC();
  CKtkBrushDC(const CKtkBrushDC&) = delete;
  CKtkBrushDC& operator=(const CKtkBrushDC&) = delete;

 private:
  HDC dc_;
  HBRUSH brush_;
  HGDIOBJ previous_ = nullptr;
};

// Selects fonts into a DC and puts back the font that was current before the first one.
// A guard over a null DC does nothing.
class ORNATEX_API CKtkFontDC {
 public:
  explicit CKtkFontDC(CDC* dc, HFONT font = nullptr);
  ~CKtkFontDC();
  CKtkFontDC(const CKtkFontDC&) = delete;
  CKtkFontDC& operator=(const CKtkFontDC&) = delete;

  // Selects the font; remembers the one it replaced only when nothing is remembered yet.
  void SelectFont(HFONT font);
  // Re-selects the remembered font and forgets it.
  void ReleaseFont();

 private:
  CDC* dc_;
  HGDIOBJ remembered_ = nullptr;
};

// A memory DC compatible with a source DC (the screen when none) with a bitmap selected.
// The destructor selects the previous bitmap back and deletes the DC; the bitmap stays
// its owner's.
class ORNATEX_API CKtkCompatibleDC : public CDC {
 public:
  CKtkCompatibleDC(CDC* source, HBITMAP bitmap);
  CKtkCompatibleDC(CDC* source, CBitmap* bitmap);
  ~CKtkCompatibleDC() override;

 private:
  HGDIOBJ previous_ = nullptr;
};

#include "ornatex/draw/dc_guards.h"

CKtkPenDC::CKtkPenDC(HDC dc, COLORREF color) : dc_(dc), pen_(CreatePen(PS_SOLID, 1, color)) {
  if (dc_ && pen_) previous_ = SelectObject(dc_, pen_);
}

CKtkPenDC::~CKtkPenDC() {
  if (dc_ && previous_) SelectObject(dc_, previous_);
  if (pen_) DeleteObject(pen_);
}

CKtkBrushDC::CKtkBrushDC(HDC dc, COLORREF color) : dc_(dc), brush_(CreateSolidBrush(color)) {
  if (dc_ && brush_) previous_ = SelectObject(dc_, brush_);
}

CKtkBrushDC::~CKtkBrushDC() {
  if (dc_ && previous_) SelectObject(dc_, previous_);
  if (brush_) DeleteObject(brush_);
}

CKtkFontDC::CKtkFontDC(CDC* dc, HFONT font) : dc_(dc) {
  if (font) SelectFont(font);
}

CKtkFontDC::~CKtkFontDC() { ReleaseFont(); }

void CKtkFontDC::SelectFont(HFONT font) {
  if (!dc_ || !dc_->GetSafeHdc() || !font) return;
  HGDIOBJ replaced = SelectObject(dc_->GetSafeHdc(), font);
  if (!remembered_) remembered_ = replaced;
}

void CKtkFontDC::ReleaseFont() {
  if (!dc_ || !dc_->GetSafeHdc() || !remembered_) return;
  SelectObject(dc_->GetSafeHdc(), remembered_);
  remembered_ = nullptr;
}

CKtkCompatibleDC::CKtkCompatibleDC(CDC* source, HBITMAP bitmap) {
  Attach(CreateCompatibleDC(source ? source->GetSafeHdc() : nullptr));
  if (m_hDC && bitmap) previous_ = SelectObject(m_hDC, bitmap);
}

CKtkCompatibleDC::CKtkCompatibleDC(CDC* source, CBitmap* bitmap)
    : CKtkCompatibleDC(source, bitmap ? static_cast<HBITMAP>(bitmap->GetSafeHandle()) : nullptr) {}

CKtkCompatibleDC::~CKtkCompatibleDC() {
  HDC dc = Detach();
  if (!dc) return;
  if (previous_) SelectObject(dc, previous_);
  DeleteDC(dc);
}

// Off-screen buffers: a painter draws into a memory DC and the buffer copies the result to
// its destination in one blit when it goes out of scope.
#pragma once

#include <win/afx.h>
#include <win/gdi.h>
#include <win/user_paint.h>

#include "ornatex/export.h"

// The bitmap spans from the origin to the rectangle's far corner, so the painter draws in
// the destination's own coordinates; only the rectangle is copied back. A buffer whose DC
// or bitmap cannot be made has no DC (GetSafeHdc() is null) and copies nothing.
class ORNATEX_API CKtkBufferDC : public CDC {
 public:
  CKtkBufferDC(HDC destination, const RECT& rect);
  // The paint form: the destination and rectangle of a paint (BeginPaint's DC and its
  // PAINTSTRUCT). The bitmap is at least 1 x 1 and the memory DC is clipped to the paint
  // rectangle.
  CKtkBufferDC(HDC paintDc, const PAINTSTRUCT& paint);
  ~CKtkBufferDC() override;

  // The destructor copies nothing back: the paint is abandoned.
  void Discard() { destination_ = nullptr; }
  const RECT& Rect() const { return rect_; }

 private:
  void Create(int width, int height);

  HDC destination_;
  RECT rect_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// A memory DC whose bitmap is exactly the rectangle, with the viewport origin moved so that
// callers draw in destination coordinates.
class ORNATEX_API CKtkBufferDCEx : public CDC {
 public:
  CKtkBufferDCEx(HDC destination, const RECT& rect);
  ~CKtkBufferDCEx() override;

 private:
  HDC destination_;
  RECT rect_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

#include "ornatex/draw/buffer_dc.h"

CKtkBufferDC::CKtkBufferDC(HDC destination, const RECT& rect) : destination_(destination), rect_(rect) {
  Create(rect.right, rect.bottom);
}

CKtkBufferDC::CKtkBufferDC(HDC paintDc, const PAINTSTRUCT& paint) : destination_(paintDc), rect_(paint.rcPaint) {
  Create(rect_.right > 0 ? rect_.right : 1, rect_.bottom > 0 ? rect_.bottom : 1);
  if (!m_hDC) return;
  HRGN clip = CreateRectRgnIndirect(&rect_);
  if (clip) {
    SelectClipRgn(m_hDC, clip);
    DeleteObject(clip);
  }
}

void CKtkBufferDC::Create(int width, int height) {
  HDC memory = CreateCompatibleDC(destination_);
  if (!memory) return;
  // Without its own bitmap the memory DC would hold the default one, and the destructor
  // would copy that over the destination: a buffer that cannot have one is no buffer.
  bitmap_ = width > 0 && height > 0 ? CreateCompatibleBitmap(destination_, width, height) : nullptr;
  if (!bitmap_) {
    DeleteDC(memory);
    return;
  }
  previous_ = SelectObject(memory, bitmap_);
  Attach(memory);
}

CKtkBufferDC::~CKtkBufferDC() {
  HDC memory = Detach();
  if (!memory) return;
  if (destination_)
    BitBlt(destination_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, memory, rect_.left,
           rect_.top, SRCCOPY);
  SelectObject(memory, previous_);
  DeleteObject(bitmap_);
  DeleteDC(memory);
}

CKtkBufferDCEx::CKtkBufferDCEx(HDC destination, const RECT& rect) : destination_(destination), rect_(rect) {
  HDC memory = CreateCompatibleDC(destination_);
  if (!memory) return;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  bitmap_ = width > 0 && height > 0 ? CreateCompatibleBitmap(destination_, width, height) : nullptr;
  if (!bitmap_) {
    DeleteDC(memory);
    return;
  }
  previous_ = SelectObject(memory, bitmap_);
  SetViewportOrgEx(memory, -rect.left, -rect.top, nullptr);
  Attach(memory);
}

CKtkBufferDCEx::~CKtkBufferDCEx() {
  HDC memory = Detach();
  if (!memory) return;
  SetViewportOrgEx(memory, 0, 0, nullptr);
  if (destination_)
    BitBlt(destination_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, memory, 0, 0,
           SRCCOPY);
  SelectObject(memory, previous_);
  DeleteObject(bitmap_);
  DeleteDC(memory);
}

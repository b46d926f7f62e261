// The image list functions: handles checked against the live lists, failures recorded in
// the thread's error record.
#include "ImageList.h"
#include "kx2/ErrorBoundary.h"
#include "win/errors.h"

using comctl::Find;
using comctl::ImageList;

namespace {

template <class Result, class Body>
Result WithList(HIMAGELIST himl, Result failure, Body&& body) {
  return kx2::Guard(failure, [&]() -> Result {
    ImageList* list = Find(himl);
    if (!list) {
      SetLastError(ERROR_INVALID_HANDLE);
      return failure;
    }
    return body(*list);
  });
}

}  // namespace

KX2_EXPORT HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int) {
  return kx2::Guard(static_cast<HIMAGELIST>(nullptr), [&]() -> HIMAGELIST {
    if (cx <= 0 || cy <= 0 || cx > 0x4000 || cy > 0x4000) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    return comctl::Register(new ImageList(cx, cy, flags));
  });
}

KX2_EXPORT BOOL ImageList_Destroy(HIMAGELIST himl) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    ImageList* list = Find(himl);
    if (!list || !comctl::Unregister(himl)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    delete list;
    return TRUE;
  });
}

KX2_EXPORT int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
  return WithList(himl, -1, [&](ImageList& l) { return l.AddStrip(hbmImage, hbmMask, -1, false); });
}

KX2_EXPORT int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask) {
  return WithList(himl, -1, [&](ImageList& l) { return l.AddMasked(hbmImage, crMask); });
}

KX2_EXPORT BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP hbmImage, HBITMAP hbmMask) {
  return WithList(himl, FALSE, [&](ImageList& l) -> BOOL {
    if (i < 0 || i >= l.Count()) return FALSE;
    return l.AddStrip(hbmImage, hbmMask, i, true) == i;
  });
}

KX2_EXPORT int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
  return WithList(himl, -1, [&](ImageList& l) { return l.PutIcon(i, hicon); });
}

KX2_EXPORT BOOL ImageList_Remove(HIMAGELIST himl, int i) {
  return WithList(himl, FALSE, [&](ImageList& l) -> BOOL { return l.Remove(i); });
}

KX2_EXPORT HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT) {
  return WithList(himl, static_cast<HICON>(nullptr), [&](ImageList& l) { return l.MakeIcon(i); });
}

KX2_EXPORT BOOL ImageList_DrawIndirect(IMAGELISTDRAWPARAMS* p) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!p || p->cbSize < IMAGELISTDRAWPARAMS_V3_SIZE) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    return WithList(p->himl, FALSE, [&](ImageList& l) -> BOOL { return l.Draw(*p); });
  });
}

KX2_EXPORT BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy, COLORREF rgbBk,
                                 COLORREF rgbFg, UINT fStyle) {
  IMAGELISTDRAWPARAMS p{};
  p.cbSize = sizeof(p);
  p.himl = himl;
  p.i = i;
  p.hdcDst = hdcDst;
  p.x = x;
  p.y = y;
  p.cx = dx;
  p.cy = dy;
  p.rgbBk = rgbBk;
  p.rgbFg = rgbFg;
  p.fStyle = fStyle;
  p.dwRop = SRCCOPY;
  return ImageList_DrawIndirect(&p);
}

KX2_EXPORT BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
  return ImageList_DrawEx(himl, i, hdcDst, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, fStyle);
}

KX2_EXPORT BOOL ImageList_GetImageInfo(HIMAGELIST himl, int i, IMAGEINFO* pImageInfo) {
  return WithList(himl, FALSE, [&](ImageList& l) -> BOOL { return l.Info(i, pImageInfo); });
}

KX2_EXPORT BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
  return WithList(himl, FALSE, [&](ImageList& l) -> BOOL {
    if (!cx || !cy) return FALSE;
    *cx = l.Width();
    *cy = l.Height();
    return TRUE;
  });
}

KX2_EXPORT BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy) {
  return WithList(himl, FALSE, [&](ImageList& l) -> BOOL {
    if (cx <= 0 || cy <= 0 || cx > 0x4000 || cy > 0x4000) return FALSE;
    l.Resize(cx, cy);
    return TRUE;
  });
}

KX2_EXPORT int ImageList_GetImageCount(HIMAGELIST himl) {
  return WithList(himl, 0, [&](ImageList& l) { return l.Count(); });
}

KX2_EXPORT COLORREF ImageList_GetBkColor(HIMAGELIST himl) {
  return WithList(himl, CLR_NONE, [&](ImageList& l) { return l.Background(); });
}

KX2_EXPORT COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
  return WithList(himl, CLR_NONE, [&](ImageList& l) { return l.SetBackground(clrBk); });
}

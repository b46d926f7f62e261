// Pictures: IPicture and OleLoadPicturePath, over the platform's image codecs.
#pragma once

#include "win/gdi.h"
#include "win/ole.h"

typedef LONG OLE_XPOS_HIMETRIC;
typedef LONG OLE_YPOS_HIMETRIC;
typedef LONG OLE_XSIZE_HIMETRIC;
typedef LONG OLE_YSIZE_HIMETRIC;
typedef DWORD OLE_COLOR;
typedef UINT_PTR OLE_HANDLE;  // a handle: pointer-sized here

#define PICTYPE_UNINITIALIZED (-1)
#define PICTYPE_NONE 0
#define PICTYPE_BITMAP 1
#define PICTYPE_METAFILE 2
#define PICTYPE_ICON 3
#define PICTYPE_ENHMETAFILE 4

#define PICTURE_SCALABLE 0x1
#define PICTURE_TRANSPARENT 0x2

#define CTL_E_INVALIDPICTURE static_cast<HRESULT>(0x800A01E1L)

inline constexpr IID IID_IPicture = {0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

struct IPicture : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Handle(OLE_HANDLE* handle) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_hPal(OLE_HANDLE* palette) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Type(SHORT* type) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Width(OLE_XSIZE_HIMETRIC* width) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Height(OLE_YSIZE_HIMETRIC* height) = 0;
  // Draws the source rectangle (HIMETRIC, y up: a negative height reads downwards from
  // ySrc) into x, y, cx, cy of the DC.
  virtual HRESULT STDMETHODCALLTYPE Render(HDC hdc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc,
                                           OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc,
                                           LPCRECT bounds) = 0;
  virtual HRESULT STDMETHODCALLTYPE set_hPal(OLE_HANDLE palette) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurDC(HDC* hdc) = 0;
  virtual HRESULT STDMETHODCALLTYPE SelectPicture(HDC in, HDC* out, OLE_HANDLE* bitmap) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_KeepOriginalFormat(BOOL* keep) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_KeepOriginalFormat(BOOL keep) = 0;
  virtual HRESULT STDMETHODCALLTYPE PictureChanged() = 0;
  virtual HRESULT STDMETHODCALLTYPE SaveAsFile(IStream* stream, BOOL saveMemCopy, LONG* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Attributes(DWORD* attributes) = 0;

 protected:
  ~IPicture() = default;
};

// Loads a picture file (PNG, JPEG, GIF, TIFF, BMP) as a bitmap picture. Only local paths:
// a URL gives E_NOTIMPL. clrReserved is ignored.
KX2_EXPORT HRESULT OleLoadPicturePath(LPOLESTR path, IUnknown* outer, DWORD reserved, OLE_COLOR clrReserved,
                                      REFIID riid, LPVOID* out);

// IPicture over a decoded picture: a 32-bit DIB section of premultiplied pixels drawn
// with AlphaBlend, sized in HIMETRIC at 96 pixels per inch (or the file's resolution).
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <kx2/ComObject.h>
#include <kx2/ErrorBoundary.h>
#include <kx2/ImageCodec.h>
#include <win/com.h>
#include <win/fileapi.h>
#include <win/olectl.h>

#include "Codec.h"

KX2_IID(IPicture, IID_IPicture)

namespace {

class Picture final : public kx2::ComObject<IPicture> {
 public:
  // Takes the decoded pixels into a DIB section; null when GDI refuses it.
  static Picture* FromDecoded(const Kx2DecodedImage& d) {
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = d.width;
    info.bmiHeader.biHeight = -d.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return nullptr;
    uint8_t* out = static_cast<uint8_t*>(bits);
    for (size_t i = 0; i < size_t(d.width) * size_t(d.height); ++i) {
      const uint8_t* p = d.pixels + i * 4;
      const unsigned a = d.hasAlpha ? p[3] : 255;
      for (int c = 0; c < 3; ++c) out[i * 4 + size_t(c)] = uint8_t((p[c] * a + 127) / 255);
      out[i * 4 + 3] = uint8_t(a);
    }
    GdiFlush();
    auto* picture = new Picture;
    picture->bitmap_ = bitmap;
    picture->width_ = d.width, picture->height_ = d.height;
    picture->transparent_ = d.hasAlpha != FALSE;
    const double dpiX = d.dpiX > 0 ? d.dpiX : 96, dpiY = d.dpiY > 0 ? d.dpiY : 96;
    picture->hmWidth_ = LONG(std::lround(d.width * 2540.0 / dpiX));
    picture->hmHeight_ = LONG(std::lround(d.height * 2540.0 / dpiY));
    return picture;
  }

  HRESULT STDMETHODCALLTYPE get_Handle(OLE_HANDLE* handle) override {
    if (!handle) return E_POINTER;
    *handle = reinterpret_cast<OLE_HANDLE>(bitmap_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_hPal(OLE_HANDLE* palette) override {
    if (!palette) return E_POINTER;
    *palette = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Type(SHORT* type) override {
    if (!type) return E_POINTER;
    *type = PICTYPE_BITMAP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Width(OLE_XSIZE_HIMETRIC* width) override {
    if (!width) return E_POINTER;
    *width = hmWidth_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Height(OLE_YSIZE_HIMETRIC* height) override {
    if (!height) return E_POINTER;
    *height = hmHeight_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Render(HDC hdc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc,
                                   OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc,
                                   LPCRECT) override {
    return kx2::GuardCom([&]() -> HRESULT {
      if (!hdc || cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0 || !hmWidth_ || !hmHeight_) return E_INVALIDARG;
      // HIMETRIC runs upwards from the picture's bottom edge.
      const double sx = double(width_) / hmWidth_, sy = double(height_) / hmHeight_;
      int left = int(std::lround(xSrc * sx)), width = int(std::lround(cxSrc * sx));
      int top = int(std::lround((hmHeight_ - ySrc) * sy)), height = int(std::lround(-cySrc * sy));
      if (width < 0) left += width, width = -width, x += cx, cx = -cx;
      if (height < 0) top += height, height = -height, y += cy, cy = -cy;
      HDC source = CreateCompatibleDC(nullptr);
      if (!source) return E_FAIL;
      HGDIOBJ old = SelectObject(source, bitmap_);
      BOOL ok;
      if (transparent_) {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ok = AlphaBlend(hdc, x, y, cx, cy, source, left, top, width, height, blend);
      } else {
        ok = StretchBlt(hdc, x, y, cx, cy, source, left, top, width, height, SRCCOPY);
      }
      SelectObject(source, old);
      DeleteDC(source);
      return ok ? S_OK : E_FAIL;
    });
  }
  HRESULT STDMETHODCALLTYPE set_hPal(OLE_HANDLE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CurDC(HDC* hdc) override {
    if (!hdc) return E_POINTER;
    *hdc = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SelectPicture(HDC, HDC*, OLE_HANDLE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_KeepOriginalFormat(BOOL* keep) override {
    if (!keep) return E_POINTER;
    *keep = FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_KeepOriginalFormat(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PictureChanged() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SaveAsFile(IStream*, BOOL, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Attributes(DWORD* attributes) override {
    if (!attributes) return E_POINTER;
    *attributes = transparent_ ? PICTURE_TRANSPARENT : 0;
    return S_OK;
  }

 private:
  ~Picture() override {
    if (bitmap_) DeleteObject(bitmap_);
  }
  HBITMAP bitmap_ = nullptr;
  int width_ = 0, height_ = 0;
  LONG hmWidth_ = 0, hmHeight_ = 0;
  bool transparent_ = false;
};

// An icon file, which the codecs' formats do not include, as a decoded picture.
bool DecodeIconFile(LPCWSTR path, Kx2DecodedImage* out) {
  constexpr LONGLONG kMaxIconFile = 64 << 20;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  std::vector<uint8_t> bytes;
  DWORD got = 0;
  const bool read = GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxIconFile &&
                    (bytes.resize(static_cast<size_t>(size.QuadPart)), true) &&
                    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                    got == bytes.size();
  CloseHandle(file);
  kx2::imaging::Picture picture;
  if (!read || !kx2::imaging::DecodeIcoFile(bytes.data(), bytes.size(), &picture)) return false;
  auto* pixels = static_cast<uint8_t*>(std::malloc(picture.pixels.size()));
  if (!pixels) return false;
  std::memcpy(pixels, picture.pixels.data(), picture.pixels.size());
  *out = Kx2DecodedImage{pixels, picture.width, picture.height, 96, 96, KX2_IMAGE_UNKNOWN, picture.hasAlpha};
  return true;
}

}  // namespace

KX2_EXPORT HRESULT OleLoadPicturePath(LPOLESTR path, IUnknown* outer, DWORD, OLE_COLOR, REFIID riid, LPVOID* out) {
  return kx2::GuardCom([&]() -> HRESULT {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!path) return E_INVALIDARG;
    if (outer) return CLASS_E_NOAGGREGATION;
    for (const char16_t* p = path; *p; ++p)
      if (p[0] == u':' && p[1] == u'/' && p[2] == u'/') return E_NOTIMPL;  // URLs are not fetched
    Kx2DecodedImage decoded;
    if (!Kx2DecodeImageFile(path, &decoded) && !DecodeIconFile(path, &decoded)) return CTL_E_INVALIDPICTURE;
    Picture* picture = Picture::FromDecoded(decoded);
    Kx2FreeDecodedImage(&decoded);
    if (!picture) return E_OUTOFMEMORY;
    const HRESULT hr = picture->QueryInterface(riid, out);
    picture->Release();
    return hr;
  });
}

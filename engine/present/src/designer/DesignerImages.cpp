// The designer's image services over the rendering wrappers.
#include <plastrum/present/designer/Designer.h>

#include <luminar/Luminar.h>
#include <plastrum/present/painting/ImageFiles.h>
#include <plastrum/present/painting/ObjectBitmaps.h>
#include <plastrum/present/shell/host_colors.h>
#include <plastrum/present/shell/units.h>

namespace Rendering = Present::Rendering;

int32_t ResizeModeOfQuality(LONG quality) {
  switch (quality) {
    case 2:
      return 1;
    case 3:
      return 2;
    case 4:
      return 3;
    default:
      return 0;
  }
}

HBITMAP Presentation::LoadImageBitmap(const WCHAR* path, LONG width, LONG height, DWORD hostColor) {
  return Rendering::ImageFileBitmap(path, width, height, Present::HostColorToArgb(hostColor));
}

HBITMAP Presentation::LoadImageHandle(const WCHAR* path, DWORD hostColor) {
  return Rendering::ImageFileHandle(path, Present::HostColorToArgb(hostColor));
}

namespace {

template <class Fill>
BOOL SaveThrough(Fill fill, const WCHAR* path, LONG code) {
  if (!path) return FALSE;
  NativeImage image = GetNativeImage();
  if (!image) return FALSE;
  const BOOL ok = fill(image) && NativeImageSaveToFile(image, path, Rendering::FormatNameOf(code));
  ReleaseNativeImage(image);
  return ok ? TRUE : FALSE;
}

}  // namespace

BOOL Presentation::SaveBitmapHandle(HBITMAP bitmap, const WCHAR* path, LONG code) {
  return SaveThrough([&](NativeImage image) { return NativeBitmapCreateFromHBITMAP(image, bitmap, nullptr); }, path,
                     code);
}

BOOL Presentation::SaveIconHandle(HICON icon, const WCHAR* path, LONG code) {
  return SaveThrough([&](NativeImage image) { return NativeBitmapCreateFromHICON(image, icon); }, path, code);
}

BOOL Presentation::SaveDDBtoDIB(HBITMAP bitmap, HPALETTE palette, const WCHAR* path) {
  return ::SaveDDBtoDIB(bitmap, palette, path);
}

BOOL Presentation::ResizeImageFile(const WCHAR* source, const WCHAR* target, LONG code, LONG width, LONG height,
                                   LONG quality) {
  return Rendering::ResizeImageFile(source, target, code, width, height, ResizeModeOfQuality(quality)) ? TRUE : FALSE;
}

BOOL Presentation::ConvertImageFile(const WCHAR* source, const WCHAR* target, LONG code, LONG option) {
  return Rendering::ConvertImageFile(source, option, target, code) ? TRUE : FALSE;
}

BOOL Presentation::GetImageFileSize(const WCHAR* path, SIZE* out, LONG dpiX, LONG dpiY) {
  float w = 0, h = 0;
  if (!Rendering::ImageFileSize(path, static_cast<float>(dpiX), static_cast<float>(dpiY), &w, &h)) return FALSE;
  if (out) *out = SIZE{Present::SaturateRound(w), Present::SaturateRound(h)};
  return TRUE;
}

BOOL Presentation::RenderStripImage(PresentStripInfo* record) {
  return Present::Painting::RenderStripImage(record) ? TRUE : FALSE;
}

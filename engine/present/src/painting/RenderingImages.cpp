#include <plastrum/present/painting/RenderingImages.h>

#include <new>

#include <kx2/ImageCodec.h>

namespace Present::Rendering {

Image::~Image() {
  if (handle_) ReleaseNativeImage(handle_);
}

int32_t Image::Width() const { return static_cast<int32_t>(NativeImageGetWidth(handle_)); }

int32_t Image::Height() const { return static_cast<int32_t>(NativeImageGetHeight(handle_)); }

Image* Image::Adopt(NativeImage handle) {
  if (!handle) return nullptr;
  Image* image = nullptr;
  switch (NativeImageGetType(handle)) {
    case kBitmap:
      image = new (std::nothrow) Bitmap(handle);
      break;
    case kMetafile:
      image = new (std::nothrow) Metafile(handle);
      break;
    default:
      break;
  }
  if (!image) ReleaseNativeImage(handle);
  return image;
}

Bitmap* Bitmap::Create(int32_t width, int32_t height, bool withAlpha) {
  if (width <= 0 || height <= 0 || width > KX2_IMAGE_MAX_SIDE || height > KX2_IMAGE_MAX_SIDE) return nullptr;
  NativeImage handle = GetNativeImage();
  if (!handle) return nullptr;
  if (!NativeBitmapCreateFromScan0(handle, width, height, 0, withAlpha ? 1 : 0, nullptr)) {
    ReleaseNativeImage(handle);
    return nullptr;
  }
  auto* bitmap = new (std::nothrow) Bitmap(handle);
  if (!bitmap) ReleaseNativeImage(handle);
  return bitmap;
}

Metafile* Metafile::Record(HDC hdc, const NativeRectF& rect) {
  NativeImage handle = GetNativeImage();
  if (!handle) return nullptr;
  if (!NativeMetafileRecordMetafile(handle, hdc, &rect)) {
    ReleaseNativeImage(handle);
    return nullptr;
  }
  auto* metafile = new (std::nothrow) Metafile(handle);
  if (!metafile) ReleaseNativeImage(handle);
  return metafile;
}

}  // namespace Present::Rendering

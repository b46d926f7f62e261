#include <plastrum/present/painting/ImageFiles.h>

#include <cmath>
#include <memory>

#include <plastrum/present/painting/RenderRecords.h>
#include <plastrum/present/painting/RenderingBrushes.h>
#include <plastrum/present/shell/units.h>

namespace Present::Rendering {
namespace {

using ImagePtr = std::unique_ptr<Image>;

}  // namespace

const char* FormatNameOf(int32_t code) {
  switch (code) {
    case kFormatBmp:
      return "image/bmp";
    case kFormatJpg:
      return "image/jpeg";
    case kFormatGif:
      return "image/gif";
    case kFormatTif:
      return "image/tiff";
    case kFormatEmf:
      return "emf";
    case kFormatWmf:
      return "wmf";
    default:
      return "image/png";
  }
}

Image* LoadImageFile(const char16_t* path) {
  if (!path) return nullptr;
  NativeImage handle = GetNativeImage();
  if (!handle) return nullptr;
  if (!NativeImageLoadFromFile(handle, path, 0)) {
    ReleaseNativeImage(handle);
    return nullptr;
  }
  return Image::Adopt(handle);
}

bool SaveImageFile(Image* image, const char16_t* path, int32_t code) {
  if (!image || !path) return false;
  return NativeImageSaveToFile(image->Handle(), path, FormatNameOf(code)) != FALSE;
}

Bitmap* DrawOnto(Image* image, int32_t width, int32_t height, bool withAlpha, uint32_t fillArgb,
                 const NativeRectF& where) {
  if (!image || !image->HasArea()) return nullptr;
  std::unique_ptr<Bitmap> bitmap(Bitmap::Create(width, height, withAlpha));
  if (!bitmap) return nullptr;
  RenderRecord target;
  if (!target.render || !NativeCreateRenderImage(target.render, bitmap->Handle())) return nullptr;
  NativeRenderSetSmoothingMode(target.render, 1);
  SolidColorBrush fill(fillArgb);
  bool ok = fill.Valid() &&
            NativeRenderFillRectangle(target.render, fill.Handle(), 0, 0, float(width), float(height)) == kNativeOk &&
            NativeRenderDrawImageRect(target.render, image->Handle(), where.x, where.y, where.width, where.height) ==
                kNativeOk;
  target.Detach();
  return ok ? bitmap.release() : nullptr;
}

bool ResizeImageFile(const char16_t* source, const char16_t* target, int32_t code, int32_t width, int32_t height,
                     int32_t mode) {
  if (!target || width <= 2 || height <= 2) return false;
  ImagePtr image(LoadImageFile(source));
  if (!image) return false;
  const int32_t sw = image->Width(), sh = image->Height();
  if (sw <= 2 || sh <= 2) return false;
  if (sw == width && sh == height) return SaveImageFile(image.get(), target, code);
  const double tw = width, th = height;
  NativeRectF where{0, 0, float(tw), float(th)};
  if (mode == kResizeNatural) {
    where = {float((tw - sw) / 2), float((th - sh) / 2), float(sw), float(sh)};
  } else if (mode == kResizeFit || mode == kResizeFill) {
    const double rx = tw / sw, ry = th / sh;
    const double scale = mode == kResizeFit ? std::min(rx, ry) : std::max(rx, ry);
    const double w = sw * scale, h = sh * scale;
    where = {float((tw - w) / 2), float((th - h) / 2), float(w), float(h)};
  }
  std::unique_ptr<Bitmap> drawn(DrawOnto(image.get(), width, height, false, 0xFFFFFFFFu, where));
  return drawn && SaveImageFile(drawn.get(), target, code);
}

bool ConvertImageFile(const char16_t* source, int32_t limit, const char16_t* target, int32_t code) {
  if (!target || limit <= 0) return false;
  ImagePtr image(LoadImageFile(source));
  if (!image) return false;
  const int32_t sw = image->Width(), sh = image->Height();
  if (sw <= 2 || sh <= 2) return false;
  const int32_t longer = std::max(sw, sh);
  if (longer < limit) return false;
  const double scale = double(limit) / longer;
  const int32_t w = SaturateRound(sw * scale), h = SaturateRound(sh * scale);
  if (w <= 0 || h <= 0) return false;
  std::unique_ptr<Bitmap> drawn(DrawOnto(image.get(), w, h, false, 0xFF008080u, {0, 0, float(w), float(h)}));
  return drawn && SaveImageFile(drawn.get(), target, code);
}

bool ImageFileSize(const char16_t* path, float dpiX, float dpiY, float* width, float* height) {
  ImagePtr image(LoadImageFile(path));
  if (!image || !image->HasArea()) return false;
  if (width) *width = static_cast<float>(image->Width() * double(dpiX) / 96.0);
  if (height) *height = static_cast<float>(image->Height() * double(dpiY) / 96.0);
  return true;
}

HBITMAP ImageFileHandle(const char16_t* path, uint32_t backgroundArgb) {
  ImagePtr image(LoadImageFile(path));
  if (!image || !image->HasArea()) return nullptr;
  if (image->GetKind() == Image::kBitmap) return NativeBitmapGetHPBITMAP(image->Handle(), 0xFFFFFFFFu);
  const int32_t w = image->Width(), h = image->Height();
  std::unique_ptr<Bitmap> played(DrawOnto(image.get(), w, h, false, backgroundArgb, {0, 0, float(w), float(h)}));
  return played ? NativeBitmapGetHPBITMAP(played->Handle(), backgroundArgb) : nullptr;
}

HBITMAP ImageFileBitmap(const char16_t* path, int32_t width, int32_t height, uint32_t backgroundArgb) {
  if (width <= 2 || height <= 2) return nullptr;
  ImagePtr image(LoadImageFile(path));
  if (!image) return nullptr;
  std::unique_ptr<Bitmap> drawn(
      DrawOnto(image.get(), width, height, false, backgroundArgb, {0, 0, float(width), float(height)}));
  return drawn ? NativeBitmapGetHPBITMAP(drawn->Handle(), backgroundArgb) : nullptr;
}

}  // namespace Present::Rendering

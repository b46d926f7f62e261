#include <plastrum/present/painting/ImageEffects.h>

#include <memory>
#include <vector>

#include <vantorel/present_host.h>

#include <plastrum/present/painting/ImageFiles.h>
#include <plastrum/present/painting/PaintColors.h>

namespace Present::Rendering {

Bitmap* BlurImage(Image* image, float radius) {
  if (!image || !(radius > 0)) return nullptr;
  const int32_t w = image->Width(), h = image->Height();
  if (w <= 0 || h <= 0) return nullptr;
  std::unique_ptr<Bitmap> blurred(Bitmap::Create(w, h, true));
  if (!blurred || !NativeImageEffectGaussianBlur(image->Handle(), blurred->Handle(), radius, w, h)) return nullptr;
  return blurred.release();
}

Image* RecolorImage(const NativeRecolorRecord& record, Image* image) {
  if (!image) return nullptr;
  if (record.mode == 0 && record.brightness == 0 && record.contrast == 0 && record.alpha == 255) return image;
  if (record.width <= 0 || record.height <= 0 || !image->HasArea()) return image;
  std::unique_ptr<Bitmap> copy(DrawOnto(image, record.width, record.height, true, 0x00FFFFFFu,
                                        {0, 0, float(record.width), float(record.height)}));
  if (!copy) return image;
  BOOL (*recolor)(NativeImage, const NativeRecolorRecord*) = &NativeImageRecolorNone;
  switch (record.mode) {
    case 1:
      recolor = &NativeImageRecolorGrayscale;
      break;
    case 2:
      recolor = &NativeImageRecolorSepia;
      break;
    case 3:
      recolor = &NativeImageRecolorWashout;
      break;
    case 4:
      recolor = &NativeImageRecolorBlackWhite;
      break;
    case 5:
      recolor = &NativeImageRecolorColorify;
      break;
    default:
      break;
  }
  if (!recolor(copy->Handle(), &record)) return image;
  delete image;
  return copy.release();
}

NativeRecolorRecord RecolorRecordOf(const Style::PictureRecord& picture, int32_t width, int32_t height,
                                    ColorPalette12 palette) {
  NativeRecolorRecord record{};
  record.mode = picture.recolor;
  record.brightness = picture.brightness;
  record.contrast = picture.contrast;
  record.alpha = Painting::AlphaOf(picture.transparency);
  record.color =
      picture.recolorColor ? Painting::ResolveColor(picture.recolorColor.get(), 0, palette) : kDefaultRecolorColor;
  record.width = width;
  record.height = height;
  return record;
}

namespace {

// Asks the owner for the file of an identifier: the path (empty when the owner gave none),
// and whether the owner reported success.
bool FileOf(IPresentCanvasOwner* owner, LONG id, std::u16string* path) {
  std::vector<char16_t> buffer(4096, u'\0');
  VtlPathBuffer out{buffer.data(), static_cast<DWORD>(buffer.size())};
  if (!owner->GetBinaryDataFile(id, &out)) return false;
  buffer.back() = u'\0';  // an owner that filled the buffer to its end still ends here
  path->assign(buffer.data());
  return true;
}

}  // namespace

Image* PictureFileImage(const Style::PictureRecord* picture, IPresentCanvasOwner* owner, bool* placeholder) {
  if (placeholder) *placeholder = false;
  if (!picture || !owner || picture->binDataId == 0) return nullptr;
  std::u16string path;
  if (!FileOf(owner, picture->binDataId, &path)) {
    if (!FileOf(owner, -1, &path) || path.empty()) return nullptr;
    if (placeholder) *placeholder = true;
    return LoadImageFile(path.c_str());
  }
  if (path.empty()) return nullptr;
  return LoadImageFile(path.c_str());
}

Image* PictureImage(const Style::PictureRecord* picture, IPresentCanvasOwner* owner, ColorPalette12 palette,
                    bool* isPlaceholder) {
  bool placeholder = false;
  Image* image = PictureFileImage(picture, owner, &placeholder);
  if (isPlaceholder) *isPlaceholder = placeholder && image;
  if (!image || placeholder) return image;
  return RecolorImage(RecolorRecordOf(*picture, image->Width(), image->Height(), palette), image);
}

}  // namespace Present::Rendering

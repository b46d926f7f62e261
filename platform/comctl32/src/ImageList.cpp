// Image lists: adding, replacing and removing images, icons out, and the strips callers
// read through ImageList_GetImageInfo.
#include "ImageList.h"

#include <algorithm>
#include <mutex>
#include <unordered_set>

namespace comctl {

namespace {

bool AnyAlpha(const Pixels& p) {
  return std::any_of(p.argb.begin(), p.argb.end(), [](uint32_t v) { return (v >> 24) != 0; });
}

bool MaskSet(const Pixels* mask, int x, int y) {
  if (!mask || x < 0 || y < 0 || x >= mask->width || y >= mask->height) return false;
  return (mask->At(x, y) & 0xFFFFFFu) != 0;
}

// A 1-bit bitmap with rows of whole 16-bit words, set where the test holds.
template <class Test>
HBITMAP MakeMonoBitmap(int width, int height, Test&& set) {
  const int stride = ((width + 15) / 16) * 2;
  std::vector<uint8_t> bits(static_cast<size_t>(stride) * height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (set(x, y)) bits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  return CreateBitmap(width, height, 1, 1, bits.data());
}

}  // namespace

ImageList::ImageList(int cx, int cy, UINT flags) : cx_(cx), cy_(cy), flags_(flags) {}

ImageList::~ImageList() { DropStrips(); }

void ImageList::DropStrips() {
  if (stripImage_) DeleteObject(stripImage_);
  if (stripMask_) DeleteObject(stripMask_);
  stripImage_ = stripMask_ = nullptr;
}

COLORREF ImageList::SetBackground(COLORREF colour) {
  const COLORREF old = background_;
  background_ = colour;
  return old;
}

void ImageList::Resize(int cx, int cy) {
  cx_ = cx;
  cy_ = cy;
  images_.clear();
  DropStrips();
}

std::vector<uint32_t> ImageList::Fit(const Pixels& colour, const Pixels* mask, int left, bool sourceAlpha) const {
  std::vector<uint32_t> image(static_cast<size_t>(cx_) * cy_, 0);
  for (int y = 0; y < cy_; ++y)
    for (int x = 0; x < cx_; ++x) {
      const int sx = left + x;
      if (sx >= colour.width || y >= colour.height) continue;  // outside the bitmap: transparent
      const uint32_t c = colour.At(sx, y);
      uint32_t alpha = 255;
      if (sourceAlpha) alpha = c >> 24;
      if (HasMask() && MaskSet(mask, sx, y)) alpha = 0;
      image[static_cast<size_t>(y) * cx_ + x] = (c & 0xFFFFFFu) | (alpha << 24);
    }
  return image;
}

int ImageList::AddStrip(HBITMAP image, HBITMAP mask, int at, bool onlyOne) {
  int depth = 0;
  const Pixels colour = ReadBitmap(image, &depth);
  if (colour.argb.empty() || cx_ <= 0 || cy_ <= 0) return -1;
  const Pixels maskPixels = ReadBitmap(mask);
  const bool sourceAlpha = KeepsAlpha() && depth == 32 && AnyAlpha(colour);
  const int count = onlyOne ? 1 : colour.width / cx_;
  if (count <= 0) return -1;
  DropStrips();
  const Pixels* m = maskPixels.argb.empty() ? nullptr : &maskPixels;
  if (at >= 0) {
    images_[static_cast<size_t>(at)] = Fit(colour, m, 0, sourceAlpha);
    return at;
  }
  const int first = Count();
  for (int n = 0; n < count; ++n) images_.push_back(Fit(colour, m, n * cx_, sourceAlpha));
  return first;
}

int ImageList::AddMasked(HBITMAP image, COLORREF maskColour) {
  const Pixels colour = ReadBitmap(image);
  if (colour.argb.empty()) return -1;
  // The mask colour's pixels become the mask; the colour bitmap itself is left alone.
  const uint32_t key = (GetRValue(maskColour) << 16) | (GetGValue(maskColour) << 8) | GetBValue(maskColour);
  std::vector<uint32_t> bits(colour.argb.size());
  for (size_t n = 0; n < bits.size(); ++n) bits[n] = (colour.argb[n] & 0xFFFFFFu) == key ? 0xFFFFFFu : 0;
  void* memory = nullptr;
  HBITMAP maskBitmap = MakeDibSection(colour.width, colour.height, 32, &memory);
  if (!maskBitmap) return -1;
  std::copy(bits.begin(), bits.end(), static_cast<uint32_t*>(memory));
  const UINT saved = flags_;
  flags_ |= ILC_MASK;
  const int index = AddStrip(image, maskBitmap, -1, false);
  flags_ = saved;
  DeleteObject(maskBitmap);
  return index;
}

int ImageList::PutIcon(int at, HICON icon) {
  if (at < -1 || at >= Count()) return -1;
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return -1;
  Pixels mask = ReadBitmap(info.hbmMask);
  int depth = 0;
  Pixels colour = info.hbmColor ? ReadBitmap(info.hbmColor, &depth) : Pixels{};
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (!info.hbmColor && mask.height >= 2) {
    // A monochrome icon: the mask's lower half is its image.
    const int h = mask.height / 2;
    colour.width = mask.width;
    colour.height = h;
    colour.argb.assign(mask.argb.begin() + static_cast<ptrdiff_t>(h) * mask.width, mask.argb.end());
    mask.height = h;
    mask.argb.resize(static_cast<size_t>(h) * mask.width);
  }
  if (colour.argb.empty() || cx_ <= 0 || cy_ <= 0) return -1;
  const bool sourceAlpha = depth == 32 && AnyAlpha(colour);
  std::vector<uint32_t> image(static_cast<size_t>(cx_) * cy_, 0);
  for (int y = 0; y < cy_; ++y)
    for (int x = 0; x < cx_; ++x) {
      const int sx = x * colour.width / cx_, sy = y * colour.height / cy_;
      const uint32_t c = colour.At(sx, sy);
      uint32_t alpha = sourceAlpha ? c >> 24 : 255;
      if (MaskSet(&mask, sx, sy)) alpha = 0;
      // A list without alpha keeps a pixel or masks it; one without a mask keeps them all.
      if (!KeepsAlpha()) alpha = alpha >= 128 ? 255 : 0;
      if (!HasMask() && !KeepsAlpha()) alpha = 255;
      image[static_cast<size_t>(y) * cx_ + x] = (c & 0xFFFFFFu) | (alpha << 24);
    }
  DropStrips();
  if (at == -1) {
    images_.push_back(std::move(image));
    return Count() - 1;
  }
  images_[static_cast<size_t>(at)] = std::move(image);
  return at;
}

bool ImageList::Remove(int at) {
  if (at == -1) {
    images_.clear();
  } else {
    if (at < 0 || at >= Count()) return false;
    images_.erase(images_.begin() + at);
  }
  DropStrips();
  return true;
}

HICON ImageList::MakeIcon(int at) const {
  if (at < 0 || at >= Count()) return nullptr;
  const std::vector<uint32_t>& image = images_[static_cast<size_t>(at)];
  void* bits = nullptr;
  HBITMAP colour = MakeDibSection(cx_, cy_, 32, &bits);
  if (!colour) return nullptr;
  std::copy(image.begin(), image.end(), static_cast<uint32_t*>(bits));
  HBITMAP mask = MakeMonoBitmap(cx_, cy_, [&](int x, int y) { return (image[y * cx_ + x] >> 24) == 0; });
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON icon = mask ? CreateIconIndirect(&info) : nullptr;
  DeleteObject(colour);
  if (mask) DeleteObject(mask);
  return icon;
}

bool ImageList::Info(int at, IMAGEINFO* info) {
  if (!info || at < 0 || at >= Count()) return false;
  if (!stripImage_) {
    const int width = cx_ * Count();
    const int depth = KeepsAlpha() ? 32 : 24;
    void* bits = nullptr;
    stripImage_ = MakeDibSection(width, cy_, depth, &bits);
    if (!stripImage_) return false;
    const size_t stride =
        depth == 32 ? static_cast<size_t>(width) * 4 : (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    auto* row0 = static_cast<uint8_t*>(bits);
    for (int n = 0; n < Count(); ++n)
      for (int y = 0; y < cy_; ++y)
        for (int x = 0; x < cx_; ++x) {
          const uint32_t v = images_[static_cast<size_t>(n)][static_cast<size_t>(y) * cx_ + x];
          uint8_t* p = row0 + y * stride + static_cast<size_t>(n * cx_ + x) * (depth / 8);
          p[0] = static_cast<uint8_t>(v);
          p[1] = static_cast<uint8_t>(v >> 8);
          p[2] = static_cast<uint8_t>(v >> 16);
          if (depth == 32) p[3] = static_cast<uint8_t>(v >> 24);
        }
    if (HasMask())
      stripMask_ = MakeMonoBitmap(width, cy_, [&](int x, int y) {
        return (images_[static_cast<size_t>(x / cx_)][static_cast<size_t>(y) * cx_ + x % cx_] >> 24) == 0;
      });
  }
  info->hbmImage = stripImage_;
  info->hbmMask = stripMask_;
  info->Unused1 = info->Unused2 = 0;
  info->rcImage = RECT{at * cx_, 0, (at + 1) * cx_, cy_};
  return true;
}

namespace {

std::mutex& RegistryLock() {
  static std::mutex lock;
  return lock;
}

std::unordered_set<ImageList*>& Live() {
  static auto* live = new std::unordered_set<ImageList*>;  // outlives static destruction
  return *live;
}

}  // namespace

HIMAGELIST Register(ImageList* list) {
  std::lock_guard<std::mutex> hold(RegistryLock());
  Live().insert(list);
  return reinterpret_cast<HIMAGELIST>(list);
}

ImageList* Find(HIMAGELIST handle) {
  auto* list = reinterpret_cast<ImageList*>(handle);
  std::lock_guard<std::mutex> hold(RegistryLock());
  return Live().count(list) ? list : nullptr;
}

bool Unregister(HIMAGELIST handle) {
  auto* list = reinterpret_cast<ImageList*>(handle);
  std::lock_guard<std::mutex> hold(RegistryLock());
  return Live().erase(list) != 0;
}

}  // namespace comctl

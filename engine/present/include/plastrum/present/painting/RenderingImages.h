// Owning wrappers of the rendering library's images: a bitmap or a metafile, released with
// the wrapper.
#pragma once

#include <cstdint>

#include <luminar/Luminar.h>
#include <plastrum/Export.h>

namespace Present::Rendering {

class PLASTRUM_API Image {
 public:
  enum Kind : uint8_t { kBitmap = 1, kMetafile = 2 };

  virtual ~Image();
  virtual int32_t Query() { return 0; }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  NativeImage Handle() const { return handle_; }
  uint8_t GetKind() const { return kind_; }
  int32_t Width() const;
  int32_t Height() const;
  // False for an image with a side of 0: nothing may be sized, scaled or drawn from it.
  bool HasArea() const { return Width() > 0 && Height() > 0; }

  // Takes a loaded handle: a bitmap or metafile wrapper by the handle's type; any other type
  // (and a null handle) is released and gives null.
  static Image* Adopt(NativeImage handle);

 protected:
  Image(NativeImage handle, uint8_t kind) : handle_(handle), kind_(kind) {}

 private:
  NativeImage handle_;
  uint8_t kind_;
};

class PLASTRUM_API Bitmap final : public Image {
 public:
  explicit Bitmap(NativeImage handle) : Image(handle, kBitmap) {}
  // A new w x h bitmap, clear (transparent black); with alpha or opaque. Null on failure,
  // for a side of 0 or less, or beyond the codec's largest side.
  static Bitmap* Create(int32_t width, int32_t height, bool withAlpha);
};

class PLASTRUM_API Metafile final : public Image {
 public:
  explicit Metafile(NativeImage handle) : Image(handle, kMetafile) {}
  // A new recording against a device context over a rectangle; null on failure.
  static Metafile* Record(HDC hdc, const NativeRectF& rect);
};

}  // namespace Present::Rendering

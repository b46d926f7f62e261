// An image list: images of one size, each kept as straight (not premultiplied) BGRA pixels
// whose alpha is what drawing uses: a masked pixel has alpha 0, an opaque one 255, and a
// 32-bit list keeps the alpha its images bring.
#pragma once

#include <cstdint>
#include <vector>

#include "win/commctrl.h"

namespace comctl {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // top-down rows, 0xAARRGGBB
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

// Reads a bitmap as 32-bit top-down pixels; the fourth byte is kept as the bitmap has it.
// Empty when the handle is no bitmap. bitsPerPixel receives the bitmap's own depth.
Pixels ReadBitmap(HBITMAP bitmap, int* bitsPerPixel = nullptr);
// A 32-bit top-down DIB section holding the pixels (bits receives its memory).
HBITMAP MakeDibSection(int width, int height, int bitsPerPixel, void** bits);

class ImageList {
 public:
  ImageList(int cx, int cy, UINT flags);
  ~ImageList();
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;

  int Width() const { return cx_; }
  int Height() const { return cy_; }
  int Count() const { return static_cast<int>(images_.size()); }
  bool HasMask() const { return (flags_ & ILC_MASK) != 0; }
  bool KeepsAlpha() const { return (flags_ & 0xFE) == ILC_COLOR32; }
  COLORREF Background() const { return background_; }
  COLORREF SetBackground(COLORREF colour);
  void Resize(int cx, int cy);

  // Cuts a colour bitmap (and its mask, set where transparent) into images; -1 without any.
  int AddStrip(HBITMAP image, HBITMAP mask, int at, bool onlyOne);
  int AddMasked(HBITMAP image, COLORREF maskColour);
  int PutIcon(int at, HICON icon);
  bool Remove(int at);
  HICON MakeIcon(int at) const;
  bool Draw(const IMAGELISTDRAWPARAMS& p) const;
  bool Info(int at, IMAGEINFO* info);

 private:
  // One image fitted to the list's size (nearest pixel), alpha from the source when the
  // list keeps it and the source has one, from the mask otherwise.
  std::vector<uint32_t> Fit(const Pixels& colour, const Pixels* mask, int left, bool sourceAlpha) const;
  void DropStrips();

  int cx_;
  int cy_;
  UINT flags_;
  COLORREF background_ = CLR_NONE;
  std::vector<std::vector<uint32_t>> images_;
  HBITMAP stripImage_ = nullptr;
  HBITMAP stripMask_ = nullptr;
};

// The live lists: a handle is taken only while its list exists.
HIMAGELIST Register(ImageList* list);
ImageList* Find(HIMAGELIST handle);
bool Unregister(HIMAGELIST handle);

}  // namespace comctl

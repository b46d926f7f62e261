// The objects behind GDI handles (pens, brushes, fonts, bitmaps, regions, DCs), their own
// handle table and the per-kind live counts tests read. Icons and cursors stay in the
// kernel handle table (win/userres.h).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <kx2/KernelObject.h>
#include <win/gdi.h>
#include <win/kernel.h>

namespace kx2::gdi {

class GdiObject {
 public:
  explicit GdiObject(DWORD type);
  virtual ~GdiObject();
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  const DWORD type;
  HGDIOBJ handle = nullptr;
  bool stock = false;
};

// The GDI handle table. Values are never reused, so a stale handle fails cleanly.
HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle);
template <class T>
std::shared_ptr<T> LookupAs(HGDIOBJ handle) {
  return std::dynamic_pointer_cast<T>(LookupObject(handle));
}
bool RemoveObject(HGDIOBJ handle);
// Objects of a type alive now (handle held or still selected somewhere).
long LiveObjects(DWORD type);

// Sets ERROR_INVALID_HANDLE and answers `failure`.
template <class R>
R BadHandle(R failure) {
  SetLastError(ERROR_INVALID_HANDLE);
  return failure;
}

// Pixels are 0x00RRGGBB words (bytes blue, green, red, fourth) as in a 32-bit DIB.
inline uint32_t PixelOf(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
inline COLORREF ColorOf(uint32_t p) { return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16); }
// A colour on a 1-bit surface: white when it is nearer white than black.
inline uint32_t MonoOf(uint32_t pixel) {
  const unsigned sum = ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF);
  return sum >= 384 ? 0xFFFFFFu : 0u;
}

// A DIB's layout, checked: bit count, compression, masks, colour table, rows.
struct DibFormat {
  int width = 0;
  int height = 0;  // rows, positive
  bool topDown = false;
  int bitCount = 32;
  DWORD compression = BI_RGB;
  uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
  std::vector<uint32_t> colours;  // pixels
  size_t stride = 0;              // bytes per stored row
  size_t headerSize = 0;          // header, masks and colour table as given
};

// Reads a BITMAPINFO as GDI checks a DIB header (ParseDib's rules); false when refused.
// With DIB_PAL_COLORS the table holds 16-bit palette indices, read as greys (no palette
// is kept here).
bool ReadDibFormat(const BITMAPINFO* info, UINT usage, DibFormat* out);
void DibRowToPixels(const DibFormat& f, const uint8_t* row, uint32_t* out, int count);
void PixelsToDibRow(const DibFormat& f, const uint32_t* in, uint8_t* row, int count);

// Checks a DIB (header, colour table, bits) and reads its header; maskRows: the height
// counts an AND mask too (icons and cursors).
bool ParseDib(const uint8_t* data, size_t size, bool maskRows, BITMAPINFOHEADER* header);

// Icons and cursors live in the kernel handle table (DestroyIcon), not GDI's.
class IconImage final : public KernelObject {
 public:
  bool isIcon = true;
  int width = 0;
  int height = 0;
  POINT hotSpot{0, 0};
  std::vector<uint8_t> image;  // DIB with its mask, or PNG
};

class Dc;

// Zeroed pixels from calloc: the allocator hands out fresh pages that are zero already, so a
// large bitmap (the screen's) costs no page until a row of it is drawn on or read.
class PixelStore {
 public:
  // `count` zero pixels in place of the old ones; throws std::bad_alloc when refused.
  void Reset(size_t count);
  uint32_t* data() { return pixels_.get(); }
  uint32_t& operator[](size_t i) { return pixels_[i]; }

 private:
  struct Free {
    void operator()(uint32_t* p) const;
  };
  std::unique_ptr<uint32_t[], Free> pixels_;
};

class Bitmap final : public GdiObject {
 public:
  Bitmap() : GdiObject(OBJ_BITMAP) {}
  ~Bitmap() override;

  // Allocates width x height zeroed pixels; false when the size is refused.
  bool Allocate(int w, int h, int bits);
  uint32_t* Row(int y) { return pixels + static_cast<ptrdiff_t>(y) * stride; }
  const uint32_t* Row(int y) const { return pixels + static_cast<ptrdiff_t>(y) * stride; }
  bool IsDibSection() const { return dibBits != nullptr; }
  // A DIB section whose bits are not shared copies them in before drawing and out after.
  void ImportDib();
  void ExportDib();
  // A Cairo surface over the pixels (made on first use).
  struct _cairo_surface* Surface();

  int width = 0;
  int height = 0;
  int bitsPixel = 32;  // 1 for monochrome, else 32 (a DIB section's own count is in dib)
  uint32_t* pixels = nullptr;
  ptrdiff_t stride = 0;  // in pixels
  PixelStore own;
  SIZE dimension{0, 0};
  DibFormat dib;
  void* dibBits = nullptr;  // the section's bits in the caller's format
  bool shared = false;      // pixels are dibBits
  Dc* selectedIn = nullptr;

 private:
  struct _cairo_surface* surface_ = nullptr;
};

// Makes a device bitmap from a packed DIB (header, colours, bits) of `size` bytes.
HBITMAP BitmapFromPackedDib(const uint8_t* data, size_t size);
// Makes a bitmap from the bytes of a BMP file (file header, then a packed DIB whose bits lie
// where the file header says), as a DIB section when asked, stretched to cx x cy when they
// are not 0. Null with ERROR_INVALID_DATA for anything damaged.
HBITMAP BitmapFromBmpFile(const uint8_t* data, size_t size, int cx, int cy, bool dibSection);

class Pen final : public GdiObject {
 public:
  Pen() : GdiObject(OBJ_PEN) {}
  UINT style = PS_SOLID;  // full style word (type, cap, join)
  int width = 0;
  COLORREF color = 0;
  bool extended = false;
  std::vector<DWORD> dashes;
  int Kind() const { return static_cast<int>(style & PS_STYLE_MASK); }
};

class Brush final : public GdiObject {
 public:
  Brush() : GdiObject(OBJ_BRUSH) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  // A pattern brush's own copy of its bitmap.
  int patternWidth = 0;
  int patternHeight = 0;
  bool patternMono = false;
  std::vector<uint32_t> pattern;
};

class Region final : public GdiObject {
 public:
  Region() : GdiObject(OBJ_REGION) {}
  std::vector<RECT> rects;  // banded: sorted by top, then left; bands coalesced
};

}  // namespace kx2::gdi

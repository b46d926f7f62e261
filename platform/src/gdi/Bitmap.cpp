// Bitmaps: 32-bit pixels (1-bit bitmaps keep black and white pixels), DIB sections over
// the caller's bits, and the calls that make and read them.
#include <cairo.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>

#include "Dc.h"

namespace kx2::gdi {

Bitmap::~Bitmap() {
  if (surface_) cairo_surface_destroy(surface_);
  std::free(dibBits);
}

void PixelStore::Free::operator()(uint32_t* p) const { std::free(p); }

void PixelStore::Reset(size_t count) {
  pixels_.reset();
  auto* fresh = static_cast<uint32_t*>(std::calloc(count ? count : 1, sizeof(uint32_t)));
  if (!fresh) throw std::bad_alloc();
  pixels_.reset(fresh);
}

bool Bitmap::Allocate(int w, int h, int bits) {
  if (w <= 0 || h <= 0 || w > 32767 || h > 32767) return false;
  // Sizes whose byte count overflows a 32-bit DWORD (as biSizeImage) are refused.
  if (static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 4 > 0x7FFFFFFF) return false;
  width = w, height = h, bitsPixel = bits == 1 ? 1 : 32;
  own.Reset(static_cast<size_t>(w) * static_cast<size_t>(h));
  pixels = own.data();
  stride = w;
  return true;
}

void Bitmap::ImportDib() {
  if (!dibBits || shared) return;
  const auto* base = static_cast<const uint8_t*>(dibBits);
  for (int y = 0; y < height; ++y) {
    const int stored = dib.topDown ? y : height - 1 - y;
    DibRowToPixels(dib, base + static_cast<size_t>(stored) * dib.stride, Row(y), width);
  }
}

void Bitmap::ExportDib() {
  if (!dibBits || shared) return;
  auto* base = static_cast<uint8_t*>(dibBits);
  for (int y = 0; y < height; ++y) {
    const int stored = dib.topDown ? y : height - 1 - y;
    PixelsToDibRow(dib, Row(y), base + static_cast<size_t>(stored) * dib.stride, width);
  }
}

cairo_surface_t* Bitmap::Surface() {
  if (!surface_)
    surface_ = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels), CAIRO_FORMAT_RGB24, width,
                                                   height, static_cast<int>(stride * 4));
  return surface_;
}

namespace {

// A new section over zeroed bits in the format of `f`.
std::shared_ptr<Bitmap> MakeSection(const DibFormat& f) {
  auto b = std::make_shared<Bitmap>();
  const size_t bytes = f.stride * static_cast<size_t>(f.height);
  b->dibBits = std::calloc(bytes ? bytes : 1, 1);
  if (!b->dibBits) throw std::bad_alloc();
  b->dib = f;
  b->width = f.width, b->height = f.height, b->bitsPixel = 32;
  const bool plain32 = f.bitCount == 32 && (f.compression == BI_RGB ||
                                            (f.masks[0] == 0xFF0000 && f.masks[1] == 0xFF00 && f.masks[2] == 0xFF));
  if (plain32 && f.topDown) {
    // The caller's bits are the pixels themselves: nothing to copy around drawing.
    b->shared = true;
    b->dib.compression = f.compression;
    b->pixels = static_cast<uint32_t*>(b->dibBits);
    b->stride = f.width;
  } else {
    b->own.Reset(static_cast<size_t>(f.width) * static_cast<size_t>(f.height));
    b->pixels = b->own.data();
    b->stride = f.width;
    b->ImportDib();
  }
  return b;
}

// The rows [start, start + lines) of a DIB in scan order map to bitmap rows.
int RowOfScan(const DibFormat& f, int scan, int bitmapHeight) {
  const int fromTop = f.topDown ? scan : f.height - 1 - scan;
  return fromTop < bitmapHeight ? fromTop : -1;
}

void DefaultColours(DibFormat& f) {
  f.colours.assign(static_cast<size_t>(1) << f.bitCount, 0);
  if (f.bitCount == 1) {
    f.colours[1] = 0xFFFFFF;
  } else if (f.bitCount == 4) {
    static const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                     0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 16; ++i) f.colours[i] = vga[i];
  } else {
    int i = 0;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) f.colours[i++] = uint32_t(r * 51) << 16 | uint32_t(g * 51) << 8 | b * 51;
    for (; i < 256; ++i) {
      const uint32_t v = static_cast<uint32_t>((i - 216) * 255 / 39);
      f.colours[i] = v << 16 | v << 8 | v;
    }
  }
}

}  // namespace

HBITMAP BitmapFromPackedDib(const uint8_t* data, size_t size) {
  BITMAPINFOHEADER header;
  if (!ParseDib(data, size, false, &header)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  // The header, masks and colours are copied into aligned storage before reading.
  std::vector<uint8_t> info(data, data + std::min<size_t>(size, header.biSize + 12 + 256 * 4));
  DibFormat f;
  if (!ReadDibFormat(reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &f)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  size_t offset = f.headerSize;
  if (f.bitCount > 8) offset += static_cast<size_t>(header.biClrUsed) * 4;
  if (offset + f.stride * static_cast<size_t>(f.height) > size) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  auto b = std::make_shared<Bitmap>();
  if (!b->Allocate(f.width, f.height, 32)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  for (int y = 0; y < f.height; ++y) {
    const int stored = f.topDown ? y : f.height - 1 - y;
    DibRowToPixels(f, data + offset + static_cast<size_t>(stored) * f.stride, b->Row(y), f.width);
  }
  return InsertObject(b);
}

}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
  return kx2::Guard(HBITMAP{}, [&]() -> HBITMAP {
    auto b = std::make_shared<Bitmap>();
    if (nPlanes != 1 || nBitCount > 32 || !b->Allocate(nWidth, nHeight, static_cast<int>(nBitCount))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (lpBits) {
      // Device-dependent rows: WORD-aligned, top row first.
      const auto* src = static_cast<const uint8_t*>(lpBits);
      const size_t rowBytes = ((static_cast<size_t>(nWidth) * (nBitCount == 1 ? 1 : 32) + 15) / 16) * 2;
      for (int y = 0; y < nHeight; ++y) {
        const uint8_t* row = src + rowBytes * static_cast<size_t>(y);
        uint32_t* out = b->Row(y);
        if (nBitCount == 1) {
          for (int x = 0; x < nWidth; ++x) out[x] = (row[x >> 3] >> (7 - (x & 7)) & 1) ? 0xFFFFFFu : 0u;
        } else {
          std::memcpy(out, row, static_cast<size_t>(nWidth) * 4);
        }
      }
    }
    return InsertObject(b);
  });
}

KX2_EXPORT HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  return kx2::Guard(HBITMAP{}, [&]() -> HBITMAP {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(HBITMAP{});
    auto b = std::make_shared<Bitmap>();
    if (!b->Allocate(cx, cy, dc->Mono() ? 1 : 32)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    return InsertObject(b);
  });
}

KX2_EXPORT HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                                    DWORD) {
  return kx2::Guard(HBITMAP{}, [&]() -> HBITMAP {
    if (ppvBits) *ppvBits = nullptr;
    DibFormat f;
    if (hSection || !ReadDibFormat(pbmi, usage, &f)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto b = MakeSection(f);
    if (ppvBits) *ppvBits = b->dibBits;
    return InsertObject(b);
  });
}

KX2_EXPORT HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                                  const BITMAPINFO* pbmi, UINT iUsage) {
  return kx2::Guard(HBITMAP{}, [&]() -> HBITMAP {
    if (!pbmih || pbmih->biWidth <= 0 || pbmih->biHeight == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto dc = hdc ? LookupDc(hdc) : nullptr;
    auto b = std::make_shared<Bitmap>();
    const int h = pbmih->biHeight < 0 ? -pbmih->biHeight : pbmih->biHeight;
    if (!b->Allocate(pbmih->biWidth, h, dc && dc->Mono() ? 1 : 32)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    HBITMAP handle = InsertObject(b);
    if ((flInit & CBM_INIT) && pjBits && pbmi) SetDIBits(hdc, handle, 0, static_cast<UINT>(h), pjBits, pbmi, iUsage);
    return handle;
  });
}

KX2_EXPORT int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits, const BITMAPINFO* lpbmi,
                         UINT ColorUse) {
  return kx2::Guard(0, [&]() -> int {
    auto b = LookupAs<Bitmap>(hbm);
    if (!b) return BadHandle(0);
    DibFormat f;
    if (!lpBits || !ReadDibFormat(lpbmi, ColorUse, &f) || start > 32767 || cLines > 32767) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    b->ImportDib();
    const auto* bits = static_cast<const uint8_t*>(lpBits);
    std::vector<uint32_t> row(static_cast<size_t>(f.width));
    const int w = std::min(f.width, b->width);
    int done = 0;
    for (UINT i = 0; i < cLines && start + i < static_cast<UINT>(f.height); ++i) {
      const int scan = static_cast<int>(start + i);
      DibRowToPixels(f, bits + f.stride * i, row.data(), f.width);
      const int y = RowOfScan(f, scan, b->height);
      ++done;
      if (y < 0) continue;
      uint32_t* out = b->Row(y);
      if (b->bitsPixel == 1)
        for (int x = 0; x < w; ++x) out[x] = MonoOf(row[static_cast<size_t>(x)]);
      else
        std::memcpy(out, row.data(), static_cast<size_t>(w) * 4);
    }
    b->ExportDib();
    return done;
  });
}

KX2_EXPORT int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi,
                         UINT usage) {
  return kx2::Guard(0, [&]() -> int {
    auto b = LookupAs<Bitmap>(hbm);
    if (!b) return BadHandle(0);
    if (!lpbmi) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    BITMAPINFOHEADER& h = lpbmi->bmiHeader;
    if (!lpvBits && h.biBitCount == 0) {
      // Only the bitmap's description is asked for.
      const int bits = b->IsDibSection() ? b->dib.bitCount : b->bitsPixel;
      h.biWidth = b->width;
      h.biHeight = b->height;
      h.biPlanes = 1;
      h.biBitCount = static_cast<WORD>(bits);
      h.biCompression = BI_RGB;
      h.biSizeImage = static_cast<DWORD>(((static_cast<size_t>(b->width) * bits + 31) / 32) * 4 * b->height);
      h.biClrUsed = 0;
      return 1;
    }
    DibFormat f;
    if (!ReadDibFormat(lpbmi, usage, &f) || start > 32767 || cLines > 32767) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if (f.bitCount <= 8) {
      if (b->bitsPixel == 1 && f.bitCount == 1)
        f.colours = {0, 0xFFFFFF};
      else if (b->IsDibSection() && b->dib.bitCount == f.bitCount)
        f.colours = b->dib.colours;
      else
        DefaultColours(f);
      // The colour table describes the bits handed back.
      auto* table = reinterpret_cast<uint8_t*>(lpbmi) + h.biSize;
      if (usage == DIB_RGB_COLORS)
        for (size_t i = 0; i < f.colours.size(); ++i) {
          const uint32_t c = f.colours[i];
          const uint8_t q[4] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
          std::memcpy(table + i * 4, q, 4);
        }
      h.biClrUsed = 0;
    }
    if (!lpvBits) {
      h.biSizeImage = static_cast<DWORD>(f.stride * static_cast<size_t>(f.height));
      return 1;
    }
    b->ImportDib();
    auto* bits = static_cast<uint8_t*>(lpvBits);
    std::vector<uint32_t> row(static_cast<size_t>(f.width));
    int done = 0;
    for (UINT i = 0; i < cLines && start + i < static_cast<UINT>(f.height); ++i) {
      const int y = RowOfScan(f, static_cast<int>(start + i), b->height);
      std::fill(row.begin(), row.end(), 0u);
      if (y >= 0) std::memcpy(row.data(), b->Row(y), static_cast<size_t>(std::min(f.width, b->width)) * 4);
      PixelsToDibRow(f, row.data(), bits + f.stride * i, f.width);
      ++done;
    }
    return done;
  });
}

KX2_EXPORT LONG GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits) {
  return kx2::Guard(0, [&]() -> LONG {
    auto b = LookupAs<Bitmap>(hbit);
    if (!b) return BadHandle(0);
    b->ImportDib();
    const size_t rowBytes = ((static_cast<size_t>(b->width) * b->bitsPixel + 15) / 16) * 2;
    const size_t total = rowBytes * static_cast<size_t>(b->height);
    if (!lpvBits) return static_cast<LONG>(total);
    if (cb <= 0) return 0;
    std::vector<uint8_t> out(total, 0);
    for (int y = 0; y < b->height; ++y) {
      uint8_t* row = out.data() + rowBytes * static_cast<size_t>(y);
      const uint32_t* in = b->Row(y);
      if (b->bitsPixel == 1) {
        for (int x = 0; x < b->width; ++x)
          if (in[x] & 0xFFFFFF) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
      } else {
        std::memcpy(row, in, static_cast<size_t>(b->width) * 4);
      }
    }
    const size_t n = std::min(total, static_cast<size_t>(cb));
    std::memcpy(lpvBits, out.data(), n);
    return static_cast<LONG>(n);
  });
}

KX2_EXPORT BOOL GetBitmapDimensionEx(HBITMAP hbit, SIZE* lpsize) {
  auto b = LookupAs<Bitmap>(hbit);
  if (!b) return BadHandle(FALSE);
  if (lpsize) *lpsize = b->dimension;
  return TRUE;
}

KX2_EXPORT COLORREF GetPixel(HDC hdc, int x, int y) {
  return kx2::Guard(COLORREF{CLR_INVALID}, [&]() -> COLORREF {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(COLORREF{CLR_INVALID});
    const POINT p = dc->PixelToDevice(x, y);
    Bitmap* b = dc->Target();
    if (!b || p.x < 0 || p.y < 0 || p.x >= b->width || p.y >= b->height) return CLR_INVALID;
    if (!dc->Clip() || RegionContains(*dc->Clip(), p.x, p.y)) {
      b->ImportDib();
      return ColorOf(b->Row(p.y)[p.x]);
    }
    return CLR_INVALID;
  });
}

KX2_EXPORT COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  return kx2::Guard(COLORREF{CLR_INVALID}, [&]() -> COLORREF {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(COLORREF{CLR_INVALID});
    const POINT p = dc->PixelToDevice(x, y);
    Bitmap* b = dc->Target();
    if (!b || p.x < 0 || p.y < 0 || p.x >= b->width || p.y >= b->height) return CLR_INVALID;
    if (dc->Clip() && !RegionContains(*dc->Clip(), p.x, p.y)) return CLR_INVALID;
    Dc::DrawScope scope(*dc);
    const uint32_t pixel = dc->Mono() ? MonoOf(PixelOf(color)) : PixelOf(color) & 0xFFFFFF;
    b->Row(p.y)[p.x] = pixel;
    return ColorOf(pixel);
  });
}

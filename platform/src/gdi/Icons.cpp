// Icons that draw: made from bitmaps, taken apart into bitmaps, copied, and drawn blended
// by their alpha or mask. An icon keeps its picture as a DIB with its AND mask (or PNG), as
// loaded from resources, so every icon decodes the same way (Kx2DecodeIcon).
#include <algorithm>
#include <cstring>

#include <kx2/ErrorBoundary.h>
#include <kx2/ImageCodec.h>
#include <win/kernel.h>
#include <win/user.h>

#include "Dc.h"

namespace kx2::gdi {
namespace {

void PutWord32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutWord16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// A 32-bit icon DIB: header, colour rows bottom first, then the AND mask rows (1:
// transparent). `colour` and `transparent` are top-down, width x height.
std::vector<uint8_t> IconDib(int width, int height, const std::vector<uint32_t>& colour,
                             const std::vector<bool>& transparent) {
  std::vector<uint8_t> dib;
  PutWord32(dib, 40);
  PutWord32(dib, static_cast<uint32_t>(width));
  PutWord32(dib, static_cast<uint32_t>(height * 2));
  PutWord16(dib, 1);
  PutWord16(dib, 32);
  for (int i = 0; i < 6; ++i) PutWord32(dib, 0);  // BI_RGB, sizes, resolutions, colours
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x) PutWord32(dib, colour[static_cast<size_t>(y) * width + x]);
  const size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
  for (int y = height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskStride, 0);
    for (int x = 0; x < width; ++x)
      if (transparent[static_cast<size_t>(y) * width + x]) row[static_cast<size_t>(x) / 8] |= 0x80 >> (x % 8);
    dib.insert(dib.end(), row.begin(), row.end());
  }
  return dib;
}

HICON InsertIcon(bool isIcon, int width, int height, POINT hotSpot, std::vector<uint8_t> image) {
  auto icon = std::make_shared<IconImage>();
  icon->isIcon = isIcon;
  icon->width = width;
  icon->height = height;
  icon->hotSpot = hotSpot;
  icon->image = std::move(image);
  return kx2::InsertHandle(icon);
}

struct Decoded {
  Kx2DecodedImage image{};
  ~Decoded() {
    if (image.pixels) Kx2FreeDecodedImage(&image);
  }
  // Blue, green, red, straight alpha.
  const uint8_t* At(int x, int y) const { return image.pixels + (static_cast<size_t>(y) * image.width + x) * 4; }
};

}  // namespace
}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT HICON CreateIconIndirect(PICONINFO info) {
  return kx2::Guard(HICON{}, [&]() -> HICON {
    if (!info) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto mask = LookupAs<Bitmap>(info->hbmMask);
    auto colour = info->hbmColor ? LookupAs<Bitmap>(info->hbmColor) : nullptr;
    if (!mask || (info->hbmColor && !colour)) return BadHandle(HICON{});
    mask->ImportDib();
    if (colour) colour->ImportDib();
    const int width = colour ? colour->width : mask->width;
    const int height = colour ? colour->height : mask->height / 2;
    if (width <= 0 || height <= 0 || mask->width < width || mask->height < height) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    std::vector<bool> transparent(pixels.size());
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const size_t at = static_cast<size_t>(y) * width + x;
        transparent[at] = (mask->Row(y)[x] & 0xFFFFFF) != 0;
        // Without a colour bitmap the mask's lower half is the XOR image.
        pixels[at] = colour ? colour->Row(y)[x] : (mask->Row(y + height)[x] & 0xFFFFFF);
      }
    const POINT hot = info->fIcon ? POINT{width / 2, height / 2}
                                  : POINT{static_cast<LONG>(info->xHotspot), static_cast<LONG>(info->yHotspot)};
    return InsertIcon(info->fIcon != FALSE, width, height, hot, IconDib(width, height, pixels, transparent));
  });
}

KX2_EXPORT BOOL GetIconInfo(HICON hIcon, PICONINFO info) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto icon = kx2::LookupHandleAs<IconImage>(hIcon);
    if (!icon) return BadHandle(FALSE);
    if (!info) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    Decoded d;
    if (!Kx2DecodeIcon(hIcon, &d.image)) return FALSE;
    const int w = d.image.width, h = d.image.height;
    HBITMAP colour = CreateBitmap(w, h, 1, 32, nullptr);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    auto c = LookupAs<Bitmap>(colour);
    auto m = LookupAs<Bitmap>(mask);
    if (!c || !m) {
      DeleteObject(colour);
      DeleteObject(mask);
      return FALSE;
    }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = d.At(x, y);
        c->Row(y)[x] = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                       static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
        m->Row(y)[x] = p[3] < 128 ? 0xFFFFFFu : 0u;
      }
    info->fIcon = icon->isIcon;
    info->xHotspot = static_cast<DWORD>(icon->isIcon ? w / 2 : icon->hotSpot.x);
    info->yHotspot = static_cast<DWORD>(icon->isIcon ? h / 2 : icon->hotSpot.y);
    info->hbmColor = colour;
    info->hbmMask = mask;
    return TRUE;
  });
}

KX2_EXPORT HICON CopyIcon(HICON hIcon) {
  return kx2::Guard(HICON{}, [&]() -> HICON {
    auto icon = kx2::LookupHandleAs<IconImage>(hIcon);
    if (!icon) return BadHandle(HICON{});
    return InsertIcon(icon->isIcon, icon->width, icon->height, icon->hotSpot, icon->image);
  });
}

KX2_EXPORT BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cx, int cy, UINT, HBRUSH flickerFree,
                           UINT flags) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(FALSE);
    Decoded d;
    if (!Kx2DecodeIcon(hIcon, &d.image)) return FALSE;
    if (cx == 0) cx = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : d.image.width;
    if (cy == 0) cy = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : d.image.height;
    if (cx <= 0 || cy <= 0 || d.image.width <= 0 || d.image.height <= 0) return TRUE;
    if (flickerFree) {
      const RECT cell{xLeft, yTop, xLeft + cx, yTop + cy};
      FillRect(hdc, &cell, flickerFree);
    }
    Bitmap* target = dc->Target();
    if (!target || !(flags & DI_NORMAL)) return TRUE;
    Dc::DrawScope scope(*dc);
    // The cell in device pixels, the icon scaled to it by nearest pixel.
    const POINT a = dc->ToDevice(xLeft, yTop), b = dc->ToDevice(xLeft + cx, yTop + cy);
    const RECT cell{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    const int dw = cell.right - cell.left, dh = cell.bottom - cell.top;
    if (dw <= 0 || dh <= 0) return TRUE;
    const bool flipX = b.x < a.x && !(flags & DI_NOMIRROR);
    const Rects clip = CombineRegions(dc->ClipRects(), RectRegion(cell), RGN_AND);
    const bool mono = dc->Mono();
    for (const RECT& r : clip)
      for (int y = r.top; y < r.bottom; ++y) {
        const int sy = static_cast<int>(static_cast<int64_t>(y - cell.top) * d.image.height / dh);
        uint32_t* row = target->Row(y);
        for (int x = r.left; x < r.right; ++x) {
          int sx = static_cast<int>(static_cast<int64_t>(x - cell.left) * d.image.width / dw);
          if (flipX) sx = d.image.width - 1 - sx;
          const uint8_t* p = d.At(sx, sy);
          const unsigned alpha = p[3];
          uint32_t out = row[x] & 0xFFFFFF;
          if ((flags & DI_NORMAL) == DI_NORMAL) {
            auto mix = [&](unsigned src, unsigned dst) { return (src * alpha + dst * (255 - alpha) + 127) / 255; };
            out = mix(p[2], (out >> 16) & 0xFF) << 16 | mix(p[1], (out >> 8) & 0xFF) << 8 | mix(p[0], out & 0xFF);
          } else if (flags & DI_MASK) {
            if (alpha >= 128) out = 0;
          } else {
            out = (p[2] * alpha / 255) << 16 | (p[1] * alpha / 255) << 8 | (p[0] * alpha / 255);
          }
          row[x] = mono ? MonoOf(out) : out;
        }
      }
    return TRUE;
  });
}

KX2_EXPORT BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
  return DrawIconEx(hDC, X, Y, hIcon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

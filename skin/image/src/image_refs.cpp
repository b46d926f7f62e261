// Image references and the strips of equal-sized images.
#include <cstring>
#include <vector>

#include <win/userres.h>

#include "ornatex/core/platform_version.h"
#include "ornatex/image/bitmap_routines.h"
#include "ornatex/image/image_manager.h"

namespace {

void* SectionBits(HBITMAP bitmap) {
  DIBSECTION ds{};
  return bitmap && GetObjectW(bitmap, sizeof ds, &ds) == sizeof ds ? ds.dsBm.bmBits : nullptr;
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP bm{};
  return bitmap && GetObjectW(bitmap, sizeof bm, &bm) ? SIZE{bm.bmWidth, bm.bmHeight} : SIZE{0, 0};
}

// Runs `draw` with the bitmap selected into a memory DC.
template <class Draw>
void WithDc(HBITMAP bitmap, Draw&& draw) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, bitmap);
  draw(dc);
  SelectObject(dc, old);
  DeleteDC(dc);
}

void Blit(HBITMAP to, int x, int y, HBITMAP from, int sx, int sy, int w, int h) {
  WithDc(to, [&](HDC dst) { WithDc(from, [&](HDC src) { BitBlt(dst, x, y, w, h, src, sx, sy, SRCCOPY); }); });
}

// The colour bitmap of an icon when it carries real alpha (premultiplied); null otherwise.
HBITMAP AlphaOfIcon(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return nullptr;
  HBITMAP premultiplied = nullptr;
  if (info.hbmColor) {
    int answer = -1;
    premultiplied = PremultiplyAlpha(info.hbmColor, &answer);
    if (premultiplied && answer != 1) {
      DeleteObject(premultiplied);
      premultiplied = nullptr;
    }
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return premultiplied;
}

}  // namespace

// ---- References ---------------------------------------------------------------------------

void CKtkImageManagerImageRef::Clear() {
  if (owned) {
    if (icon) DestroyIcon(icon);
    if (bitmap) DeleteObject(bitmap);
    if (slot && slot->resource) slot->resource->FreeSlot(slot);
  }
  icon = nullptr;
  bitmap = nullptr;
  bits = nullptr;
  slot = nullptr;
  width = height = 0;
  owned = FALSE;
}

void CKtkImageManagerImageRef::SetIcon(HICON newIcon) {
  Clear();
  if (!newIcon) return;
  icon = newIcon;
  const SIZE s = IconSize(newIcon);
  ICONINFO info{};
  if (GetIconInfo(newIcon, &info)) {
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    width = s.cx;
    height = s.cy;
  }
  owned = TRUE;
}

void CKtkImageManagerImageRef::SetBitmap(HBITMAP newBitmap, void* newBits) {
  Clear();
  if (!newBitmap) return;
  bitmap = newBitmap;
  bits = newBits;
  const SIZE s = BitmapSize(newBitmap);
  width = s.cx;
  height = s.cy;
  owned = TRUE;
}

void CKtkImageManagerImageRef::Copy(const CKtkImageManagerImageRef& source) {
  if (&source == this) return;
  Clear();
  if (source.IsEmpty()) return;
  if (!manager || !manager->m_bUseResources || !source.mayUseResources) {
    if (source.icon) {
      icon = CopyIcon(source.icon);
    } else if (source.bitmap) {
      bitmap = CopyDIB(source.bitmap);
      if (source.bits) bits = SectionBits(bitmap);
    } else if (source.slot && source.slot->resource) {
      source.slot->resource->ExtractImage(source.slot, *this);
    }
  } else {
    CKtkImageManagerResource* resource = manager->GetResource(source.width, source.height);
    if (source.slot && source.slot->resource) {
      CKtkImageManagerImageRef temporary;
      source.slot->resource->ExtractImage(source.slot, temporary);
      slot = resource ? resource->StoreImage(temporary) : nullptr;
    } else {
      slot = resource ? resource->StoreImage(source) : nullptr;
    }
  }
  width = source.width;
  height = source.height;
  mayUseResources = source.mayUseResources;
  owned = TRUE;
}

void* CKtkImageManagerImageRef::GetPremultipliedBits() {
  if (bits) return bits;
  if (!bitmap) return nullptr;
  HBITMAP premultiplied = PremultiplyAlpha(bitmap, nullptr);
  if (!premultiplied) return nullptr;
  if (owned) DeleteObject(bitmap);
  bitmap = premultiplied;
  owned = TRUE;
  bits = SectionBits(premultiplied);
  const SIZE s = BitmapSize(premultiplied);
  width = s.cx;
  height = s.cy;
  return bits;
}

// ---- Strips -------------------------------------------------------------------------------

bool CKtkImageManagerResource::Grow() {
  const int newWidth = m_usedWidth + m_width;
  void* bits = nullptr;
  HBITMAP color = Create32BitDIB(nullptr, newWidth, m_height, &bits);
  HBITMAP mask = color ? CreateBitmap(newWidth, m_height, 1, 1, nullptr) : nullptr;
  if (!color || !mask) {
    if (color) DeleteObject(color);
    return false;
  }
  if (m_color) {
    Blit(color, 0, 0, m_color, 0, 0, m_usedWidth, m_height);
    Blit(mask, 0, 0, m_mask, 0, 0, m_usedWidth, m_height);
    DeleteObject(m_color);
    DeleteObject(m_mask);
  }
  m_color = color;
  m_colorBits = static_cast<uint32_t*>(bits);
  m_mask = mask;
  return true;
}

KTK_IMAGERESOURCE_INFO* CKtkImageManagerResource::AllocateSlot() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!m_free.empty()) {
    KTK_IMAGERESOURCE_INFO* slot = m_free.back();
    m_free.pop_back();
    return slot;
  }
  if (m_width <= 0 || m_height <= 0 || !Grow()) return nullptr;
  auto slot = std::make_unique<KTK_IMAGERESOURCE_INFO>(
      KTK_IMAGERESOURCE_INFO{RECT{m_usedWidth, 0, m_usedWidth + m_width, m_height}, FALSE, this});
  m_usedWidth += m_width;
  m_allocated.push_back(std::move(slot));
  return m_allocated.back().get();
}

void CKtkImageManagerResource::FreeSlot(KTK_IMAGERESOURCE_INFO* slot) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!slot) return;
  m_free.push_back(slot);
  if (static_cast<int>(m_free.size()) * m_width == m_usedWidth) Clear();
}

void CKtkImageManagerResource::Clear() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (m_color) DeleteObject(m_color);
  if (m_mask) DeleteObject(m_mask);
  m_color = m_mask = nullptr;
  m_colorBits = nullptr;
  m_usedWidth = 0;
  m_free.clear();
  m_allocated.clear();
}

KTK_IMAGERESOURCE_INFO* CKtkImageManagerResource::StoreImage(const CKtkImageManagerImageRef& image) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (image.IsEmpty() || image.width != m_width || image.height != m_height || (!image.icon && !image.bitmap))
    return nullptr;
  KTK_IMAGERESOURCE_INFO* slot = AllocateSlot();
  if (!slot) return nullptr;
  const int x = slot->rect.left;
  HBITMAP pixels = nullptr;
  if (image.icon) {
    if (KtkGetComCtlVersion() >= 0x60000) pixels = AlphaOfIcon(image.icon);
    if (!pixels) {
      // Colour and mask, drawn over black.
      const RECT area{x, 0, x + m_width, m_height};
      WithDc(m_color, [&](HDC dc) {
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        DrawIconEx(dc, x, 0, image.icon, m_width, m_height, 0, nullptr, DI_NORMAL);
      });
      WithDc(m_mask, [&](HDC dc) {
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        DrawIconEx(dc, x, 0, image.icon, m_width, m_height, 0, nullptr, DI_MASK);
      });
      slot->alpha = FALSE;
      return slot;
    }
  } else {
    pixels = PremultiplyAlpha(image.bitmap, nullptr);
  }
  if (!pixels) {
    FreeSlot(slot);
    return nullptr;
  }
  Blit(m_color, x, 0, pixels, 0, 0, m_width, m_height);
  DeleteObject(pixels);
  slot->alpha = TRUE;
  return slot;
}

void CKtkImageManagerResource::ExtractImage(const KTK_IMAGERESOURCE_INFO* slot, CKtkImageManagerImageRef& image) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!slot || !m_color) return;
  void* bits = nullptr;
  HBITMAP color = Create32BitDIB(nullptr, m_width, m_height, &bits);
  if (!color) return;
  Blit(color, 0, 0, m_color, slot->rect.left, 0, m_width, m_height);
  if (slot->alpha) {
    image.SetBitmap(color, bits);
    return;
  }
  HBITMAP mask = CreateBitmap(m_width, m_height, 1, 1, nullptr);
  if (mask) Blit(mask, 0, 0, m_mask, slot->rect.left, 0, m_width, m_height);
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = mask ? CreateIconIndirect(&info) : nullptr;
  if (mask) DeleteObject(mask);
  DeleteObject(color);
  image.SetIcon(icon);
}

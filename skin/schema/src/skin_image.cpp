#include "ornatex/schema/skin_image.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <win/gdi_text.h>
#include <win/nls.h>
#include <win/user_draw.h>

#include "ornatex/draw/draw_helpers.h"
#include "ornatex/image/bitmap_routines.h"
#include "ornatex/core/skin_manager.h"

namespace {

constexpr COLORREF kNoColor = 0xFFFFFFFFu;
// Every schema of this system asks for alpha images to be premultiplied when loaded.
constexpr bool kSchemaPremultipliesAlpha = true;

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// A bitmap's pixels as 32-bit values, top row first: an alpha image's own pixels, any other
// drawn into a 32-bit section first.
bool ReadPixels(HBITMAP bitmap, bool alpha, int width, int height, std::vector<uint32_t>* out) {
  HBITMAP source = bitmap;
  HBITMAP drawn = nullptr;
  if (!alpha) {
    drawn = Create32BitDIB(nullptr, width, height, nullptr);
    HDC dc = drawn ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
      if (drawn) DeleteObject(drawn);
      return false;
    }
    HGDIOBJ old = SelectObject(dc, drawn);
    DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, 0, 0, width, height, DST_BITMAP);
    SelectObject(dc, old);
    DeleteDC(dc);
    source = drawn;
  }
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = -height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  out->assign(static_cast<size_t>(width) * height, 0);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, source, 0, static_cast<UINT>(height), out->data(), &bmi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (drawn) DeleteObject(drawn);
  return rows == height;
}

// A top-down 32-bit section holding the pixels.
HBITMAP SectionOf(const std::vector<uint32_t>& pixels, int width, int height) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = -height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && bits) std::memcpy(bits, pixels.data(), pixels.size() * 4);
  return section;
}

COLORREF ToColorRef(uint32_t pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }

uint32_t FromColorRef(COLORREF c, uint32_t alpha) {
  return (alpha << 24) | (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
}

void FillSolidRect(HDC dc, const RECT& r, COLORREF color) {
  const COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

// Margins from a skin may be negative or larger than the picture: each is kept between 0
// and the source's size along its axis.
KTK_MARGINS Clamped(const KTK_MARGINS& m, const RECT& source) {
  const int w = std::max(Width(source), 0), h = std::max(Height(source), 0);
  return KTK_MARGINS{std::clamp(m.cxLeftWidth, 0, w), std::clamp(m.cxRightWidth, 0, w), std::clamp(m.cyTopHeight, 0, h),
                     std::clamp(m.cyBottomHeight, 0, h)};
}

}  // namespace

CKtkSkinImage::~CKtkSkinImage() {
  if (m_hBitmap) DeleteObject(m_hBitmap);
}

BOOL CKtkSkinImage::Adopt(HBITMAP bitmap, BOOL alpha) {
  if (m_hBitmap) DeleteObject(m_hBitmap);
  m_hBitmap = nullptr;
  m_bAlpha = FALSE;
  m_width = m_height = 0;
  if (!bitmap) return 0;
  if (alpha && kSchemaPremultipliesAlpha) {
    int answer = 0;
    HBITMAP premultiplied = PremultiplyAlpha(bitmap, &answer);
    if (premultiplied) {
      DeleteObject(bitmap);
      bitmap = premultiplied;
      alpha = answer == 1;
    }
  }
  BITMAP bm{};
  if (!GetObjectW(bitmap, sizeof bm, &bm)) {
    DeleteObject(bitmap);
    return 0;
  }
  m_hBitmap = bitmap;
  m_bAlpha = alpha;
  m_width = bm.bmWidth;
  m_height = bm.bmHeight;
  return 1;
}

BOOL CKtkSkinImage::LoadFromFile(LPCWSTR path) {
  BOOL alpha = FALSE;
  HBITMAP bitmap = LoadBitmapFromFile(path, &alpha);
  return Adopt(bitmap, alpha);
}

BOOL CKtkSkinImage::LoadFromResource(HMODULE module, LPCWSTR name) {
  BOOL alpha = FALSE;
  HBITMAP bitmap = LoadBitmapResourceRaw(module, name, &alpha);
  return Adopt(bitmap, alpha);
}

SIZE CKtkSkinImage::GetExtent() const { return m_hBitmap ? SIZE{m_width, m_height} : SIZE{0, 0}; }

void CKtkSkinImage::Replace(HBITMAP bitmap) {
  if (!bitmap) return;
  if (m_hBitmap) DeleteObject(m_hBitmap);
  m_hBitmap = bitmap;
}

void CKtkSkinImage::ApplyColorFilters(COLORREF leaveAlone) {
  if (!m_hBitmap || m_bColorFiltered) return;
  m_bColorFiltered = TRUE;
  if (!m_pManager || !m_pManager->HasColorFilters()) return;
  std::vector<uint32_t> pixels;
  if (!ReadPixels(m_hBitmap, m_bAlpha, m_width, m_height, &pixels)) return;
  for (uint32_t& p : pixels) {
    COLORREF c = ToColorRef(p);
    if (c == leaveAlone) continue;
    m_pManager->ApplyColorFilters(c);
    p = FromColorRef(c, p >> 24);
  }
  Replace(SectionOf(pixels, m_width, m_height));
}

void CKtkSkinImage::PrepareSolidBlocks(int frameCount, BOOL horizontal, const KTK_MARGINS& margins) {
  if (!m_hBitmap || frameCount < 1 || m_bColorFiltered || m_bSolidBlocksPrepared) return;
  m_bSolidBlocksPrepared = TRUE;
  m_solidBlocks.clear();
  if (frameCount != 1 && horizontal) return;
  std::vector<uint32_t> pixels;
  if (!ReadPixels(m_hBitmap, m_bAlpha, m_width, m_height, &pixels)) return;
  // The block's colour when every pixel in it has the same one.
  auto test = [&](const RECT& r) {
    if (Empty(r) || r.left < 0 || r.top < 0 || r.right > m_width || r.bottom > m_height) return false;
    const uint32_t mask = m_bAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
    const uint32_t first = pixels[static_cast<size_t>(r.top) * m_width + r.left] & mask;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if ((pixels[static_cast<size_t>(y) * m_width + x] & mask) != first) return false;
    m_solidBlocks.push_back(KtkSkinSolidBlock{r, ToColorRef(first) | (m_bAlpha ? first & 0xFF000000u : 0u)});
    return true;
  };
  const int c = m_height / frameCount;
  const int l = margins.cxLeftWidth, rgt = margins.cxRightWidth, t = margins.cyTopHeight, b = margins.cyBottomHeight;
  for (int d = 0; d < frameCount; ++d) {
    const int top = c * d, bottom = c * (d + 1);
    if (test(RECT{0, top, m_width, bottom})) continue;
    if (l == 0 && rgt == 0 && t == 0 && b == 0) continue;
    test(RECT{0, top + t, l, bottom - b});                    // left edge
    test(RECT{l, top, m_width - rgt, top + t});               // top edge
    test(RECT{m_width - rgt, top + t, m_width, bottom - b});  // right edge
    test(RECT{l, bottom - b, m_width - rgt, bottom});         // bottom edge
    test(RECT{l, top + t, m_width - rgt, bottom - b});        // centre
  }
}

const KtkSkinSolidBlock* CKtkSkinImage::SolidBlockFor(const RECT& s) const {
  for (const KtkSkinSolidBlock& block : m_solidBlocks)
    if (s.left >= block.rect.left && s.top >= block.rect.top && s.right <= block.rect.right &&
        s.bottom <= block.rect.bottom)
      return &block;
  return nullptr;
}

bool CKtkSkinImage::FillFromBlock(HDC dc, const RECT& destination, const KtkSkinSolidBlock& block, COLORREF transparent,
                                  bool skipTransparent) {
  COLORREF color = block.color & 0x00FFFFFF;
  const bool isTransparent = color == transparent;
  if (!isTransparent && m_pManager) m_pManager->ApplyColorFilters(color);
  if (!m_bAlpha) {
    if (!(skipTransparent && isTransparent)) FillSolidRect(dc, destination, color);
    return true;
  }
  const uint32_t alpha = block.color >> 24;
  if (alpha == 0) return true;
  if (alpha == 255) {
    FillSolidRect(dc, destination, color);
    return true;
  }
  return false;
}

void CKtkSkinImage::DrawImage(HDC dc, const RECT& destination, const RECT& source, const KTK_MARGINS& rawMargins,
                              COLORREF transparent, int sizingType, BOOL borderOnly) {
  if (!dc || !m_hBitmap) return;
  const KTK_MARGINS margins = Clamped(rawMargins, source);
  if (Height(source) < margins.cyTopHeight + margins.cyBottomHeight) return;
  if (const KtkSkinSolidBlock* block = SolidBlockFor(source))
    if (FillFromBlock(dc, destination, *block, transparent, true)) return;
  m_lastTransparent = transparent;
  if (transparent == kNoColor || m_bAlpha) {
    PaintNineGrid(dc, destination, source, margins, sizingType, borderOnly, transparent);
    return;
  }
  ApplyColorFilters(transparent);
  const int w = Width(destination), h = Height(destination);
  if (w <= 0 || h <= 0) return;
  HBITMAP work = CreateCompatibleBitmap(dc, w, h);
  HDC workDc = work ? CreateCompatibleDC(dc) : nullptr;
  if (workDc) {
    HGDIOBJ old = SelectObject(workDc, work);
    FillSolidRect(workDc, RECT{0, 0, w, h}, transparent);
    PaintNineGrid(workDc, RECT{0, 0, w, h}, source, margins, sizingType, borderOnly, transparent);
    TransparentDraw(dc, destination, workDc, RECT{0, 0, w, h}, transparent);
    SelectObject(workDc, old);
    DeleteDC(workDc);
  }
  if (work) DeleteObject(work);
}

void CKtkSkinImage::PaintNineGrid(HDC dc, const RECT& d, const RECT& sourceRect, const KTK_MARGINS& m, int sizingType,
                                  BOOL borderOnly, COLORREF transparent) {
  if (!m_hBitmap || Height(sourceRect) < m.cyTopHeight + m.cyBottomHeight) return;
  ApplyColorFilters(kNoColor);
  SetStretchBltMode(dc, COLORONCOLOR);
  bool tileX = sizingType == KTK_SIZING_TILE, tileY = tileX;

  CDC target;
  target.Attach(dc);
  const BOOL dcMirrored = m_bMirrorAllowed ? CKtkDrawHelpers::IsDCMirrored(&target) : FALSE;
  target.Detach();
  // An alpha image is kept in the orientation of the DC it is drawn into.
  if (m_bAlpha && m_bMirrorAllowed && (m_bMirrored != 0) != (dcMirrored != 0)) {
    if (HBITMAP mirrored = MirrorDIB(m_hBitmap)) {
      Replace(mirrored);
      m_bMirrored = !m_bMirrored;
    }
  }
  // Source coordinates follow the bitmap's orientation, so a strip's frame stays the same
  // pixels in either.
  RECT s = sourceRect;
  KTK_MARGINS sm = m;
  if (m_bMirrored) {
    s.left = m_width - sourceRect.right;
    s.right = m_width - sourceRect.left;
    std::swap(sm.cxLeftWidth, sm.cxRightWidth);
  }

  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return;
  HGDIOBJ old = SelectObject(memory, m_hBitmap);
  if (dcMirrored && !m_bAlpha) SetLayout(memory, 0);  // GDI mirrors it onto the DC

  if (sm.cxLeftWidth == 0 && sm.cxRightWidth == 0 && sm.cyTopHeight == 0 && sm.cyBottomHeight == 0) {
    StretchOrTile(dc, memory, d, s, tileX, tileY, transparent);
  } else {
    const int dw = Width(d), dh = Height(d);
    int dt = sm.cyTopHeight, db = sm.cyBottomHeight, dl = sm.cxLeftWidth, dr = sm.cxRightWidth;
    const int tb = sm.cyTopHeight + sm.cyBottomHeight, lr = sm.cxLeftWidth + sm.cxRightWidth;
    if (dh <= tb || Height(s) == tb) {
      if (tb > 0) {
        dt = MulDiv(dh, sm.cyTopHeight, tb);
        db = dh - dt;
        if ((db & 1) != (sm.cyBottomHeight & 1)) db += 1;
      }
      tileY = false;
    }
    if (dw <= lr || Width(s) == lr) {
      if (lr > 0) {
        dl = MulDiv(dw, sm.cxLeftWidth, lr);
        dr = dw - dl;
      }
      tileX = false;
    }
    const int sx[4] = {s.left, s.left + sm.cxLeftWidth, s.right - sm.cxRightWidth, s.right};
    const int sy[4] = {s.top, s.top + sm.cyTopHeight, s.bottom - sm.cyBottomHeight, s.bottom};
    const int dx[4] = {d.left, d.left + dl, d.right - dr, d.right};
    const int dy[4] = {d.top, d.top + dt, d.bottom - db, d.bottom};
    auto src = [&](int i, int j) { return RECT{sx[i], sy[j], sx[i + 1], sy[j + 1]}; };
    auto dst = [&](int i, int j) { return RECT{dx[i], dy[j], dx[i + 1], dy[j + 1]}; };
    for (int j = 0; j < 3; ++j) {
      for (int i = 0; i < 3; ++i) {
        const bool corner = i != 1 && j != 1;
        if (corner)
          PlainCopy(dc, memory, dst(i, j), src(i, j));
        else if (!(i == 1 && j == 1 && borderOnly))
          StretchOrTile(dc, memory, dst(i, j), src(i, j), tileX, tileY, transparent);
      }
    }
  }
  SelectObject(memory, old);
  DeleteDC(memory);
}

void CKtkSkinImage::PlainCopy(HDC dc, HDC memory, const RECT& d, const RECT& s) {
  if (Empty(d) || Empty(s)) return;
  if (m_bAlpha) {
    if (auto blend = KtkDrawHelpers().m_pfnAlphaBlend) {
      BLENDFUNCTION f{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      if (blend(dc, d.left, d.top, Width(d), Height(d), memory, s.left, s.top, Width(s), Height(s), f)) return;
    }
    ManualAlphaBlend(dc, d.left, d.top, Width(d), Height(d), memory, s.left, s.top, Width(s), Height(s));
    return;
  }
  if (Width(d) == Width(s) && Height(d) == Height(s))
    BitBlt(dc, d.left, d.top, Width(d), Height(d), memory, s.left, s.top, SRCCOPY);
  else
    StretchBlt(dc, d.left, d.top, Width(d), Height(d), memory, s.left, s.top, Width(s), Height(s), SRCCOPY);
}

void CKtkSkinImage::StretchOrTile(HDC dc, HDC memory, const RECT& d, const RECT& s, bool tileX, bool tileY,
                                  COLORREF transparent) {
  if (Empty(d) || Empty(s)) return;
  // Solid blocks are found in the bitmap's own orientation.
  RECT lookup = s;
  if (m_bMirrored) lookup = RECT{m_width - s.right, s.top, m_width - s.left, s.bottom};
  if (const KtkSkinSolidBlock* block = SolidBlockFor(lookup))
    if (FillFromBlock(dc, d, *block, transparent, false)) return;
  const int sw = Width(s), sh = Height(s), dw = Width(d), dh = Height(d);
  if ((!tileX && !tileY) || (sw == 1 && sh == 1) || (sw == 1 && sh == dh) || (sh == 1 && sw == dw)) {
    PlainCopy(dc, memory, d, s);
    return;
  }
  const int cellH = tileY && sh < dh ? sh : dh;
  const int cellW = tileX && sw < dw ? sw : dw;
  for (int y = d.top; y < d.bottom; y += cellH) {
    const int bottom = std::min(y + cellH, static_cast<int>(d.bottom));
    const int srcH = tileY && sh < dh ? bottom - y : sh;
    for (int x = d.left; x < d.right; x += cellW) {
      const int right = std::min(x + cellW, static_cast<int>(d.right));
      const int srcW = tileX && sw < dw ? right - x : sw;
      PlainCopy(dc, memory, RECT{x, y, right, bottom}, RECT{s.left, s.top, s.left + srcW, s.top + srcH});
    }
  }
}

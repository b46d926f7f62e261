#include "frame_region_record.h"

#include <algorithm>
#include <string>
#include <vector>

#include <win/nls.h>

#include "ornatex/schema/skin_class.h"
#include "ornatex/schema/skin_image.h"

namespace {

enum : int {
  kTransparent = 2201,
  kImageCount = 2401,
  kImageFile = 3001,
  kSizingMargins = 3601,
  kTransparentColor = 3809
};
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kNoColor = 0xFFFFFFFFu;

// The edge image's first frame drawn at a size into a bitmap of the transparent colour,
// read back as pixels (top-down rows of 0x00RRGGBB).
struct EdgePixels {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t key = 0;
  bool Transparent(int x, int y) const { return (pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFFu) == key; }
};

bool Render(CKtkSkinManagerClass& windowClass, int part, int width, int height, bool sizeFromImageWidth,
            bool sizeFromFrameHeight, EdgePixels* out, RECT* margins) {
  CKtkSkinImage* image = windowClass.GetImage(windowClass.GetString(part, 0, kImageFile));
  if (!image) return false;
  const SIZE extent = image->GetExtent();
  const int count = std::max(windowClass.GetInt(part, 0, kImageCount, 1), 1);
  const int frameHeight = extent.cy / count;  // frames stacked vertically
  if (extent.cx <= 0 || frameHeight <= 0) return false;
  if (sizeFromImageWidth) width = extent.cx;
  if (sizeFromFrameHeight) height = frameHeight;
  if (width <= 0 || height <= 0) return false;

  RECT m = windowClass.GetRect(part, 0, kSizingMargins, RECT{0, 0, 0, 0});
  // Margins stay within the bitmap: a second margin larger than what the first leaves is
  // cut to fit.
  m.left = std::clamp<LONG>(m.left, 0, width);
  m.right = std::clamp<LONG>(m.right, 0, width - m.left);
  m.top = std::clamp<LONG>(m.top, 0, height);
  m.bottom = std::clamp<LONG>(m.bottom, 0, height - m.top);
  *margins = m;

  const COLORREF key = !image->m_bAlpha && windowClass.GetBool(part, 0, kTransparent, FALSE)
                           ? windowClass.GetColor(part, 0, kTransparentColor, kMagenta)
                           : kMagenta;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  if (!dc || !bitmap) {
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return false;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT all{0, 0, width, height};
  HBRUSH fill = CreateSolidBrush(key);
  FillRect(dc, &all, fill);
  DeleteObject(fill);
  const KTK_MARGINS nine{static_cast<int>(m.left), static_cast<int>(m.right), static_cast<int>(m.top),
                         static_cast<int>(m.bottom)};
  // Key-coloured pixels of the image are skipped, so the key stays exact under stretching.
  image->DrawImage(dc, all, RECT{0, 0, extent.cx, frameHeight}, nine, image->m_bAlpha ? kNoColor : key, 1, FALSE);
  SelectObject(dc, old);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  out->width = width;
  out->height = height;
  out->pixels.assign(static_cast<size_t>(width) * height, 0);
  const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), out->pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(dc);
  out->key =
      (static_cast<uint32_t>(GetRValue(key)) << 16) | (static_cast<uint32_t>(GetGValue(key)) << 8) | GetBValue(key);
  return rows == height;
}

void AddRun(HRGN& region, int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  HRGN run = CreateRectRgn(left, top, right, bottom);
  if (!region) {
    region = run;
    return;
  }
  CombineRgn(region, region, run, RGN_OR);
  DeleteObject(run);
}

// Rows (horizontal edges) or columns (vertical edges) of the bitmap, each scanned along
// its length: transparent runs inside the first margin join the first corner's region,
// those inside the second margin the second's (relative to that margin's start); lines
// transparent over the whole middle span are counted from the outer side.
void Scan(const EdgePixels& px, bool horizontal, bool outerAtStart, KtkFrameEdgeRegion* edge) {
  const int length = horizontal ? px.width : px.height;
  const int lines = horizontal ? px.height : px.width;
  const int firstMargin = horizontal ? edge->margins.left : edge->margins.top;
  const int secondMargin = horizontal ? edge->margins.right : edge->margins.bottom;
  const int secondStart = length - secondMargin;
  auto transparent = [&](int line, int along) {
    return horizontal ? px.Transparent(along, line) : px.Transparent(line, along);
  };
  auto add = [&](HRGN& region, int line, int from, int to, int origin) {
    if (horizontal)
      AddRun(region, from - origin, line, to - origin, line + 1);
    else
      AddRun(region, line, from - origin, line + 1, to - origin);
  };
  for (int line = 0; line < lines; ++line) {
    for (int pass = 0; pass < 2; ++pass) {
      const int from = pass == 0 ? 0 : secondStart, to = pass == 0 ? firstMargin : length;
      HRGN& region = pass == 0 ? edge->first : edge->second;
      int run = -1;
      for (int a = from; a <= to; ++a) {
        const bool t = a < to && transparent(line, a);
        if (t && run < 0) run = a;
        if (!t && run >= 0) {
          add(region, line, run, a, pass == 0 ? 0 : secondStart);
          run = -1;
        }
      }
    }
  }
  edge->count = 0;
  for (int i = 0; i < lines; ++i) {
    const int line = outerAtStart ? i : lines - 1 - i;
    bool whole = firstMargin < secondStart;
    for (int a = firstMargin; whole && a < secondStart; ++a) whole = transparent(line, a);
    if (!whole) break;
    ++edge->count;
  }
}

}  // namespace

KtkFrameRegionRecord::~KtkFrameRegionRecord() {
  for (KtkFrameEdgeRegion& edge : edges) {
    if (edge.first) DeleteObject(edge.first);
    if (edge.second) DeleteObject(edge.second);
  }
}

std::shared_ptr<KtkFrameRegionRecord> KtkMakeFrameRegionRecord(CKtkSkinManagerClass& windowClass, int captionHeight,
                                                               int sideWidth, bool toolWindow, int windowWidth) {
  auto record = std::make_shared<KtkFrameRegionRecord>();
  record->captionHeight = captionHeight;
  record->sideWidth = sideWidth;
  record->toolWindow = toolWindow;
  const int caption = toolWindow ? 2 : 1, left = toolWindow ? 10 : 7, right = toolWindow ? 11 : 8,
            bottom = toolWindow ? 12 : 9;
  struct Plan {
    KtkFrameEdge edge;
    int part;
    bool horizontal;
    bool outerAtStart;
  };
  const Plan plans[] = {{kEdgeTop, caption, true, true},
                        {kEdgeLeft, left, false, true},
                        {kEdgeRight, right, false, false},
                        {kEdgeBottom, bottom, true, false}};
  for (const Plan& plan : plans) {
    KtkFrameEdgeRegion& edge = record->edges[plan.edge];
    EdgePixels pixels;
    const bool ok = plan.horizontal
                        ? Render(windowClass, plan.part, 0, plan.edge == kEdgeTop ? captionHeight : sideWidth, true,
                                 false, &pixels, &edge.margins)
                        : Render(windowClass, plan.part, sideWidth, 0, false, true, &pixels, &edge.margins);
    if (!ok) continue;
    edge.present = true;
    if (plan.edge == kEdgeTop && windowWidth < edge.margins.left + edge.margins.right) {
      // Too narrow for both corners: they share the window's width in proportion.
      record->temporary = true;
      const int scaledLeft = MulDiv(windowWidth, edge.margins.left, edge.margins.left + edge.margins.right);
      edge.margins.left = scaledLeft;
      edge.margins.right = windowWidth - scaledLeft;
    }
    Scan(pixels, plan.horizontal, plan.outerAtStart, &edge);
  }
  return record;
}

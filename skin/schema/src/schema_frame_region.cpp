// The window region of a skinned frame: the window's rectangle less what the frame images
// leave transparent, from records cached per frame size.
#include <memory>
#include <mutex>

#include <win/user_window.h>

#include "frame_region_record.h"
#include "ornatex/core/monitor_service.h"
#include "ornatex/schema/frame_data.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"

namespace {

void Subtract(HRGN region, HRGN piece, int x, int y) {
  if (!piece) return;
  HRGN moved = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(moved, piece, nullptr, RGN_COPY);
  OffsetRgn(moved, x, y);
  CombineRgn(region, region, moved, RGN_DIFF);
  DeleteObject(moved);
}

void Subtract(HRGN region, int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  HRGN band = CreateRectRgn(left, top, right, bottom);
  CombineRgn(region, region, band, RGN_DIFF);
  DeleteObject(band);
}

}  // namespace

HRGN CKtkSkinManagerSchema::BuildFrameRegion(CKtkSkinFrameData* frame, int width, int height) {
  const HWND window = frame->FrameWindow();
  const DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
  const RECT& borders = frame->m_rcBorders;
  if ((style & WS_MAXIMIZE) && !(style & WS_CHILD)) {
    const int b = borders.left - ((exStyle & WS_EX_CLIENTEDGE) ? 2 : 0);
    const RECT work = KtkMultiMonitor().GetWorkArea(window);
    if (work.right - work.left != width) return CreateRectRgn(b, b, width - b, height - b);
    return CreateRectRgn(b, b, width + 2 * b, height + 2 * b);
  }
  HRGN region = CreateRectRgn(0, 0, width, height);
  const int caption = borders.top, side = borders.left;
  const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
  std::shared_ptr<const KtkFrameRegionRecord> record;
  {
    // The cache is emptied by ReloadMetrics on any thread, and the class's readers are
    // shared with caption painting: both only under the frame lock. The record itself is
    // held by this reference while the region is cut, whatever happens to the cache.
    std::lock_guard<std::mutex> lock(m_frameLock);
    bool narrow = false;
    for (const auto& cached : m_frameRegions) {
      if (cached->captionHeight != caption || cached->sideWidth != side || cached->toolWindow != tool) continue;
      const RECT& m = cached->edges[kEdgeTop].margins;
      if (width >= m.left + m.right)
        record = cached;
      else
        narrow = true;
      break;
    }
    if (!record) {
      CKtkSkinManagerClass* windowClass = KtkSchemaClass(*this, u"WINDOW");
      if (windowClass) {
        auto made = KtkMakeFrameRegionRecord(*windowClass, caption, side, tool, width);
        if (narrow) made->temporary = true;
        if (!made->temporary) m_frameRegions.push_back(made);
        record = std::move(made);
      }
    }
  }
  if (!record) return region;
  const int W = width, H = height;
  if (const KtkFrameEdgeRegion& top = record->edges[kEdgeTop]; top.present) {
    Subtract(region, top.first, 0, 0);
    Subtract(region, top.second, W - top.margins.right, 0);
    Subtract(region, top.margins.left, 0, W - top.margins.right, top.count);
  }
  if (const KtkFrameEdgeRegion& bottom = record->edges[kEdgeBottom]; bottom.present) {
    Subtract(region, bottom.first, 0, H - side);
    Subtract(region, bottom.second, W - bottom.margins.right, H - side);
    Subtract(region, bottom.margins.left, H - bottom.count, W - bottom.margins.right, H);
  }
  if (const KtkFrameEdgeRegion& left = record->edges[kEdgeLeft]; left.present) {
    Subtract(region, left.first, 0, caption);
    Subtract(region, left.second, 0, H - left.margins.bottom - side);
    Subtract(region, 0, caption + left.margins.top, left.count, H - left.margins.bottom - side);
  }
  if (const KtkFrameEdgeRegion& right = record->edges[kEdgeRight]; right.present) {
    Subtract(region, right.first, W - side, caption);
    Subtract(region, right.second, W - side, H - right.margins.bottom - side);
    Subtract(region, W - right.count, caption + right.margins.top, W, H - right.margins.bottom - side);
  }
  return region;
}

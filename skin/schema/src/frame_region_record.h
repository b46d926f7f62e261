// What a skin's frame images leave transparent, measured once per frame size: for each
// edge the transparent pixels of its two corners and how many fully transparent rows (or
// columns) lie along its outer side. Regions of windows of any length are cut from it.
#pragma once

#include <memory>

#include <win/gdi.h>

class CKtkSkinManagerClass;

enum KtkFrameEdge { kEdgeLeft = 0, kEdgeTop = 1, kEdgeRight = 2, kEdgeBottom = 3 };

struct KtkFrameEdgeRegion {
  bool present = false;
  // Each relative to its corner: the first at the edge's start, the second at the start
  // of its second sizing margin.
  HRGN first = nullptr;
  HRGN second = nullptr;
  RECT margins{};  // left, top, right, bottom sizing margins
  int count = 0;   // fully transparent rows (top, bottom) or columns (left, right) outside
};

struct KtkFrameRegionRecord {
  KtkFrameRegionRecord() = default;
  ~KtkFrameRegionRecord();
  KtkFrameRegionRecord(const KtkFrameRegionRecord&) = delete;
  KtkFrameRegionRecord& operator=(const KtkFrameRegionRecord&) = delete;

  int captionHeight = 0;
  int sideWidth = 0;
  bool toolWindow = false;
  bool temporary = false;
  KtkFrameEdgeRegion edges[4];
};

// Renders the "WINDOW" class's edge images for these sizes and scans them. A window
// narrower than the caption's two corner margins gets a temporary record, its caption
// margins shared out in proportion over the window's width.
std::shared_ptr<KtkFrameRegionRecord> KtkMakeFrameRegionRecord(CKtkSkinManagerClass& windowClass, int captionHeight,
                                                               int sideWidth, bool toolWindow, int windowWidth);

// What a skinned frame keeps of its non-client area for the schema to paint and shape it:
// the border widths, the active state and the caption buttons, and the few things only the
// frame's own object can answer (its window, its schema, its skin class and the brush its
// parent gives it). The frame skin object is one; tests give the schema plain ones.
#pragma once

#include <memory>
#include <vector>

#include <win/gdi.h>
#include <win/types.h>

#include "ornatex/controls/scroll_bar_info.h"
#include "ornatex/export.h"

class CCaptionButton;
class CKtkSkinManagerClass;
class CKtkSkinManagerSchema;

class ORNATEX_API CKtkSkinFrameData {
 public:
  CKtkSkinFrameData();
  virtual ~CKtkSkinFrameData();
  CKtkSkinFrameData(const CKtkSkinFrameData&) = delete;
  CKtkSkinFrameData& operator=(const CKtkSkinFrameData&) = delete;

  virtual HWND FrameWindow() const = 0;
  // The schema the frame is painted from (null while none is loaded).
  virtual CKtkSkinManagerSchema* FrameSchema() = 0;
  // The skin class of the window's own object ("WINDOW" for a plain frame).
  virtual CKtkSkinManagerClass* FrameSkinClass() = 0;
  // The brush the parent gives the window's background in this DC.
  virtual HBRUSH GetClientBrush(HDC dc) = 0;

  // Left, top (the caption area), right and bottom widths of the skinned non-client area.
  RECT m_rcBorders{};
  BOOL m_bActive = FALSE;
  // In caption order from the right: close, maximise or restore, minimise, help.
  std::vector<std::unique_ptr<CCaptionButton>> m_captionButtons;
  CCaptionButton* m_pHotButton = nullptr;
  CCaptionButton* m_pPressedButton = nullptr;
  // The frame's own scroll bars, horizontal then vertical.
  ScrollBarPosInfo m_scrollBars[2];
  // The one mouse-tracking loop of a bar of this object, while it runs.
  std::unique_ptr<ScrollBarTrackInfo> m_pScrollTracking;
};

// The sizes, fonts, colours and brushes one skin schema draws with: the system's values,
// replaced by the skin's where it defines them.
#pragma once

#include <win/gdi.h>
#include <win/types.h>

#include "ornatex/export.h"

class CKtkSkinManagerClass;
class CKtkSkinManagerSchema;

#define KTK_METRIC_COLORS 31

class ORNATEX_API CKtkSkinManagerMetrics {
 public:
  explicit CKtkSkinManagerMetrics(CKtkSkinManagerSchema* schema = nullptr);
  virtual ~CKtkSkinManagerMetrics();  // deletes the fonts and every brush
  CKtkSkinManagerMetrics(const CKtkSkinManagerMetrics&) = delete;
  CKtkSkinManagerMetrics& operator=(const CKtkSkinManagerMetrics&) = delete;

  // Without a schema: the system colours, and no brushes. With one: the system's fonts
  // and sizes, replaced by the skin's "SYSMETRICS" values (caption heights get 1 more),
  // and the skin's colours 1601 + index, else the default table through the colour
  // filters, each with its brush.
  virtual void RefreshMetrics();
  // The colour of a system-colour index; 0 above 30.
  COLORREF GetColor(int index) const;
  HBRUSH GetBrush(int index) const;
  // The background of property pages: the skin's "TAB" body texture (part 10's image file
  // 3007) at its own size as a pattern brush, made on first use for `page`'s DC and kept
  // until the next refresh; the dialog brush when the skin has no such image.
  HBRUSH GetPropertyPageBrush(CKtkSkinManagerClass* tabClass, HWND page);

  CKtkSkinManagerSchema* m_pSchema;
  HFONT m_captionFont = nullptr;
  HFONT m_smallCaptionFont = nullptr;
  HFONT m_menuFont = nullptr;
  COLORREF m_colors[KTK_METRIC_COLORS];
  HBRUSH m_brushes[KTK_METRIC_COLORS] = {};
  COLORREF m_light = 0, m_highlight = 0, m_shadow = 0, m_darkShadow = 0;
  HBRUSH m_dialogBrush = nullptr;
  HBRUSH m_windowBrush = nullptr;
  HBRUSH m_pageBrush = nullptr;
  int m_borderMultiplier = 1;
  int m_cxBorder = 0, m_cyBorder = 0, m_cxEdge = 0, m_cyEdge = 0;
  int m_cxHScroll = 0, m_cyHScroll = 0, m_cxVScroll = 0, m_cyVScroll = 0, m_cxVScroll2 = 0;
  int m_cyCaption = 0, m_cyCaption2 = 0, m_cySmallCaption = 0, m_cySmallCaption2 = 0;
  BOOL m_refreshing = FALSE;
};

#include "ornatex/core/skin_metrics.h"

#include <algorithm>
#include <iterator>

#include <win/gdi_text.h>
#include <win/user_ncmetrics.h>
#include <win/user_system.h>
#include <win/uxtheme.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"
#include "ornatex/schema/skin_image.h"

namespace {

// The colours a skin without its own system colours gets (index 0 to 30).
constexpr COLORREF kDefaultColors[KTK_METRIC_COLORS] = {
    RGB(192, 192, 192), RGB(58, 110, 165),  RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(223, 223, 223), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(180, 180, 180), RGB(0, 0, 255),     RGB(16, 132, 208),  RGB(181, 181, 181), RGB(0, 0, 128),
    RGB(192, 192, 192),
};

constexpr int kCaptionBarHeight = 1205, kSmallCaptionBarHeight = 1207;
constexpr int kScrollbarWidth = 1202, kScrollbarHeight = 1203;
constexpr int kCaptionFont = 801, kSmallCaptionFont = 802, kMenuFont = 803;
constexpr int kFirstColor = 1601;

void Replace(HFONT& font, const LOGFONTW& logfont) {
  if (font) DeleteObject(font);
  font = CreateFontIndirectW(&logfont);
}

void Replace(HBRUSH& brush, COLORREF color) {
  if (brush) DeleteObject(brush);
  brush = CreateSolidBrush(color);
}

}  // namespace

CKtkSkinManagerMetrics::CKtkSkinManagerMetrics(CKtkSkinManagerSchema* schema) : m_pSchema(schema) {
  std::fill(std::begin(m_colors), std::end(m_colors), 0xFFFFFFFFu);
}

CKtkSkinManagerMetrics::~CKtkSkinManagerMetrics() {
  for (HFONT* font : {&m_captionFont, &m_smallCaptionFont, &m_menuFont})
    if (*font) DeleteObject(*font);
  for (HBRUSH& brush : m_brushes)
    if (brush) DeleteObject(brush);
  if (m_dialogBrush) DeleteObject(m_dialogBrush);
  if (m_windowBrush) DeleteObject(m_windowBrush);
  if (m_pageBrush) DeleteObject(m_pageBrush);
}

HBRUSH CKtkSkinManagerMetrics::GetPropertyPageBrush(CKtkSkinManagerClass* tabClass, HWND page) {
  constexpr int kBodyImage = 3007;  // the part's image file
  if (m_pageBrush) return m_pageBrush;
  const std::u16string name = tabClass ? tabClass->GetString(TABP_BODY, 0, kBodyImage) : std::u16string();
  CKtkSkinImage* image = name.empty() ? nullptr : tabClass->GetImage(name);
  const SIZE size = image ? image->GetExtent() : SIZE{0, 0};
  if (size.cx <= 0 || size.cy <= 0) return m_dialogBrush;
  HDC windowDc = GetDC(page);
  HDC memory = CreateCompatibleDC(windowDc);
  HBITMAP texture = CreateCompatibleBitmap(windowDc, size.cx, size.cy);
  if (memory && texture) {
    HGDIOBJ old = SelectObject(memory, texture);
    const RECT whole{0, 0, size.cx, size.cy};
    image->DrawImage(memory, whole, whole, KTK_MARGINS{}, 0xFFFFFFFFu, 0, FALSE);
    SelectObject(memory, old);
    m_pageBrush = CreatePatternBrush(texture);  // the brush keeps its own copy of the pixels
  }
  if (texture) DeleteObject(texture);
  if (memory) DeleteDC(memory);
  ReleaseDC(page, windowDc);
  return m_pageBrush ? m_pageBrush : m_dialogBrush;
}

void CKtkSkinManagerMetrics::RefreshMetrics() {
  if (m_pageBrush) DeleteObject(m_pageBrush);  // made again from the skin on next use
  m_pageBrush = nullptr;
  if (!m_pSchema) {
    for (int i = 0; i < KTK_METRIC_COLORS; ++i) {
      m_colors[i] = GetSysColor(i);
      if (m_brushes[i]) DeleteObject(m_brushes[i]);
      m_brushes[i] = nullptr;
    }
    return;
  }
  m_refreshing = TRUE;
  const int sys = CKtkSkinManagerSchema::ClassCodeOf(u"SYSMETRICS");

  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    Replace(m_captionFont, ncm.lfCaptionFont);
    Replace(m_smallCaptionFont, ncm.lfSmCaptionFont);
    Replace(m_menuFont, ncm.lfMenuFont);
  }
  int border = 1;
  if (SystemParametersInfoW(SPI_GETBORDER, 0, &border, 0)) m_borderMultiplier = border;
  m_cxBorder = GetSystemMetrics(SM_CXBORDER);
  m_cyBorder = GetSystemMetrics(SM_CYBORDER);
  m_cxEdge = GetSystemMetrics(SM_CXEDGE);
  m_cyEdge = GetSystemMetrics(SM_CYEDGE);
  m_cxHScroll = GetSystemMetrics(SM_CXHSCROLL);
  m_cyHScroll = GetSystemMetrics(SM_CYHSCROLL);
  m_cxVScroll = m_cxVScroll2 = GetSystemMetrics(SM_CXVSCROLL);
  m_cyVScroll = GetSystemMetrics(SM_CYVSCROLL);
  m_cyCaption = m_cyCaption2 = GetSystemMetrics(SM_CYCAPTION);
  m_cySmallCaption = m_cySmallCaption2 = GetSystemMetrics(SM_CYSMCAPTION);

  if (m_pSchema->GetApplyOptions() & KTK_APPLY_METRICS) {
    int value = 0;
    m_cyCaption = m_cyCaption2 =
        (m_pSchema->GetIntValue(sys, 0, 0, kCaptionBarHeight, &value) == S_OK ? value : m_cyCaption) + 1;
    m_cySmallCaption = m_cySmallCaption2 =
        (m_pSchema->GetIntValue(sys, 0, 0, kSmallCaptionBarHeight, &value) == S_OK ? value : m_cySmallCaption) + 1;
    if (m_pSchema->GetIntValue(sys, 0, 0, kScrollbarWidth, &value) == S_OK && value > 0)
      m_cxVScroll = m_cxVScroll2 = m_cxHScroll = value;
    if (m_pSchema->GetIntValue(sys, 0, 0, kScrollbarHeight, &value) == S_OK && value > 0)
      m_cyVScroll = m_cyHScroll = value;
    LOGFONTW font{};
    if (m_pSchema->GetFontValue(sys, 0, 0, kCaptionFont, &font) == S_OK) Replace(m_captionFont, font);
    if (m_pSchema->GetFontValue(sys, 0, 0, kSmallCaptionFont, &font) == S_OK) Replace(m_smallCaptionFont, font);
    if (m_pSchema->GetFontValue(sys, 0, 0, kMenuFont, &font) == S_OK) Replace(m_menuFont, font);
  }

  for (int i = 0; i < KTK_METRIC_COLORS; ++i) {
    COLORREF color = 0;
    if (m_pSchema->GetColorValue(sys, 0, 0, kFirstColor + i, &color) != S_OK) {
      color = kDefaultColors[i];
      m_pSchema->ApplyColorFilters(color);
    }
    if (color != m_colors[i] || !m_brushes[i]) {
      m_colors[i] = color;
      Replace(m_brushes[i], color);
    }
  }

  m_light = m_colors[22];
  m_highlight = m_colors[20];
  m_shadow = m_colors[16];
  m_darkShadow = m_colors[21];
  Replace(m_dialogBrush, m_colors[15]);
  Replace(m_windowBrush, m_colors[5]);
  m_refreshing = FALSE;
}

COLORREF CKtkSkinManagerMetrics::GetColor(int index) const {
  return index >= 0 && index < KTK_METRIC_COLORS ? m_colors[index] : 0;
}

HBRUSH CKtkSkinManagerMetrics::GetBrush(int index) const {
  return index >= 0 && index < KTK_METRIC_COLORS ? m_brushes[index] : nullptr;
}

#include "ornatex/core/skin_metrics.h"

#include <algorithm>
#include <iterator>

#include <win/user_system.h>

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
}

void CKtkSkinManagerMetrics::RefreshMetrics() {
  if (!m_pSchema) {
    for (int i = 0; i < KTK_METRIC_COLORS; ++i) {
      m_colors[i] = GetSysColor(i);
      if (m_brushes[i]) DeleteObject(m_brushes[i]);
      m_brushes[i] = nullptr;
    }
    return;
  }
  // A schema's values are read once the schema exists; until then a schema changes
  // nothing the system gave.
}

COLORREF CKtkSkinManagerMetrics::GetColor(int index) const {
  return index >= 0 && index < KTK_METRIC_COLORS ? m_colors[index] : 0;
}

HBRUSH CKtkSkinManagerMetrics::GetBrush(int index) const {
  return index >= 0 && index < KTK_METRIC_COLORS ? m_brushes[index] : nullptr;
}

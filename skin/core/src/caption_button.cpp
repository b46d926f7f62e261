#include "ornatex/core/caption_button.h"

#include "ornatex/schema/frame_data.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"

CKtkSkinFrameData::CKtkSkinFrameData() = default;
CKtkSkinFrameData::~CKtkSkinFrameData() = default;

CCaptionButton::CCaptionButton(CKtkSkinFrameData* owner, UINT command, int hitCode, int part, BOOL enabled)
    : m_nCommand(command), m_pOwner(owner), m_nHitCode(hitCode), m_nPart(part), m_bEnabled(enabled) {}

int CCaptionButton::GetState(BOOL active) const {
  const bool hot =
      m_pOwner->m_pHotButton == this && (m_pOwner->m_pPressedButton == nullptr || m_pOwner->m_pPressedButton == this);
  const bool pressed = m_pOwner->m_pPressedButton == this;
  const int state = !m_bEnabled ? 4 : hot && pressed ? 3 : hot ? 2 : 1;
  return active ? state : state + 4;
}

void CCaptionButton::Draw(HDC dc, BOOL active) {
  CKtkSkinManagerSchema* schema = m_pOwner->FrameSchema();
  if (!schema) return;
  if (CKtkSkinManagerClass* windowClass = KtkSchemaClass(*schema, u"WINDOW"))
    windowClass->DrawThemeBackground(dc, m_nPart, GetState(active), m_rect);
}

BOOL CCaptionButton::HitTest(POINT windowPoint, BOOL maximizedTopLevel, BOOL first) const {
  RECT r = m_rect;
  if (maximizedTopLevel) {
    r.top -= 2;
    if (first) r.right += 2;
  }
  return windowPoint.x >= r.left && windowPoint.x < r.right && windowPoint.y >= r.top && windowPoint.y < r.bottom;
}

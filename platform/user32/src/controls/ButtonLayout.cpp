#include "ButtonLayout.h"

#include <algorithm>

namespace kx2::user32 {

ButtonKind KindOf(DWORD style) {
  switch (ButtonType(style)) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return (style & BS_PUSHLIKE) ? ButtonKind::Push : ButtonKind::Check;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return (style & BS_PUSHLIKE) ? ButtonKind::Push : ButtonKind::Radio;
    case BS_GROUPBOX:
      return ButtonKind::Group;
    case BS_USERBUTTON:
      return ButtonKind::User;
    case BS_OWNERDRAW:
      return ButtonKind::OwnerDraw;
    default:  // push, default push, push box, split and command-link buttons
      return ButtonKind::Push;
  }
}

bool IsCheckType(UINT type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
bool IsRadioType(UINT type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool IsThreeState(UINT type) { return type == BS_3STATE || type == BS_AUTO3STATE; }
bool IsSplit(UINT type) { return type == BS_SPLITBUTTON || type == BS_DEFSPLITBUTTON; }
bool IsDefault(UINT type) { return type == BS_DEFPUSHBUTTON || type == BS_DEFSPLITBUTTON || type == BS_DEFCOMMANDLINK; }

bool IsPushLike(DWORD style) { return KindOf(style) == ButtonKind::Push || ButtonType(style) == BS_OWNERDRAW; }

DWORD HorizontalAlign(DWORD style) {
  const DWORD h = style & BS_CENTER;
  if (h) return h;
  return IsPushLike(style) ? BS_CENTER : BS_LEFT;
}

DWORD VerticalAlign(DWORD style) {
  const DWORD v = style & BS_VCENTER;
  return v ? v : BS_VCENTER;
}

RECT GlyphRect(const RECT& client, DWORD style, int lineHeight) {
  RECT r = client;
  const DWORD v = VerticalAlign(style);
  // Top and bottom align the glyph with the first or last line of text.
  const int line = lineHeight + lineHeight / 4;
  if (v == BS_TOP) {
    r.top = client.top + (line - kGlyphSize) / 2;
  } else if (v == BS_BOTTOM) {
    r.top = client.bottom - line + (line - kGlyphSize) / 2;
  } else {
    r.top = client.top + (client.bottom - client.top - kGlyphSize) / 2;
  }
  r.bottom = r.top + kGlyphSize;
  if (style & BS_RIGHTBUTTON) {
    r.left = client.right - kGlyphSize;
  } else {
    r.left = client.left;
  }
  r.right = r.left + kGlyphSize;
  return r;
}

RECT TextBesideGlyph(const RECT& client, DWORD style) {
  RECT r = client;
  if (style & BS_RIGHTBUTTON)
    r.right -= kGlyphSize + kGlyphGap;
  else
    r.left += kGlyphSize + kGlyphGap;
  return r;
}

RECT PushContent(const RECT& client, DWORD style) {
  RECT r = client;
  InflateRect(&r, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
  if (IsSplit(ButtonType(style)) && !(style & BS_PUSHLIKE)) r.right -= kSplitWidth;
  return r;
}

RECT SplitPart(const RECT& client) {
  RECT r = client;
  InflateRect(&r, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
  r.left = std::max(r.left, r.right - kSplitWidth);
  return r;
}

RECT GroupFrame(const RECT& client, int lineHeight) {
  RECT r = client;
  r.top += lineHeight / 2;
  return r;
}

RECT GroupCaption(const RECT& client, DWORD style, SIZE text) {
  const int border = GetSystemMetrics(SM_CXBORDER);
  if (text.cx <= 0) return RECT{client.left, client.top, client.left, client.top + text.cy};
  const int width = text.cx + 2 * GetSystemMetrics(SM_CXEDGE);
  RECT r{0, client.top, 0, client.top + text.cy};
  switch (style & BS_CENTER) {
    case BS_RIGHT:
      r.right = client.right - border - 6;
      r.left = r.right - width;
      break;
    case BS_CENTER:
      r.left = client.left + (client.right - client.left - width) / 2;
      r.right = r.left + width;
      break;
    default:
      r.left = client.left + border + 8;
      r.right = r.left + width;
      break;
  }
  return r;
}

}  // namespace kx2::user32

// Push buttons are a raised face (sunken while pushed, framed in the window-frame colour
// when default) with their text or image centred; check boxes and radio buttons a glyph
// beside their text; group boxes an etched frame broken by the caption. Push buttons ask
// the parent with WM_CTLCOLORBTN, the others with WM_CTLCOLORSTATIC, whose text colour
// they keep.
#include "ButtonPaint.h"

#include <algorithm>
#include <string>

#include "ButtonLayout.h"
#include "ControlCommon.h"
#include "win/user_ownerdraw.h"

namespace kx2::user32 {
namespace {

int LineHeight(HDC dc) {
  SIZE s{};
  GetTextExtentPoint32W(dc, u" ", 1, &s);
  return s.cy;
}

UINT BaseFormat(HWND hwnd, DWORD style) {
  UINT format = (style & BS_MULTILINE) ? (DT_WORDBREAK | DT_EDITCONTROL) : DT_SINGLELINE;
  if (UiState(hwnd) & UISF_HIDEACCEL) format |= DT_HIDEPREFIX;
  if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_RTLREADING) format |= DT_RTLREADING;
  return format;
}

// A block of the given size placed in the room by the alignment bits.
RECT Place(const RECT& room, SIZE size, DWORD horizontal, DWORD vertical) {
  RECT r{};
  switch (horizontal) {
    case BS_LEFT:
      r.left = room.left;
      break;
    case BS_RIGHT:
      r.left = room.right - size.cx;
      break;
    default:
      r.left = room.left + (room.right - room.left - size.cx) / 2;
      break;
  }
  switch (vertical) {
    case BS_TOP:
      r.top = room.top;
      break;
    case BS_BOTTOM:
      r.top = room.bottom - size.cy;
      break;
    default:
      r.top = room.top + (room.bottom - room.top - size.cy) / 2;
      break;
  }
  r.right = r.left + size.cx;
  r.bottom = r.top + size.cy;
  return r;
}

bool ImageSize(HANDLE image, UINT type, SIZE* size) {
  if (!image) return false;
  if (type == IMAGE_BITMAP) {
    BITMAP bm{};
    if (!GetObjectW(image, sizeof(bm), &bm)) return false;
    *size = SIZE{bm.bmWidth, std::abs(bm.bmHeight)};
    return true;
  }
  int cx = 0, cy = 0;
  if (!Kx2GetIconSize(static_cast<HICON>(image), &cx, &cy)) return false;
  *size = SIZE{cx, cy};
  return true;
}

// The image this style shows, if it has one of the right kind.
bool ShowsImage(DWORD style, const ButtonLook& look) {
  if (style & BS_BITMAP) return look.imageType == IMAGE_BITMAP && look.image;
  if (style & BS_ICON) return (look.imageType == IMAGE_ICON || look.imageType == IMAGE_CURSOR) && look.image;
  return false;
}

// The text's size when drawn in a room this wide.
SIZE TextSize(HDC dc, const std::u16string& text, UINT format, int width) {
  if (text.empty()) return SIZE{0, 0};
  RECT calc{0, 0, std::max(width, 1), 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &calc, format | DT_CALCRECT);
  return SIZE{std::min<LONG>(calc.right - calc.left, std::max(width, 0)), calc.bottom - calc.top};
}

// Text or image in the room by the button's alignment; answers where it went (empty when
// there was nothing to draw).
RECT DrawContent(HWND hwnd, HDC dc, const ButtonLook& look, DWORD style, const RECT& room, COLORREF colour) {
  const bool enabled = IsWindowEnabled(hwnd);
  const DWORD horizontal = HorizontalAlign(style), vertical = VerticalAlign(style);
  if (style & (BS_BITMAP | BS_ICON)) {
    SIZE size{};
    if (!ShowsImage(style, look) || !ImageSize(look.image, look.imageType, &size)) return RECT{};
    const RECT at = Place(room, size, horizontal, vertical);
    const UINT kind = look.imageType == IMAGE_BITMAP ? DST_BITMAP : DST_ICON;
    DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(look.image), 0, at.left, at.top, size.cx, size.cy,
               kind | (enabled ? DSS_NORMAL : DSS_DISABLED));
    return at;
  }
  const std::u16string text = TextOf(hwnd);
  if (text.empty()) return RECT{};
  UINT format = BaseFormat(hwnd, style);
  const SIZE size = TextSize(dc, text, format, room.right - room.left);
  RECT at = Place(room, size, horizontal, vertical);
  if (horizontal == BS_CENTER) format |= DT_CENTER;
  if (horizontal == BS_RIGHT) format |= DT_RIGHT;
  if (enabled) {
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &at, format);
  } else {
    DrawDisabledText(dc, text, at, format);
  }
  return at;
}

bool ShowsFocus(HWND hwnd, const ButtonLook& look) {
  return (look.state & BST_FOCUS) && !(UiState(hwnd) & UISF_HIDEFOCUS);
}

void SplitArrow(HDC dc, const RECT& client, bool enabled) {
  RECT in = client;
  InflateRect(&in, -4, -4);
  const int r = in.right, c = (in.top + in.bottom) / 2;
  const int ink = enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT;
  for (int i = 0; i < 4; ++i) {
    const RECT row{r - 8 + i, c - 2 + i, r - 1 - i, c - 1 + i};
    FillRect(dc, &row, GetSysColorBrush(ink));
  }
  const RECT dark{r - 12, in.top, r - 11, in.bottom}, light{r - 11, in.top, r - 10, in.bottom};
  FillRect(dc, &dark, GetSysColorBrush(enabled ? COLOR_BTNSHADOW : COLOR_GRAYTEXT));
  FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

void PaintPush(HWND hwnd, HDC dc, const ButtonLook& look, DWORD style) {
  const RECT client = ClientRect(hwnd);
  const UINT type = ButtonType(style);
  HBRUSH brush = ParentBrush(hwnd, WM_CTLCOLORBTN, dc);
  FillBackground(dc, client, brush);
  const bool pushed = (look.state & BST_PUSHED) != 0;
  // A check box or radio button with BS_PUSHLIKE stays down while checked.
  const bool checked = (IsCheckType(type) || IsRadioType(type)) && (look.state & 3);
  RECT face = client;
  if (IsDefault(type)) {
    FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&face, -1, -1);
  }
  if (pushed && IsDefault(type)) {
    // The default button pushed is flat, framed in the shadow colour.
    FrameRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT inner = face;
    InflateRect(&inner, -1, -1);
    FillRect(dc, &inner, GetSysColorBrush(COLOR_BTNFACE));
  } else {
    RECT drawn = face;
    DrawFrameControl(dc, &drawn, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0) | (checked ? DFCS_CHECKED : 0) |
                         ((style & BS_FLAT) ? DFCS_FLAT : 0));
  }
  const bool enabled = IsWindowEnabled(hwnd);
  if (IsSplit(type) && !(style & BS_PUSHLIKE)) SplitArrow(dc, face, enabled);
  RECT room = PushContent(face, style);
  if (pushed || checked) OffsetRect(&room, 1, 1);
  if (!(style & BS_MULTILINE) && !(style & (BS_BITMAP | BS_ICON)))
    InflateRect(&room, -GetSystemMetrics(SM_CXBORDER), -GetSystemMetrics(SM_CYBORDER));
  DrawContent(hwnd, dc, look, style, room, GetSysColor(COLOR_BTNTEXT));
  if (ShowsFocus(hwnd, look)) {
    RECT focus = face;
    InflateRect(&focus, -GetSystemMetrics(SM_CXEDGE) - GetSystemMetrics(SM_CXBORDER),
                -GetSystemMetrics(SM_CYEDGE) - GetSystemMetrics(SM_CYBORDER));
    DrawFocusRect(dc, &focus);
  }
}

void PaintCheckOrRadio(HWND hwnd, HDC dc, const ButtonLook& look, DWORD style, bool radio) {
  const RECT client = ClientRect(hwnd);
  const UINT type = ButtonType(style);
  HBRUSH brush = ParentBrush(hwnd, WM_CTLCOLORSTATIC, dc);
  const COLORREF colour = GetTextColor(dc);
  FillBackground(dc, client, brush);
  const UINT check = look.state & 3;
  UINT glyph = radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
  if (check) glyph |= DFCS_CHECKED;
  // Only three-state boxes show the third state; a two-state box given it shows checked.
  if (!radio && check == BST_INDETERMINATE && IsThreeState(type)) glyph |= DFCS_BUTTON3STATE;
  if (look.state & BST_PUSHED) glyph |= DFCS_PUSHED;
  if (!IsWindowEnabled(hwnd)) glyph |= DFCS_INACTIVE;
  if (style & BS_FLAT) glyph |= DFCS_FLAT;
  RECT box = GlyphRect(client, style, LineHeight(dc));
  DrawFrameControl(dc, &box, DFC_BUTTON, glyph);
  const RECT at = DrawContent(hwnd, dc, look, style, TextBesideGlyph(client, style), colour);
  if (ShowsFocus(hwnd, look) && at.right > at.left) {
    const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
    RECT focus{};
    focus.left = std::max(client.left, at.left - bx);
    focus.top = std::max(client.top, at.top - by);
    focus.right = std::min(client.right, focus.left + (at.right - at.left) + GetSystemMetrics(SM_CXEDGE));
    focus.bottom = std::min(client.bottom, focus.top + (at.bottom - at.top) + GetSystemMetrics(SM_CYEDGE));
    DrawFocusRect(dc, &focus);
  }
}

// The frame is drawn around everything but the caption, whose background the parent's
// brush fills; the inside is left to the controls the box groups.
void PaintGroup(HWND hwnd, HDC dc, DWORD style) {
  const RECT client = ClientRect(hwnd);
  HBRUSH brush = ParentBrush(hwnd, WM_CTLCOLORSTATIC, dc);
  const COLORREF colour = GetTextColor(dc);
  const std::u16string text = TextOf(hwnd);
  const UINT format = DT_SINGLELINE | BaseFormat(hwnd, style & ~BS_MULTILINE);
  SIZE size = TextSize(dc, text, format, client.right - client.left);
  const int line = LineHeight(dc);
  if (text.empty()) size = SIZE{0, line};
  const RECT caption = GroupCaption(client, style, size);
  RECT frame = GroupFrame(client, line);
  const int saved = SaveDC(dc);
  if (caption.right > caption.left) ExcludeClipRect(dc, caption.left, caption.top, caption.right, caption.bottom);
  if (style & BS_FLAT)
    FrameRect(dc, &frame, GetSysColorBrush(COLOR_BTNSHADOW));
  else
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  RestoreDC(dc, saved);
  if (caption.right <= caption.left) return;
  FillBackground(dc, caption, brush);
  RECT at = caption;
  InflateRect(&at, -GetSystemMetrics(SM_CXEDGE), 0);
  if (IsWindowEnabled(hwnd)) {
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &at, format);
  } else {
    DrawDisabledText(dc, text, at, format);
  }
}

void PaintOwnerDrawn(HWND hwnd, HDC dc, const ButtonLook& look) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  const UINT ui = UiState(hwnd);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = ((look.state & BST_PUSHED) ? ODS_SELECTED : 0) | ((look.state & BST_FOCUS) ? ODS_FOCUS : 0) |
                   (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED) | ((ui & UISF_HIDEFOCUS) ? ODS_NOFOCUSRECT : 0) |
                   ((ui & UISF_HIDEACCEL) ? ODS_NOACCEL : 0);
  item.hwndItem = hwnd;
  item.hDC = dc;
  item.rcItem = ClientRect(hwnd);
  SendMessageW(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void PaintButton(HWND hwnd, HDC dc, const ButtonLook& look) {
  const DWORD style = StyleOf(hwnd);
  if (ButtonType(style) == BS_OWNERDRAW) {
    PaintOwnerDrawn(hwnd, dc, look);
    return;
  }
  const int saved = SaveDC(dc);
  SelectObject(dc, FontOrSystem(look.font));
  SetBkMode(dc, TRANSPARENT);
  switch (KindOf(style)) {
    case ButtonKind::Check:
      PaintCheckOrRadio(hwnd, dc, look, style, false);
      break;
    case ButtonKind::Radio:
      PaintCheckOrRadio(hwnd, dc, look, style, true);
      break;
    case ButtonKind::Group:
      PaintGroup(hwnd, dc, style);
      break;
    default:  // push-like buttons and the old user buttons
      PaintPush(hwnd, dc, look, style);
      break;
  }
  RestoreDC(dc, saved);
}

SIZE IdealButtonSize(HWND hwnd, const ButtonLook& look) {
  const DWORD style = StyleOf(hwnd);
  HDC dc = GetDC(hwnd);
  SIZE content{};
  if (dc) {
    const int saved = SaveDC(dc);
    SelectObject(dc, FontOrSystem(look.font));
    if (style & (BS_BITMAP | BS_ICON)) {
      if (ShowsImage(style, look)) ImageSize(look.image, look.imageType, &content);
    } else {
      content = TextSize(dc, TextOf(hwnd), DT_SINGLELINE, 0x7FFF);
    }
    RestoreDC(dc, saved);
    ReleaseDC(hwnd, dc);
  }
  const int edgeX = GetSystemMetrics(SM_CXEDGE), edgeY = GetSystemMetrics(SM_CYEDGE);
  const int borderX = GetSystemMetrics(SM_CXBORDER), borderY = GetSystemMetrics(SM_CYBORDER);
  switch (KindOf(style)) {
    case ButtonKind::Check:
    case ButtonKind::Radio:
      return SIZE{kGlyphSize + kGlyphGap + content.cx + edgeX, std::max<LONG>(kGlyphSize, content.cy + edgeY)};
    default: {
      SIZE size{content.cx + 2 * (edgeX + borderX) + 2, content.cy + 2 * (edgeY + borderY) + 2};
      if (IsSplit(ButtonType(style))) size.cx += kSplitWidth;
      if (IsDefault(ButtonType(style))) size.cx += 2, size.cy += 2;
      return size;
    }
  }
}

}  // namespace kx2::user32

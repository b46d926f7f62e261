// Text and images sit on the brush the parent answers to WM_CTLCOLORSTATIC (nothing under
// them for a hollow brush) in the text colour it set; rectangles and frames take the 3D
// colours (black the dark shadow, gray the shadow, white the highlight) and etched lines
// the etched edge.
#include "StaticPaint.h"

#include <algorithm>
#include <string>

#include "ControlCommon.h"
#include "win/user_ownerdraw.h"

namespace kx2::user32 {
namespace {

UINT TypeOf(DWORD style) { return style & SS_TYPEMASK; }

void DrawLabel(HWND hwnd, HDC dc, DWORD style, const RECT& client) {
  const std::u16string text = TextOf(hwnd);
  if (text.empty()) return;
  RECT r = client;
  const UINT format = StaticTextFormat(hwnd, style);
  if (IsWindowEnabled(hwnd))
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  else
    DrawDisabledText(dc, text, r, format);
}

void DrawIconImage(HDC dc, DWORD style, HICON icon, const RECT& client) {
  int cx = 0, cy = 0;
  if (!icon || !Kx2GetIconSize(icon, &cx, &cy)) return;
  if (style & SS_REALSIZECONTROL) {
    DrawIconEx(dc, 0, 0, icon, client.right, client.bottom, 0, nullptr, DI_NORMAL);
    return;
  }
  int x = 0, y = 0;
  if (style & SS_CENTERIMAGE) {
    x = (client.right - cx) / 2;
    y = (client.bottom - cy) / 2;
  }
  DrawIconEx(dc, x, y, icon, cx, cy, 0, nullptr, DI_NORMAL);
}

// A bitmap at the top left, centred (the rest in the colour of its top-left pixel) or
// stretched over the control.
void DrawBitmapImage(HDC dc, DWORD style, HBITMAP bitmap, const RECT& client) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm)) return;
  const int cx = bm.bmWidth, cy = std::abs(bm.bmHeight);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, bitmap);
  if (style & SS_REALSIZECONTROL) {
    StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, cx, cy, SRCCOPY);
  } else if (style & SS_CENTERIMAGE) {
    HBRUSH corner = CreateSolidBrush(GetPixel(source, 0, 0));
    FillRect(dc, &client, corner);
    DeleteObject(corner);
    BitBlt(dc, (client.right - cx) / 2, (client.bottom - cy) / 2, cx, cy, source, 0, 0, SRCCOPY);
  } else {
    BitBlt(dc, 0, 0, cx, cy, source, 0, 0, SRCCOPY);
  }
  SelectObject(source, old);
  DeleteDC(source);
}

void OwnerDrawn(HWND hwnd, HDC dc) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_STATIC;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED;
  item.hwndItem = hwnd;
  item.hDC = dc;
  item.rcItem = ClientRect(hwnd);
  SendMessageW(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

UINT StaticTextFormat(HWND hwnd, DWORD style) {
  UINT format = DT_EXPANDTABS;
  switch (TypeOf(style)) {
    case SS_CENTER:
      format |= DT_CENTER | DT_WORDBREAK;
      break;
    case SS_RIGHT:
      format |= DT_RIGHT | DT_WORDBREAK;
      break;
    case SS_SIMPLE:
      format = DT_SINGLELINE;
      break;
    case SS_LEFTNOWORDWRAP:
      break;
    default:
      format |= DT_WORDBREAK;
      break;
  }
  if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
  // A shortened line ends in its ellipsis rather than wrapping.
  switch (style & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS:
      format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_END_ELLIPSIS;
      break;
    case SS_PATHELLIPSIS:
      format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_PATH_ELLIPSIS;
      break;
    case SS_WORDELLIPSIS:
      format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_WORD_ELLIPSIS;
      break;
    default:
      break;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  if (style & SS_EDITCONTROL) format |= DT_EDITCONTROL;
  if (UiState(hwnd) & UISF_HIDEACCEL) format |= DT_HIDEPREFIX;
  if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_RTLREADING) format |= DT_RTLREADING;
  return format;
}

bool PaintStatic(HWND hwnd, HDC dc, const StaticLook& look) {
  const DWORD style = StyleOf(hwnd);
  const RECT client = ClientRect(hwnd);
  const UINT type = TypeOf(style);
  auto fill = [&](int colour) { FillRect(dc, &client, GetSysColorBrush(colour)); };
  auto frame = [&](int colour) { FrameRect(dc, &client, GetSysColorBrush(colour)); };
  switch (type) {
    case SS_BLACKRECT:
      fill(COLOR_3DDKSHADOW);
      return false;
    case SS_GRAYRECT:
      fill(COLOR_3DSHADOW);
      return false;
    case SS_WHITERECT:
      fill(COLOR_3DHILIGHT);
      return false;
    case SS_BLACKFRAME:
      frame(COLOR_3DDKSHADOW);
      return false;
    case SS_GRAYFRAME:
      frame(COLOR_3DSHADOW);
      return false;
    case SS_WHITEFRAME:
      frame(COLOR_3DHILIGHT);
      return false;
    case SS_ETCHEDHORZ:
    case SS_ETCHEDVERT:
    case SS_ETCHEDFRAME: {
      RECT r = client;
      DrawEdge(dc, &r, EDGE_ETCHED, type == SS_ETCHEDHORZ ? BF_TOP : type == SS_ETCHEDVERT ? BF_LEFT : BF_RECT);
      return false;
    }
    case SS_OWNERDRAW:
      OwnerDrawn(hwnd, dc);
      return false;
    case SS_USERITEM:
      return false;
    default:
      break;
  }
  const int saved = SaveDC(dc);
  SelectObject(dc, FontOrSystem(look.font));
  HBRUSH brush = ParentBrush(hwnd, WM_CTLCOLORSTATIC, dc);
  const bool hollow = IsHollow(brush);
  FillBackground(dc, client, brush);
  SetBkMode(dc, TRANSPARENT);
  switch (type) {
    case SS_ICON:
      DrawIconImage(dc, style, static_cast<HICON>(look.image), client);
      break;
    case SS_BITMAP:
      DrawBitmapImage(dc, style, static_cast<HBITMAP>(look.image), client);
      break;
    case SS_ENHMETAFILE:
      break;  // no metafile player in the platform: the background alone
    default:
      DrawLabel(hwnd, dc, style, client);
      break;
  }
  RestoreDC(dc, saved);
  return hollow;
}

}  // namespace kx2::user32

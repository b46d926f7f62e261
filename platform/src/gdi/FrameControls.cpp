// DrawFrameControl: caption buttons, scroll arrows and size grips, menu marks, check boxes,
// radio buttons and push buttons in the classic look. Symbols are the Marlett glyphs the
// window frame draws too, so a control and the frame always match.
#include <algorithm>

#include "kx2/ErrorBoundary.h"
#include "win/gdi.h"
#include "win/user.h"

namespace {

void Fill(HDC dc, const RECT& r, int colour) {
  if (r.right > r.left && r.bottom > r.top) FillRect(dc, &r, GetSysColorBrush(colour));
}

void FillColour(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// One Marlett glyph, an em square `size` high centred in `r`, moved by (dx, dy).
void Glyph(HDC dc, const RECT& r, char16_t symbol, int size, COLORREF colour, int dx = 0, int dy = 0) {
  if (size <= 0) return;
  HFONT font = CreateFontW(-size, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, u"Marlett");
  HGDIOBJ oldFont = SelectObject(dc, font);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, colour);
  const UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP);
  const char16_t text[1] = {symbol};
  ExtTextOutW(dc, (r.left + r.right - size) / 2 + dx, (r.top + r.bottom - size) / 2 + dy, 0, nullptr, text, 1, nullptr);
  SetTextAlign(dc, oldAlign);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

// A glyph as enabled (text colour) or inactive (embossed: highlight below right, shadow).
void StateGlyph(HDC dc, const RECT& r, char16_t symbol, int size, UINT state, int textColour) {
  const int shift = (state & DFCS_PUSHED) ? 1 : 0;
  if (state & DFCS_INACTIVE) {
    Glyph(dc, r, symbol, size, GetSysColor(COLOR_3DHILIGHT), shift + 1, shift + 1);
    Glyph(dc, r, symbol, size, GetSysColor(COLOR_3DSHADOW), shift, shift);
  } else {
    Glyph(dc, r, symbol, size, GetSysColor(textColour), shift, shift);
  }
}

// A push button's face: raised, sunken when pushed or checked, flat or mono when asked.
void ButtonFace(HDC dc, RECT& r, UINT state) {
  if (state & DFCS_MONO) {
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
    if (!(state & DFCS_TRANSPARENT)) Fill(dc, r, COLOR_3DFACE);
    return;
  }
  if (state & DFCS_FLAT) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_3DSHADOW));
    InflateRect(&r, -1, -1);
    if (!(state & DFCS_TRANSPARENT)) Fill(dc, r, COLOR_3DFACE);
    return;
  }
  const bool down = (state & (DFCS_PUSHED | DFCS_CHECKED)) != 0;
  DrawEdge(dc, &r, down ? EDGE_SUNKEN : EDGE_RAISED,
           BF_RECT | BF_ADJUST | ((state & DFCS_TRANSPARENT) ? 0 : BF_MIDDLE) | BF_SOFT);
}

int SymbolSize(const RECT& r) {
  return std::max(0, static_cast<int>(std::min(r.right - r.left, r.bottom - r.top)) - 4);
}

BOOL Caption(HDC dc, RECT* r, UINT state) {
  static constexpr char16_t kSymbols[] = {u'r', u'0', u'1', u'2', u's'};
  const UINT kind = state & 0xFF;
  if (kind > DFCS_CAPTIONHELP) return FALSE;
  RECT face = *r;
  ButtonFace(dc, face, state);
  StateGlyph(dc, *r, kSymbols[kind], SymbolSize(*r), state, COLOR_BTNTEXT);
  if (state & DFCS_ADJUSTRECT) *r = face;
  return TRUE;
}

BOOL Scroll(HDC dc, RECT* r, UINT state) {
  const UINT kind = state & 0xFF;
  if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
    if (!(state & DFCS_TRANSPARENT)) Fill(dc, *r, COLOR_3DFACE);
    const int size = std::min(r->right - r->left, r->bottom - r->top);
    const RECT corner{r->right - size, r->bottom - size, r->right, r->bottom};
    Glyph(dc, corner, u'o', size, GetSysColor(COLOR_3DSHADOW));
    return TRUE;
  }
  char16_t symbol;
  switch (kind) {
    case DFCS_SCROLLUP:
      symbol = u'5';
      break;
    case DFCS_SCROLLDOWN:
    case DFCS_SCROLLCOMBOBOX:
      symbol = u'6';
      break;
    case DFCS_SCROLLLEFT:
      symbol = u'3';
      break;
    case DFCS_SCROLLRIGHT:
      symbol = u'4';
      break;
    default:
      return FALSE;
  }
  RECT face = *r;
  if (state & DFCS_PUSHED) {
    // A pressed arrow is flat in the shadow colour, its glyph moved down and right.
    FrameRect(dc, r, GetSysColorBrush(COLOR_3DSHADOW));
    InflateRect(&face, -1, -1);
    Fill(dc, face, COLOR_3DFACE);
  } else {
    ButtonFace(dc, face, state);
  }
  StateGlyph(dc, *r, symbol, SymbolSize(*r), state, COLOR_BTNTEXT);
  if (state & DFCS_ADJUSTRECT) *r = face;
  return TRUE;
}

// Menu marks: DFC_MENU draws a mask (black on white), DFC_POPUPMENU the mark alone in the
// DC's text colour.
BOOL MenuMark(HDC dc, RECT* r, UINT state, bool mask) {
  char16_t symbol;
  switch (state & 0xFF) {
    case DFCS_MENUARROW:
      symbol = u'8';
      break;
    case DFCS_MENUCHECK:
      symbol = u'a';
      break;
    case DFCS_MENUBULLET:
      symbol = u'h';
      break;
    case DFCS_MENUARROWRIGHT:
      symbol = u'3';
      break;
    default:
      return FALSE;
  }
  const int size = std::min(r->right - r->left, r->bottom - r->top);
  if (mask) {
    FillColour(dc, *r, RGB(255, 255, 255));
    Glyph(dc, *r, symbol, size, RGB(0, 0, 0));
  } else {
    Glyph(dc, *r, symbol, size, GetTextColor(dc));
  }
  return TRUE;
}

BOOL Button(HDC dc, RECT* r, UINT state) {
  const UINT kind = state & 0xFF;
  if (kind & DFCS_BUTTONPUSH) {
    RECT face = *r;
    ButtonFace(dc, face, state);
    if (state & DFCS_ADJUSTRECT) *r = face;
    return TRUE;
  }
  // Check boxes and radio buttons are squares at the rectangle's left, centred down it.
  const int side = std::min(r->right - r->left, r->bottom - r->top);
  RECT box{r->left, r->top + (r->bottom - r->top - side) / 2, 0, 0};
  box.right = box.left + side;
  box.bottom = box.top + side;
  const bool greyed = (state & (DFCS_INACTIVE | DFCS_PUSHED)) != 0;
  if (kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
    if (kind & DFCS_BUTTONRADIOMASK) {
      FillColour(dc, box, RGB(255, 255, 255));
      HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
      HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
      Ellipse(dc, box.left, box.top, box.right, box.bottom);
      SelectObject(dc, oldBrush);
      SelectObject(dc, oldPen);
      return TRUE;
    }
    // Two rings, the shadow outside and the dark shadow inside, around the well.
    const struct {
      int inset, colour;
      bool well;
    } rings[] = {{0, COLOR_3DSHADOW, false}, {1, COLOR_3DDKSHADOW, true}};
    for (const auto& ring : rings) {
      HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(ring.colour));
      HGDIOBJ oldPen = SelectObject(dc, pen);
      HGDIOBJ oldBrush = SelectObject(
          dc, ring.well ? GetSysColorBrush(greyed ? COLOR_3DFACE : COLOR_WINDOW) : GetStockObject(NULL_BRUSH));
      Ellipse(dc, box.left + ring.inset, box.top + ring.inset, box.right - ring.inset, box.bottom - ring.inset);
      SelectObject(dc, oldBrush);
      SelectObject(dc, oldPen);
      DeleteObject(pen);
    }
    if (state & DFCS_CHECKED) Glyph(dc, box, u'i', side, GetSysColor(greyed ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    return TRUE;
  }
  // A check box: a sunken well with the check mark; the third state greys it.
  const bool third = (kind & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED);
  RECT well = box;
  if (state & (DFCS_FLAT | DFCS_MONO)) {
    FrameRect(dc, &well, GetSysColorBrush((state & DFCS_MONO) ? COLOR_WINDOWFRAME : COLOR_3DSHADOW));
    InflateRect(&well, -1, -1);
  } else {
    DrawEdge(dc, &well, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  }
  Fill(dc, well, (greyed || third) ? COLOR_3DFACE : COLOR_WINDOW);
  if (state & DFCS_CHECKED)
    Glyph(dc, well, u'a', std::max(1, int(well.right - well.left)),
          GetSysColor((greyed || third) ? COLOR_3DSHADOW : COLOR_WINDOWTEXT));
  return TRUE;
}

}  // namespace

KX2_EXPORT BOOL DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lprc || GetObjectType(hdc) == 0) {
      if (!lprc) SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    const int saved = SaveDC(hdc);
    BOOL done = FALSE;
    switch (uType) {
      case DFC_CAPTION:
        done = Caption(hdc, lprc, uState);
        break;
      case DFC_SCROLL:
        done = Scroll(hdc, lprc, uState);
        break;
      case DFC_MENU:
      case DFC_POPUPMENU:
        done = MenuMark(hdc, lprc, uState, uType == DFC_MENU);
        break;
      case DFC_BUTTON:
        done = Button(hdc, lprc, uState);
        break;
      default:
        break;
    }
    RestoreDC(hdc, saved);
    return done;
  });
}

// The classic frame: borders, caption with its icon room, title and buttons, client edge,
// non-client scroll bars and size box, in the system colours. The widths are those
// AdjustWindowRectEx adds, so that the two always agree.
#include "ClassicFrame.h"

#include "MenuBar.h"

#include <algorithm>
#include <string>

#include "kx2/UserCore.h"
#include "win/gdi.h"
#include "win/menu.h"
#include "win/user_ncmetrics.h"

namespace kx2::user32 {
namespace {

constexpr LPCWSTR kActiveProp = u"kx2.frame.active";
constexpr LPCWSTR kPressedProp = u"kx2.frame.pressed";

void Inflate(RECT* r, int dx, int dy) {
  r->left -= dx;
  r->right += dx;
  r->top -= dy;
  r->bottom += dy;
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
bool Inside(const RECT& r, POINT pt) { return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom; }

bool DialogFrame(DWORD style, DWORD exStyle) {
  return (exStyle & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_BORDER));
}

void Fill(HDC dc, RECT r, int colour) {
  if (!Empty(r)) FillRect(dc, &r, GetSysColorBrush(colour));
}

// Two-pixel 3D edge: outer and inner colours for the top-left and bottom-right sides.
void Edge(HDC dc, RECT r, int outerLight, int innerLight, int outerDark, int innerDark) {
  const int colours[2][2] = {{outerLight, outerDark}, {innerLight, innerDark}};
  for (int i = 0; i < 2 && !Empty(r); ++i) {
    Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, colours[i][0]);
    Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, colours[i][0]);
    Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, colours[i][1]);
    Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, colours[i][1]);
    Inflate(&r, -1, -1);
  }
}

void RaisedEdge(HDC dc, RECT r) { Edge(dc, r, COLOR_3DLIGHT, COLOR_3DHILIGHT, COLOR_3DDKSHADOW, COLOR_3DSHADOW); }
void SunkenEdge(HDC dc, RECT r) { Edge(dc, r, COLOR_3DSHADOW, COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DLIGHT); }

// A button face with a symbol drawn in the Marlett face; a pressed one is sunken and its
// symbol moved down and right.
void SymbolButton(HDC dc, RECT r, char16_t symbol, bool pressed = false, bool disabled = false) {
  if (Empty(r)) return;
  Fill(dc, r, COLOR_3DFACE);
  if (pressed)
    SunkenEdge(dc, r);
  else
    RaisedEdge(dc, r);
  if (pressed) OffsetRect(&r, 1, 1);
  const int size = std::max(1, int(r.bottom - r.top) - 4);
  HFONT font = CreateFontW(-size, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, u"Marlett");
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  // Every Marlett symbol is an em square: centre it in the button.
  const char16_t text[1] = {symbol};
  const int x = (r.left + r.right - size) / 2, y = (r.top + r.bottom - size) / 2;
  if (disabled) {
    SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    ExtTextOutW(dc, x + 1, y + 1, 0, nullptr, text, 1, nullptr);
  }
  SetTextColor(dc, GetSysColor(disabled ? COLOR_3DSHADOW : COLOR_BTNTEXT));
  ExtTextOutW(dc, x, y, 0, nullptr, text, 1, nullptr);
  SelectObject(dc, old);
  DeleteObject(font);
}

int Pressed(HWND hwnd, int* part) {
  const auto value = reinterpret_cast<intptr_t>(GetPropW(hwnd, kPressedProp));
  *part = static_cast<int>(value >> 16);
  return static_cast<int>(value & 0xFFFF);
}

// A frame scroll bar, from the window's own information.
void ScrollBar(HDC dc, HWND hwnd, const RECT& bar, bool vertical, int pressedPart) {
  if (Empty(bar)) return;
  DrawScrollBar(dc, bar, vertical, BarInfo(hwnd, vertical ? SB_VERT : SB_HORZ), IsWindowEnabled(hwnd) != FALSE,
                pressedPart, GetSysColorBrush(COLOR_SCROLLBAR), ESB_ENABLE_BOTH);
}

}  // namespace

void DrawScrollBar(HDC dc, const RECT& bar, bool vertical, const SCROLLINFO& info, bool enabled, int pressedPart,
                   HBRUSH track, UINT disabledArrows) {
  if (Empty(bar)) return;
  const bool off = !enabled || (disabledArrows & ESB_DISABLE_BOTH) == ESB_DISABLE_BOTH;
  const ScrollParts p = LayoutScrollBar(bar, vertical, info, !off);
  FillRect(dc, &bar, track);
  const RECT* tracks[2] = {&p.pageUp, &p.pageDown};
  for (int i = 0; i < 2; ++i)
    if (pressedPart == (i == 0 ? SB_PAGEUP : SB_PAGEDOWN)) Fill(dc, *tracks[i], COLOR_3DDKSHADOW);
  const bool noThumb = Empty(p.thumb);
  SymbolButton(dc, p.lineUp, vertical ? u'5' : u'3', pressedPart == SB_LINEUP,
               noThumb || (disabledArrows & ESB_DISABLE_UP));
  SymbolButton(dc, p.lineDown, vertical ? u'6' : u'4', pressedPart == SB_LINEDOWN,
               noThumb || (disabledArrows & ESB_DISABLE_DOWN));
  if (!noThumb) {
    Fill(dc, p.thumb, COLOR_3DFACE);
    RaisedEdge(dc, p.thumb);
  }
}

ScrollParts LayoutScrollBar(const RECT& bar, bool vertical, const SCROLLINFO& info, bool enabled) {
  ScrollParts p;
  const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  const int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
  // Arrows are square, or share the bar when it is shorter than two.
  const int arrow = std::min(thickness, length / 2);
  auto span = [&](int from, int to) {
    return vertical ? RECT{bar.left, bar.top + from, bar.right, bar.top + to}
                    : RECT{bar.left + from, bar.top, bar.left + to, bar.bottom};
  };
  p.lineUp = span(0, arrow);
  p.lineDown = span(length - arrow, length);
  const int track = length - 2 * arrow;
  const int64_t range = int64_t(info.nMax) - info.nMin + 1;
  const bool scrolls = info.nPage ? range > int64_t(info.nPage) : info.nMax > info.nMin;
  const int minThumb = std::max(6, thickness / 2);
  if (!enabled || !scrolls || track < minThumb) {
    p.pageUp = span(arrow, length - arrow);
    return p;
  }
  int thumb = info.nPage ? static_cast<int>(int64_t(track) * info.nPage / range) : thickness;
  thumb = std::clamp(thumb, minThumb, track);
  const int64_t steps = range - std::max<int64_t>(info.nPage, 1);
  const int at = steps > 0 ? static_cast<int>(int64_t(track - thumb) * (int64_t(info.nPos) - info.nMin) / steps) : 0;
  const int thumbStart = arrow + std::clamp(at, 0, track - thumb);
  p.pageUp = span(arrow, thumbStart);
  p.thumb = span(thumbStart, thumbStart + thumb);
  p.pageDown = span(thumbStart + thumb, length - arrow);
  return p;
}

int PositionAtThumb(const RECT& bar, bool vertical, const SCROLLINFO& info, int offset) {
  const ScrollParts p = LayoutScrollBar(bar, vertical, info, true);
  const int thumb = vertical ? p.thumb.bottom - p.thumb.top : p.thumb.right - p.thumb.left;
  const int track = vertical ? p.lineDown.top - p.lineUp.bottom : p.lineDown.left - p.lineUp.right;
  const int64_t range = int64_t(info.nMax) - info.nMin + 1;
  const int64_t steps = range - std::max<int64_t>(info.nPage, 1);
  if (track - thumb <= 0 || steps <= 0) return info.nMin;
  const int clamped = std::clamp(offset, 0, track - thumb);
  return info.nMin + static_cast<int>((int64_t(clamped) * steps + (track - thumb) / 2) / (track - thumb));
}

SCROLLINFO BarInfo(HWND hwnd, int bar) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(hwnd, bar, &info)) info = SCROLLINFO{sizeof(SCROLLINFO), SIF_ALL, 0, 100, 0, 0, 0};
  return info;
}

void SetPressed(HWND hwnd, int hit, int scrollPart) {
  if (hit)
    SetPropW(hwnd, kPressedProp, reinterpret_cast<HANDLE>(static_cast<intptr_t>(hit | (scrollPart << 16))));
  else
    RemovePropW(hwnd, kPressedProp);
}

FrameLayout LayoutFrame(DWORD style, DWORD exStyle, int width, int height, bool menu) {
  FrameLayout f;
  f.window = RECT{0, 0, width, height};
  if (!(style & (WS_POPUP | WS_CHILD))) style |= WS_CAPTION;
  f.thick = (style & WS_THICKFRAME) != 0;
  if (f.thick) {
    f.frameX = GetSystemMetrics(SM_CXFRAME);
    f.frameY = GetSystemMetrics(SM_CYFRAME);
  } else if (DialogFrame(style, exStyle)) {
    f.frameX = GetSystemMetrics(SM_CXDLGFRAME);
    f.frameY = GetSystemMetrics(SM_CYDLGFRAME);
  } else if (style & WS_BORDER) {
    f.frameX = GetSystemMetrics(SM_CXBORDER);
    f.frameY = GetSystemMetrics(SM_CYBORDER);
  }
  int top = f.frameY;
  f.hasCaption = (style & WS_CAPTION) == WS_CAPTION;
  if (f.hasCaption) {
    const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
    const int height = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
    f.caption = RECT{f.frameX, top, width - f.frameX, top + height};
    top += height;
    // Buttons, right to left, two pixels in from the caption's edges.
    const int bw = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE) - 2;
    const int bh = GetSystemMetrics(tool ? SM_CYSMSIZE : SM_CYSIZE) - 4;
    const int by = f.caption.top + 2;
    int right = f.caption.right - 2;
    if (style & WS_SYSMENU) {
      f.close = RECT{right - bw, by, right, by + bh};
      right = f.close.left - 2;
      if (!tool && (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) {
        f.maximize = RECT{right - bw, by, right, by + bh};
        f.minimize = RECT{f.maximize.left - bw, by, f.maximize.left, by + bh};
      } else if (!tool && (exStyle & WS_EX_CONTEXTHELP)) {
        f.help = RECT{right - bw, by, right, by + bh};
      }
      if (!tool && !DialogFrame(style, exStyle))
        f.sysMenu = RECT{f.caption.left, f.caption.top, f.caption.left + height - 1, f.caption.bottom - 1};
    }
  }
  if (menu && !(style & WS_CHILD)) {
    const int bar = GetSystemMetrics(SM_CYMENU);
    f.menuBar = RECT{f.frameX, top, width - f.frameX, top + bar};
    top += bar;
  }
  RECT client{f.frameX, top, width - f.frameX, height - f.frameY};
  int edge = 0;
  if (exStyle & WS_EX_CLIENTEDGE) edge += GetSystemMetrics(SM_CXEDGE);
  if (exStyle & WS_EX_STATICEDGE) edge += GetSystemMetrics(SM_CXBORDER);
  Inflate(&client, -edge, -edge);
  const int vbar = GetSystemMetrics(SM_CXVSCROLL), hbar = GetSystemMetrics(SM_CYHSCROLL);
  const bool vertical = (style & WS_VSCROLL) && client.right - client.left >= vbar;
  const bool horizontal = (style & WS_HSCROLL) && client.bottom - client.top >= hbar;
  if (vertical) {
    client.right -= vbar;
    f.vscroll = RECT{client.right, client.top, client.right + vbar, client.bottom - (horizontal ? hbar : 0)};
  }
  if (horizontal) {
    client.bottom -= hbar;
    f.hscroll = RECT{client.left, client.bottom, client.right, client.bottom + hbar};
  }
  if (vertical && horizontal) f.sizeBox = RECT{client.right, client.bottom, client.right + vbar, client.bottom + hbar};
  client.right = std::max(client.left, client.right);
  client.bottom = std::max(client.top, client.bottom);
  f.client = client;
  return f;
}

FrameLayout LayoutFrame(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return LayoutFrame(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)),
                     static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)), r.right - r.left, r.bottom - r.top,
                     GetMenu(hwnd) != nullptr);
}

RECT ClientInside(HWND hwnd, RECT window) {
  const FrameLayout f = LayoutFrame(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)),
                                    static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)), window.right - window.left,
                                    window.bottom - window.top, GetMenu(hwnd) != nullptr);
  RECT client = f.client;
  client.left += window.left;
  client.right += window.left;
  client.top += window.top;
  client.bottom += window.top;
  return client;
}

LRESULT FrameHitTest(HWND hwnd, POINT screen) {
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return HTNOWHERE;
  const POINT pt{screen.x - r.left, screen.y - r.top};
  const FrameLayout f = LayoutFrame(hwnd);
  if (!Inside(f.window, pt)) return HTNOWHERE;
  if (HRGN shape = CreateRectRgn(0, 0, 0, 0)) {
    const bool outside = GetWindowRgn(hwnd, shape) != ERROR && !PtInRegion(shape, pt.x, pt.y);
    DeleteObject(shape);
    if (outside) return HTNOWHERE;
  }
  if (Inside(f.client, pt)) return HTCLIENT;
  const int width = f.window.right, height = f.window.bottom;
  const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  const bool sizable = f.thick && !(style & (WS_MAXIMIZE | WS_MINIMIZE));
  if (pt.x < f.frameX || pt.x >= width - f.frameX || pt.y < f.frameY || pt.y >= height - f.frameY) {
    if (!sizable) return HTBORDER;
    const int cornerX = GetSystemMetrics(SM_CXSIZE) + f.frameX, cornerY = GetSystemMetrics(SM_CYSIZE) + f.frameY;
    const bool left = pt.x < cornerX, right = pt.x >= width - cornerX;
    const bool top = pt.y < cornerY, bottom = pt.y >= height - cornerY;
    if (pt.x < f.frameX) return top ? HTTOPLEFT : bottom ? HTBOTTOMLEFT : HTLEFT;
    if (pt.x >= width - f.frameX) return top ? HTTOPRIGHT : bottom ? HTBOTTOMRIGHT : HTRIGHT;
    if (pt.y < f.frameY) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
  }
  if (f.hasCaption && Inside(f.caption, pt)) {
    if (Inside(f.sysMenu, pt)) return HTSYSMENU;
    if (Inside(f.close, pt)) return HTCLOSE;
    if (Inside(f.maximize, pt)) return HTMAXBUTTON;
    if (Inside(f.minimize, pt)) return HTMINBUTTON;
    if (Inside(f.help, pt)) return HTHELP;
    return HTCAPTION;
  }
  if (Inside(f.menuBar, pt)) return HTMENU;
  if (Inside(f.vscroll, pt)) return HTVSCROLL;
  if (Inside(f.hscroll, pt)) return HTHSCROLL;
  if (Inside(f.sizeBox, pt)) return sizable ? HTGROWBOX : HTBORDER;
  return HTBORDER;
}

bool FrameActive(HWND hwnd) {
  if (HANDLE kept = GetPropW(hwnd, kActiveProp)) return reinterpret_cast<intptr_t>(kept) == 2;
  return GetActiveWindow() == hwnd;
}

void PaintFrame(HWND hwnd, bool active) {
  SetPropW(hwnd, kActiveProp, reinterpret_cast<HANDLE>(intptr_t{active ? 2 : 1}));
  if (!IsWindowVisible(hwnd)) return;
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return;
  DrawFrame(hwnd, dc, active);
  ReleaseDC(hwnd, dc);
}

void DrawFrame(HWND hwnd, HDC dc, bool active) {
  const FrameLayout f = LayoutFrame(hwnd);
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, f.client.left, f.client.top, f.client.right, f.client.bottom);
  const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
  int pressedPart = 0;
  const int pressed = Pressed(hwnd, &pressedPart);
  RECT inner = f.window;
  if (f.frameX >= 2) {
    Fill(dc, f.window, f.thick ? COLOR_ACTIVEBORDER : COLOR_3DFACE);
    RaisedEdge(dc, f.window);
    Inflate(&inner, -f.frameX, -f.frameY);
  } else if (f.frameX == 1) {
    FrameRect(dc, &f.window, GetSysColorBrush(COLOR_WINDOWFRAME));
    Inflate(&inner, -1, -1);
  }
  if (f.hasCaption) {
    RECT bar = f.caption;
    bar.bottom -= 1;
    Fill(dc, bar, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    Fill(dc, RECT{f.caption.left, f.caption.bottom - 1, f.caption.right, f.caption.bottom}, COLOR_3DFACE);
    RECT title = bar;
    title.left = Empty(f.sysMenu) ? bar.left + 2 : f.sysMenu.right + 2;
    for (const RECT* button : {&f.minimize, &f.help, &f.maximize, &f.close})
      if (!Empty(*button)) {
        title.right = std::min(title.right, button->left - 2);
      }
    const int length = Kx2WindowTextLength(hwnd);  // read without messages, as the system does
    if (length > 0) {
      std::u16string text(static_cast<size_t>(length) + 1, u'\0');
      InternalGetWindowText(hwnd, text.data(), length + 1);
      NONCLIENTMETRICSW metrics{};
      metrics.cbSize = sizeof(metrics);
      SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
      HFONT font =
          CreateFontIndirectW((exStyle & WS_EX_TOOLWINDOW) ? &metrics.lfSmCaptionFont : &metrics.lfCaptionFont);
      HGDIOBJ old = SelectObject(dc, font);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
      DrawTextW(dc, text.c_str(), length, &title, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
      SelectObject(dc, old);
      DeleteObject(font);
    }
    SymbolButton(dc, f.close, u'r', pressed == HTCLOSE);
    SymbolButton(dc, f.maximize, (style & WS_MAXIMIZE) ? u'2' : u'1', pressed == HTMAXBUTTON);
    SymbolButton(dc, f.minimize, u'0', pressed == HTMINBUTTON);
    SymbolButton(dc, f.help, u's', pressed == HTHELP);
    inner.top = f.caption.bottom;
  }
  if (!Empty(f.menuBar)) {
    PaintMenuBar(dc, hwnd, f.menuBar);
    inner.top = f.menuBar.bottom;
  }
  if (exStyle & WS_EX_CLIENTEDGE) {
    SunkenEdge(dc, RECT{inner.left, inner.top, inner.right, inner.bottom});
    Inflate(&inner, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
  }
  if (exStyle & WS_EX_STATICEDGE) {
    // One sunken pixel: the shadow at the top and left, the highlight at the bottom and right.
    Fill(dc, RECT{inner.left, inner.top, inner.right, inner.top + 1}, COLOR_3DSHADOW);
    Fill(dc, RECT{inner.left, inner.top, inner.left + 1, inner.bottom}, COLOR_3DSHADOW);
    Fill(dc, RECT{inner.left, inner.bottom - 1, inner.right, inner.bottom}, COLOR_3DHILIGHT);
    Fill(dc, RECT{inner.right - 1, inner.top + 1, inner.right, inner.bottom}, COLOR_3DHILIGHT);
  }
  ScrollBar(dc, hwnd, f.vscroll, true, pressed == HTVSCROLL ? pressedPart : -1);
  ScrollBar(dc, hwnd, f.hscroll, false, pressed == HTHSCROLL ? pressedPart : -1);
  Fill(dc, f.sizeBox, COLOR_3DFACE);
  RestoreDC(dc, saved);
}

}  // namespace kx2::user32

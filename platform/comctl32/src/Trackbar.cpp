// The trackbar: a range with a position, ticks, a selection range, a channel and a thumb the
// mouse and keys move, scroll notifications to the parent and custom draw of its parts.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "Control.h"
#include "Registration.h"

namespace comctl {

namespace {

class Trackbar {
 public:
  Trackbar(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;
      case WM_GETDLGCODE:
        return 0x0001;  // DLGC_WANTARROWS: the arrows move the thumb
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
      case WM_ENABLE:
        Redraw();
        return 0;
      case WM_LBUTTONDOWN:
        return MouseDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      case WM_MOUSEMOVE:
        if (dragging_) Drag(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      case WM_LBUTTONUP:
        return MouseUp();
      case WM_CAPTURECHANGED:
        if (dragging_ && reinterpret_cast<HWND>(lParam) != hwnd_) MouseUp();
        return 0;
      case WM_KEYDOWN:
        return Key(static_cast<UINT>(wParam));
      case WM_KEYUP:
        if (KeyCode(static_cast<UINT>(wParam)) >= 0) Scroll(TB_ENDTRACK);
        return 0;

      case TBM_GETPOS:
        return pos_;
      case TBM_GETRANGEMIN:
        return min_;
      case TBM_GETRANGEMAX:
        return max_;
      case TBM_SETPOS:
        pos_ = Clamp(static_cast<int>(lParam));
        if (wParam) Redraw();
        return 0;
      case TBM_SETRANGE:
        SetRange(static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)), wParam != 0);
        return 0;
      case TBM_SETRANGEMIN:
        SetRange(static_cast<int>(lParam), max_, wParam != 0);
        return 0;
      case TBM_SETRANGEMAX:
        SetRange(min_, static_cast<int>(lParam), wParam != 0);
        return 0;
      case TBM_GETTIC:
        return wParam < ticks_.size() ? static_cast<LRESULT>(ticks_[wParam]) : -1;
      case TBM_SETTIC:
        return AddTick(static_cast<int>(lParam));
      case TBM_CLEARTICS:
        ticks_.clear();
        if (wParam) Redraw();
        return 0;
      case TBM_GETPTICS:
        return ticks_.empty() ? 0 : reinterpret_cast<LRESULT>(ticks_.data());
      case TBM_GETNUMTICS:
        return (Style() & TBS_NOTICKS) ? 0 : static_cast<LRESULT>(ticks_.size()) + 2;
      case TBM_GETTICPOS:
        return wParam < ticks_.size() ? PixelOf(static_cast<int>(ticks_[wParam])) : -1;
      case TBM_SETTICFREQ:
        frequency_ = static_cast<int>(wParam);
        MakeAutoTicks();
        Redraw();
        return 0;
      case TBM_SETSEL:
        selStart_ = static_cast<int16_t>(LOWORD(lParam));
        selEnd_ = static_cast<int16_t>(HIWORD(lParam));
        if (wParam) Redraw();
        return 0;
      case TBM_SETSELSTART:
        selStart_ = static_cast<int>(lParam);
        if (wParam) Redraw();
        return 0;
      case TBM_SETSELEND:
        selEnd_ = static_cast<int>(lParam);
        if (wParam) Redraw();
        return 0;
      case TBM_GETSELSTART:
        return selStart_;
      case TBM_GETSELEND:
        return selEnd_;
      case TBM_CLEARSEL:
        selStart_ = selEnd_ = -1;
        if (wParam) Redraw();
        return 0;
      case TBM_SETPAGESIZE: {
        const int old = page_;
        page_ = static_cast<int>(lParam);
        return old;
      }
      case TBM_GETPAGESIZE:
        return page_;
      case TBM_SETLINESIZE: {
        const int old = line_;
        line_ = static_cast<int>(lParam);
        return old;
      }
      case TBM_GETLINESIZE:
        return line_;
      case TBM_GETTHUMBRECT:
        if (lParam) *reinterpret_cast<RECT*>(lParam) = ThumbRect();
        return 0;
      case TBM_GETCHANNELRECT:
        // The channel is answered as laid out horizontally, whatever the orientation.
        if (lParam) *reinterpret_cast<RECT*>(lParam) = ChannelFlat();
        return 0;
      case TBM_SETTHUMBLENGTH:
        if (Style() & TBS_FIXEDLENGTH) fixedLength_ = std::max(0, static_cast<int>(wParam));
        Redraw();
        return 0;
      case TBM_GETTHUMBLENGTH:
        return Layout().length;
      case TBM_SETTOOLTIPS: {
        const HWND old = tooltips_;
        tooltips_ = reinterpret_cast<HWND>(wParam);
        return reinterpret_cast<LRESULT>(old);
      }
      case TBM_GETTOOLTIPS:
        return reinterpret_cast<LRESULT>(tooltips_);
      case TBM_SETBUDDY: {
        HWND& slot = wParam ? buddyLeft_ : buddyRight_;
        const HWND old = slot;
        slot = reinterpret_cast<HWND>(lParam);
        return reinterpret_cast<LRESULT>(old);
      }
      case TBM_GETBUDDY:
        return reinterpret_cast<LRESULT>(wParam ? buddyLeft_ : buddyRight_);
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  // Along the bar (x) and across it (y); swapped back for a vertical bar.
  struct Lay {
    int length;  // the thumb's length across the bar
    int half;    // the thumb's width along the bar
    int rowTop;  // the thumb's row across the bar
    int rowBottom;
    int channelLeft;
    int channelRight;
  };

  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)); }
  bool Vertical() const { return (Style() & TBS_VERT) != 0; }
  void Redraw() { InvalidateRect(hwnd_, nullptr, FALSE); }
  int Clamp(int v) const { return std::clamp(v, min_, std::max(min_, max_)); }

  RECT FlatClient() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    if (Vertical()) r = RECT{r.top, r.left, r.bottom, r.right};
    return r;
  }
  RECT Unflat(const RECT& r) const { return Vertical() ? RECT{r.top, r.left, r.bottom, r.right} : r; }

  static void SizeRule(int& length, int& half, DWORD style) {
    length = std::max(length, 2 * GetSystemMetrics(SM_CXEDGE));
    half = (length / 2) | 1;
    if (style & TBS_ENABLESELRANGE) {
      if (style & TBS_FIXEDLENGTH)
        half = (length * 9 / 20) | 1;
      else
        length += (2 * half) / 9;
    }
  }

  Lay Layout() const {
    const DWORD style = Style();
    const RECT c = FlatClient();
    const int height = c.bottom - c.top;
    int length = 0, half = 0;
    if ((style & TBS_FIXEDLENGTH) && fixedLength_ > 0) {
      length = fixedLength_;
    } else {
      length = 4 * GetSystemMetrics(SM_CYHSCROLL) / 3;
      if (2 * GetSystemMetrics(SM_CXEDGE) < length && height < length) {
        const int edge = GetSystemMetrics(SM_CYEDGE);
        length = (style & TBS_ENABLESELRANGE) ? (3 * height - 9 * edge) / 4 : height - 3 * edge;
        SizeRule(length, half, style);
      }
    }
    SizeRule(length, half, style);
    const int top = c.top + (((style & (TBS_TOP | TBS_BOTH)) && !(style & TBS_NOTICKS)) ? 8 : 0);
    Lay l{length, half, top + 2, top + length + 2, c.left + half + 2, c.right - half - 2};
    if (l.channelRight < l.channelLeft) l.channelRight = l.channelLeft;
    return l;
  }

  int PixelOf(int position) const {
    const Lay l = Layout();
    if (max_ <= min_) return l.channelLeft;
    int along = l.channelRight - l.channelLeft - 1;
    if (along < 0) along = 0;
    int px = l.channelLeft + static_cast<int>(int64_t(position - min_) * along / (int64_t(max_) - min_));
    if (Style() & TBS_REVERSED) px = l.channelLeft + l.channelRight - 1 - px;
    return px;
  }

  int PositionAt(int px) const {
    const Lay l = Layout();
    const int along = l.channelRight - l.channelLeft - 1;
    if (max_ <= min_ || along <= 0) return min_;
    if (Style() & TBS_REVERSED) px = l.channelLeft + l.channelRight - 1 - px;
    const int64_t offset = std::clamp(px - l.channelLeft, 0, along);
    return Clamp(min_ + static_cast<int>((offset * (int64_t(max_) - min_) + along / 2) / along));
  }

  RECT ChannelFlat() const {
    const Lay l = Layout();
    const int middle = (l.rowTop + l.rowBottom) / 2;
    const int thickness = (Style() & TBS_ENABLESELRANGE) ? 8 : 4;
    return RECT{l.channelLeft, middle - thickness / 2, l.channelRight, middle - thickness / 2 + thickness};
  }

  RECT ThumbRect() const {
    const Lay l = Layout();
    const int px = PixelOf(pos_);
    return Unflat(RECT{px - l.half / 2, l.rowTop, px - l.half / 2 + l.half, l.rowBottom});
  }

  void SetRange(int low, int high, bool redraw) {
    min_ = low;
    max_ = high;
    pos_ = Clamp(pos_);
    page_ = std::max(1, (max_ - min_) / 5);
    MakeAutoTicks();
    if (redraw) Redraw();
  }

  // Every frequency-th position strictly between the ends; none for a frequency of 0.
  void MakeAutoTicks() {
    if (!(Style() & TBS_AUTOTICKS)) return;
    ticks_.clear();
    if (frequency_ <= 0) return;
    for (int64_t p = int64_t(min_) + frequency_; p < max_; p += frequency_) ticks_.push_back(static_cast<DWORD>(p));
  }

  LRESULT AddTick(int position) {
    if (position <= min_ || position >= max_) return FALSE;
    const auto at = std::lower_bound(ticks_.begin(), ticks_.end(), static_cast<DWORD>(position),
                                     [](DWORD a, DWORD b) { return static_cast<int>(a) < static_cast<int>(b); });
    if (at == ticks_.end() || static_cast<int>(*at) != position) ticks_.insert(at, static_cast<DWORD>(position));
    Redraw();
    return TRUE;
  }

  void Scroll(int code) {
    const UINT message = Vertical() ? WM_VSCROLL : WM_HSCROLL;
    const WPARAM wParam = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION)
                              ? MAKEWPARAM(code, static_cast<WORD>(pos_))
                              : static_cast<WPARAM>(code);
    SendMessageW(GetParent(hwnd_), message, wParam, reinterpret_cast<LPARAM>(hwnd_));
  }

  void MoveTo(int position, int code) {
    const int next = Clamp(position);
    if (next != pos_) {
      pos_ = next;
      Redraw();
    }
    Scroll(code);
  }

  LRESULT MouseDown(POINT pt) {
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    const RECT thumb = ThumbRect();
    SetCapture(hwnd_);
    if (PtInRect(&thumb, pt)) {
      dragging_ = true;
      const int thumbMiddle = Vertical() ? (thumb.top + thumb.bottom) / 2 : (thumb.left + thumb.right) / 2;
      grab_ = (Vertical() ? pt.y : pt.x) - thumbMiddle;
      Redraw();
      return 0;
    }
    // A press beside the thumb pages towards the press.
    const int along = Vertical() ? pt.y : pt.x;
    const int px = PixelOf(pos_);
    const bool reversed = (Style() & TBS_REVERSED) != 0;
    const bool before = (along < px) != reversed;
    paging_ = true;
    MoveTo(before ? pos_ - page_ : pos_ + page_, before ? TB_PAGEUP : TB_PAGEDOWN);
    return 0;
  }

  void Drag(POINT pt) {
    const int along = (Vertical() ? pt.y : pt.x) - grab_;
    const int next = PositionAt(along);
    if (next != pos_) {
      pos_ = next;
      Redraw();
    }
    Scroll(TB_THUMBTRACK);
  }

  LRESULT MouseUp() {
    const bool wasDragging = dragging_, wasPaging = paging_;
    dragging_ = paging_ = false;
    if (GetCapture() == hwnd_) ReleaseCapture();
    if (wasDragging) {
      Scroll(TB_THUMBPOSITION);
      Redraw();
    }
    if (wasDragging || wasPaging) Scroll(TB_ENDTRACK);
    return 0;
  }

  int KeyCode(UINT key) const {
    switch (key) {
      case VK_LEFT:
      case VK_UP:
        return TB_LINEUP;
      case VK_RIGHT:
      case VK_DOWN:
        return TB_LINEDOWN;
      case VK_PRIOR:
        return TB_PAGEUP;
      case VK_NEXT:
        return TB_PAGEDOWN;
      case VK_HOME:
        return TB_TOP;
      case VK_END:
        return TB_BOTTOM;
      default:
        return -1;
    }
  }

  LRESULT Key(UINT key) {
    const int code = KeyCode(key);
    switch (code) {
      case TB_LINEUP:
        MoveTo(pos_ - line_, code);
        break;
      case TB_LINEDOWN:
        MoveTo(pos_ + line_, code);
        break;
      case TB_PAGEUP:
        MoveTo(pos_ - page_, code);
        break;
      case TB_PAGEDOWN:
        MoveTo(pos_ + page_, code);
        break;
      case TB_TOP:
        MoveTo(min_, code);
        break;
      case TB_BOTTOM:
        MoveTo(max_, code);
        break;
      default:
        break;
    }
    return 0;
  }

  // The custom-draw record, sent and answered.
  DWORD CustomDraw(HDC dc, DWORD stage, const RECT& rc, DWORD_PTR item) {
    NMCUSTOMDRAW cd{};
    cd.dwDrawStage = stage;
    cd.hdc = dc;
    cd.rc = rc;
    cd.dwItemSpec = item;
    if (GetFocus() == hwnd_) cd.uItemState |= CDIS_FOCUS;
    if (dragging_ && item == TBCD_THUMB) cd.uItemState |= CDIS_SELECTED;
    if (!IsWindowEnabled(hwnd_)) cd.uItemState |= CDIS_DISABLED;
    return static_cast<DWORD>(Notify(hwnd_, NM_CUSTOMDRAW, &cd.hdr));
  }

  void Tick(HDC dc, int px, int row, int direction, int length) {
    const RECT r = direction > 0 ? RECT{px, row, px + 1, row + length} : RECT{px, row - length, px + 1, row};
    FillSolid(dc, Unflat(r), GetSysColor(COLOR_BTNTEXT));
  }

  void TicksOnSide(HDC dc, const Lay& l, int direction) {
    const int row = direction > 0 ? l.rowBottom + 1 : l.rowTop - 1;
    // The end ticks are twice as long.
    Tick(dc, l.channelLeft, row, direction, 6);
    Tick(dc, l.channelRight - 1, row, direction, 6);
    for (DWORD t : ticks_) Tick(dc, PixelOf(static_cast<int>(t)), row, direction, 3);
    if ((Style() & TBS_ENABLESELRANGE) && selStart_ < selEnd_ && selEnd_ >= min_)
      for (int at : {PixelOf(selStart_), PixelOf(selEnd_)})
        FillSolid(dc, Unflat(direction > 0 ? RECT{at - 1, row, at + 2, row + 1} : RECT{at - 1, row - 1, at + 2, row}),
                  GetSysColor(COLOR_BTNTEXT));
  }

  void PaintTicks(HDC dc, const Lay& l) {
    const DWORD style = Style();
    if (style & TBS_NOTICKS) return;
    if (!(style & TBS_TOP) || (style & TBS_BOTH)) TicksOnSide(dc, l, +1);
    if (style & (TBS_TOP | TBS_BOTH)) TicksOnSide(dc, l, -1);
  }

  void PaintChannel(HDC dc) {
    RECT channel = Unflat(ChannelFlat());
    DrawEdge(dc, &channel, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillSolid(dc, channel, GetSysColor(COLOR_WINDOW));
    if ((Style() & TBS_ENABLESELRANGE) && selStart_ < selEnd_) {
      RECT flat = ChannelFlat();
      InflateRect(&flat, 0, -2);
      flat.left = std::max(flat.left, PixelOf(selStart_));
      flat.right = std::min(flat.right, PixelOf(selEnd_) + 1);
      if (flat.right > flat.left) FillSolid(dc, Unflat(flat), GetSysColor(COLOR_HIGHLIGHT));
    }
  }

  void PaintThumb(HDC dc) {
    if (Style() & TBS_NOTHUMB) return;
    RECT thumb = ThumbRect();
    FillSolid(dc, thumb, GetSysColor(dragging_ ? COLOR_3DLIGHT : COLOR_BTNFACE));
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
    if (!IsWindowEnabled(hwnd_)) {
      // A disabled thumb shows the face hatched by the light colour, classically.
      RECT inner = thumb;
      InflateRect(&inner, -2, -2);
      for (int y = inner.top; y < inner.bottom; ++y)
        for (int x = inner.left + ((y + inner.left) & 1); x < inner.right; x += 2)
          SetPixel(dc, x, y, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
  }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const DWORD prepaint = CustomDraw(dc, CDDS_PREPAINT, client, 0);
    HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(
        GetParent(hwnd_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
    if (brush)
      FillRect(dc, &client, brush);
    else
      FillSolid(dc, client, GetSysColor(COLOR_BTNFACE));
    if (prepaint & CDRF_SKIPDEFAULT) return;
    if (GetFocus() == hwnd_ && !(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
      SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      DrawFocusRect(dc, &client);
    }
    const Lay l = Layout();
    const bool items = (prepaint & CDRF_NOTIFYITEMDRAW) != 0;
    auto part = [&](DWORD_PTR item, const RECT& rc, auto&& draw) {
      const DWORD reply = items ? CustomDraw(dc, CDDS_ITEMPREPAINT, rc, item) : 0;
      if (!(reply & CDRF_SKIPDEFAULT)) draw();
      if (items) CustomDraw(dc, CDDS_ITEMPOSTPAINT, rc, item);
    };
    part(TBCD_TICS, client, [&] { PaintTicks(dc, l); });
    part(TBCD_CHANNEL, Unflat(ChannelFlat()), [&] { PaintChannel(dc); });
    part(TBCD_THUMB, ThumbRect(), [&] { PaintThumb(dc); });
    if (prepaint & CDRF_NOTIFYPOSTPAINT) CustomDraw(dc, CDDS_POSTPAINT, client, 0);
  }

  HWND hwnd_;
  int min_ = 0;
  int max_ = 100;
  int pos_ = 0;
  int page_ = 20;
  int line_ = 1;
  int frequency_ = 1;
  int selStart_ = -1;
  int selEnd_ = -1;
  int fixedLength_ = 0;
  std::vector<DWORD> ticks_;
  HWND tooltips_ = nullptr;
  HWND buddyLeft_ = nullptr;
  HWND buddyRight_ = nullptr;
  bool dragging_ = false;
  bool paging_ = false;
  int grab_ = 0;
};

}  // namespace

void RegisterTrackbarClass() { RegisterControl<Trackbar>(TRACKBAR_CLASSW); }

}  // namespace comctl

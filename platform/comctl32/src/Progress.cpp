// The progress bar: a range and position drawn as chunks (or a smooth bar) left to right or
// bottom to top, and a marquee block the timer moves while PBS_MARQUEE is on.
#include <algorithm>
#include <cstdint>

#include "Control.h"
#include "Registration.h"

namespace comctl {

namespace {

constexpr UINT_PTR kMarqueeTimer = 1;
constexpr int kMarqueeChunks = 5;
constexpr int kChunkGap = 2;

class Progress {
 public:
  Progress(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;  // painting fills every pixel
      case WM_TIMER:
        if (wParam == kMarqueeTimer) {
          marquee_ += ChunkWidth() + kChunkGap;
          if (marquee_ > Length()) marquee_ = -kMarqueeChunks * (ChunkWidth() + kChunkGap);
          InvalidateRect(hwnd_, nullptr, FALSE);
          return 0;
        }
        break;
      case PBM_SETRANGE:
        return SetRange(LOWORD(lParam), HIWORD(lParam), true);
      case PBM_SETRANGE32:
        return SetRange(static_cast<int>(wParam), static_cast<int>(lParam), true);
      case PBM_GETRANGE:
        if (lParam) *reinterpret_cast<PBRANGE*>(lParam) = PBRANGE{low_, high_};
        return wParam ? low_ : high_;
      case PBM_SETPOS:
        return SetPos(static_cast<int>(wParam));
      case PBM_DELTAPOS:
        return SetPos(pos_ + static_cast<int>(wParam));
      case PBM_GETPOS:
        return pos_;
      case PBM_SETSTEP: {
        const int old = step_;
        step_ = static_cast<int>(wParam);
        return old;
      }
      case PBM_GETSTEP:
        return step_;
      case PBM_STEPIT: {
        int next = pos_ + step_;
        // Stepping past either end starts again from the other, as the system's bar does.
        if (next > high_) next = low_ + (next - high_);
        if (next < low_) next = high_ - (low_ - next);
        return SetPos(next);
      }
      case PBM_SETBARCOLOR:
        return Swap(bar_, static_cast<COLORREF>(lParam));
      case PBM_GETBARCOLOR:
        return bar_;
      case PBM_SETBKCOLOR:
        return Swap(background_, static_cast<COLORREF>(lParam));
      case PBM_GETBKCOLOR:
        return background_;
      case PBM_SETSTATE: {
        const int old = state_;
        if (wParam >= PBST_NORMAL && wParam <= PBST_PAUSED) state_ = static_cast<int>(wParam);
        return old;
      }
      case PBM_GETSTATE:
        return state_;
      case PBM_SETMARQUEE:
        return SetMarquee(wParam != 0, static_cast<UINT>(lParam));
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)); }
  bool Vertical() const { return (Style() & PBS_VERTICAL) != 0; }

  RECT Inner() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    InflateRect(&r, -1, -1);
    return r;
  }
  int Length() const {
    const RECT r = Inner();
    return Vertical() ? r.bottom - r.top : r.right - r.left;
  }
  // The classic chunk is two thirds of the bar's thickness.
  int ChunkWidth() const {
    const RECT r = Inner();
    const int thickness = Vertical() ? r.right - r.left : r.bottom - r.top;
    return std::max(1, thickness * 2 / 3);
  }

  static LRESULT Swap(COLORREF& slot, COLORREF value) {
    const COLORREF old = slot;
    slot = value;
    return old;
  }

  LRESULT SetRange(int low, int high, bool packed) {
    const LRESULT old = packed ? MAKELONG(static_cast<WORD>(low_), static_cast<WORD>(high_)) : 0;
    low_ = low;
    high_ = high;
    pos_ = std::clamp(pos_, std::min(low_, high_), std::max(low_, high_));
    InvalidateRect(hwnd_, nullptr, FALSE);
    return old;
  }

  LRESULT SetPos(int pos) {
    const int old = pos_;
    pos_ = std::clamp(pos, std::min(low_, high_), std::max(low_, high_));
    if (pos_ != old) InvalidateRect(hwnd_, nullptr, FALSE);
    return old;
  }

  LRESULT SetMarquee(bool on, UINT interval) {
    if (!(Style() & PBS_MARQUEE)) return FALSE;
    if (on) {
      SetTimer(hwnd_, kMarqueeTimer, interval ? interval : 30, nullptr);
    } else {
      KillTimer(hwnd_, kMarqueeTimer);
      marquee_ = 0;
    }
    marqueeOn_ = on;
    InvalidateRect(hwnd_, nullptr, FALSE);
    return TRUE;
  }

  COLORREF BarColour() const {
    if (state_ == PBST_ERROR) return RGB(255, 0, 0);
    if (state_ == PBST_PAUSED) return RGB(255, 255, 0);
    return bar_ == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT) : bar_;
  }

  // Fills [from, to) along the bar, as chunks unless smooth.
  void Fill(HDC dc, const RECT& inner, int from, int to, bool smooth) {
    const COLORREF colour = BarColour();
    const int chunk = ChunkWidth();
    const int step = smooth ? std::max(1, to - from) : chunk + kChunkGap;
    const int length = Length();
    for (int at = from; at < to; at += step) {
      const int a = std::max(at, 0), b = std::min({at + (smooth ? step : chunk), to, length});
      if (b <= a) continue;
      RECT piece = inner;
      if (Vertical()) {
        piece.bottom = inner.bottom - a;
        piece.top = inner.bottom - b;
      } else {
        piece.left = inner.left + a;
        piece.right = inner.left + b;
      }
      FillSolid(dc, piece, colour);
    }
  }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillSolid(dc, client, background_ == CLR_DEFAULT ? GetSysColor(COLOR_BTNFACE) : background_);
    const RECT inner = Inner();
    if (inner.right <= inner.left || inner.bottom <= inner.top) return;
    const bool smooth = (Style() & PBS_SMOOTH) != 0;
    if (Style() & PBS_MARQUEE) {
      if (marqueeOn_) Fill(dc, inner, marquee_, marquee_ + kMarqueeChunks * (ChunkWidth() + kChunkGap), false);
      return;
    }
    // An empty range fills nothing.
    if (high_ <= low_) return;
    const int filled = static_cast<int>(int64_t(pos_ - low_) * Length() / (int64_t(high_) - low_));
    Fill(dc, inner, 0, filled, smooth);
  }

  HWND hwnd_;
  int low_ = 0;
  int high_ = 100;
  int pos_ = 0;
  int step_ = 10;
  int state_ = PBST_NORMAL;
  COLORREF bar_ = CLR_DEFAULT;
  COLORREF background_ = CLR_DEFAULT;
  bool marqueeOn_ = false;
  int marquee_ = 0;
};

}  // namespace

void RegisterProgressClass() { RegisterControl<Progress>(PROGRESS_CLASSW); }

}  // namespace comctl

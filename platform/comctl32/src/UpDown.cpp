// The up-down control: a position in a range (either way round) its arrows, keys and the
// held mouse move, asking the owner with UDN_DELTAPOS first, telling it with scroll
// messages after, and showing the position in a buddy window.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Control.h"
#include "Registration.h"
#include "Text.h"

namespace comctl {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstRepeatMs = 500;
constexpr UINT kRepeatMs = 100;
enum Arrow { kNone = 0, kDown = 1, kUp = 2 };

class UpDown {
 public:
  UpDown(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd), accel_{{0, 1}, {2, 5}, {5, 20}} {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        if (Style() & UDS_AUTOBUDDY) SetBuddy(GetWindow(hwnd_, GW_HWNDPREV));
        return 0;
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;
      case WM_ENABLE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_LBUTTONDOWN:
        return Press(HitArrow(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
      case WM_MOUSEMOVE:
        if (pressed_ != kNone) {
          const bool over = HitArrow(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == pressed_;
          if (over != over_) {
            over_ = over;
            InvalidateRect(hwnd_, nullptr, FALSE);
          }
        }
        return 0;
      case WM_LBUTTONUP:
      case WM_CAPTURECHANGED:
        if (message == WM_CAPTURECHANGED && reinterpret_cast<HWND>(lParam) == hwnd_) return 0;
        return Release();
      case WM_TIMER:
        if (wParam == kRepeatTimer && pressed_ != kNone) {
          if (over_) Step(pressed_, Increment());
          SetTimer(hwnd_, kRepeatTimer, kRepeatMs, nullptr);
          return 0;
        }
        break;
      case WM_KEYDOWN:
        if (!(Style() & UDS_ARROWKEYS)) break;
        if (wParam == VK_UP || wParam == VK_RIGHT) Step(kUp, 1);
        if (wParam == VK_DOWN || wParam == VK_LEFT) Step(kDown, 1);
        return 0;

      case UDM_SETRANGE:
        upper_ = static_cast<int16_t>(LOWORD(lParam));
        lower_ = static_cast<int16_t>(HIWORD(lParam));
        Changed();
        return 0;
      case UDM_GETRANGE:
        return MAKELONG(static_cast<WORD>(upper_), static_cast<WORD>(lower_));
      case UDM_SETRANGE32:
        lower_ = static_cast<int>(wParam);
        upper_ = static_cast<int>(lParam);
        Changed();
        return 0;
      case UDM_GETRANGE32:
        if (wParam) *reinterpret_cast<int*>(wParam) = lower_;
        if (lParam) *reinterpret_cast<int*>(lParam) = upper_;
        return 0;
      case UDM_SETPOS:
      case UDM_SETPOS32: {
        const int old = pos_;
        pos_ = Clamp(message == UDM_SETPOS ? static_cast<int16_t>(LOWORD(lParam)) : static_cast<int>(lParam));
        ShowInBuddy();
        return old;
      }
      case UDM_GETPOS: {
        const bool ok = ReadBuddy();
        return MAKELONG(static_cast<WORD>(pos_), ok ? 0 : 1);
      }
      case UDM_GETPOS32: {
        const bool ok = ReadBuddy();
        if (lParam) *reinterpret_cast<BOOL*>(lParam) = ok ? FALSE : TRUE;
        return pos_;
      }
      case UDM_SETBUDDY:
        return reinterpret_cast<LRESULT>(SetBuddy(reinterpret_cast<HWND>(wParam)));
      case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(buddy_);
      case UDM_SETACCEL: {
        const auto* table = reinterpret_cast<const UDACCEL*>(lParam);
        if (!table || wParam == 0) return FALSE;
        accel_.assign(table, table + wParam);
        return TRUE;
      }
      case UDM_GETACCEL: {
        auto* table = reinterpret_cast<UDACCEL*>(lParam);
        const size_t n = std::min<size_t>(wParam, accel_.size());
        if (table) std::copy_n(accel_.begin(), n, table);
        return static_cast<LRESULT>(accel_.size());
      }
      case UDM_SETBASE: {
        if (wParam != 10 && wParam != 16) return 0;
        const int old = base_;
        base_ = static_cast<int>(wParam);
        ShowInBuddy();
        return old;
      }
      case UDM_GETBASE:
        return base_;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)); }
  bool Horizontal() const { return (Style() & UDS_HORZ) != 0; }
  int Low() const { return std::min(lower_, upper_); }
  int High() const { return std::max(lower_, upper_); }
  int Clamp(int v) const { return std::clamp(v, Low(), High()); }
  bool Usable() const { return lower_ != upper_ && IsWindowEnabled(hwnd_) && (!buddy_ || IsWindowEnabled(buddy_)); }

  void Changed() {
    pos_ = Clamp(pos_);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  Arrow HitArrow(POINT pt) const {
    RECT r;
    GetClientRect(hwnd_, &r);
    if (!PtInRect(&r, pt)) return kNone;
    if (Horizontal()) {
      const int middle = r.right / 2;
      return pt.x < middle ? kDown : pt.x > middle || r.right % 2 ? kUp : kNone;
    }
    const int middle = r.bottom / 2;
    return pt.y < middle ? kUp : kDown;
  }

  // The increment for how long the arrow has been held, from the acceleration table.
  int Increment() const {
    const DWORD held = (GetTickCount() - pressedAt_) / 1000;
    int inc = 1;
    for (const UDACCEL& a : accel_)
      if (held >= a.nSec) inc = static_cast<int>(a.nInc);
    return std::max(1, inc);
  }

  void Step(Arrow arrow, int increment) {
    if (!Usable() || arrow == kNone) return;
    ReadBuddy();
    // The up arrow moves toward the upper end, whichever way round the range is.
    const int direction = (arrow == kUp) == (upper_ >= lower_) ? 1 : -1;
    NMUPDOWN nm{};
    nm.iPos = pos_;
    nm.iDelta = direction * increment;
    if (Notify(hwnd_, UDN_DELTAPOS, &nm.hdr)) return;  // the owner refused
    int next = pos_ + nm.iDelta;
    if (next > High() || next < Low()) {
      if (Style() & UDS_WRAP)
        next = next > High() ? Low() : High();
      else
        next = Clamp(next);
    }
    if (next != pos_) {
      pos_ = next;
      ShowInBuddy();
    }
    Scroll(SB_THUMBPOSITION);
  }

  void Scroll(int code) {
    const UINT message = Horizontal() ? WM_HSCROLL : WM_VSCROLL;
    SendMessageW(GetParent(hwnd_), message, MAKEWPARAM(code, static_cast<WORD>(pos_)), reinterpret_cast<LPARAM>(hwnd_));
  }

  LRESULT Press(Arrow arrow) {
    if (arrow == kNone || !Usable()) return 0;
    pressed_ = arrow;
    over_ = true;
    pressedAt_ = GetTickCount();
    SetCapture(hwnd_);
    InvalidateRect(hwnd_, nullptr, FALSE);
    Step(arrow, 1);
    SetTimer(hwnd_, kRepeatTimer, kFirstRepeatMs, nullptr);
    return 0;
  }

  LRESULT Release() {
    if (pressed_ == kNone) return 0;
    pressed_ = kNone;
    KillTimer(hwnd_, kRepeatTimer);
    if (GetCapture() == hwnd_) ReleaseCapture();
    InvalidateRect(hwnd_, nullptr, FALSE);
    Scroll(SB_ENDSCROLL);
    return 0;
  }

  HWND SetBuddy(HWND buddy) {
    const HWND old = buddy_;
    buddy_ = IsWindow(buddy) ? buddy : nullptr;
    if (buddy_ && (Style() & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT))) {
      // Sit against the buddy's side, as tall as it, taking our width from it.
      RECT b, me;
      GetWindowRect(buddy_, &b);
      GetWindowRect(hwnd_, &me);
      MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&b), 2);
      const int width = me.right - me.left;
      const int buddyWidth = std::max(0, static_cast<int>(b.right - b.left) - width);
      if (Style() & UDS_ALIGNRIGHT) {
        SetWindowPos(buddy_, nullptr, b.left, b.top, buddyWidth, b.bottom - b.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(hwnd_, nullptr, b.left + buddyWidth, b.top, width, b.bottom - b.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      } else {
        SetWindowPos(buddy_, nullptr, b.left + width, b.top, buddyWidth, b.bottom - b.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(hwnd_, nullptr, b.left, b.top, width, b.bottom - b.top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
    }
    ShowInBuddy();
    return old;
  }

  std::u16string Format(int value) const {
    char text[32];
    if (base_ == 16) {
      std::snprintf(text, sizeof(text), "0x%04X", static_cast<unsigned>(value));
      return FromText(text);
    }
    std::snprintf(text, sizeof(text), "%d", value);
    if (Style() & UDS_NOTHOUSANDS) return FromText(text);
    // Groups of three digits from the right, apart by commas.
    const std::string digits = text;
    const size_t start = digits[0] == '-' ? 1 : 0;
    std::string grouped = digits.substr(0, start);
    for (size_t n = start; n < digits.size(); ++n) {
      if (n > start && (digits.size() - n) % 3 == 0) grouped.push_back(',');
      grouped.push_back(digits[n]);
    }
    return FromText(grouped.c_str());
  }

  void ShowInBuddy() {
    InvalidateRect(hwnd_, nullptr, FALSE);
    if (!buddy_ || !(Style() & UDS_SETBUDDYINT)) return;
    const std::u16string text = Format(pos_);
    SetWindowTextW(buddy_, text.c_str());
  }

  // Takes the buddy's number as the position; false when its text is no number.
  bool ReadBuddy() {
    if (!buddy_ || !(Style() & UDS_SETBUDDYINT)) return true;
    char16_t text[64]{};
    GetWindowTextW(buddy_, text, 64);
    std::string digits;
    for (const char16_t* c = text; *c; ++c)
      if (*c != u',' && *c != u' ') digits.push_back(static_cast<char>(*c < 128 ? *c : '?'));
    if (digits.empty()) return false;
    char* end = nullptr;
    const long value = std::strtol(digits.c_str(), &end, base_ == 16 ? 16 : 10);
    if (*end) return false;
    pos_ = Clamp(static_cast<int>(value));
    return true;
  }

  void PaintArrow(HDC dc, RECT r, Arrow arrow) {
    UINT state = Horizontal() ? (arrow == kUp ? DFCS_SCROLLRIGHT : DFCS_SCROLLLEFT)
                              : (arrow == kUp ? DFCS_SCROLLUP : DFCS_SCROLLDOWN);
    if (!Usable()) state |= DFCS_INACTIVE;
    if (pressed_ == arrow && over_) state |= DFCS_PUSHED;
    DrawFrameControl(dc, &r, DFC_SCROLL, state);
  }

  void Paint(HDC dc) {
    RECT r;
    GetClientRect(hwnd_, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (Horizontal()) {
      const int middle = r.right / 2;
      PaintArrow(dc, RECT{0, 0, middle, r.bottom}, kDown);
      PaintArrow(dc, RECT{middle, 0, r.right, r.bottom}, kUp);
    } else {
      const int middle = r.bottom / 2;
      PaintArrow(dc, RECT{0, 0, r.right, middle}, kUp);
      PaintArrow(dc, RECT{0, middle, r.right, r.bottom}, kDown);
    }
  }

  HWND hwnd_;
  std::vector<UDACCEL> accel_;
  int lower_ = 100;  // the system's default range runs from 100 down to 0
  int upper_ = 0;
  int pos_ = 0;
  int base_ = 10;
  HWND buddy_ = nullptr;
  Arrow pressed_ = kNone;
  bool over_ = false;
  DWORD pressedAt_ = 0;
};

}  // namespace

void RegisterUpDownClass() { RegisterControl<UpDown>(UPDOWN_CLASSW); }

}  // namespace comctl

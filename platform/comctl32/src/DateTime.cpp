// The date-time picker: a date shown in the locale's short or long format, an optional
// check box (DTS_SHOWNONE) that says whether there is a date, and a button (or up-down
// arrows with DTS_UPDOWN) whose click, like Alt+Down, drops a month calendar; picking a
// day there sets the date and tells the owner.
#include <algorithm>
#include <array>
#include <string>

#include "Control.h"
#include "Dates.h"
#include "Registration.h"
#include "Text.h"

namespace comctl {

namespace {

class DateTime {
 public:
  DateTime(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd) {
    GetLocalTime(&date_);
    for (int i = 0; i < 6; ++i) mcColours_[static_cast<size_t>(i)] = CLR_DEFAULT;
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_GETDLGCODE:
        return 0x0001;  // DLGC_WANTARROWS
      case WM_LBUTTONDOWN:
        return Click(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      case WM_SYSKEYDOWN:
        if (wParam == VK_DOWN) {  // Alt+Down drops the calendar as the button does
          Drop();
          return 0;
        }
        break;
      case WM_KEYDOWN:
        if (wParam == VK_F4) Drop();
        if (wParam == VK_ESCAPE) CloseUp();
        if (wParam == VK_SPACE && (Style() & DTS_SHOWNONE)) SetChecked(!checked_);
        return 0;
      case WM_NOTIFY: {
        const auto* h = reinterpret_cast<const NMHDR*>(lParam);
        if (calendar_ && h->hwndFrom == calendar_ && h->code == MCN_SELECT) {
          const SYSTEMTIME picked = reinterpret_cast<const NMSELCHANGE*>(lParam)->stSelStart;
          date_.wYear = picked.wYear;
          date_.wMonth = picked.wMonth;
          date_.wDay = picked.wDay;
          date_.wDayOfWeek = picked.wDayOfWeek;
          checked_ = true;
          Changed();
          CloseUp();
        }
        return 0;
      }
      case WM_DESTROY:
        if (calendar_) {
          RemovePropW(calendar_, kNotifyProperty);
          DestroyWindow(calendar_);
        }
        calendar_ = nullptr;
        break;

      case DTM_GETSYSTEMTIME:
        if (!lParam) return GDT_ERROR;
        if ((Style() & DTS_SHOWNONE) && !checked_) return GDT_NONE;
        *reinterpret_cast<SYSTEMTIME*>(lParam) = date_;
        return GDT_VALID;
      case DTM_SETSYSTEMTIME: {
        if (wParam == GDT_NONE) {
          if (!(Style() & DTS_SHOWNONE)) return FALSE;
          checked_ = false;
          InvalidateRect(hwnd_, nullptr, FALSE);
          return TRUE;
        }
        const auto* st = reinterpret_cast<const SYSTEMTIME*>(lParam);
        if (wParam != GDT_VALID || !st || !ValidDate(*st)) return FALSE;
        date_ = *st;
        date_.wDayOfWeek = static_cast<WORD>(WeekdayOf(st->wYear, st->wMonth, st->wDay));
        checked_ = true;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
      }
      case DTM_SETMCCOLOR: {
        if (wParam >= mcColours_.size()) return static_cast<LRESULT>(CLR_INVALID);
        const COLORREF old = mcColours_[wParam];
        mcColours_[wParam] = static_cast<COLORREF>(lParam);
        if (calendar_) SendMessageW(calendar_, MCM_SETCOLOR, wParam, lParam);
        return old;
      }
      case DTM_GETMCCOLOR:
        return wParam < mcColours_.size() ? static_cast<LRESULT>(mcColours_[wParam]) : -1;
      case DTM_GETMONTHCAL:
        return reinterpret_cast<LRESULT>(calendar_);
      case DTM_SETMCFONT:
        mcFont_ = reinterpret_cast<HFONT>(wParam);
        return 0;
      case DTM_GETMCFONT:
        return reinterpret_cast<LRESULT>(mcFont_);
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)); }

  RECT Client() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return r;
  }
  RECT Button() const {
    const RECT r = Client();
    const int width = GetSystemMetrics(SM_CXVSCROLL);
    return RECT{r.right - width, r.top, r.right, r.bottom};
  }
  RECT CheckBox() const {
    const RECT r = Client();
    const int side = std::min(13, static_cast<int>(r.bottom - r.top) - 2);
    const int top = r.top + (r.bottom - r.top - side) / 2;
    return RECT{r.left + 2, top, r.left + 2 + side, top + side};
  }

  void Changed() {
    InvalidateRect(hwnd_, nullptr, FALSE);
    NMDATETIMECHANGE nm{};
    nm.dwFlags = checked_ || !(Style() & DTS_SHOWNONE) ? GDT_VALID : GDT_NONE;
    nm.st = date_;
    Notify(hwnd_, DTN_DATETIMECHANGE, &nm.nmhdr);
  }

  void SetChecked(bool on) {
    checked_ = on;
    Changed();
  }

  LRESULT Click(POINT pt) {
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    const RECT box = CheckBox(), button = Button();
    if ((Style() & DTS_SHOWNONE) && PtInRect(&box, pt)) {
      SetChecked(!checked_);
      return 0;
    }
    if (PtInRect(&button, pt)) {
      if (Style() & DTS_UPDOWN) {
        StepDay(pt.y < (button.top + button.bottom) / 2 ? 1 : -1);
      } else if (calendar_) {
        CloseUp();
      } else {
        Drop();
      }
    }
    return 0;
  }

  void StepDay(int delta) {
    const auto days = std::chrono::sys_days{Ymd(date_)} + std::chrono::days{delta};
    const std::chrono::year_month_day ymd{days};
    const SYSTEMTIME d = DateOnly(static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                                  static_cast<int>(static_cast<unsigned>(ymd.day())));
    date_.wYear = d.wYear;
    date_.wMonth = d.wMonth;
    date_.wDay = d.wDay;
    date_.wDayOfWeek = d.wDayOfWeek;
    Changed();
  }

  void Drop() {
    if (calendar_ || (Style() & DTS_UPDOWN)) return;
    NMHDR header{};
    Notify(hwnd_, DTN_DROPDOWN, &header);
    // The calendar hangs below the control, as a popup this control owns and hears from.
    RECT r;
    GetWindowRect(hwnd_, &r);
    calendar_ = CreateWindowExW(0, MONTHCAL_CLASSW, u"", WS_POPUP | WS_BORDER, r.left, r.bottom, 10, 10, hwnd_, nullptr,
                                nullptr, nullptr);
    if (!calendar_) return;
    SetPropW(calendar_, kNotifyProperty, hwnd_);
    if (mcFont_) SendMessageW(calendar_, WM_SETFONT, reinterpret_cast<WPARAM>(mcFont_), FALSE);
    for (size_t i = 0; i < mcColours_.size(); ++i)
      if (mcColours_[i] != CLR_DEFAULT) SendMessageW(calendar_, MCM_SETCOLOR, i, mcColours_[i]);
    SendMessageW(calendar_, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date_));
    RECT need{};
    SendMessageW(calendar_, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&need));
    SetWindowPos(calendar_, nullptr, r.left, r.bottom, need.right + 2, need.bottom + 2,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void CloseUp() {
    if (!calendar_) return;
    const HWND closing = calendar_;
    calendar_ = nullptr;
    RemovePropW(closing, kNotifyProperty);
    DestroyWindow(closing);
    InvalidateRect(hwnd_, nullptr, FALSE);
    NMHDR header{};
    Notify(hwnd_, DTN_CLOSEUP, &header);
  }

  std::u16string DateText() const {
    const DWORD flags = (Style() & DTS_LONGDATEFORMAT) == DTS_LONGDATEFORMAT && !(Style() & DTS_UPDOWN)
                            ? DATE_LONGDATE
                            : DATE_SHORTDATE;
    char16_t text[128]{};
    if (GetDateFormatW(LOCALE_USER_DEFAULT, flags, &date_, nullptr, text, 128) <= 0) return {};
    return text;
  }

  void Paint(HDC dc) {
    RECT client = Client();
    FillRect(dc, &client, GetSysColorBrush(IsWindowEnabled(hwnd_) ? COLOR_WINDOW : COLOR_BTNFACE));
    HGDIOBJ oldFont = SelectObject(dc, FontOr(font_));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    RECT text{client.left + 2, client.top, Button().left - 2, client.bottom};
    if (Style() & DTS_SHOWNONE) {
      RECT box = CheckBox();
      DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (checked_ ? DFCS_CHECKED : 0));
      text.left = box.right + 4;
    }
    const std::u16string shown = DateText();
    const bool active = checked_ || !(Style() & DTS_SHOWNONE);
    SetTextColor(dc, GetSysColor(active && IsWindowEnabled(hwnd_) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, shown.data(), static_cast<int>(shown.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    RECT button = Button();
    if (Style() & DTS_UPDOWN) {
      const int middle = (button.top + button.bottom) / 2;
      RECT up{button.left, button.top, button.right, middle}, down{button.left, middle, button.right, button.bottom};
      DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP);
      DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN);
    } else {
      DrawFrameControl(dc, &button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (calendar_ ? DFCS_PUSHED : 0));
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  }

  HWND hwnd_;
  SYSTEMTIME date_{};
  bool checked_ = true;
  HFONT font_ = nullptr;
  HFONT mcFont_ = nullptr;
  HWND calendar_ = nullptr;
  std::array<COLORREF, 6> mcColours_{};
};

}  // namespace

void RegisterDateTimeClass() { RegisterControl<DateTime>(DATETIMEPICK_CLASSW); }

}  // namespace comctl

// The month calendar: one month under a title with the previous and next buttons, the
// locale's short day names, six weeks of days with the neighbours' trailing days, a
// selected day the mouse and keys move (MCN_SELCHANGE, MCN_SELECT on a click), and its six
// colours.
#include <algorithm>
#include <array>
#include <string>

#include "Control.h"
#include "Dates.h"
#include "Registration.h"
#include "Text.h"

namespace comctl {

namespace {

class MonthCal {
 public:
  MonthCal(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd) {
    GetLocalTime(&today_);
    today_ = DateOnly(today_.wYear, today_.wMonth, today_.wDay);
    selected_ = today_;
    shownYear_ = selected_.wYear;
    shownMonth_ = selected_.wMonth;
    colours_ = {GetSysColor(COLOR_WINDOW),      GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_ACTIVECAPTION),
                GetSysColor(COLOR_CAPTIONTEXT), GetSysColor(COLOR_WINDOW),     GetSysColor(COLOR_GRAYTEXT)};
    char16_t first[4]{};
    // The locale's first day: 0 Monday .. 6 Sunday.
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, first, 4) > 0 && first[0] >= u'0' &&
        first[0] <= u'6')
      firstDay_ = first[0] - u'0';
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
      case WM_KEYDOWN:
        return Key(static_cast<UINT>(wParam));
      case MCM_GETCURSEL:
        if (!lParam) return FALSE;
        *reinterpret_cast<SYSTEMTIME*>(lParam) = selected_;
        return TRUE;
      case MCM_SETCURSEL: {
        const auto* st = reinterpret_cast<const SYSTEMTIME*>(lParam);
        if (!st || !ValidDate(*st)) return FALSE;
        selected_ = DateOnly(st->wYear, st->wMonth, st->wDay);
        shownYear_ = selected_.wYear;
        shownMonth_ = selected_.wMonth;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
      }
      case MCM_SETCOLOR: {
        if (wParam >= colours_.size()) return -1;
        const COLORREF old = colours_[wParam];
        colours_[wParam] = static_cast<COLORREF>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return old;
      }
      case MCM_GETCOLOR:
        return wParam < colours_.size() ? static_cast<LRESULT>(colours_[wParam]) : -1;
      case MCM_SETTODAY:
        if (lParam && ValidDate(*reinterpret_cast<const SYSTEMTIME*>(lParam)))
          today_ = *reinterpret_cast<const SYSTEMTIME*>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case MCM_GETTODAY:
        if (!lParam) return FALSE;
        *reinterpret_cast<SYSTEMTIME*>(lParam) = today_;
        return TRUE;
      case MCM_GETMINREQRECT: {
        if (!lParam) return FALSE;
        const Metrics m = Measure();
        *reinterpret_cast<RECT*>(lParam) = RECT{0, 0, 7 * m.cell.cx + 4, m.title + m.cell.cy * 7 + 4};
        return TRUE;
      }
      case MCM_SETFIRSTDAYOFWEEK: {
        const LRESULT old = firstDay_;
        if (lParam >= 0 && lParam <= 6) firstDay_ = static_cast<int>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return old;
      }
      case MCM_GETFIRSTDAYOFWEEK:
        return firstDay_;
      case MCM_HITTEST: {
        auto* info = reinterpret_cast<MCHITTESTINFO*>(lParam);
        if (!info || info->cbSize < sizeof(UINT) + sizeof(POINT) + sizeof(UINT)) return -1;
        SYSTEMTIME st{};
        info->uHit = HitTest(info->pt, &st);
        if (info->cbSize >= sizeof(MCHITTESTINFO)) info->st = st;
        return info->uHit;
      }
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  struct Metrics {
    SIZE cell;
    int title;
  };

  Metrics Measure() const {
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontOr(font_));
    SIZE digits{0, 0};
    GetTextExtentPoint32W(dc, u"30", 2, &digits);
    int widest = digits.cx;
    for (int d = 0; d < 7; ++d) {
      const std::u16string name = DayName(d);
      SIZE s{0, 0};
      if (!name.empty()) GetTextExtentPoint32W(dc, name.data(), static_cast<int>(name.size()), &s);
      widest = std::max(widest, static_cast<int>(s.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    const int height = std::max(static_cast<int>(digits.cy), 8) + 4;
    return Metrics{SIZE{widest + 6, height}, height + 6};
  }

  // Day column c (0 .. 6 from the first day of the week) as 0 Monday .. 6 Sunday.
  int Column(int c) const { return (firstDay_ + c) % 7; }

  std::u16string DayName(int column) const {
    char16_t name[32]{};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, static_cast<DWORD>(LOCALE_SABBREVDAYNAME1 + Column(column)), name, 32) <= 0)
      return {};
    return name;
  }

  // The first cell's date offset: how many days of the previous month lead the grid.
  int Lead() const {
    const int weekday = WeekdayOf(shownYear_, shownMonth_, 1);  // 0 Sunday
    const int mondayBased = (weekday + 6) % 7;
    int lead = (mondayBased - firstDay_ + 7) % 7;
    if (lead == 0) lead = 7;  // a whole week of the previous month, as the system shows
    return lead;
  }

  SYSTEMTIME CellDate(int cell) const {
    int y = shownYear_, m = shownMonth_, d = cell - Lead() + 1;
    if (d < 1) {
      if (--m < 1) {
        m = 12;
        --y;
      }
      d += DaysInMonth(y, m);
    } else if (d > DaysInMonth(y, m)) {
      d -= DaysInMonth(y, m);
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
    return DateOnly(y, m, d);
  }

  RECT CellRect(int cell, const Metrics& m) const {
    const int x = 2 + (cell % 7) * m.cell.cx, y = m.title + m.cell.cy * (1 + cell / 7);
    return RECT{x, y, x + m.cell.cx, y + m.cell.cy};
  }

  UINT HitTest(POINT pt, SYSTEMTIME* st) const {
    const Metrics m = Measure();
    RECT client;
    GetClientRect(hwnd_, &client);
    if (!PtInRect(&client, pt)) return MCHT_NOWHERE;
    if (pt.y < m.title) {
      if (pt.x < m.title) return MCHT_TITLEBTNPREV;
      if (pt.x >= 2 + 7 * m.cell.cx - m.title) return MCHT_TITLEBTNNEXT;
      return MCHT_TITLE;
    }
    if (pt.y < m.title + m.cell.cy) return MCHT_CALENDARDAY;
    for (int cell = 0; cell < 42; ++cell) {
      const RECT r = CellRect(cell, m);
      if (PtInRect(&r, pt)) {
        *st = CellDate(cell);
        return MCHT_CALENDARDATE;
      }
    }
    return MCHT_NOWHERE;
  }

  // A dropped calendar tells the picker that dropped it (named in a property: a popup's
  // owner is the top-level window, not the picker); a plain one tells its parent.
  LRESULT Tell(UINT code, NMHDR* header) {
    const HWND picker = static_cast<HWND>(GetPropW(hwnd_, kNotifyProperty));
    if (!picker) return Notify(hwnd_, code, header);
    header->hwndFrom = hwnd_;
    header->idFrom = 0;
    header->code = code;
    return SendMessageW(picker, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(header));
  }

  void Select(const SYSTEMTIME& st, bool clicked) {
    selected_ = st;
    shownYear_ = st.wYear;
    shownMonth_ = st.wMonth;
    InvalidateRect(hwnd_, nullptr, FALSE);
    NMSELCHANGE nm{};
    nm.stSelStart = nm.stSelEnd = selected_;
    Tell(MCN_SELCHANGE, &nm.nmhdr);
    if (clicked) {
      NMSELCHANGE sel{};
      sel.stSelStart = sel.stSelEnd = selected_;
      Tell(MCN_SELECT, &sel.nmhdr);
    }
  }

  void ShowMonth(int delta) {
    int month = shownMonth_ + delta, year = shownYear_;
    while (month < 1) {
      month += 12;
      --year;
    }
    while (month > 12) {
      month -= 12;
      ++year;
    }
    shownMonth_ = month;
    shownYear_ = year;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  LRESULT Click(POINT pt) {
    SYSTEMTIME st{};
    const UINT hit = HitTest(pt, &st);
    if (hit == MCHT_TITLEBTNPREV) ShowMonth(-1);
    if (hit == MCHT_TITLEBTNNEXT) ShowMonth(1);
    if (hit == MCHT_CALENDARDATE) Select(st, true);
    return 0;
  }

  LRESULT Key(UINT key) {
    int step = 0;
    if (key == VK_LEFT) step = -1;
    if (key == VK_RIGHT) step = 1;
    if (key == VK_UP) step = -7;
    if (key == VK_DOWN) step = 7;
    if (step) {
      const auto days = std::chrono::sys_days{Ymd(selected_)} + std::chrono::days{step};
      const std::chrono::year_month_day ymd{days};
      Select(DateOnly(static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                      static_cast<int>(static_cast<unsigned>(ymd.day()))),
             false);
    }
    if (key == VK_RETURN) Select(selected_, true);
    if (key == VK_ESCAPE && GetPropW(hwnd_, kNotifyProperty))
      SendMessageW(static_cast<HWND>(GetPropW(hwnd_, kNotifyProperty)), WM_KEYDOWN, VK_ESCAPE, 0);
    return 0;
  }

  void Text(HDC dc, const std::u16string& text, RECT r, COLORREF colour, UINT align = DT_CENTER) {
    SetTextColor(dc, colour);
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillSolid(dc, client, colours_[MCSC_BACKGROUND]);
    const Metrics m = Measure();
    HGDIOBJ oldFont = SelectObject(dc, FontOr(font_));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const int width = 7 * m.cell.cx;
    // Title: month and year between the two arrows.
    RECT title{2, 2, 2 + width, m.title - 2};
    FillSolid(dc, title, colours_[MCSC_TITLEBK]);
    char16_t month[64]{};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, static_cast<DWORD>(LOCALE_SMONTHNAME1 + shownMonth_ - 1), month, 64);
    Text(dc, std::u16string(month) + u" " + FromText(std::to_string(shownYear_).c_str()), title,
         colours_[MCSC_TITLETEXT]);
    RECT prev{title.left + 2, title.top + 2, title.left + m.title - 4, title.bottom - 2};
    RECT next{title.right - m.title + 4, title.top + 2, title.right - 2, title.bottom - 2};
    DrawFrameControl(dc, &prev, DFC_SCROLL, DFCS_SCROLLLEFT);
    DrawFrameControl(dc, &next, DFC_SCROLL, DFCS_SCROLLRIGHT);
    // The days' area, their names over a line, then six weeks.
    RECT days{2, m.title, 2 + width, m.title + m.cell.cy * 7};
    FillSolid(dc, days, colours_[MCSC_MONTHBK]);
    for (int c = 0; c < 7; ++c)
      Text(dc, DayName(c), RECT{2 + c * m.cell.cx, m.title, 2 + (c + 1) * m.cell.cx, m.title + m.cell.cy},
           colours_[MCSC_TITLEBK]);
    FillSolid(dc, RECT{4, m.title + m.cell.cy - 1, width, m.title + m.cell.cy}, colours_[MCSC_TRAILINGTEXT]);
    for (int cell = 0; cell < 42; ++cell) {
      const SYSTEMTIME st = CellDate(cell);
      const RECT r = CellRect(cell, m);
      const bool inMonth = st.wMonth == shownMonth_;
      const bool selected = st.wYear == selected_.wYear && st.wMonth == selected_.wMonth && st.wDay == selected_.wDay;
      COLORREF ink = inMonth ? colours_[MCSC_TEXT] : colours_[MCSC_TRAILINGTEXT];
      if (selected) {
        FillSolid(dc, r, colours_[MCSC_TITLEBK]);
        ink = colours_[MCSC_MONTHBK];
      }
      Text(dc, FromText(std::to_string(st.wDay).c_str()), r, ink);
      if (!(GetWindowLongW(hwnd_, GWL_STYLE) & MCS_NOTODAYCIRCLE) && st.wYear == today_.wYear &&
          st.wMonth == today_.wMonth && st.wDay == today_.wDay) {
        HBRUSH ring = CreateSolidBrush(RGB(255, 0, 0));
        FrameRect(dc, &r, ring);
        DeleteObject(ring);
      }
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  }

  HWND hwnd_;
  SYSTEMTIME today_{};
  SYSTEMTIME selected_{};
  int shownYear_ = 2000;
  int shownMonth_ = 1;
  int firstDay_ = 0;
  HFONT font_ = nullptr;
  std::array<COLORREF, 6> colours_{};
};

}  // namespace

void RegisterMonthCalClass() { RegisterControl<MonthCal>(MONTHCAL_CLASSW); }

}  // namespace comctl

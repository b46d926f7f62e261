// Calendar arithmetic on SYSTEMTIME for the calendar and the date-time picker.
#pragma once

#include <chrono>

#include "win/commctrl.h"

namespace comctl {

// The property a dropped calendar finds its picker by.
inline constexpr const char16_t* kNotifyProperty = u"Kx2ComCtlPicker";

inline std::chrono::year_month_day Ymd(const SYSTEMTIME& st) {
  return std::chrono::year{st.wYear} / std::chrono::month{st.wMonth} / std::chrono::day{st.wDay};
}

inline bool ValidDate(const SYSTEMTIME& st) { return st.wYear >= 1601 && st.wYear <= 30827 && Ymd(st).ok(); }

inline int DaysInMonth(int year, int month) {
  const auto last = std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} / std::chrono::last;
  return static_cast<int>(static_cast<unsigned>(last.day()));
}

// 0 Sunday .. 6 Saturday.
inline int WeekdayOf(int year, int month, int day) {
  const std::chrono::sys_days d{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                                std::chrono::day{static_cast<unsigned>(day)}};
  return static_cast<int>(std::chrono::weekday{d}.c_encoding());
}

inline SYSTEMTIME DateOnly(int year, int month, int day) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wDayOfWeek = static_cast<WORD>(WeekdayOf(year, month, day));
  return st;
}

}  // namespace comctl

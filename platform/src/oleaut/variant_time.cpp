// OLE dates from and to system times.
#include <win/oleauto.h>

#include <cmath>

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, long long* year, unsigned* month, unsigned* day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *day = doy - (153 * mp + 2) / 5 + 1;
  *month = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<long long>(yoe) + era * 400 + (*month <= 2);
}

const long long kEpochDays = DaysFromCivil(1899, 12, 30);
constexpr double kFirstDate = -657434.0;        // 0100-01-01
constexpr double kLastDate = 2958465.99999999;  // 9999-12-31 23:59:59

}  // namespace

INT SystemTimeToVariantTime(LPSYSTEMTIME t, DOUBLE* out) {
  if (!t || !out) return 0;
  if (t->wYear < 100 || t->wYear > 9999 || t->wMonth < 1 || t->wMonth > 12 || t->wDay < 1 || t->wDay > 31 ||
      t->wHour > 23 || t->wMinute > 59 || t->wSecond > 59)
    return 0;
  const long long days = DaysFromCivil(t->wYear, t->wMonth, 1) + (t->wDay - 1) - kEpochDays;
  const double fraction = (t->wHour * 3600.0 + t->wMinute * 60.0 + t->wSecond) / 86400.0;
  *out = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  return 1;
}

INT VariantTimeToSystemTime(DOUBLE date, LPSYSTEMTIME out) {
  if (!out || !(date >= kFirstDate && date <= kLastDate)) return 0;
  long long days = static_cast<long long>(std::trunc(date));
  long long seconds = std::llround(std::fabs(date - static_cast<double>(days)) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += 1;  // the next calendar day, on either side of 1899-12-30
  }
  long long year;
  unsigned month, day;
  CivilFromDays(days + kEpochDays, &year, &month, &day);
  if (year < 100 || year > 9999) return 0;
  out->wYear = static_cast<WORD>(year);
  out->wMonth = static_cast<WORD>(month);
  out->wDay = static_cast<WORD>(day);
  out->wDayOfWeek = static_cast<WORD>(((days + kEpochDays) % 7 + 7 + 4) % 7);  // 1970-01-01: Thursday
  out->wHour = static_cast<WORD>(seconds / 3600);
  out->wMinute = static_cast<WORD>(seconds / 60 % 60);
  out->wSecond = static_cast<WORD>(seconds % 60);
  out->wMilliseconds = 0;
  return 1;
}

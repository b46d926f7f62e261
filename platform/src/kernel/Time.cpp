// System time, file times and their conversions. A FILETIME counts 100-ns intervals
// since 1601-01-01 UTC; SYSTEMTIME is the broken-down proleptic Gregorian form.
#include <time.h>

#include <cstring>

#include "kx2/Time.h"
#include "kx2/Utf.h"
#include "win/kernel.h"

namespace kx2 {

namespace {
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerDay = kTicksPerSecond * 86400;

// Days since 1601-01-01 for a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 584694;  // 584694 = days from 0000-03-01 to 1601-01-01
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 584694;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
unsigned DaysInMonth(unsigned y, unsigned m) {
  static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

}  // namespace

int64_t FileTimeToTicks(const FILETIME& ft) {
  return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

FILETIME TicksToFileTime(int64_t ticks) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks));
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  return ft;
}

int64_t UnixToTicks(int64_t seconds, int64_t nanoseconds) {
  return (seconds + kUnixEpochSeconds) * kTicksPerSecond + nanoseconds / 100;
}

void TicksToUnix(int64_t ticks, int64_t* seconds, int64_t* nanoseconds) {
  int64_t s = ticks / kTicksPerSecond, rem = ticks % kTicksPerSecond;
  if (rem < 0) rem += kTicksPerSecond, --s;
  *seconds = s - kUnixEpochSeconds;
  *nanoseconds = rem * 100;
}

int64_t NowTicks() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return UnixToTicks(ts.tv_sec, ts.tv_nsec);
}

int64_t LocalOffsetSeconds(int64_t unixSeconds) {
  time_t t = static_cast<time_t>(unixSeconds);
  tm local;
  if (!localtime_r(&t, &local)) return 0;
  return local.tm_gmtoff;
}

bool TicksToSystemTime(int64_t ticks, SYSTEMTIME* st) {
  if (ticks < 0) return false;
  int64_t days = ticks / kTicksPerDay, rem = ticks % kTicksPerDay;
  int64_t y;
  unsigned m, d;
  CivilFromDays(days, &y, &m, &d);
  if (y > 30827) return false;
  st->wYear = static_cast<WORD>(y);
  st->wMonth = static_cast<WORD>(m);
  st->wDay = static_cast<WORD>(d);
  st->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  st->wHour = static_cast<WORD>(rem / (kTicksPerSecond * 3600));
  st->wMinute = static_cast<WORD>(rem / (kTicksPerSecond * 60) % 60);
  st->wSecond = static_cast<WORD>(rem / kTicksPerSecond % 60);
  st->wMilliseconds = static_cast<WORD>(rem / 10000 % 1000);
  return true;
}

bool SystemTimeToTicks(const SYSTEMTIME& st, int64_t* ticks) {
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
      st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59 ||
      st.wMilliseconds > 999)
    return false;
  int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay);
  *ticks = days * kTicksPerDay + ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond) * kTicksPerSecond +
           st.wMilliseconds * 10000LL;
  return true;
}

}  // namespace kx2

using namespace kx2;

KX2_EXPORT void GetSystemTimeAsFileTime(LPFILETIME ft) { *ft = TicksToFileTime(NowTicks()); }

KX2_EXPORT void GetSystemTime(LPSYSTEMTIME st) { TicksToSystemTime(NowTicks(), st); }

KX2_EXPORT void GetLocalTime(LPSYSTEMTIME st) {
  int64_t now = NowTicks(), s, ns;
  TicksToUnix(now, &s, &ns);
  TicksToSystemTime(now + LocalOffsetSeconds(s) * 10000000LL, st);
}

KX2_EXPORT BOOL FileTimeToSystemTime(const FILETIME* ft, LPSYSTEMTIME st) {
  if (!ft || !st || !TicksToSystemTime(FileTimeToTicks(*ft), st)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

KX2_EXPORT BOOL SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME ft) {
  int64_t ticks;
  if (!st || !ft || !SystemTimeToTicks(*st, &ticks)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *ft = TicksToFileTime(ticks);
  return TRUE;
}

static int64_t CurrentOffsetTicks() {
  int64_t s, ns;
  TicksToUnix(NowTicks(), &s, &ns);
  return LocalOffsetSeconds(s) * 10000000LL;
}

KX2_EXPORT BOOL FileTimeToLocalFileTime(const FILETIME* ft, LPFILETIME local) {
  if (!ft || !local) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *local = TicksToFileTime(FileTimeToTicks(*ft) + CurrentOffsetTicks());
  return TRUE;
}

KX2_EXPORT BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME ft) {
  if (!ft || !local) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *ft = TicksToFileTime(FileTimeToTicks(*local) - CurrentOffsetTicks());
  return TRUE;
}

KX2_EXPORT BOOL FileTimeToDosDateTime(const FILETIME* ft, LPWORD fatDate, LPWORD fatTime) {
  SYSTEMTIME st;
  if (!ft || !fatDate || !fatTime || !TicksToSystemTime(FileTimeToTicks(*ft), &st) || st.wYear < 1980 ||
      st.wYear > 2107) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *fatDate = static_cast<WORD>(((st.wYear - 1980) << 9) | (st.wMonth << 5) | st.wDay);
  *fatTime = static_cast<WORD>((st.wHour << 11) | (st.wMinute << 5) | (st.wSecond / 2));
  return TRUE;
}

KX2_EXPORT BOOL DosDateTimeToFileTime(WORD fatDate, WORD fatTime, LPFILETIME ft) {
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(1980 + (fatDate >> 9));
  st.wMonth = static_cast<WORD>((fatDate >> 5) & 15);
  st.wDay = static_cast<WORD>(fatDate & 31);
  st.wHour = static_cast<WORD>(fatTime >> 11);
  st.wMinute = static_cast<WORD>((fatTime >> 5) & 63);
  st.wSecond = static_cast<WORD>((fatTime & 31) * 2);
  return SystemTimeToFileTime(&st, ft);
}

KX2_EXPORT LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
  uint64_t x = static_cast<uint64_t>(FileTimeToTicks(*a)), y = static_cast<uint64_t>(FileTimeToTicks(*b));
  return x < y ? -1 : (x > y ? 1 : 0);
}

KX2_EXPORT DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION tzi) {
  if (!tzi) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return TIME_ZONE_ID_INVALID;
  }
  std::memset(tzi, 0, sizeof *tzi);
  tzset();
  time_t now = time(nullptr);
  tm local;
  localtime_r(&now, &local);
  // Bias is UTC - local in minutes. The standard bias is taken from January or July,
  // whichever is not in daylight time.
  auto offsetAt = [](int month, bool* dst) {
    time_t t = time(nullptr);
    tm probe;
    localtime_r(&t, &probe);
    probe.tm_mon = month;
    probe.tm_mday = 15;
    probe.tm_isdst = -1;
    time_t u = mktime(&probe);
    tm r;
    localtime_r(&u, &r);
    *dst = r.tm_isdst > 0;
    return static_cast<LONG>(r.tm_gmtoff);
  };
  bool janDst, julDst;
  LONG jan = offsetAt(0, &janDst), jul = offsetAt(6, &julDst);
  LONG standard = janDst ? jul : jan, daylight = janDst ? jan : jul;
  tzi->Bias = -standard / 60;
  tzi->DaylightBias = standard == daylight ? 0 : -(daylight - standard) / 60;
  CopyTo16(tzi->StandardName, 32, Utf8ToUtf16(tzname[0] ? tzname[0] : ""));
  CopyTo16(tzi->DaylightName, 32, Utf8ToUtf16(tzname[1] ? tzname[1] : ""));
  if (standard == daylight) return TIME_ZONE_ID_UNKNOWN;
  return local.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

KX2_EXPORT BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* tz, const SYSTEMTIME* utc,
                                                LPSYSTEMTIME local) {
  int64_t ticks;
  if (!utc || !local || !SystemTimeToTicks(*utc, &ticks)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int64_t offset;
  if (tz) {
    offset = -static_cast<int64_t>(tz->Bias) * 60;
  } else {
    int64_t s, ns;
    TicksToUnix(ticks, &s, &ns);
    offset = LocalOffsetSeconds(s);
  }
  return TicksToSystemTime(ticks + offset * 10000000LL, local) ? TRUE : FALSE;
}

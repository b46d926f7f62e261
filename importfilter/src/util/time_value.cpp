#include <foliant/time_value.h>

#include <cstring>

namespace {

constexpr __time64_t kTicksPerSecond = 10000000;
constexpr __time64_t kEpochTicks = 116444736000000000;  // 1970-01-01 in ticks since 1601

ULONGLONG Ticks(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

FILETIME FromTicks(ULONGLONG ticks) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(ticks);
  t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return t;
}

__time64_t FromParts(int year, int month, int day, int hour, int minute, int second, int dst) {
  struct tm parts {};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = dst;
  return _mktime64(&parts);
}

void FillSystemTime(const struct tm& parts, SYSTEMTIME* out) {
  out->wYear = static_cast<WORD>(parts.tm_year + 1900);
  out->wMonth = static_cast<WORD>(parts.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
  out->wDay = static_cast<WORD>(parts.tm_mday);
  out->wHour = static_cast<WORD>(parts.tm_hour);
  out->wMinute = static_cast<WORD>(parts.tm_min);
  out->wSecond = static_cast<WORD>(parts.tm_sec);
  out->wMilliseconds = 0;
}

std::u16string FormatParts(const struct tm* parts, LPCWSTR format) {
  if (!format || !parts) return {};
  char16_t buffer[1024];
  size_t n = wcsftime(buffer, 1024, format, parts);
  return std::u16string(buffer, n);
}

}  // namespace

TimeValue::TimeValue(int year, int month, int day, int hour, int minute, int second, int dst)
    : value_(FromParts(year, month, day, hour, minute, second, dst)) {}

TimeValue::TimeValue(const SYSTEMTIME& t, int dst)
    : value_(t.wYear < 1900 ? 0 : FromParts(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, dst)) {}

TimeValue::TimeValue(const FILETIME& t, int dst) {
  const __time64_t seconds = FileTimeToSeconds(t);
  struct tm parts {};
  if (_localtime64_s(&parts, &seconds) != 0) {
    value_ = -1;
    return;
  }
  value_ =
      FromParts(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, dst);
}

TimeValue TimeValue::Now() { return TimeValue(_time64(nullptr)); }

struct tm* TimeValue::GetLocalTm(struct tm* out) const {
  if (!out || _localtime64_s(out, &value_) != 0) return nullptr;
  return out;
}

struct tm* TimeValue::GetGmtTm(struct tm* out) const {
  if (!out || _gmtime64_s(out, &value_) != 0) return nullptr;
  return out;
}

int TimeValue::GetYear() const {
  struct tm p;
  return GetLocalTm(&p) ? p.tm_year + 1900 : 0;
}
int TimeValue::GetMonth() const {
  struct tm p;
  return GetLocalTm(&p) ? p.tm_mon + 1 : 0;
}
int TimeValue::GetDay() const {
  struct tm p;
  return GetLocalTm(&p) ? p.tm_mday : 0;
}
int TimeValue::GetHour() const {
  struct tm p;
  return GetLocalTm(&p) ? p.tm_hour : -1;
}
int TimeValue::GetMinute() const {
  struct tm p;
  return GetLocalTm(&p) ? p.tm_min : -1;
}
int TimeValue::GetSecond() const {
  struct tm p;
  return GetLocalTm(&p) ? p.tm_sec : -1;
}
int TimeValue::GetDayOfWeek() const {
  struct tm p;
  return GetLocalTm(&p) ? p.tm_wday + 1 : 0;
}

int TimeValue::GetAsSystemTime(SYSTEMTIME* out) const {
  struct tm p;
  if (!out || !GetLocalTm(&p)) return 0;
  FillSystemTime(p, out);
  return 1;
}

int TimeValue::GetAsUtcSystemTime(SYSTEMTIME* out) const {
  struct tm p;
  if (!out || !GetGmtTm(&p)) return 0;
  FillSystemTime(p, out);
  return 1;
}

std::u16string TimeValue::Format(LPCWSTR format) const {
  struct tm p;
  return FormatParts(format ? GetLocalTm(&p) : nullptr, format);
}

std::u16string TimeValue::FormatGmt(LPCWSTR format) const {
  struct tm p;
  return FormatParts(format ? GetGmtTm(&p) : nullptr, format);
}

__time64_t TimeValue::FileTimeToSeconds(const FILETIME& time, LONG* nanoseconds) {
  const __time64_t ticks = static_cast<__time64_t>(Ticks(time)) - kEpochTicks;
  if (nanoseconds) *nanoseconds = static_cast<LONG>((ticks % kTicksPerSecond) * 100);
  return ticks / kTicksPerSecond;
}

FILETIME TimeValue::SecondsToFileTime(__time64_t seconds) {
  return FromTicks(static_cast<ULONGLONG>((seconds + kEpochTicks / kTicksPerSecond) * kTicksPerSecond));
}

FILETIME TimeValue::SystemTimeToFileTimeUtc(const SYSTEMTIME& t) {
  // Months counted from March, so that the leap day ends the year.
  __time64_t month = static_cast<__time64_t>(t.wMonth) - 2;
  __time64_t year = t.wYear;
  if (month <= 0) {
    month += 12;
    year -= 1;
  }
  const __time64_t days = 367 * month / 12 + year / 4 - year / 100 + year / 400 + 365 * year + t.wDay - 719499;
  const __time64_t seconds = ((days * 24 + t.wHour) * 60 + t.wMinute) * 60 + t.wSecond;
  return SecondsToFileTime(seconds);
}

bool TimeValue::FileTimeToSystemTimeUtc(const FILETIME& time, SYSTEMTIME* out) {
  const __time64_t seconds = FileTimeToSeconds(time);
  struct tm parts {};
  if (!out || _gmtime64_s(&parts, &seconds) != 0) return false;
  FillSystemTime(parts, out);
  return true;
}

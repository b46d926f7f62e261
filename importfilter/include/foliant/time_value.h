// Dates and times of the importers (task dates, comment times): a 64-bit count of seconds
// since 1970-01-01 00:00:00 UTC as the C runtime's 64-bit time keeps it, its span, and the
// conversions between it, Win32 file times and system time records.
#pragma once

#include <string>

#include <win/crt.h>
#include <win/types.h>

class TimeSpan {
 public:
  constexpr TimeSpan() = default;
  constexpr explicit TimeSpan(__time64_t seconds) : seconds_(seconds) {}
  constexpr TimeSpan(LONG days, int hours, int minutes, int seconds)
      : seconds_(((static_cast<__time64_t>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) {}

  constexpr __time64_t GetTimeSpan() const { return seconds_; }
  constexpr __time64_t GetDays() const { return seconds_ / (24 * 3600); }
  constexpr __time64_t GetTotalHours() const { return seconds_ / 3600; }
  constexpr __time64_t GetTotalMinutes() const { return seconds_ / 60; }
  constexpr __time64_t GetTotalSeconds() const { return seconds_; }
  // Within the day, the hour and the minute.
  constexpr LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
  constexpr LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
  constexpr LONG GetSeconds() const { return static_cast<LONG>(GetTotalSeconds() - GetTotalMinutes() * 60); }

  constexpr auto operator<=>(const TimeSpan&) const = default;

 private:
  __time64_t seconds_ = 0;
};

class TimeValue {
 public:
  constexpr TimeValue() = default;
  constexpr explicit TimeValue(__time64_t seconds) : value_(seconds) {}
  // Local time through _mktime64 (month and year passed as it expects them); the value is
  // what _mktime64 gives, -1 when the fields cannot be represented. `dst` -1 lets the
  // runtime decide whether daylight saving applies.
  TimeValue(int year, int month, int day, int hour, int minute, int second, int dst = -1);
  // The same from a system time record; 0 for a year before 1900.
  explicit TimeValue(const SYSTEMTIME& time, int dst = -1);
  // A file time (UTC) taken as local time parts (milliseconds dropped).
  explicit TimeValue(const FILETIME& time, int dst = -1);
  static TimeValue Now();

  void Clear() { value_ = 0; }
  constexpr __time64_t GetTime() const { return value_; }

  // Fields of the local time: when it cannot be broken down, 0 for year, month, day and
  // day of week (1 = Sunday), -1 for hour, minute and second.
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;

  // The broken-down time in `out`, or null when it cannot be had.
  struct tm* GetLocalTm(struct tm* out) const;
  struct tm* GetGmtTm(struct tm* out) const;
  // 1 and the record (milliseconds 0), or 0.
  int GetAsSystemTime(SYSTEMTIME* out) const;
  int GetAsUtcSystemTime(SYSTEMTIME* out) const;
  // wcsftime of the time with the caller's format, at most 1024 units; empty for a null
  // format or a time that cannot be broken down.
  std::u16string Format(LPCWSTR format) const;
  std::u16string FormatGmt(LPCWSTR format) const;

  constexpr auto operator<=>(const TimeValue&) const = default;
  constexpr TimeValue operator+(TimeSpan span) const { return TimeValue(value_ + span.GetTimeSpan()); }
  constexpr TimeValue operator-(TimeSpan span) const { return TimeValue(value_ - span.GetTimeSpan()); }
  constexpr TimeSpan operator-(TimeValue other) const { return TimeSpan(value_ - other.value_); }
  TimeValue& operator+=(TimeSpan span) { return value_ += span.GetTimeSpan(), *this; }
  TimeValue& operator-=(TimeSpan span) { return value_ -= span.GetTimeSpan(), *this; }

  // Conversions without the operating system.
  // (ticks - 116444736000000000) / 10^7, truncated; the remainder in nanoseconds on request.
  static __time64_t FileTimeToSeconds(const FILETIME& time, LONG* nanoseconds = nullptr);
  static FILETIME SecondsToFileTime(__time64_t seconds);
  // UTC system time to file time by the civil-date formula (milliseconds and day of week
  // ignored).
  static FILETIME SystemTimeToFileTimeUtc(const SYSTEMTIME& time);
  // File time to UTC system time through _gmtime64 (milliseconds 0); false, with the record
  // unchanged, when the time cannot be broken down.
  static bool FileTimeToSystemTimeUtc(const FILETIME& time, SYSTEMTIME* out);

 private:
  __time64_t value_ = 0;
};

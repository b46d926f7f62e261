// Dates, times and the command line.
#include <string>

#include <basalt/base_api.h>
#include <basalt/string_util.h>
#include <win/kernel.h>
#include <win/nls.h>
#include <win/shell.h>

#include "common/text16.h"

namespace Basalt::Util {
namespace {

constexpr int kFormatUnits = 260;

template <typename Format>
LONG FormatInto(char16_t* out, int size, Format format) {
  char16_t buf[kFormatUnits] = {};
  int capped = size < kFormatUnits ? size : kFormatUnits;
  int n = format(buf, capped);
  if (n > 0 && out && size > 0) Text16::Copy(out, static_cast<size_t>(size), buf);
  return n;
}

}  // namespace

LONG BaseAPI::_GetDateFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, const char16_t* format, char16_t* out,
                             int size) {
  return FormatInto(out, size,
                    [&](char16_t* buf, int n) { return GetDateFormatW(locale, flags, time, format, buf, n); });
}

LONG BaseAPI::_GetTimeFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, const char16_t* format, char16_t* out,
                             int size) {
  return FormatInto(out, size,
                    [&](char16_t* buf, int n) { return GetTimeFormatW(locale, flags, time, format, buf, n); });
}

LONG BaseAPI::_GetUTCFormat(const SYSTEMTIME* time, char16_t* out, int size) {
  if (!time) return 0;
  char16_t text[64];
  LONG len = StringUtil::snprintf_fmt(text, 64, u"%4d-%02d-%02dT%02d:%02d:%02dZ", time->wYear, time->wMonth, time->wDay,
                                      time->wHour, time->wMinute, time->wSecond);
  if (len < 0) return 0;
  if (out && size > len) Text16::Copy(out, static_cast<size_t>(size), text);
  return len;
}

void BaseAPI::_GetFiletime(FILETIME* out) {
  if (!out) return;
  SYSTEMTIME now;
  GetSystemTime(&now);
  SystemTimeToFileTime(&now, out);
}

int BaseAPI::_GetFiletimeStr(char16_t* out, const FILETIME* time, int withTime) {
  if (!time) return 0;
  FILETIME local;
  SYSTEMTIME st;
  FileTimeToLocalFileTime(time, &local);
  FileTimeToSystemTime(&local, &st);
  char16_t date[kFormatUnits] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, date, kFormatUnits);
  if (!out) return 1;
  if (!withTime) {
    Text16::Copy(out, MAX_PATH, date);
    return 1;
  }
  char16_t clock[kFormatUnits] = {};
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, clock, kFormatUnits);
  std::u16string both(date);
  both += u' ';
  both += clock;
  Text16::Copy(out, MAX_PATH, both);
  return 1;
}

int BaseAPI::_GetArgV(unsigned int index, char16_t* out, unsigned int size) {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return 0;
  int result = 0;
  if (index < static_cast<unsigned>(count)) {
    if (out && size > 0) Text16::Copy(out, size, Text16::View16(args[index]));
    result = 1;
  }
  LocalFree(args);
  return result;
}

}  // namespace Basalt::Util

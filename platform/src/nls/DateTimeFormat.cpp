// GetDateFormatW and GetTimeFormatW: Windows date and time pictures.
#include <vector>

#include "kx2/Time.h"
#include "kx2/Utf.h"
#include "nls/LocaleNames.h"
#include "nls/LocaleTable.h"
#include "win/kernel.h"
#include "win/nls.h"

using namespace kx2;

namespace {

struct Token {
  char16_t field;  // 0 for literal text
  size_t count;    // repetitions of the field letter
  std::u16string text;
};

std::vector<Token> Parse(std::u16string_view picture, std::u16string_view fields) {
  std::vector<Token> tokens;
  auto literal = [&](char16_t c) {
    if (tokens.empty() || tokens.back().field) tokens.push_back(Token{0, 0, {}});
    tokens.back().text.push_back(c);
  };
  for (size_t i = 0; i < picture.size();) {
    char16_t c = picture[i];
    if (c == u'\'') {
      // Quoted text; '' inside or outside quotes is one quote.
      ++i;
      if (i < picture.size() && picture[i] == u'\'') {
        literal(u'\'');
        ++i;
        continue;
      }
      while (i < picture.size()) {
        if (picture[i] == u'\'') {
          if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
            literal(u'\'');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        literal(picture[i++]);
      }
      continue;
    }
    if (fields.find(c) != std::u16string_view::npos) {
      size_t n = 0;
      while (i < picture.size() && picture[i] == c) ++n, ++i;
      tokens.push_back(Token{c, n, {}});
      continue;
    }
    literal(c);
    ++i;
  }
  return tokens;
}

std::u16string Digits(int value, size_t width) {
  std::u16string s;
  do s.insert(s.begin(), static_cast<char16_t>(u'0' + value % 10));
  while ((value /= 10) > 0);
  while (s.size() < width) s.insert(s.begin(), u'0');
  return s;
}

int Deliver(const std::u16string& text, LPWSTR out, int size) {
  if (size == 0) return static_cast<int>(text.size() + 1);
  if (!out || static_cast<size_t>(size) <= text.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  CopyTo16(out, static_cast<size_t>(size), text);
  return static_cast<int>(text.size() + 1);
}

// Checks the fields Windows checks and fills in the day of the week.
bool Normalize(const SYSTEMTIME* in, SYSTEMTIME* out, bool timeOnly) {
  if (!in) {
    GetLocalTime(out);
    return true;
  }
  *out = *in;
  if (timeOnly) {
    return out->wHour < 24 && out->wMinute < 60 && out->wSecond < 60 && out->wMilliseconds < 1000;
  }
  SYSTEMTIME day = *in;
  day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
  int64_t ticks;
  if (!SystemTimeToTicks(day, &ticks)) return false;
  SYSTEMTIME computed;
  TicksToSystemTime(ticks, &computed);
  out->wDayOfWeek = computed.wDayOfWeek;
  return true;
}

}  // namespace

KX2_EXPORT int GetDateFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCWSTR lpFormat, LPWSTR lpDateStr,
                              int cchDate) {
  const LocaleEntry* e = FindLocale(Locale);
  SYSTEMTIME st;
  if (!e || cchDate < 0 || !Normalize(lpDate, &st, false)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD kind = dwFlags & (DATE_SHORTDATE | DATE_LONGDATE | DATE_YEARMONTH);
  if ((lpFormat && kind) || (kind & (kind - 1))) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  std::u16string picture = lpFormat                 ? std::u16string(View16(lpFormat))
                           : kind == DATE_LONGDATE  ? e->longDate
                           : kind == DATE_YEARMONTH ? u"MMMM yyyy"
                                                    : e->shortDate;
  LocaleNames names = NamesOf(*e);
  std::vector<Token> tokens = Parse(picture, u"dMyg");
  bool hasDay = false;
  for (const Token& t : tokens) hasDay = hasDay || (t.field == u'd' && t.count <= 2);
  std::u16string out;
  for (const Token& t : tokens) {
    switch (t.field) {
      case 0:
        out += t.text;
        break;
      case u'd':
        if (t.count <= 2)
          out += Digits(st.wDay, t.count);
        else
          out += t.count == 3 ? names.abbrevDays[st.wDayOfWeek] : names.days[st.wDayOfWeek];
        break;
      case u'M':
        if (t.count <= 2)
          out += Digits(st.wMonth, t.count);
        else if (t.count == 3)
          out += names.abbrevMonths[st.wMonth - 1];
        // The genitive form belongs next to a day number; alone the month stands in the nominative.
        else
          out += hasDay ? names.months[st.wMonth - 1] : names.standaloneMonths[st.wMonth - 1];
        break;
      case u'y':
        if (t.count == 1)
          out += Digits(st.wYear % 100, 1);
        else if (t.count == 2)
          out += Digits(st.wYear % 100, 2);
        else
          out += Digits(st.wYear, 1);
        break;
      case u'g':
        out += names.era;
        break;
    }
  }
  return Deliver(out, lpDateStr, cchDate);
}

KX2_EXPORT int GetTimeFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCWSTR lpFormat, LPWSTR lpTimeStr,
                              int cchTime) {
  const LocaleEntry* e = FindLocale(Locale);
  SYSTEMTIME st;
  if (!e || cchTime < 0 || !Normalize(lpTime, &st, true)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  LocaleNames names = NamesOf(*e);
  std::vector<Token> tokens = Parse(lpFormat ? View16(lpFormat) : View16(e->timeFormat), u"hHmst");
  // Dropping a field also drops the separator written just before it (or, for a leading
  // marker, just after it).
  auto dropped = [&](const Token& t) {
    if (t.field == u's') return (dwFlags & (TIME_NOSECONDS | TIME_NOMINUTESORSECONDS)) != 0;
    if (t.field == u'm') return (dwFlags & TIME_NOMINUTESORSECONDS) != 0;
    if (t.field == u't') return (dwFlags & (TIME_NOTIMEMARKER | TIME_FORCE24HOURFORMAT)) != 0;
    return false;
  };
  std::vector<Token> kept;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (!dropped(tokens[i])) {
      kept.push_back(tokens[i]);
      continue;
    }
    if (!kept.empty() && kept.back().field == 0)
      kept.pop_back();
    else if (i + 1 < tokens.size() && tokens[i + 1].field == 0)
      ++i;
  }
  std::u16string out;
  for (const Token& t : kept) {
    switch (t.field) {
      case 0:
        out += t.text;
        break;
      case u'h':
        if (dwFlags & TIME_FORCE24HOURFORMAT)
          out += Digits(st.wHour, t.count >= 2 ? 2 : 1);
        else
          out += Digits(st.wHour % 12 == 0 ? 12 : st.wHour % 12, t.count >= 2 ? 2 : 1);
        break;
      case u'H':
        out += Digits(st.wHour, t.count >= 2 ? 2 : 1);
        break;
      case u'm':
        out += Digits(st.wMinute, t.count >= 2 ? 2 : 1);
        break;
      case u's':
        out += Digits(st.wSecond, t.count >= 2 ? 2 : 1);
        break;
      case u't': {
        const std::u16string& marker = st.wHour < 12 ? names.am : names.pm;
        out += t.count == 1 ? marker.substr(0, 1) : marker;
        break;
      }
    }
  }
  return Deliver(out, lpTimeStr, cchTime);
}

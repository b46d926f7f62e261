// GetLocaleInfoW and the default-locale queries.
#include <unicode/dcfmtsym.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>

#include "kx2/Utf.h"
#include "nls/LocaleNames.h"
#include "nls/LocaleTable.h"
#include "win/nls.h"

namespace kx2 {

std::u16string ToU16(const icu::UnicodeString& s) {
  return std::u16string(s.getBuffer(), static_cast<size_t>(s.length()));
}

LocaleNames NamesOf(const LocaleEntry& e) {
  // ICU's symbol tables are costly to build; each locale's names are built once.
  static std::mutex lock;
  static std::map<LCID, LocaleNames>* cache = new std::map<LCID, LocaleNames>;
  std::lock_guard<std::mutex> guard(lock);
  auto it = cache->find(e.lcid);
  if (it != cache->end()) return it->second;
  LocaleNames n;
  icu::Locale loc(IcuLocaleId(e).c_str());
  UErrorCode status = U_ZERO_ERROR;
  icu::DateFormatSymbols dfs(loc, status);
  if (U_SUCCESS(status)) {
    int32_t count = 0;
    using DFS = icu::DateFormatSymbols;
    const icu::UnicodeString* days = dfs.getWeekdays(count, DFS::FORMAT, DFS::WIDE);
    for (int i = 0; i < 7 && i + 1 < count; ++i) n.days[i] = ToU16(days[i + 1]);  // ICU: [1] is Sunday
    days = dfs.getWeekdays(count, DFS::FORMAT, DFS::ABBREVIATED);
    for (int i = 0; i < 7 && i + 1 < count; ++i) n.abbrevDays[i] = ToU16(days[i + 1]);
    const icu::UnicodeString* months = dfs.getMonths(count, DFS::FORMAT, DFS::WIDE);
    for (int i = 0; i < 12 && i < count; ++i) n.months[i] = ToU16(months[i]);
    months = dfs.getMonths(count, DFS::STANDALONE, DFS::WIDE);
    for (int i = 0; i < 12 && i < count; ++i) n.standaloneMonths[i] = ToU16(months[i]);
    months = dfs.getMonths(count, DFS::FORMAT, DFS::ABBREVIATED);
    for (int i = 0; i < 12 && i < count; ++i) n.abbrevMonths[i] = ToU16(months[i]);
    const icu::UnicodeString* ampm = dfs.getAmPmStrings(count);
    if (count >= 2) n.am = ToU16(ampm[0]), n.pm = ToU16(ampm[1]);
    const icu::UnicodeString* eras = dfs.getEras(count);
    if (count >= 2) n.era = ToU16(eras[1]);
  }
  status = U_ZERO_ERROR;
  icu::DecimalFormatSymbols dec(loc, status);
  if (U_SUCCESS(status)) {
    n.decimal = ToU16(dec.getSymbol(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol));
    n.thousand = ToU16(dec.getSymbol(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol));
    n.currency = ToU16(dec.getSymbol(icu::DecimalFormatSymbols::kCurrencySymbol));
    n.intlCurrency = ToU16(dec.getSymbol(icu::DecimalFormatSymbols::kIntlCurrencySymbol));
  }
  icu::UnicodeString s;
  n.nativeLanguage = ToU16(loc.getDisplayLanguage(loc, s));
  n.nativeCountry = ToU16(loc.getDisplayCountry(loc, s));
  cache->emplace(e.lcid, n);
  return n;
}

}  // namespace kx2

using namespace kx2;

namespace {

std::u16string Number(unsigned long v, const char* format = "%lu") {
  char buf[32];
  snprintf(buf, sizeof buf, format, v);
  return Utf8ToUtf16(buf);
}

// The date or time separator: the first character of the picture that is not a field letter.
std::u16string SeparatorOf(std::u16string_view picture, std::u16string_view fields) {
  for (char16_t c : picture)
    if (fields.find(c) == std::u16string_view::npos && c != u' ' && c != u'\'') return std::u16string(1, c);
  return u"/";
}

}  // namespace

KX2_EXPORT int GetLocaleInfoW(LCID Locale, DWORD LCType, LPWSTR lpLCData, int cchData) {
  const LocaleEntry* e = FindLocale(Locale);
  if (!e || cchData < 0 || (cchData && !lpLCData)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  bool asNumber = (LCType & LOCALE_RETURN_NUMBER) != 0;
  DWORD type = LCType & ~static_cast<DWORD>(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP | LOCALE_RETURN_NUMBER);
  std::u16string value;
  long number = -1;
  // Only the types that read ICU's names copy them (dozens of strings).
  static const LocaleNames kNoNames;
  std::optional<LocaleNames> built;
  bool needNames = (type >= LOCALE_SDAYNAME1 && type <= LOCALE_SABBREVMONTHNAME1 + 12) || type == LOCALE_S1159 ||
                   type == LOCALE_S2359 || type == LOCALE_SDECIMAL || type == LOCALE_STHOUSAND ||
                   type == LOCALE_SLIST || type == LOCALE_SCURRENCY || type == LOCALE_SINTLSYMBOL ||
                   type == LOCALE_SNATIVELANGNAME || type == LOCALE_SNATIVECTRYNAME;
  if (needNames) built = NamesOf(*e);
  const LocaleNames& names = built ? *built : kNoNames;
  std::string_view name(e->name);
  switch (type) {
    case LOCALE_ILANGUAGE:
      value = Number(e->lcid & 0xFFFF, "%04lx");
      break;
    case LOCALE_SLANGUAGE:
      value = EnglishLanguageName(*e) + u" (" + EnglishCountryName(*e) + u")";
      break;
    case LOCALE_SENGLANGUAGE:
      value = EnglishLanguageName(*e);
      break;
    case LOCALE_SABBREVLANGNAME:
      value = e->abbrev;
      break;
    case LOCALE_SNATIVELANGNAME:
      value = names.nativeLanguage;
      break;
    case LOCALE_ICOUNTRY:
      number = e->countryCode;
      break;
    case LOCALE_SCOUNTRY:
    case LOCALE_SENGCOUNTRY:
      value = EnglishCountryName(*e);
      break;
    case LOCALE_SABBREVCTRYNAME:
      value = e->countryAbbrev;
      break;
    case LOCALE_SNATIVECTRYNAME:
      value = names.nativeCountry;
      break;
    case LOCALE_IDEFAULTLANGUAGE:
      value = Number(e->lcid & 0xFFFF, "%04lx");
      break;
    case LOCALE_IDEFAULTCOUNTRY:
      number = e->countryCode;
      break;
    case LOCALE_IDEFAULTCODEPAGE:
      number = e->oemCodePage;
      break;
    case LOCALE_IDEFAULTANSICODEPAGE:
      number = e->ansiCodePage;
      break;
    case LOCALE_IDEFAULTMACCODEPAGE:
      number = e->ansiCodePage == 1252 ? 10000 : 2;
      break;
    case LOCALE_SLIST:
      value = names.decimal == u"," ? u";" : u",";
      break;
    case LOCALE_IMEASURE:
      number = e->measure;
      break;
    case LOCALE_SDECIMAL:
      value = names.decimal;
      break;
    case LOCALE_STHOUSAND:
      value = names.thousand;
      break;
    case LOCALE_SGROUPING:
      value = u"3;0";
      break;
    case LOCALE_IDIGITS:
      number = 2;
      break;
    case LOCALE_ILZERO:
      number = 1;
      break;
    case LOCALE_SNATIVEDIGITS:
      value = u"0123456789";
      break;
    case LOCALE_SCURRENCY:
      value = names.currency;
      break;
    case LOCALE_SINTLSYMBOL:
      value = names.intlCurrency;
      break;
    case LOCALE_SDATE:
      value = SeparatorOf(e->shortDate, u"dMyg");
      break;
    case LOCALE_STIME:
      value = SeparatorOf(e->timeFormat, u"hHmst");
      break;
    case LOCALE_SSHORTDATE:
      value = e->shortDate;
      break;
    case LOCALE_SLONGDATE:
      value = e->longDate;
      break;
    case LOCALE_STIMEFORMAT:
      value = e->timeFormat;
      break;
    case LOCALE_IDATE: {
      char16_t first = e->shortDate[0];
      number = first == u'M' ? 0 : first == u'd' ? 1 : 2;
      break;
    }
    case LOCALE_ITIME:
      number = View16(e->timeFormat).find(u'H') != std::u16string_view::npos ? 1 : 0;
      break;
    case LOCALE_S1159:
      value = View16(e->timeFormat).find(u't') != std::u16string_view::npos ? names.am : u"";
      break;
    case LOCALE_S2359:
      value = View16(e->timeFormat).find(u't') != std::u16string_view::npos ? names.pm : u"";
      break;
    case LOCALE_IFIRSTDAYOFWEEK:
      number = e->measure == 1 || e->countryCode == 81 || e->countryCode == 82 ? 6 : 0;
      break;
    case LOCALE_SISO639LANGNAME:
      value = Utf8ToUtf16(name.substr(0, 2));
      break;
    case LOCALE_SISO3166CTRYNAME:
      value = Utf8ToUtf16(name.substr(3, 2));
      break;
    case LOCALE_SNAME:
      value = Utf8ToUtf16(name);
      break;
    default:
      if (type >= LOCALE_SDAYNAME1 && type < LOCALE_SDAYNAME1 + 7) {
        value = names.days[(type - LOCALE_SDAYNAME1 + 1) % 7];  // DAYNAME1 is Monday
      } else if (type >= LOCALE_SABBREVDAYNAME1 && type < LOCALE_SABBREVDAYNAME1 + 7) {
        value = names.abbrevDays[(type - LOCALE_SABBREVDAYNAME1 + 1) % 7];
      } else if (type >= LOCALE_SMONTHNAME1 && type < LOCALE_SMONTHNAME1 + 12) {
        value = names.standaloneMonths[type - LOCALE_SMONTHNAME1];
      } else if (type >= LOCALE_SABBREVMONTHNAME1 && type < LOCALE_SABBREVMONTHNAME1 + 12) {
        value = names.abbrevMonths[type - LOCALE_SABBREVMONTHNAME1];
      } else {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
      }
  }
  if (asNumber) {
    if (number < 0) {
      SetLastError(ERROR_INVALID_FLAGS);
      return 0;
    }
    // The number fills two units (a DWORD) of the buffer.
    if (cchData == 0) return 2;
    if (cchData < 2) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    DWORD v = static_cast<DWORD>(number);
    std::memcpy(lpLCData, &v, sizeof v);
    return 2;
  }
  if (number >= 0) value = Number(static_cast<unsigned long>(number));
  if (cchData == 0) return static_cast<int>(value.size() + 1);
  if (static_cast<size_t>(cchData) <= value.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  CopyTo16(lpLCData, static_cast<size_t>(cchData), value);
  return static_cast<int>(value.size() + 1);
}

KX2_EXPORT LCID GetUserDefaultLCID() { return UserLcid(); }
KX2_EXPORT LCID GetSystemDefaultLCID() { return UserLcid(); }
KX2_EXPORT LANGID GetUserDefaultLangID() { return LANGIDFROMLCID(UserLcid()); }
KX2_EXPORT LANGID GetSystemDefaultLangID() { return LANGIDFROMLCID(UserLcid()); }
KX2_EXPORT LANGID GetUserDefaultUILanguage() { return LANGIDFROMLCID(UserLcid()); }
KX2_EXPORT LANGID GetSystemDefaultUILanguage() { return LANGIDFROMLCID(UserLcid()); }

namespace {
thread_local LCID t_threadLocale = 0;
}

KX2_EXPORT LCID GetThreadLocale() { return t_threadLocale ? t_threadLocale : UserLcid(); }

KX2_EXPORT BOOL SetThreadLocale(LCID Locale) {
  if (!FindLocale(Locale) || Locale == LOCALE_USER_DEFAULT || Locale == LOCALE_SYSTEM_DEFAULT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  t_threadLocale = Locale;
  return TRUE;
}

KX2_EXPORT BOOL IsValidLocale(LCID Locale, DWORD) {
  return Locale != LOCALE_USER_DEFAULT && Locale != LOCALE_SYSTEM_DEFAULT && Locale != 0 && FindLocale(Locale) &&
         FindLocale(Locale)->lcid == (Locale & 0xFFFF);
}

KX2_EXPORT int LCIDToLocaleName(LCID Locale, LPWSTR lpName, int cchName, DWORD) {
  const LocaleEntry* e = FindLocale(Locale);
  if (!e || cchName < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string name = Utf8ToUtf16(e->name);
  if (cchName == 0) return static_cast<int>(name.size() + 1);
  if (static_cast<size_t>(cchName) <= name.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  CopyTo16(lpName, static_cast<size_t>(cchName), name);
  return static_cast<int>(name.size() + 1);
}

KX2_EXPORT LCID LocaleNameToLCID(LPCWSTR lpName, DWORD) {
  if (!lpName || !*lpName) return UserLcid();
  const LocaleEntry* e = FindLocaleByName(View16(lpName));
  if (!e) SetLastError(ERROR_INVALID_PARAMETER);
  return e ? e->lcid : 0;
}

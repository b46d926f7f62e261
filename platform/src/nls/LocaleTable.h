// Private: the table of locales the platform knows, by LCID.
#pragma once

#include <string>

#include "win/types.h"

namespace kx2 {

struct LocaleEntry {
  LCID lcid;
  const char* name;               // "en-US"
  const char16_t* abbrev;         // LOCALE_SABBREVLANGNAME, "ENU"
  const char16_t* countryAbbrev;  // LOCALE_SABBREVCTRYNAME, "USA"
  UINT ansiCodePage;
  UINT oemCodePage;
  UINT countryCode;            // LOCALE_ICOUNTRY (the telephone code)
  const char16_t* shortDate;   // LOCALE_SSHORTDATE picture
  const char16_t* longDate;    // LOCALE_SLONGDATE picture
  const char16_t* timeFormat;  // LOCALE_STIMEFORMAT picture
  int measure;                 // 0 metric, 1 U.S.
};

// The entry of a locale, resolving LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT,
// LOCALE_NEUTRAL and LOCALE_INVARIANT (as en-US); a neutral sub-language picks the
// language's first entry. Null when unknown.
const LocaleEntry* FindLocale(LCID lcid);
const LocaleEntry* FindLocaleByName(std::u16string_view name);  // "en-US", "en_US", "en"
// English language name ("English"), e.g. for _wsetlocale names.
const LocaleEntry* FindLocaleByEnglishName(std::u16string_view language, std::u16string_view country);
const LocaleEntry* LocaleAt(size_t index);  // null past the end

// The user's locale: KX2_LCID, else LC_ALL/LC_MESSAGES/LANG, else 0x0409.
LCID UserLcid();
// The ICU locale id of an entry ("en_US").
std::string IcuLocaleId(const LocaleEntry& e);
std::u16string EnglishLanguageName(const LocaleEntry& e);
std::u16string EnglishCountryName(const LocaleEntry& e);

}  // namespace kx2

// The locales the platform knows. Pictures and code pages are those Windows uses for
// each locale; names of languages, countries, days and months come from ICU.
#include "nls/LocaleTable.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <cstdlib>
#include <cstring>

#include "kx2/Utf.h"

namespace kx2 {
namespace {

const LocaleEntry kLocales[] = {
    {0x0409, "en-US", u"ENU", u"USA", 1252, 437, 1, u"M/d/yyyy", u"dddd, MMMM d, yyyy", u"h:mm:ss tt", 1},
    {0x0809, "en-GB", u"ENG", u"GBR", 1252, 850, 44, u"dd/MM/yyyy", u"dd MMMM yyyy", u"HH:mm:ss", 0},
    {0x0C09, "en-AU", u"ENA", u"AUS", 1252, 850, 61, u"d/MM/yyyy", u"dddd, d MMMM yyyy", u"h:mm:ss tt", 0},
    {0x1009, "en-CA", u"ENC", u"CAN", 1252, 850, 2, u"yyyy-MM-dd", u"MMMM d, yyyy", u"h:mm:ss tt", 0},
    {0x0407, "de-DE", u"DEU", u"DEU", 1252, 850, 49, u"dd.MM.yyyy", u"dddd, d. MMMM yyyy", u"HH:mm:ss", 0},
    {0x0807, "de-CH", u"DES", u"CHE", 1252, 850, 41, u"dd.MM.yyyy", u"dddd, d. MMMM yyyy", u"HH:mm:ss", 0},
    {0x0C07, "de-AT", u"DEA", u"AUT", 1252, 850, 43, u"dd.MM.yyyy", u"dddd, d. MMMM yyyy", u"HH:mm:ss", 0},
    {0x040C, "fr-FR", u"FRA", u"FRA", 1252, 850, 33, u"dd/MM/yyyy", u"dddd d MMMM yyyy", u"HH:mm:ss", 0},
    {0x0C0C, "fr-CA", u"FRC", u"CAN", 1252, 850, 2, u"yyyy-MM-dd", u"d MMMM yyyy", u"HH:mm:ss", 0},
    {0x0410, "it-IT", u"ITA", u"ITA", 1252, 850, 39, u"dd/MM/yyyy", u"dddd d MMMM yyyy", u"HH:mm:ss", 0},
    {0x0C0A, "es-ES", u"ESN", u"ESP", 1252, 850, 34, u"dd/MM/yyyy", u"dddd, d' de 'MMMM' de 'yyyy", u"H:mm:ss", 0},
    {0x080A, "es-MX", u"ESM", u"MEX", 1252, 850, 52, u"dd/MM/yyyy", u"dddd, d' de 'MMMM' de 'yyyy", u"hh:mm:ss tt", 0},
    {0x0416, "pt-BR", u"PTB", u"BRA", 1252, 850, 55, u"dd/MM/yyyy", u"dddd, d' de 'MMMM' de 'yyyy", u"HH:mm:ss", 0},
    {0x0816, "pt-PT", u"PTG", u"PRT", 1252, 850, 351, u"dd/MM/yyyy", u"dddd, d' de 'MMMM' de 'yyyy", u"HH:mm:ss", 0},
    {0x0413, "nl-NL", u"NLD", u"NLD", 1252, 850, 31, u"d-M-yyyy", u"dddd d MMMM yyyy", u"HH:mm:ss", 0},
    {0x0813, "nl-BE", u"NLB", u"BEL", 1252, 850, 32, u"d/MM/yyyy", u"dddd d MMMM yyyy", u"H:mm:ss", 0},
    {0x041D, "sv-SE", u"SVE", u"SWE", 1252, 850, 46, u"yyyy-MM-dd", u"'den 'd MMMM yyyy", u"HH:mm:ss", 0},
    {0x0406, "da-DK", u"DAN", u"DNK", 1252, 850, 45, u"dd-MM-yyyy", u"d. MMMM yyyy", u"HH:mm:ss", 0},
    {0x0414, "nb-NO", u"NOR", u"NOR", 1252, 850, 47, u"dd.MM.yyyy", u"d. MMMM yyyy", u"HH:mm:ss", 0},
    {0x040B, "fi-FI", u"FIN", u"FIN", 1252, 850, 358, u"d.M.yyyy", u"d. MMMM'ta 'yyyy", u"H:mm:ss", 0},
    {0x0403, "ca-ES", u"CAT", u"ESP", 1252, 850, 34, u"dd/MM/yyyy", u"dddd, d' / 'MMMM' / 'yyyy", u"H:mm:ss", 0},
    {0x0421, "id-ID", u"IND", u"IDN", 1252, 850, 62, u"dd/MM/yyyy", u"dd MMMM yyyy", u"H:mm:ss", 0},
    {0x0415, "pl-PL", u"PLK", u"POL", 1250, 852, 48, u"yyyy-MM-dd", u"d MMMM yyyy", u"HH:mm:ss", 0},
    {0x0405, "cs-CZ", u"CSY", u"CZE", 1250, 852, 420, u"d.M.yyyy", u"d. MMMM yyyy", u"H:mm:ss", 0},
    {0x041B, "sk-SK", u"SKY", u"SVK", 1250, 852, 421, u"d. M. yyyy", u"d. MMMM yyyy", u"H:mm:ss", 0},
    {0x040E, "hu-HU", u"HUN", u"HUN", 1250, 852, 36, u"yyyy.MM.dd.", u"yyyy. MMMM d.", u"H:mm:ss", 0},
    {0x0418, "ro-RO", u"ROM", u"ROM", 1250, 852, 40, u"dd.MM.yyyy", u"d MMMM yyyy", u"HH:mm:ss", 0},
    {0x041A, "hr-HR", u"HRV", u"HRV", 1250, 852, 385, u"d.M.yyyy.", u"d. MMMM yyyy.", u"H:mm:ss", 0},
    {0x0424, "sl-SI", u"SLV", u"SVN", 1250, 852, 386, u"d.M.yyyy", u"d. MMMM yyyy", u"H:mm:ss", 0},
    {0x0419, "ru-RU", u"RUS", u"RUS", 1251, 866, 7, u"dd.MM.yyyy", u"d MMMM yyyy '\x0433.'", u"H:mm:ss", 0},
    {0x0422, "uk-UA", u"UKR", u"UKR", 1251, 866, 380, u"dd.MM.yyyy", u"d MMMM yyyy' \x0440.'", u"H:mm:ss", 0},
    {0x0402, "bg-BG", u"BGR", u"BGR", 1251, 866, 359, u"d.M.yyyy '\x0433.'", u"dd MMMM yyyy '\x0433.'", u"H:mm:ss", 0},
    {0x0408, "el-GR", u"ELL", u"GRC", 1253, 737, 30, u"d/M/yyyy", u"dddd, d MMMM yyyy", u"h:mm:ss tt", 0},
    {0x041F, "tr-TR", u"TRK", u"TUR", 1254, 857, 90, u"dd.MM.yyyy", u"dd MMMM yyyy dddd", u"HH:mm:ss", 0},
    {0x040D, "he-IL", u"HEB", u"ISR", 1255, 862, 972, u"dd/MM/yyyy", u"dddd dd MMMM yyyy", u"HH:mm:ss", 0},
    {0x0401, "ar-SA", u"ARA", u"SAU", 1256, 720, 966, u"dd/MM/yy", u"dd/MMMM/yyyy", u"hh:mm:ss tt", 0},
    {0x0425, "et-EE", u"ETI", u"EST", 1257, 775, 372, u"d.MM.yyyy", u"d. MMMM yyyy", u"H:mm:ss", 0},
    {0x0426, "lv-LV", u"LVI", u"LVA", 1257, 775, 371, u"dd.MM.yyyy", u"dddd, yyyy'. gada 'd. MMMM", u"HH:mm:ss", 0},
    {0x0427, "lt-LT", u"LTH", u"LTU", 1257, 775, 370, u"yyyy-MM-dd", u"yyyy 'm.' MMMM d 'd.'", u"HH:mm:ss", 0},
    {0x042A, "vi-VN", u"VIT", u"VNM", 1258, 1258, 84, u"dd/MM/yyyy", u"dd MMMM yyyy", u"h:mm:ss tt", 0},
    {0x041E, "th-TH", u"THA", u"THA", 874, 874, 66, u"d/M/yyyy", u"d MMMM yyyy", u"H:mm:ss", 0},
    {0x0411, "ja-JP", u"JPN", u"JPN", 932, 932, 81, u"yyyy/MM/dd", u"yyyy'\x5E74'M'\x6708'd'\x65E5'", u"H:mm:ss", 0},
    {0x0412, "ko-KR", u"KOR", u"KOR", 949, 949, 82, u"yyyy-MM-dd", u"yyyy'\xB144' M'\xC6D4' d'\xC77C' dddd",
     u"tt h:mm:ss", 0},
    {0x0804, "zh-CN", u"CHS", u"CHN", 936, 936, 86, u"yyyy/M/d", u"yyyy'\x5E74'M'\x6708'd'\x65E5'", u"H:mm:ss", 0},
    {0x0404, "zh-TW", u"CHT", u"TWN", 950, 950, 886, u"yyyy/M/d", u"yyyy'\x5E74'M'\x6708'd'\x65E5'", u"tt hh:mm:ss", 0},
    {0x0C04, "zh-HK", u"ZHH", u"HKG", 950, 950, 852, u"d/M/yyyy", u"dddd, d MMMM, yyyy", u"H:mm:ss", 0},
};

bool SameLetters(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i] == u'_' ? u'-' : FoldLower16(a[i]);
    char y = b[i] == '_' ? '-' : static_cast<char>(b[i] >= 'A' && b[i] <= 'Z' ? b[i] + 32 : b[i]);
    if (x != static_cast<unsigned char>(y)) return false;
  }
  return true;
}

LCID LcidFromEnvironment() {
  if (const char* v = getenv("KX2_LCID"); v && *v) {
    char* end = nullptr;
    unsigned long n = strtoul(v, &end, 0);
    LCID lcid = static_cast<LCID>(n);
    if (end && *end == 0 && lcid != 0 && lcid != 0x0400 && lcid != 0x0800 && FindLocale(lcid)) return lcid;
  }
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = getenv(var);
    if (!v || !*v) continue;
    std::string s = v;
    s = s.substr(0, s.find_first_of(".@"));
    if (s == "C" || s == "POSIX") break;
    if (const LocaleEntry* e = FindLocaleByName(Utf8ToUtf16(s))) return e->lcid;
    break;
  }
  return 0x0409;
}

}  // namespace

const LocaleEntry* LocaleAt(size_t index) {
  return index < sizeof kLocales / sizeof kLocales[0] ? &kLocales[index] : nullptr;
}

LCID UserLcid() { return LcidFromEnvironment(); }

const LocaleEntry* FindLocale(LCID lcid) {
  lcid &= 0xFFFF;  // the sort id does not choose another table entry
  if (lcid == 0x0400 || lcid == 0x0800 || lcid == 0) lcid = UserLcid();
  if (lcid == 0x007F) lcid = 0x0409;  // invariant: English formats
  for (const LocaleEntry& e : kLocales)
    if (e.lcid == lcid) return &e;
  // A neutral or default sub-language: the language's first entry.
  WORD sub = static_cast<WORD>(lcid >> 10);
  if (sub == 0 || sub == 1 || sub == 2) {
    for (const LocaleEntry& e : kLocales)
      if ((e.lcid & 0x3FF) == (lcid & 0x3FF)) return &e;
  }
  return nullptr;
}

const LocaleEntry* FindLocaleByName(std::u16string_view name) {
  for (const LocaleEntry& e : kLocales)
    if (SameLetters(name, e.name)) return &e;
  if (name.size() == 2)
    for (const LocaleEntry& e : kLocales)
      if (SameLetters(name, std::string_view(e.name, 2))) return &e;
  return nullptr;
}

const LocaleEntry* FindLocaleByEnglishName(std::u16string_view language, std::u16string_view country) {
  for (const LocaleEntry& e : kLocales) {
    if (!EqualsI16(EnglishLanguageName(e), language)) continue;
    if (country.empty() || EqualsI16(EnglishCountryName(e), country)) return &e;
  }
  return nullptr;
}

std::string IcuLocaleId(const LocaleEntry& e) {
  std::string id = e.name;
  id[2] = '_';
  return id;
}

std::u16string EnglishLanguageName(const LocaleEntry& e) {
  icu::UnicodeString s;
  icu::Locale(IcuLocaleId(e).c_str()).getDisplayLanguage(icu::Locale::getEnglish(), s);
  return std::u16string(s.getBuffer(), static_cast<size_t>(s.length()));
}

std::u16string EnglishCountryName(const LocaleEntry& e) {
  icu::UnicodeString s;
  icu::Locale(IcuLocaleId(e).c_str()).getDisplayCountry(icu::Locale::getEnglish(), s);
  return std::u16string(s.getBuffer(), static_cast<size_t>(s.length()));
}

}  // namespace kx2

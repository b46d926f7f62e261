#include <toolkit/ResourceManager.h>

namespace {

const LanguageInfo kLanguages[] = {
    {1049, 1251, u"windows-1251", u"Russian", u"LANG_RUSSIAN", u"SUBLANG_DEFAULT", 204},
    {1041, 932, u"shift-jis", u"Japanese", u"LANG_JAPANESE", u"SUBLANG_DEFAULT", 128},
    {1025, 1256, u"windows-1256", u"Arabic (Saudi Arabia)", u"LANG_ARABIC", u"SUBLANG_ARABIC_SAUDI_ARABIA", 178},
    {1029, 1250, u"windows-1250", u"Czech", u"LANG_CZECH", u"SUBLANG_DEFAULT", 238},
    {1030, 1252, u"windows-1252", u"Danish", u"LANG_DANISH", u"SUBLANG_DEFAULT", 0},
    {1031, 1252, u"windows-1252", u"German (Germany)", u"LANG_GERMAN", u"SUBLANG_GERMAN", 0},
    {1032, 1253, u"windows-1253", u"Greek", u"LANG_GREEK", u"SUBLANG_DEFAULT", 161},
    {1033, 0, u"windows-1252", u"English (United States)", u"LANG_ENGLISH", u"SUBLANG_ENGLISH_US", 0},
    {3082, 1252, u"windows-1252", u"Spanish (Spain - Modern Sort)", u"LANG_SPANISH", u"SUBLANG_SPANISH_MODERN", 0},
    {1061, 1257, u"windows-1257", u"Estonian", u"LANG_ESTONIAN", u"SUBLANG_DEFAULT", 186},
    {1035, 1252, u"windows-1252", u"Finnish", u"LANG_FINNISH", u"SUBLANG_DEFAULT", 0},
    {1036, 1252, u"windows-1252", u"French (France)", u"LANG_FRENCH", u"SUBLANG_FRENCH", 0},
    {1037, 1255, u"windows-1255", u"Hebrew", u"LANG_HEBREW", u"SUBLANG_DEFAULT", 177},
    {1050, 1250, u"windows-1250", u"Croatian", u"LANG_CROATIAN", u"SUBLANG_DEFAULT", 238},
    {1038, 1250, u"windows-1250", u"Hungarian", u"LANG_HUNGARIAN", u"SUBLANG_DEFAULT", 238},
    {1040, 1252, u"windows-1252", u"Italian (Italy)", u"LANG_ITALIAN", u"SUBLANG_ITALIAN", 0},
    {1042, 949, u"ks_c_5601", u"Korean", u"LANG_KOREAN", u"SUBLANG_KOREAN", 129},
    {1063, 1257, u"windows-1257", u"Lithuanian", u"LANG_LITHUANIAN", u"SUBLANG_LITHUANIAN", 186},
    {1062, 1257, u"windows-1257", u"Latvian", u"LANG_LATVIAN", u"SUBLANG_DEFAULT", 186},
    {1043, 1252, u"windows-1252", u"Dutch", u"LANG_DUTCH", u"SUBLANG_DUTCH", 0},
    {1044, 1252, u"windows-1252", u"Norwegian (Bokmal)", u"LANG_NORWEGIAN", u"SUBLANG_NORWEGIAN_BOKMAL", 0},
    {1045, 1250, u"windows-1250", u"Polish", u"LANG_POLISH", u"SUBLANG_DEFAULT", 238},
    {2070, 1252, u"windows-1252", u"Portuguese (Portugal)", u"LANG_PORTUGUESE", u"SUBLANG_PORTUGUESE", 0},
    {1046, 1252, u"windows-1252", u"Portuguese (Brazil)", u"LANG_PORTUGUESE", u"SUBLANG_PORTUGUESE_BRAZILIAN", 0},
    {1048, 1250, u"windows-1250", u"Romanian", u"LANG_ROMANIAN", u"SUBLANG_DEFAULT", 238},
    {2074, 1250, u"windows-1250", u"Serbian", u"LANG_SERBIAN", u"SUBLANG_SERBIAN_LATIN", 238},
    {1051, 1250, u"windows-1250", u"Slovak", u"LANG_SLOVAK", u"SUBLANG_DEFAULT", 238},
    {1060, 1250, u"windows-1250", u"Slovenian", u"LANG_SLOVENIAN", u"SUBLANG_DEFAULT", 238},
    {1053, 1252, u"windows-1252", u"Swedish", u"LANG_SWEDISH", u"SUBLANG_SWEDISH", 0},
    {1054, 874, u"windows-874", u"Thai", u"LANG_THAI", u"SUBLANG_DEFAULT", 222},
    {1055, 1254, u"windows-1254", u"Turkish", u"LANG_TURKISH", u"SUBLANG_DEFAULT", 162},
    {1058, 1251, u"windows-1251", u"Ukrainian ", u"LANG_UKRAINIAN", u"SUBLANG_DEFAULT", 204},
    {1026, 1251, u"windows-1251", u"Bulgarian", u"LANG_BULGARIAN", u"SUBLANG_DEFAULT", 204},
    {2052, 936, u"gb2312", u"Chinese (PRC)", u"LANG_CHINESE", u"SUBLANG_CHINESE_SIMPLIFIED", 134},
    {1028, 950, u"big5", u"Chinese (Taiwan)", u"LANG_CHINESE", u"SUBLANG_CHINESE_TRADITIONAL", 136},
};
static_assert(sizeof kLanguages / sizeof kLanguages[0] == 35, "35 languages");

}  // namespace

const LanguageInfo* FindLanguageInfo(WORD languageId) {
  for (const LanguageInfo& l : kLanguages)
    if (l.languageId == languageId) return &l;
  return nullptr;
}

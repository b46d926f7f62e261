// Code pages, locale information, date and time pictures, comparison and MulDiv.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "win/nls.h"

namespace {

std::u16string ToWide(UINT cp, const std::string& bytes, DWORD flags = 0) {
  int n = MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(n), u'\0');
  if (n) MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string ToBytes(UINT cp, const std::u16string& text, BOOL* usedDefault = nullptr, const char* def = nullptr) {
  int n = WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, def, usedDefault);
  std::string out(static_cast<size_t>(n), '\0');
  if (n) WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), n, def, usedDefault);
  return out;
}

TEST(NlsCodePages, Cp1252AndCp932RoundTrip) {
  std::string all1252;
  for (int b = 1; b < 256; ++b) all1252.push_back(static_cast<char>(b));
  std::u16string wide = ToWide(1252, all1252);
  ASSERT_EQ(wide.size(), 255u);
  EXPECT_EQ(wide[0x80 - 1], u'\x20AC');  // euro sign
  EXPECT_EQ(wide[0x81 - 1], u'\x0081');  // an unassigned byte keeps its value, as on Windows
  EXPECT_EQ(ToBytes(1252, wide), all1252);

  std::u16string japanese = u"\x65E5\x672C\x8A9E\x30C6\x30AD\x30B9\x30C8 abc \xFF71";  // kanji, katakana, half-width
  std::string sjis = ToBytes(932, japanese);
  EXPECT_EQ(sjis.substr(0, 2), "\x93\xfa");
  EXPECT_EQ(sjis.back(), '\xb1');
  EXPECT_EQ(ToWide(932, sjis), japanese);
  for (UINT cp : {1251u, 437u, 936u, 950u, 949u}) EXPECT_EQ(ToWide(cp, ToBytes(cp, u"abc")), u"abc") << cp;
  EXPECT_EQ(ToWide(1251, "\xcf\xf0\xe8"), u"\x041F\x0440\x0438");
  EXPECT_EQ(ToWide(437, "\x82"), u"\x00E9");
}

TEST(NlsCodePages, DefaultsLengthsAndErrors) {
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(GetOEMCP(), 437u);
  setenv("KX2_ACP", "932", 1);
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_EQ(ToWide(CP_ACP, "\x82\xa0"), u"\x3042");
  unsetenv("KX2_ACP");

  BOOL used = FALSE;
  EXPECT_EQ(ToBytes(1252, u"a\x4E00z", &used), "a?z");
  EXPECT_TRUE(used);
  EXPECT_EQ(ToBytes(1252, u"a\x4E00", &used, "#"), "a#");
  EXPECT_EQ(ToBytes(1252, u"\x00E9", &used), "\xe9");
  EXPECT_FALSE(used);

  // -1 includes the terminator; a short buffer fails; invalid UTF-8 becomes U+FFFD or fails.
  WCHAR buf[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "h\xc3\xa9", -1, buf, 8), 3);
  EXPECT_EQ(std::u16string(buf), u"h\x00E9");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "hello", 5, buf, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(ToWide(CP_UTF8,
                   "a\xff"
                   "b"),
            u"a\xFFFD"
            u"b");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xed\xa0\x80", 4, buf, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "x", 0, buf, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(ToBytes(CP_UTF8, u"\xD83D\xDE00"), "\xf0\x9f\x98\x80");
  EXPECT_EQ(ToBytes(CP_UTF8, u"\xD800x"), "\xef\xbf\xbdx");  // a lone surrogate
  char out[4];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"\xDC00", 1, out, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_FALSE(IsValidCodePage(12345));
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, buf, 8), 0);
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x82));
  CPINFO info;
  ASSERT_TRUE(GetCPInfo(932, &info));
  EXPECT_EQ(info.MaxCharSize, 2u);
  EXPECT_EQ(info.LeadByte[0], 0x81);
}

TEST(NlsMulDiv, RoundsHalfAwayFromZeroAndFailsWithMinusOne) {
  struct Case {
    int a, b, c, expected;
  } cases[] = {
      {5, 3, 0, -1},
      {1, 1, 2, 1},
      {-1, 1, 2, -1},
      {3, 1, 2, 2},
      {-3, 1, 2, -2},
      {10, 10, -3, -33},
      {7200, 96, 72, 9600},
      {0x7FFFFFFF, 2, 1, -1},
      {0x40000000, 4, 2, -1},
      {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
      {-2147483647 - 1, 1, -1, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(NlsLocale, LocaleInformation) {
  unsetenv("KX2_LCID");
  setenv("LANG", "C.UTF-8", 1);
  EXPECT_EQ(GetUserDefaultLCID(), 0x0409u);
  WCHAR buf[64];
  struct Case {
    LCID lcid;
    DWORD type;
    const char16_t* value;
  } cases[] = {
      {0x0409, LOCALE_SABBREVLANGNAME, u"ENU"},      {0x0407, LOCALE_SABBREVLANGNAME, u"DEU"},
      {0x0411, LOCALE_SABBREVLANGNAME, u"JPN"},      {0x0409, LOCALE_IDEFAULTANSICODEPAGE, u"1252"},
      {0x0411, LOCALE_IDEFAULTANSICODEPAGE, u"932"}, {0x0419, LOCALE_IDEFAULTANSICODEPAGE, u"1251"},
      {0x0407, LOCALE_SENGLANGUAGE, u"German"},      {0x0407, LOCALE_SISO639LANGNAME, u"de"},
      {0x0407, LOCALE_SISO3166CTRYNAME, u"DE"},      {0x0407, LOCALE_SDECIMAL, u","},
      {0x0409, LOCALE_SDAYNAME1, u"Monday"},         {0x0409, LOCALE_SABBREVMONTHNAME1 + 11, u"Dec"},
      {LOCALE_USER_DEFAULT, LOCALE_SNAME, u"en-US"}, {0x0C07, LOCALE_IDEFAULTCODEPAGE, u"850"},
  };
  for (const Case& c : cases) {
    ASSERT_GT(GetLocaleInfoW(c.lcid, c.type, buf, 64), 0) << std::hex << c.lcid << " " << c.type;
    EXPECT_EQ(std::u16string(buf), c.value) << std::hex << c.lcid << " " << c.type;
  }
  EXPECT_EQ(GetLocaleInfoW(0x0409, LOCALE_SABBREVLANGNAME, nullptr, 0), 4);
  EXPECT_EQ(GetLocaleInfoW(0x0409, LOCALE_SABBREVLANGNAME, buf, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetLocaleInfoW(0x1234, LOCALE_SABBREVLANGNAME, buf, 64), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetLocaleInfoW(0x0409, 0x7777, buf, 64), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));

  setenv("KX2_LCID", "0x0407", 1);
  EXPECT_EQ(GetUserDefaultUILanguage(), 0x0407);
  unsetenv("KX2_LCID");
  setenv("LANG", "ja_JP.UTF-8", 1);
  EXPECT_EQ(GetUserDefaultLCID(), 0x0411u);
  unsetenv("LANG");
}

TEST(NlsLocale, DateAndTimePictures) {
  SYSTEMTIME st = {2010, 3, 0, 4, 15, 6, 7, 0};
  WCHAR buf[80];
  struct Case {
    LCID lcid;
    DWORD flags;
    const char16_t* picture;
    const char16_t* expected;
  } dates[] = {
      {0x0409, DATE_SHORTDATE, nullptr, u"3/4/2010"},
      {0x0409, DATE_LONGDATE, nullptr, u"Thursday, March 4, 2010"},
      {0x0407, DATE_SHORTDATE, nullptr, u"04.03.2010"},
      {0x0407, DATE_LONGDATE, nullptr, u"Donnerstag, 4. M\x00E4rz 2010"},
      {0x0409, 0, u"yy-MMM-dd ddd 'o''clock' ''", u"10-Mar-04 Thu o'clock '"},
  };
  for (const Case& c : dates) {
    ASSERT_GT(GetDateFormatW(c.lcid, c.flags, &st, c.picture, buf, 80), 0);
    EXPECT_EQ(std::u16string(buf), c.expected);
  }
  Case times[] = {
      {0x0409, 0, nullptr, u"3:06:07 PM"},
      {0x0409, TIME_NOSECONDS, nullptr, u"3:06 PM"},
      {0x0409, TIME_FORCE24HOURFORMAT, nullptr, u"15:06:07"},
      {0x0407, 0, nullptr, u"15:06:07"},
      {0x0409, 0, u"hh'h'mm tt", u"03h06 PM"},
  };
  for (const Case& c : times) {
    ASSERT_GT(GetTimeFormatW(c.lcid, c.flags, &st, c.picture, buf, 80), 0);
    EXPECT_EQ(std::u16string(buf), c.expected);
  }
  EXPECT_EQ(GetDateFormatW(0x0409, DATE_SHORTDATE, &st, nullptr, nullptr, 0), 9);
  EXPECT_EQ(GetDateFormatW(0x0409, DATE_SHORTDATE, &st, nullptr, buf, 5), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  SYSTEMTIME bad = {2010, 2, 0, 30};
  EXPECT_EQ(GetDateFormatW(0x0409, 0, &bad, nullptr, buf, 80), 0);
}

TEST(NlsCompare, LinguisticAndOrdinalComparison) {
  EXPECT_EQ(CompareStringW(0x0409, NORM_IGNORECASE, u"abc", -1, u"ABC", -1), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(0x0409, 0, u"abc", -1, u"abd", 3), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringW(0x0409, 0, u"\x00E9t\x00E9", -1, u"ete", -1), CSTR_GREATER_THAN);
  EXPECT_EQ(CompareStringW(0x0409, NORM_IGNORENONSPACE | NORM_IGNORECASE, u"\x00C9t\x00E9", -1, u"ete", -1),
            CSTR_EQUAL);
  EXPECT_LT(lstrcmpiW(u"apple", u"Banana"), 0);
  EXPECT_EQ(CompareStringOrdinal(u"a", -1, u"B", -1, FALSE), CSTR_GREATER_THAN);
  EXPECT_EQ(lstrlenW(nullptr), 0);
  WCHAR buf[8];
  lstrcpynW(buf, u"abcdef", 4);
  EXPECT_EQ(std::u16string(buf), u"abc");
  EXPECT_EQ(std::u16string(CharUpperW(buf)), u"ABC");
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(u'\x00C9')))),
            static_cast<ULONG_PTR>(u'\x00E9'));
}

}  // namespace

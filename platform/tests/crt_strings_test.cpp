// The wide C runtime's strings, character classes, numbers and formatting.
#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>

#include "win/crt.h"

namespace {

TEST(CrtStrings, MicrosoftSemanticsOnChar16) {
  char16_t buf[16];
  wcsncpy(buf, u"abc", 6);
  EXPECT_EQ(buf[5], 0);  // padded with zeros
  wmemset(buf, u'x', 16);
  wcsncpy(buf, u"abcdef", 3);
  EXPECT_EQ(buf[3], u'x');  // no terminator when the source is as long as count
  EXPECT_EQ(_wcsicmp(u"\x00C9t\x00E9", u"\x00E9T\x00C9"), 0);
  EXPECT_LT(_wcsicmp(u"a", u"B"), 0);
  EXPECT_EQ(_wcsnicmp(u"ABCx", u"abcy", 3), 0);
  EXPECT_EQ(wcsrchr(u"a\\b\\c", u'\\') - u"a\\b\\c", 3);
  EXPECT_EQ(wcscspn(u"abc;def", u";,"), 3u);
  EXPECT_EQ(wcsspn(u"  x", u" "), 2u);

  char16_t text[] = u"a;b;;c";
  std::u16string tokens;
  for (char16_t* t = wcstok(text, u";"); t; t = wcstok(nullptr, u";")) tokens += std::u16string(t) + u"|";
  EXPECT_EQ(tokens, u"a|b|c|");

  char16_t up[] =
      u"Stra\x00DF"
      u"e \x00E9";
  EXPECT_EQ(std::u16string(_wcsupr(up)),
            u"STRA\x00DF"
            u"E \x00C9");  // one unit to one unit
  EXPECT_EQ(std::u16string(_wcsrev(up)),
            u"\x00C9 E\x00DF"
            u"ARTS");
  char16_t* dup = _wcsdup(u"copy");
  EXPECT_EQ(std::u16string(dup), u"copy");
  free(dup);

  char16_t small[4];
  EXPECT_EQ(wcscpy_s(small, 4, u"abcd"), ERANGE);
  EXPECT_EQ(small[0], 0);
  EXPECT_EQ(wcsncpy_s(small, 4, u"abcd", _TRUNCATE), STRUNCATE);
  EXPECT_EQ(std::u16string(small), u"abc");
  EXPECT_EQ(wcscat_s(small, 4, u"d"), ERANGE);
}

TEST(CrtCharClass, OneTableForEveryUnit) {
  struct Case {
    char16_t c;
    bool space, digit, alpha, upper, punct, xdigit;
  } cases[] = {
      {u' ', 1, 0, 0, 0, 0, 0},
      {u'\t', 1, 0, 0, 0, 0, 0},
      {u'\x3000', 1, 0, 0, 0, 0, 0},
      {u'7', 0, 1, 0, 0, 0, 1},
      {u'f', 0, 0, 1, 0, 0, 1},
      {u'G', 0, 0, 1, 1, 0, 0},
      {u'\x00C9', 0, 0, 1, 1, 0, 0},
      {u'\x4E00', 0, 0, 1, 0, 0, 0},
      {u'!', 0, 0, 0, 0, 1, 0},
      {u'\xD800', 0, 0, 0, 0, 0, 0},
      // Either side of a boundary of the table's blocks (256 units each).
      {u'\x00FF', 0, 0, 1, 0, 0, 0},
      {u'\x0100', 0, 0, 1, 1, 0, 0},
      {u'\xFFFD', 0, 0, 0, 0, 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(iswspace(c.c) != 0, c.space) << std::hex << int(c.c);
    EXPECT_EQ(iswdigit(c.c) != 0, c.digit) << std::hex << int(c.c);
    EXPECT_EQ(iswalpha(c.c) != 0, c.alpha) << std::hex << int(c.c);
    EXPECT_EQ(iswupper(c.c) != 0, c.upper) << std::hex << int(c.c);
    EXPECT_EQ(iswpunct(c.c) != 0, c.punct) << std::hex << int(c.c);
    EXPECT_EQ(iswxdigit(c.c) != 0, c.xdigit) << std::hex << int(c.c);
  }
  EXPECT_EQ(towlower(u'\x0410'), u'\x0430');
  EXPECT_EQ(towupper(u'\x00FF'), u'\x0178');
  EXPECT_EQ(towlower(u'\x0100'), u'\x0101');
  EXPECT_EQ(towupper(u'\xFF41'), u'\xFF21');
  EXPECT_EQ(towlower(0x41), 0x61);  // the int overload
  EXPECT_EQ(iswspace(-1), 0);
}

TEST(CrtNumbers, ParsingClampsAndNeverUsesTheProcessLocale) {
  EXPECT_EQ(_wtoi(u"  -42abc"), -42);
  EXPECT_EQ(_wtoi(u"+"), 0);
  errno = 0;
  EXPECT_EQ(_wtoi(u"99999999999"), 2147483647);
  EXPECT_EQ(errno, ERANGE);
  EXPECT_EQ(_wtoi64(u"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(wcstol(u"0x1F", nullptr, 0), 31);
  EXPECT_EQ(wcstol(u"017", nullptr, 0), 15);
  EXPECT_EQ(wcstoul(u"-1", nullptr, 10), 0xFFFFFFFFu);
  char16_t* end = nullptr;
  const char16_t* text = u"12z";
  EXPECT_EQ(wcstoul(text, &end, 10), 12u);
  EXPECT_EQ(end, text + 2);
  EXPECT_EQ(wcstol(u"zz", &end, 10), 0);
  EXPECT_EQ(*end, u'z');

  // Even with a process locale whose decimal point is a comma, "." is the decimal point.
  const char* saved = setlocale(LC_NUMERIC, nullptr);
  std::string restore = saved ? saved : "C";
  setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_DOUBLE_EQ(_wtof(u" 1.5e2x"), 150.0);
  EXPECT_DOUBLE_EQ(wcstod(u"-.5", &end), -0.5);
  char16_t out[80];
  _snwprintf(out, 80, u"%.2f", 2.5);
  EXPECT_EQ(std::u16string(out), u"2.50");
  setlocale(LC_NUMERIC, restore.c_str());

  EXPECT_EQ(std::u16string(_itow(-255, out, 10)), u"-255");
  EXPECT_EQ(std::u16string(_itow(-1, out, 16)), u"ffffffff");
  EXPECT_EQ(std::u16string(_ui64tow(18446744073709551615ull, out, 10)), u"18446744073709551615");
  EXPECT_EQ(std::u16string(_i64tow(-5, out, 2)), u"1111111111111111111111111111111111111111111111111111111111111011");
  EXPECT_EQ(_ui64tow_s(12345, out, 5, 10), ERANGE);
  EXPECT_EQ(_ui64tow_s(12345, out, 6, 10), 0);
}

TEST(CrtFormat, MicrosoftConversionsAndTruncation) {
  char16_t buf[64];
  EXPECT_EQ(_snwprintf(buf, 64, u"%s|%S|%c|%C|%hs", u"wide", "narrow", u'W', 'n', "h"), 17);
  EXPECT_EQ(std::u16string(buf), u"wide|narrow|W|n|h");
  _snwprintf(buf, 64, u"%5d|%-5d|%05d|%+d|%x|%#X|%o|%#o", 42, 42, -42, 7, 255, 255, 8, 8);
  EXPECT_EQ(std::u16string(buf), u"   42|42   |-0042|+7|ff|0XFF|10|010");
  _snwprintf(buf, 64, u"%ld|%I64d|%lld|%Iu|%hd", -1L, -5000000000LL, 1LL << 40, static_cast<size_t>(7), 70000);
  EXPECT_EQ(std::u16string(buf), u"-1|-5000000000|1099511627776|7|4464");
  _snwprintf(buf, 64, u"%s|%.2s|%*d|%-*d|%.3d", static_cast<const char16_t*>(nullptr), u"abc", 4, 1, -3, 2, 5);
  EXPECT_EQ(std::u16string(buf), u"(null)|ab|   1|2  |005");
  _snwprintf(buf, 64, u"%p", reinterpret_cast<void*>(0xABC));
  EXPECT_EQ(std::u16string(buf), u"0000000000000ABC");
  _snwprintf(buf, 64, u"%e|%g|%.1f|%%", 0.0625, 0.5, 0.25);
  EXPECT_EQ(std::u16string(buf), u"6.250000e-02|0.5|0.2|%");

  // Truncation: -1 and no terminator when longer; exactly count: no terminator.
  wmemset(buf, u'#', 8);
  EXPECT_EQ(_snwprintf(buf, 3, u"%s", u"abcdef"), -1);
  EXPECT_EQ(std::u16string(buf, 4), u"abc#");
  EXPECT_EQ(_snwprintf(buf, 3, u"abc"), 3);
  EXPECT_EQ(buf[3], u'#');
  EXPECT_EQ(_snwprintf(buf, 4, u"abc"), 3);
  EXPECT_EQ(buf[3], 0);
  EXPECT_EQ(swprintf(buf, 4, u"%d", 12345), -1);
  EXPECT_EQ(std::u16string(buf), u"123");
  EXPECT_EQ(_snwprintf_s(buf, 4, _TRUNCATE, u"abcdef"), -1);
  EXPECT_EQ(std::u16string(buf), u"abc");
  EXPECT_EQ(swprintf_s(buf, 4, u"abcd"), -1);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(_scwprintf(u"%d-%s", 100, u"xy"), 6);
  EXPECT_EQ(swprintf(buf, u"%d%%", 50), 3);  // the legacy form without a size
}

}  // namespace

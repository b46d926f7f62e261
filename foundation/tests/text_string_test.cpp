// Wide-string utilities: bounded copies, trimming, ASCII-folded comparison, hex escapes.
#include <basalt/string_util.h>

#include <gtest/gtest.h>

#include <string>

using Basalt::Util::StringUtil;

namespace {

// A buffer pre-filled with 'x' so that units written and units left alone are both visible.
struct Buf {
  char16_t u[16];
  Buf() { std::fill(std::begin(u), std::end(u), u'x'); }
  std::u16string upTo(size_t n) const { return std::u16string(u, n); }
};

TEST(TextString, BoundedCopiesReportWhetherTheWholeTextFitted) {
  struct Case {
    const char16_t* src;
    LONG size;
    int result;
    std::u16string buffer;  // the first size units (or 3 when size is 0) afterwards
  };
  const Case cases[] = {
      {u"abc", 4, 1, std::u16string(u"abc\0", 4)},
      {u"abcd", 4, 0, std::u16string(u"abc\0", 4)},
      {u"abc", 1, 0, std::u16string(u"\0", 1)},
      {u"", 1, 1, std::u16string(u"\0", 1)},
      {u"abc", 0, 0, u"xxx"},
      {nullptr, 3, 1, std::u16string(u"\0x", 2)},
  };
  for (const Case& c : cases) {
    const size_t shown = c.buffer.size();
    Buf a, b;
    EXPECT_EQ(StringUtil::Ustrlcpy(a.u, c.src, c.size), c.result) << c.size;
    EXPECT_EQ(a.upTo(shown), c.buffer);
    EXPECT_EQ(StringUtil::Wcscpyz(b.u, c.size, c.src), c.result);
    EXPECT_EQ(b.upTo(shown), c.buffer);
  }
}

TEST(TextString, UstrlcatAppendsOnlyIntoTheRestOfTheBuffer) {
  char16_t d[8] = u"ab";
  EXPECT_EQ(StringUtil::Ustrlcat(d, u"cd", 8), 1);
  EXPECT_EQ(std::u16string(d), u"abcd");
  EXPECT_EQ(StringUtil::Ustrlcat(d, u"efgh", 8), 0);  // cut to the 7 units that fit
  EXPECT_EQ(std::u16string(d), u"abcdefg");
  EXPECT_EQ(StringUtil::Ustrlcat(d, u"z", 8), 0);  // full: nothing appended
  EXPECT_EQ(std::u16string(d), u"abcdefg");
  char16_t unterminated[4] = {u'a', u'b', u'c', u'd'};
  EXPECT_EQ(StringUtil::Ustrlcat(unterminated, u"e", 4), 0);  // never scans past size
}

TEST(TextString, WcsncpyzCopiesACountWithoutTerminatorOrCutsToSize) {
  Buf a;
  EXPECT_EQ(StringUtil::Wcsncpyz(a.u, 10, u"abcdef", 3), 1);
  EXPECT_EQ(a.upTo(5), u"abcxx");  // the fourth unit is left as it was
  Buf b;
  EXPECT_EQ(StringUtil::Wcsncpyz(b.u, 4, u"abcdef", 9), 1);
  EXPECT_EQ(b.upTo(5), std::u16string(u"abc\0x", 5));
  Buf c;  // a shorter source pads the field instead of reading past its end
  EXPECT_EQ(StringUtil::Wcsncpyz(c.u, 10, u"a", 3), 1);
  EXPECT_EQ(c.upTo(4), std::u16string(u"a\0\0x", 4));
}

TEST(TextString, UstrcutAndTrimming) {
  char16_t t[8] = u"abcdef";
  EXPECT_EQ(StringUtil::Ustrcut(t, 7), 1);
  EXPECT_EQ(StringUtil::Ustrcut(t, 4), 0);
  EXPECT_EQ(std::u16string(t), u"abc");

  struct Case {
    const char16_t* in;
    int left;
    const char16_t* afterLeft;
    int right;
    const char16_t* afterBoth;
  };
  const Case cases[] = {
      {u"  \tab c \n", 1, u"ab c \n", 1, u"ab c"},
      {u"abc", 0, u"abc", 0, u"abc"},
      {u"\u3000\u00a0x\u2003", 1, u"x\u2003", 1, u"x"},
      {u" \r\n", 1, u"", 0, u""},
      {u"", 0, u"", 0, u""},
  };
  for (const Case& c : cases) {
    std::u16string s(c.in);
    s.push_back(0);
    EXPECT_EQ(StringUtil::Ustrtriml(s.data()), c.left);
    EXPECT_EQ(std::u16string(s.c_str()), c.afterLeft);
    EXPECT_EQ(StringUtil::Ustrtrimr(s.data()), c.right);
    EXPECT_EQ(std::u16string(s.c_str()), c.afterBoth);
  }
}

TEST(TextString, ComparisonFoldsOnlyAsciiLetters) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int sign;
  };
  const Case cases[] = {
      {u"abc", u"ABC", 0}, {u"a", u"A", 0}, {u"\u00e9", u"\u00c9", 1}, {u"abc", u"abd", -1},
      {u"ab", u"abc", -1}, {u"[", u"a", 1}, {u"_", u"a", 1},           {u"", u"", 0},
  };
  auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
  for (const Case& c : cases) EXPECT_EQ(sign(StringUtil::Ustricmp(c.a, c.b)), c.sign) << std::string(c.a, c.a + 1);
  // '[' (0x5B) against 'a' folded to 'A' (0x41): the difference of the folded units.
  EXPECT_EQ(StringUtil::Ustricmp(u"[", u"a"), 0x5B - 0x41);
  EXPECT_EQ(StringUtil::Ustrnicmp(u"abcX", u"ABCy", 3), 0);
  EXPECT_NE(StringUtil::Ustrnicmp(u"abcX", u"ABCy", 4), 0);
  EXPECT_EQ(StringUtil::Ustrnicmp(u"a", u"b", 0), 0);
}

TEST(TextString, HexReaders) {
  struct Case {
    const char16_t* text;
    unsigned int value;
  };
  const Case cases[] = {
      {u"ff", 0xFF}, {u"1g", 32}, {u"DEADbeef", 0xDEADBEEF}, {u"1-2", 0x102}, {u"123456789", 0x23456789}, {u"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(StringUtil::Hextoi(c.text), c.value);
  EXPECT_EQ(StringUtil::Hextoi64(u"123456789abcdef0"), 0x123456789abcdef0ull);
  EXPECT_EQ(StringUtil::_atoh(u"abcdef", 2), 0xABu);
  EXPECT_EQ(StringUtil::_hex2uint(u'z'), 35u);
  EXPECT_EQ(StringUtil::_whex2uint(u'z'), 0u);
  EXPECT_EQ(StringUtil::_whex2uint(u'C'), 12u);
}

TEST(TextString, HexStringsAndEscapes) {
  char16_t out[16];
  EXPECT_EQ(StringUtil::UniStrToHexStr(u"AB", out, 11), 10);
  EXPECT_EQ(std::u16string(out), u"U+00410042");
  EXPECT_EQ(StringUtil::UniStrToHexStr(u"AB", out, 10), 0);
  EXPECT_EQ(out[0], 0);

  struct Case {
    const char16_t* text;
    unsigned int size;
    int result;
    std::u16string out;
  };
  const Case toUnits[] = {
      {u"U+00410042", 16, 2, u"AB"}, {u"U+0041", 16, 1, u"A"},   {u"U+004", 16, 0, u""},  // shorter than six units
      {u"X+0041", 16, 0, u""},       {u"U+00410042", 2, 0, u""},  // two units and the terminator do not fit
      {u"U+00410042", 3, 2, u"AB"},
  };
  for (const Case& c : toUnits) {
    char16_t o[16];
    std::fill(std::begin(o), std::end(o), u'x');
    EXPECT_EQ(StringUtil::HexStrToUniStr(c.text, o, c.size), c.result);
    EXPECT_EQ(std::u16string(o), c.out);
  }

  const std::pair<const char16_t*, const char16_t*> escapes[] = {
      {u"/u0041/U0042", u"AB"},
      {u"x/U0042", u"x/U0042"},  // no lower-case "/u": copied unchanged
      {u"/u004", u"/u004"},      // not four digits
      {u"a/u00e9b", u"a\u00e9b"},
  };
  for (const auto& [in, expected] : escapes) {
    std::u16string s(in);
    char16_t o[16];
    EXPECT_EQ(StringUtil::HexChrToUniStr(s.c_str(), o), static_cast<int>(std::u16string(expected).size()));
    EXPECT_EQ(std::u16string(o), expected);
    StringUtil::HexChrToUniStr(s.data(), s.data());  // in place
    EXPECT_EQ(std::u16string(s.c_str()), expected);
  }
}

}  // namespace

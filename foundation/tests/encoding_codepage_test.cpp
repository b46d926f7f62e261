// Code-page conversions: bounds, termination and the results callers rely on.
#include <basalt/text_encoding.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr UINT kWestern = 1252;
constexpr UINT kUtf8 = 65001;

TEST(EncodingCodePage, AnsiToUnicode) {
  setenv("KX2_ACP", "1252", 1);
  struct Case {
    UINT codePage;
    const char* src;
    int srcLen;
    int dstCount;
    int result;
    std::u16string text;
  };
  const Case cases[] = {
      {0, "caf\xE9", -1, 16, 5, u"caf\u00e9"},  // the terminator is counted
      {kWestern, "caf\xE9", 3, 16, 3, u"caf"},
      {kWestern, "\x80\x93", -1, 16, 3, u"\u20ac\u201c"},
      {kUtf8, "\xE2\x82\xAC!", -1, 16, 3, u"\u20ac!"},
      {kWestern, "abcdef", -1, 7, 0, u""},  // six units and a terminator need 8 with the reserve
      {kWestern, "abcdef", -1, 8, 7, u"abcdef"},
      {kWestern, "abc", -1, 1, 0, u""},  // room for the terminator only
  };
  for (const Case& c : cases) {
    char16_t dst[17];
    std::fill(std::begin(dst), std::end(dst), u'#');
    EXPECT_EQ(_ExpAnsiToUnicode(nullptr, c.codePage, c.src, c.srcLen, dst, c.dstCount, nullptr), c.result) << c.src;
    EXPECT_EQ(std::u16string(dst), c.text) << c.src;
    EXPECT_EQ(dst[c.dstCount], u'#') << "wrote past the buffer for " << c.src;
  }
  char16_t untouched = u'#';
  EXPECT_EQ(_ExpAnsiToUnicode(nullptr, kWestern, "a", -1, &untouched, 0, nullptr), 0);
  EXPECT_EQ(untouched, u'#');
}

TEST(EncodingCodePage, UnicodeToAnsi) {
  struct Case {
    UINT codePage;
    const char16_t* src;
    int srcLen;
    int dstSize;
    const char* defaultChar;
    int result;
    std::string text;
  };
  const Case cases[] = {
      {kWestern, u"caf\u00e9", -1, 16, nullptr, 5, "caf\xE9"},
      {kWestern, u"caf\u00e9", 2, 16, nullptr, 2, "ca"},
      {kWestern, u"\u20ac", -1, 16, nullptr, 2, "\x80"},
      {kWestern, u"a\u4e2d", -1, 16, "*", 3, "a*"},        // a character the page lacks
      {kUtf8, u"\u4e2d", -1, 16, "*", 4, "\xE4\xB8\xAD"},  // UTF-8 takes no default character
      {kWestern, u"abcdef", -1, 6, nullptr, 0, ""},        // does not fit with its terminator
      {kWestern, u"abcdef", -1, 7, nullptr, 7, "abcdef"},
      {kWestern, u"abcdef", 6, 6, nullptr, 0, ""},  // counted text: one byte kept for the terminator
      {kWestern, u"abc", -1, 1, nullptr, 0, ""},
  };
  for (const Case& c : cases) {
    char dst[17];
    std::fill(std::begin(dst), std::end(dst), '#');
    EXPECT_EQ(_ExpUnicodeToAnsi(nullptr, c.codePage, c.src, c.srcLen, dst, c.dstSize, c.defaultChar), c.result);
    EXPECT_EQ(std::string(dst), c.text);
    EXPECT_EQ(dst[c.dstSize], '#');
  }
}

TEST(EncodingCodePage, AnsiToAnsiGoesThroughUtf16) {
  char dst[16];
  EXPECT_EQ(_ExpAnsiToAnsi(nullptr, kWestern, "caf\xE9", -1, kUtf8, dst, 16, nullptr), 6);
  EXPECT_EQ(std::string(dst), "caf\xC3\xA9");
  EXPECT_EQ(_ExpAnsiToAnsi(nullptr, kUtf8, "\xE2\x82\xAC", -1, kWestern, dst, 16, nullptr), 2);
  EXPECT_EQ(std::string(dst), "\x80");
  std::fill(std::begin(dst), std::end(dst), '#');
  EXPECT_EQ(_ExpAnsiToAnsi(nullptr, kWestern, "abcdefgh", -1, kUtf8, dst, 4, nullptr), 0);
  EXPECT_EQ(dst[0], '\0');
  EXPECT_EQ(dst[4], '#');
}

}  // namespace

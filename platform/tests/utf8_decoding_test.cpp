// The platform's one UTF-8 decoder as its two users see it: kx2::Utf8ToUtf16 (file names,
// environment: encoded surrogates pass, one U+FFFD per bad byte) and MultiByteToWideChar
// for CP_UTF8 (surrogates refused, one U+FFFD per bad sequence, MB_ERR_INVALID_CHARS fails).
#include <gtest/gtest.h>

#include <string>

#include "kx2/Utf.h"
#include "win/nls.h"

namespace {

std::u16string CodePageUtf8(const std::string& bytes, DWORD flags = 0) {
  char16_t buffer[64] = {};
  int n = MultiByteToWideChar(CP_UTF8, flags, bytes.data(), static_cast<int>(bytes.size()), buffer, 64);
  return n > 0 ? std::u16string(buffer, static_cast<size_t>(n)) : u"<failed>";
}

TEST(Utf8Decoding, LenientAndCodePageFormsOfTheSameBytes) {
  const std::u16string bad = u"\xFFFD";
  struct Case {
    const char* what;
    std::string bytes;
    std::u16string lenient, codePage;
  } cases[] = {
      {"well formed", "a\xc3\xa9\xe4\xb8\x80\xf0\x9f\x98\x80", u"a\u00e9\u4e00\U0001F600", u"a\u00e9\u4e00\U0001F600"},
      {"encoded surrogate", "\xed\xa0\x80z", u"\xD800z", bad + u"z"},
      {"overlong", "\xc0\x80", bad + bad, bad},
      {"beyond U+10FFFF", "\xf4\x90\x80\x80", bad + bad + bad + bad, bad},
      {"cut sequence", "\xf0\x9f\x98x", bad + bad + bad + u"x", bad + u"x"},
      {"cut at the end", "a\xe0\x80", u"a" + bad + bad, u"a" + bad},
      {"stray bytes", "\x80\xff\xf8", bad + bad + bad, bad + bad + bad},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kx2::Utf8ToUtf16(c.bytes), c.lenient) << c.what;
    EXPECT_EQ(CodePageUtf8(c.bytes), c.codePage) << c.what;
    bool wellFormed = c.codePage.find(u'\xFFFD') == std::u16string::npos;
    EXPECT_EQ(CodePageUtf8(c.bytes, MB_ERR_INVALID_CHARS), wellFormed ? c.codePage : u"<failed>") << c.what;
  }
}

}  // namespace

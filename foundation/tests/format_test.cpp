// The formatter and number readers: the system's own number rules, and agreement with
// glibc's snprintf on integer directives.
#include <basalt/string_util.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using Basalt::Util::StringUtil;

namespace {

std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }
std::string Narrow(const std::u16string& s) {
  std::string r;
  for (char16_t c : s) r.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return r;
}

template <typename... Args>
std::string Fmt(const char16_t* format, Args... args) {
  char16_t out[1024];
  const LONG n = StringUtil::sprintf_fmt(out, format, args...);
  std::u16string text(out);
  EXPECT_EQ(n, static_cast<LONG>(text.size())) << Narrow(format);
  return Narrow(text);
}

TEST(Format, FloatingDigitsAreCutNotRounded) {
  struct Case {
    const char16_t* format;
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {u"%5.2f", 3.14159, " 3.14"},
      {u"%5.2f", 2.999, " 2.99"},
      {u"%.3f", 0.0625, "0.062"},
      {u"%.2f", 0.0625, "0.06"},
      {u"%e", 0.0625, "6.250000e-02"},
      {u"%g", 0.5, "0.500000"},
      {u"%f", 0.0, "0.000000"},
      {u"%e", 0.0, "0.000000e+00"},
      {u"%E", 12345.678, "1.234567E+04"},
      {u"%g", 1234567.0, "1.23456e+06"},  // more integer digits than the precision
      {u"%g", 0.125, "0.125000"},
      {u"%g", 0.00006103515625, "6.10351e-05"},  // exponent below -4
      {u"%G", 9.094947017729282379e-13, "9.09494E-13"},
      {u"%.0g", 25.0, "2e+01"},  // precision 0 counts as 1
      {u"%.0f", 2.5, "2"},
      {u"%#.0f", 2.5, "2."},
      {u"%#.0e", 2.5, "2.e+00"},
      {u"%.1e", 9.96, "9.9e+00"},
      {u"%+.1f", 1.5, "+1.5"},
      {u"% .1f", 1.5, " 1.5"},
      {u"%+ .1f", 1.5, "+1.5"},
      {u"%08.2f", -1.5, "-0001.50"},
      {u"%-8.2f|", 1.5, "1.50    |"},
      {u"%8.2f", -1.5, "   -1.50"},
      {u"%f", 1e20, "100000000000000000000.000000"},
      {u"%.3e", 1e22, "1.000e+22"},
      {u"%Lf", 0.5, "0.500000"},
      {u"%f", INFINITY, "inf"},
      {u"%E", -INFINITY, "-INF"},
      {u"%05.1f", NAN, "  nan"},
  };
  for (const Case& c : cases) EXPECT_EQ(Fmt(c.format, c.value), c.expected) << Narrow(c.format);
}

TEST(Format, LongPrecisionsPastTheProducedDigitsAreZeros) {
  const std::string s = Fmt(u"%.600f", 0.5);
  ASSERT_EQ(s.size(), 602u);
  EXPECT_EQ(s.substr(0, 3), "0.5");
  EXPECT_EQ(s.find_first_not_of('0', 3), std::string::npos);
}

TEST(Format, OtherDirectives) {
  EXPECT_EQ(Fmt(u"%s", static_cast<const char16_t*>(nullptr)), "<NULL>");
  EXPECT_EQ(Fmt(u"[%.2s|%-4s|%4s]", u"abcdef", u"ab", u"ab"), "[ab|ab  |  ab]");
  EXPECT_EQ(Fmt(u"%#x %#x %#X", 255, 0, 255), "0xff 0 0XFF");
  EXPECT_EQ(Fmt(u"%-*d|", -6, 42), "42    |");
  EXPECT_EQ(Fmt(u"%*d|%-*d|", 4, 7, 3, 7), "   7|7  |");
  EXPECT_EQ(Fmt(u"%.*d|%.*d", 3, 7, -1, 7), "007|7");
  EXPECT_EQ(Fmt(u"%c%5c%-3c|", u'a', u'B', 0x263A), "a    B?  |");
  EXPECT_EQ(Fmt(u"%5k|%%|%-3y|"), "    k|%|y  |");
  EXPECT_EQ(Fmt(u"%D %U %O", -42, 4294967295u, 8), "-42 4294967295 10");
  EXPECT_EQ(Fmt(u"%hd %hu %hx", 65535, 65537, 0x12345), "-1 1 2345");
  EXPECT_EQ(Fmt(u"%qd %llx %ld", INT64_MIN, 0xFEDCBA9876543210ull, -5), "-9223372036854775808 fedcba9876543210 -5");
  EXPECT_EQ(Fmt(u"%p|%8p", reinterpret_cast<void*>(0x1234), reinterpret_cast<void*>(0xab)), "0x1234|    0xab");
  EXPECT_EQ(Fmt(u"ab%"), "ab");  // a format ending inside a directive ends the output
  EXPECT_EQ(Fmt(u"ab%-08.3"), "ab");

  int n = -1;
  short h = -1;
  long long q = -1;
  EXPECT_EQ(Fmt(u"abc%n%hnde%qn", &n, &h, &q), "abcde");
  EXPECT_EQ(n, 3);
  EXPECT_EQ(h, 3);
  EXPECT_EQ(q, 5);
}

// glibc is the reference for integer directives; 'l' is 32-bit here, so it meets glibc's
// plain form, and 'q' meets glibc's 'll'.
TEST(Format, IntegerDirectivesAgreeWithGlibc) {
  const char* flagChars = "-+ #0";
  const char* widths[] = {"", "1", "8"};
  const char* precisions[] = {"", ".0", ".3", ".12"};
  const char* conversions = "diuoxX";
  struct Size {
    const char* ours;
    const char* glibc;
    bool wide;
  };
  const Size sizes[] = {{"", "", false}, {"l", "", false}, {"h", "h", false}, {"ll", "ll", true}, {"q", "ll", true}};
  const int32_t narrow[] = {0, 1, -1, 7, 8, 42, 255, -255, 65535, 65536, 123456789, INT_MAX, INT_MIN};
  const int64_t wide[] = {0, 1, -1, 8, 4294967296LL, -4294967297LL, INT64_MAX, INT64_MIN, 1000000000000LL};

  int compared = 0;
  std::vector<std::string> failures;
  for (int mask = 0; mask < 32; ++mask) {
    std::string flags;
    for (int b = 0; b < 5; ++b)
      if (mask & (1 << b)) flags.push_back(flagChars[b]);
    for (const char* w : widths)
      for (const char* p : precisions)
        for (const Size& size : sizes)
          for (const char* c = conversions; *c; ++c) {
            const std::string head = "[%" + flags + w + p;
            const std::string ours = head + size.ours + *c + "]";
            const std::string theirs = head + size.glibc + *c + "]";
            const std::u16string ours16 = Widen(ours);
            char16_t out[128];
            char expected[128];
            auto check = [&](auto value) {
              StringUtil::sprintf_fmt(out, ours16.c_str(), value);
              std::snprintf(expected, sizeof expected, theirs.c_str(), value);
              ++compared;
              if (Narrow(out) != expected && failures.size() < 20)
                failures.push_back(ours + " of " + std::to_string(value) + ": " + Narrow(out) + " vs " + expected);
            };
            if (size.wide)
              for (int64_t v : wide) check(static_cast<long long>(v));
            else
              for (int32_t v : narrow) check(v);
          }
  }
  EXPECT_GT(compared, 50000);
  for (const std::string& f : failures) ADD_FAILURE() << f;
}

TEST(Format, BoundedFormNeverWritesPastItsCountAndReportsACut) {
  char16_t out[16];
  std::fill(std::begin(out), std::end(out), u'x');
  EXPECT_EQ(StringUtil::snprintf_fmt(out, 6, u"%d", 12345), 5);
  EXPECT_EQ(std::u16string(out), u"12345");

  std::fill(std::begin(out), std::end(out), u'x');
  EXPECT_EQ(StringUtil::snprintf_fmt(out, 5, u"%d", 12345), -1);
  EXPECT_EQ(std::u16string(out), u"1234");
  EXPECT_EQ(out[5], u'x');

  std::fill(std::begin(out), std::end(out), u'x');
  EXPECT_EQ(StringUtil::snprintf_fmt(out, 0, u"%d", 1), -1);
  EXPECT_EQ(out[0], u'x');

  // A huge field costs nothing once the buffer is full.
  EXPECT_EQ(StringUtil::snprintf_fmt(out, 8, u"%*d", 2000000000, 1), -1);
  EXPECT_EQ(std::u16string(out), u"       ");
  EXPECT_EQ(StringUtil::snprintf_fmt(out, 8, u"%.2000000000f", 1.0), -1);
  EXPECT_EQ(std::u16string(out), u"1.00000");

  // %n counts what the text would hold, cut or not.
  int n = 0;
  EXPECT_EQ(StringUtil::snprintf_fmt(out, 4, u"abcdef%n", &n), -1);
  EXPECT_EQ(n, 6);
}

TEST(Format, AtolReadsALeadingDecimalInteger) {
  struct Case {
    const char16_t* text;
    LONG value;
  };
  const Case cases[] = {
      {u" \t-12ab", -12},
      {u"+", 0},
      {u"", 0},
      {u"  +7", 7},
      {u"\n5", 0},
      {u"- 5", 0},
      {u"2147483647", INT_MAX},
      {u"-2147483648", INT_MIN},
      {u"12345678901", -539222987},  // wraps at 32 bits
      {u"\u0663", 0},                // only ASCII digits are digits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StringUtil::atol_fmt(c.text), c.value) << Narrow(c.text);
    EXPECT_EQ(StringUtil::atoi_fmt(c.text), c.value);
  }
  EXPECT_EQ(StringUtil::atol_fmt(nullptr), 0);
}

TEST(Format, AtofReadsALeadingDecimalNumber) {
  struct Case {
    const char16_t* text;
    double value;
  };
  const Case cases[] = {
      {u"1.5e2", 150},
      {u"-.5", -0.5},
      {u"0.3", 3 * 0.1},  // scaled by 0.1, as stored numbers always were
      {u" \t2.5x", 2.5},
      {u"12.5E-1", 1.25},
      {u"abc", 0},
      {u"", 0},
      {u"+.", 0},
      {u"1e+3", 1000},
      {u"7e", 7},
      {u"1e400", INFINITY},
      {u"-1e400", -INFINITY},
      {u"1e-400", 0},
      {u"1e99999999999999999999", INFINITY},  // an absurd exponent ends at once
  };
  for (const Case& c : cases) EXPECT_EQ(StringUtil::atof_fmt(c.text), c.value) << Narrow(c.text);
  EXPECT_EQ(StringUtil::atof_fmt(nullptr), 0);
}

TEST(Format, WrittenNumbersReadBack) {
  const double values[] = {0.0, 1.0, -2.5, 0.0625, 1234.5, 1e-7, 3e15};
  for (double v : values) {
    char16_t out[64];
    StringUtil::snprintf_fmt(out, 64, u"%.17e", v);
    EXPECT_NEAR(StringUtil::atof_fmt(out), v, std::fabs(v) * 1e-14) << Narrow(out);
  }
}

}  // namespace

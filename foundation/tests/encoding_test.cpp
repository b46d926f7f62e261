// Unicode transformation formats (against ICU), surrogate helpers, the UTF-8 look test,
// and the platform's MulDiv rule.
#include <basalt/text_encoding.h>

#include <gtest/gtest.h>
#include <unicode/ustring.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Units = std::u16string;
using Points = std::vector<UTF32>;

// Each converter run with room to spare; the output is what lies before the terminator
// the converter leaves behind (or the bytes/units it reports).
struct Out8 {
  int result;
  Bytes bytes;
};
struct Out16 {
  int result;
  Units units;
};
struct Out32 {
  int result;
  Points points;
};

template <typename Unit>
size_t Measured(const std::vector<Unit>& buf) {
  size_t n = 0;
  while (n < buf.size() && buf[n]) ++n;
  return n;
}

Out16 From8To16(const Bytes& in, int lenient, size_t room = 0) {
  std::vector<UTF16> buf(room ? room : in.size() + 2, 0x7777);
  const UTF8* s = in.data();
  UTF16* t = buf.data();
  int bytes = -1;
  const int r = _ExpUTF8ToUTF16(&s, in.data() + in.size(), &t, buf.data() + buf.size(), &bytes, lenient);
  EXPECT_EQ(s, in.data());  // start pointers are left as they were
  EXPECT_EQ(t, buf.data());
  EXPECT_EQ(bytes % 2, 0);
  return {r, Units(buf.begin(), buf.begin() + bytes / 2)};
}

Out32 From8To32(const Bytes& in) {
  std::vector<UTF32> buf(in.size() + 1);
  const UTF8* s = in.data();
  UTF32* t = buf.data();
  int bytes = -1;
  const int r = _ExpUTF8ToUTF32(&s, in.data() + in.size(), &t, buf.data() + buf.size(), &bytes, 0);
  return {r, Points(buf.begin(), buf.begin() + bytes / 4)};
}

Out8 From16To8(const Units& in, int lenient, size_t room = 0, bool historicalName = false) {
  std::vector<UTF8> buf(room ? room : in.size() * 3 + 1, 0x77);
  const UTF16* s = in.data();
  UTF8* t = buf.data();
  const auto convert = historicalName ? ExpTF16ToUTF8 : _ExpUTF16ToUTF8;
  const int r = convert(&s, in.data() + in.size(), &t, buf.data() + buf.size(), lenient);
  EXPECT_EQ(s, in.data());
  return {r, Bytes(buf.begin(), buf.begin() + Measured(buf))};
}

Out32 From16To32(const Units& in, int lenient) {
  std::vector<UTF32> buf(in.size() + 1, 0x7777);
  const UTF16* s = in.data();
  UTF32* t = buf.data();
  const int r = _ExpUTF16ToUTF32(&s, in.data() + in.size(), &t, buf.data() + buf.size(), lenient);
  return {r, Points(buf.begin(), buf.begin() + Measured(buf))};
}

Out8 From32To8(const Points& in, int lenient, size_t room = 0) {
  std::vector<UTF8> buf(room ? room : in.size() * 4 + 1, 0x77);
  const UTF32* s = in.data();
  UTF8* t = buf.data();
  const int r = _ExpUTF32ToUTF8(&s, in.data() + in.size(), &t, buf.data() + buf.size(), lenient);
  return {r, Bytes(buf.begin(), buf.begin() + Measured(buf))};
}

Out16 From32To16(const Points& in, int lenient) {
  std::vector<UTF16> buf(in.size() * 2 + 1, 0x7777);
  const UTF32* s = in.data();
  UTF16* t = buf.data();
  const int r = _ExpUTF32ToUTF16(&s, in.data() + in.size(), &t, buf.data() + buf.size(), lenient);
  return {r, Units(buf.begin(), buf.begin() + Measured(buf))};
}

// ICU's forms of a code-point sequence.
Units IcuUtf16(const Points& p) {
  std::vector<UChar> buf(p.size() * 2 + 1);
  int32_t len = 0;
  UErrorCode e = U_ZERO_ERROR;
  u_strFromUTF32(buf.data(), static_cast<int32_t>(buf.size()), &len, reinterpret_cast<const UChar32*>(p.data()),
                 static_cast<int32_t>(p.size()), &e);
  EXPECT_TRUE(U_SUCCESS(e));
  return Units(buf.begin(), buf.begin() + len);
}

Bytes IcuUtf8(const Units& u) {
  std::vector<char> buf(u.size() * 3 + 1);
  int32_t len = 0;
  UErrorCode e = U_ZERO_ERROR;
  u_strToUTF8(buf.data(), static_cast<int32_t>(buf.size()), &len, u.data(), static_cast<int32_t>(u.size()), &e);
  EXPECT_TRUE(U_SUCCESS(e));
  return Bytes(buf.begin(), buf.begin() + len);
}

Units IcuFromUtf8(const Bytes& b) {
  std::vector<UChar> buf(b.size() + 1);
  int32_t len = 0;
  UErrorCode e = U_ZERO_ERROR;
  u_strFromUTF8(buf.data(), static_cast<int32_t>(buf.size()), &len, reinterpret_cast<const char*>(b.data()),
                static_cast<int32_t>(b.size()), &e);
  EXPECT_TRUE(U_SUCCESS(e));
  return Units(buf.begin(), buf.begin() + len);
}

std::vector<Points> SampleTexts() {
  std::vector<Points> texts = {
      {},
      {'A', 'b', 'c'},
      {0xE9, 0x20AC, 0x4E2D, 0x1F600},
      {0x1F600},
      {0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF},
      {0xD7FF, 0xE000, 0xFFFD, 0xFEFF},
  };
  std::mt19937 rng(20240607);
  std::uniform_int_distribution<uint32_t> any(0, 0x10FFFF - 0x800);
  std::uniform_int_distribution<int> length(1, 40);
  for (int i = 0; i < 200; ++i) {
    Points p;
    for (int n = length(rng); n > 0; --n) {
      uint32_t c = any(rng);
      if (c >= 0xD800) c += 0x800;  // skip the surrogate block
      p.push_back(c);
    }
    texts.push_back(p);
  }
  return texts;
}

TEST(Encoding, ConversionsAgreeWithIcuOnValidText) {
  for (const Points& text : SampleTexts()) {
    const Units u16 = IcuUtf16(text);
    const Bytes u8 = IcuUtf8(u16);
    ASSERT_EQ(IcuFromUtf8(u8), u16);
    for (int lenient = 0; lenient <= 1; ++lenient) {
      const Out16 a = From8To16(u8, lenient);
      EXPECT_EQ(a.result, conversionOK);
      EXPECT_EQ(a.units, u16);
      const Out8 b = From16To8(u16, lenient);
      EXPECT_EQ(b.result, conversionOK);
      EXPECT_EQ(b.bytes, u8);
      EXPECT_EQ(From16To8(u16, lenient, 0, true).bytes, u8);
      const Out32 c = From16To32(u16, lenient);
      EXPECT_EQ(c.result, conversionOK);
      EXPECT_EQ(c.points, text);
      const Out8 d = From32To8(text, lenient);
      EXPECT_EQ(d.result, conversionOK);
      EXPECT_EQ(d.bytes, u8);
      const Out16 e = From32To16(text, lenient);
      EXPECT_EQ(e.result, conversionOK);
      EXPECT_EQ(e.units, u16);
    }
    const Out32 f = From8To32(u8);
    EXPECT_EQ(f.result, conversionOK);
    EXPECT_EQ(f.points, text);
  }
}

TEST(Encoding, Utf8SourceLegality) {
  struct Case {
    Bytes in;
    int lenient;
    int result;
    Units out;  // what was stored before the stop
  };
  const Case cases[] = {
      {{0xF0, 0x9F, 0x98, 0x80}, 0, conversionOK, u"\U0001F600"},
      {{'a', 0xC0, 0x80}, 1, sourceIllegal, u"a"},        // overlong lead
      {{0xE0, 0x80, 0x80}, 1, sourceIllegal, u""},        // overlong three bytes
      {{0xF4, 0x90, 0x80, 0x80}, 1, sourceIllegal, u""},  // beyond U+10FFFF
      {{0xF4, 0x40, 0x98, 0x80}, 1, sourceIllegal, u""},  // a plain byte after F4
      {{0xF4, 0x8F, 0xBF, 0xBF}, 0, conversionOK, u"\U0010FFFF"},
      {{0xF8, 0x88, 0x80, 0x80, 0x80}, 1, sourceIllegal, u""},
      {{0x80}, 1, sourceIllegal, u""},                      // stray continuation
      {{'a', 0xF0, 0x9F, 0x98}, 1, sourceExhausted, u"a"},  // cut off
      {{0xC3, 0x28}, 1, sourceIllegal, u""},
      {{0xED, 0xA0, 0x80}, 0, sourceIllegal, u""},       // an encoded surrogate: strict refuses,
      {{0xED, 0xA0, 0x80}, 1, conversionOK, u"\xD800"},  // lenient keeps it
  };
  for (const Case& c : cases) {
    const Out16 o = From8To16(c.in, c.lenient);
    EXPECT_EQ(o.result, c.result) << c.in.size();
    EXPECT_EQ(o.units, c.out);
  }
  // A supplementary character needs two units: with one left the target is full.
  const Out16 full = From8To16({'a', 0xF0, 0x9F, 0x98, 0x80}, 0, 2);
  EXPECT_EQ(full.result, targetExhausted);
  EXPECT_EQ(full.units, u"a");
  // UTF-32 output keeps decoded values as they are.
  EXPECT_EQ(From8To32({0xED, 0xA0, 0x80}).points, Points{0xD800});
}

TEST(Encoding, EncodersKeepWhatLenientModeAllows) {
  const Bytes fffd = {0xEF, 0xBF, 0xBD};
  const Bytes loneHigh = {0xED, 0xA0, 0xBD};  // U+D83D as three bytes
  const Bytes loneLow = {0xED, 0xB8, 0x80};   // U+DE00
  struct Case16 {
    Units in;
    int lenient;
    int result;
    Bytes out;
  };
  const Case16 from16[] = {
      // A high surrogate that is the last unit is a plain value in both modes.
      {u"a\xD83D", 0, conversionOK, {'a', 0xED, 0xA0, 0xBD}},
      {u"a\xD83D", 1, conversionOK, {'a', 0xED, 0xA0, 0xBD}},
      // Followed by anything but a low surrogate: strict refuses, lenient keeps it.
      {u"\xD83D"
       u"A",
       0,
       sourceIllegal,
       {}},
      {u"\xD83D"
       u"A",
       1,
       conversionOK,
       {0xED, 0xA0, 0xBD, 'A'}},
      {u"\xDE00", 0, sourceIllegal, {}},
      {u"\xDE00", 1, conversionOK, loneLow},
      {u"\xD83D\xDE00", 0, conversionOK, {0xF0, 0x9F, 0x98, 0x80}},
      {u"\xDE00\xD83D", 1, conversionOK, {0xED, 0xB8, 0x80, 0xED, 0xA0, 0xBD}},
  };
  for (const Case16& c : from16) {
    const Out8 o = From16To8(c.in, c.lenient);
    EXPECT_EQ(o.result, c.result) << c.in.size() << " units, lenient " << c.lenient;
    EXPECT_EQ(o.bytes, c.out) << c.in.size() << " units, lenient " << c.lenient;
  }
  EXPECT_EQ(From16To8(u"\xD83D", 0).bytes, loneHigh);

  struct Case32 {
    Points in;
    int lenient;
    int result;
    Bytes out;
  };
  const Case32 from32[] = {
      // Past U+10FFFF the four-byte form still carries the value; strict says it is not
      // Unicode and goes on.
      {{0x110000, 'b'}, 0, sourceIllegal, {0xF4, 0x90, 0x80, 0x80, 'b'}},
      {{0x110000}, 1, conversionOK, {0xF4, 0x90, 0x80, 0x80}},
      {{0x1FFFFF}, 1, conversionOK, {0xF7, 0xBF, 0xBF, 0xBF}},
      {{0x200000}, 1, conversionOK, fffd},
      {{0xFFFFFFFF, 'b'}, 1, conversionOK, {0xEF, 0xBF, 0xBD, 'b'}},
      {{'a', 0xD800}, 0, sourceIllegal, {'a'}},
      {{0xD800}, 1, conversionOK, {0xED, 0xA0, 0x80}},
      {{0x10FFFF}, 0, conversionOK, {0xF4, 0x8F, 0xBF, 0xBF}},
  };
  for (const Case32& c : from32) {
    const Out8 o = From32To8(c.in, c.lenient);
    EXPECT_EQ(o.result, c.result) << std::hex << c.in[0];
    EXPECT_EQ(o.bytes, c.out) << std::hex << c.in[0];
  }
  const Out8 cut = From32To8({'a', 0x1F600}, 0, 4);
  EXPECT_EQ(cut.result, targetExhausted);
  EXPECT_EQ(cut.bytes, Bytes{'a'});
}

TEST(Encoding, Utf16AndUtf32Pairing) {
  // A last high surrogate is a plain value in both modes.
  for (int lenient : {0, 1}) {
    const auto o = From16To32(u"a\xD83D", lenient);
    EXPECT_EQ(o.result, conversionOK);
    EXPECT_EQ(o.points, (Points{'a', 0xD83D}));
  }
  EXPECT_EQ(From16To32(u"\xDE00", 0).result, sourceIllegal);
  EXPECT_EQ(From16To32(u"\xDE00x", 1).points, (Points{0xDE00, 'x'}));
  // Above U+10FFFF: strict records the fault and goes on, lenient writes U+FFFD.
  const Out16 strict = From32To16({'A', 0x110000, 'B'}, 0);
  EXPECT_EQ(strict.result, sourceIllegal);
  EXPECT_EQ(strict.units, u"AB");
  const Out16 lenient = From32To16({'A', 0x110000, 'B'}, 1);
  EXPECT_EQ(lenient.result, conversionOK);
  EXPECT_EQ(lenient.units,
            u"A\xFFFD"
            u"B");
  EXPECT_EQ(From32To16({0xDC00}, 0).result, sourceIllegal);
  EXPECT_EQ(From32To16({0xDC00}, 1).units, u"\xDC00");
}

TEST(Encoding, SurrogateHelpers) {
  EXPECT_EQ(_ExpUcsCharToSurChar(0x1F600), 0xD83DDE00u);
  EXPECT_EQ(_ExpMakeUcsChar(0xD83D, 0xDE00), 0x1F600u);
  EXPECT_EQ(_ExpSurCharToUcsChar(0xD83DDE00), 0x1F600u);
  EXPECT_EQ(_ExpUcsCharToSurChar(0x10000), 0xD800DC00u);
  EXPECT_EQ(_ExpUcsCharToSurChar(0x10FFFF), 0xDBFFDFFFu);
  EXPECT_EQ(_ExpUcsCharToSurChar(0xFFFF), 0u);
  EXPECT_EQ(_ExpUcsCharToSurChar(0x110000), 0u);
}

TEST(Encoding, IsLegalUtf8) {
  struct Case {
    std::string bytes;
    int legal;
  };
  const Case cases[] = {
      {"A", 1},
      {"\xC3\xA9", 1},
      {"\xC3\xA9\xC3\xA9 ok", 1},
      {"\xC3", 0},  // the sequence does not end before the end
      {"\xC0\x80", 0},
      {"\xED\xA0\x80", 1},  // encoded surrogates pass
      {"A\x80\x80", 0},     // a continuation after plain text: looks wrong
      {"A\x80\x80\xC3\xA9"
       "A\x80",
       0},
      {"", 0},
  };
  for (const Case& c : cases) {
    const auto* b = reinterpret_cast<const UTF8*>(c.bytes.data());
    EXPECT_EQ(IsLegalUTF8(b, b + c.bytes.size()), c.legal) << c.bytes;
  }
}

TEST(Encoding, UnicodeToUtf8AllocatesExactly) {
  struct Case {
    const char16_t* text;
    std::string utf8;
  };
  const Case cases[] = {
      {u"", ""},
      {u"a\u00e9\u20ac\U0001F600", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {u"\xD83D"
       u"x\xDE00",
       "\xEF\xBF\xBDx\xEF\xBF\xBD"},  // unpaired surrogates cannot be encoded
      {nullptr, ""},
  };
  for (const Case& c : cases) {
    char* out = reinterpret_cast<char*>(1);
    int length = -1;
    ASSERT_EQ(_ExpUnicodeToUTF8(c.text, &out, &length), 0);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string(out), c.utf8);
    EXPECT_EQ(length, static_cast<int>(c.utf8.size()));
    delete[] out;
  }
}

TEST(Encoding, MulDivRoundsToNearestAndRefusesOverflow) {
  struct Case {
    int number, numerator, denominator, result;
  };
  const Case cases[] = {
      {10, 3, 2, 15},
      {1, 1, 2, 1},
      {-1, 1, 2, -1},
      {3, 1, 2, 2},
      {-3, 1, 2, -2},
      {5, 1, -2, -3},
      {-5, -1, -2, -3},
      {7, 1, 3, 2},
      {100, 7200, 96, 7500},
      {1, 1, 0, -1},
      {INT_MAX, 2, 1, -1},
      {INT_MAX, 1, 1, INT_MAX},
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
      {-INT_MAX, 1, 1, -INT_MAX},
      {INT_MIN, 1, 1, INT_MIN},
      {INT_MIN, -1, 1, -1},
      {65536, 65536, 65536, 65536},
  };
  for (const Case& c : cases)
    EXPECT_EQ(_Kx2IntMulDiv(c.number, c.numerator, c.denominator), c.result)
        << c.number << " * " << c.numerator << " / " << c.denominator;
}

}  // namespace

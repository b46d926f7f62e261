#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2String.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <basalt/error.h>

using Basalt::Error::BaseError;

namespace {

std::u16string Text(const CKx2String& s) { return std::u16string(s.GetString(), s.GetLength()); }

int32_t Refs(const CKx2String& s) { return s.GetHeader()->refs; }

int32_t Capacity(const CKx2String& s) { return s.GetHeader()->capacity; }

TEST(StorageString, BufferCapacityIsRoundedToEightUnits) {
  struct Case {
    const char16_t* text;
    int32_t capacity;
  } cases[] = {{u"a", 7}, {u"abcdef", 7}, {u"abcdefg", 15}, {u"abcdefghijklmn", 15}, {u"abcdefghijklmno", 23}};
  for (const Case& c : cases) {
    CKx2String s(c.text);
    EXPECT_EQ(Capacity(s), c.capacity) << std::string(c.text, c.text + s.GetLength());
    EXPECT_EQ(Refs(s), 1);
    EXPECT_EQ(s.GetString()[s.GetLength()], 0);
  }
  CKx2String empty;
  EXPECT_EQ(Refs(empty), CKx2String::kStatic);
  CKx2String alsoEmpty(u"");
  EXPECT_EQ(empty.GetString(), alsoEmpty.GetString());
}

TEST(StorageString, CopiesShareUntilOneChanges) {
  CKx2String first(u"Hello");
  CKx2String copy(first);
  EXPECT_EQ(copy.GetString(), first.GetString());
  EXPECT_EQ(Refs(first), 2);

  ASSERT_EQ(copy.MakeUpper(), 1);
  EXPECT_EQ(Text(first), u"Hello");
  EXPECT_EQ(Text(copy), u"HELLO");
  EXPECT_NE(copy.GetString(), first.GetString());
  EXPECT_EQ(Refs(first), 1);
  EXPECT_EQ(Refs(copy), 1);

  CKx2String shared(first);
  ASSERT_EQ(shared.RemoveLast(u'o'), 1);
  EXPECT_EQ(Text(shared), u"Hell");
  EXPECT_EQ(Text(first), u"Hello");
}

TEST(StorageString, LockedBuffersAreCopiedNotShared) {
  CKx2String locked(u"abc");
  char16_t* buffer = locked.LockBuffer();
  EXPECT_EQ(Refs(locked), CKx2String::kLocked);
  CKx2String copy(locked);
  EXPECT_NE(copy.GetString(), buffer);
  EXPECT_EQ(Text(copy), u"abc");
  // Assigning into a locked string keeps its buffer.
  locked.Assign(u"xy");
  EXPECT_EQ(locked.GetString(), buffer);
  locked.UnlockBuffer();
  EXPECT_EQ(Refs(locked), 1);

  CKx2String empty;
  ASSERT_NE(empty.LockBuffer(), nullptr);
  EXPECT_EQ(Capacity(empty), 7);
  EXPECT_EQ(empty.GetLength(), 0);
}

TEST(StorageString, ReplaceTable) {
  struct Case {
    const char16_t* text;
    const char16_t* pattern;
    const char16_t* replacement;
    const char16_t* result;
    int32_t count;
  } cases[] = {
      {u"abcab", u"ab", u"xyz", u"xyzcxyz", 2},
      {u"aaa", u"a", u"", u"", 3},
      {u"aaa", u"aa", u"b", u"ba", 1},
      {u"abc", u"x", u"y", u"abc", 0},
      {u"abc", u"", u"y", u"abc", 0},  // an empty pattern replaces nothing
      {u"abc", nullptr, u"y", u"abc", 0},
      {u"abab", u"b", nullptr, u"aa", 2},
      {u"xx", u"x", u"longer text", u"longer textlonger text", 2},
  };
  for (const Case& c : cases) {
    CKx2String s(c.text);
    CKx2String copy(s);
    EXPECT_EQ(s.Replace(c.pattern, c.replacement), c.count) << std::string(c.text, c.text + copy.GetLength());
    EXPECT_EQ(Text(s), c.result);
    EXPECT_EQ(Text(copy), c.text);
  }
  CKx2String chars(u"a.b.c");
  EXPECT_EQ(chars.Replace(u'.', u'/'), 2);
  EXPECT_EQ(Text(chars), u"a/b/c");
  EXPECT_EQ(chars.Replace(u'/', u'/'), 0);
}

TEST(StorageString, ReplaceWithItsOwnCharacters) {
  CKx2String s(u"abcabc");
  // Pattern and replacement point into the string being changed.
  EXPECT_EQ(s.Replace(s.CharAt(3), s.GetString()), 2);
  EXPECT_EQ(Text(s), u"abcabcabcabc");
}

TEST(StorageString, LinesAndPieces) {
  EXPECT_EQ(CKx2String::CountLines(u"a\nb\n", nullptr), 3);
  EXPECT_EQ(CKx2String::CountLines(u"", nullptr), 0);
  EXPECT_EQ(CKx2String::CountLines(nullptr, nullptr), 0);
  EXPECT_EQ(CKx2String::CountLines(u"a--b----c", u"--"), 4);
  EXPECT_EQ(CKx2String::CountLines(u"abc", u""), 1);  // an empty separator is never found

  const char16_t* starts[4] = {};
  int32_t lengths[4] = {};
  const char16_t* text = u"a\rbc";
  ASSERT_EQ(CKx2String::Split(text, nullptr, starts, lengths, 4), 2);
  EXPECT_EQ(starts[0], text);
  EXPECT_EQ(lengths[0], 1);
  EXPECT_EQ(starts[1], text + 2);
  EXPECT_EQ(lengths[1], 2);
  EXPECT_EQ(CKx2String::Split(u"a,b,c", u",", starts, lengths, 1), 3);  // only one stored
  EXPECT_EQ(lengths[0], 1);
  ASSERT_EQ(CKx2String::Split(u"abc", u"", starts, lengths, 4), 1);
  EXPECT_EQ(lengths[0], 3);
}

TEST(StorageString, ExtractionClampsToTheText) {
  CKx2String s(u"abc");
  struct Case {
    int which;  // 0 Mid(start, count), 1 Left, 2 Right, 3 Mid(start)
    int32_t a, b;
    const char16_t* result;
  } cases[] = {
      {0, 10, 5, u""}, {0, 1, 1, u"b"},  {0, -4, 2, u"ab"},  {0, 1, 99, u"bc"}, {1, 10, 0, u"abc"},
      {1, -1, 0, u""}, {2, 2, 0, u"bc"}, {2, 10, 0, u"abc"}, {3, 1, 0, u"bc"},
  };
  for (const Case& c : cases) {
    CKx2String out(u"old");
    switch (c.which) {
      case 0:
        s.Mid(out, c.a, c.b);
        break;
      case 1:
        s.Left(out, c.a);
        break;
      case 2:
        s.Right(out, c.a);
        break;
      default:
        s.Mid(out, c.a);
        break;
    }
    EXPECT_EQ(Text(out), c.result) << c.which << " " << c.a << " " << c.b;
  }
  CKx2String span;
  CKx2String digits(u"123abc");
  digits.SpanIncluding(span, u"0123456789");
  EXPECT_EQ(Text(span), u"123");
  digits.SpanExcluding(span, u"c");
  EXPECT_EQ(Text(span), u"123ab");
}

TEST(StorageString, ExtractingIntoItselfReadsBeforeLettingGo) {
  CKx2String s(u"abcdef");
  ASSERT_EQ(s.Mid(s, 2, 3), 1);
  EXPECT_EQ(Text(s), u"cde");
  ASSERT_EQ(s.CopyRange(s, 2, 1, 2), 1);
  EXPECT_EQ(s.GetLength(), 4);
  EXPECT_EQ(s.GetString()[0], u'd');
  EXPECT_EQ(s.GetString()[1], u'e');
}

TEST(StorageString, SearchAndPositions) {
  CKx2String s(u"hello world");
  EXPECT_EQ(s.Find(u'o'), 4);
  EXPECT_EQ(s.ReverseFind(u'o'), 7);
  EXPECT_EQ(s.Find(u"world"), 6);
  EXPECT_EQ(s.Find(u"xyz"), -1);
  EXPECT_EQ(s.Find(u'z'), -1);
  EXPECT_EQ(s.FindOneOf(u"wd"), 6);
  EXPECT_EQ(s.CharAt(-3), s.GetString());
  EXPECT_EQ(s.CharAt(99), s.GetString() + 11);
  EXPECT_EQ(s.TailAt(5), s.GetString() + 6);
  EXPECT_EQ(s.TailAt(50), s.GetString());
  EXPECT_EQ(s.TailAt(-1), s.GetString() + 11);

  CKx2String copy(s);
  EXPECT_EQ(copy.SetAt(11, u'!'), 0);  // out of range: nothing written
  EXPECT_EQ(copy.SetAt(-1, u'!'), 0);
  EXPECT_EQ(copy.SetAt(0, u'H'), 1);
  EXPECT_EQ(Text(copy), u"Hello world");
  EXPECT_EQ(Text(s), u"hello world");
}

TEST(StorageString, TrimAndAppend) {
  struct Case {
    const char16_t* text;
    int which;  // 0 TrimRight, 1 TrimLeft, 2 TrimRight('x'), 3 TrimLeft('x')
    const char16_t* result;
  } cases[] = {
      {u"  ", 0, u""}, {u" a ", 1, u"a "}, {u"a \t\n", 0, u"a"}, {u"xxaxx", 2, u"xxa"}, {u"xxaxx", 3, u"axx"},
  };
  for (const Case& c : cases) {
    CKx2String s(c.text);
    switch (c.which) {
      case 0:
        s.TrimRight();
        break;
      case 1:
        s.TrimLeft();
        break;
      case 2:
        s.TrimRight(u'x');
        break;
      default:
        s.TrimLeft(u'x');
        break;
    }
    EXPECT_EQ(Text(s), c.result);
  }
  CKx2String s(u"ab");
  char16_t* before = s.GetBuffer(0);
  s.Append(u"cde");  // fits the capacity of 7: in place
  EXPECT_EQ(s.GetString(), before);
  s.Append(u'f');
  s.Append(u"ghijkl", 2);
  s.Append(s);
  EXPECT_EQ(Text(s), u"abcdefghabcdefgh");
}

TEST(StorageString, FormatReservesTheCountedLengthAndNeverOverruns) {
  CKx2String s;
  ASSERT_EQ(s.Format(u"%d-%s", 7, u"xy"), 1);
  EXPECT_EQ(Text(s), u"7-xy");
  EXPECT_GE(Capacity(s), 4);

  // A huge %f is longer than any estimate made from the format alone.
  ASSERT_EQ(s.Format(u"%f", 1e300), 1);
  EXPECT_EQ(s.GetLength(), 301 + 7);
  EXPECT_EQ(s.GetString()[0], u'1');
  ASSERT_EQ(s.Format(u"%I64d|%s|%5.1f", int64_t{-1234567890123}, u"t", 2.75), 1);
  EXPECT_EQ(Text(s), u"-1234567890123|t|  2.8");
  CKx2String self(u"self");
  ASSERT_EQ(self.Format(u"%s and %s, longer than the buffer it had", self.GetString(), self.GetString()), 1);
  EXPECT_EQ(Text(self), u"self and self, longer than the buffer it had");
  std::u16string wide(5000, u'w');
  ASSERT_EQ(s.Format(u"[%s]", wide.c_str()), 1);
  EXPECT_EQ(s.GetLength(), 5002);
}

TEST(StorageString, FailedAllocationKeepsTheStringAndSetsError2) {
  CKx2String s(u"keep");
  BaseError::_ClearError();
  Kx2Heap::FailAfter(0);
  const int assigned = s.Assign(u"a much longer text than before");
  const int appended = s.Append(u" and more text that needs a new buffer");
  Kx2Heap::FailAfter(-1);
  EXPECT_EQ(assigned, 0);
  EXPECT_EQ(appended, 0);
  EXPECT_EQ(BaseError::_GetError(), 2u);
  EXPECT_EQ(Text(s), u"keep");

  CKx2String copy(s);
  Kx2Heap::FailAfter(0);
  EXPECT_EQ(copy.MakeUpper(), 0);
  Kx2Heap::FailAfter(-1);
  EXPECT_EQ(Text(copy), u"keep");
  EXPECT_EQ(copy.GetString(), s.GetString());
}

TEST(StorageString, AnsiConversions) {
  CKx2String s;
  ASSERT_EQ(s.AssignAnsi("plain text"), 1);
  EXPECT_EQ(Text(s), u"plain text");
  ASSERT_EQ(s.AssignAnsi(nullptr), 1);
  EXPECT_TRUE(s.IsEmpty());
  char narrow[16] = {};
  EXPECT_GT(CKx2String::ToAnsi(narrow, u"abc", sizeof(narrow)), 0);
  EXPECT_STREQ(narrow, "abc");
  EXPECT_EQ(CKx2String::ToAnsi(narrow, u"abc", 0), 0);
  char16_t wide[16] = {};
  EXPECT_GT(CKx2String::FromAnsi(wide, "xyz", 16), 0);
  EXPECT_EQ(std::u16string(wide), u"xyz");
}

}  // namespace

namespace {

TEST(StorageString, FormatMessageKeepsTheFormattedText) {
  CKx2String s(u"old");
  ASSERT_EQ(s.FormatMessage(u"%1 and %2!d!", u"text", 42), 1);
  EXPECT_EQ(std::u16string(s.GetString()), u"text and 42");
}

}  // namespace

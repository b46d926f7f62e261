#include <plastrum/FormatWideString.h>
#include <plastrum/Kx2OptionList.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Options {
  explicit Options(const char16_t* text) {
    std::u16string(text).copy(buffer, 259);
    buffer[std::u16string(text).size()] = 0;
  }
  std::u16string Text() const { return buffer; }
  char16_t buffer[CKx2OptionList::kTextUnits] = {};
  CKx2OptionList list{buffer};
};

TEST(StorageOptionList, TypedLookups) {
  Options o(u"a:1;b:true;abc:2;flag;c:TRUE;d:no;e:");
  struct Case {
    const char16_t* key;
    int has, asInt, asBool;
  } cases[] = {
      {u"a", 1, 1, 0},    {u"b", 1, 0, 1}, {u"abc", 1, 2, 0}, {u"ab", 0, 5, 1},
      {u"flag", 1, 0, 1}, {u"c", 1, 0, 1}, {u"d", 1, 0, 0},   {u"e", 1, 0, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(o.list.Has(c.key), c.has) << std::u16string(c.key).size();
    EXPECT_EQ(o.list.GetInt(c.key, 5), c.asInt);
    EXPECT_EQ(o.list.GetBool(c.key, 1), c.asBool);
  }
  char16_t out[CKx2OptionList::kTextUnits];
  EXPECT_EQ(o.list.Get(u"abc", out), 1);
  EXPECT_EQ(std::u16string(out), u"2");
  EXPECT_EQ(o.list.GetString(u"zz", out, u"fallback"), 1);
  EXPECT_EQ(std::u16string(out), u"fallback");

  Options bare(u"b;c:2");  // an entry without a value
  EXPECT_EQ(bare.list.Get(u"b", out), 1);
  EXPECT_EQ(std::u16string(out), u"");
  EXPECT_EQ(bare.list.GetBool(u"b", 0), 1);

  CKx2OptionList none;
  EXPECT_EQ(none.GetBool(u"a", 1), 0);
}

TEST(StorageOptionList, EditsKeepOtherKeys) {
  struct Case {
    const char16_t* before;
    int which;  // 0 SetInt(a, 7), 1 Remove(x), 2 Remove(a), 3 SetBool(b, 0)
    const char16_t* after;
  } cases[] = {
      {u"a:1;b:true", 0, u"b:true;a:7"},
      {u"a:1;abc:2;b:true", 0, u"abc:2;b:true;a:7"},  // keys match whole, not by prefix
      {u";;a:1;;", 1, u"a:1"},
      {u"a:1;a:2;b", 2, u"b"},
      {u"", 3, u"b:false"},
  };
  for (const auto& c : cases) {
    Options o(c.before);
    switch (c.which) {
      case 0:
        EXPECT_EQ(o.list.SetInt(u"a", 7), 1);
        break;
      case 1:
        EXPECT_EQ(o.list.Remove(u"x"), 1);
        break;
      case 2:
        EXPECT_EQ(o.list.Remove(u"a"), 1);
        break;
      default:
        EXPECT_EQ(o.list.SetBool(u"b", 0), 1);
        break;
    }
    EXPECT_EQ(o.Text(), c.after);
  }
}

TEST(StorageOptionList, TextNeverReaches260Characters) {
  Options o(u"k:old");
  const std::u16string fits(253, u'v');  // "k:" + 253 = 255, with "a:1;" 259
  o.list.SetString(u"a", u"1");
  EXPECT_EQ(o.list.SetString(u"k", fits.c_str()), 1);
  EXPECT_EQ(o.Text().size(), 259u);
  const std::u16string tooLong(254, u'v');
  EXPECT_EQ(o.list.SetString(u"k", tooLong.c_str()), 0);
  EXPECT_EQ(o.Text(), u"a:1");  // the key stays removed
  EXPECT_EQ(o.list.SetString(u"x", u"with;separator"), 0);
  EXPECT_EQ(o.list.SetString(u"x:y", u"v"), 0);
  EXPECT_EQ(o.Text(), u"a:1");
}

TEST(StorageFormatWideString, CutsToTheCapacity) {
  char16_t buffer[8];
  EXPECT_EQ(FormatWideString(buffer, 8, u"%s-%d", u"ab", 42), 5);
  EXPECT_EQ(std::u16string(buffer), u"ab-42");
  EXPECT_EQ(FormatWideString(buffer, 8, u"%s", u"abcdefghij"), -1);
  EXPECT_EQ(std::u16string(buffer), u"abcdefg");
  EXPECT_EQ(FormatWideString(buffer, 0, u"x"), -1);
}

}  // namespace

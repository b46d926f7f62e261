// Path variables: registration, expansion both ways, and the name helpers.
#include <gtest/gtest.h>

#include <string>

#include <basalt/error.h>
#include <basalt/path_util.h>

using Basalt::Error::BaseError;
using Basalt::Util::PathUtil;

namespace {

std::u16string Absolute(const char16_t* path) {
  char16_t out[MAX_PATH];
  PathUtil::_PathToAbsolute(path, out);
  return out;
}

std::u16string Relative(const char16_t* path) {
  char16_t out[MAX_PATH];
  PathUtil::_PathToRelative(path, out);
  return out;
}

// A table of known variables, replaced by the start-up table again afterwards.
class PathVariables : public ::testing::Test {
 protected:
  void SetUp() override {
    PathUtil::_CleanPath();
    PathUtil::_RegisterPath(u"App", u"C:\\P\\X");
    PathUtil::_RegisterPath(u"Temp", u"C:\\Users\\me\\Temp");
    BaseError::_ClearError();
  }
  void TearDown() override {
    PathUtil::_CleanPath();
    PathUtil::_InitPath();
  }
};

TEST_F(PathVariables, Expansion) {
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"${Temp}\\a", u"C:\\Users\\me\\Temp\\a"},
      {u"${temp}\\a", u"C:\\Users\\me\\Temp\\a"},  // names fold ASCII case
      {u"x${App}y${Temp}", u"xC:\\P\\XyC:\\Users\\me\\Temp"},
      {u"plain\\path", u"plain\\path"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(Absolute(c.in), c.out);
}

TEST_F(PathVariables, UnknownOrUnclosedReferencesFail) {
  // Expanding to "\file" would silently point at a drive root: the result is empty and the
  // thread's record says why.
  for (const char16_t* in : {u"${Nope}\\file", u"x${Nope}y", u"a${Temp", u"abc${"}) {
    BaseError::_ClearError();
    EXPECT_EQ(Absolute(in), u"");
    EXPECT_EQ(BaseError::_GetError(), 10u);
  }
}

TEST_F(PathVariables, ResultsThatDoNotFitAreRefused) {
  std::u16string folder = u"C:\\" + std::u16string(250, u'f');
  ASSERT_EQ(PathUtil::_RegisterPath(u"Long", folder.c_str()), 1);
  EXPECT_EQ(Absolute(u"${Long}\\0123456789"), u"");
  EXPECT_EQ(BaseError::_GetError(), 10u);
  EXPECT_EQ(Absolute(u"${Long}\\01234"), folder + u"\\01234");  // 259 units still fit

  // The relative form grows by the braces; one that would not fit stays empty.
  std::u16string deep = u"C:\\P\\X" + std::u16string(256, u'd');
  EXPECT_EQ(Relative(deep.c_str()), u"");
}

TEST_F(PathVariables, RelativeForm) {
  EXPECT_EQ(Relative(u"C:\\P\\XY\\a"), u"${App}Y\\a");  // no separator boundary needed
  EXPECT_EQ(Relative(u"c:\\users\\ME\\temp\\f.tmp"), u"${Temp}\\f.tmp");
  EXPECT_EQ(Relative(u"D:\\elsewhere"), u"");
}

TEST_F(PathVariables, Registration) {
  EXPECT_EQ(PathUtil::_RegisterPath(u"TEMP", u"D:\\other"), 0);  // the first value stays
  EXPECT_EQ(Absolute(u"${Temp}"), u"C:\\Users\\me\\Temp");
  EXPECT_EQ(PathUtil::_RegisterPath(u"", u"D:\\x"), 0);
  EXPECT_EQ(PathUtil::_RegisterPath(nullptr, u"D:\\x"), 0);

  // Names are cut to 15 units and compared cut.
  EXPECT_EQ(PathUtil::_RegisterPath(u"ABCDEFGHIJKLMNOPQ", u"D:\\n"), 1);
  EXPECT_EQ(PathUtil::_IsRegisterPath(u"abcdefghijklmno"), 1);
  EXPECT_EQ(Absolute(u"${ABCDEFGHIJKLMNO}"), u"D:\\n");

  EXPECT_EQ(PathUtil::_UnregisterPath(u"app"), 1);
  EXPECT_EQ(PathUtil::_UnregisterPath(u"app"), 0);
  EXPECT_EQ(PathUtil::_IsRegisterPath(u"App"), 0);
  EXPECT_EQ(Absolute(u"${Temp}\\z"), u"C:\\Users\\me\\Temp\\z");  // the others keep their order
}

TEST(PathTable, WithoutATableTextIsCopiedAsItStands) {
  PathUtil::_CleanPath();
  EXPECT_EQ(Absolute(u"${Temp}\\a"), u"${Temp}\\a");
  EXPECT_EQ(Relative(u"C:\\a"), u"");
  PathUtil::_InitPath();
}

TEST(PathNames, BackSlashes) {
  struct Case {
    const char16_t* in;
    const char16_t* appended;
    const char16_t* removed;
  } cases[] = {
      {u"C:\\", u"C:\\", u"C:\\"},        {u"\\", u"\\", u"\\"}, {u"C:\\a\\", u"C:\\a\\", u"C:\\a"},
      {u"C:\\a/", u"C:\\a/\\", u"C:\\a"}, {u"", u"", u""},       {u"a", u"a\\", u"a"},
  };
  for (const Case& c : cases) {
    char16_t buf[MAX_PATH];
    std::char_traits<char16_t>::copy(buf, c.in, std::u16string(c.in).size() + 1);
    PathUtil::_AppendBackSlash(buf);
    EXPECT_EQ(std::u16string(buf), c.appended);
    std::char_traits<char16_t>::copy(buf, c.in, std::u16string(c.in).size() + 1);
    PathUtil::_RemoveBackSlash(buf);
    EXPECT_EQ(std::u16string(buf), c.removed);
  }
  // A full buffer gets nothing appended.
  std::u16string full(MAX_PATH - 1, u'x');
  char16_t buf[MAX_PATH];
  std::char_traits<char16_t>::copy(buf, full.c_str(), full.size() + 1);
  PathUtil::_AppendBackSlash(buf);
  EXPECT_EQ(std::u16string(buf), full);
}

TEST(PathNames, ReservedAndValidNames) {
  EXPECT_EQ(PathUtil::_PathIsReservedFileName(u"com3"), 1);
  EXPECT_EQ(PathUtil::_PathIsReservedFileName(u"Clock$"), 1);
  EXPECT_EQ(PathUtil::_PathIsReservedFileName(u"CON.txt"), 0);
  EXPECT_EQ(PathUtil::_PathIsReservedFileName(u"COM10"), 0);
  EXPECT_EQ(PathUtil::_PathIsValidDirName(u"Reports 2024"), 1);
  for (const char16_t* bad : {u"", u"a/b", u"a:b", u"a<b", u"a>b", u"a?b", u"a*b", u"a|b", u"a\\b", u"a\"b"})
    EXPECT_EQ(PathUtil::_PathIsValidDirName(bad), 0);
  EXPECT_EQ(PathUtil::_IsUNCPath(u"\\\\srv"), 1);
  EXPECT_EQ(PathUtil::_IsUNCPath(u"\\\\"), 0);
  EXPECT_EQ(PathUtil::_PathCmp(u"C:\\A", u"c:\\a"), 0);
}

TEST(PathNames, FileTitleAndMasks) {
  EXPECT_EQ(PathUtil::_GetFileTitle(u"C:\\dir/sub:name.txt", nullptr, 0), 9u);
  char16_t out[MAX_PATH];
  EXPECT_EQ(PathUtil::_GetFileTitle(u"C:\\dir\\name.txt", out, 5), 0u);
  EXPECT_EQ(std::u16string(out), u"name");

  std::u16string masks = u"*.mm;*.xmind;;*.mmap";
  EXPECT_EQ(PathUtil::_GetNextMask(masks.c_str(), out), 1);
  masks.assign(u"overwritten");  // the scan keeps its own copy
  EXPECT_EQ(std::u16string(out), u"*.mm");
  EXPECT_EQ(PathUtil::_GetNextMask(nullptr, out), 1);
  EXPECT_EQ(std::u16string(out), u"*.xmind");
  EXPECT_EQ(PathUtil::_GetNextMask(nullptr, out), 0);  // the empty item
  EXPECT_EQ(PathUtil::_GetNextMask(nullptr, out), 1);
  EXPECT_EQ(std::u16string(out), u"*.mmap");
  EXPECT_EQ(PathUtil::_GetNextMask(nullptr, out), 0);
  EXPECT_EQ(std::u16string(out), u"");

  // An item longer than the output is cut to MAX_PATH - 1 units.
  std::u16string longMask = std::u16string(400, u'm') + u";*.txt";
  EXPECT_EQ(PathUtil::_GetNextMask(longMask.c_str(), out), 1);
  EXPECT_EQ(std::u16string(out), std::u16string(MAX_PATH - 1, u'm'));
  EXPECT_EQ(PathUtil::_GetNextMask(nullptr, out), 1);
  EXPECT_EQ(std::u16string(out), u"*.txt");
}

TEST(PathNames, Abbreviation) {
  struct Case {
    const char16_t* path;
    int max;
    int keepName;
    const char16_t* out;
  } cases[] = {
      {u"C:\\a\\b.txt", 40, 1, u"C:\\a\\b.txt"},
      {u"C:\\first\\second\\third\\file.txt", 25, 1, u"C:\\first\\...\\file.txt"},
      {u"C:\\first\\second\\third\\file.txt", 29, 1, u"C:\\first\\...\\third\\file.txt"},
      {u"C:\\first\\second\\third\\file.txt", 15, 1, u"file.txt"},
      // At the edges: the whole length; root, name and "\\..." just fitting (21) or not (20);
      // a kept component just fitting (27) or not (26); the name just fitting (8) or not (7).
      {u"C:\\first\\second\\third\\file.txt", 30, 1, u"C:\\first\\second\\third\\file.txt"},
      {u"C:\\first\\second\\third\\file.txt", 27, 1, u"C:\\first\\...\\third\\file.txt"},
      {u"C:\\first\\second\\third\\file.txt", 26, 1, u"C:\\first\\...\\file.txt"},
      {u"C:\\first\\second\\third\\file.txt", 21, 1, u"C:\\first\\...\\file.txt"},
      {u"C:\\first\\second\\third\\file.txt", 20, 1, u"file.txt"},
      {u"C:\\first\\second\\third\\file.txt", 8, 0, u"file.txt"},
      {u"C:\\first\\second\\third\\file.txt", 7, 0, u""},
      {u"C:\\first\\second\\third\\file.txt", 5, 1, u"file.txt"},
      {u"C:\\first\\second\\third\\file.txt", 5, 0, u""},
      {u"\\\\server\\share\\dir\\deeper\\f.txt", 26, 1, u"\\\\server\\share\\...\\f.txt"},
      {u"relative/path/without/backslashes.txt", 20, 1, u"backslashes.txt"},
  };
  for (const Case& c : cases) {
    char16_t buf[MAX_PATH];
    std::char_traits<char16_t>::copy(buf, c.path, std::u16string(c.path).size() + 1);
    PathUtil::_AbbreviateName(buf, c.max, c.keepName);
    EXPECT_EQ(std::u16string(buf), c.out) << c.max;
    EXPECT_LE(std::u16string(buf).size(), static_cast<size_t>(c.max < 40 ? std::u16string(c.path).size() : 99));
  }
}

}  // namespace

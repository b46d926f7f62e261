// The split and whole forms of a file path stay in step and never overrun their fields.
#include <gtest/gtest.h>

#include <string>

#include <basalt/file_path.h>

using Basalt::Util::FilePath;

namespace {

struct Split {
  std::u16string drive, directory, name, nameWithExt, ext, folder;
};

Split Parts(const FilePath& p) {
  char16_t buf[300];
  Split s;
  p.CopyDrive(buf, 300), s.drive = buf;
  p.CopyDirectory(buf, 300), s.directory = buf;
  p.CopyFileName(buf, 300, 0), s.name = buf;
  p.CopyFileName(buf, 300, 1), s.nameWithExt = buf;
  p.CopyExt(buf, 300), s.ext = buf;
  p.CopyPartialPath(buf, 300), s.folder = buf;
  return s;
}

TEST(FilePath, SplitsLikeTheRuntime) {
  struct Case {
    const char16_t* path;
    const char16_t *drive, *directory, *name, *ext;
  } cases[] = {
      {u"C:\\a\\b.txt", u"C:", u"\\a\\", u"b", u".txt"},
      {u"C:\\a\\b.tar.gz", u"C:", u"\\a\\", u"b.tar", u".gz"},
      {u"\\\\srv\\share\\f", u"", u"\\\\srv\\share\\", u"f", u""},
      {u"rel/dir/x.y", u"", u"rel/dir/", u"x", u".y"},
      {u"D:name", u"D:", u"", u"name", u""},
      {u"", u"", u"", u"", u""},
  };
  for (const Case& c : cases) {
    FilePath p(c.path);
    Split s = Parts(p);
    EXPECT_EQ(s.drive, c.drive) << std::string(c.path, c.path + std::u16string(c.path).size());
    EXPECT_EQ(s.directory, c.directory);
    EXPECT_EQ(s.name, c.name);
    EXPECT_EQ(s.ext, c.ext);
    EXPECT_EQ(std::u16string(p._GetFullPath()), c.path);
  }
}

TEST(FilePath, SettersRejoinAndResplit) {
  FilePath p(u"C:\\a\\b.txt");
  p.SetFileName(u"");
  EXPECT_EQ(std::u16string(p._GetFullPath()), u"C:\\a\\.txt");  // the extension stays

  p.SetFullPath(u"C:\\a\\b.txt");
  p.SetComponents(nullptr, nullptr, u"", u"");
  EXPECT_EQ(std::u16string(p._GetFullPath()), u"C:\\a\\");

  p.SetFullPath(u"C:\\a\\b.txt");
  p.SetDrive(u"E:").SetDirectory(u"\\x\\y").SetExt(u"md");
  EXPECT_EQ(std::u16string(p._GetFullPath()), u"E:\\x\\y\\b.md");
  EXPECT_EQ(Parts(p).folder, u"E:\\x\\y\\");
  EXPECT_EQ(Parts(p).nameWithExt, u"b.md");
  p.SetDirectory(nullptr);
  EXPECT_EQ(std::u16string(p._GetFullPath()), u"E:\\x\\y\\b.md");

  p.SetComponents(u"", u"", u"", u"");
  EXPECT_EQ(std::u16string(p._GetFullPath()), u"");
  EXPECT_EQ(Parts(p).ext, u"");

  FilePath copy(FilePath(u"Z:\\q.r"));
  FilePath assigned;
  assigned = copy;
  EXPECT_EQ(Parts(assigned).ext, u".r");
}

TEST(FilePath, Separators) {
  FilePath p;
  p.AddPathSeparator();
  EXPECT_EQ(std::u16string(p._GetFullPath()), u"\\");
  p.SetFullPath(u"C:\\dir");
  p.AddPathSeparator();
  EXPECT_EQ(std::u16string(p._GetFullPath()), u"C:\\dir\\");
  EXPECT_EQ(Parts(p).directory, u"\\dir\\");
  p.AddPathSeparator();
  EXPECT_EQ(std::u16string(p._GetFullPath()), u"C:\\dir\\");
  p.DeletePathSeparator();
  EXPECT_EQ(std::u16string(p._GetFullPath()), u"C:\\dir");
  EXPECT_EQ(Parts(p).name, u"dir");
}

TEST(FilePath, CopiesReportCuts) {
  FilePath p(u"C:\\abc.txt");
  const size_t len = std::u16string(u"C:\\abc.txt").size();
  char16_t buf[32];
  EXPECT_EQ(p.CopyFullPath(buf, len + 1), 1);
  EXPECT_EQ(p.CopyFullPath(buf, len), 0);
  EXPECT_EQ(std::u16string(buf), u"C:\\abc.tx");
  EXPECT_EQ(p.CopyFullPath(buf, 0), 0);
}

TEST(FilePath, OversizedPartsAreRefusedNotOverrun) {
  // A directory of 258 units cannot live in the 256-unit field: the path is refused whole.
  std::u16string longDir = u"\\" + std::u16string(256, u'd') + u"\\";
  FilePath p(longDir.c_str());
  EXPECT_EQ(std::u16string(p._GetFullPath()), u"");
  EXPECT_EQ(Parts(p).directory, u"");

  // Parts that fit their fields but not MAX_PATH together leave the path unchanged.
  FilePath q(u"C:\\a\\b.txt");
  std::u16string longName(255, u'n');
  q.SetDirectory((u"\\" + std::u16string(200, u'd') + u"\\").c_str());
  q.SetFileName(longName.c_str());
  EXPECT_LT(std::u16string(q._GetFullPath()).size(), 260u);
  EXPECT_EQ(Parts(q).name, u"b");

  // A path longer than MAX_PATH is cut to 259 units before it is split.
  std::u16string tooLong = u"C:\\" + std::u16string(100, u'a') + u"\\" + std::u16string(200, u'b');
  FilePath r(tooLong.c_str());
  EXPECT_EQ(std::u16string(r._GetFullPath()), tooLong.substr(0, 259));
}

}  // namespace

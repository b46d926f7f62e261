// The wide C runtime's files, folders, searches, path splitting, locale and time.
#include <clocale>
#include <cstdlib>
#include <vector>

#include "file_test_support.h"
#include "kx2/Utf.h"
#include "win/crt.h"
#include "win/fileapi.h"

namespace {

class CrtFiles : public TempDriveTest {};

TEST_F(CrtFiles, StreamsOpenThroughTheDriveMapAndHonourSharing) {
  FILE* f = _wfopen(u"C:\\Out.bin", u"wb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(fwrite("abc\n", 1, 4, f), 4u);
  FILE* reader = _wfopen(u"C:\\out.BIN", u"rb");  // _wfopen shares reading and writing
  ASSERT_NE(reader, nullptr);
  fclose(reader);
  fclose(f);
  EXPECT_EQ(Get("Out.bin"), "abc\n");  // binary: no CR added

  f = _wfopen(u"c:\\OUT.bin", u"a+");
  ASSERT_NE(f, nullptr);
  fputs("d", f);
  fseek(f, 0, SEEK_SET);
  char buf[8] = {};
  EXPECT_EQ(fread(buf, 1, 8, f), 5u);
  fclose(f);
  EXPECT_EQ(std::string(buf), "abc\nd");

  FILE* exclusive = _wfsopen(u"C:\\Out.bin", u"r", _SH_DENYRW);
  ASSERT_NE(exclusive, nullptr);
  errno = 0;
  EXPECT_EQ(_wfopen(u"C:\\Out.bin", u"r"), nullptr);
  EXPECT_EQ(errno, EACCES);
  fclose(exclusive);

  errno = 0;
  EXPECT_EQ(_wfopen(u"C:\\missing.txt", u"r"), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(_wfopen(u"C:\\x.txt", u"q"), nullptr);
  EXPECT_EQ(errno, EINVAL);
}

TEST_F(CrtFiles, AccessStatAndChmod) {
  Put("dir/f.exe", "12345");
  EXPECT_EQ(_waccess(u"C:\\DIR\\F.EXE", 0), 0);
  EXPECT_EQ(_waccess(u"C:\\dir\\f.exe", 6), 0);
  EXPECT_EQ(_waccess(u"C:\\dir\\nope", 0), -1);
  EXPECT_EQ(errno, ENOENT);

  struct _stat64i32 st;
  ASSERT_EQ(_wstat64i32(u"C:\\dir\\f.exe", &st), 0);
  EXPECT_EQ(st.st_size, 5);
  EXPECT_EQ(st.st_mode, _S_IFREG | (0777 & (_S_IREAD | _S_IWRITE | _S_IEXEC | 070 | 07)));
  EXPECT_EQ(st.st_dev, 2u);  // C:
  EXPECT_GT(st.st_mtime, 1600000000);
  ASSERT_EQ(_wstat64i32(u"C:\\dir", &st), 0);
  EXPECT_TRUE(st.st_mode & _S_IFDIR);
  EXPECT_EQ(_wstat64i32(u"C:\\dir\\*.exe", &st), -1);

  ASSERT_EQ(_wchmod(u"C:\\dir\\f.exe", _S_IREAD), 0);
  EXPECT_EQ(_waccess(u"C:\\dir\\f.exe", 2), -1);
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(_wopen(u"C:\\dir\\f.exe", _O_WRONLY | _O_BINARY), -1);
  EXPECT_EQ(_wremove(u"C:\\dir\\f.exe"), -1);
  ASSERT_EQ(_wchmod(u"C:\\dir\\f.exe", _S_IREAD | _S_IWRITE), 0);
  EXPECT_EQ(_wremove(u"C:\\dir\\f.exe"), 0);
  EXPECT_EQ(_wrmdir(u"C:\\dir"), 0);
  EXPECT_EQ(_wmkdir(u"C:\\a\\b"), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(CrtFiles, RenameRefusesAnExistingTarget) {
  Put("a", "A");
  Put("b", "B");
  EXPECT_EQ(_wrename(u"C:\\a", u"C:\\b"), -1);
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(_wrename(u"C:\\a", u"C:\\c"), 0);
  EXPECT_EQ(Get("c"), "A");
}

TEST_F(CrtFiles, LowLevelFilesAndFullPaths) {
  int fd = _wopen(u"C:\\low.bin", _O_CREAT | _O_WRONLY | _O_TRUNC | _O_BINARY, _S_IREAD);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(_write(fd, "xyz", 3), 3);
  EXPECT_EQ(_filelength(fd), 3);
  _close(fd);
  EXPECT_NE(_waccess(u"C:\\low.bin", 2), 0);  // created read-only by its pmode
  _wchmod(u"C:\\low.bin", _S_IWRITE);

  std::filesystem::path saved = std::filesystem::current_path();
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));
  char16_t buf[_MAX_PATH];
  EXPECT_EQ(std::u16string(_wfullpath(buf, u"x\\..\\y.txt", _MAX_PATH)), u"C:\\y.txt");
  EXPECT_EQ(_wfullpath(buf, u"long-name.txt", 5), nullptr);
  EXPECT_EQ(errno, ERANGE);
  char16_t* cwd = _wgetcwd(nullptr, 0);
  EXPECT_EQ(std::u16string(cwd), u"C:\\");
  free(cwd);
  std::filesystem::current_path(saved);
}

TEST_F(CrtFiles, FindFirstListsLikeTheSystemSearch) {
  Put("d/one.txt", "1");
  Put("d/two.TXT", "22");
  _wfinddata64i32_t data;
  intptr_t h = _wfindfirst64i32(u"C:\\d\\*.txt", &data);
  ASSERT_NE(h, -1);
  std::vector<std::string> names{kx2::Utf16ToUtf8(data.name)};
  std::vector<unsigned> sizes{data.size};
  while (_wfindnext64i32(h, &data) == 0) names.push_back(kx2::Utf16ToUtf8(data.name)), sizes.push_back(data.size);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(_findclose(h), 0);
  EXPECT_EQ(names, (std::vector<std::string>{"one.txt", "two.TXT"}));
  EXPECT_EQ(sizes, (std::vector<unsigned>{1, 2}));
  EXPECT_EQ(_wfindfirst64i32(u"C:\\d\\*.doc", &data), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(_findclose(h), -1);
}

TEST(CrtPaths, SplitAndMakeFollowTheMicrosoftRules) {
  char16_t drive[_MAX_DRIVE], dir[_MAX_DIR], name[_MAX_FNAME], ext[_MAX_EXT];
  struct Case {
    const char16_t *path, *drive, *dir, *name, *ext;
  } cases[] = {
      {u"C:\\a\\b.txt", u"C:", u"\\a\\", u"b", u".txt"},
      {u"a/b.c/d", u"", u"a/b.c/", u"d", u""},
      {u"\\\\srv\\share\\x.tar.gz", u"", u"\\\\srv\\share\\", u"x.tar", u".gz"},
      {u".profile", u"", u"", u"", u".profile"},
      {u"C:", u"C:", u"", u"", u""},
  };
  for (const Case& c : cases) {
    _wsplitpath(c.path, drive, dir, name, ext);
    EXPECT_EQ(std::u16string(drive), c.drive);
    EXPECT_EQ(std::u16string(dir), c.dir);
    EXPECT_EQ(std::u16string(name), c.name);
    EXPECT_EQ(std::u16string(ext), c.ext);
  }
  char16_t small[2];
  EXPECT_EQ(_wsplitpath_s(u"C:\\a\\b.txt", drive, _MAX_DRIVE, dir, _MAX_DIR, name, _MAX_FNAME, small, 2), ERANGE);
  EXPECT_EQ(drive[0], 0);
  char16_t path[_MAX_PATH];
  _wmakepath(path, u"D", u"\\dir", u"name", u"ext");
  EXPECT_EQ(std::u16string(path), u"D:\\dir\\name.ext");
  _wmakepath(path, nullptr, u"a/", u"n", u".e");
  EXPECT_EQ(std::u16string(path), u"a/n.e");
  EXPECT_EQ(_wmakepath_s(path, 4, u"C", u"\\x", nullptr, nullptr), ERANGE);
}

TEST(CrtLocale, OwnLocaleNamesWithoutTouchingTheProcessLocale) {
  unsetenv("KX2_LCID");
  setenv("LANG", "C", 1);
  std::string before = setlocale(LC_ALL, nullptr);
  EXPECT_EQ(std::u16string(_wsetlocale(LC_ALL, nullptr)), u"C");
  EXPECT_EQ(std::u16string(_wsetlocale(LC_ALL, u"")), u"English_United States.1252");
  EXPECT_EQ(std::u16string(_wsetlocale(LC_NUMERIC, u"German_Germany.1252")), u"German_Germany.1252");
  EXPECT_EQ(std::u16string(_wsetlocale(LC_ALL, nullptr)),
            u"LC_COLLATE=English_United States.1252;LC_CTYPE=English_United States.1252;"
            u"LC_MONETARY=English_United States.1252;LC_NUMERIC=German_Germany.1252;"
            u"LC_TIME=English_United States.1252");
  EXPECT_EQ(std::u16string(_wsetlocale(LC_ALL, u"ja-JP")), u"Japanese_Japan.932");
  EXPECT_EQ(std::u16string(_wsetlocale(LC_ALL, u".UTF8")), u"English_United States.utf8");
  EXPECT_EQ(_wsetlocale(LC_ALL, u"Klingon"), nullptr);
  // Code pages that are not numbers, do not fit 32 bits or do not exist are refused, and
  // the locale set before stays.
  for (const char16_t* refused : {u"English_United States.99999999999999999999999", u".4294968548", u".4294967295",
                                  u".12a52", u".-1252", u".+1252", u"English_United States.99999"}) {
    EXPECT_EQ(_wsetlocale(LC_ALL, refused), nullptr) << kx2::Utf16ToUtf8(refused);
  }
  EXPECT_EQ(std::u16string(_wsetlocale(LC_ALL, nullptr)), u"English_United States.utf8");
  EXPECT_EQ(std::u16string(_wsetlocale(LC_ALL, u"English_United States.1252")), u"English_United States.1252");
  EXPECT_EQ(std::u16string(_wsetlocale(LC_ALL, u"C")), u"C");
  EXPECT_EQ(before, setlocale(LC_ALL, nullptr));
  unsetenv("LANG");
}

TEST(CrtTime, BrokenDownTimesAndFormats) {
  __time64_t t = 1267678567;  // 2010-03-04 04:56:07 UTC
  struct tm* g = _gmtime64(&t);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->tm_year, 110);
  EXPECT_EQ(_mkgmtime64(g), t);
  char16_t buf[64];
  EXPECT_EQ(wcsftime(buf, 64, u"%Y-%m-%d %#d %x %X", g), 30u);
  EXPECT_EQ(std::u16string(buf), u"2010-03-04 4 03/04/10 04:56:07");
  EXPECT_EQ(wcsftime(buf, 5, u"%Y-%m-%d", g), 0u);
  __time64_t negative = -1;
  EXPECT_EQ(_gmtime64(&negative), nullptr);
  EXPECT_GT(_time64(nullptr), 1600000000);
}

}  // namespace

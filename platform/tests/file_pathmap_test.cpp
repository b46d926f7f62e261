// Windows path <-> POSIX path mapping.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "win/errors.h"

namespace fs = std::filesystem;

class FilePathMap : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("kx2_pathmap_" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "c" / "Docs" / "Sub");
    fs::create_directories(root_ / "d");
    std::ofstream(root_ / "c" / "Docs" / "Sub" / "Notes.TXT") << "x";
    setenv("KX2_DRIVES", ("C=" + (root_ / "c").string() + "/;d=" + (root_ / "d").string()).c_str(), 1);
  }
  void TearDown() override {
    unsetenv("KX2_DRIVES");
    fs::remove_all(root_);
  }
  fs::path root_;
};

TEST_F(FilePathMap, MapsDrivesAndFindsNamesWithoutRegardToCase) {
  std::string c = (root_ / "c").string();
  EXPECT_EQ(kx2::ToPosixPath(u"C:\\docs\\SUB\\notes.txt"), c + "/Docs/Sub/Notes.TXT");
  EXPECT_EQ(kx2::ToPosixPath(u"c:/Docs/new/file.txt"), c + "/Docs/new/file.txt");
  EXPECT_EQ(kx2::ToPosixPath(u"C:\\Docs\\..\\.\\x. "), c + "/x");
  EXPECT_EQ(kx2::ToPosixPath(u"D:\\"), (root_ / "d").string());
  EXPECT_EQ(kx2::ToPosixPath(u"Z:\\etc\\hostname"), "/etc/hostname");
  EXPECT_EQ(kx2::ToPosixPath(u"C:\\\x00e9t\x00e9"), c + "/\xc3\xa9t\xc3\xa9");

  DWORD error = 0;
  EXPECT_FALSE(kx2::ToPosixPath(u"Q:\\x", &error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(kx2::ToPosixPath(u"\\\\server\\share\\x", &error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_FALSE(kx2::ToPosixPath(u"C:\\a|b", &error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_NAME));

  // The table is read again when the environment changes.
  setenv("KX2_DRIVES", ("C=" + (root_ / "d").string()).c_str(), 1);
  EXPECT_EQ(kx2::ToPosixPath(u"C:\\y"), (root_ / "d" / "y").string());
}

TEST_F(FilePathMap, PosixPathsBecomeTheirDrive) {
  EXPECT_EQ(kx2::ToWindowsPath((root_ / "c" / "Docs").string()), u"C:\\Docs");
  EXPECT_EQ(kx2::ToWindowsPath((root_ / "c").string()), u"C:\\");
  EXPECT_EQ(kx2::ToWindowsPath("/usr/lib/"), u"Z:\\usr\\lib");
  EXPECT_EQ(kx2::ToWindowsPath("/"), u"Z:\\");
}

TEST_F(FilePathMap, RelativePathsFollowTheCurrentDirectory) {
  fs::path saved = fs::current_path();
  kx2::SetCurrentDirectoryPath(u"C:\\Docs");
  EXPECT_EQ(kx2::CurrentDirectory(), u"C:\\Docs");
  EXPECT_EQ(kx2::FullWindowsPath(u"Sub\\..\\a.txt"), u"C:\\Docs\\a.txt");
  EXPECT_EQ(kx2::FullWindowsPath(u"\\top"), u"C:\\top");
  EXPECT_EQ(kx2::FullWindowsPath(u"C:rel"), u"C:\\Docs\\rel");
  EXPECT_EQ(kx2::FullWindowsPath(u"D:rel"), u"D:\\rel");
  EXPECT_EQ(kx2::FullWindowsPath(u"C:\\..\\..\\x\\"), u"C:\\x\\");
  fs::current_path(saved);
}

TEST(KernelUtf, RoundTripsAndReplacesMalformedInput) {
  std::u16string text = u"a\x00e9\x4e2d\xd83d\xde00";
  EXPECT_EQ(kx2::Utf8ToUtf16(kx2::Utf16ToUtf8(text)), text);
  EXPECT_EQ(kx2::Utf16ToUtf8(u"\xd800x"), "\xed\xa0\x80x");  // a lone surrogate survives
  EXPECT_EQ(kx2::Utf8ToUtf16(kx2::Utf16ToUtf8(u"\xd800x")), u"\xd800x");
  EXPECT_EQ(kx2::Utf8ToUtf16("a\xff\xc3"), u"a\xfffd\xfffd");
  EXPECT_EQ(kx2::Utf8ToUtf16("\xc0\x80"), u"\xfffd\xfffd");  // overlong forms are refused
  EXPECT_EQ(kx2::StrICmp16(u"\x00c9T\x00c9", u"\x00e9t\x00e9"), 0);
  EXPECT_LT(kx2::StrCmp16(u"ab", u"abc"), 0);
}

// Names Linux allows and Windows refuses reach the system as valid Windows names, through
// paths, folder listings and file calls, and come back as the same POSIX names.
TEST_F(FilePathMap, NamesWindowsRefusesStandInPrivateUseCharactersBothWays) {
  struct Case {
    std::string posix;
    std::u16string windows;
  };
  const Case cases[] = {
      {"a:b*c?.mm", u"a\uF03Ab\uF02Ac\uF03F.mm"},
      {"q\"<>|\\x", u"q\uF022\uF03C\uF03E\uF07C\uF05Cx"},
      {"tab\tname", u"tab\uF009name"},
      {"ends.", u"ends\uF02E"},
      {"ends in space ", u"ends in space\uF020"},
      {"mixed. .", u"mixed\uF02E\uF020\uF02E"},
      {"a.b c", u"a.b c"},  // inner spaces and dots are valid as they are
      {"...", u"\uF02E\uF02E\uF02E"},
      {"..", u".."},
      {"plain", u"plain"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kx2::WindowsNameOf(c.posix), c.windows) << c.posix;
    EXPECT_EQ(kx2::PosixNameOf(c.windows), c.posix) << c.posix;
  }
  // Private-use characters a Windows name holds for themselves keep their place.
  for (std::u16string own : {u"x\uF02Ey", u"\uF041", u"x\uF020\uF02Ey"})
    EXPECT_EQ(kx2::WindowsNameOf(kx2::PosixNameOf(own)), own);

  const fs::path folder = root_ / "c" / "odd:folder.";
  fs::create_directories(folder);
  std::ofstream(folder / "a:b*c?.mm") << "map";
  const std::u16string windows = u"C:\\odd\uF03Afolder\uF02E\\a\uF03Ab\uF02Ac\uF03F.mm";
  EXPECT_EQ(kx2::ToWindowsPath((folder / "a:b*c?.mm").string()), windows);
  EXPECT_EQ(kx2::ToPosixPath(windows), (folder / "a:b*c?.mm").string());
  // Found without regard to case too.
  EXPECT_EQ(kx2::ToPosixPath(u"C:\\ODD\uF03AFOLDER\uF02E\\A\uF03AB\uF02AC\uF03F.MM"), (folder / "a:b*c?.mm").string());
  // A POSIX name that holds a stand-in character itself is still found.
  std::ofstream(root_ / "c" / "own\xef\x80\xba") << "x";  // "own" + U+F03A
  EXPECT_EQ(kx2::ToPosixPath(u"C:\\own\uF03A"), (root_ / "c" / "own\xef\x80\xba").string());
}

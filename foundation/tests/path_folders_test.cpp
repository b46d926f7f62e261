// Folder chains and temporary names, on a drive C: of the test's own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <basalt/path_util.h>
#include <kx2/Utf.h>
#include <win/kernel.h>

using Basalt::Util::PathUtil;
namespace fs = std::filesystem;

namespace {

class PathFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("basalt-folders-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    setenv("KX2_DRIVES", ("C=" + root_.string()).c_str(), 1);
    PathUtil::_CleanPath();
    PathUtil::_RegisterPath(u"Temp", u"C:\\tmp");
  }
  void TearDown() override {
    PathUtil::_CleanPath();
    PathUtil::_InitPath();
    fs::remove_all(root_);
  }
  fs::path root_;
};

TEST_F(PathFolders, FolderChains) {
  EXPECT_EQ(PathUtil::_CreateFullPath(u"C:\\a\\b\\c"), 1);
  EXPECT_TRUE(fs::is_directory(root_ / "a/b/c"));
  EXPECT_EQ(PathUtil::_ExistDir(u"C:\\a\\b"), 1);
  EXPECT_EQ(PathUtil::_ExistDir(u"C:\\a\\nope"), 0);

  // The last component is a file name unless the path ends with a backslash.
  EXPECT_EQ(PathUtil::_PathCreate(u"${Temp}\\x\\y\\file.txt"), 1);
  EXPECT_TRUE(fs::is_directory(root_ / "tmp/x/y"));
  EXPECT_FALSE(fs::exists(root_ / "tmp/x/y/file.txt"));
  EXPECT_EQ(PathUtil::_PathCreate(u"${Temp}\\z\\"), 1);
  EXPECT_TRUE(fs::is_directory(root_ / "tmp/z"));

  // A file in the way fails the chain.
  std::ofstream(root_ / "blocker") << "x";
  EXPECT_EQ(PathUtil::_CreateFullPath(u"C:\\blocker\\sub"), 0);
  // A chain longer than MAX_PATH is refused rather than cut.
  std::u16string longChain = u"C:\\" + std::u16string(300, u'q');
  EXPECT_EQ(PathUtil::_CreateFullPath(longChain.c_str()), 0);
  EXPECT_EQ(PathUtil::_CreateFullPath(u""), 0);
}

TEST_F(PathFolders, TempNamesWithAStampTouchNothing) {
  char16_t out[MAX_PATH];
  uint64_t stamp = 0x0000ABCD12345678ull;
  EXPECT_EQ(PathUtil::_PathMakeTempEx(u"pre", u"dat", stamp, u"sub\\", out), stamp);
  EXPECT_EQ(std::u16string(out), u"C:\\tmp\\sub\\pre12345678abcd.dat");
  EXPECT_FALSE(fs::exists(root_ / "tmp"));

  // A name that would not fit MAX_PATH is refused, not cut.
  std::u16string longPrefix(250, u'p');
  EXPECT_EQ(PathUtil::_PathMakeTempEx(longPrefix.c_str(), u"dat", stamp, nullptr, out), 0u);
  EXPECT_EQ(std::u16string(out), u"");
}

TEST_F(PathFolders, TempNamesWithoutAStampPickAFreeName) {
  char16_t first[MAX_PATH], second[MAX_PATH];
  uint64_t a = PathUtil::_PathMakeTempEx(u"k", u"bin", 0, nullptr, first);
  ASSERT_NE(a, 0u);
  EXPECT_EQ(static_cast<uint32_t>(a), GetCurrentThreadId());
  EXPECT_TRUE(fs::is_directory(root_ / "tmp"));
  std::ofstream(root_ / ("tmp/" + kx2::Utf16ToUtf8(std::u16string(first).substr(7)))) << "taken";
  uint64_t b = PathUtil::_PathMakeTempEx(u"k", u"bin", 0, nullptr, second);
  ASSERT_NE(b, 0u);
  EXPECT_NE(std::u16string(first), std::u16string(second));
  // Rebuilding from the stamp gives the same name back.
  char16_t again[MAX_PATH];
  PathUtil::_PathMakeTempEx(u"k", u"bin", b, nullptr, again);
  EXPECT_EQ(std::u16string(again), std::u16string(second));
}

TEST_F(PathFolders, SystemTempNames) {
  char16_t out[MAX_PATH];
  UINT unique = PathUtil::_PathMakeTemp(u"abc", 0, out);
  ASSERT_NE(unique, 0u);
  std::u16string name(out);
  EXPECT_EQ(name.rfind(u"C:\\tmp\\abc", 0), 0u);
  EXPECT_TRUE(fs::exists(root_ / ("tmp/" + kx2::Utf16ToUtf8(name.substr(7)))));
}

}  // namespace

namespace {

TEST_F(PathFolders, LongPathsOfExistingItems) {
  fs::create_directories(root_ / "Long Folder Name");
  char16_t out[MAX_PATH];
  EXPECT_EQ(PathUtil::_PathToLongPath(u"C:\\long folder name", out), 1);
  EXPECT_EQ(PathUtil::_PathCmp(out, u"C:\\Long Folder Name"), 0);
  EXPECT_EQ(PathUtil::_PathToLongPath(u"C:\\missing", out), 0);
  EXPECT_EQ(std::u16string(out), u"");
}

}  // namespace

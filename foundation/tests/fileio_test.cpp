// The file wrappers: modes, counts, seeking, sizes, streams and searches.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <basalt/file_io.h>
#include <basalt/shell_util.h>
#include <basalt/error.h>
#include <basalt/path_util.h>

using Basalt::Util::FileAndIOUtil;
using Basalt::Util::FileIOUtil;
using Basalt::Util::FilePointer;
using Basalt::Util::ShellUtil;
using Basalt::Util::StreamIOUtil;
namespace fs = std::filesystem;

namespace {

class FileIO : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("basalt-fileio-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    setenv("KX2_DRIVES", ("C=" + root_.string()).c_str(), 1);
    std::ofstream(root_ / "data.bin") << "0123456789";
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string Read(const char* name) {
    std::ifstream in(root_ / name);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  fs::path root_;
};

TEST_F(FileIO, OpenModes) {
  FilePointer f = FileAndIOUtil::_OpenFile(u"C:\\data.bin", 0);
  ASSERT_NE(f.handle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileAndIOUtil::_GetFileLength(f), 10);
  FileAndIOUtil::_CloseFile(f);

  // Modes 4 and 6 ask for nothing the system accepts and leave the file alone.
  for (int mode : {4, 6, -1}) {
    FilePointer bad = FileAndIOUtil::_OpenFile(u"C:\\data.bin", mode);
    EXPECT_EQ(bad.handle, INVALID_HANDLE_VALUE) << mode;
  }
  EXPECT_EQ(Read("data.bin"), "0123456789");

  // 3 creates or truncates, 1 and 2 need an existing file.
  EXPECT_EQ(FileAndIOUtil::_OpenFile(u"C:\\missing.bin", 1).handle, INVALID_HANDLE_VALUE);
  FilePointer created = FileAndIOUtil::_OpenFile(u"C:\\new.bin", 3);
  ASSERT_NE(created.handle, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  EXPECT_NE(FileAndIOUtil::_WriteFile(created, "abc", 3, &done), 0);
  EXPECT_EQ(done, 3u);
  FileAndIOUtil::_CloseFile(created);
  EXPECT_EQ(Read("new.bin"), "abc");
}

TEST_F(FileIO, ReadSeekTruncate) {
  FilePointer f = FileAndIOUtil::_OpenFile(u"C:\\data.bin", 2);
  ASSERT_NE(f.handle, INVALID_HANDLE_VALUE);
  char buf[16] = {};
  DWORD done = 99;
  EXPECT_EQ(FileAndIOUtil::_SeekFile(f, 4, 7), 4);  // an unknown origin seeks from the start
  EXPECT_NE(FileAndIOUtil::_ReadFile(f, buf, 3, &done), 0);
  EXPECT_EQ(std::string(buf, done), "456");
  EXPECT_EQ(FileAndIOUtil::_SeekFile(f, -2, 2), 8);
  EXPECT_EQ(FileAndIOUtil::_SeekFile(f, 1, 1), 9);
  EXPECT_EQ(FileAndIOUtil::_SeekFile(f, 0, 2), 10);
  EXPECT_NE(FileAndIOUtil::_ReadFile(f, buf, 4, &done), 0);  // at the end: success, nothing read
  EXPECT_EQ(done, 0u);
  FileAndIOUtil::_SeekFile(f, 5, 0);
  EXPECT_NE(FileAndIOUtil::_SetEndOfFile(f, 1234), 0);  // the position argument is not used
  EXPECT_EQ(FileAndIOUtil::_GetFileLength(f), 5);
  FileAndIOUtil::_CloseFile(f);
  FilePointer none;
  none.handle = INVALID_HANDLE_VALUE;
  EXPECT_EQ(FileAndIOUtil::_GetFileLength(none), 0);
}

TEST_F(FileIO, StreamsAndSearches) {
  EXPECT_EQ(StreamIOUtil::_FileOpen(u"C:\\data.bin", nullptr), nullptr);
  EXPECT_EQ(StreamIOUtil::_FileOpen(nullptr, u"rb"), nullptr);
  FILE* f = StreamIOUtil::_FileOpen(u"C:\\data.bin", u"rb");
  ASSERT_NE(f, nullptr);
  char buf[4] = {};
  EXPECT_EQ(fread(buf, 1, 3, f), 3u);
  fclose(f);

  _wfinddata64i32_t data;
  intptr_t find = FileIOUtil::_FindFirst(u"C:\\*.bin", &data);
  ASSERT_NE(find, -1);
  EXPECT_EQ(std::u16string(data.name), u"data.bin");
  EXPECT_EQ(FileIOUtil::_FindNext(find, &data), -1);
  _findclose(find);

  char16_t full[MAX_PATH];
  EXPECT_EQ(FileIOUtil::_FullPath(full, u"C:\\a\\..\\b.txt", MAX_PATH), full);
  EXPECT_EQ(std::u16string(full), u"C:\\b.txt");
  char16_t cwd[MAX_PATH];
  EXPECT_NE(FileIOUtil::_GetCwd(cwd, MAX_PATH), nullptr);
  EXPECT_EQ(FileAndIOUtil::_GetCurrentDirectory(MAX_PATH, cwd), 1);
}

TEST_F(FileIO, FolderAndNameForwards) {
  EXPECT_NE(FileAndIOUtil::_CreateDirectory(u"C:\\dir", nullptr), 0);
  EXPECT_NE(FileAndIOUtil::_GetFileAttributes(u"C:\\dir") & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_NE(FileAndIOUtil::_MoveFile(u"C:\\data.bin", u"C:\\dir\\moved.bin"), 0);
  EXPECT_EQ(FileAndIOUtil::_GetFileAttributes(u"C:\\data.bin"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(FileAndIOUtil::_DeleteFile(u"C:\\dir\\moved.bin"), 0);
  EXPECT_NE(FileAndIOUtil::_RemoveDirectory(u"C:\\dir"), 0);
  EXPECT_EQ(FileAndIOUtil::_GetDriveType(u"C:\\"), static_cast<UINT>(DRIVE_FIXED));
  char16_t longPath[MAX_PATH];
  std::ofstream(root_ / "x.txt") << "x";
  EXPECT_EQ(FileAndIOUtil::_GetLongPathName(u"C:\\x.txt", longPath, MAX_PATH), 8u);
  EXPECT_EQ(std::u16string(longPath), u"C:\\x.txt");
}

TEST_F(FileIO, CopyReportsFailures) {
  EXPECT_EQ(ShellUtil::_CopyFile(u"C:\\copy.bin", u"C:\\data.bin"), 1);
  EXPECT_EQ(Read("copy.bin"), "0123456789");
  Basalt::Error::BaseError::_ClearError();
  EXPECT_EQ(ShellUtil::_CopyFile(u"C:\\copy2.bin", u"C:\\nope.bin"), 0);
  EXPECT_EQ(Basalt::Error::BaseError::_GetError(), 0x80070002u);

  EXPECT_EQ(ShellUtil::_LowCopyFile(u"C:\\low.bin", u"C:\\data.bin"), 1);
  EXPECT_EQ(Read("low.bin"), "0123456789");
  EXPECT_EQ(ShellUtil::_LowCopyFile(u"C:\\low.bin", u"C:\\nope.bin"), 0);
  EXPECT_EQ(ShellUtil::_FileExist(u"C:\\low.bin"), 1);
  EXPECT_EQ(ShellUtil::_FileExist(u"C:\\"), 0);
  EXPECT_EQ(ShellUtil::_FileExist(nullptr), 0);
}

TEST_F(FileIO, ImageTempNamesAndDrives) {
  Basalt::Util::PathUtil::_CleanPath();
  Basalt::Util::PathUtil::_RegisterPath(u"Temp", u"C:\\tmp");
  char16_t out[MAX_PATH];
  ASSERT_NE(ShellUtil::_PathMakeImageTemp(u"D:\\pictures\\photo.v2.PNG", out), 0);
  std::u16string name(out);
  EXPECT_EQ(name.rfind(u"C:\\tmp\\IMG", 0), 0u);
  EXPECT_EQ(name.substr(name.size() - 4), u".PNG");
  EXPECT_EQ(ShellUtil::_FileExist(out), 0);  // a free name; the folder exists
  EXPECT_TRUE(fs::is_directory(root_ / "tmp"));
  char16_t next[MAX_PATH];
  ASSERT_NE(ShellUtil::_PathMakeImageTemp(u"photo", next), 0);
  EXPECT_NE(std::u16string(next), name);
  Basalt::Util::PathUtil::_CleanPath();
  Basalt::Util::PathUtil::_InitPath();

  fs::create_directories(root_ / "stick");
  setenv("KX2_DRIVES", ("C=" + root_.string() + ";E=" + (root_ / "stick").string()).c_str(), 1);
  setenv("KX2_DRIVE_TYPES", "E=removable", 1);
  EXPECT_EQ(ShellUtil::_CheckRemovableDrive(u"E:\\photo.png"), 1);
  EXPECT_EQ(ShellUtil::_CheckRemovableDrive(u"C:\\data.bin"), 0);
  EXPECT_EQ(ShellUtil::_CheckRemovableDrive(u""), 0);
  unsetenv("KX2_DRIVE_TYPES");
  DWORD serial = ShellUtil::_GetVolumeSerialNumber(u"C:\\data.bin");
  EXPECT_NE(serial, 0u);
  EXPECT_EQ(ShellUtil::_GetVolumeSerialNumber(u"C:\\other"), serial);
  EXPECT_EQ(ShellUtil::_GetVolumeSerialNumber(nullptr), 0u);
}

}  // namespace

// Operations by name: move, copy, folders, searches, temporary names, path names.
#include <regex>

#include "file_test_support.h"
#include "kx2/Utf.h"
#include "win/fileapi.h"

namespace {

class FileNames : public TempDriveTest {};

TEST_F(FileNames, MoveNeverOverwritesUnlessAsked) {
  Put("a.txt", "A");
  Put("b.txt", "B");
  EXPECT_FALSE(MoveFileW(u"C:\\a.txt", u"C:\\b.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(Get("b.txt"), "B");
  EXPECT_TRUE(MoveFileExW(u"C:\\a.txt", u"C:\\b.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Get("b.txt"), "A");
  EXPECT_FALSE(Exists("a.txt"));

  EXPECT_TRUE(MoveFileW(u"C:\\B.TXT", u"C:\\B.txt"));  // a change of case only
  EXPECT_EQ(Get("B.txt"), "A");
  EXPECT_FALSE(MoveFileW(u"C:\\none.txt", u"C:\\x.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(MoveFileW(u"C:\\B.txt", u"C:\\nodir\\x.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  ASSERT_TRUE(CreateDirectoryW(u"C:\\d1", nullptr));
  EXPECT_TRUE(MoveFileW(u"C:\\d1", u"C:\\d2"));  // folders move too
  EXPECT_EQ(GetFileAttributesW(u"C:\\d2"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(FileNames, CopyKeepsContentAndHonoursFailIfExists) {
  Put("src.txt", "content");
  EXPECT_TRUE(CopyFileW(u"C:\\src.txt", u"C:\\dst.txt", TRUE));
  EXPECT_EQ(Get("dst.txt"), "content");
  EXPECT_FALSE(CopyFileW(u"C:\\src.txt", u"C:\\dst.txt", TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  Put("src.txt", "new");
  EXPECT_TRUE(CopyFileW(u"C:\\src.txt", u"C:\\dst.txt", FALSE));
  EXPECT_EQ(Get("dst.txt"), "new");
}

TEST_F(FileNames, FoldersAndTheCurrentDirectory) {
  EXPECT_TRUE(CreateDirectoryW(u"C:\\x", nullptr));
  EXPECT_FALSE(CreateDirectoryW(u"C:\\X", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryW(u"C:\\no\\y", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  Put("x/f.txt", "");
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\x\\f.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));

  std::filesystem::path saved = std::filesystem::current_path();
  ASSERT_TRUE(SetCurrentDirectoryW(u"c:\\X"));
  WCHAR cwd[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, cwd), 4u);
  EXPECT_EQ(std::u16string(cwd), u"C:\\x");
  EXPECT_EQ(GetCurrentDirectoryW(2, cwd), 5u);  // too small: the size needed
  EXPECT_NE(GetFileAttributesW(u"f.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(SetCurrentDirectoryW(u"C:\\x\\f.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
  std::filesystem::current_path(saved);
  EXPECT_TRUE(DeleteFileW(u"C:\\x\\F.TXT"));
  EXPECT_TRUE(RemoveDirectoryW(u"C:\\x"));
}

TEST_F(FileNames, FindMatchesWildcardsWithoutRegardToCase) {
  for (const char* n : {"b.TXT", "a.txt", "c.doc", "noext", "sub/x.txt"}) Put(n, "12345");
  auto list = [](const char16_t* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(pattern, &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.push_back(kx2::Utf16ToUtf8(data.cFileName));
    while (FindNextFileW(h, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(h));
    return names;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(list(u"C:\\*.txt"), (V{"a.txt", "b.TXT"}));
  EXPECT_EQ(list(u"C:\\?.TxT"), (V{"a.txt", "b.TXT"}));
  EXPECT_EQ(list(u"C:\\*"), (V{"a.txt", "b.TXT", "c.doc", "noext", "sub"}));  // no dots at a drive root
  EXPECT_EQ(list(u"C:\\*."), (V{"noext", "sub"}));
  EXPECT_EQ(list(u"C:\\sub\\*.*"), (V{".", "..", "x.txt"}));
  EXPECT_EQ(list(u"C:\\NOEXT"), (V{"noext"}));

  WIN32_FIND_DATAW data;
  EXPECT_EQ(FindFirstFileW(u"C:\\*.xyz", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFileW(u"C:\\nodir\\*", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  HANDLE h = FindFirstFileW(u"C:\\sub\\x.txt", &data);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  FindClose(h);
}

TEST_F(FileNames, TempFileNamesFollowTheWin32Pattern) {
  WCHAR name[MAX_PATH];
  EXPECT_EQ(GetTempFileNameW(u"C:\\", u"prefix", 0x1A2B, name), 0x1A2Bu);
  EXPECT_EQ(std::u16string(name), u"C:\\pre1A2B.tmp");
  EXPECT_FALSE(Exists("pre1A2B.tmp"));  // a given number only forms the name

  std::regex pattern(R"(C:\\tmp[0-9A-F]{1,4}\.tmp)");
  UINT first = GetTempFileNameW(u"C:\\", u"tmp", 0, name);
  ASSERT_NE(first, 0u);
  std::string made = kx2::Utf16ToUtf8(name);
  EXPECT_TRUE(std::regex_match(made, pattern)) << made;
  EXPECT_TRUE(Exists(made.substr(3)));  // created, empty
  UINT second = GetTempFileNameW(u"C:", u"tmp", 0, name);
  EXPECT_NE(second, first);

  EXPECT_EQ(GetTempFileNameW(u"C:\\nodir", u"tmp", 0, name), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));

  setenv("TMP", root_.c_str(), 1);
  WCHAR temp[MAX_PATH];
  EXPECT_EQ(GetTempPathW(MAX_PATH, temp), 3u);
  EXPECT_EQ(std::u16string(temp), u"C:\\");
  unsetenv("TMP");
}

TEST_F(FileNames, FullLongAndShortNames) {
  Put("dir/file.txt", "");
  WCHAR buf[MAX_PATH];
  LPWSTR part = nullptr;
  EXPECT_EQ(GetFullPathNameW(u"C:\\dir\\..\\dir\\.\\file.txt", MAX_PATH, buf, &part), 15u);
  EXPECT_EQ(std::u16string(buf), u"C:\\dir\\file.txt");
  EXPECT_EQ(std::u16string(part), u"file.txt");
  EXPECT_EQ(GetFullPathNameW(u"C:\\dir\\file.txt", 5, buf, nullptr), 16u);
  EXPECT_EQ(GetLongPathNameW(u"C:\\DIR\\file.txt", buf, MAX_PATH), 15u);
  EXPECT_EQ(GetShortPathNameW(u"C:\\dir\\none.txt", buf, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileNames, DrivesAndVolumes) {
  EXPECT_EQ(GetDriveTypeW(u"C:\\"), static_cast<UINT>(DRIVE_FIXED));
  EXPECT_EQ(GetDriveTypeW(u"Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
  setenv("KX2_DRIVE_TYPES", "C=removable", 1);
  EXPECT_EQ(GetDriveTypeW(u"c:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
  unsetenv("KX2_DRIVE_TYPES");
  EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 25));
  DWORD serial1 = 0, serial2 = 0;
  WCHAR fs[16];
  ASSERT_TRUE(GetVolumeInformationW(u"C:\\", nullptr, 0, &serial1, nullptr, nullptr, fs, 16));
  ASSERT_TRUE(GetVolumeInformationW(u"C:\\", nullptr, 0, &serial2, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(serial1, serial2);
  EXPECT_EQ(std::u16string(fs), u"NTFS");
  ULARGE_INTEGER avail, total, free;
  ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", &avail, &total, &free));
  EXPECT_GT(total.QuadPart, 0u);
  DWORD spc, bps, freeClusters, clusters;
  EXPECT_TRUE(GetDiskFreeSpaceW(u"C:\\", &spc, &bps, &freeClusters, &clusters));
  EXPECT_FALSE(GetDiskFreeSpaceExW(u"Q:\\", &avail, nullptr, nullptr));
}

}  // namespace

// A file whose POSIX name Windows would refuse is listed under its stand-in name, and that
// name opens, copies and renames it like any other.
TEST_F(FileNames, NamesWindowsRefusesAreListedAndOpenedByTheirStandIns) {
  Put("maps/a:b*c?.mm", "map");
  Put("maps/trailing. ", "dot and space");
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(u"C:\\maps\\*.mm", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(data.cFileName), u"a\uF03Ab\uF02Ac\uF03F.mm");
  FindClose(find);

  const std::u16string listed = std::u16string(u"C:\\maps\\") + data.cFileName;
  HANDLE file = CreateFileW(listed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char text[8] = {};
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(file, text, sizeof text, &got, nullptr));
  EXPECT_EQ(std::string(text, got), "map");
  CloseHandle(file);

  EXPECT_TRUE(CopyFileW(u"C:\\maps\\trailing\uF02E\uF020", u"C:\\maps\\copy\uF03F", TRUE));
  EXPECT_EQ(Get("maps/copy?"), "dot and space");
  EXPECT_TRUE(MoveFileExW(u"C:\\maps\\copy\uF03F", u"C:\\maps\\moved\uF02E", 0));
  EXPECT_TRUE(Exists("maps/moved."));
  EXPECT_NE(GetFileAttributesW(u"C:\\maps\\moved\uF02E"), INVALID_FILE_ATTRIBUTES);
}

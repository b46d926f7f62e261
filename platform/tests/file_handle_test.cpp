// CreateFileW and the handle operations: dispositions, sharing, locks, pointers.
#include "file_test_support.h"
#include "win/fileapi.h"

namespace {

HANDLE Open(const char16_t* name, DWORD access, DWORD share, DWORD disposition) {
  return CreateFileW(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class FileHandle : public TempDriveTest {};

TEST_F(FileHandle, WritesLandUnderTheMappedDriveFolder) {
  ASSERT_TRUE(CreateDirectoryW(u"C:\\a", nullptr));
  HANDLE h = Open(u"C:\\a\\b.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), 0u);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(h, "hello", 5, &written, nullptr));
  EXPECT_EQ(written, 5u);
  ASSERT_TRUE(CloseHandle(h));
  EXPECT_EQ(Get("a/b.txt"), "hello");

  // Reopening an existing file with CREATE_ALWAYS or OPEN_ALWAYS reports 183 and succeeds.
  h = Open(u"c:/A/B.TXT", GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  char buf[8] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read, nullptr));
  EXPECT_EQ(std::string(buf, read), "hello");
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read, nullptr));  // at the end: success, nothing read
  EXPECT_EQ(read, 0u);
  CloseHandle(h);
}

TEST_F(FileHandle, DispositionsAndTheirErrors) {
  Put("exists.txt", "x");
  struct Case {
    const char16_t* name;
    DWORD disposition;
    DWORD error;
  } cases[] = {
      {u"C:\\exists.txt", CREATE_NEW, ERROR_FILE_EXISTS},
      {u"C:\\missing.txt", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
      {u"C:\\nodir\\x.txt", OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
      {u"C:\\nodir\\x.txt", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {u"C:\\missing.txt", TRUNCATE_EXISTING, ERROR_FILE_NOT_FOUND},
      {u"C:\\exists.txt", 0, ERROR_INVALID_PARAMETER},
      {u"C:\\*.txt", OPEN_EXISTING, ERROR_INVALID_NAME},
      {u"Q:\\x.txt", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {u"C:\\", OPEN_EXISTING, ERROR_ACCESS_DENIED},  // a folder, without backup semantics
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(Open(c.name, GENERIC_READ | GENERIC_WRITE, 0, c.disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error) << std::u16string(c.name).size() << " disposition " << c.disposition;
  }
  HANDLE h = Open(u"C:\\exists.txt", GENERIC_WRITE, 0, TRUNCATE_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_EQ(Get("exists.txt"), "");
}

TEST_F(FileHandle, ShareModesAreEnforcedBetweenHandles) {
  Put("s.txt", "data");
  HANDLE reader = Open(u"C:\\s.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  HANDLE second = Open(u"C:\\s.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  CloseHandle(second);
  EXPECT_EQ(Open(u"C:\\s.txt", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(Get("s.txt"), "data");  // the refused CREATE_ALWAYS truncated nothing
  EXPECT_FALSE(DeleteFileW(u"C:\\s.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(MoveFileW(u"C:\\s.txt", u"C:\\t.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(reader);
  EXPECT_TRUE(DeleteFileW(u"C:\\s.txt"));

  // Handles from a closed file no longer count; a bad handle is refused.
  EXPECT_FALSE(CloseHandle(reader));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FileHandle, ReadOnlyFilesRefuseWritersEvenForTheSuperuser) {
  HANDLE h = CreateFileW(u"C:\\ro.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(WriteFile(h, "x", 1, nullptr, nullptr));  // the creating handle may write
  CloseHandle(h);
  EXPECT_TRUE(GetFileAttributesW(u"C:\\ro.txt") & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Open(u"C:\\ro.txt", GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(DeleteFileW(u"C:\\ro.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileW(u"C:\\ro.txt"));
}

TEST_F(FileHandle, PointerSizeAndEndOfFile) {
  HANDLE h = Open(u"C:\\p.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, nullptr, nullptr));
  EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_END), 6u);
  EXPECT_EQ(SetFilePointer(h, -7, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 6u);  // a refused move moves nothing
  LONG high = 1;                                               // 4 GiB + 2: beyond 32 bits, allowed with a high part
  EXPECT_EQ(SetFilePointer(h, 2, &high, FILE_BEGIN), 2u);
  EXPECT_EQ(high, 1);
  EXPECT_EQ(SetFilePointer(h, 3, nullptr, FILE_BEGIN), 3u);
  ASSERT_TRUE(SetEndOfFile(h));
  DWORD sizeHigh = 9;
  EXPECT_EQ(GetFileSize(h, &sizeHigh), 3u);
  EXPECT_EQ(sizeHigh, 0u);
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 3);
  EXPECT_TRUE(FlushFileBuffers(h));
  CloseHandle(h);

  h = Open(u"C:\\p.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(WriteFile(h, "x", 1, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(SetEndOfFile(h));
  CloseHandle(h);
}

TEST_F(FileHandle, LocksAreExclusiveAndBlockOtherHandles) {
  Put("l.bin", std::string(100, 'x'));
  DWORD rw = GENERIC_READ | GENERIC_WRITE, share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE a = Open(u"C:\\l.bin", rw, share, OPEN_EXISTING), b = Open(u"C:\\l.bin", rw, share, OPEN_EXISTING);
  ASSERT_TRUE(LockFile(a, 10, 0, 10, 0));
  EXPECT_FALSE(LockFile(a, 15, 0, 1, 0));  // not re-entrant, even on the same handle
  EXPECT_FALSE(LockFile(b, 19, 0, 5, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LOCK_VIOLATION));
  EXPECT_TRUE(LockFile(b, 20, 0, 5, 0));  // adjacent ranges do not overlap

  char buf[16];
  DWORD n;
  SetFilePointer(b, 5, nullptr, FILE_BEGIN);
  EXPECT_FALSE(ReadFile(b, buf, 10, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LOCK_VIOLATION));
  SetFilePointer(a, 5, nullptr, FILE_BEGIN);
  EXPECT_TRUE(ReadFile(a, buf, 10, &n, nullptr));  // the owner may

  EXPECT_FALSE(UnlockFile(a, 10, 0, 5, 0));  // only the exact range unlocks
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
  EXPECT_TRUE(UnlockFile(a, 10, 0, 10, 0));
  SetFilePointer(b, 5, nullptr, FILE_BEGIN);
  EXPECT_TRUE(ReadFile(b, buf, 10, &n, nullptr));
  CloseHandle(b);
  EXPECT_TRUE(LockFile(a, 20, 0, 5, 0));  // closing a handle drops its locks
  CloseHandle(a);
}

TEST_F(FileHandle, DeleteOnCloseRemovesTheFileWithTheLastHandle) {
  HANDLE h = CreateFileW(u"C:\\t.tmp", GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE,
                         nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Exists("t.tmp"));
  CloseHandle(h);
  EXPECT_FALSE(Exists("t.tmp"));
}

}  // namespace

// Threads, events, waits, the test clock, memory blocks, environment and command line.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "kx2/Clock.h"
#include "win/kernel.h"

namespace {

DWORD WINAPI WaitThenReturn(LPVOID param) {
  HANDLE go = static_cast<HANDLE>(param);
  return WaitForSingleObject(go, 5000) == WAIT_OBJECT_0 ? 42 : 1;
}

TEST(KernelThreads, ThreadsSignalWhenTheyEndAndKeepTheirExitCode) {
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE t = CreateThread(nullptr, 0, WaitThenReturn, go, 0, &id);
  ASSERT_NE(t, nullptr);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(GetThreadId(t), id);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(t, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(t, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(t, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  GetExitCodeThread(t, &code);
  EXPECT_EQ(code, 42u);
  CloseHandle(t);
  CloseHandle(go);

  // A suspended thread runs only once resumed; ExitThread sets the code.
  static std::atomic<bool> ran{false};
  auto body = [](LPVOID) -> DWORD {
    ran = true;
    ExitThread(7);
  };
  t = CreateThread(nullptr, 0, body, nullptr, CREATE_SUSPENDED, nullptr);
  EXPECT_EQ(WaitForSingleObject(t, 20), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_FALSE(ran);
  EXPECT_EQ(ResumeThread(t), 1u);
  EXPECT_EQ(WaitForSingleObject(t, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  GetExitCodeThread(t, &code);
  EXPECT_EQ(code, 7u);
  CloseHandle(t);
}

TEST(KernelThreads, EventsResetAsTheirKindSays) {
  HANDLE autoReset = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  HANDLE manual = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(autoReset, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(autoReset, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  ResetEvent(manual);
  HANDLE both[2] = {autoReset, manual};
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(manual);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), static_cast<DWORD>(WAIT_OBJECT_0 + 1));
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(autoReset);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), static_cast<DWORD>(WAIT_OBJECT_0));

  HANDLE named = CreateEventW(nullptr, TRUE, FALSE, u"kx2-test-event");
  EXPECT_EQ(GetLastError(), 0u);
  HANDLE again = CreateEventW(nullptr, TRUE, FALSE, u"kx2-test-event");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  SetEvent(again);
  EXPECT_EQ(WaitForSingleObject(named, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  for (HANDLE h : {autoReset, manual, named, again}) CloseHandle(h);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(KernelClock, ManualClockDrivesTheTickCountAndListeners) {
  Kx2ClockSetManual(TRUE, 0xFFFFFFF0ull);
  EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
  static ULONGLONG seen = 0;
  auto listener = [](ULONGLONG now, void*) { seen = now; };
  Kx2ClockAddListener(listener, nullptr);
  Kx2ClockAdvance(0x20);
  EXPECT_EQ(GetTickCount(), 0x10u);  // wraps at 32 bits, as on Windows
  EXPECT_EQ(GetTickCount64(), 0x100000010ull);
  EXPECT_EQ(seen, 0x100000010ull);
  Kx2ClockRemoveListener(listener, nullptr);
  Kx2ClockSetManual(FALSE, 0);
  EXPECT_FALSE(Kx2ClockIsManual());
}

TEST(KernelTime, FileTimeConversionsRoundTrip) {
  SYSTEMTIME st = {2010, 3, 0, 4, 5, 6, 7, 890};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  SYSTEMTIME back;
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  EXPECT_EQ(back.wDayOfWeek, 4);  // a Thursday
  EXPECT_EQ(back.wMilliseconds, 890);
  EXPECT_EQ(back.wSecond, 7);
  WORD date, time;
  ASSERT_TRUE(FileTimeToDosDateTime(&ft, &date, &time));
  EXPECT_EQ(date, (30 << 9) | (3 << 5) | 4);
  EXPECT_EQ(time, (5 << 11) | (6 << 5) | 3);
  FILETIME epoch = {0, 0};
  EXPECT_FALSE(FileTimeToDosDateTime(&epoch, &date, &time));  // before 1980
  SYSTEMTIME bad = {2011, 2, 0, 29, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
  FILETIME unix = {0xD53E8000u, 0x019DB1DEu};  // 1970-01-01
  ASSERT_TRUE(FileTimeToSystemTime(&unix, &back));
  EXPECT_EQ(back.wYear, 1970);
  EXPECT_EQ(back.wDayOfWeek, 4);
}

TEST(KernelMemory, MoveableBlocksLockAndGrow) {
  HGLOBAL h = GlobalAlloc(GHND, 16);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 16u);
  auto* p = static_cast<char*>(GlobalLock(h));
  EXPECT_EQ(p[15], 0);
  std::memcpy(p, "abc", 3);
  EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 1u);
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_EQ(GetLastError(), 0u);
  ASSERT_EQ(GlobalReAlloc(h, 4096, GMEM_ZEROINIT), h);
  p = static_cast<char*>(GlobalLock(h));
  EXPECT_EQ(std::string(p, 3), "abc");
  EXPECT_EQ(p[4095], 0);
  EXPECT_EQ(GlobalHandle(p), h);
  GlobalUnlock(h);
  EXPECT_EQ(GlobalFree(h), nullptr);
  EXPECT_EQ(GlobalSize(h), 0u);  // a freed handle is refused, not dereferenced

  HLOCAL fixed = LocalAlloc(LPTR, 8);
  EXPECT_EQ(LocalLock(fixed), fixed);
  EXPECT_EQ(LocalSize(fixed), 8u);
  EXPECT_EQ(LocalFree(fixed), nullptr);
}

TEST(KernelEnvironment, NamesIgnoreCaseAndExpansionKeepsUnknowns) {
  ASSERT_TRUE(SetEnvironmentVariableW(u"Kx2_Test_Var", u"value"));
  WCHAR buf[32];
  EXPECT_EQ(GetEnvironmentVariableW(u"KX2_TEST_VAR", buf, 32), 5u);
  EXPECT_EQ(std::u16string(buf), u"value");
  EXPECT_EQ(GetEnvironmentVariableW(u"kx2_test_var", buf, 3), 6u);
  EXPECT_EQ(ExpandEnvironmentStringsW(u"a%KX2_TEST_VAR%b%NOPE_X%c%", buf, 32), 18u);
  EXPECT_EQ(std::u16string(buf), u"avalueb%NOPE_X%c%");
  ASSERT_TRUE(SetEnvironmentVariableW(u"KX2_TEST_VAR", nullptr));
  EXPECT_EQ(GetEnvironmentVariableW(u"Kx2_Test_Var", buf, 32), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

TEST(KernelCommandLine, SplitsByTheWindowsRules) {
  struct Case {
    const char16_t* line;
    std::vector<std::u16string> args;
  } cases[] = {
      {u"\"C:\\Program Files\\a.exe\" x \"y z\"", {u"C:\\Program Files\\a.exe", u"x", u"y z"}},
      {u"p a\\\\\\\"b c\\d", {u"p", u"a\\\"b", u"c\\d"}},
      {u"p \"a\\\\\" b", {u"p", u"a\\", u"b"}},
      {u"p \"a\"\"b\"  \"\"", {u"p", u"a\"b", u""}},
      {u"C:\\dir\\p.exe\targ", {u"C:\\dir\\p.exe", u"arg"}},
  };
  for (const Case& c : cases) {
    int n = 0;
    LPWSTR* argv = CommandLineToArgvW(c.line, &n);
    ASSERT_NE(argv, nullptr);
    std::vector<std::u16string> got(argv, argv + n);
    EXPECT_EQ(got, c.args);
    EXPECT_EQ(argv[n], nullptr);
    LocalFree(argv);
  }
  int n = 0;
  LPWSTR* own = CommandLineToArgvW(GetCommandLineW(), &n);
  EXPECT_GE(n, 1);
  EXPECT_EQ(std::u16string(own[0]).substr(1, 2), u":\\");  // the program as a Windows path
  LocalFree(own);

  Kx2SetCommandLine(u"\"C:\\host.exe\" -x \"a b\"");
  own = CommandLineToArgvW(GetCommandLineW(), &n);
  ASSERT_EQ(n, 3);
  EXPECT_EQ(std::u16string(own[2]), u"a b");
  LocalFree(own);

  OSVERSIONINFOW v = {sizeof v};
  ASSERT_TRUE(GetVersionExW(&v));
  EXPECT_EQ(v.dwMajorVersion, 6u);
}

}  // namespace

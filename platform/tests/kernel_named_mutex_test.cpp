// Named mutexes across processes: a name one process holds open is seen by another.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "kx2/Utf.h"
#include "kx2test/ChildProcess.h"
#include "win/kernel.h"

namespace fs = std::filesystem;

namespace {

// Run in a child: what it finds of the parent's mutex.
TEST(NamedMutexChild, FindsHeld) {
  if (!kx2test::InChild()) GTEST_SKIP() << "run by NamedMutex tests";
  std::u16string name = u"Fennic_Mutex_Tal\u00f6ria/" + kx2::Utf8ToUtf16(std::getenv("KX2TEST_PARENT"));
  HANDLE opened = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str());
  ASSERT_NE(opened, nullptr);
  HANDLE created = CreateMutexW(nullptr, TRUE, name.c_str());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(created);
  CloseHandle(opened);
}

TEST(NamedMutexChild, FindsNone) {
  if (!kx2test::InChild()) GTEST_SKIP() << "run by NamedMutex tests";
  std::u16string name = u"Fennic_Mutex_Tal\u00f6ria/" + kx2::Utf8ToUtf16(std::getenv("KX2TEST_PARENT"));
  EXPECT_EQ(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  HANDLE created = CreateMutexW(nullptr, TRUE, name.c_str());
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  CloseHandle(created);
}

TEST(NamedMutex, SeenByOtherProcessesWhileHeldOpen) {
  fs::path run = fs::path(testing::TempDir()) / ("kx2-run-" + std::to_string(getpid()));
  ::setenv("KX2_RUN_DIR", run.c_str(), 1);
  std::u16string name = u"Fennic_Mutex_Tal\u00f6ria/" + kx2::Utf8ToUtf16(std::to_string(getpid()));
  kx2test::Environment environment{{"KX2_RUN_DIR", run.string()}, {"KX2TEST_PARENT", std::to_string(getpid())}};

  EXPECT_EQ(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str()), nullptr);
  HANDLE held = CreateMutexW(nullptr, TRUE, name.c_str());
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  // Within the process the same object is found.
  HANDLE again = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str());
  EXPECT_NE(again, nullptr);
  CloseHandle(again);

  auto found = kx2test::RunInChild("NamedMutexChild.FindsHeld", environment);
  EXPECT_TRUE(found.Passed()) << found.output;
  ReleaseMutex(held);
  CloseHandle(held);
  auto none = kx2test::RunInChild("NamedMutexChild.FindsNone", environment);
  EXPECT_TRUE(none.Passed()) << none.output;
  ::unsetenv("KX2_RUN_DIR");
  fs::remove_all(run);
}

}  // namespace

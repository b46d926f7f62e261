// ShellExecuteExW: a program started here gives a waitable process handle with its exit
// code; other files still go to the opener.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "kx2/Utf.h"
#include "win/kernel.h"
#include "win/shell_execute.h"

namespace fs = std::filesystem;

namespace {

class ShellExecuteExTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(testing::TempDir()) / ("shellex-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::u16string Script(const std::string& name, const std::string& body) {
    fs::path file = folder_ / name;
    std::ofstream(file) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(file, fs::perms::owner_all);
    return u"Z:" + kx2::Utf8ToUtf16(file.string());
  }

  fs::path folder_;
};

TEST_F(ShellExecuteExTest, ProgramHandleWaitsAndGivesTheExitCode) {
  std::u16string program = Script("Exit.exe", "test \"$1\" = 'a \"b\"' && test \"$2\" = 'c\\' && exit 7; exit 1");
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = u"open";
  info.lpFile = program.c_str();
  info.lpParameters = u"\"a \\\"b\\\"\" \"c\\\\\"";
  info.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExW(&info));
  ASSERT_NE(info.hProcess, nullptr);
  EXPECT_GT(reinterpret_cast<intptr_t>(info.hInstApp), 32);
  ASSERT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_FALSE(GetExitCodeProcess(info.hProcess, &code));
}

TEST_F(ShellExecuteExTest, NonProgramsAndBadRecordsFail) {
  std::u16string notRunnable = u"Z:" + kx2::Utf8ToUtf16((folder_ / "Plain.exe").string());
  std::ofstream(folder_ / "Plain.exe") << "data";
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = notRunnable.c_str();
  ::unsetenv("KX2_SHELL_OPENER");
  EXPECT_FALSE(ShellExecuteExW(&info));  // to the opener, and there is none
  EXPECT_EQ(info.hProcess, nullptr);
  info.cbSize = 12;
  EXPECT_FALSE(ShellExecuteExW(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace

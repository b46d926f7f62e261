// The usage-report launcher: run counting under one registry transaction (also across
// processes), finding the report program, its arguments arriving intact, no zombies; and
// the update check loading the launcher by full path.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fennic/Launcher.h>
#include <kx2/Registry.h>
#include <kx2/Utf.h>
#include <kx2test/ChildProcess.h>
#include <renewal/Renewal.h>
#include <win/fileapi.h>
#include <win/registry.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Records its arguments, NUL-separated, in a file named after its process id.
constexpr char kRecorder[] =
    "#!/bin/sh\n"
    "out=\"$(dirname \"$0\")/args.$$\"\n"
    "printf '%s\\0' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n";

const std::u16string kKey = u"Software\\Taloria\\Fennic\\1.6.0.0_en-US_1";

class LauncherTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(testing::TempDir()) / ("fennic-" + std::to_string(::getpid()) + "-" +
                                              testing::UnitTest::GetInstance()->current_test_info()->name());
    if (!kx2test::InChild()) fs::remove_all(folder_);
    // A child works in its parent's folders, passed in its environment.
    if (kx2test::InChild()) return;
    for (const char* sub : {"registry", "appdata", "common", "programs"}) fs::create_directories(folder_ / sub);
    Set("KX2_REGISTRY", folder_ / "registry");
    Set("KX2_APPDATA", folder_ / "appdata");
    Set("KX2_COMMON_APPDATA", folder_ / "common");
    Set("KX2_PROGRAM_FILES", folder_ / "programs");
    Kx2RegistryReset();
  }
  void TearDown() override {
    Kx2RegistryReset();
    for (const char* name : {"KX2_REGISTRY", "KX2_APPDATA", "KX2_COMMON_APPDATA", "KX2_PROGRAM_FILES"})
      ::unsetenv(name);
    if (!kx2test::InChild()) fs::remove_all(folder_);
  }
  static void Set(const char* name, const fs::path& value) { ::setenv(name, value.c_str(), 1); }

  fs::path InstallRecorder(const fs::path& root) {
    fs::path dir = root / "Taloria" / "Fennic";
    fs::create_directories(dir);
    std::ofstream(dir / "Fennic.exe") << kRecorder;
    fs::permissions(dir / "Fennic.exe", fs::perms::owner_all);
    return dir;
  }

  static DWORD RunCount() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD value = 0, size = sizeof value, type = 0;
    RegQueryValueExW(key, u"RunCount", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size);
    RegCloseKey(key);
    return value;
  }

  static void Run(LPCWSTR endpoint = u"http://127.0.0.1/UpdateService.asmx") {
    Fennic_Run(u"Taloria", u"1.6.0.0", u"en-US", u"1", endpoint);
  }

  // The arguments the recorder received (waits for its file), and its process id.
  static std::pair<std::vector<std::string>, pid_t> Recorded(const fs::path& dir) {
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      for (const auto& entry : fs::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("args.", 0) != 0 || name.find(".tmp") != std::string::npos) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<std::string> args;
        std::string arg;
        while (std::getline(in, arg, '\0')) args.push_back(arg);
        return {args, static_cast<pid_t>(std::stol(name.substr(5)))};
      }
      std::this_thread::yield();
    }
    return {};
  }

  fs::path folder_;
};

TEST_F(LauncherTest, TwoRunsCountTwoAndStartTheProgramWithItsArguments) {
  fs::path dir = InstallRecorder(folder_ / "appdata");
  Run(u"http://h/a b\\\"c\\");
  auto [args, pid] = Recorded(dir);
  EXPECT_EQ(args, (std::vector<std::string>{"Taloria", "1.6.0.0", "en-US", "1", "http://h/a b\\\"c\\"}));
  // The platform reaps the program: no zombie stays behind.
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while (pid > 0 && ::kill(pid, 0) == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  EXPECT_NE(::kill(pid, 0), 0);
  Run();
  EXPECT_EQ(RunCount(), 2u);
}

TEST_F(LauncherTest, ArgumentsReachTheProgramIntact) {
  const std::u16string cases[] = {u"", u"a b", u"say \"hi\"", u"C:\\dir\\", u"\\\\server\\share\\\"", u"tab\there"};
  for (const std::u16string& text : cases) {
    std::u16string line = u"x " + fennic::QuoteArgument(text);
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_EQ(count, 2) << kx2::Utf16ToUtf8(text);
    EXPECT_EQ(std::u16string(argv[1]), text);
    LocalFree(argv);
  }
}

TEST_F(LauncherTest, ProgramPathAndExistence) {
  EXPECT_EQ(fennic::ProgramPath(u"C:\\Users\\me\\AppData\\", u"Taloria"),
            u"C:\\Users\\me\\AppData\\Taloria\\Fennic\\Fennic.exe");
  EXPECT_EQ(fennic::ProgramPath(u"C:\\Users\\me\\AppData", u"Taloria"),
            u"C:\\Users\\me\\AppData\\Taloria\\Fennic\\Fennic.exe");
  fs::path wide = folder_ / "프로필 Δ";
  InstallRecorder(wide);
  std::u16string path = u"Z:" + kx2::Utf8ToUtf16((wide / "Taloria" / "Fennic" / "Fennic.exe").string());
  EXPECT_TRUE(fennic::FileExists(path));
  EXPECT_TRUE(fennic::FileExists(u"\"" + path + u"\""));
  EXPECT_FALSE(fennic::FileExists(path + u"x"));
}

TEST_F(LauncherTest, ProfileOutsideTheAnsiCodePageAndTheCommonFolder) {
  fs::path wide = folder_ / "프로필";
  Set("KX2_APPDATA", wide);
  fs::path dir = InstallRecorder(wide);
  Run();
  EXPECT_EQ(Recorded(dir).first.size(), 5u);

  fs::remove_all(wide);
  fs::path common = InstallRecorder(folder_ / "common");
  Run();
  EXPECT_EQ(Recorded(common).first.size(), 5u);
  EXPECT_EQ(RunCount(), 2u);
}

TEST_F(LauncherTest, NoProgramStillCounts) {
  Run();
  EXPECT_EQ(RunCount(), 1u);
}

TEST_F(LauncherTest, EightProcessesAtOnceCountEight) {
  if (kx2test::InChild()) {
    Run();
    return;
  }
  std::vector<std::unique_ptr<kx2test::ChildProcess>> children;
  for (int i = 0; i < 8; ++i)
    children.push_back(std::make_unique<kx2test::ChildProcess>(
        "LauncherTest.EightProcessesAtOnceCountEight",
        kx2test::Environment{{"KX2_REGISTRY", (folder_ / "registry").string()},
                             {"KX2_APPDATA", (folder_ / "appdata").string()},
                             {"KX2_COMMON_APPDATA", (folder_ / "common").string()}}));
  for (auto& child : children) EXPECT_TRUE(child->Wait().Passed()) << child->Wait().output;
  Kx2RegistryReset();
  EXPECT_EQ(RunCount(), 8u);
}

TEST_F(LauncherTest, RegistryUpdateRollsBackAndNests) {
  ASSERT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_INVALID_FUNCTION);
  ASSERT_EQ(Kx2RegBeginUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  ASSERT_EQ(Kx2RegBeginUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  Run();
  EXPECT_EQ(RunCount(), 1u);
  // Another thread waits for the update to end.
  DWORD seen = 99;
  std::thread other([&] { seen = RunCount(); });
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, FALSE), ERROR_SUCCESS);
  other.join();
  EXPECT_EQ(seen, 0u);
  EXPECT_EQ(RunCount(), 0u);
}

TEST_F(LauncherTest, InitOnlineUpdateLoadsTheLauncherByFullPath) {
  EXPECT_EQ(InitOnlineUpdate(nullptr, u"1.6.0.0", u"1"), 0);  // no launcher installed
  const char* bin = std::getenv("KX2_BIN_DIR");
  ASSERT_NE(bin, nullptr);
  fs::path built = fs::path(bin) / "ProgramFiles" / "Taloria" / "Fennic" / "Fennic.dll";
  ASSERT_TRUE(fs::exists(built));
  fs::path dir = folder_ / "programs" / "Taloria" / "Fennic";
  fs::create_directories(dir);
  fs::copy_file(built, dir / "Fennic.dll");
  fs::path recorder = InstallRecorder(folder_ / "appdata");
  char16_t before[MAX_PATH], after[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  ::setenv("KX2_FENNIC_SERVICE", "http://127.0.0.1:9/UpdateService.asmx", 1);
  EXPECT_EQ(InitOnlineUpdate(nullptr, u"1.6.0.0", u"1"), 1);
  ::unsetenv("KX2_FENNIC_SERVICE");
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_EQ(std::u16string(before), std::u16string(after));
  EXPECT_EQ(Recorded(recorder).first,
            (std::vector<std::string>{"Taloria", "1.6.0.0", "en-US", "1", "http://127.0.0.1:9/UpdateService.asmx"}));
  EXPECT_EQ(RunCount(), 1u);

  // A library without the export (in another folder: the launcher stays loaded).
  fs::path other = folder_ / "programs2" / "Taloria" / "Fennic";
  fs::create_directories(other);
  fs::copy_file(fs::path(bin) / "libRenewal_Enu.so", other / "Fennic.dll");
  Set("KX2_PROGRAM_FILES", folder_ / "programs2");
  EXPECT_EQ(InitOnlineUpdate(nullptr, u"1.6.0.0", u"1"), 0);
}

}  // namespace

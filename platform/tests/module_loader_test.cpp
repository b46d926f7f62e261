// Loading libraries by Windows path, exports by name and by ordinal, module handles and
// file names, and a library's own resources.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "kx2/Module.h"
#include "kx2/PathMap.h"
#include "win/kernel.h"
#include "win/module.h"
#include "win/resource.h"
#include "win/shell.h"

namespace {

std::string BinDir() {
  const char* env = getenv("KX2_BIN_DIR");
  return env && *env ? env : KX2_BIN_DIR;
}

// The probe library (platform/tools/module_probe), loaded for each test.
class Probe : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::canonical(BinDir() + "/libKx2ModuleProbe.so").string();
    module_ = LoadLibraryW(kx2::ToWindowsPath(path_).c_str());
    ASSERT_NE(module_, nullptr) << GetLastError();
  }
  void TearDown() override {
    if (module_) {
      EXPECT_TRUE(FreeLibrary(module_));
    }
  }

  template <class F>
  F* Proc(LPCSTR name) {
    return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  std::string path_;
  HMODULE module_ = nullptr;
};

TEST_F(Probe, ExportsByNameAndByOrdinal) {
  auto* answer = Proc<int()>("ProbeAnswer");
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(Proc<int()>(MAKEINTRESOURCEA(5)), answer);
  auto* other = Proc<int()>(MAKEINTRESOURCEA(6));
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other(), 7);

  // An ordinal not in the table, one whose name is not exported, and ordinal 0.
  for (WORD ordinal : {7, 9, 0}) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module_, MAKEINTRESOURCEA(ordinal)), nullptr) << ordinal;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  }
  // Only the library's own exports: not those of the libraries it uses.
  EXPECT_EQ(GetProcAddress(module_, "Kx2ModuleFromAddress"), nullptr);
  EXPECT_EQ(GetProcAddress(module_, "malloc"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  // A library without an ordinal table has no ordinals.
  HMODULE shell = LoadLibraryW(u"SHELL32.dll");
  ASSERT_NE(shell, nullptr);
  EXPECT_EQ(GetProcAddress(shell, MAKEINTRESOURCEA(5)), nullptr);
  EXPECT_TRUE(FreeLibrary(shell));
}

TEST_F(Probe, HandlesAndFileNames) {
  EXPECT_EQ(LoadLibraryW(kx2::ToWindowsPath(path_).c_str()), module_) << "one record per library";
  EXPECT_TRUE(FreeLibrary(module_));

  // A library's own handle, from an address inside it.
  auto* own = Proc<HMODULE()>("ProbeOwnModule");
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own(), module_);
  EXPECT_EQ(Kx2ThisModule(), GetModuleHandleW(nullptr)) << "this test program is the main module";

  EXPECT_EQ(GetModuleHandleW(u"libKx2ModuleProbe.so"), module_);
  EXPECT_EQ(GetModuleHandleW(u"KX2MODULEPROBE.DLL"), module_);
  EXPECT_EQ(GetModuleHandleW(kx2::ToWindowsPath(path_).c_str()), module_);
  EXPECT_EQ(GetModuleHandleW(u"NoSuchModule.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

  const std::u16string expected = kx2::ToWindowsPath(path_);
  ASSERT_EQ(expected.substr(0, 3), u"Z:\\");
  char16_t name[MAX_PATH];
  ASSERT_EQ(GetModuleFileNameW(module_, name, MAX_PATH), expected.size());
  EXPECT_EQ(std::u16string(name), expected);
  // A short buffer: truncated, terminated, the buffer's size and ERROR_INSUFFICIENT_BUFFER.
  char16_t shortName[8];
  EXPECT_EQ(GetModuleFileNameW(module_, shortName, 8), 8u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::u16string(shortName), expected.substr(0, 7));

  ASSERT_GT(GetModuleFileNameW(nullptr, name, MAX_PATH), 0u);
  EXPECT_EQ(std::u16string(name), kx2::ToWindowsPath(std::filesystem::canonical("/proc/self/exe").string()));
}

TEST_F(Probe, OwnResourcesLieBesideTheLibrary) {
  char16_t text[64];
  ASSERT_EQ(LoadStringW(module_, 100, text, 64), 18);
  EXPECT_EQ(std::u16string(text), u"Probe's own string");
  // The test program carries none.
  EXPECT_EQ(LoadStringW(nullptr, 100, text, 64), 0);
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_STRING), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST(Modules, LoadFailuresAndStaleHandles) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"Z:\\no\\such\\library.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryW(u"kx2-no-such-library.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryW(u""), nullptr);

  // A file that is not a library.
  char pattern[] = "/tmp/kx2-mod-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string dir = pattern;
  std::ofstream(dir + "/text.dll") << "not a library";
  EXPECT_EQ(LoadLibraryW(kx2::ToWindowsPath(dir + "/text.dll").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
  // Loaded as data, a library without a container has no resources but loads.
  std::filesystem::copy_file(BinDir() + "/libKx2ModuleProbe.so", dir + "/copy.so");
  HMODULE data = LoadLibraryExW(kx2::ToWindowsPath(dir + "/copy.so").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(GetProcAddress(data, "ProbeAnswer"), nullptr) << "no code in a data file";
  EXPECT_EQ(FindResourceW(data, MAKEINTRESOURCEW(7), RT_STRING), nullptr);
  EXPECT_TRUE(FreeLibrary(data));
  // ... and with its container beside it, it has its resources.
  std::filesystem::copy_file(BinDir() + "/libKx2ModuleProbe.rsrc", dir + "/copy.rsrc");
  data = LoadLibraryExW(kx2::ToWindowsPath(dir + "/copy.so").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, nullptr);
  char16_t text[64];
  EXPECT_EQ(LoadStringW(data, 100, text, 64), 18);
  EXPECT_TRUE(FreeLibrary(data));
  std::filesystem::remove_all(dir);

  EXPECT_FALSE(FreeLibrary(data)) << "a freed handle is no longer one";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetProcAddress(data, "ProbeAnswer"), nullptr);
}

TEST(Modules, SystemLibraryNamesReachThePlatform) {
  HMODULE shell = LoadLibraryW(u"shell32.dll");
  ASSERT_NE(shell, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSpecialFolderPathW")),
            reinterpret_cast<void*>(&SHGetSpecialFolderPathW));
  EXPECT_EQ(GetModuleHandleW(u"KERNEL32"), shell);
  EXPECT_EQ(GetModuleHandleA("GDI32.DLL"), shell);
  EXPECT_TRUE(FreeLibrary(shell));
}

}  // namespace

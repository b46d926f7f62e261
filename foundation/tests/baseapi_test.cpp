// String resources, time texts, the command line and the version code.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <basalt/base_api.h>
#include <basalt/error.h>
#include <basalt/module.h>
#include <basalt/path_util.h>
#include <basalt/resource.h>
#include <kx2/PathMap.h>
#include <win/fileapi.h>
#include <win/kernel.h>
#include <win/module.h>

#include "system/win_version.h"

using Basalt::Util::BaseAPI;
using Basalt::Util::Resource;

namespace {

class TestStrings : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = BaseAPI::_LoadLibrary(u"BasaltTestRes.ENU", u"${Languages}\\ENU");
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override { BaseAPI::_FreeResource(module_); }
  std::u16string Load(unsigned id, int size = 64) {
    char16_t buf[64] = u"garbage";
    last_ = Resource::_LoadString(module_, id, buf, size);
    return buf;
  }
  HINSTANCE module_ = nullptr;
  int last_ = -1;
};

TEST_F(TestStrings, LoadString) {
  EXPECT_EQ(Load(1), u"ABC");  // "/u0041" becomes A
  EXPECT_EQ(last_, 3);
  EXPECT_EQ(Load(15), u"last of block one");
  EXPECT_EQ(Load(16), u"first of block two");
  EXPECT_EQ(Load(2, 6), u"plain");  // cut to size - 1
  EXPECT_EQ(last_, 5);
  EXPECT_EQ(Load(2, 1), u"");  // room for the terminator only
  EXPECT_EQ(last_, 0);
  EXPECT_EQ(Load(3), u"");     // an empty entry of an existing block
  EXPECT_EQ(Load(5000), u"");  // no such block
  EXPECT_EQ(last_, 0);
  char16_t untouched[2] = u"x";
  EXPECT_EQ(Resource::_LoadString(module_, 2, untouched, 0), 0);
  EXPECT_EQ(untouched[0], u'x');
}

TEST_F(TestStrings, ErrorAndWarningMessagesFromStrings) {
  Basalt::Error::BaseError::_SetErrorMesgID(module_, 100);
  Basalt::Error::tagKx2ErrorBuf buf;
  Basalt::Error::BaseError::_StoreError(&buf);
  EXPECT_EQ(buf.code, 1u);
  EXPECT_EQ(std::u16string(buf.text), u"English");
  Basalt::Error::BaseError::_ClearWarning();
  Basalt::Error::BaseError::_SetWarningMesgID(module_, 1);
  Basalt::Error::tagKx2ErrorDetail detail{};
  EXPECT_EQ(Basalt::Error::BaseError::_GetWarningDetail(&detail, 1), 0);
  EXPECT_EQ(std::u16string(detail.description), u"ABC");
}

TEST_F(TestStrings, LoadStringExPrefersTheLanguageModule) {
  tagModuleInfo info = {u"Kx2Mod.Test", u"BasaltTestRes", nullptr, module_, 999, 0, nullptr};
  char16_t buf[32];
  EXPECT_EQ(Resource::_LoadStringEx(&info, 100, buf, 32), 7);
  EXPECT_EQ(std::u16string(buf), u"English");
  info.resourceInstance = nullptr;
  info.instance = module_;
  EXPECT_EQ(Resource::_LoadStringEx(&info, 100, buf, 32), 7);
}

TEST(BaseApiTime, UtcFormat) {
  SYSTEMTIME t{2010, 3, 0, 4, 5, 6, 7, 0};
  char16_t out[32] = u"untouched";
  EXPECT_EQ(BaseAPI::_GetUTCFormat(&t, out, 20), 20);  // needs 21 units: nothing written
  EXPECT_EQ(std::u16string(out), u"untouched");
  EXPECT_EQ(BaseAPI::_GetUTCFormat(&t, out, 21), 20);
  EXPECT_EQ(std::u16string(out), u"2010-03-04T05:06:07Z");

  FILETIME now;
  BaseAPI::_GetFiletime(&now);
  EXPECT_NE(now.dwHighDateTime, 0u);
  char16_t text[MAX_PATH];
  EXPECT_EQ(BaseAPI::_GetFiletimeStr(text, &now, 1), 1);
  EXPECT_NE(std::u16string(text).find(u' '), std::u16string::npos);
  EXPECT_EQ(BaseAPI::_GetFiletimeStr(text, nullptr, 1), 0);
}

TEST(BaseApiProcess, ArgumentsAndLibraries) {
  char16_t arg[MAX_PATH];
  EXPECT_EQ(BaseAPI::_GetArgV(0, arg, MAX_PATH), 1);
  EXPECT_NE(std::u16string(arg).find(u"basalt_tests"), std::u16string::npos);
  EXPECT_EQ(BaseAPI::_GetArgV(100000, arg, MAX_PATH), 0);

  // A folder and a name that together exceed MAX_PATH are refused, not cut.
  std::u16string longFolder = u"C:\\" + std::u16string(255, u'f');
  EXPECT_EQ(BaseAPI::_LoadLibrary(u"BasaltTestRes.ENU", longFolder.c_str()), nullptr);
  EXPECT_EQ(BaseAPI::_LoadLibrary(u"NoSuchModule.ENU", u"${Languages}\\ENU"), nullptr);
  char16_t system[MAX_PATH];
  EXPECT_GT(BaseAPI::_GetSystemDirectory(system, MAX_PATH), 0u);
  EXPECT_EQ(BaseAPI::_GetModuleFileName(nullptr, arg, MAX_PATH), 1);
}

// A relative name is taken from the system folder, never from the current one, and the
// current folder (shared by every thread) stays as it was.
TEST(BaseApiProcess, LibrariesLoadByFullPathFromTheSystemFolder) {
  char posix[] = "/tmp/basalt_load_XXXXXX";
  ASSERT_TRUE(mkdtemp(posix));
  const std::u16string planted = kx2::ToWindowsPath(posix);
  char16_t before[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, before), 0u);
  char16_t system[MAX_PATH];
  ASSERT_GT(BaseAPI::_GetSystemDirectory(system, MAX_PATH), 0u);
  const std::u16string resource = u"Languages\\ENU\\BasaltTestRes.ENU";
  ASSERT_TRUE(
      CopyFileW((std::u16string(system) + u"\\" + resource).c_str(), (planted + u"\\Planted.ENU").c_str(), FALSE));
  ASSERT_TRUE(SetCurrentDirectoryW(planted.c_str()));

  HINSTANCE fromSystem = BaseAPI::_LoadLibrary(resource.c_str(), nullptr);
  EXPECT_NE(fromSystem, nullptr);
  EXPECT_EQ(BaseAPI::_LoadLibrary(u"Planted.ENU", nullptr), nullptr) << "the current folder is not searched";
  HINSTANCE byPath = BaseAPI::_LoadLibrary((planted + u"\\Planted.ENU").c_str(), nullptr);
  EXPECT_NE(byPath, nullptr);
  char16_t now[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, now), 0u);
  EXPECT_EQ(std::u16string(now), planted);

  if (fromSystem) FreeLibrary(fromSystem);
  if (byPath) FreeLibrary(byPath);
  SetCurrentDirectoryW(before);
  DeleteFileW((planted + u"\\Planted.ENU").c_str());
  RemoveDirectoryW(planted.c_str());
}

TEST(BaseApiVersion, Codes) {
  using Basalt::Util::detail::WinVersionCode;
  struct Case {
    DWORD platform, major, minor;
    unsigned code;
  } cases[] = {
      {0, 3, 1, 0},  {1, 4, 0, 1},  {1, 4, 10, 2}, {1, 4, 90, 3}, {2, 4, 0, 4},  {2, 3, 51, 4},
      {2, 5, 0, 5},  {2, 5, 1, 6},  {2, 5, 2, 7},  {2, 5, 3, 0},  {2, 6, 0, 8},  {2, 6, 1, 9},
      {2, 6, 2, 10}, {2, 6, 3, 10}, {2, 7, 2, 10}, {2, 10, 0, 0}, {2, 10, 1, 0}, {7, 6, 1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(WinVersionCode(c.platform, c.major, c.minor), c.code);
  EXPECT_STREQ(Basalt::Util::detail::OSVersionName(10), "Windows_Unknown_Version");
  EXPECT_STREQ(Basalt::Util::detail::OSVersionName(9), "Windows_7");
  EXPECT_STREQ(BaseAPI::_GetOSVersion(), Basalt::Util::detail::OSVersionName(_Kx2GetWinVersion()));
}

}  // namespace

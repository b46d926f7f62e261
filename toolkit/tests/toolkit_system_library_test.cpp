// One loader of system libraries for the toolkit's users.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include <kx2/PathMap.h>
#include <toolkit/SystemLibrary.h>
#include <win/fileapi.h>
#include <win/module.h>

namespace {

TEST(ToolkitSystemLibrary, LoadsFromTheSystemFolderAndLeavesTheCurrentOneAlone) {
  char dir[] = "/tmp/toolkit_sys_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  char16_t before[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, before), 0u);
  std::u16string here = kx2::ToWindowsPath(dir);
  ASSERT_TRUE(SetCurrentDirectoryW(here.c_str()));
  HMODULE basalt = ktk::LoadSystemLibrary(u"Basalt.dll");
  EXPECT_NE(basalt, nullptr);
  if (basalt) FreeLibrary(basalt);
  EXPECT_EQ(ktk::LoadSystemLibrary(u"NoSuchLibrary.dll"), nullptr);
  char16_t now[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, now), 0u);
  EXPECT_EQ(std::u16string(now), here);
  SetCurrentDirectoryW(before);
  rmdir(dir);
}

}  // namespace

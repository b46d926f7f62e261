// The start-up path variables, from a registry the test seeds and from an empty one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <basalt/module.h>
#include <basalt/path_util.h>
#include <basalt/resource.h>
#include <basalt/xml_registry.h>
#include <kx2/PathMap.h>
#include <kx2/Registry.h>
#include <kx2/Utf.h>
#include <win/fileapi.h>
#include <win/module.h>
#include <win/registry.h>

#include "module/own_instance.h"
#include "path/path_table.h"
#include "system/user_language.h"

using Basalt::Util::PathUtil;
namespace fs = std::filesystem;

namespace {

constexpr char16_t kShellFolders[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::u16string FolderOf(HMODULE module) {
  char16_t file[MAX_PATH];
  GetModuleFileNameW(module, file, MAX_PATH);
  std::u16string path(file);
  return path.substr(0, path.find_last_of(u'\\'));
}

void SetString(HKEY root, const char16_t* key, const char16_t* name, const std::u16string& value) {
  HKEY handle;
  ASSERT_EQ(RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * 2)),
            ERROR_SUCCESS);
  RegCloseKey(handle);
}

void DeleteValue(HKEY root, const char16_t* key, const char16_t* name) {
  HKEY handle;
  if (RegOpenKeyExW(root, key, 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS) return;
  RegDeleteValueW(handle, name);
  RegCloseKey(handle);
}

// Its own registry and drive C: in a fresh folder; the start-up table again afterwards.
class StartupPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("basalt-paths-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "reg");
    fs::create_directories(root_ / "c");
    for (const char* name : {"KX2_REGISTRY", "KX2_DRIVES"})
      if (const char* value = getenv(name)) saved_[name] = value;
    setenv("KX2_REGISTRY", (root_ / "reg").c_str(), 1);
    setenv("KX2_DRIVES", ("C=" + (root_ / "c").string()).c_str(), 1);
    Kx2RegistryReset();
    library_ = FolderOf(Basalt::Base::detail::OwnInstance());
  }
  void TearDown() override {
    unsetenv("KX2_DRIVE_TYPES");
    for (const char* name : {"KX2_REGISTRY", "KX2_DRIVES"}) {
      if (saved_.count(name))
        setenv(name, saved_[name].c_str(), 1);
      else
        unsetenv(name);
    }
    Kx2RegistryReset();
    fs::remove_all(root_);
    PathUtil::_CleanPath();
    PathUtil::_InitPath();
  }

  static std::vector<std::pair<std::u16string, std::u16string>> Table() {
    std::vector<std::pair<std::u16string, std::u16string>> out;
    for (const auto& v : Basalt::Util::detail::PathVariables()) out.emplace_back(v.name, v.path);
    return out;
  }

  void Restart() {
    PathUtil::_CleanPath();
    PathUtil::_InitPath();
  }

  fs::path root_;
  std::map<std::string, std::string> saved_;
  std::u16string library_;
};

TEST_F(StartupPaths, FromASeededRegistryInOrder) {
  SetString(HKEY_CURRENT_USER, kShellFolders, u"Local AppData", u"C:\\Users\\me\\Local");
  SetString(HKEY_CURRENT_USER, kShellFolders, u"AppData", u"C:\\Users\\me\\Roaming\\");
  SetString(HKEY_LOCAL_MACHINE, kShellFolders, u"Common AppData", u"C:\\ProgramData");
  SetString(HKEY_LOCAL_MACHINE, u"Software\\Taloria\\Shared\\Common", u"SharedData Path", u"C:\\Shared");
  fs::create_directories(root_ / "c/Shared/Fonts");
  std::ofstream(root_ / "c/Shared/Fonts/FontInfo.dat") << "fonts";
  Restart();

  const std::vector<std::pair<std::u16string, std::u16string>> expected = {
      {u"App", FolderOf(nullptr)},
      {u"Taloria1", library_},
      {u"Temp", u"C:\\Users\\me\\Local\\Taloria\\Temp"},
      {u"ProgramInfo", u"C:\\Users\\me\\Roaming\\Taloria\\Taloria1"},
      {u"Languages", library_ + u"\\Languages"},
      {u"UserData", u"C:\\Users\\me\\Roaming\\Taloria\\Taloria1\\ENU"},
      {u"Contents", u"C:\\Shared"},
      {u"AllUserData", u"C:\\ProgramData\\Taloria\\Taloria1"},
  };
  EXPECT_EQ(Table(), expected);
  EXPECT_EQ(PathUtil::_IsRegisterPath(u"Present"), 0);

  // Without the font file the shared folder is not taken.
  fs::remove(root_ / "c/Shared/Fonts/FontInfo.dat");
  Restart();
  EXPECT_EQ(Table()[6].second, library_ + u"\\Contents\\ENU");
}

TEST_F(StartupPaths, FallbacksWithAnEmptyRegistry) {
  for (const char16_t* name : {u"Local AppData", u"AppData"}) DeleteValue(HKEY_CURRENT_USER, kShellFolders, name);
  DeleteValue(HKEY_LOCAL_MACHINE, kShellFolders, u"Common AppData");
  Restart();
  auto table = Table();
  ASSERT_EQ(table.size(), 8u);
  EXPECT_EQ(table[2].second, library_ + u"\\Temp");
  EXPECT_EQ(table[3].second, library_ + u"\\AppData");
  EXPECT_EQ(table[5].second, library_ + u"\\AppData\\ENU");
  EXPECT_EQ(table[6].second, library_ + u"\\Contents\\ENU");
  EXPECT_EQ(table[7].second, library_ + u"\\SysData");

  // A library folder on a drive that is not fixed cannot hold temporary files: the
  // folders then hang off the temporary folder's fallback.
  std::u16string drive = library_.substr(0, 1);
  setenv("KX2_DRIVE_TYPES", (kx2::Utf16ToUtf8(drive) + "=removable").c_str(), 1);
  Restart();
  table = Table();
  EXPECT_EQ(table[2].second, u"\\Temp");
  EXPECT_EQ(table[3].second, u"\\Temp\\AppData");
  EXPECT_EQ(table[7].second, u"\\Temp\\SysData");
}

TEST_F(StartupPaths, HostHandedFolders) {
  PathUtil::_CleanPath();
  Basalt::Util::InitPathStruct items[] = {
      {0, u"C:\\Host\\"}, {2, u"C:\\Info"}, {9, u"C:\\Skipped"}, {4, u"C:\\Present\\"}};
  EXPECT_EQ(PathUtil::_InitPathIndirect(items, 4), 1);
  EXPECT_EQ(Table(), (std::vector<std::pair<std::u16string, std::u16string>>{{u"App", u"C:\\Host"},
                                                                             {u"ProgramInfo", u"C:\\Info"},
                                                                             {u"UserData", u"C:\\Info"},
                                                                             {u"Present", u"C:\\Present"}}));
  EXPECT_EQ(PathUtil::_InitPathIndirect(items, 0), 0);
  EXPECT_EQ(PathUtil::_InitPathIndirect(items + 2, 1), 9);  // a skipped kind gives the kind
  PathUtil::_InitPath();                                    // a table exists: start-up adds nothing
  EXPECT_EQ(Table().size(), 4u);
}

TEST_F(StartupPaths, ModuleFolders) {
  EXPECT_EQ(PathUtil::_RegisterModulePath(u"BasaltLib", Basalt::Base::detail::OwnInstance()), 1);
  char16_t out[MAX_PATH];
  PathUtil::_PathToAbsolute(u"${BasaltLib}", out);
  EXPECT_EQ(std::u16string(out), library_);
  EXPECT_EQ(PathUtil::_RegisterModulePath(nullptr, nullptr), 0);
}

}  // namespace

namespace {

// The user language comes from "VTL\Option" "Language" in "${ProgramInfo}\XMLRegistry.xml".
TEST(UserLanguage, FromTheSettingsFile) {
  fs::path root = fs::temp_directory_path() / ("basalt-lcid-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  Basalt::Util::PathUtil::_UnregisterPath(u"ProgramInfo");
  Basalt::Util::PathUtil::_RegisterPath(u"ProgramInfo", kx2::ToWindowsPath(root.string()).c_str());
  Basalt::Util::detail::SetUserLanguageReader(nullptr);
  EXPECT_EQ(Basalt::Util::Resource::_GetUserLCID(), 1033u);
  EXPECT_TRUE(fs::is_empty(root));  // reading makes no settings file
  {
    Basalt::XMLRegistry settings(u"VTL\\Option", Basalt::HROOT_XMLREGISTRY);
    settings.WriteStringValue(u"Language", u"1031");
  }
  EXPECT_EQ(Basalt::Util::Resource::_GetUserLCID(), 1031u);
  fs::remove(root / "XMLRegistry.xml");
  EXPECT_EQ(Basalt::Util::Resource::_GetUserLCID(), 1031u);  // a value read is kept
  Basalt::Util::detail::SetUserLanguageReader(nullptr);
  fs::remove_all(root);
  Basalt::Util::PathUtil::_CleanPath();
  Basalt::Util::PathUtil::_InitPath();
}

}  // namespace

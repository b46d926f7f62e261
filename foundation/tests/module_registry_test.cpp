// The module table: slots, module ids, hooks, walking, and refusing a second registration.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <basalt/error.h>
#include <basalt/module.h>
#include <basalt/path_util.h>
#include <basalt/resource.h>
#include <kx2/MessageBoxSink.h>
#include <kx2/PathMap.h>
#include <kx2/Utf.h>
#include <win/module.h>
#include <win/user.h>

#include "module/module_table.h"
#include "module/own_instance.h"
#include "system/user_language.h"

using Basalt::Base::Module;

namespace {

// Descriptors that need no language module, unregistered again when the test ends.
class ModuleTable : public ::testing::Test {
 protected:
  tagModuleInfo* Make(int32_t moduleId, const tagModuleHookEntry* hooks = nullptr,
                      uint32_t flags = kModuleFlagOwnResources | kModuleFlagQuiet) {
    auto info = std::make_unique<tagModuleInfo>();
    *info = {u"Kx2Mod.Test", nullptr, nullptr, nullptr, moduleId, flags, hooks};
    made_.push_back(std::move(info));
    return made_.back().get();
  }
  void TearDown() override {
    for (auto& m : made_) Module::_ExitModule(m.get());
  }
  std::vector<std::unique_ptr<tagModuleInfo>> made_;
};

int CountModules() {
  int n = 0;
  void* pos = Module::_GetFirstModule();
  while (pos && Module::_GetNextModule(&pos)) ++n;
  return n;
}

TEST_F(ModuleTable, SixtyFourSlotsCountingTheFoundation) {
  ASSERT_EQ(CountModules(), 1);  // the foundation's own record, in slot 0
  EXPECT_EQ(Module::_GetModuleDef(0)->id, std::u16string(u"Kx2Mod.Basalt.Main"));
  for (int i = 1; i < Basalt::Base::kModuleSlots; ++i) ASSERT_EQ(Module::_InitModule(Make(1000 + i)), 1) << i;
  tagModuleInfo* extra = Make(2000);
  EXPECT_EQ(Module::_InitModule(extra), 0);  // the 65th
  EXPECT_EQ(CountModules(), 64);
  EXPECT_EQ(extra->flags & kModuleFlagFailed, 0u);  // a full table is not a failed start
}

TEST_F(ModuleTable, DynamicModuleIdsFollowTheSlot) {
  ASSERT_EQ(Module::_InitModule(Make(7)), 1);
  ASSERT_EQ(Module::_InitModule(Make(8)), 1);
  tagModuleInfo* dynamic = Make(500);
  tagModuleInfo* fixed = Make(265);
  ASSERT_EQ(Module::_InitModule(dynamic), 1);
  ASSERT_EQ(Module::_InitModule(fixed), 1);
  EXPECT_EQ(dynamic->moduleId, 387);  // slot 3
  EXPECT_EQ(fixed->moduleId, 265);
  EXPECT_EQ(Module::_GetModuleDef(387), dynamic);
  EXPECT_EQ(Module::_GetModuleDef(12345), nullptr);
}

TEST_F(ModuleTable, WalkSkipsEmptySlotsAndEndsWithNull) {
  tagModuleInfo* a = Make(11);
  tagModuleInfo* b = Make(12);
  tagModuleInfo* c = Make(13);
  for (auto* m : {a, b, c}) ASSERT_EQ(Module::_InitModule(m), 1);
  Module::_ExitModule(b);
  std::vector<tagModuleInfo*> seen;
  void* pos = Module::_GetFirstModule();
  while (pos) seen.push_back(Module::_GetNextModule(&pos));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1], a);
  EXPECT_EQ(seen[2], c);
  EXPECT_EQ(pos, nullptr);
}

TEST_F(ModuleTable, SecondRegistrationOfTheSameRecordIsRefused) {
  tagModuleInfo* m = Make(20);
  ASSERT_EQ(Module::_InitModule(m), 1);
  EXPECT_EQ(Module::_InitModule(m), 0);
  EXPECT_EQ(CountModules(), 2);
  Module::_ExitModule(m);
  EXPECT_EQ(CountModules(), 1);  // nothing left pointing at it
  Module::_ExitModule(m);        // unregistered: nothing happens
}

std::vector<std::pair<int, int>> g_calls;

int Accept(tagModuleInfo*, int sub, int command, void*, int) {
  g_calls.emplace_back(sub, command);
  return 0;
}
int Refuse(tagModuleInfo*, int sub, int command, void*, int) {
  g_calls.emplace_back(sub, command);
  return command == kModuleHookStart ? -1 : 0;
}

TEST_F(ModuleTable, RefusedStartStopsTheHooksBeforeItInOrder) {
  const tagModuleHookEntry hooks[] = {{0, Accept}, {5, nullptr}, {1, Refuse}, {2, Accept}, {-1, nullptr}};
  tagModuleInfo* m = Make(30, hooks);
  g_calls.clear();
  EXPECT_EQ(Module::_InitModule(m), 0);
  EXPECT_EQ(g_calls, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 1}}));
  EXPECT_NE(m->flags & kModuleFlagFailed, 0u);
  EXPECT_EQ(CountModules(), 1);
  g_calls.clear();
  Module::_ExitModule(m);  // a failed module is ignored
  EXPECT_TRUE(g_calls.empty());

  const tagModuleHookEntry good[] = {{0, Accept}, {3, Accept}, {-1, nullptr}};
  tagModuleInfo* ok = Make(31, good);
  g_calls.clear();
  ASSERT_EQ(Module::_InitModule(ok), 1);
  Module::_ExitModule(ok);
  EXPECT_EQ(g_calls, (std::vector<std::pair<int, int>>{{0, 0}, {3, 0}, {0, 1}, {3, 1}}));
  EXPECT_EQ(Module::_GetSubModuleFunc(ok, 3), &Accept);
  EXPECT_EQ(Module::_GetSubModuleFunc(ok, 4), nullptr);
}

TEST(ModuleResourceExt, AlwaysEnu) {
  for (unsigned short language : {0x409, 0x407, 0x0, 0xFFFF}) {
    char16_t ext[8] = u"xxxxxxx";
    Module::_GetResourceExt(language, ext);
    EXPECT_EQ(std::u16string(ext), u"ENU");
  }
}

}  // namespace

// Language modules: the probe order and what a missing one does.
namespace fs = std::filesystem;

namespace {

uint32_t g_language = 0x409;
bool ReadLanguage(uint32_t* lcid) {
  *lcid = g_language;
  return true;
}

class LanguageModules : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("basalt-lang-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    const fs::path bin = fs::path(KX2_BIN_DIR) / "Languages";
    source_[u"ENU"] = bin / "ENU" / "BasaltTestRes.ENU";
    source_[u"DEU"] = bin / "DEU" / "BasaltTestRes.DEU";
    ASSERT_TRUE(fs::exists(source_[u"ENU"]) && fs::exists(source_[u"DEU"])) << "test language modules not built";
    char16_t saved[MAX_PATH];
    Basalt::Util::PathUtil::_PathToAbsolute(u"${Languages}", saved);
    savedLanguages_ = saved;
    Basalt::Util::PathUtil::_UnregisterPath(u"Languages");
    Basalt::Util::PathUtil::_RegisterPath(u"Languages", kx2::ToWindowsPath(root_.string()).c_str());
    Basalt::Util::detail::SetUserLanguageReader(ReadLanguage);
    Basalt::Error::BaseError::_ClearError();
    kx2::TakeMessageBoxes();
  }
  void TearDown() override {
    if (info_.resourceInstance) Module::_ExitModule(&info_);
    Basalt::Util::detail::SetUserLanguageReader(nullptr);
    Basalt::Util::PathUtil::_UnregisterPath(u"Languages");
    Basalt::Util::PathUtil::_RegisterPath(u"Languages", savedLanguages_.c_str());
    fs::remove_all(root_);
  }
  void Install(const std::u16string& language) {
    fs::create_directories(root_ / kx2::Utf16ToUtf8(language));
    fs::copy_file(source_[language], root_ / kx2::Utf16ToUtf8(language) / ("TestRes." + kx2::Utf16ToUtf8(language)));
  }
  std::u16string Marker() {
    char16_t buf[32] = {};
    Basalt::Util::Resource::_LoadString(info_.resourceInstance, 100, buf, 32);
    return buf;
  }

  fs::path root_;
  std::map<std::u16string, fs::path> source_;
  std::u16string savedLanguages_;
  tagModuleInfo info_ = {u"Kx2Mod.Test", u"TestRes", Basalt::Base::detail::OwnInstance(), nullptr, 700, 0, nullptr};
};

TEST_F(LanguageModules, GermanUserProbesDeuThenEnu) {
  g_language = 0x407;
  Install(u"DEU");
  Install(u"ENU");
  ASSERT_EQ(Module::_InitModule(&info_), 1);
  EXPECT_EQ(Marker(), u"Deutsch");
  EXPECT_EQ(info_.moduleId, 384 + Basalt::Base::detail::FindModuleSlot(&info_));
  Module::_ExitModule(&info_);
  EXPECT_EQ(info_.resourceInstance, nullptr);

  fs::remove_all(root_ / "DEU");
  ASSERT_EQ(Module::_InitModule(&info_), 1);
  EXPECT_EQ(Marker(), u"English");

  char16_t path[MAX_PATH] = u"TestRes";
  ASSERT_EQ(Module::_GetResourcePath(nullptr, path), 1);
  EXPECT_EQ(std::u16string(path), kx2::ToWindowsPath(root_.string()) + u"\\ENU\\TestRes.ENU");
}

TEST_F(LanguageModules, LanguageFolderTooLongForAPathFindsNothing) {
  Install(u"ENU");
  Basalt::Util::PathUtil::_UnregisterPath(u"Languages");
  std::u16string deep = u"C:\\" + std::u16string(240, u'l');
  Basalt::Util::PathUtil::_RegisterPath(u"Languages", deep.c_str());
  char16_t path[MAX_PATH] = u"TestRes";
  EXPECT_EQ(Module::_GetResourcePath(nullptr, path), 0);
  EXPECT_EQ(Basalt::Error::BaseError::_GetError(), 9u);
}

TEST_F(LanguageModules, SublanguageFallsBackToItsPrimaryLanguage) {
  g_language = 0x807;  // German (Switzerland): DES, then DEU, then ENU
  Install(u"DEU");
  ASSERT_EQ(Module::_InitModule(&info_), 1);
  EXPECT_EQ(Marker(), u"Deutsch");
}

TEST_F(LanguageModules, MissingModuleFailsWithErrorNineAndAMessage) {
  ASSERT_EQ(Module::_InitModule(&info_), 0);
  EXPECT_NE(info_.flags & kModuleFlagFailed, 0u);
  EXPECT_EQ(info_.resourceInstance, nullptr);
  EXPECT_EQ(Basalt::Error::BaseError::_GetError(), 9u);

  char16_t ownFile[MAX_PATH];
  GetModuleFileNameW(info_.instance, ownFile, MAX_PATH);
  Basalt::Error::tagKx2ErrorBuf buf;
  Basalt::Error::BaseError::_StoreError(&buf);
  EXPECT_EQ(std::u16string(buf.text), ownFile);

  auto boxes = kx2::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, u"Initialization Error");
  EXPECT_EQ(boxes[0].text, u"Resource file for module\n( " + std::u16string(ownFile) + u" )\nis missing or corrupt.");

  // Quiet modules fail the same way without a message.
  tagModuleInfo quiet = {u"Kx2Mod.Quiet", u"TestRes", info_.instance, nullptr, 701, kModuleFlagQuiet, nullptr};
  kx2::TakeMessageBoxes();
  EXPECT_EQ(Module::_InitModule(&quiet), 0);
  EXPECT_TRUE(kx2::TakeMessageBoxes().empty());
}

}  // namespace

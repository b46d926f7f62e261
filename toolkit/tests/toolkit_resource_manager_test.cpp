// The resource manager's start: the resource instance and the language taken from it.
#include <gtest/gtest.h>

#include <string>

#include <toolkit/ResourceManager.h>
#include <win/module.h>

namespace {

HMODULE LoadLanguageModule(const char* name) {
  std::string path = std::string(KX2_BIN_DIR) + "/Languages/ENU/" + name;
  std::u16string wide(path.begin(), path.end());
  return LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

TEST(ToolkitResourceManager, TakesTheFirstLanguageOtherThanUsEnglish) {
  CKtkResourceManager* manager = GetResourceManager();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(GetResourceManager(), manager) << "one manager per process";
  EXPECT_EQ(manager->GetLanguage(), 1033) << "before a resource instance is set";

  struct Case {
    const char* module;
    WORD found, language;
  } cases[] = {
      {"FoliantRes.ENU", 1033, 1033},      // only US English
      {"Kx2TestRes.ENU", 1031, 1031},      // German met before US English
      {"ToolkitTestRes.ENU", 1041, 1041},  // Japanese met after US English
  };
  for (const Case& c : cases) {
    HMODULE module = LoadLanguageModule(c.module);
    ASSERT_NE(module, nullptr) << c.module;
    EXPECT_EQ(manager->SetResourceInstance(module), c.found) << c.module;
    EXPECT_EQ(manager->GetLanguage(), c.language) << c.module;
    EXPECT_EQ(CKtkResourceManager::GetResourceInstance(), module);
    manager->SetResourceInstance(nullptr);
    FreeLibrary(module);
  }
  // No resources at all: nothing found, so US English.
  manager->SetLanguage(1041);
  EXPECT_EQ(manager->SetResourceInstance(nullptr), 0);
  EXPECT_EQ(manager->GetLanguage(), 1033);
}

TEST(ToolkitResourceManager, LanguageTable) {
  CKtkResourceManager manager;
  manager.SetLanguage(1081);
  EXPECT_EQ(manager.GetLanguage(), 1033) << "not in the table";
  manager.SetLanguage(1037);
  ASSERT_NE(manager.GetLanguageInfo(), nullptr);
  EXPECT_EQ(manager.GetLanguageInfo()->codePage, 1255u);
  EXPECT_EQ(std::u16string(manager.GetLanguageInfo()->encoding), u"windows-1255");
  const LanguageInfo* english = FindLanguageInfo(1033);
  ASSERT_NE(english, nullptr);
  EXPECT_EQ(english->codePage, 0u);
  EXPECT_EQ(FindLanguageInfo(2052)->charSet, 134u);
  EXPECT_EQ(manager.Close(), FALSE) << "no library of its own";
}

TEST(ToolkitResourceManager, ReplacementNeedsAValidManager) {
  EXPECT_FALSE(SetResourceManager(nullptr));
  struct Invalid : CKtkResourceManager {
    Invalid() { valid_ = FALSE; }
  };
  CKtkResourceManager* before = GetResourceManager();
  EXPECT_FALSE(SetResourceManager(new Invalid));
  EXPECT_EQ(GetResourceManager(), before);
  auto* replacement = new CKtkResourceManager;
  EXPECT_TRUE(SetResourceManager(replacement));
  EXPECT_EQ(GetResourceManager(), replacement);
}

}  // namespace

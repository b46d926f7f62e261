// The resource manager's lookups against modules made here: the resource instance first,
// then the application's resources; the language of a module; message boxes; resource
// files by path.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include <kx2/MessageBoxSink.h>
#include <toolkit/ResourceManager.h>
#include <win/gdi.h>
#include <win/menu.h>
#include <win/resource.h>
#include <win/user.h>
#include <win/userres.h>

#include "toolkit_modules.h"

namespace {

using namespace ktk_test;

constexpr uint16_t kGerman = 1031;

class ResourceLookup : public TempFolder {
 public:
  void SetUp() override {
    TempFolder::SetUp();
    kx2::rsrc::ContainerWriter instance;
    instance.Add(uint16_t{6}, uint16_t{1}, kGerman, StringBlock({u"", u"Instanz eins", u""}));
    instance.Add(uint16_t{4}, uint16_t{10}, kGerman, OneItemMenu(u"Datei", 100));
    instance.Add(uint16_t{2}, uint16_t{20}, kGerman, Dib(2, 2));
    instance.Add(uint16_t{23}, uint16_t{30}, kGerman, Bytes{'<', 'b', '>', 0xE9, '<', '/', 'b', '>'});
    instance.Add(uint16_t{14}, uint16_t{40}, kGerman, IconGroup(16, 41));
    instance.Add(uint16_t{3}, uint16_t{41}, kGerman, Dib(16, 16, true));
    instance.Add(uint16_t{5}, uint16_t{50}, kGerman, Bytes{1, 0, 0xFF, 0xFF, 'i', 'n'});
    Bytes cursor;
    Put16(cursor, 1), Put16(cursor, 2);
    const Bytes image = Dib(32, 32, true);
    cursor.insert(cursor.end(), image.begin(), image.end());
    instance.Add(uint16_t{12}, uint16_t{60}, kGerman, IconGroup(32, 61, true));
    instance.Add(uint16_t{1}, uint16_t{61}, kGerman, cursor);
    Bytes toolbar;
    Put16(toolbar, 1), Put16(toolbar, 16), Put16(toolbar, 15), Put16(toolbar, 3);
    Put16(toolbar, 7), Put16(toolbar, 0), Put16(toolbar, 8);
    instance.Add(uint16_t{241}, uint16_t{70}, kGerman, toolbar);
    instance.Add(uint16_t{2}, uint16_t{70}, kGerman, Dib(48, 15));
    instance_ = MakeModule(*this, "Instance.DEU", instance);

    kx2::rsrc::ContainerWriter app;
    app.Add(uint16_t{6}, uint16_t{1}, 1033, StringBlock({u"", u"App one", u"App two", u"", u"App four"}));
    app.Add(uint16_t{4}, uint16_t{10}, 1033, OneItemMenu(u"File", 100));
    app.Add(uint16_t{4}, uint16_t{11}, 1033, OneItemMenu(u"Edit", 101));
    app.Add(uint16_t{2}, uint16_t{21}, 1033, Dib(3, 3));
    app.Add(uint16_t{23}, uint16_t{31}, 1033, Bytes{'a', 'p', 'p'});
    app.Add(uint16_t{14}, uint16_t{42}, 1033, IconGroup(32, 43));
    app.Add(uint16_t{3}, uint16_t{43}, 1033, Dib(32, 32, true));
    app.Add(uint16_t{5}, uint16_t{51}, 1033, Bytes{1, 0, 0xFF, 0xFF, 'a', 'p'});
    app_ = MakeModule(*this, "App.rsrc", app);
    ASSERT_NE(instance_, nullptr);
    ASSERT_NE(app_, nullptr);
    state_ = AfxGetModuleState();
    saved_ = state_->m_hCurrentResourceHandle;
    state_->m_hCurrentResourceHandle = app_;
    manager_ = std::make_unique<CKtkResourceManager>();
  }
  void TearDown() override {
    manager_->SetResourceInstance(nullptr);
    state_->m_hCurrentResourceHandle = saved_;
    FreeLibrary(instance_);
    FreeLibrary(app_);
    TempFolder::TearDown();
  }

  // What a lookup found: a text naming the place, or "" when nothing was found.
  std::u16string Lookup(const std::string& what, UINT id) {
    CKtkResourceManager& m = *manager_;
    if (what == "string") {
      CString text;
      return m.LoadString(&text, id) ? text.str() : u"";
    }
    if (what == "menu") {
      CMenu menu;
      CString caption;
      if (!m.LoadMenu(&menu, id)) return u"";
      menu.GetMenuString(0, caption, MF_BYPOSITION);
      return caption.str();
    }
    if (what == "bitmap") {
      CBitmap bitmap;
      BITMAP info{};
      if (!m.LoadBitmap(&bitmap, id) || !bitmap.GetBitmap(&info)) return u"";
      return info.bmWidth == 2 ? u"instance" : u"app";
    }
    if (what == "html") {
      CString html;
      return m.LoadHTML(&html, id) ? html.str() : u"";
    }
    if (what == "dialog") {
      const auto* bytes = reinterpret_cast<const char*>(m.LoadDialogTemplate(id));
      return bytes ? (bytes[4] == 'i' ? u"instance" : u"app") : u"";
    }
    if (what == "icon") {
      HICON icon = m.LoadIcon(id, 0, 0);
      int cx = 0, cy = 0;
      if (!Kx2GetIconSize(icon, &cx, &cy)) return u"";
      DestroyIcon(icon);
      return cx == 16 ? u"instance" : u"app";
    }
    if (what == "cursor") {
      HCURSOR cursor = m.LoadCursor(id);
      if (!cursor) return u"";
      DestroyCursor(cursor);
      return u"instance";
    }
    if (what == "toolbar") {
      CToolBar toolBar;
      if (!m.LoadToolBar(&toolBar, id)) return u"";
      return toolBar.GetCount() == 3 && toolBar.GetItemID(2) == 8 ? u"instance" : u"?";
    }
    return u"?";
  }

  HMODULE instance_ = nullptr;
  HMODULE app_ = nullptr;
  AFX_MODULE_STATE* state_ = nullptr;
  HINSTANCE saved_ = nullptr;
  std::unique_ptr<CKtkResourceManager> manager_;
};

TEST_F(ResourceLookup, InstanceFirstThenApplication) {
  struct Case {
    const char* what;
    UINT id;
    const char16_t* before;  // no resource instance yet
    const char16_t* after;
  } cases[] = {
      {"string", 1, u"App one", u"Instanz eins"},
      {"string", 2, u"App two", u"App two"},  // empty in the instance: the application's
      {"string", 4, u"App four", u"App four"},
      {"string", 5, u"", u""},
      {"menu", 10, u"File", u"Datei"},
      {"menu", 11, u"Edit", u"Edit"},
      {"menu", 12, u"", u""},
      {"bitmap", 20, u"", u"instance"},
      {"bitmap", 21, u"app", u"app"},
      {"html", 30, u"", u"<b>\u00e9</b>"},
      {"html", 31, u"app", u"app"},
      {"dialog", 50, u"", u"instance"},
      {"dialog", 51, u"app", u"app"},
      {"dialog", 52, u"", u""},
      {"icon", 40, u"", u"instance"},
      {"icon", 42, u"app", u"app"},
      {"cursor", 60, u"", u"instance"},
      {"toolbar", 70, u"", u"instance"},
  };
  EXPECT_EQ(manager_->GetLanguage(), 1033);
  for (const Case& c : cases) EXPECT_EQ(Lookup(c.what, c.id), c.before) << c.what << " " << c.id << " before";
  EXPECT_EQ(manager_->SetResourceInstance(instance_), kGerman);
  EXPECT_EQ(manager_->GetLanguage(), kGerman);
  for (const Case& c : cases) EXPECT_EQ(Lookup(c.what, c.id), c.after) << c.what << " " << c.id;
  EXPECT_EQ(state_->m_hCurrentResourceHandle, app_) << "the toolbar's switch put the resource handle back";
  BOOL failed = FALSE;
  EXPECT_EQ(manager_->GetString(5, &failed), CString());
  EXPECT_TRUE(failed);
  HICON best = manager_->CreateIconFromResource(instance_, MAKEINTRESOURCEW(40), 16, 16);
  EXPECT_NE(best, nullptr);
  DestroyIcon(best);
  EXPECT_EQ(manager_->CreateIconFromResource(app_, MAKEINTRESOURCEW(40), 16, 16), nullptr);
}

TEST_F(ResourceLookup, LanguageOfAModule) {
  struct Case {
    std::vector<std::pair<uint16_t, uint16_t>> items;  // (name, language) of RCDATA items
    WORD found, language;
  } cases[] = {
      {{{1, 1033}, {2, 1041}}, 1041, 1041},  // US English met first
      {{{1, 1049}, {2, 1033}}, 1049, 1049},  // the other language first
      {{{1, 1033}, {1, 1037}}, 1037, 1037},  // one name in both languages
      {{{1, 1033}, {2, 1033}}, 1033, 1033},
      {{{1, 1081}}, 1081, 1033},  // not in the table
      {{}, 0, 1033},              // no resources at all
  };
  int n = 0;
  for (const Case& c : cases) {
    kx2::rsrc::ContainerWriter writer;
    for (auto [name, language] : c.items) writer.Add(uint16_t{10}, name, language, Bytes{1});
    HMODULE module = MakeModule(*this, "Lang" + std::to_string(n++) + ".rsrc", writer);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(manager_->SetResourceInstance(module), c.found) << n;
    EXPECT_EQ(manager_->GetLanguage(), c.language) << n;
    manager_->SetResourceInstance(nullptr);
    FreeLibrary(module);
  }
}

TEST_F(ResourceLookup, MessageBoxesReadRightToLeftUnderArabicAndHebrew) {
  manager_->SetResourceInstance(instance_);
  kx2::SetMessageBoxEcho(false);
  kx2::TakeMessageBoxes();
  for (WORD language : {WORD{1037}, WORD{1025}, WORD{1033}, WORD{1031}}) {
    manager_->SetLanguage(language);
    manager_->ShowMessageBox(1, MB_OKCANCEL);
    const auto boxes = kx2::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Instanz eins");
    const bool rtl = language == 1037 || language == 1025;
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OKCANCEL | (rtl ? MB_RTLREADING : 0))) << language;
  }
}

TEST_F(ResourceLookup, ResourceFilesByPath) {
  // A library path: the manager loads it itself and takes its language.
  ASSERT_TRUE(SetResourceFile(Windows("Instance.DEU").c_str()));
  CKtkResourceManager* manager = GetResourceManager();
  EXPECT_EQ(manager->GetLanguage(), kGerman);
  CString text;
  EXPECT_TRUE(manager->LoadString(&text, 1));
  EXPECT_EQ(text, CString(u"Instanz eins"));
  EXPECT_TRUE(manager->Close()) << "frees the library it loaded";
  EXPECT_FALSE(manager->Close());
  // An XML file that does not load is refused; the manager in force stays.
  EXPECT_FALSE(SetResourceFile(Windows("missing.xml").c_str()));
  EXPECT_EQ(GetResourceManager(), manager);
  WriteFile("res.xml", std::string("<resource CompactMode=\"1\" LANGID=\"1041\"/>"));
  EXPECT_TRUE(SetResourceFile(Windows("res.xml").c_str()));
  EXPECT_NE(GetResourceManager(), manager);
  EXPECT_EQ(GetResourceManager()->GetLanguage(), 1041);
  // No path: the application's own resources.
  state_->m_hCurrentInstanceHandle = app_;
  EXPECT_TRUE(SetResourceFile(u""));
  EXPECT_EQ(CKtkResourceManager::GetResourceInstance(), app_);
  state_->m_hCurrentInstanceHandle = nullptr;
  GetResourceManager()->SetResourceInstance(nullptr);
  SetResourceManager(new CKtkResourceManager);
}

TEST_F(ResourceLookup, ReplacementKeepsWhatStaysInstalled) {
  // The manager in force handed back in is a reload: it stays installed and alive.
  ASSERT_TRUE(SetResourceFile(Windows("Instance.DEU").c_str()));
  CKtkResourceManager* library = GetResourceManager();
  EXPECT_TRUE(SetResourceManager(library));
  EXPECT_EQ(GetResourceManager(), library);
  EXPECT_EQ(library->GetLanguage(), kGerman);
  CString text;
  EXPECT_TRUE(library->LoadString(&text, 1));
  EXPECT_EQ(text, CString(u"Instanz eins"));
  // Leaving the library for an XML file frees the library and clears the slot naming it.
  WriteFile("res.xml", std::string("<resource CompactMode=\"1\" LANGID=\"1041\"/>"));
  ASSERT_TRUE(SetResourceFile(Windows("res.xml").c_str()));
  EXPECT_EQ(CKtkResourceManager::GetResourceInstance(), nullptr);
  EXPECT_EQ(GetResourceManager()->GetLanguage(), 1041);
  // An installed manager that became invalid is refused but neither freed nor replaced.
  CKtkResourceManager* xml = GetResourceManager();
  xml->Close();
  EXPECT_FALSE(SetResourceManager(xml));
  EXPECT_EQ(GetResourceManager(), xml);
  SetResourceManager(new CKtkResourceManager);
}

TEST(ToolkitTextConverters, CurrentLanguageCodePage) {
  CKtkResourceManager* manager = GetResourceManager();
  manager->SetLanguage(1049);  // windows-1251
  EXPECT_STREQ(static_cast<LPCSTR>(CKtkW2A(u"\u0416")), "\xC6");
  EXPECT_EQ(std::u16string(static_cast<LPCWSTR>(CKtkA2W("\xC6"))), u"\u0416");
  manager->SetLanguage(1033);
}

}  // namespace

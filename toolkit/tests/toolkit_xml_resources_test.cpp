// The XML resource file: strings, menu templates and DLGTEMPLATEEX blocks as bytes, the
// dialog cache, and what falls back to the base kind.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include <toolkit/PropExchangeXMLNode.h>
#include <toolkit/ResourceManager.h>
#include <win/menu.h>

#include "toolkit_modules.h"

namespace {

using namespace ktk_test;

const char kResources[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<resource CompactMode="1" LANGID="1031">
  <string id="1" value="Eins\nzwei"/>
  <string id="2"/>
  <menu id="5"><menuitem id="0"/></menu>
  <menu id="6">
    <menuitem caption="File">
      <menuitem id="101" caption="Open"/>
      <menuitem id="0"/>
      <menuitem id="102" caption="Exit"/>
    </menuitem>
    <menuitem id="103" caption="Help"/>
  </menu>
  <menu id="7"/>
  <menu id="8">
    <menuitem id="1" caption="A"/>
    <menuitem caption="P"><menuitem id="2" caption="B"/></menuitem>
  </menu>
  <dialog id="9" style="128" position="1, 2, 300, 200" caption="Hi">
    <control/>
    <control class="BUTTON" id="1" caption="OK" position="10, 20, 50, 14" style="1342242816"/>
    <control resource="77"/>
  </dialog>
</resource>
)";

class XmlResources : public TempFolder {
 public:
  void SetUp() override {
    TempFolder::SetUp();
    WriteFile("resources.xml", std::string(kResources));
    kx2::rsrc::ContainerWriter app;
    app.Add(uint16_t{6}, uint16_t{1}, 1033, StringBlock({u"", u"", u"", u"App three"}));
    app.Add(uint16_t{4}, uint16_t{7}, 1033, OneItemMenu(u"App menu", 70));
    app_ = MakeModule(*this, "App.rsrc", app);
    ASSERT_NE(app_, nullptr);
    saved_ = AfxGetModuleState()->m_hCurrentResourceHandle;
    AfxGetModuleState()->m_hCurrentResourceHandle = app_;
    manager_ = std::make_unique<CKtkResourceManagerXML>(Windows("resources.xml").c_str());
    ASSERT_TRUE(manager_->IsValid());
  }
  void TearDown() override {
    manager_.reset();
    AfxGetModuleState()->m_hCurrentResourceHandle = saved_;
    FreeLibrary(app_);
    TempFolder::TearDown();
  }

  Bytes MenuBytes(UINT id) {
    CKtkPropExchangeXMLNode* menu = manager_->GetRoot()->GetSectionByQuery(
        (u"menu[@id = \"" + std::u16string(1, static_cast<char16_t>(u'0' + id)) + u"\"]").c_str());
    EXPECT_NE(menu, nullptr);
    const std::vector<BYTE> bytes = CKtkResourceManagerXML::BuildMenuTemplate(menu);
    menu->ExternalRelease();
    return Bytes(bytes.begin(), bytes.end());
  }

  HMODULE app_ = nullptr;
  HINSTANCE saved_ = nullptr;
  std::unique_ptr<CKtkResourceManagerXML> manager_;
};

TEST_F(XmlResources, Strings) {
  EXPECT_EQ(manager_->ReloadLanguage(), 1031);
  EXPECT_EQ(manager_->GetLanguage(), 1031);
  struct Case {
    UINT id;
    BOOL found;
    const char16_t* text;
  } cases[] = {
      {1, TRUE, u"Eins\nzwei"},  // escapes undone
      {2, TRUE, u""},            // an element without a value
      {3, TRUE, u"App three"},   // not in the file: the application's
      {4, FALSE, u""},
  };
  for (const Case& c : cases) {
    CString text(u"stale");
    EXPECT_EQ(manager_->LoadString(&text, c.id), c.found) << c.id;
    if (c.found) {
      EXPECT_EQ(text, CString(c.text)) << c.id;
    }
  }
}

TEST_F(XmlResources, MenuTemplates) {
  auto item = [](Bytes& v, uint16_t flags, int id, const std::u16string& caption) {
    Put16(v, flags);
    if (id >= 0) Put16(v, static_cast<uint16_t>(id));
    PutText(v, caption);
  };
  auto finish = [](Bytes v) {
    v.resize(v.size() + 6, 0);  // allocated with six bytes to spare
    return v;
  };
  Bytes separator{0, 0, 0, 0};
  item(separator, MF_SEPARATOR | MF_END, 0, u"");
  EXPECT_EQ(MenuBytes(5), finish(separator));

  Bytes nested{0, 0, 0, 0};
  item(nested, MF_POPUP, -1, u"File");
  item(nested, 0, 101, u"Open");
  item(nested, MF_SEPARATOR, 0, u"");
  item(nested, MF_END, 102, u"Exit");
  item(nested, MF_END, 103, u"Help");
  EXPECT_EQ(MenuBytes(6), finish(nested));

  Bytes lastPopup{0, 0, 0, 0};
  item(lastPopup, 0, 1, u"A");
  item(lastPopup, MF_POPUP | MF_END, -1, u"P");
  item(lastPopup, MF_END, 2, u"B");
  EXPECT_EQ(MenuBytes(8), finish(lastPopup));

  EXPECT_TRUE(MenuBytes(7).empty()) << "no item, no template";
  CMenu menu;
  ASSERT_TRUE(manager_->LoadMenu(&menu, 6));
  EXPECT_EQ(menu.GetMenuItemCount(), 2u);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 0)), 3);
  CMenu fallback;
  ASSERT_TRUE(manager_->LoadMenu(&fallback, 7)) << "an empty menu falls back to the application's";
  CString caption;
  fallback.GetMenuString(0, caption, MF_BYPOSITION);
  EXPECT_EQ(caption, CString(u"App menu"));
  CMenu none;
  EXPECT_FALSE(manager_->LoadMenu(&none, 4));
}

TEST_F(XmlResources, DialogTemplate) {
  Bytes expected;
  Put16(expected, 1), Put16(expected, 0xFFFF);  // dlgVer, signature
  Put32(expected, 9), Put32(expected, 0);       // helpID = the dialog's id, exStyle
  Put32(expected, 0x80 | 0x40);                 // style with DS_SETFONT
  Put16(expected, 3);                           // controls
  Put16(expected, 1), Put16(expected, 2), Put16(expected, 300), Put16(expected, 200);
  Put16(expected, 0), Put16(expected, 0);  // no menu, standard class
  ASSERT_EQ(expected.size(), 30u) << "the title starts at byte 30";
  PutText(expected, u"Hi");
  Put16(expected, 8), Put16(expected, 0), expected.push_back(0), expected.push_back(0);
  PutText(expected, u"MS Sans Serif");  // the default face at 8 points
  auto control = [&](uint32_t style, int16_t x, int16_t y, int16_t cx, int16_t cy, uint32_t id,
                     const std::u16string& cls, const std::u16string& title, uint16_t ordinal) {
    while (expected.size() % 4) expected.push_back(0);
    Put32(expected, 0), Put32(expected, 0), Put32(expected, style);
    Put16(expected, static_cast<uint16_t>(x)), Put16(expected, static_cast<uint16_t>(y));
    Put16(expected, static_cast<uint16_t>(cx)), Put16(expected, static_cast<uint16_t>(cy));
    Put32(expected, id);
    PutText(expected, cls);
    if (ordinal) {
      Put16(expected, 0xFFFF), Put16(expected, ordinal);
    } else {
      PutText(expected, title);
    }
    Put16(expected, 0);
  };
  control(0x50020000, 0, 0, 0, 0, 0xFFFFFFFF, u"STATIC", u"", 0);  // every default
  control(0x50010000, 10, 20, 50, 14, 1, u"BUTTON", u"OK", 0);
  control(0x50020000, 0, 0, 0, 0, 0xFFFFFFFF, u"STATIC", u"", 77);  // title by resource ordinal
  while (expected.size() % 4) expected.push_back(0);

  const auto* block = reinterpret_cast<const BYTE*>(manager_->LoadDialogTemplate(9));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(Bytes(block, block + expected.size()), expected);
  size_t size = 0;
  CKtkPropExchangeXMLNode* dialog = manager_->GetRoot()->GetSectionByQuery(u"dialog[@id = \"9\"]");
  BYTE* built = CKtkResourceManagerXML::BuildDialogTemplate(dialog, &size);
  EXPECT_EQ(size, expected.size());
  free(built);

  // The cache: the same block again, even after the element changed.
  CString changed(u"Changed");
  dialog->ExchangeProp(u"caption", KTK_VT_STRING, &changed);
  dialog->ExternalRelease();
  EXPECT_EQ(reinterpret_cast<const BYTE*>(manager_->LoadDialogTemplate(9)), block);
  EXPECT_EQ(std::memcmp(block + 30, u"Hi", 6), 0);
  EXPECT_EQ(manager_->LoadDialogTemplate(10), nullptr) << "not in the file nor the application";
  manager_->Close();
  EXPECT_FALSE(manager_->IsValid());
  CString text;
  EXPECT_FALSE(manager_->LoadString(&text, 1)) << "closed: the file is gone";
}

}  // namespace

// The XML settings store: file layout (golden bytes), typed values, enumeration, deletion,
// and the mends: a store moved to another file saves to the old one first, 64-bit values
// round-trip, deleted keys leave no dangling current key.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <basalt/path_util.h>
#include <basalt/xml_registry.h>
#include <kx2/Utf.h>

using Basalt::XMLRegistry;
namespace fs = std::filesystem;

namespace {

class XmlReg : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kx2_xmlreg_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::u16string win = u"Z:" + kx2::Utf8ToUtf16(dir_.string());
    for (char16_t& c : win)
      if (c == u'/') c = u'\\';
    Basalt::Util::PathUtil::_UnregisterPath(u"ProgramInfo");
    ASSERT_TRUE(Basalt::Util::PathUtil::_RegisterPath(u"ProgramInfo", win.c_str()));
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Bytes(const char* file) const {
    std::ifstream in(dir_ / file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static std::string Utf16Le(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return out;
  }

  fs::path dir_;
};

TEST_F(XmlReg, WritesTheSettingsFile) {
  {
    XMLRegistry reg(u"VTL\\Option", Basalt::HROOT_XMLREGISTRY);
    EXPECT_TRUE(reg.WriteDwordValue(u"Language", 1033));
    EXPECT_FALSE(fs::exists(dir_ / "XMLRegistry.xml"));  // written when the store goes
  }
  EXPECT_EQ(Bytes("XMLRegistry.xml"),
            Utf16Le(u"\n<XMLRegistry>\n\t<VTL IsKey=\"TRUE\" >\n\t\t<VTLOption IsKey=\"TRUE\" >\n\t\t\t"
                    u"<Language>1033</Language>\n\t\t</VTLOption>\n\t</VTL>\n</XMLRegistry>"));
  // Reading, changing and saving again gives the same bytes (nothing grows).
  std::string before = Bytes("XMLRegistry.xml");
  for (int i = 0; i < 2; ++i) {
    XMLRegistry reg(u"VTL\\Option", Basalt::HROOT_XMLREGISTRY);
    uint32_t lang = 0;
    EXPECT_TRUE(reg.GetDwordValue(u"Language", &lang));
    EXPECT_EQ(lang, 1033u);
    EXPECT_TRUE(reg.WriteDwordValue(u"Language", 1033));
  }
  EXPECT_EQ(Bytes("XMLRegistry.xml"), before);
}

TEST_F(XmlReg, TypedValuesRoundTrip) {
  XMLRegistry reg(u"T", Basalt::HROOT_XMLUSERREGISTRY);
  struct Dword {
    uint32_t value;
    const char16_t* text;
  } dwords[] = {{1033, u"1033"}, {0xFFFFFFFFu, u"-1"}, {3000000000u, u"-1294967296"}, {0, u"0"}};
  for (const Dword& d : dwords) {
    ASSERT_TRUE(reg.WriteDwordValue(u"d", d.value));
    EXPECT_EQ(std::u16string(reg.keyNode->GetChildValue(u"d")), d.text);
    uint32_t back = 1;
    EXPECT_TRUE(reg.GetDwordValue(u"d", &back));
    EXPECT_EQ(back, d.value);
  }
  for (uint64_t q : {uint64_t{0}, uint64_t{1} << 63, UINT64_MAX, uint64_t{12345678901234}}) {
    ASSERT_TRUE(reg.WriteQwordValue(u"q", q));
    uint64_t back = 0;
    EXPECT_TRUE(reg.GetQwordValue(u"q", &back));
    EXPECT_EQ(back, q);
  }
  EXPECT_EQ(std::u16string(reg.keyNode->GetChildValue(u"q")), u"12345678901234");
  // Texts written by others: signed, and wider than the type.
  reg.WriteStringValue(u"t", u"-1");
  uint64_t q = 0;
  unsigned short w = 0;
  EXPECT_TRUE(reg.GetQwordValue(u"t", &q));
  EXPECT_EQ(q, UINT64_MAX);
  reg.WriteStringValue(u"t", u"70000");
  EXPECT_TRUE(reg.GetWordValue(u"t", &w));
  EXPECT_EQ(w, 70000 & 0xFFFF);
  ASSERT_TRUE(reg.WriteWordValue(u"w", 65535));
  EXPECT_TRUE(reg.GetWordValue(u"w", &w));
  EXPECT_EQ(w, 65535);
  EXPECT_FALSE(reg.GetWordValue(u"missing", &w));

  // Strings: a buffer must hold the text and its terminator; an empty text fits any buffer
  // but is not a value for the string form.
  ASSERT_TRUE(reg.WriteStringValue(u"s", u"abc"));
  char16_t buf[8];
  EXPECT_FALSE(reg.GetStringValue(u"s", buf, 3));
  EXPECT_TRUE(reg.GetStringValue(u"s", buf, 4));
  EXPECT_EQ(std::u16string(buf), u"abc");
  ASSERT_TRUE(reg.WriteStringValue(u"e", u""));
  std::u16string out = u"x";
  EXPECT_FALSE(reg.GetStringValue(u"e", out));
  EXPECT_TRUE(reg.GetStringValue(u"e", buf, 1));
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(reg.keyNode->GetChilds(u"s").size(), 1u);  // rewriting replaces

  // Binary: Base64 with a line feed after every 72 characters.
  unsigned char bytes[100];
  for (int i = 0; i < 100; ++i) bytes[i] = static_cast<unsigned char>(i * 7);
  ASSERT_TRUE(reg.WriteBinaryValue(u"b", bytes, 100));
  EXPECT_EQ(reg.keyNode->GetChildValue(u"b")[72], u'\n');
  unsigned char* got = nullptr;
  unsigned size = 0;
  EXPECT_TRUE(reg.GetBinaryValue(u"b", &got, &size));
  ASSERT_EQ(size, 100u);
  EXPECT_EQ(std::memcmp(got, bytes, 100), 0);
  free(got);
  unsigned char small[10];
  size = sizeof small;
  EXPECT_FALSE(reg.GetBinaryValue(u"b", small, &size));  // never past the caller's buffer
  EXPECT_EQ(size, 100u);
  ASSERT_TRUE(reg.WriteBinaryValue(u"z", bytes, 0));
  EXPECT_EQ(std::u16string(reg.keyNode->GetChildValue(u"z")), u"");
  got = nullptr;
  EXPECT_FALSE(reg.GetBinaryValue(u"z", &got, &size));
}

TEST_F(XmlReg, ReadersNeverWriteAndWritersKeepEachOthersValues) {
  {
    XMLRegistry reg(u"K", Basalt::HROOT_XMLREGISTRY);
    reg.WriteStringValue(u"v", u"0");
  }
  struct stat before {};
  ASSERT_EQ(stat((dir_ / "XMLRegistry.xml").c_str(), &before), 0);
  std::string bytes = Bytes("XMLRegistry.xml");
  {
    XMLRegistry reader(u"K\\New\\Keys", Basalt::HROOT_XMLREGISTRY);  // keys made in memory only
    EXPECT_EQ(reader.ExistKey(), 1);
  }
  struct stat after {};
  ASSERT_EQ(stat((dir_ / "XMLRegistry.xml").c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(Bytes("XMLRegistry.xml"), bytes);

  // Each save writes its own changes onto the file as it is: different values both stay,
  // the same value ends as the last save left it, a deletion reaches only what it names.
  auto* first = new XMLRegistry(u"K", Basalt::HROOT_XMLREGISTRY);
  auto* second = new XMLRegistry(u"K", Basalt::HROOT_XMLREGISTRY);
  first->WriteStringValue(u"a", u"1");
  first->WriteStringValue(u"same", u"first");
  second->WriteStringValue(u"b", u"2");
  second->WriteStringValue(u"same", u"second");
  second->DeleteEntry(u"v");
  delete second;
  delete first;
  XMLRegistry check(u"K", Basalt::HROOT_XMLREGISTRY);
  std::u16string v;
  EXPECT_TRUE(check.GetStringValue(u"a", v));
  EXPECT_EQ(v, u"1");
  EXPECT_TRUE(check.GetStringValue(u"b", v));
  EXPECT_EQ(v, u"2");
  EXPECT_TRUE(check.GetStringValue(u"same", v));
  EXPECT_EQ(v, u"first");
  EXPECT_FALSE(check.GetStringValue(u"v", v));
}

TEST_F(XmlReg, EnumeratesKeysAndEntries) {
  XMLRegistry reg(u"R\\A", Basalt::HROOT_XMLREGISTRY);
  reg.WriteStringValue(u"in_a", u"1");
  ASSERT_TRUE(reg.SetXMLKey(u"R\\LongerName", Basalt::HROOT_XMLREGISTRY));
  ASSERT_TRUE(reg.SetXMLKey(u"R", Basalt::HROOT_XMLREGISTRY));
  reg.WriteStringValue(u"e1", u"x");
  reg.WriteStringValue(u"e2", u"y");

  ASSERT_TRUE(reg.InitEnumeration());
  char16_t name[32], tiny[4];
  std::vector<std::u16string> entries;
  while (reg.GetNextEntryName(name, 32)) entries.push_back(name);
  EXPECT_EQ(entries, (std::vector<std::u16string>{u"e1", u"e2"}));

  // Subkeys in order, each once; a name that does not fit is offered again.
  EXPECT_FALSE(reg.GetNextSubkeyName(tiny, 2));
  ASSERT_TRUE(reg.GetNextSubkeyName(tiny, 3));
  EXPECT_EQ(std::u16string(tiny), u"RA");
  ASSERT_TRUE(reg.GetNextEntryName(name, 32));  // the entries of the subkey just listed
  EXPECT_EQ(std::u16string(name), u"in_a");
  EXPECT_FALSE(reg.GetNextEntryName(name, 32));
  EXPECT_FALSE(reg.GetNextSubkeyName(tiny, 4));
  ASSERT_TRUE(reg.GetNextSubkeyName(name, 32));
  EXPECT_EQ(std::u16string(name), u"RLongerName");
  EXPECT_FALSE(reg.GetNextSubkeyName(name, 32));
  EXPECT_EQ(reg.enumNode, nullptr);
}

TEST_F(XmlReg, DeletingKeysAndEntries) {
  XMLRegistry reg(u"A\\B", Basalt::HROOT_XMLREGISTRY);
  reg.WriteStringValue(u"v", u"1");
  EXPECT_FALSE(reg.DeleteKey(u"A\\Missing"));
  EXPECT_EQ(reg.tree.GetChild(u"A")->GetChildCount(), 1);  // nothing was added
  EXPECT_FALSE(reg.DeleteKey(u""));                        // the root element stays
  EXPECT_FALSE(reg.DeleteEntry(u"A\\B", u"none"));
  EXPECT_TRUE(reg.DeleteEntry(u"A\\B", u"v"));
  reg.WriteStringValue(u"v", u"2");

  // Deleting the branch that holds the current key leaves no current key.
  ASSERT_TRUE(reg.InitEnumeration());
  EXPECT_TRUE(reg.DeleteKey(u"A"));
  EXPECT_EQ(reg.keyNode, nullptr);
  EXPECT_EQ(reg.enumNode, nullptr);
  EXPECT_FALSE(reg.WriteStringValue(u"v", u"3"));
  char16_t name[8];
  EXPECT_FALSE(reg.GetNextEntryName(name, 8));
  EXPECT_TRUE(reg.ExistKey());

  // A trailing backslash repeats the last name; a leading one is ignored.
  ASSERT_TRUE(reg.SetXMLKey(u"\\X\\", Basalt::HROOT_XMLREGISTRY));
  EXPECT_EQ(reg.keyNode->name, std::u16string(u"X"));
  EXPECT_EQ(reg.keyNode->parent->name, std::u16string(u"X"));
  EXPECT_EQ(reg.keyNode->parent->parent, &reg.tree);
}

TEST_F(XmlReg, MovingToAnotherFileSavesTheOldOneFirst) {
  XMLRegistry reg(u"K", Basalt::HROOT_XMLREGISTRY);
  reg.WriteStringValue(u"machine", u"1");
  ASSERT_TRUE(reg.SetXMLKey(u"K", Basalt::HROOT_XMLUSERREGISTRY));
  ASSERT_TRUE(fs::exists(dir_ / "XMLRegistry.xml"));
  std::u16string v;
  EXPECT_FALSE(reg.GetStringValue(u"machine", v));  // the user file's tree, not the old one
  reg.WriteStringValue(u"user", u"2");
  EXPECT_TRUE(reg.ExistKey());
  XMLRegistry machine(u"K", Basalt::HROOT_XMLREGISTRY), user(u"K", Basalt::HROOT_XMLUSERREGISTRY);
  EXPECT_TRUE(machine.GetStringValue(u"machine", v));
  EXPECT_FALSE(machine.GetStringValue(u"user", v));
  EXPECT_TRUE(user.GetStringValue(u"user", v));
  EXPECT_FALSE(user.GetStringValue(u"machine", v));
  EXPECT_FALSE(reg.SetXMLKey(u"K", static_cast<Basalt::HROOT_KEY>(3)));
}

TEST_F(XmlReg, CopiesWorkOnTheirOwnTree) {
  XMLRegistry reg(u"K\\S", Basalt::HROOT_XMLREGISTRY);
  reg.WriteStringValue(u"v", u"1");
  ASSERT_TRUE(reg.SetXMLKey(u"K", Basalt::HROOT_XMLREGISTRY));
  ASSERT_TRUE(reg.InitEnumeration());
  char16_t name[8];
  ASSERT_TRUE(reg.GetNextSubkeyName(name, 8));
  XMLRegistry copy(reg);
  XMLRegistry assigned;
  assigned = reg;
  for (XMLRegistry* c : {&copy, &assigned}) {
    ASSERT_NE(c->keyNode, nullptr);
    EXPECT_TRUE(c->keyNode != reg.keyNode && c->enumNode != reg.enumNode);
    EXPECT_EQ(c->keyNode->parent, &c->tree);
    EXPECT_TRUE(c->GetNextEntryName(name, 8));  // continues the enumeration in its own tree
    EXPECT_EQ(std::u16string(name), u"v");
    c->WriteStringValue(u"only_in_copy", u"x");
    c->dirty = 0;
  }
  std::u16string v;
  EXPECT_FALSE(reg.GetStringValue(u"only_in_copy", v));
}

}  // namespace

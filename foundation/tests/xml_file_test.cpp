// XML files: the exact bytes SaveFile writes, what LoadFile accepts, and saving that
// replaces the old file only when the new one was written whole.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "xml_test_support.h"

using namespace Basalt::XMLDom;
namespace fs = std::filesystem;

namespace {

class XmlFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kx2_xml_file_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The Windows form of a file in the test folder ("Z:" is the POSIX root).
  std::u16string WinPath(const std::string& name) const {
    std::u16string p = u"Z:" + kx2::Utf8ToUtf16((dir_ / name).string());
    for (char16_t& c : p)
      if (c == u'/') c = u'\\';
    return p;
  }
  std::string Bytes(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  static std::string Utf16Le(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
      out += static_cast<char>(c & 0xFF);
      out += static_cast<char>(c >> 8);
    }
    return out;
  }

  fs::path dir_;
};

TEST_F(XmlFile, SaveWritesUtf16LeWithoutByteOrderMark) {
  XMLNode root;
  root.name = u"XMLRegistry";
  XMLNode* vtl = root.AppendChild(u"VTL", u"");
  vtl->AppendAttr(u"IsKey", u"TRUE");
  vtl->AppendChild(u"Language", u"1033");
  root.AppendChild(u"a", u"")->AppendAttr(u"x", u"1");
  ASSERT_EQ(root.SaveFile(WinPath("s.xml").c_str()), 1);
  const std::u16string golden =
      u"\n<XMLRegistry>\n\t<VTL IsKey=\"TRUE\" >\n\t\t<Language>1033</Language>\n\t</VTL>\n\t<a x=\"1\" "
      u"/>\n</XMLRegistry>";
  EXPECT_EQ(Bytes("s.xml"), Utf16Le(golden));
  EXPECT_EQ(static_cast<unsigned char>(Bytes("s.xml")[0]), 0x0A);  // no byte-order mark

  // Load, save, load again: the same bytes every time.
  for (int round = 0; round < 3; ++round) {
    XMLNode again;
    ASSERT_EQ(again.LoadFile(WinPath("s.xml").c_str()), 1);
    ASSERT_EQ(again.SaveFile(WinPath("s.xml").c_str()), 1);
    EXPECT_EQ(Bytes("s.xml"), Utf16Le(golden)) << "round " << round;
  }
  // Nothing is left beside the file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(XmlFile, LoadReportsWhatItRead) {
  struct Case {
    std::string bytes;
    int result;
    const char* tree;
  } cases[] = {
      {"", 0, ""},
      {Utf16Le(u"no markup"), 0, ""},
      {Utf16Le(u"<a x/>"), 0, "a"},  // does not parse
      {Utf16Le(u"\uFEFF<a>v</a>"), 1, "a{v}"},
      {Utf16Le(u"<a>v") + "!", 1, "a{v!}"},  // an odd last byte is a unit of its own
      {Utf16Le(u"<a>v"), 1, "a{v}"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    Write("l.xml", cases[i].bytes);
    XMLNode n;
    EXPECT_EQ(n.LoadFile(WinPath("l.xml").c_str()), cases[i].result) << i;
    EXPECT_EQ(xmltest::Dump(n), cases[i].tree) << i;
  }
  XMLNode n;
  EXPECT_EQ(n.LoadFile(WinPath("missing.xml").c_str()), 0);
  EXPECT_EQ(n.LoadFile(nullptr), 0);

  // piDefault reports the latest load's error, at an offset into its text.
  Write("l.xml", Utf16Le(u"<a><b></a>"));
  EXPECT_EQ(n.LoadFile(WinPath("l.xml").c_str()), 0);
  EXPECT_EQ(piDefault.errorCode, kXmlErrorMismatchedEndTag);
  EXPECT_EQ(piDefault.errorOffset, 10);
  Write("l.xml", Utf16Le(u"<a/>"));
  EXPECT_EQ(n.LoadFile(WinPath("l.xml").c_str()), 1);
  EXPECT_FALSE(piDefault.errorOccurred);
}

TEST_F(XmlFile, FailedSaveKeepsTheOldFile) {
  XMLNode n;
  n.name = u"new";
  EXPECT_EQ(n.SaveFile(nullptr), 0);
  EXPECT_EQ(n.SaveFile(WinPath("no/such/folder/f.xml").c_str()), 0);
  // A folder where the file should go cannot be replaced; nothing is left behind.
  fs::create_directory(dir_ / "taken");
  EXPECT_EQ(n.SaveFile(WinPath("taken").c_str()), 0);
  EXPECT_TRUE(fs::is_directory(dir_ / "taken"));
  Write("old.xml", Utf16Le(u"<old/>"));
  ASSERT_EQ(n.SaveFile(WinPath("old.xml").c_str()), 1);
  EXPECT_EQ(Bytes("old.xml"), Utf16Le(u"\n<new/>"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

}  // namespace

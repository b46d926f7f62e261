// The pieces every importer shares: hyperlink descriptions, topic display texts, colour
// texts, GUID texts, face resolution, and the link targets of FreeMind maps.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <basalt/xml/node.h>

#include <foliant/common/color_text.h>
#include <foliant/common/face_resolution.h>
#include <foliant/common/guid_text.h>
#include <kx2/Ref.h>
#include <foliant/common/hyperlink_description.h>
#include <foliant/common/topic_text.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/testing/leak_check.h>

#include "freemind/link_target.h"

namespace {

TEST(FreeMindShared, HyperlinkDescriptions) {
  const std::u16string mail =
      foliant::BuildHyperlinkDescription(u"mailto:a@b", true, foliant::kLinkEmail, u"Hi & bye", u"t");
  const size_t type = mail.find(u"<type>email</type>"), option = mail.find(u"<option>absolute</option>"),
               link = mail.find(u"<link>mailto:a@b</link>"), subject = mail.find(u"<subject>Hi &amp; bye</subject>"),
               text = mail.find(u"<text>t</text>");
  ASSERT_NE(text, std::u16string::npos) << std::string(mail.begin(), mail.end());
  EXPECT_TRUE(mail.find(u"<hyperlink>") < type && type < option && option < link && link < subject && subject < text);

  const char16_t* names[] = {u"web", u"file", u"email", u"current", u"folder"};
  for (int kind = 0; kind < 5; ++kind)
    EXPECT_NE(foliant::BuildHyperlinkDescription(u"x", false, kind, u"", u"")
                  .find(std::u16string(u"<type>") + names[kind] + u"</type>"),
              std::u16string::npos);
  EXPECT_NE(foliant::BuildHyperlinkDescription(u"x", false, 0, u"", u"").find(u"<option>relative</option>"),
            std::u16string::npos);
  EXPECT_EQ(foliant::BuildHyperlinkDescription(u"x", false, 5, u"", u""), u"") << "a kind outside 0 to 4";
  EXPECT_EQ(foliant::BuildHyperlinkDescription(u"x", false, -1, u"", u""), u"");
  EXPECT_EQ(foliant::BuildHyperlinkDescription(u"x", true, 0, nullptr, u"").find(u"subject"), std::u16string::npos)
      << "the XMind form has no subject";
}

// The description is the text the foundation's XML writer gives for the same element,
// under the writer's shared options as they stand, whatever the texts hold.
TEST(FreeMindShared, HyperlinkDescriptionsAreWhatTheXmlWriterWrites) {
  using Basalt::XMLDom::XMLNode;
  auto written = [](LPCWSTR link, bool absolute, int kind, LPCWSTR subject, LPCWSTR text) {
    const char16_t* names[] = {u"web", u"file", u"email", u"current", u"folder"};
    std::unique_ptr<XMLNode> root(XMLNode::CreateNode(u"hyperlink", nullptr));
    root->AppendChild(u"type", names[kind]);
    root->AppendChild(u"option", absolute ? u"absolute" : u"relative");
    root->AppendChild(u"link", link);
    if (subject) root->AppendChild(u"subject", subject);
    root->AppendChild(u"text", text);
    Basalt::XMLDom::DispOption option = Basalt::XMLDom::optDefault;
    return root->GetXML(&option);
  };
  const struct {
    const char16_t *link, *subject, *text;
  } texts[] = {
      {u"http://a.example/?x=1&y=<2>", u"", u"Topic \"one\" & 'two'"},
      {u"", nullptr, u""},
      {u"mailto:a@b", u"Re: <&>", u"\u00e9\u65b0 \U0001F600 \u2028"},
      {u"{0123ABCD-4567-89EF-0123-456789ABCDEF}|{00000000-0000-0000-0000-000000000001}", u"", u"\t\n line"},
  };
  const Basalt::XMLDom::DispOption saved = Basalt::XMLDom::optDefault;
  const Basalt::XMLDom::XmlEntiry extra[] = {{u'&', u"&amp;", 5}, {u'\u00e9', u"&eacute;", 8}, {u'x', u"", 0}};
  Basalt::XMLDom::XMLEntitys wideTable(extra, 3);
  for (int layout = 0; layout < 4; ++layout) {
    Basalt::XMLDom::optDefault = saved;
    if (layout == 1) Basalt::XMLDom::optDefault.newline = 0;
    if (layout == 2) Basalt::XMLDom::optDefault.depth = 2, Basalt::XMLDom::optDefault.encodeEntities = 0;
    if (layout == 3) Basalt::XMLDom::optDefault.entities = &wideTable;
    for (const auto& t : texts)
      for (int kind = 0; kind < 5; ++kind)
        for (bool absolute : {false, true})
          EXPECT_EQ(foliant::BuildHyperlinkDescription(t.link, absolute, kind, t.subject, t.text),
                    written(t.link, absolute, kind, t.subject, t.text))
              << "layout " << layout << ", kind " << kind;
  }
  Basalt::XMLDom::optDefault = saved;
}

TEST(FreeMindShared, HashColours) {
  const struct {
    const char16_t* text;
    DWORD value;  // 0: none
  } cases[] = {
      {u"#336699", 0xFF336699}, {u"#FFFFFF", 0xFFFFFFFF}, {u"#000000", 0xFF000000}, {u"#fff", 0}, {u"#808080ff", 0},
      {u"336699", 0},           {u"#33669", 0},           {u"#3366 9", 0},          {u"", 0},     {u"#", 0}};
  for (const auto& c : cases) {
    auto parsed = foliant::ParseHashColor(c.text);
    EXPECT_EQ(parsed.value_or(0), c.value) << std::string(c.text, c.text + std::u16string_view(c.text).size());
  }
}

TEST(FreeMindShared, GuidTexts) {
  const GUID guid{0x0123ABCD, 0x4567, 0x89EF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  EXPECT_EQ(foliant::GuidRegistryText(guid), u"{0123ABCD-4567-89EF-0123-456789ABCDEF}");
  EXPECT_EQ(foliant::GuidRegistryText(GUID{}), u"{00000000-0000-0000-0000-000000000000}");
}

TEST(FreeMindShared, LinkTargets) {
  using foliant::freemind::ClassifyLink;
  using foliant::freemind::ResolveLocalPath;
  auto exists = [](const char16_t* path) -> DWORD {
    const std::u16string_view p(path);
    if (p == u"C:\\docs\\a.txt" || p == u"Z:\\maps\\rel\\b.txt") return 0x20;
    if (p == u"Z:\\maps\\dir\\") return 0x10;
    return 0xFFFFFFFF;
  };
  const std::u16string folder = u"Z:\\maps\\";
  EXPECT_EQ(ResolveLocalPath(u"file:/C:/docs/a.txt", folder).path, u"C:\\docs\\a.txt");
  EXPECT_TRUE(ResolveLocalPath(u"file:///C:/docs/a.txt", folder).absolute);
  EXPECT_EQ(ResolveLocalPath(u"x/C:\\docs\\a.txt", folder).path, u"C:\\docs\\a.txt") << "from the drive letter on";
  EXPECT_EQ(ResolveLocalPath(u":\\x", folder).path, u"Z:\\maps\\:\\x") << "no character before the colon";
  EXPECT_FALSE(ResolveLocalPath(u":\\x", folder).absolute);
  EXPECT_EQ(ResolveLocalPath(u"rel/b.txt", folder).path, u"Z:\\maps\\rel\\b.txt");
  // A POSIX absolute path names the file itself, not one below the map's folder.
  EXPECT_EQ(ResolveLocalPath(u"/home/u/a.txt", folder).path, u"Z:\\home\\u\\a.txt");
  EXPECT_TRUE(ResolveLocalPath(u"/home/u/a.txt", folder).absolute);

  auto file = ClassifyLink(u"rel/b.txt", folder, +exists);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->kind, foliant::kLinkFile);
  EXPECT_FALSE(file->absolute);
  auto dir = ClassifyLink(u"dir/", folder, +exists);
  ASSERT_TRUE(dir);
  EXPECT_EQ(dir->kind, foliant::kLinkFolder);
  EXPECT_FALSE(ClassifyLink(u"missing.txt", folder, +exists));
  EXPECT_FALSE(ClassifyLink(u":\\", folder, +exists));
  EXPECT_FALSE(ClassifyLink(u"www.example.org", folder, +exists)) << "no scheme: a file that is not there";
  auto mail = ClassifyLink(u"mailto:x@y.org?subject=Hi", folder, +exists);
  ASSERT_TRUE(mail);
  EXPECT_EQ(mail->link, u"mailto:x@y.org");
  EXPECT_EQ(mail->subject, u"Hi");
  auto topic = ClassifyLink(u"#_Freemind_Link_12", folder, +exists);
  ASSERT_TRUE(topic);
  EXPECT_EQ(topic->kind, foliant::kLinkCurrent);
  EXPECT_EQ(topic->nodeId, u"_Freemind_Link_12");
  EXPECT_EQ(ClassifyLink(u"https://x", folder, +exists)->kind, foliant::kLinkWeb);
}

class TopicTextTest : public vantorel::testing::HostLeakCheck {
 protected:
  // The display text of the central topic of a new document holding `text` (written as
  // the importers write), read into a buffer of `size` characters filled with "#".
  static std::u16string Display(const std::u16string& text, LONG size, LONG* result) {
    vantorel::OpenDocument(true);
    IVtlDocumentManager* documents = vantorel::DocumentManager();
    IVtlDocument* document = nullptr;
    for (ULONG_PTR position = documents->GetFirstDocumentPosition(); position;)
      document = documents->GetNextDocument(&position);
    kx2::Ref<IVtlModel> model(document->GetModel());
    kx2::Ref<IVtlObject> root(model->GetRootNode(0));
    EXPECT_TRUE(model->PlaceObject(0, root.get(), 0));
    EXPECT_TRUE(foliant::WriteHostText(model.get(), text));
    kx2::Ref<IVtlObject> textObject(
        root->GetObject(root->FindAttached(vantorel::kRoleTextStyle), vantorel::kRoleTextStyle));
    std::u16string buffer(static_cast<size_t>(size), u'#');
    *result = foliant::GetTopicDisplayText(model.get(), textObject.get(), buffer.data(), size);
    return buffer.substr(0, buffer.find(u'\0'));
  }
};

TEST_F(TopicTextTest, DisplayText) {
  const std::u16string letters150(150, u'x');
  const struct {
    std::u16string text;
    LONG size;
    std::u16string display;
    LONG result;
  } cases[] = {
      {u"  \t\tStart here", 260, u"Start here", 9},
      {u"first line\nsecond line", 260, u"first line", 9},
      {u"\n\nafter breaks", 260, u"after breaks", 11},
      {u"a\tb", 260, u"a b", 2},
      {letters150, 260, std::u16string(100, u'x'), 100},
      {u"abcdef", 4, u"abc", 3},
      {u"ab", 3, u"ab", 2},
      {u"   ", 260, std::u16string(260, u'#'), 0},
  };
  for (const auto& c : cases) {
    LONG result = -1;
    const std::u16string shown = Display(c.text, c.size, &result);
    EXPECT_EQ(result, c.result) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(shown, c.display.substr(0, std::min(c.display.size(), static_cast<size_t>(c.size))))
        << std::string(c.text.begin(), c.text.end());
  }
}

TEST_F(TopicTextTest, FacesResolveAgainstTheHostsList) {
  foliant::FaceResolver faces(VtlGetApplication());
  EXPECT_EQ(faces.Resolve(u"Verdana"), u"Verdana");
  EXPECT_EQ(faces.Resolve(u"verdana"), u"Arial") << "compared exactly";
  EXPECT_EQ(faces.Resolve(u"SansSerif"), u"Arial") << "the host's default face";
  EXPECT_EQ(foliant::ResolveFaceName(VtlGetApplication(), u"Georgia"), u"Georgia");
}

}  // namespace

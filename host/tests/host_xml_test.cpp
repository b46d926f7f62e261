// The host's XML object model over libxml2, as the importers and the engine read and write it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <kx2/PathMap.h>
#include <kx2/Utf.h>
#include <vantorel/exports.h>
#include <vantorel/testing/leak_check.h>

namespace {

using vantorel::testing::HostLeakCheck;

// Releases on scope exit.
template <class T>
struct Own {
  T* p;
  Own(T* q = nullptr) : p(q) {}
  ~Own() {
    if (p) p->Release();
  }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

class HostXml : public HostLeakCheck {
 protected:
  IKX2XMLDocument* Parse(const std::string& xml) {
    Own<IKX2XMLFactory> factory(VtlGetApplication()->GetXMLFactory());
    Own<IKX2XMLParser> parser(factory->CreateParser());
    IKX2XMLDocument* doc = parser->Parse(reinterpret_cast<const BYTE*>(xml.data()), static_cast<ULONG>(xml.size()));
    if (!doc) lastError_ = parser->GetErrorText();
    return doc;
  }
  std::u16string lastError_;
};

std::u16string S(LPCWSTR s) { return s ? s : u"<null>"; }

TEST_F(HostXml, NamesAsWrittenTextNodesKeptEntitiesResolved) {
  Own<IKX2XMLDocument> doc(
      Parse("<?xml version='1.0'?><!DOCTYPE ap:Map [<!ENTITY co 'Company &amp; Co'>]>"
            "<ap:Map xmlns:ap='http://schemas.mindjet.com/MindManager/Application/2003' ap:Dirty='1' plain='x'>"
            " <ap:Topic OId='a'>&co; &#x4E2D;<![CDATA[<raw>]]></ap:Topic>\n <ap:Topic OId='b'/></ap:Map>"));
  ASSERT_TRUE(doc);
  Own<IKX2XMLElement> root(doc->GetDocumentElement());
  ASSERT_TRUE(root);
  EXPECT_EQ(S(root->GetTagName()), u"ap:Map");
  EXPECT_EQ(S(root->GetAttribute(u"ap:Dirty")), u"1");
  EXPECT_EQ(S(root->GetAttribute(u"Dirty")), u"<null>");
  EXPECT_EQ(S(root->GetAttributeNS(u"ap", u"Dirty")), u"1");
  EXPECT_EQ(S(root->GetAttributeNS(u"http://schemas.mindjet.com/MindManager/Application/2003", u"Dirty")), u"1");
  EXPECT_EQ(S(root->GetAttributeNS(u"", u"plain")), u"x");
  EXPECT_TRUE(root->HasAttribute(u"xmlns:ap"));
  EXPECT_FALSE(root->HasAttribute(u"missing"));

  // Children: blank text, topic, line feed and blank, topic.
  Own<IKX2XMLNodeList> all(root->GetChildNodes());
  ASSERT_EQ(all->GetCount(), 4);
  Own<IKX2XMLNode> blank(all->GetItem(0));
  EXPECT_EQ(blank->GetNodeType(), KX2XML_TEXT);
  EXPECT_EQ(S(blank->GetNodeValue()), u" ");
  EXPECT_EQ(all->GetItem(4), nullptr);

  Own<IKX2XMLNodeList> topics(root->GetChildren(u"ap:Topic"));
  ASSERT_EQ(topics->GetCount(), 2);
  Own<IKX2XMLNode> first(topics->GetItem(0));
  auto* topic = dynamic_cast<IKX2XMLElement*>(first.p);
  ASSERT_TRUE(topic) << "an element node converts to IKX2XMLElement";
  EXPECT_EQ(S(topic->GetText()), u"Company & Co \u4E2D<raw>");
  Own<IKX2XMLNodeList> none(root->GetChildren(u"ap:topic"));
  EXPECT_EQ(none->GetCount(), 0) << "names compare exactly";
}

TEST_F(HostXml, UndeclaredPrefixesKeepTheirNames) {
  Own<IKX2XMLDocument> doc(
      Parse("<xmap-content><topic xlink:href='xmind:#1' svg:x='12.5'><title>T</title></topic></xmap-content>"));
  ASSERT_TRUE(doc);
  Own<IKX2XMLElement> root(doc->GetDocumentElement());
  Own<IKX2XMLNode> child(root->GetFirstChild());
  auto* topic = dynamic_cast<IKX2XMLElement*>(child.p);
  ASSERT_TRUE(topic);
  EXPECT_EQ(S(topic->GetAttribute(u"xlink:href")), u"xmind:#1");
  EXPECT_EQ(S(topic->GetAttribute(u"svg:x")), u"12.5");
  Own<IKX2XMLNode> next(child->GetNextSibling());
  EXPECT_FALSE(next);
}

TEST_F(HostXml, RefusesMalformedDocumentsAndExternalEntities) {
  char dir[] = "/tmp/host_xml_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  std::string secret = std::string(dir) + "/secret.txt";
  std::ofstream(secret) << "SECRET";
  Own<IKX2XMLDocument> doc(Parse("<!DOCTYPE m [<!ENTITY s SYSTEM 'file://" + secret + "'>]><m>&s;</m>"));
  if (doc) {
    Own<IKX2XMLElement> root(doc->GetDocumentElement());
    EXPECT_EQ(std::u16string(root->GetText()).find(u"SECRET"), std::u16string::npos);
  }
  for (const char* bad : {"", "<a>", "<a></b>", "text"}) {
    Own<IKX2XMLDocument> d(Parse(bad));
    EXPECT_FALSE(d) << bad;
    EXPECT_FALSE(lastError_.empty()) << bad;
  }
  std::remove(secret.c_str());
  rmdir(dir);
}

TEST_F(HostXml, ParsesAFileByWindowsPathInItsDeclaredEncoding) {
  char dir[] = "/tmp/host_xml_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  std::string file = std::string(dir) + "/Map.mm";
  std::ofstream(file, std::ios::binary)
      << "<?xml version='1.0' encoding='ISO-8859-1'?><map version='1.0.1'><node TEXT='caf\xE9'/></map>";
  std::u16string path = kx2::ToWindowsPath(file);
  Own<IKX2XMLFactory> factory(VtlGetApplication()->GetXMLFactory());
  Own<IKX2XMLParser> parser(factory->CreateParser());
  Own<IKX2XMLDocument> doc(parser->ParseFile(path.c_str()));
  ASSERT_TRUE(doc);
  Own<IKX2XMLElement> root(doc->GetDocumentElement());
  Own<IKX2XMLNodeList> nodes(root->GetChildren(u"node"));
  Own<IKX2XMLNode> node(nodes->GetItem(0));
  EXPECT_EQ(S(dynamic_cast<IKX2XMLElement*>(node.p)->GetAttribute(u"TEXT")), u"café");
  Own<IKX2XMLDocument> missing(parser->ParseFile((path + u"x").c_str()));
  EXPECT_FALSE(missing);
  std::remove(file.c_str());
  rmdir(dir);
}

TEST_F(HostXml, BuildsAndPrintsADocument) {
  Own<IKX2XMLFactory> factory(VtlGetApplication()->GetXMLFactory());
  Own<IKX2XMLDocument> doc(factory->CreateDocument());
  Own<IKX2XMLElement> root(doc->CreateElement(u"m:presentMapping"));
  ASSERT_TRUE(doc->SetDocumentElement(root.p));
  Own<IKX2XMLElement> child(doc->CreateElement(u"m:fill"));
  EXPECT_TRUE(child->SetAttribute(u"m:type", u"solid & <plain>"));
  EXPECT_TRUE(child->SetAttribute(u"m:type", u"gradient"));
  EXPECT_TRUE(child->SetAttributeNS(u"", u"m:count", u"2"));
  Own<IKX2XMLNode> text(doc->CreateTextNode(u"a<b"));
  EXPECT_TRUE(child->AppendChild(text.p));
  EXPECT_TRUE(root->AppendChild(child.p));
  EXPECT_FALSE(child->AppendChild(root.p)) << "an ancestor cannot become a child";
  EXPECT_EQ(S(root->GetXml()),
            u"<m:presentMapping><m:fill m:type=\"gradient\" m:count=\"2\">a&lt;b</m:fill></m:presentMapping>");
  Own<IKX2XMLElement> loose(doc->CreateElement(u"never-attached"));
  EXPECT_TRUE(root->RemoveChild(child.p));
  EXPECT_EQ(S(root->GetXml()), u"<m:presentMapping/>");
}

}  // namespace

namespace {

// Faults libxml2 reports outside the parse (an input that does not decode) reach the
// parser's error text, never standard error.
TEST_F(HostXml, EncodingFaultsGoToTheErrorTextNotToStandardError) {
  const std::string bad = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><map><node TEXT=\"\xcf\xf0\x98\"/></map>";
  ::testing::internal::CaptureStderr();
  Own<IKX2XMLDocument> doc(Parse(bad));
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(doc);
  EXPECT_EQ(printed, "");
  EXPECT_NE(lastError_.find(u"input conversion failed"), std::u16string::npos);
}

}  // namespace

namespace {

// A refusal says why and where; an input that is not UTF-8 and declares nothing, and a
// nesting past the parser's limit, in words of their own.
TEST_F(HostXml, RefusalsNameTheirCauseLineAndColumn) {
  const struct {
    std::string xml;
    const char16_t* text;
  } cases[] = {
      {"<m>\n  <a></b></m>", u"(line 2, column "},
      {"<m TEXT='caf\xE9'/>", u"not valid UTF-8 and no encoding declared (line 1, column "},
      {[] {
         std::string deep;
         for (int i = 0; i < 300; ++i) deep += "<n>";
         return deep;
       }(),
       u"nested deeper than 256 elements (line 1, column "},
  };
  for (const auto& c : cases) {
    Own<IKX2XMLDocument> doc(Parse(c.xml));
    EXPECT_FALSE(doc);
    EXPECT_NE(lastError_.find(c.text), std::u16string::npos) << kx2::Utf16ToUtf8(lastError_);
  }
  // A declared encoding is no "no encoding declared".
  Own<IKX2XMLDocument> doc(Parse("<?xml version='1.0' encoding='UTF-8'?><m TEXT='caf\xE9'/>"));
  EXPECT_FALSE(doc);
  EXPECT_EQ(lastError_.find(u"no encoding declared"), std::u16string::npos) << kx2::Utf16ToUtf8(lastError_);
}

}  // namespace

namespace {

// A file is read in pieces as the parser goes: a map larger than any one piece reads
// whole, and a file's refusals say what the same bytes in memory say (the encoding rule
// looks at the file's first bytes).
TEST_F(HostXml, AFileReadInPiecesParsesAndRefusesAsItsBytesDo) {
  char dir[] = "/tmp/host_xml_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  const std::string file = std::string(dir) + "/Map.mm";
  const std::u16string path = kx2::ToWindowsPath(file);
  Own<IKX2XMLFactory> factory(VtlGetApplication()->GetXMLFactory());
  Own<IKX2XMLParser> parser(factory->CreateParser());
  auto parseFile = [&](const std::string& xml) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << xml;
    return parser->ParseFile(path.c_str());
  };

  std::string large = "<map>";
  for (int i = 0; i < 2000; ++i) large += "<node TEXT='topic " + std::to_string(i) + "'/>\n";
  large += "<node TEXT='last'/></map>";
  // Bytes in memory are handed over in pieces too: in UTF-8 and in UTF-16 with its mark.
  std::string largeUtf16 = "\xFF\xFE";
  for (char c : large) largeUtf16 += {c, '\0'};
  for (int source = 0; source < 3; ++source) {
    Own<IKX2XMLDocument> doc(source == 0 ? parseFile(large) : Parse(source == 1 ? large : largeUtf16));
    ASSERT_TRUE(doc) << source;
    Own<IKX2XMLElement> root(doc->GetDocumentElement());
    Own<IKX2XMLNodeList> nodes(root->GetChildren(u"node"));
    ASSERT_EQ(nodes->GetCount(), 2001);
    Own<IKX2XMLNode> last(nodes->GetItem(2000));
    EXPECT_EQ(S(dynamic_cast<IKX2XMLElement*>(last.p)->GetAttribute(u"TEXT")), u"last");
  }

  const std::string refused[] = {
      "<m TEXT='caf\xE9'/>",
      "<?xml version='1.0' encoding='UTF-8'?><m TEXT='caf\xE9'/>",
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?><map><node TEXT=\"\xcf\xf0\x98\"/></map>",
      large.substr(0, large.size() - 3),
      "",
  };
  for (const std::string& xml : refused) {
    Own<IKX2XMLDocument> inMemory(Parse(xml));
    EXPECT_FALSE(inMemory);
    Own<IKX2XMLDocument> fromFile(parseFile(xml));
    EXPECT_FALSE(fromFile);
    EXPECT_EQ(kx2::Utf16ToUtf8(S(parser->GetErrorText())), kx2::Utf16ToUtf8(lastError_)) << xml.substr(0, 60);
  }
  std::remove(file.c_str());
  rmdir(dir);
}

}  // namespace

namespace {

IKX2XMLElement* Child(IKX2XMLElement* parent, const char16_t* name) {
  Own<IKX2XMLNodeList> list(parent->GetChildren(name));
  return list && list->GetCount() > 0 ? dynamic_cast<IKX2XMLElement*>(list->GetItem(0)) : nullptr;
}

// A removed node is freed once nothing can reach it: while an object or a node list names
// it or a node under it, or it is attached again, it stays readable.
TEST_F(HostXml, RemovedNodesStayWhileAnythingReachesThem) {
  Own<IKX2XMLDocument> doc(Parse("<m><a k='1'><b k='2'><c k='3'/></b></a><d k='4'/><e k='5'/><f k='6'/></m>"));
  ASSERT_TRUE(doc);
  Own<IKX2XMLElement> root(doc->GetDocumentElement());

  // A grandchild held while its branch is removed and the branch let go.
  Own<IKX2XMLElement> c;
  {
    Own<IKX2XMLElement> a(Child(root.p, u"a"));
    Own<IKX2XMLElement> b(Child(a.p, u"b"));
    c.p = Child(b.p, u"c");
    EXPECT_TRUE(root->RemoveChild(a.p));
  }
  EXPECT_EQ(S(c->GetAttribute(u"k")), u"3");
  Own<IKX2XMLNode> b(c->GetParentNode());
  EXPECT_EQ(S(b->GetNodeName()), u"b");

  // A node list keeps what it lists.
  Own<IKX2XMLNodeList> listed(root->GetChildren(u"d"));
  {
    Own<IKX2XMLNode> d(listed->GetItem(0));
    EXPECT_TRUE(root->RemoveChild(d.p));
  }
  Own<IKX2XMLNode> d(listed->GetItem(0));
  EXPECT_EQ(S(dynamic_cast<IKX2XMLElement*>(d.p)->GetAttribute(u"k")), u"4");

  // A removed node attached again belongs to the tree once more.
  {
    Own<IKX2XMLElement> e(Child(root.p, u"e"));
    EXPECT_TRUE(root->RemoveChild(e.p));
    EXPECT_TRUE(root->AppendChild(e.p));
  }
  Own<IKX2XMLElement> e(Child(root.p, u"e"));
  ASSERT_TRUE(e);
  EXPECT_EQ(S(e->GetAttribute(u"k")), u"5");

  // A made element that is never attached, and a removed one let go at once.
  { Own<IKX2XMLElement> loose(doc->CreateElement(u"loose")); }
  {
    Own<IKX2XMLElement> f(Child(root.p, u"f"));
    EXPECT_TRUE(root->RemoveChild(f.p));
  }
  EXPECT_EQ(S(root->GetXml()), u"<m><e k=\"5\"/></m>");
}

}  // namespace

namespace {

// Every text an element hands out stays as it was while the element lives: read again
// unchanged it is the same text, and a value that changed is read as new while the old
// one still holds what it held (texts short and long, ASCII and not, more than a few).
TEST_F(HostXml, TextsHandedOutStayWhileTheElementLives) {
  const std::string longValue(300, 'l');
  Own<IKX2XMLDocument> doc(Parse("<m a='short' b='" + longValue +
                                 "' c='caf\xC3\xA9' d='d' e='\xE4\xB8\xAD \xF0\x9F\x98\x80!' f='ffffffffffffffffffff'"
                                 " g='g'>text</m>"));
  ASSERT_TRUE(doc);
  Own<IKX2XMLElement> root(doc->GetDocumentElement());
  const std::pair<const char16_t*, std::u16string> expected[] = {
      {u"a", u"short"},
      {u"b", std::u16string(longValue.begin(), longValue.end())},
      {u"c", u"caf\u00E9"},
      {u"d", u"d"},
      {u"e", u"\u4E2D \U0001F600!"},
      {u"f", std::u16string(20, u'f')},
      {u"g", u"g"},
  };
  std::vector<LPCWSTR> read;
  for (const auto& [name, value] : expected) read.push_back(root->GetAttribute(name));
  const LPCWSTR text = root->GetText();
  for (size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(S(read[i]), expected[i].second) << i;
    EXPECT_EQ(root->GetAttribute(expected[i].first), read[i]) << "read again: the same text " << i;
  }
  for (const char16_t* name : {u"a", u"b", u"c"}) ASSERT_TRUE(root->SetAttribute(name, u"changed"));
  for (const char16_t* name : {u"a", u"b", u"c"}) EXPECT_EQ(S(root->GetAttribute(name)), u"changed");
  for (size_t i = 0; i < read.size(); ++i) EXPECT_EQ(S(read[i]), expected[i].second) << "kept " << i;
  EXPECT_EQ(S(text), u"text");
  // A lone surrogate set by a caller reads back as it was set.
  const std::u16string lone = u"a\xD800\u00E9";
  ASSERT_TRUE(root->SetAttribute(u"h", lone.c_str()));
  EXPECT_EQ(S(root->GetAttribute(u"h")), lone);

  // Long texts of element after element, each read whole (their room is used again).
  std::string many = "<m>";
  for (int i = 0; i < 6; ++i)
    many += "<n t='" + std::string(700 + 900 * i, static_cast<char>('a' + i)) + "' u='" +
            std::string(3000 - 400 * i, static_cast<char>('A' + i)) + "'/>";
  Own<IKX2XMLDocument> manyDoc(Parse(many + "</m>"));
  ASSERT_TRUE(manyDoc);
  Own<IKX2XMLElement> manyRoot(manyDoc->GetDocumentElement());
  Own<IKX2XMLNodeList> nodes(manyRoot->GetChildren(u"n"));
  for (int round = 0; round < 2; ++round)
    for (LONG i = 0; i < nodes->GetCount(); ++i) {
      Own<IKX2XMLNode> node(nodes->GetItem(i));
      auto* n = dynamic_cast<IKX2XMLElement*>(node.p);
      const LPCWSTR t = n->GetAttribute(u"t");
      EXPECT_EQ(S(n->GetAttribute(u"u")), std::u16string(3000 - 400 * i, static_cast<char16_t>(u'A' + i))) << i;
      EXPECT_EQ(S(t), std::u16string(700 + 900 * i, static_cast<char16_t>(u'a' + i))) << i;
    }
}

}  // namespace

namespace {

size_t LiveOfKind(const vantorel::CensusReport& report, const std::string& kind) {
  for (const std::string& line : report.liveKinds)
    if (line.rfind(kind + " x", 0) == 0) return std::stoul(line.substr(kind.size() + 2));
  return 0;
}

// Node objects are counted by kind while they live, and one released too often under
// quarantine is counted rather than touched.
TEST_F(HostXml, NodeObjectsAreCountedByKind) {
  vantorel::SetQuarantine(true);
  const vantorel::CensusReport before = vantorel::TakeCensus();
  IKX2XMLNode* kept = nullptr;
  {
    Own<IKX2XMLDocument> doc(Parse("<m>t<a/></m>"));
    ASSERT_TRUE(doc);
    Own<IKX2XMLElement> root(doc->GetDocumentElement());
    Own<IKX2XMLNode> text(root->GetFirstChild());
    Own<IKX2XMLNodeList> list(root->GetChildNodes());
    const vantorel::CensusReport during = vantorel::TakeCensus();
    EXPECT_EQ(during.liveObjects, before.liveObjects + 4);
    for (const char* kind : {"XML document", "XML element", "XML node", "XML node list"})
      EXPECT_EQ(LiveOfKind(during, kind), LiveOfKind(before, kind) + 1) << kind;
    kept = text.p;
    kept->AddRef();
  }
  EXPECT_EQ(vantorel::TakeCensus().liveObjects, before.liveObjects + 1) << "the text node still held";
  EXPECT_EQ(S(kept->GetNodeValue()), u"t");
  kept->Release();
  {
    Own<IKX2XMLDocument> doc(Parse("<m/>"));
    ASSERT_TRUE(doc);
    IKX2XMLElement* root = doc->GetDocumentElement();
    root->Release();
    root->Release();  // one release too many
  }
  const vantorel::CensusReport after = vantorel::TakeCensus();
  EXPECT_EQ(after.liveObjects, before.liveObjects);
  EXPECT_EQ(after.extraReleases, before.extraReleases + 1);
  vantorel::CollectQuarantine();
  vantorel::SetQuarantine(false);
}

}  // namespace

namespace {

// Short inputs and long ones, well-formed or not, one after another on one thread: each
// reads as its own bytes say, whatever was parsed before it.
TEST_F(HostXml, InputsOfEverySizeParseAlikeOneAfterAnother) {
  const std::string padding(2000, ' ');
  const std::string documents[] = {
      "<p a='1'>x &amp; <b>y</b></p>",
      "<?xml version='1.0'?><!DOCTYPE p [<!ENTITY e 'ent'>]><p>&e;</p>",
      "<p a='1'>x &amp; <b>y</b></p>" + padding,
      "\xEF\xBB\xBF<p>\xC3\xA9</p>",
      "<p><q></p>",
      "<p>" + padding + "<q></p>",
      "<p>&undefined;</p>",
  };
  const char16_t* const expected[] = {
      u"<p a=\"1\">x &amp; <b>y</b></p>",
      u"<p>ent</p>",
      u"<p a=\"1\">x &amp; <b>y</b></p>",
      u"<p>\u00E9</p>",
      nullptr,
      nullptr,
      nullptr,
  };
  std::u16string firstErrors[std::size(documents)];
  for (int round = 0; round < 3; ++round)
    for (size_t i = 0; i < std::size(documents); ++i) {
      const size_t k = round == 1 ? std::size(documents) - 1 - i : i;
      Own<IKX2XMLDocument> doc(Parse(documents[k]));
      if (!expected[k]) {
        EXPECT_FALSE(doc) << k;
        EXPECT_FALSE(lastError_.empty()) << k;
        if (round == 0) firstErrors[k] = lastError_;
        EXPECT_EQ(kx2::Utf16ToUtf8(lastError_), kx2::Utf16ToUtf8(firstErrors[k])) << k;
        continue;
      }
      ASSERT_TRUE(doc) << k;
      Own<IKX2XMLElement> root(doc->GetDocumentElement());
      EXPECT_EQ(S(root->GetXml()), expected[k]) << k;
    }
}

}  // namespace

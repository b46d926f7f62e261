// The FreeMind importer on small hand-made maps: what each map gives in the host document.
#include "freemind_test_support.h"

#include <functional>
#include <string>
#include <vector>

#include <basalt/error.h>
#include <kx2/MessageBoxSink.h>
#include <kx2/Ref.h>
#include <kx2/Utf.h>

namespace {

using namespace freemind_test;

struct MapCase {
  const char* what;
  std::string map;
  int result;
  std::function<void(const Value& document)> check;
};

std::string Map(const std::string& nodes) { return "<map version=\"1.0.1\">" + nodes + "</map>"; }

const Value* LineColor(const Value* topic, const char* format) {
  return Member(Member(Member(Member(topic, format), "line"), "line"), "color");
}

class FreeMindImportTest : public FreeMindTest {};

TEST_F(FreeMindImportTest, NodeWalkAndStyles) {
  const MapCase cases[] = {
      {"a FOLDED of yes fails the import", Map("<node TEXT='r'><node TEXT='c' FOLDED='yes'/></node>"), 0, nullptr},
      {"an empty FOLDED fails the import", Map("<node TEXT='r' FOLDED=''/>"), 0, nullptr},
      {"FOLDED false leaves the node unfolded, TRUE folds it",
       Map("<node TEXT='r'><node TEXT='a' FOLDED='false'/><node TEXT='b' FOLDED='TRUE'/></node>"), 1,
       [](const Value& d) {
         EXPECT_EQ(Member(TopicAt(d, {0}), "format"), nullptr);
         EXPECT_EQ(Int(Member(Member(TopicAt(d, {1}), "format"), "folded")), 1);
       }},
      {"a root other than map imports nothing and fails", "<mapx version='1'><node TEXT='r'/></mapx>", 0,
       [](const Value& d) { EXPECT_EQ(Text(Member(TopicAt(d, {}), "text")), ""); }},
      {"only the first top-level node is imported", Map("<node TEXT='first'/><node TEXT='second'/>"), 1,
       [](const Value& d) {
         EXPECT_EQ(Text(Member(TopicAt(d, {}), "text")), "first");
         EXPECT_EQ(Member(TopicAt(d, {}), "children"), nullptr);
       }},
      {"nodes without ID are numbered 0, 1, ... in the order met",
       Map("<node TEXT='r' LINK='#1'><node TEXT='c0'/><node TEXT='c1'/></node>"), 1,
       [](const Value& d) {
         const Value* link = Member(Attached(TopicAt(d, {}), "hyperlink"), "link");
         EXPECT_EQ(Text(Member(link, "type")), "current");
         EXPECT_EQ(Text(Member(link, "text")), "c0");
       }},
      {"an encrypted node keeps its own content but not its children",
       Map("<node TEXT='r' ENCRYPTED_CONTENT='x'><icon BUILTIN='flag'/><node TEXT='hidden'/></node>"), 1,
       [](const Value& d) {
         EXPECT_EQ(CountAttached(TopicAt(d, {}), "marker"), 1u);
         EXPECT_EQ(Member(TopicAt(d, {}), "children"), nullptr);
       }},
      {"a child without an edge colour shows its parent's",
       Map("<node TEXT='r'><edge COLOR='#336699'/><node TEXT='c'><node TEXT='g'><edge COLOR='#112233'/>"
           "<node TEXT='gg'/></node></node></node>"),
       1,
       [](const Value& d) {
         EXPECT_EQ(Text(LineColor(TopicAt(d, {0}), "line-and-fill -1")), "#336699");
         EXPECT_EQ(Text(LineColor(TopicAt(d, {0}), "line-and-fill 1")), "#336699");
         EXPECT_EQ(Text(LineColor(TopicAt(d, {0, 0}), "line-and-fill 1")), "#112233");
         EXPECT_EQ(Text(LineColor(TopicAt(d, {0, 0, 0}), "line-and-fill -1")), "#112233");
       }},
      {"fonts: BOLD=false is not bold, TRUE is; the node's own COLOR is the text colour",
       Map("<node TEXT='r' COLOR='#102030' BACKGROUND_COLOR='#ffffcc'>"
           "<font NAME='Verdana' SIZE='10' BOLD='false' ITALIC='TRUE'/>"
           "<node TEXT='b'><font BOLD='true' SIZE='' COLOR='#405060'/></node></node>"),
       1,
       [](const Value& d) {
         const Value* style = Member(TopicAt(d, {}), "style");
         EXPECT_EQ(Member(style, "bold"), nullptr);
         EXPECT_EQ(Int(Member(style, "italic")), 1);
         EXPECT_EQ(Int(Member(style, "size")), 1000);
         EXPECT_EQ(Text(Member(style, "face")), "Verdana");
         EXPECT_EQ(Text(Member(style, "color")), "#102030");
         EXPECT_EQ(Text(Member(Member(Member(TopicAt(d, {}), "format"), "fill"), "color")), "#FFFFCC");
         const Value* child = Member(TopicAt(d, {0}), "style");
         EXPECT_EQ(Int(Member(child, "bold")), 1);
         EXPECT_EQ(Member(child, "size"), nullptr) << "an empty size sets none";
         EXPECT_EQ(Text(Member(child, "color")), "#405060");
       }},
      {"colours other than # and six digits are ignored",
       Map("<node TEXT='r' COLOR='#fff' BACKGROUND_COLOR='#808080ff'><edge COLOR='336699'/>"
           "<cloud COLOR='#12345'/></node>"),
       1,
       [](const Value& d) {
         const Value* root = TopicAt(d, {});
         EXPECT_EQ(Member(Member(root, "style"), "color"), nullptr);
         EXPECT_EQ(Member(root, "format"), nullptr);
         EXPECT_EQ(Member(root, "line-and-fill -1"), nullptr);
         EXPECT_EQ(Member(Item(Member(&d, "boundaries"), 0), "format -1"), nullptr);
       }},
      {"a text of control characters: tabs stay, line feeds break, others go", Map("<node TEXT='a&#9;b&#10;c&#13;d'/>"),
       1, [](const Value& d) { EXPECT_EQ(Text(Member(TopicAt(d, {}), "text")), "a\tb\ncd"); }},
      {"FreeMind 0.8's HTML inside TEXT is read as rich text, without a body too",
       Map("<node TEXT='&lt;html&gt;&lt;b&gt;x&lt;/b&gt;&lt;/html&gt;'/>"), 1,
       [](const Value& d) { EXPECT_EQ(Text(Member(TopicAt(d, {}), "text")), "x"); }},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ImportMap(c.map), c.result);
    if (c.check) c.check(Document());
    vantorel::CloseAllDocuments();
  }
}

TEST_F(FreeMindImportTest, ContentObjects) {
  const MapCase cases[] = {
      {"rich node text and notes nested as richcontent/html/body",
       Map("<node><richcontent TYPE='NODE'><html><head/><body><p align='center'>Big <b>idea</b></p></body></html>"
           "</richcontent><richcontent TYPE='NOTE'><html><body><p>first</p><p>second <font color='teal' "
           "face='NoSuchFace'>x</font></p></body></html></richcontent></node>"),
       1,
       [](const Value& d) {
         const Value* root = TopicAt(d, {});
         EXPECT_EQ(Text(Member(root, "text")), "Big idea");
         EXPECT_EQ(Int(Member(Item(Member(root, "paragraphs"), 0), "align")), 3);
         const Value* notes = Attached(root, "notes");
         EXPECT_EQ(Text(Member(notes, "text")), "first\nsecond x");
         const Value* run = Item(Member(notes, "runs"), 0);
         EXPECT_EQ(Text(Member(run, "text")), "x");
         EXPECT_EQ(Text(Member(Member(run, "style"), "color")), "#008080");
         EXPECT_EQ(Text(Member(Member(run, "style"), "face")), "Arial") << "a face the host lacks: its default";
       }},
      // FreeMind 0.8 writes rich titles as HTML (not XML) into TEXT: read as rich content.
      {"an HTML title is rich text, its references characters",
       Map("<node TEXT='&lt;html&gt;&lt;head&gt;&lt;/head&gt;&lt;body&gt;&lt;p align=center&gt;Big&lt;br&gt;&lt;i&gt;"
           "&amp;#12391;&amp;nbsp;x&lt;/i&gt; &amp;amp; y&lt;/body&gt;&lt;/html&gt;'/>"),
       1,
       [](const Value& d) {
         const Value* root = TopicAt(d, {});
         EXPECT_EQ(Text(Member(root, "text")), "Big\n\u3067\u00a0x & y");
         EXPECT_EQ(Int(Member(Item(Member(root, "paragraphs"), 0), "align")), 3);
         EXPECT_EQ(Text(Member(Item(Member(root, "runs"), 0), "text")), "\u3067\u00a0x");
       }},
      {"a title that only mentions html stays as written", Map("<node TEXT='Rich titles start with &lt;html&gt;'/>"), 1,
       [](const Value& d) { EXPECT_EQ(Text(Member(TopicAt(d, {}), "text")), "Rich titles start with <html>"); }},
      {"a note without text attaches nothing",
       Map("<node TEXT='r'><richcontent TYPE='NOTE'><html><body>  </body></html></richcontent></node>"), 1,
       [](const Value& d) { EXPECT_EQ(Attached(TopicAt(d, {}), "notes"), nullptr); }},
      {"icons: table names give stock markers, others custom icons named by the icon",
       Map("<node TEXT='r'><icon BUILTIN='flag-green'/><icon BUILTIN='idea'/><icon BUILTIN='idea'/>"
           "<node TEXT='c'><icon BUILTIN='idea'/></node></node>"),
       1,
       [](const Value& d) {
         const Value* root = TopicAt(d, {});
         ASSERT_EQ(CountAttached(root, "marker"), 3u) << "one marker object per icon";
         EXPECT_EQ(Text(Member(Attached(root, "marker", 0), "marker")), "Flag green");
         EXPECT_EQ(Text(Member(Attached(root, "marker", 1), "marker")), "idea");
         EXPECT_EQ(Text(Member(Attached(TopicAt(d, {0}), "marker"), "marker")), "idea");
         const Value* group = Item(Member(&d, "objects"), 0);
         EXPECT_EQ(Text(Member(group, "name")), "Custom Icons");
         ASSERT_EQ(Count(Member(group, "entries")), 1u) << "one entry per name and import";
         const Value* entry = Item(Member(group, "entries"), 0);
         EXPECT_EQ(Int(Member(entry, "kind")), 4);
         EXPECT_GT(Int(Member(Member(entry, "file"), "bytes")), 0) << "the stand-in marker picture is stored";
       }},
      {"attributes become one labels object; empty texts read (empty); both empty add nothing",
       Map("<node TEXT='r'><attribute NAME='season' VALUE='spring'/><attribute NAME='' VALUE='v'/>"
           "<attribute NAME='' VALUE=''/><node TEXT='c'><attribute NAME='season' VALUE='spring'/></node></node>"),
       1,
       [](const Value& d) {
         const Value* labels = Member(Attached(TopicAt(d, {}), "labels"), "labels");
         ASSERT_EQ(Count(labels), 2u);
         EXPECT_EQ(Text(Item(labels, 0)), "spring");
         EXPECT_EQ(Text(Item(labels, 1)), "v");
         const Value* objects = Member(&d, "objects");
         ASSERT_EQ(Count(objects), 2u) << "one group per attribute name";
         EXPECT_EQ(Text(Member(Item(objects, 0), "name")), "season");
         EXPECT_EQ(Count(Member(Item(objects, 0), "entries")), 1u) << "a value is registered once per import";
         EXPECT_EQ(Text(Member(Item(objects, 1), "name")), "(empty)");
       }},
      {"an attribute without VALUE stops the walk with failure", Map("<node TEXT='r'><attribute NAME='n'/></node>"), 0,
       nullptr},
      {"a cloud is a boundary with its colour as fill and line",
       Map("<node TEXT='r'><cloud COLOR='#e0f0ff'/><cloud/></node>"), 1,
       [](const Value& d) {
         const Value* boundaries = Member(&d, "boundaries");
         ASSERT_EQ(Count(boundaries), 2u);
         const Value* format = Member(Item(boundaries, 0), "format -1");
         EXPECT_EQ(Text(Member(Member(format, "fill"), "color")), "#E0F0FF");
         EXPECT_EQ(Int(Member(Member(format, "fill"), "kind")), 1);
         EXPECT_EQ(Text(Member(Member(Member(format, "line"), "line"), "color")), "#E0F0FF");
         EXPECT_EQ(Member(Member(Member(format, "line"), "line"), "kind"), nullptr) << "the cloud's line: colour alone";
         EXPECT_EQ(Member(Item(boundaries, 1), "format -1"), nullptr);
       }},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ImportMap(c.map), c.result);
    if (c.check) c.check(Document());
    vantorel::CloseAllDocuments();
  }
}

TEST_F(FreeMindImportTest, ArrowLinksAndLinks) {
  Write("notes.txt", "x");
  std::filesystem::create_directory(folder_ / "sub");
  const std::string file = kx2::Utf16ToUtf8(WindowsFolder()) + "notes.txt";
  const MapCase cases[] = {
      {"arrow links: Default in any case is an arrowhead, unknown targets make nothing",
       Map("<node ID='a' TEXT='a'><arrowlink DESTINATION='b' STARTARROW='None' ENDARROW='DEFAULT' COLOR='#cc0000'/>"
           "<arrowlink DESTINATION='nowhere'/><node ID='b' TEXT='b'><arrowlink DESTINATION='a' "
           "STARTARROW='Default'/></node></node>"),
       1,
       [](const Value& d) {
         const Value* relationships = Member(&d, "relationships");
         ASSERT_EQ(Count(relationships), 2u);
         const Value* first = Item(relationships, 0);
         EXPECT_EQ(Text(Member(first, "from")), "topic a");
         EXPECT_EQ(Text(Member(first, "to")), "topic a/b");
         const Value* line = Member(Member(first, "format -1"), "line");
         EXPECT_EQ(Int(Member(line, "begin-arrow")), 0);
         EXPECT_EQ(Int(Member(line, "end-arrow")), 3);
         EXPECT_EQ(Text(Member(Member(line, "line"), "color")), "#CC0000") << "the colour record of the line";
         const Value* second = Item(relationships, 1);
         EXPECT_EQ(Text(Member(second, "from")), "topic a/b");
         EXPECT_EQ(Int(Member(Member(Member(second, "format -1"), "line"), "begin-arrow")), 3);
       }},
      {"an arrow link without DESTINATION fails the import",
       Map("<node TEXT='r'><arrowlink ENDARROW='Default'/></node>"), 0, nullptr},
      {"links of every kind; missing files and unknown topics drop theirs",
       Map("<node ID='r' TEXT='r'>"
           "<node TEXT='web' LINK='https://example.org/a%20b'/>"
           "<node TEXT='mail' LINK='mailto:a@b.org?subject=Hello%20there'/>"
           "<node TEXT='file' LINK='notes.txt'/>"
           "<node TEXT='folder' LINK='sub/'/>"
           "<node TEXT='url' LINK='file:/" +
           file +
           "'/>"
           "<node TEXT='missing' LINK='absent.txt'/>"
           "<node TEXT='colon' LINK=':\\x'/>"
           "<node TEXT='topic' LINK='#Freemind_Link_1'/>"
           "<node TEXT='lost' LINK='#ID_404'/>"
           "<node ID='Freemind_Link_1' TEXT='  &#9; target&#10;second line'/></node>"),
       1,
       [](const Value& d) {
         auto link = [&](size_t i) { return Member(Attached(TopicAt(d, {i}), "hyperlink"), "link"); };
         EXPECT_EQ(Text(Member(link(0), "type")), "web");
         EXPECT_EQ(Text(Member(link(0), "link")), "https://example.org/a b");
         EXPECT_EQ(Text(Member(link(1), "type")), "email");
         EXPECT_EQ(Text(Member(link(1), "link")), "mailto:a@b.org");
         EXPECT_EQ(Text(Member(link(1), "subject")), "Hello there");
         EXPECT_EQ(Text(Member(link(2), "type")), "file");
         EXPECT_EQ(Text(Member(link(2), "option")), "relative");
         EXPECT_EQ(Text(Member(link(3), "type")), "folder");
         EXPECT_EQ(Text(Member(link(4), "type")), "file");
         EXPECT_EQ(Text(Member(link(4), "option")), "absolute") << "a file: URL names the file itself";
         EXPECT_EQ(link(5), nullptr);
         EXPECT_EQ(link(6), nullptr) << "a colon at the start is no drive";
         EXPECT_EQ(Text(Member(link(7), "type")), "current");
         EXPECT_EQ(Text(Member(link(7), "text")), "target") << "the target's first line, without leading blanks";
         EXPECT_EQ(link(8), nullptr);
       }},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ImportMap(c.map), c.result);
    if (c.check) c.check(Document());
    vantorel::CloseAllDocuments();
  }
}

TEST_F(FreeMindImportTest, ImagesOfRichTextNeedTheirFile) {
  Write("pic.png", "not really a png");
  ASSERT_EQ(ImportMap(Map("<node><richcontent TYPE='NODE'><html><body><p>x<img src='pic.png' width='96' height='48'/>"
                          "</p><img src='gone.png'/></body></html></richcontent></node>")),
            1);
  const Value document = Document();
  const Value* root = TopicAt(document, {});
  ASSERT_EQ(CountAttached(root, "picture"), 1u) << "the missing picture is left out";
  const Value* image = Attached(root, "picture");
  EXPECT_EQ(Int(Member(image, "width")), 7200);
  EXPECT_EQ(Int(Member(image, "height")), 3600);
  EXPECT_EQ(Int(Member(image, "crop-left")), 0);
  EXPECT_EQ(Int(Member(Member(Member(image, "format -1"), "0x4003"), "bytes")), 16);
}

TEST_F(FreeMindImportTest, PicturesWithoutASizeTakeTheirOwn) {
  // A PNG's signature and header: 40 x 20 pixels.
  static const char kPngHead[] =
      "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x28\x00\x00\x00\x14"
      "\x08\x06\x00\x00\x00\xff\x46\x7f\xbb";
  Write("pic.png", std::string(kPngHead, sizeof kPngHead - 1));
  Write("junk.png", "not really a png");
  ASSERT_EQ(ImportMap(Map("<node><richcontent TYPE='NODE'><html><body><p>x<img src='pic.png'/></p>"
                          "<p><img src='pic.png' width='80'/></p><p><img src='junk.png'/></p></body></html>"
                          "</richcontent></node>")),
            1);
  const Value document = Document();
  const Value* root = TopicAt(document, {});
  ASSERT_EQ(CountAttached(root, "picture"), 3u);
  const struct { int64_t width, height; } expected[] = {{3000, 1500}, {6000, 3000}};
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(Int(Member(Attached(root, "picture", i), "width")), expected[i].width) << i;
    EXPECT_EQ(Int(Member(Attached(root, "picture", i), "height")), expected[i].height) << i;
  }
  EXPECT_EQ(Member(Attached(root, "picture", 2), "width"), nullptr) << "no size rather than 0 x 0";
}

TEST_F(FreeMindImportTest, DepthLimitEndsTheImport) {
  auto chain = [](int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) open += "<node TEXT='n'>", close += "</node>";
    return Map(open + close);
  };
  kx2::SetMessageBoxEcho(false);
  kx2::TakeMessageBoxes();
  EXPECT_EQ(ImportMap(chain(foliant::kMaxTopicDepth)), 1);
  EXPECT_TRUE(kx2::TakeMessageBoxes().empty());
  vantorel::CloseAllDocuments();
  // Past the importer's limit, and past the parser's own (256 elements): the probe still
  // knows the format, and the import names the limit.
  for (int depth : {foliant::kMaxTopicDepth + 1, 300}) {
    const std::u16string path = Write("deep.mm", chain(depth));
    EXPECT_EQ(ProbePath(path), 1) << depth;
    Basalt::Error::BaseError::_ClearError();
    vantorel::OpenDocument(true);
    EXPECT_EQ(ImportPath(path), 0) << depth;
    const auto boxes = kx2::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << depth;
    EXPECT_EQ(vantorel::PrintableUtf8(boxes[0].text), "The map is nested deeper than 100 levels.");
    vantorel::CloseAllDocuments();
  }
}

TEST_F(FreeMindImportTest, NeedsADocumentThatMayReceiveTheImport) {
  vantorel::OpenDocument(false);
  EXPECT_EQ(ImportPath(Write("map.mm", Map("<node TEXT='r'/>"))), 0);
  EXPECT_EQ(Text(Member(TopicAt(Document(), {}), "text")), "");
  vantorel::OpenDocument(true);
  vantorel::OpenDocument(false);
  EXPECT_EQ(ImportPath(Write("map.mm", Map("<node TEXT='r'/>"))), 1) << "the last receptive document is taken";
  Value all = vantorel::DescribeDocuments(vantorel::DescribeOptions{});
  EXPECT_EQ(Text(Member(TopicAt(*Item(Member(&all, "documents"), 1), {}), "text")), "r");
}

TEST_F(FreeMindImportTest, Probe) {
  const struct {
    const char* name;
    std::string content;
    int probe;
  } cases[] = {
      {"upper.MM", Map("<node/>"), 1},
      {"plain.mm", "<map version='0.8'><node TEXT='x'/></map>", 1},
      {"other.mmx", Map("<node/>"), 0},
      {"noext", Map("<node/>"), 0},
      {"noversion.mm", "<map><node/></map>", 0},
      // Only the root's start tag is read: the import says what is wrong further in.
      {"nonode.mm", "<map version='1'><nodes/></map>", 1},
      {"broken.mm", "<map version='1'><node></map>", 1},
      {"prolog.mm",
       "\xEF\xBB\xBF<?xml version='1.0'?><!-- c --><!DOCTYPE map [<!ENTITY e '>'>]>\n<map version = \"1\">", 1},
      {"otherroot.mm", "<node version='1'/>", 0},
      {"cut.mm", "<map version='1", 0},
      {"empty.mm", "", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(ProbePath(Write(c.name, c.content)), c.probe) << c.name;
  EXPECT_EQ(ProbePath(WindowsFolder() + u"absent.mm"), 0);
  // An empty file passes the probe but imports nothing, and changes no document.
  vantorel::OpenDocument(true);
  EXPECT_EQ(ImportPath(Write("empty.mm", "")), 0);
  EXPECT_EQ(Member(TopicAt(Document(), {}), "children"), nullptr);
}

TEST_F(FreeMindImportTest, AttributeRecordsFromTheirElement) {
  FreemindImport importer;
  ASSERT_EQ(importer.Init(), 1);
  kx2::Ref<IKX2XMLFactory> factory(VtlGetApplication()->GetXMLFactory());
  kx2::Ref<IKX2XMLParser> parser(factory->CreateParser());
  const std::string xml =
      "<node><attribute NAME='' VALUE='v'/><attribute NAME='n' VALUE=''/>"
      "<attribute NAME='' VALUE=''/><attribute VALUE='v'/></node>";
  kx2::Ref<IKX2XMLDocument> document(
      parser->Parse(reinterpret_cast<const BYTE*>(xml.data()), static_cast<ULONG>(xml.size())));
  ASSERT_TRUE(document);
  kx2::Ref<IKX2XMLElement> node(document->GetDocumentElement());
  kx2::Ref<IKX2XMLNodeList> list(node->GetChildren(u"attribute"));
  ASSERT_EQ(list->GetCount(), 4);
  std::vector<FreemindImport::AttributeRecord> records;
  const int expected[] = {1, 1, 1, 0};
  ImportBase context;
  for (LONG i = 0; i < 4; ++i) {
    kx2::Ref<IKX2XMLNode> item(list->GetItem(i));
    context.SetCurrentElement(dynamic_cast<IKX2XMLElement*>(item.get()));
    EXPECT_EQ(importer.ReadAttributeRecord(context, records), expected[i]) << i;
  }
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].name, u"(empty)");
  EXPECT_EQ(records[0].value, u"v");
  EXPECT_EQ(records[1].name, u"n");
  EXPECT_EQ(records[1].value, u"(empty)");
}

}  // namespace

// The MindManager importer on packages made for the tests: probing, refusals, and each kind
// of topic element, as the host describes what arrived. Every test also proves that the
// import left no host object alive and released none too often.
#include <gtest/gtest.h>

#include <basalt/module.h>
#include <basalt/resource.h>
#include <foliant/filter_library.h>
#include <kx2/MessageBoxSink.h>
#include <vantorel/testing/leak_check.h>
#include <win/user.h>

#include "mindmanager_fixture.h"

namespace {

using mmtest::Attached;
using mmtest::Children;
using mmtest::IntAt;
using mmtest::MapXml;
using mmtest::TextAt;
using vantorel::Value;

std::string Text(const std::string& plain) { return "<ap:Text PlainText=\"" + plain + "\"/>"; }
std::string Topic(const std::string& id, const std::string& inner) {
  return "<ap:Topic OId=\"" + id + "\">" + inner + "</ap:Topic>";
}
std::string SubTopics(const std::string& topics) { return "<ap:SubTopics>" + topics + "</ap:SubTopics>"; }

// Topics nested `levels` deep below the central topic.
std::string Nested(int levels) {
  std::string xml;
  for (int i = 0; i < levels; ++i) xml += "<ap:SubTopics><ap:Topic>";
  for (int i = 0; i < levels; ++i) xml += "</ap:Topic></ap:SubTopics>";
  return xml;
}

std::string Loaded(UINT id) {
  WCHAR buffer[261] = {};
  Basalt::Util::Resource::_LoadString(FoliantModuleInfo()->resourceInstance, id, buffer, 260);
  return vantorel::PrintableUtf8(buffer);
}

const char* const kMarkerSets = R"(
<ap:IconMarkersSets><ap:IconMarkersSet>
  <ap:Name Name="Flags" Dirty="0000000000000000"/>
  <ap:IconMarkers>
    <ap:IconMarker><ap:Name Name="Go" Dirty="0000000000000001"/><ap:OneStockIcon IconType="urn:mindjet:FlagGreen"/></ap:IconMarker>
    <ap:IconMarker><ap:Name Name="Stop" Dirty="false"/><ap:OneStockIcon IconType="urn:mindjet:FlagRed"/></ap:IconMarker>
    <ap:IconMarker><ap:Name Name="Star" Dirty="true"/><ap:CustomIconImageData IconSignature="sig-star"/><cor:Uri>mmarch://icons/star.png</cor:Uri></ap:IconMarker>
    <ap:IconMarker><ap:Name Name="Hidden" Dirty="false"/><ap:CustomIconImageData IconSignature="sig-hidden"/><cor:Uri>mmarch://icons/star.png</cor:Uri></ap:IconMarker>
    <ap:IconMarker><ap:Name Name="Pic" Dirty="true"/><ap:CustomIconImageData IconSignature="sig-pic"><cor:Uri>mmarch://bin/pic.png</cor:Uri></ap:CustomIconImageData></ap:IconMarker>
  </ap:IconMarkers>
</ap:IconMarkersSet></ap:IconMarkersSets>
<ap:IconMarkersName Name="Symbols of the map"/>
<ap:TaskPercentageMarkersName Name="Done so far" Dirty="0000000000000001"/>
<ap:TaskPercentageMarkers>
  <ap:TaskPercentageMarker><ap:Name Name="Half" Dirty="true"/><ap:TaskPercentage TaskPercentage="50"/></ap:TaskPercentageMarker>
</ap:TaskPercentageMarkers>
<ap:TaskPriorityMarkersName Name="Priority" Dirty="0000000000000000"/>
<ap:TaskPriorityMarkers>
  <ap:TaskPriorityMarker><ap:Name Name="Top" Dirty="true"/><ap:TaskPriority TaskPriority="urn:mindjet:Prio1"/></ap:TaskPriorityMarker>
</ap:TaskPriorityMarkers>
<ap:TextLabelMarkersSet><ap:Name Name="Status"/>
  <ap:TextLabelMarker><ap:Name Name="open"/></ap:TextLabelMarker>
  <ap:TextLabelMarker><ap:Name Name="done"/></ap:TextLabelMarker>
</ap:TextLabelMarkersSet>
<ap:TextLabelMarkersSet><ap:Name Name="Size"/><ap:TextLabelMarker><ap:Name Name="big"/></ap:TextLabelMarker></ap:TextLabelMarkersSet>
<ap:TaskResourceMarkersName Name="People" Dirty="1"/>
<ap:TaskResourceMarker><ap:Name Name="Ana"/></ap:TaskResourceMarker>
)";

// A package whose schemas lack one of the four.
mmtest::Package WithoutSchema(const std::string& file, const std::string& document, const std::string& missing) {
  mmtest::Package package{file, {{"Document.xml", document}}, false};
  for (const char* schema : {"Application", "Core", "Delta", "Primitive"})
    if (missing != schema) package.entries.push_back({std::string("xsd/MindManager") + schema + ".xsd", "<schema/>"});
  return package;
}

class MindManagerImportTest : public vantorel::testing::HostLeakCheck {
 protected:
  static void SetUpTestSuite() {
    kx2::SetMessageBoxEcho(false);
    dir_ = new ziptest::TempFolder;
    const std::string minimal = MapXml(Text("Central"));
    std::string lowerRoot = minimal;
    lowerRoot.replace(lowerRoot.find("<ap:Map"), 7, "<ap:map");
    lowerRoot.replace(lowerRoot.rfind("</ap:Map>"), 9, "</ap:map>");
    const std::string png = "\x89PNG\r\n\x1a\n-picture-";
    using mmtest::MapPackage;
    using mmtest::Package;
    mmtest::MakePackages(
        *dir_,
        {
            MapPackage("probe.mmap", minimal),
            MapPackage("PROBE2.MMAP", minimal),
            MapPackage("probe.xmind", minimal),
            WithoutSchema("noapplication.mmap", minimal, "Application"),
            WithoutSchema("nocore.mmap", minimal, "Core"),
            WithoutSchema("nodelta.mmap", minimal, "Delta"),
            WithoutSchema("noprimitive.mmap", minimal, "Primitive"),
            Package{"encrypted.mmap", {{"Document.xml.zencr", "\x01\x02 not a map"}}},
            Package{"noentry.mmap", {}},
            MapPackage("nomarkers.mmap", MapXml(Text("Central"), "", "", true, false)),
            MapPackage("nostyle.mmap", MapXml(Text("Central"), "", "", false, true)),
            MapPackage("lowerroot.mmap", lowerRoot),
            MapPackage("empty.mmap", ""),
            MapPackage("broken.mmap", "<ap:Map><ap:OneTopic>"),
            MapPackage(
                "badnotes.mmap",
                MapXml(Text("C") + "<ap:NotesGroup><ap:NotesData><cor:Uri>x</cor:Uri></ap:NotesData></ap:NotesGroup>")),
            MapPackage("deep-ok.mmap", MapXml(Nested(foliant::kMaxTopicDepth - 1))),
            MapPackage("deep.mmap", MapXml(Nested(foliant::kMaxTopicDepth))),
            Package{"markers.mmap",
                    {{"Document.xml",
                      MapXml(Text("C") +
                                 "<ap:IconsGroup><ap:Icons>"
                                 "<ap:Icon IconType=\"urn:mindjet:FlagGreen\"/><ap:Icon IconSignature=\"sig-star\"/>"
                                 "<ap:Icon IconType=\"urn:mindjet:NoSuchIcon\"/><ap:Icon IconSignature=\"sig-pic\"/>"
                                 "<ap:Icon IconSignature=\"sig-hidden\"/>"
                                 "<ap:Icon "
                                 "IconSignature=\"sig-own\"><ap:CustomIconImageData><cor:Uri>mmarch://icons/own.png</"
                                 "cor:Uri></ap:CustomIconImageData></ap:Icon>"
                                 "</ap:Icons></ap:IconsGroup>"
                                 "<ap:TextLabels><ap:TextLabel TextLabelName=\"done\"/><ap:TextLabel "
                                 "TextLabelName=\"nowhere\"/>"
                                 "<ap:TextLabel TextLabelName=\"big\"/></ap:TextLabels>"
                                 "<ap:Task TaskPercentage=\"50\" TaskPriority=\"urn:mindjet:Prio3\" "
                                 "StartDate=\"2024-03-04T09:00:00\""
                                 " DeadlineDate=\"2024-03-15\" DurationHours=\"80\" DurationUnit=\"urn:mindjet:Week\""
                                 " Resources=\"Ana; Bob\"/>",
                             "", kMarkerSets)},
                     {"icons/star.png", png},
                     {"icons/own.png", png},
                     {"bin/pic.png", png}}},
            Package{"badicon.mmap",
                    {{"Document.xml",
                      MapXml(Text("C"), "",
                             "<ap:IconMarkers><ap:IconMarker><ap:Name Name=\"X\" Dirty=\"true\"/>"
                             "<ap:CustomIconImageData IconSignature=\"s\"/><cor:Uri>mmarch://bin/missing.png</cor:Uri>"
                             "</ap:IconMarker></ap:IconMarkers>")}}},
            MapPackage(
                "text.mmap",
                MapXml("<ap:Text PlainText=\"Hello world&#9;x&#10;y\" TextAlignment=\"urn:mindjet:Center\">"
                       "<ap:Font Name=\"Verdana\" Size=\"12.\" Color=\"ff993300\" Bold=\"true\" Italic=\"false\"/>"
                       "<ap:FontRange From=\"0\" To=\"5\"><ap:Font Italic=\"true\"/></ap:FontRange>"
                       "<ap:FontRange From=\"9\" To=\"99\" Underline=\"true\"/></ap:Text>")),
            MapPackage(
                "layout.mmap",
                MapXml(
                    Text("C") +
                    "<ap:SubTopicsShape SubTopicsGrowth=\"urn:mindjet:Horizontal\" "
                    "SubTopicsAlignment=\"urn:mindjet:Center\""
                    " SubTopicsGrowthDirection=\"urn:mindjet:Right\" SubTopicsConnectionStyle=\"urn:mindjet:Elbow\""
                    " VerticalSubTopicsConnectionStyle=\"urn:mindjet:Angle\" DistanceFromParent=\"10.\""
                    " SubTopicsConnectionPoint=\"urn:mindjet:Inside\" "
                    "SubTopicsTreeConnectionPoint=\"urn:mindjet:Spread\"/>"
                    "<ap:Color FillColor=\"80ff0000\" LineColor=\"#336699\"/>" +
                    SubTopics(
                        Topic("v", Text("Vertical") +
                                       "<ap:SubTopicsShape SubTopicsGrowth=\"urn:mindjet:Vertical\""
                                       " SubTopicsVerticalAlignment=\"urn:mindjet:Middle\""
                                       " SubTopicsVerticalGrowthDirection=\"urn:mindjet:Down\""
                                       " SubTopicsConnectionStyle=\"urn:mindjet:Elbow\""
                                       " VerticalSubTopicsConnectionStyle=\"urn:mindjet:Angle\"/>"
                                       "<ap:TopicViewGroup><ap:Collapsed Collapsed=\"true\"/></ap:TopicViewGroup>"
                                       "<ap:Offset CX=\"30.\" CY=\"-2.5\"/>"
                                       "<ap:SubTopicShape SubTopicShape=\"urn:mindjet:Rectangle\" LeftMargin=\"2.5\"/>"
                                       "<ap:TopicLayout TopicTextAndImagePosition=\"urn:mindjet:TextLeftImageRight\""
                                       " TopicLayoutHorizontalAlignment=\"urn:mindjet:Center\" Width=\"50.\"/>"
                                       "<ap:Color FillColor=\"ddeeff\" LineColor=\"ff00ff00\"/>"
                                       "<ap:CalloutFloatingTopicShape "
                                       "CalloutFloatingTopicShape=\"urn:mindjet:RectangleBalloon\"/>" +
                                       SubTopics(Topic("v1", Text("Leaf")))) +
                        Topic("h", Text("Plain"))))),
            MapPackage(
                "numbering.mmap",
                MapXml(Text("C") +
                       "<cor:Custom Uri=\"http://example.org/other\" cst0:Other=\"1\" "
                       "xmlns:cst0=\"http://example.org/other\"/>"
                       "<cor:Custom Uri=\"http://schemas.mindjet.com/MindManager/Numbering\" cst0:Depth=\"3\""
                       " cst0:Numbering=\"1*A*a*I*i\" cst0:Separators=\".*)*_*.*.\" cst0:Level1Text=\"Chapter\""
                       " xmlns:cst0=\"http://schemas.mindjet.com/MindManager/Numbering\"/>" +
                       SubTopics(Topic(
                           "n", Text("Short") +
                                    "<cor:Custom cst0:Depth=\"2\" cst0:Numbering=\"1*A\" xmlns:cst0=\"urn:x\"/>")))),
            MapPackage(
                "floating.mmap",
                MapXml(
                    Text("C") +
                    SubTopics(Topic(
                        "s",
                        Text("Sub") + "<ap:FloatingTopics><ap:Topic OId=\"c1\">" + Text("Callout") +
                            "<ap:CalloutFloatingTopicShape CalloutFloatingTopicShape=\"urn:mindjet:RectangleBalloon\"/>"
                            "</ap:Topic></ap:FloatingTopics>")) +
                    "<ap:FloatingTopics>" + Topic("f1", Text("First") + "<ap:Offset CX=\"10.\" CY=\"20.\"/>") +
                    Topic("f2", Text("Second") + "<ap:CalloutFloatingTopicShape "
                                                 "CalloutFloatingTopicShape=\"urn:mindjet:RectangleBalloon\"/>") +
                    "</ap:FloatingTopics>")),
            Package{
                "content.mmap",
                {{"Document.xml",
                  MapXml(Text("C") +
                         "<ap:OneImage><ap:Image><ap:ImageData><cor:Uri>mmarch://bin/pic.png</cor:Uri></ap:ImageData>"
                         "<ap:ImageSize Width=\"20.\" Height=\"10.\"/></ap:Image></ap:OneImage>"
                         "<ap:AttachmentGroup><ap:Attachments><ap:Attachment FileName=\"plan.txt\" FileSize=\"5\">"
                         "<ap:AttachmentData><cor:Uri>mmarch://bin/plan.txt</cor:Uri></ap:AttachmentData>"
                         "</ap:Attachment><ap:Attachment FileName=\"again.png\">"
                         "<ap:AttachmentData><cor:Uri>mmarch://bin/pic.png</cor:Uri></ap:AttachmentData>"
                         "</ap:Attachment></ap:Attachments></ap:AttachmentGroup>"
                         "<ap:Comments><ap:Comment Text=\"Check &lt;this&gt;\" AuthorName=\"Ann\" "
                         "DateTime=\"2024-05-06T07:08:09\"/>"
                         "<ap:Comment Text=\"Second\" AuthorName=\"Bo\"/></ap:Comments>")},
                 {"bin/pic.png", png},
                 {"bin/plan.txt", "plan!"}}},
            MapPackage(
                "links.mmap",
                MapXml(
                    Text("C") + "<ap:TopicBookmark Name=\"home\"/>" +
                    SubTopics(
                        Topic("web", Text("Web") + "<ap:Hyperlink Url=\"https://example.org/a\" Absolute=\"true\"/>") +
                        Topic("mail", Text("Mail") + "<ap:Hyperlink Url=\"mailto:a@example.org?subject=Hi there\"/>") +
                        Topic("file", Text("File") + "<ap:Hyperlink Url=\"docs/a.txt\" Absolute=\"false\"/>") +
                        Topic("dir", Text("Folder") + "<ap:Hyperlink Url=\"C:/maps/\" Absolute=\"true\"/>") +
                        Topic("to", Text("To web") + "<ap:Hyperlink Url=\"#xpointer(id('web'))\"/>") +
                        Topic("mark", Text("To home") + "<ap:Hyperlink Url=\"#xpointer(bookmark('home'))\"/>") +
                        Topic("url", Text("Url") + "<ap:Hyperlink Url=\"file:///D:/notes/b.txt\"/>") +
                        Topic("ftp", Text("Ftp") + "<ap:Hyperlink Url=\"ftp://example.org/f\"/>") +
                        Topic("lost", Text("Lost") + "<ap:Hyperlink Url=\"#xpointer(id('nobody'))\"/>")))),
            MapPackage(
                "boundary.mmap",
                MapXml(
                    Text("C") +
                    SubTopics(
                        Topic(
                            "b1",
                            Text("Curved") +
                                "<ap:OneBoundary><ap:Boundary><ap:BoundaryShape "
                                "BoundaryShape=\"urn:mindjet:CurvedRectangle\"/>"
                                "<ap:Color FillColor=\"80ff0000\" LineColor=\"ff0000ff\"/>"
                                "<ap:LineStyle LineDashStyle=\"urn:mindjet:Dash\" LineWidth=\"1.5\"/></ap:Boundary>"
                                "<ap:Topic OId=\"label\"><ap:Text PlainText=\"Label\"/></ap:Topic></ap:OneBoundary>") +
                        Topic("b2", Text("Default") + "<ap:OneBoundary><ap:Boundary/></ap:OneBoundary>") +
                        Topic("b3",
                              Text("Unknown") +
                                  "<ap:OneBoundary><ap:Boundary><ap:BoundaryShape BoundaryShape=\"urn:mindjet:Blob\"/>"
                                  "</ap:Boundary></ap:OneBoundary>") +
                        Topic("b4", Text("Summary") + "<ap:OneBoundary><ap:Boundary><ap:BoundaryShape "
                                                      "BoundaryShape=\"urn:mindjet:SummaryArc\"/>"
                                                      "</ap:Boundary></ap:OneBoundary>")))),
            MapPackage(
                "notes.mmap",
                MapXml(
                    Text("C") +
                    "<ap:NotesGroup><ap:NotesXhtmlData>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"><body>"
                    "<p>Plain <b>bold</b><font>after</font></p>"
                    "<p><font color=\"#ffffff\" face=\"Verdana\">white</font><font face=\"No Such Face\">x</font></p>"
                    "</body></html></ap:NotesXhtmlData>"
                    "<ap:NotesData ImageUri=\"mmarch://bin/n.png\"><cor:Uri>mmarch://bin/n.png</cor:Uri></ap:NotesData>"
                    "</ap:NotesGroup>")),
            MapPackage(
                "relationships.mmap",
                MapXml(
                    Text("C") + SubTopics(Topic("a", Text("A")) + Topic("b", Text("B"))),
                    "<ap:Relationships><ap:Relationship>"
                    "<ap:ConnectionGroup Index=\"0\"><ap:Connection CX=\"1.\" CY=\"2.\"><ap:ObjectReference "
                    "OIdRef=\"a\"/></ap:Connection></ap:ConnectionGroup>"
                    "<ap:ConnectionGroup Index=\"1\" "
                    "ConnectionShape=\"urn:mindjet:OvalArrow\"><ap:Connection><ap:ObjectReference "
                    "OIdRef=\"b\"/></ap:Connection></ap:ConnectionGroup>"
                    "<ap:ConnectionStyle Index=\"0\" ConnectionShape=\"urn:mindjet:Arrow\"/>"
                    "<ap:ConnectionStyle Index=\"1\" ConnectionShape=\"urn:mindjet:NoArrow\"/>"
                    "<ap:LineStyle LineDashStyle=\"urn:mindjet:RoundDot\" LineWidth=\"0.75\"/>"
                    "<ap:Color LineColor=\"ffcc0000\"/><ap:RelationshipLineShape LineShape=\"urn:mindjet:Angled\"/>"
                    "<ap:AutoRoute AutoRouting=\"false\"/></ap:Relationship>"
                    "<ap:Relationship><ap:ConnectionGroup Index=\"0\"><ap:Connection><ap:ObjectReference OIdRef=\"a\"/>"
                    "</ap:Connection></ap:ConnectionGroup><ap:ConnectionGroup Index=\"1\"><ap:Connection>"
                    "<ap:ObjectReference OIdRef=\"gone\"/></ap:Connection></ap:ConnectionGroup></ap:Relationship>"
                    "</ap:Relationships>")),
        });
    std::ofstream(*dir_ / "notzip.mmap") << "this is no zip archive";
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  static mmtest::Imported Import(const std::string& file, int receptive = 1) {
    return mmtest::ImportPackage(*dir_ / file, receptive);
  }
  static int Probe(const std::string& file) {
    MindManagerImport importer;
    EXPECT_EQ(importer.Init(), 1);
    const int result = importer.Probe(ziptest::WinPath(*dir_ / file).c_str());
    importer.Close();
    return result;
  }
  static std::string Dump(const Value& v) { return vantorel::FormatTree(v); }

  static ziptest::TempFolder* dir_;
};
ziptest::TempFolder* MindManagerImportTest::dir_ = nullptr;

TEST_F(MindManagerImportTest, ProbeNeedsTheExtensionTheMapAndTheFourSchemas) {
  struct Case {
    const char* file;
    int expected;
  } cases[] = {
      {"probe.mmap", 1},  {"PROBE2.MMAP", 1},  {"encrypted.mmap", 1},   {"noapplication.mmap", 0},
      {"nocore.mmap", 0}, {"nodelta.mmap", 0}, {"noprimitive.mmap", 0}, {"noentry.mmap", 0},
      {"probe.xmind", 0}, {"notzip.mmap", 0},  {"missing.mmap", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Probe(c.file), c.expected) << c.file;
}

TEST_F(MindManagerImportTest, EncryptedMapIsRefusedWithTheMessageOfItsTwoStrings) {
  kx2::TakeMessageBoxes();
  const mmtest::Imported imported = Import("encrypted.mmap");
  EXPECT_EQ(imported.result, 0);
  const auto boxes = kx2::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(vantorel::PrintableUtf8(boxes[0].caption), Loaded(22026));
  EXPECT_EQ(vantorel::PrintableUtf8(boxes[0].text), Loaded(22027));
  EXPECT_FALSE(Loaded(22027).empty());
  EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(TextAt(mmtest::CentralTopic(imported.description), "text"), "");
}

TEST_F(MindManagerImportTest, BrokenOrIncompleteMapsImportNothing) {
  for (const char* file : {"nomarkers.mmap", "nostyle.mmap", "lowerroot.mmap", "empty.mmap", "broken.mmap",
                           "noentry.mmap", "notzip.mmap", "deep.mmap", "badnotes.mmap", "badicon.mmap"}) {
    const mmtest::Imported imported = Import(file);
    EXPECT_EQ(imported.result, 0) << file;
    // None of them fails after the central topic got its text.
    EXPECT_NE(TextAt(mmtest::CentralTopic(imported.description), "text"), "Central") << file;
    vantorel::CloseAllDocuments();
  }
  // A map the parser refuses and one nested too deeply say why; the others end silently.
  const auto boxes = kx2::TakeMessageBoxes();
  std::vector<std::string> texts;
  for (const auto& box : boxes) texts.push_back(vantorel::PrintableUtf8(box.text));
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find("(line 1, column "), std::string::npos) << texts[0];
  EXPECT_EQ(texts[1], "The map is nested deeper than 100 levels.");
}

TEST_F(MindManagerImportTest, NestingUpToTheLimitImports) {
  const mmtest::Imported imported = Import("deep-ok.mmap");
  ASSERT_EQ(imported.result, 1);
  EXPECT_EQ(mmtest::CountTopics(mmtest::CentralTopic(imported.description)), foliant::kMaxTopicDepth);
}

TEST_F(MindManagerImportTest, TheLastReceptiveDocumentReceivesTheMap) {
  const mmtest::Imported two = Import("probe.mmap", 2);
  ASSERT_EQ(two.result, 1);
  EXPECT_EQ(TextAt(mmtest::CentralTopic(two.description, 0), "text"), "");
  EXPECT_EQ(TextAt(mmtest::CentralTopic(two.description, 1), "text"), "Central");
  vantorel::CloseAllDocuments();

  vantorel::OpenDocument(false);
  EXPECT_EQ(Import("probe.mmap", 0).result, 0) << "no document may receive an import";
}

TEST_F(MindManagerImportTest, MarkerSetsNameStockMarkersAndRegisterCustomIconsLabelsAndResources) {
  const mmtest::Imported imported = Import("markers.mmap");
  ASSERT_EQ(imported.result, 1) << Dump(imported.description);
  const Value* central = mmtest::CentralTopic(imported.description);
  const auto markers = Attached(central, "marker");
  std::vector<std::string> names;
  for (const Value* m : markers) names.push_back(TextAt(m, "marker"));
  // Stock icon renamed by a "Dirty" mask, two custom icons of the marker sets, one of the
  // topic's own; the unknown stock icon is left out. Then the task's priority and progress.
  EXPECT_EQ(names, (std::vector<std::string>{"Go", "Star", "Pic", "", "Half", "Priority 3"})) << Dump(*central);

  const std::string objects = Dump(*mmtest::At(mmtest::Document(imported.description), "objects"));
  for (const char* expected : {"name: \"Symbols of the map\"", "name: \"Done so far\"", "name: \"People\"",
                               "name: \"Custom Icons\"", "name: \"Status\"", "name: \"Size\"", "name: \"Bob\""})
    EXPECT_NE(objects.find(expected), std::string::npos) << expected << "\n" << objects;
  EXPECT_EQ(objects.find("Stop"), std::string::npos) << "a marker whose name is not dirty keeps the host's name";
  EXPECT_EQ(objects.find("Hidden"), std::string::npos) << "nor is it registered with its custom image";
  EXPECT_EQ(objects.find("name: \"Priority\""), std::string::npos) << "a clean group name is not taken";
  EXPECT_NE(objects.find("stored-file"), std::string::npos) << "a custom icon keeps a copy of its picture";

  const auto labels = Attached(central, "labels");
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(Dump(*labels[0]).find("labels: [\"done\", \"big\"]") != std::string::npos, true) << Dump(*labels[0]);

  const auto tasks = Attached(central, "task");
  ASSERT_EQ(tasks.size(), 1u);
  EXPECT_EQ(IntAt(tasks[0], "schedule/duration-unit"), 2);
  EXPECT_EQ(IntAt(tasks[0], "schedule/duration"), 2);
  EXPECT_EQ(IntAt(tasks[0], "schedule/progress"), 50);
  EXPECT_EQ(TextAt(tasks[0], "schedule/start"), "2024-03-04 09:00:00");
  EXPECT_EQ(mmtest::At(tasks[0], "schedule/end"), nullptr) << "a date without its time is no date";
  EXPECT_NE(Dump(*tasks[0]).find("resources: [\"Ana\", \"Bob\"]"), std::string::npos) << Dump(*tasks[0]);
}

TEST_F(MindManagerImportTest, TopicTextCarriesItsFontRangesAndAlignment) {
  const mmtest::Imported imported = Import("text.mmap");
  ASSERT_EQ(imported.result, 1);
  const Value* central = mmtest::CentralTopic(imported.description);
  EXPECT_EQ(TextAt(central, "text"), "Hello world\tx\ny");
  EXPECT_EQ(TextAt(central, "style/face"), "Verdana");
  EXPECT_EQ(IntAt(central, "style/size"), 1200);
  EXPECT_EQ(IntAt(central, "style/bold"), 1);
  EXPECT_EQ(TextAt(central, "style/color"), "#993300");
  EXPECT_EQ(mmtest::At(central, "style/italic"), nullptr);
  // Runs written with a style of their own: the ranges, and the base style between them.
  const Value* runs = central->Find("runs");
  ASSERT_TRUE(runs && runs->items().size() == 4) << Dump(*central);
  struct Expected {
    const char* text;
    int64_t italic, underline;
  } expected[] = {
      {"Hello", 1, INT64_MIN}, {" wor", INT64_MIN, INT64_MIN}, {"ld\tx", INT64_MIN, 1}, {"y", INT64_MIN, 1}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(TextAt(&runs->items()[i], "text"), expected[i].text) << i;
    EXPECT_EQ(IntAt(&runs->items()[i], "style/italic"), expected[i].italic) << i;
    EXPECT_EQ(IntAt(&runs->items()[i], "style/underline"), expected[i].underline) << "a range ends at the text's end";
    EXPECT_EQ(IntAt(&runs->items()[i], "style/bold"), 1) << "a range keeps the text's own font";
  }
  EXPECT_EQ(IntAt(&central->Find("paragraphs")->items()[0], "align"), 3);
}

TEST_F(MindManagerImportTest, LayoutElementsSetTheTopicFormat) {
  const mmtest::Imported imported = Import("layout.mmap");
  ASSERT_EQ(imported.result, 1);
  const Value* central = mmtest::CentralTopic(imported.description);
  EXPECT_EQ(IntAt(central, "format/structure"), 0x102);
  EXPECT_EQ(IntAt(central, "format/line-shape"), 3) << "a horizontal layout keeps its own connection style";
  EXPECT_EQ(IntAt(central, "format/connection-point"), 2) << "the tree connection point is read last";
  EXPECT_EQ(IntAt(central, "format/distance-from-parent"), 2834);
  EXPECT_EQ(TextAt(central, "line-and-fill -1/fill/color"), "#FF0000");
  EXPECT_EQ(IntAt(central, "line-and-fill -1/fill/transparency"), 498);
  EXPECT_EQ(mmtest::At(central, "line-and-fill -1/line"), nullptr) << "\"#336699\" is no attribute colour";

  const auto children = Children(central);
  ASSERT_EQ(children.size(), 2u);
  const Value* vertical = children[0];
  EXPECT_EQ(IntAt(vertical, "format/structure"), 0x405);
  EXPECT_EQ(IntAt(vertical, "format/line-shape"), 6) << "a vertical layout takes the vertical style";
  EXPECT_EQ(IntAt(vertical, "format/folded"), 1);
  EXPECT_EQ(IntAt(vertical, "format/x"), 8504);
  EXPECT_EQ(IntAt(vertical, "format/y"), -708);
  EXPECT_EQ(IntAt(vertical, "format/shape"), 1) << "a callout shape on a sub-topic is ignored";
  EXPECT_EQ(IntAt(vertical, "format/margin-left"), 708);
  EXPECT_EQ(IntAt(vertical, "format/image-placement"), 1);
  EXPECT_EQ(IntAt(vertical, "format/horizontal-alignment"), 1);
  EXPECT_EQ(IntAt(vertical, "format/width"), 14173);
  EXPECT_EQ(mmtest::At(vertical, "line-and-fill 1/fill"), nullptr) << "six digits are no attribute colour";
  EXPECT_EQ(TextAt(vertical, "line-and-fill 1/line/line/color"), "#00FF00");
  // Children take their parent's line settings where they give none.
  const Value* leaf = Children(vertical)[0];
  EXPECT_EQ(IntAt(leaf, "format/line-shape"), 6);
  EXPECT_EQ(TextAt(leaf, "line-and-fill -1/line/line/color"), "#00FF00");
  EXPECT_EQ(IntAt(children[1], "format/line-shape"), 3);
  EXPECT_EQ(mmtest::At(children[1], "line-and-fill -1/line"), nullptr);
}

TEST_F(MindManagerImportTest, NumberingSetsTheLevelsOfItsDepth) {
  const mmtest::Imported imported = Import("numbering.mmap");
  ASSERT_EQ(imported.result, 1);
  const Value* central = mmtest::CentralTopic(imported.description);
  // (The host names the numbering switch and the numbering levels alike; the levels show.)
  EXPECT_EQ(IntAt(central, "format/numbering-depth"), 3);
  EXPECT_EQ(TextAt(central, "format/numbering-owner"), "topic C");
  EXPECT_EQ(TextAt(central, "format/numbering/level-0-pattern"), "Chapter #1.");
  EXPECT_EQ(TextAt(central, "format/numbering/level-1-pattern"), "#2)");
  EXPECT_EQ(TextAt(central, "format/numbering/level-2-pattern"), "#3 ");
  EXPECT_EQ(IntAt(central, "format/numbering/level-1-style"), 1);
  EXPECT_EQ(IntAt(central, "format/numbering/level-2-style"), 2);
  EXPECT_EQ(mmtest::At(central, "format/numbering/level-3-pattern"), nullptr);
  const Value* shortOne = Children(central)[0];
  EXPECT_EQ(IntAt(shortOne, "format/numbering-depth"), 2);
  EXPECT_EQ(IntAt(shortOne, "format/numbering"), 1) << "a numbering of fewer than five styles sets no level";
}

TEST_F(MindManagerImportTest, FloatingTopicsOfTheMapAndOfATopic) {
  const mmtest::Imported imported = Import("floating.mmap");
  ASSERT_EQ(imported.result, 1) << Dump(imported.description);
  const auto children = Children(mmtest::CentralTopic(imported.description));
  ASSERT_EQ(children.size(), 3u);
  EXPECT_EQ(TextAt(children[1], "text"), "First");
  EXPECT_EQ(TextAt(children[1], "placement"), "floating");
  EXPECT_EQ(IntAt(children[1], "format/x"), 2834);
  EXPECT_EQ(TextAt(children[2], "text"), "Second");
  EXPECT_EQ(IntAt(children[2], "format/x"), 0);
  EXPECT_EQ(mmtest::At(children[2], "format/shape"), nullptr) << "a callout shape on a floating topic of the map";
  const auto callouts = Children(children[0]);
  ASSERT_EQ(callouts.size(), 1u);
  EXPECT_EQ(TextAt(callouts[0], "placement"), "callout");
  EXPECT_EQ(IntAt(callouts[0], "format/shape"), 7);
}

TEST_F(MindManagerImportTest, ImagesAttachmentsAndCommentsKeepTheirFilesAndTexts) {
  const mmtest::Imported imported = Import("content.mmap");
  ASSERT_EQ(imported.result, 1) << Dump(imported.description);
  const Value* central = mmtest::CentralTopic(imported.description);
  const auto pictures = Attached(central, "picture");
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(IntAt(pictures[0], "width"), 5669);
  EXPECT_EQ(IntAt(pictures[0], "height"), 2834);
  EXPECT_EQ(IntAt(pictures[0], "format -1/0x4003/bytes"), 17) << Dump(*pictures[0]);
  const auto attachments = Attached(central, "attachment");
  ASSERT_EQ(attachments.size(), 2u);
  EXPECT_EQ(TextAt(attachments[0], "file-name"), "plan.txt");
  EXPECT_EQ(IntAt(attachments[0], "file-size"), 5);
  EXPECT_EQ(IntAt(attachments[0], "0x4003/bytes"), 5) << Dump(*attachments[0]);
  EXPECT_EQ(IntAt(attachments[1], "0x4003/stored-file"), IntAt(pictures[0], "format -1/0x4003/stored-file"))
      << "an entry named twice is extracted and stored once";
  const std::string comments = TextAt(central, "format/0x4070");
  EXPECT_NE(comments.find("<name>Ann</name>"), std::string::npos) << comments;
  EXPECT_NE(comments.find("<text>Check &lt;this&gt;</text>"), std::string::npos) << comments;
  EXPECT_NE(comments.find("<name>Bo</name>"), std::string::npos) << comments;
  const size_t date = comments.find("<date>");
  ASSERT_NE(date, std::string::npos) << comments;
  EXPECT_NE(comments[date + 6], '<') << "the first comment's date is written as local time\n" << comments;
}

TEST_F(MindManagerImportTest, HyperlinksAreResolvedByKind) {
  const mmtest::Imported imported = Import("links.mmap");
  ASSERT_EQ(imported.result, 1);
  const auto topics = Children(mmtest::CentralTopic(imported.description));
  ASSERT_EQ(topics.size(), 9u);
  struct Case {
    const char* type;
    const char* option;
    const char* link;
    const char* subject;
    const char* text;
  } cases[] = {
      {"web", "absolute", "https://example.org/a", "", ""},
      {"email", "relative", "mailto:a@example.org", "Hi there", ""},
      {"file", "relative", "docs\\a.txt", "", ""},
      {"folder", "absolute", "C:\\maps\\", "", ""},
      {"current", "relative", "topic C/Web", "", "Web"},
      {"current", "relative", "topic C", "", "C"},
      {"file", "relative", "D:\\notes\\b.txt", "", ""},
      {"web", "relative", "ftp://example.org/f", "", ""},
  };
  for (size_t i = 0; i < 8; ++i) {
    const auto links = Attached(topics[i], "hyperlink");
    ASSERT_EQ(links.size(), 1u) << i;
    EXPECT_EQ(TextAt(links[0], "link/type"), cases[i].type) << i;
    EXPECT_EQ(TextAt(links[0], "link/option"), cases[i].option) << i;
    EXPECT_EQ(TextAt(links[0], "link/link"), cases[i].link) << i;
    EXPECT_EQ(TextAt(links[0], "link/subject"), cases[i].subject) << i;
    EXPECT_EQ(TextAt(links[0], "link/text"), cases[i].text) << i;
  }
  EXPECT_TRUE(Attached(topics[8], "hyperlink").empty()) << "a link to no topic creates nothing";
}

TEST_F(MindManagerImportTest, BoundariesTakeShapeFillLineAndTheirTopic) {
  const mmtest::Imported imported = Import("boundary.mmap");
  ASSERT_EQ(imported.result, 1) << Dump(imported.description);
  const Value* doc = mmtest::Document(imported.description);
  const Value* boundaries = doc->Find("boundaries");
  const Value* summaries = doc->Find("summaries");
  ASSERT_TRUE(boundaries && summaries) << Dump(*doc);
  ASSERT_EQ(boundaries->items().size(), 3u);
  struct Shape {
    int64_t kind, shape;
  } expected[] = {{3, 4}, {1, 4}, {1, 0}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(IntAt(&boundaries->items()[i], "kind"), expected[i].kind) << i;
    EXPECT_EQ(IntAt(&boundaries->items()[i], "shape"), expected[i].shape) << i;
  }
  ASSERT_EQ(summaries->items().size(), 1u);
  EXPECT_EQ(IntAt(&summaries->items()[0], "kind"), 4);
  EXPECT_EQ(IntAt(&summaries->items()[0], "shape"), 7);

  const Value* curved = &boundaries->items()[0];
  EXPECT_EQ(TextAt(curved, "format -1/fill/color"), "#FF0000");
  EXPECT_EQ(IntAt(curved, "format -1/fill/transparency"), 498);
  EXPECT_EQ(TextAt(curved, "format -1/line/line/color"), "#0000FF");
  EXPECT_EQ(IntAt(curved, "format -1/line/dash"), 3);
  EXPECT_EQ(IntAt(curved, "format -1/line/width"), 150);
  const Value* owner = Children(mmtest::CentralTopic(imported.description))[0];
  const auto label = Children(owner);
  ASSERT_EQ(label.size(), 1u);
  EXPECT_EQ(TextAt(label[0], "text"), "Label");
  EXPECT_EQ(TextAt(label[0], "placement"), "callout");
  EXPECT_EQ(Attached(label[0], "summary-member").size(), 1u);
}

TEST_F(MindManagerImportTest, NotesKeepEveryRunWithItsOwnStyle) {
  const mmtest::Imported imported = Import("notes.mmap");
  ASSERT_EQ(imported.result, 1) << Dump(imported.description);
  const auto notes = Attached(mmtest::CentralTopic(imported.description), "notes");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(TextAt(notes[0], "text"), "Plain boldafter\nwhitex");
  const Value* runs = notes[0]->Find("runs");
  ASSERT_NE(runs, nullptr) << Dump(*notes[0]);
  ASSERT_EQ(runs->items().size(), 3u) << Dump(*notes[0]);
  EXPECT_EQ(TextAt(&runs->items()[0], "text"), "bold");
  EXPECT_EQ(TextAt(&runs->items()[1], "text"), "white");
  EXPECT_EQ(TextAt(&runs->items()[1], "style/color"), "#FFFFFF");
  EXPECT_EQ(TextAt(&runs->items()[1], "style/face"), "Verdana");
  EXPECT_EQ(TextAt(&runs->items()[2], "style/face"), "Arial") << "a face the host lacks becomes its default";
  EXPECT_EQ(Dump(*notes[0]).find("text: \"after\""), std::string::npos) << "a plain font after bold is not bold";
}

TEST_F(MindManagerImportTest, RelationshipsJoinTheTopicsTheyName) {
  const mmtest::Imported imported = Import("relationships.mmap");
  ASSERT_EQ(imported.result, 1);
  const Value* list = mmtest::Document(imported.description)->Find("relationships");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->items().size(), 1u) << "a relationship to a missing topic creates nothing";
  const Value* r = &list->items()[0];
  EXPECT_EQ(TextAt(r, "attached-to"), "C/A");
  EXPECT_EQ(TextAt(r, "from"), "topic C/A");
  EXPECT_EQ(TextAt(r, "to"), "topic C/B");
  EXPECT_EQ(IntAt(r, "shape"), 2);
  EXPECT_EQ(IntAt(r, "auto-routing"), 0);
  EXPECT_EQ(IntAt(r, "first-control-point/x"), 283);
  EXPECT_EQ(IntAt(r, "first-control-point/y"), 566);
  EXPECT_EQ(mmtest::At(r, "second-control-point"), nullptr);
  EXPECT_EQ(IntAt(r, "format -1/line/begin-arrow"), 1);
  EXPECT_EQ(IntAt(r, "format -1/line/end-arrow"), 5) << "the connection group's own arrow comes first";
  EXPECT_EQ(IntAt(r, "format -1/line/dash"), 1);
  EXPECT_EQ(IntAt(r, "format -1/line/width"), 75);
  EXPECT_EQ(TextAt(r, "format -1/line/line/color"), "#CC0000");
}

}  // namespace

// The same relationship drawn in each of the three formats reaches the host as the same
// object: ends, arrowheads, control points and the line's colour, width and dash under the
// same properties, whatever the format called them.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include <foliant/freemind/freemind_import.h>
#include <foliant/mindmanager/mindmanager_import.h>
#include <foliant/xmind/xmind_import.h>
#include <vantorel/host_api.h>
#include <vantorel/testing/leak_check.h>

#include "mindmanager_fixture.h"
#include "xmind_package_writer.h"
#include "zip_fixture.h"

namespace {

using vantorel::Value;

// Every leaf of a described relationship as "path = value".
void Flatten(const Value& v, const std::string& path, std::map<std::string, std::string>& out) {
  switch (v.kind()) {
    case Value::Kind::Object:
      for (const auto& [key, member] : v.members()) Flatten(member, path.empty() ? key : path + "/" + key, out);
      break;
    case Value::Kind::Array:
      for (size_t i = 0; i < v.items().size(); ++i) Flatten(v.items()[i], path + "/" + std::to_string(i), out);
      break;
    case Value::Kind::String:
      out[path] = v.text();
      break;
    default:
      out[path] = std::to_string(v.integer());
  }
}

std::string Join(const std::map<std::string, std::string>& leaves) {
  std::string text;
  for (const auto& [path, value] : leaves) text += path + " = " + value + "\n";
  return text;
}

class RelationshipFormats : public vantorel::testing::HostLeakCheck {
 protected:
  // The one relationship of the first document, flattened; the documents are closed.
  static std::string Relationship() {
    const Value all = vantorel::DescribeDocuments(vantorel::DescribeOptions{});
    vantorel::CloseAllDocuments();
    const Value* document = mmtest::Document(all);
    const Value* list = document ? document->Find("relationships") : nullptr;
    if (!list || list->items().size() != 1) return "no single relationship";
    std::map<std::string, std::string> leaves;
    Flatten(list->items()[0], "", leaves);
    return Join(leaves);
  }

  std::string FreeMind(const std::string& nodes) {
    const auto path = dir_ / "map.mm";
    std::ofstream(path, std::ios::binary)
        << "<map version=\"0.9.0\"><node ID=\"c\" TEXT=\"C\">" << nodes << "</node></map>";
    vantorel::OpenDocument(true);
    FreemindImport importer;
    EXPECT_EQ(importer.Init(), 1);
    EXPECT_EQ(importer.Import(vantorel::DocumentManager(), ziptest::WinPath(path).c_str()), 1);
    importer.Cleanup();
    return Relationship();
  }

  std::string MindManager(const std::string& relationship) {
    const std::string topics =
        "<ap:Text PlainText=\"C\"/><ap:SubTopics>"
        "<ap:Topic OId=\"a\"><ap:Text PlainText=\"A\"/></ap:Topic>"
        "<ap:Topic OId=\"b\"><ap:Text PlainText=\"B\"/></ap:Topic></ap:SubTopics>";
    mmtest::MakePackages(
        dir_, {mmtest::MapPackage(
                  "map.mmap", mmtest::MapXml(topics, "<ap:Relationships>" + relationship + "</ap:Relationships>"))});
    vantorel::OpenDocument(true);
    MindManagerImport importer;
    EXPECT_EQ(importer.Init(), 1);
    EXPECT_EQ(importer.Import(vantorel::DocumentManager(), ziptest::WinPath(dir_ / "map.mmap").c_str()), 1);
    importer.Close();
    return Relationship();
  }

  std::string XMind(const std::string& relationship, const std::string& style) {
    const std::string sheet =
        "<sheet id=\"s\"><topic id=\"c\"><title>C</title><children><topics type=\"attached\">"
        "<topic id=\"a\"><title>A</title></topic><topic id=\"b\"><title>B</title></topic></topics></children>"
        "</topic><relationships>" +
        relationship + "</relationships></sheet>";
    xmindtest::WritePackage((dir_ / "map.xmind").string(),
                            {{"content.xml", xmindtest::Content(sheet)}, {"styles.xml", xmindtest::Styles(style)}});
    vantorel::OpenDocument(true);
    XMindImport importer;
    EXPECT_EQ(importer.Init(), 1);
    EXPECT_EQ(importer.Import(vantorel::DocumentManager(), ziptest::WinPath(dir_ / "map.xmind").c_str()), 1);
    importer.Cleanup();
    return Relationship();
  }

  ziptest::TempFolder dir_;
};

// From A to B, red, an arrowhead at B only: all that FreeMind can say.
TEST_F(RelationshipFormats, AnArrowLinkIsTheSameInEveryFormat) {
  const std::string freemind = FreeMind(
      "<node ID=\"a\" TEXT=\"A\"><arrowlink DESTINATION=\"b\" STARTARROW=\"None\" ENDARROW=\"Default\" "
      "COLOR=\"#cc0000\"/></node><node ID=\"b\" TEXT=\"B\"/>");
  EXPECT_EQ(freemind,
            "attached-to = C/A\n"
            "class = relationship\n"
            "format -1/class = line-and-fill\n"
            "format -1/line/begin-arrow = 0\n"
            "format -1/line/end-arrow = 3\n"
            "format -1/line/line/color = #CC0000\n"
            "format -1/line/line/kind = 1\n"
            "from = topic C/A\n"
            "to = topic C/B\n");
  EXPECT_EQ(MindManager("<ap:Relationship><ap:ConnectionGroup Index=\"0\" ConnectionShape=\"urn:mindjet:NoArrow\">"
                        "<ap:Connection><ap:ObjectReference OIdRef=\"a\"/></ap:Connection></ap:ConnectionGroup>"
                        "<ap:ConnectionGroup Index=\"1\" ConnectionShape=\"urn:mindjet:StealthArrow\"><ap:Connection>"
                        "<ap:ObjectReference OIdRef=\"b\"/></ap:Connection></ap:ConnectionGroup>"
                        "<ap:Color LineColor=\"ffcc0000\"/></ap:Relationship>"),
            freemind);
  // XMind has no arrowhead of FreeMind's kind: its own stand in the same places.
  std::string xmind = XMind("<relationship end1=\"a\" end2=\"b\" style-id=\"r\"/>",
                            "<style id=\"r\" type=\"relationship\"><relationship-properties "
                            "arrow-begin-class=\"org.xmind.arrowShape.normal\" "
                            "arrow-end-class=\"org.xmind.arrowShape.dot\" line-color=\"#CC0000\"/></style>");
  EXPECT_EQ(xmind,
            "attached-to = C/A\n"
            "class = relationship\n"
            "format -1/class = line-and-fill\n"
            "format -1/line/begin-arrow = 2\n"
            "format -1/line/end-arrow = 5\n"
            "format -1/line/line/color = #CC0000\n"
            "format -1/line/line/kind = 1\n"
            "from = topic C/A\n"
            "to = topic C/B\n");
}

// What MindManager and XMind both give: shape, control points, width and dash too.
TEST_F(RelationshipFormats, ControlPointsAndTheLineMatchBetweenMindManagerAndXMind) {
  const std::string mindmanager = MindManager(
      "<ap:Relationship><ap:ConnectionGroup Index=\"0\"><ap:Connection CX=\"1\" CY=\"2\">"
      "<ap:ObjectReference OIdRef=\"a\"/></ap:Connection></ap:ConnectionGroup>"
      "<ap:ConnectionGroup Index=\"1\" ConnectionShape=\"urn:mindjet:OvalArrow\"><ap:Connection CX=\"-1\" CY=\"0\">"
      "<ap:ObjectReference OIdRef=\"b\"/></ap:Connection></ap:ConnectionGroup>"
      "<ap:LineStyle LineDashStyle=\"urn:mindjet:Dash\" LineWidth=\"0.75\"/><ap:Color LineColor=\"ff00cc00\"/>"
      "<ap:RelationshipLineShape LineShape=\"urn:mindjet:Straight\"/></ap:Relationship>");
  EXPECT_EQ(mindmanager,
            "attached-to = C/A\n"
            "class = relationship\n"
            "first-control-point/x = 283\n"
            "first-control-point/y = 566\n"
            "format -1/class = line-and-fill\n"
            "format -1/line/dash = 3\n"
            "format -1/line/end-arrow = 5\n"
            "format -1/line/line/color = #00CC00\n"
            "format -1/line/line/kind = 1\n"
            "format -1/line/width = 75\n"
            "from = topic C/A\n"
            "second-control-point/x = -283\n"
            "second-control-point/y = 0\n"
            "shape = 1\n"
            "to = topic C/B\n");
  EXPECT_EQ(XMind("<relationship end1=\"a\" end2=\"b\" style-id=\"r\"><control-points>"
                  "<control-point index=\"0\"><position svg:x=\"2.83\" svg:y=\"5.66\"/></control-point>"
                  "<control-point index=\"1\"><position svg:x=\"-2.83\" svg:y=\"0\"/></control-point>"
                  "</control-points></relationship>",
                  "<style id=\"r\" type=\"relationship\"><relationship-properties "
                  "shape-class=\"org.xmind.relationshipShape.straight\" arrow-end-class=\"org.xmind.arrowShape.dot\" "
                  "line-pattern=\"dash\" line-width=\"0.75pt\" line-color=\"#00CC00\"/></style>"),
            mindmanager);
}

}  // namespace

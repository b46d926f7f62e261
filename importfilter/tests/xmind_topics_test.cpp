// What an XMind topic brings into the host: structure, positions, numbering, folding, child
// kinds, boundaries and summaries, markers, labels, tasks, pictures, links, notes, styles
// and relationships.
#include "xmind_test_support.h"

namespace {

using namespace xmind_test;

class XMindTopics : public XMindTest {};

const Value* Format(const Value* topic) { return Member(topic, "format"); }
std::string Path(const Value* list, size_t i) { return Text(Item(list, i)); }

TEST_F(XMindTopics, StructurePositionNumberingFoldingAndChildKinds) {
  ASSERT_EQ(ImportTopic(R"x(<topic id="c" structure-class="org.xmind.ui.logic.right"><title>C</title><children>
      <topics type="attached">
        <topic id="a"><title>A</title><position svg:x="12.345" svg:y="-80"/>
          <numbering number-format="org.xmind.numbering.roman"/></topic>
        <topic id="b" branch="folded"><title>B</title>
          <numbering number-format="org.xmind.numbering.lowercase"><prefix>Step</prefix><suffix>)</suffix></numbering></topic>
      </topics>
      <topics type="callout"><topic><title>Call</title></topic></topics>
      <topics type="detached"><topic><title>Free</title><position svg:x="369" svg:y="248"/></topic></topics>
      <topics type="summary"><topic id="s"><title>Unnamed summary topic</title></topic></topics>
    </children></topic>)x"),
            1);
  const Value document = Document();
  EXPECT_EQ(Int(Member(Format(TopicAt(document, {})), "structure")), 0x102);

  const Value* a = TopicAt(document, {0});
  EXPECT_EQ(Int(Member(Format(a), "x")), 1234);
  EXPECT_EQ(Int(Member(Format(a), "y")), -8000);
  EXPECT_EQ(Int(Member(Format(a), "numbering-depth")), 9);
  EXPECT_EQ(Text(Member(Format(a), "numbering-owner")), "topic C/A");
  const Value* levels = Member(Format(a), "numbering");
  EXPECT_EQ(Text(Member(levels, "level-0-pattern")), "#1.");
  EXPECT_EQ(Int(Member(levels, "level-0-style")), 3);
  EXPECT_EQ(Text(Member(levels, "level-1-pattern")), "#1.#2");
  EXPECT_EQ(Text(Member(levels, "level-8-pattern")), "#1.#2.#3.#4.#5.#6.#7.#8.#9");

  const Value* b = TopicAt(document, {1});
  EXPECT_EQ(Int(Member(Format(b), "folded")), 1);
  EXPECT_EQ(Text(Member(Member(Format(b), "numbering"), "level-0-pattern")), "Step #1. )");
  EXPECT_EQ(Int(Member(Member(Format(b), "numbering"), "level-8-style")), 2);

  EXPECT_EQ(Text(Member(TopicAt(document, {2}), "placement")), "callout");
  const Value* free = TopicAt(document, {3});
  EXPECT_EQ(Text(Member(free, "placement")), "floating");
  EXPECT_EQ(Int(Member(Format(free), "x")), 36900);
  // A summary topic no summary names still comes in, floating.
  EXPECT_EQ(Text(Member(TopicAt(document, {4}), "text")), "Unnamed summary topic");
  EXPECT_EQ(Text(Member(TopicAt(document, {4}), "placement")), "floating");
  EXPECT_EQ(Count(Member(Member(&document, "topic"), "children")), 5u);
}

TEST_F(XMindTopics, RangesCountAttachedChildrenOnlyAndAreClamped) {
  ASSERT_EQ(
      ImportTopic(R"x(<topic id="c"><title>C</title><children>
        <topics type="callout"><topic><title>call</title></topic></topics>
        <topics type="attached"><topic><title>k0</title></topic><topic><title>k1</title></topic>
          <topic><title>k2</title></topic></topics>
        <topics type="summary"><topic id="s"><title>S</title></topic></topics>
      </children>
      <boundaries>
        <boundary range="(1,2)" style-id="b1"><title>Group</title></boundary>
        <boundary range="master"/>
        <boundary range="(0,2000000000)"/>
        <boundary range="("/><boundary range="(2,1)"/><boundary range="(-1,1)"/><boundary range="(5,6)"/>
        <boundary range="(0;1)"/><boundary/>
      </boundaries>
      <summaries><summary range="(0,1)" topic-id="s" style-id="su"/></summaries>
    </topic>)x",
                  R"x(<style id="b1" type="boundary"><boundary-properties shape-class="org.xmind.boundaryShape.scallops"
          line-color="#FF0000" line-width="2pt" svg:fill="#C3D69B" fo:font-weight="bold" fo:color="#0000FF"
          fo:text-align="right"/></style>
        <style id="su" type="summary"><summary-properties shape-class="org.xmind.summaryShape.square"/></style>)x"),
      1);
  const Value document = Document();
  const Value* boundaries = Member(&document, "boundaries");
  ASSERT_EQ(Count(boundaries), 3u);
  std::map<std::string, const Value*> byTopics;
  for (const Value& b : boundaries->items()) {
    std::string key;
    for (const Value& t : Member(&b, "topics")->items()) key += t.text() + " ";
    byTopics[key] = &b;
    EXPECT_EQ(Int(Member(&b, "kind")), 3);
  }
  ASSERT_TRUE(byTopics.count("C ") && byTopics.count("C/k1 C/k2 ") && byTopics.count("C/k0 C/k1 C/k2 "));
  const Value* styled = byTopics["C/k1 C/k2 "];
  EXPECT_EQ(Int(Member(styled, "shape")), 2);
  const Value* line = Member(Member(styled, "format -1"), "line");
  EXPECT_EQ(Int(Member(line, "width")), 200);
  EXPECT_EQ(Int(Member(line, "dash")), 0) << "solid when the style names no pattern";
  EXPECT_EQ(Text(Member(Member(line, "line"), "color")), "#FF0000");
  EXPECT_EQ(Text(Member(Member(Member(styled, "format -1"), "fill"), "color")), "#C3D69B");
  const Value* title = Attached(TopicAt(document, {2}), "summary-member");
  EXPECT_EQ(Text(Member(title, "title")), "Group");
  // The title is written with the boundary's title text style, as a topic's title is.
  EXPECT_EQ(Text(Member(title, "text")), "Group");
  const Value* titleStyle = Member(Item(Member(title, "runs"), 0), "style");
  EXPECT_EQ(Int(Member(titleStyle, "bold")), 1);
  EXPECT_EQ(Text(Member(titleStyle, "color")), "#0000FF");
  EXPECT_EQ(Int(Member(Item(Member(title, "paragraphs"), 0), "align")), 2);

  const Value* summaries = Member(&document, "summaries");
  ASSERT_EQ(Count(summaries), 1u);
  EXPECT_EQ(Path(Member(Item(summaries, 0), "topics"), 0), "C/k0");
  EXPECT_EQ(Path(Member(Item(summaries, 0), "topics"), 1), "C/k1");
  EXPECT_EQ(Int(Member(Item(summaries, 0), "kind")), 4);
  EXPECT_EQ(Int(Member(Item(summaries, 0), "shape")), 5);
  EXPECT_EQ(Text(Member(TopicAt(document, {4}), "text")), "S");
  EXPECT_EQ(Text(Member(TopicAt(document, {4}), "placement")), "floating");
}

TEST_F(XMindTopics, MarkersLabelsAndTasks) {
  ASSERT_EQ(ImportTopic(R"x(<topic><title>C</title>
      <marker-refs><marker-ref marker-id="flag-red"/><marker-ref marker-id="star-orange"/>
        <marker-ref marker-id="people-red"/></marker-refs>
      <labels><label>x</label><label>y</label></labels>
      <extensions>
        <extension provider="org.xmind.ui.map.unbalanced"><content><right-number>3</right-number></content></extension>
        <extension provider="org.xmind.ui.taskInfo"><content><assigned-to>Ann</assigned-to>
          <start-date>2011-03-05 10:20:30</start-date><end-date>2011-03-05</end-date>
          <duration>3d</duration><progress>40</progress></content></extension>
      </extensions>
      <children><topics type="attached"><topic><title>D</title><labels><label>x</label></labels>
        <extensions><extension><content><assigned-to>Ann</assigned-to><duration>5h</duration></content></extension>
        </extensions></topic></topics></children>
    </topic>)x"),
            1);
  const Value document = Document();
  const Value* central = TopicAt(document, {});
  EXPECT_EQ(Text(Member(Attached(central, "marker", 0), "marker")), "Flag red");
  EXPECT_EQ(Text(Member(Attached(central, "marker", 1), "marker")), "Unknown Marker");
  EXPECT_EQ(Text(Member(Attached(central, "marker", 2), "marker")), "Unknown Marker");
  EXPECT_EQ(Path(Member(Attached(central, "labels"), "labels"), 1), "y");
  EXPECT_EQ(Path(Member(Attached(TopicAt(document, {0}), "labels"), "labels"), 0), "x");
  ASSERT_EQ(CountAttached(central, "task"), 1u) << "the layout extension is no task";
  const Value* schedule = Member(Attached(central, "task"), "schedule");
  EXPECT_EQ(Text(Member(schedule, "start")), "2011-03-05 10:20:30");
  EXPECT_EQ(Member(schedule, "end"), nullptr) << "a date without a time is no date";
  EXPECT_EQ(Int(Member(schedule, "duration-unit")), 1);
  EXPECT_EQ(Int(Member(schedule, "duration")), 3);
  EXPECT_EQ(Int(Member(schedule, "progress")), 40);
  EXPECT_EQ(Int(Member(Member(Attached(TopicAt(document, {0}), "task"), "schedule"), "duration-unit")), 0);

  // One stand-in marker entry with its picture, one entry per label text, one per person.
  std::map<std::string, size_t> entries;
  for (const Value& group : Member(&document, "objects")->items())
    entries[Text(Member(&group, "name"))] = Count(Member(&group, "entries"));
  EXPECT_EQ(entries["XMind Markers"], 1u);
  EXPECT_EQ(entries["XMind Labels"], 2u);
  EXPECT_EQ(entries["Resources"], 1u);
}

TEST_F(XMindTopics, PicturesAreLimitedAndPlaced) {
  vantorel::OpenDocument(true);
  const std::string topics = R"x(<sheet><topic><title>C</title><children><topics type="attached">
      <topic><xhtml:img svg:width="460" svg:height="100" align="right" xhtml:src="xap:attachments/p.png"/></topic>
      <topic><xhtml:img svg:width="100" svg:height="400" xhtml:src="xap:attachments/p.png"/></topic>
      <topic><xhtml:img svg:width="0" svg:height="50" xhtml:src="xap:attachments/p.png"/></topic>
      <topic><image svg:width="20" svg:height="10" align="bottom" xhtml:src="xap:attachments/p.png"/></topic>
      <topic><xhtml:img xhtml:src="http://example.org/p.png"/></topic>
      <topic><xhtml:img xhtml:src="xap:attachments/none.png"/></topic>
    </topics></children></topic></sheet>)x";
  ASSERT_EQ(ImportPath(Package("p.xmind", {{"content.xml", xmindtest::Content(topics)}, {"attachments/p.png", "PNG"}})),
            1);
  const Value document = Document();
  const struct {
    int64_t width, height, placement;
  } expected[] = {{17250, 3750, 1}, {3750, 15000, 2}, {0, 3750, 2}, {1500, 750, 3}};
  for (size_t i = 0; i < 4; ++i) {
    const Value* picture = Attached(TopicAt(document, {i}), "picture");
    EXPECT_EQ(Int(Member(picture, "width")), expected[i].width) << i;
    EXPECT_EQ(Int(Member(picture, "height")), expected[i].height) << i;
    EXPECT_EQ(Int(Member(Format(TopicAt(document, {i})), "image-placement")), expected[i].placement) << i;
  }
  EXPECT_EQ(CountAttached(TopicAt(document, {4}), "picture"), 0u);
  EXPECT_EQ(CountAttached(TopicAt(document, {5}), "picture"), 0u);
  EXPECT_EQ(TemporaryFiles(), 0u);
}

TEST_F(XMindTopics, LinksAcrossSheetsAndNotes) {
  vantorel::OpenDocument(true);
  const std::string sheets = R"x(<sheet><topic id="c1"><title>C1</title><children><topics type="attached">
      <topic id="w" xlink:href="http://example.org/a"><title>web</title></topic>
      <topic xlink:href="file:../docs/a%20b.txt"><title>rel</title></topic>
      <topic xlink:href="file:/home/x%5Cy.doc"><title>abs</title></topic>
      <topic xlink:href="file:////server/share"><title>folder</title></topic>
      <topic xlink:href="xmind:#c2"><title>to sheet 2</title></topic>
      <topic xlink:href="xmind:#nowhere"><title>dangling</title></topic>
      <topic><title>plain</title><notes><plain>line1&#10;line2&#9;tab</plain></notes></topic>
      <topic><title>html</title><notes><plain>ignored</plain><html><xhtml:p>Start <xhtml:span style-id="bold">bold</xhtml:span> end</xhtml:p><xhtml:p>second <xhtml:a xlink:href="x"><xhtml:span>link</xhtml:span> tail</xhtml:a></xhtml:p></html></notes></topic>
      <topic xlink:href="xmind:#s2"><title>to the sheet</title></topic>
    </topics></children></topic></sheet>
    <sheet id="s2"><topic id="c2"><title>C2</title><children><topics type="attached">
      <topic xlink:href="xmind:#w"><title>back</title></topic></topics></children></topic></sheet>)x";
  ASSERT_EQ(
      ImportPath(Map(sheets, R"x(<style id="bold" type="text"><text-properties fo:font-weight="bold"/></style>)x")), 1);
  const Value first = Document(0), second = Document(1);
  const struct {
    size_t child;
    const char* type;
    const char* option;
    const char* link;
  } links[] = {
      {0, "web", "absolute", "http://example.org/a"},
      {1, "file", "relative", "..\\docs\\a b.txt"},
      {2, "file", "absolute", "Z:\\home\\x\\y.doc"},
      {3, "folder", "absolute", "\\\\server\\share"},
  };
  for (const auto& l : links) {
    const Value* link = Member(Attached(TopicAt(first, {l.child}), "hyperlink"), "link");
    EXPECT_EQ(Text(Member(link, "type")), l.type) << l.child;
    EXPECT_EQ(Text(Member(link, "option")), l.option) << l.child;
    EXPECT_EQ(Text(Member(link, "link")), l.link) << l.child;
  }
  // Topic links are resolved once every sheet is in, also across sheets; one whose target
  // names no topic makes no link.
  const Value* across = Member(Attached(TopicAt(first, {4}), "hyperlink"), "link");
  EXPECT_EQ(Text(Member(across, "type")), "current");
  EXPECT_EQ(Text(Member(across, "text")), "C2");
  EXPECT_EQ(CountAttached(TopicAt(first, {5}), "hyperlink"), 0u);
  // A link to a sheet leads to its central topic.
  const Value* toSheet = Member(Attached(TopicAt(first, {8}), "hyperlink"), "link");
  EXPECT_EQ(Text(Member(toSheet, "text")), "C2");
  EXPECT_EQ(Text(Member(toSheet, "link")), Text(Member(across, "link")));
  const Value* back = Member(Attached(TopicAt(second, {0}), "hyperlink"), "link");
  EXPECT_EQ(Text(Member(back, "text")), "web");
  EXPECT_NE(Text(Member(back, "link")).find('|'), std::string::npos);

  EXPECT_EQ(Text(Member(Attached(TopicAt(first, {6}), "notes"), "text")), "line1\nline2\ttab");
  const Value* html = Attached(TopicAt(first, {7}), "notes");
  EXPECT_EQ(Text(Member(html, "text")), "Start bold end\nsecond link tail");
  ASSERT_EQ(Count(Member(html, "runs")), 1u);
  EXPECT_EQ(Text(Member(Item(Member(html, "runs"), 0), "text")), "bold");
  EXPECT_EQ(Int(Member(Member(Item(Member(html, "runs"), 0), "style"), "bold")), 1);
}

TEST_F(XMindTopics, StylesAndRelationships) {
  ASSERT_EQ(ImportTopic(R"x(<topic><title>C</title><children><topics type="attached">
        <topic id="a" style-id="t1"><title>A</title></topic><topic id="b" style-id="t2"><title>B</title></topic>
        <topic style-id="r1"><title>not a topic style</title></topic></topics></children></topic>)x",
                        R"x(<style id="t1" type="topic"><topic-properties fo:font-family="Georgia" fo:font-size="18pt"
          fo:font-weight="bold" fo:font-style="italic" fo:text-decoration="underline line-through" fo:color="#333333"
          fo:text-align="center" shape-class="org.xmind.topicShape.ellipse" svg:fill="#DDEEFF"
          line-class="org.xmind.branchConnection.elbow" line-color="#00FF00" line-width="2pt" line-pattern="dash"/></style>
        <style id="t2" type="topic"><topic-properties svg:fill="none"/></style>
        <style id="r1" type="relationship"><relationship-properties shape-class="org.xmind.relationshipShape.straight"
          arrow-begin-class="org.xmind.arrowShape.dot" arrow-end-class="org.xmind.arrowShape.triangle"
          line-color="#CC0000"/></style>)x",
                        R"x(<relationships><relationship end1="a" end2="b" style-id="r1"><title>rel</title>
          <control-points><control-point index="0"><position svg:x="10" svg:y="20"/></control-point></control-points>
        </relationship><relationship end1="a" end2="elsewhere"/></relationships>)x"),
            1);
  const Value document = Document();
  EXPECT_EQ(Int(Member(Format(TopicAt(document, {})), "line-shape")), 0) << "the sheet's branch line";
  const Value* a = TopicAt(document, {0});
  const Value* run = Member(Item(Member(a, "runs"), 0), "style");
  EXPECT_EQ(Text(Member(run, "face")), "Georgia");
  EXPECT_EQ(Int(Member(run, "size")), 1800);
  EXPECT_EQ(Text(Member(run, "color")), "#333333");
  for (const char* on : {"bold", "italic", "underline", "strike"}) EXPECT_EQ(Int(Member(run, on)), 1) << on;
  EXPECT_EQ(Int(Member(Item(Member(a, "paragraphs"), 0), "align")), 3);
  EXPECT_EQ(Int(Member(Format(a), "shape")), 5);
  EXPECT_EQ(Int(Member(Format(a), "line-shape")), 3);
  EXPECT_EQ(Text(Member(Member(Member(a, "line-and-fill -1"), "fill"), "color")), "#DDEEFF");
  const Value* branch = Member(Member(a, "line-and-fill 1"), "line");
  EXPECT_EQ(Int(Member(branch, "width")), 200);
  EXPECT_EQ(Int(Member(branch, "dash")), 3);
  EXPECT_EQ(Text(Member(Member(branch, "line"), "color")), "#00FF00");
  EXPECT_EQ(Int(Member(Member(Member(TopicAt(document, {1}), "line-and-fill -1"), "fill"), "kind")), 0) << "no fill";
  EXPECT_EQ(Member(TopicAt(document, {2}), "runs"), nullptr) << "a style of another family";

  const Value* relationships = Member(&document, "relationships");
  ASSERT_EQ(Count(relationships), 1u);
  const Value* r = Item(relationships, 0);
  EXPECT_EQ(Text(Member(r, "from")), "topic C/A");
  EXPECT_EQ(Text(Member(r, "to")), "topic C/B");
  EXPECT_EQ(Int(Member(r, "shape")), 1);
  const Value* line = Member(Member(r, "format -1"), "line");
  EXPECT_EQ(Int(Member(line, "begin-arrow")), 5);
  EXPECT_EQ(Int(Member(line, "end-arrow")), 1);
  EXPECT_EQ(Int(Member(Member(r, "first-control-point"), "x")), 1000);
  EXPECT_EQ(Text(Member(Member(line, "line"), "color")), "#CC0000");
  EXPECT_EQ(Text(Member(Attached(a, "summary-member"), "title")), "rel");
}

}  // namespace

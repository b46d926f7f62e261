// The marker and style name mapper: every name of every table of the three formats.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <foliant/tq_resource_mapper.h>
#include <kx2/Utf.h>

namespace {

struct Expected {
  int category;
  std::string name;
  LONG kind, group, icon, value;
};

// "group: name icon [value], ..." for markers; "category: name value, ..." for styles.
void AddMarkers(std::vector<Expected>& out, LONG group, const std::string& list, const std::string& prefix = "") {
  std::istringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    std::istringstream fields(item);
    std::string name;
    LONG icon = 0, value = 0;
    fields >> name >> icon;
    if (!(fields >> value)) value = 0;
    out.push_back({6, prefix + name, 0, group, icon, value});
  }
}

void AddValues(std::vector<Expected>& out, int category, const std::string& list, const std::string& prefix = "") {
  std::istringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    std::istringstream fields(item);
    std::string name;
    LONG value = 0;
    fields >> name >> std::hex >> value;
    out.push_back({category, prefix + name, 1, 0, 0, value});
  }
}

std::vector<Expected> MindManager() {
  std::vector<Expected> e;
  const std::string u = "urn:mindjet:";
  AddMarkers(e, 301, "SmileyHappy 302, SmileyNeutral 303, SmileyAngry 304, SmileySad 305, SmileyScreaming 306", u);
  AddMarkers(e, 341,
             "FlagGreen 342, FlagYellow 343, FlagOrange 344, FlagRed 345, FlagPurple 346, FlagBlue 347, FlagBlack 348",
             u);
  AddMarkers(e, 99, "Prio1 101, Prio2 102, Prio3 103, Prio4 104, Prio5 105, Prio6 106, Prio7 107, Prio8 108, Prio9 109",
             u);
  AddMarkers(e, 199,
             "0 200 0, 10 210 10, 25 225 25, 35 235 35, 50 250 50, 65 265 65, 75 275 75, 90 290 90, 100 300 100");
  AddMarkers(e, 321, "ArrowUp 322, ArrowDown 323, ArrowLeft 324, ArrowRight 325", u);
  AddMarkers(e, 361,
             "ThumbsUp 362, ThumbsDown 363, QuestionMark 364, ExclamationMark 365, JudgeHammer 366, Calendar 367, "
             "Dollar 368, Emergency 369",
             u);
  // Style values in hexadecimal.
  AddValues(e, 0, "Rectangle 1, RoundedRectangle 2, Hexagon 4, Octagon 3, Oval 5, Line 0, Circle 5, None -1", u);
  AddValues(e, 1,
            "Left 0, Right 2, Top 0, Bottom 2, TextBottomImageTop 2, TextTopImageBottom 3, TextRightImageLeft 0, "
            "TextLeftImageRight 1",
            u);
  AddValues(e, 3, "Straight 0, Arc 1, Curve 2, Elbow 3, RoundedElbow 4, ShearedElbow 5, Angle 6, None -1", u);
  AddValues(e, 8, "Inside 0, Outside 0, Spread 2, Center 1", u);
  AddValues(e, 2, "RoundedRectangleBalloon 8, RectangleBalloon 7", u);
  AddValues(
      e, 4,
      "Lines 0, Zigzag 1, Scallops 2, Waves 3, CurvedLine 4, SummaryElbow 5, SummaryShearedElbow 6, SummaryArc 7, "
      "SummaryCurve 8",
      u);
  AddValues(e, 7, "Solid 0, RoundDot 1, SquareDot 2, Dash 3, DashDot 4, LongDash 6, LongDashDot 7, LongDashDotDot 8",
            u);
  AddValues(e, 9, "NoArrow 0, Arrow 1, OpenArrow 2, StealthArrow 3, DiamondArrow 4, OvalArrow 5", u);
  AddValues(e, 10, "Left 1, Right 2, Center 3", u);
  AddValues(e, 5, "Straight 1, Curved 3, Angled 2", u);
  AddValues(e, 11, "NoFlip 1, StretchFit 3, FlipXY 1, FlipX 1, FlipY 1, Center 2", u);
  AddValues(e, 12, "NoFlip 0, StretchFit 0, FlipXY 3, FlipX 1, FlipY 2, Center 0", u);
  AddValues(
      e, 13,
      "Horizontal/urn:mindjet:Center/urn:mindjet:Right 102, Horizontal/urn:mindjet:Bottom/urn:mindjet:Right 202, "
      "Horizontal/urn:mindjet:Bottom/urn:mindjet:LeftAndRight 100, Vertical/urn:mindjet:Middle/urn:mindjet:Down 405, "
      "Vertical/urn:mindjet:Middle/urn:mindjet:Up 404, Vertical/urn:mindjet:Middle/urn:mindjet:UpAndDown 403, "
      "Horizontal/urn:mindjet:Center/urn:mindjet:AutomaticHorizontal 100, "
      "Horizontal/urn:mindjet:Bottom/urn:mindjet:AutomaticHorizontal 202, "
      "Vertical/urn:mindjet:Middle/urn:mindjet:AutomaticVertical 405",
      u);
  return e;
}

std::vector<Expected> FreeMind() {
  std::vector<Expected> e;
  AddMarkers(e, 301, "ksmiletris 302, smiley-neutral 303, smiley-angry 306, smily_bad 304");
  AddMarkers(
      e, 341,
      "flag-black 348, flag-blue 347, flag-green 342, flag-orange 344, flag-pink 346, flag 345, flag-yellow 343");
  AddMarkers(
      e, 99,
      "full-1 101, full-2 102, full-3 103, full-4 104, full-5 105, full-6 106, full-7 107, full-8 108, full-9 109");
  AddMarkers(e, 321, "back 324, forward 325, up 322, down 323");
  AddMarkers(e, 361, "help 364, yes 365, calendar 367");
  return e;
}

std::vector<Expected> XMind() {
  std::vector<Expected> e;
  AddMarkers(
      e, 301,
      "smiley-smile 302, smiley-laugh 302, smiley-angry 306, smily-cry 305, smily-surprise 303, smily-boring 304");
  AddMarkers(e, 341, "flag-green 342, flag-red 345, flag-orange 344, flag-purple 346, flag-blue 347, flag-black 348");
  AddMarkers(e, 99,
             "priority-1 101, priority-2 102, priority-3 103, priority-4 104, priority-5 105, priority-6 106, "
             "priority-7 107, priority-8 108, priority-9 109");
  AddMarkers(e, 199,
             "task-start 200 0, task-quarter 225 25, task-half 250 50, task-3quar 275 75, task-done 300 100, "
             "task-pause 347 0");
  AddMarkers(e, 361, "other-calendar 367, other-question 364, other-exclam 365, other-yes 362, other-no 363");
  const std::string x = "org.xmind.";
  AddValues(e, 13,
            "ui.org-chart.down 405, ui.org-chart.up 404, ui.tree.right 202, ui.tree.left 201, ui.logic.right 102, "
            "ui.logic.left 101, ui.fishbone.leftHeaded 302, ui.fishbone.rightHeaded 301, ui.spreadsheet 202",
            x);
  AddValues(e, 5, "relationshipShape.angled 2, relationshipShape.straight 1, relationshipShape.zigzag 2", x);
  AddValues(e, 9,
            "arrowShape.normal 2, arrowShape.dot 5, arrowShape.triangle 1, arrowShape.square 4, arrowShape.diamond 4, "
            "arrowShape.herringbone 1, arrowShape.spearhead 2",
            x);
  AddValues(e, 0,
            "topicShape.roundedRect 2, topicShape.rect 1, topicShape.ellipse 5, topicShape.diamond 6, "
            "topicShape.underline 0, topicShape.noBorder -1, topicShape.callout.roundedRect 2, "
            "topicShape.callout.ellipse 5",
            x);
  AddValues(e, 3,
            "branchConnection.straight 0, branchConnection.curve 1, branchConnection.arrowedCurve 1, "
            "branchConnection.elbow 3, branchConnection.none -1",
            x);
  AddValues(e, 4,
            "boundaryShape.rect 0, boundaryShape.scallops 2, boundaryShape.waves 3, boundaryShape.tension 1, "
            "summaryShape.angle 6, summaryShape.square 5, summaryShape.round 8",
            x);
  AddValues(e, 7, "solid 0, dash 3, dot 1, dash-dot 4, dash-dot-dot 5");
  return e;
}

void ExpectTables(int format, const std::vector<Expected>& expected) {
  TqResourceMapper mapper;
  ASSERT_EQ(mapper.Init(format), 1);
  size_t perCategory[TqResourceMapper::kCategoryCount] = {};
  for (const Expected& e : expected) {
    // Names met twice in one category keep their first record (and are counted once).
    TqMapRecord r{};
    std::u16string name = kx2::Utf8ToUtf16(e.name);
    ASSERT_EQ(mapper.Find(e.category, name.c_str(), &r), 1) << format << " " << e.name;
    if (r.kind == e.kind && r.group == e.group && r.icon == e.icon && r.value == e.value) {
      ++perCategory[e.category];
    } else {
      bool laterDuplicate = false;
      for (const Expected& f : expected)
        if (&f != &e && f.category == e.category && f.name == e.name) laterDuplicate = &f < &e;
      EXPECT_TRUE(laterDuplicate) << format << " " << e.name << ": kind " << r.kind << " group " << r.group << " icon "
                                  << r.icon << " value " << r.value;
    }
    EXPECT_EQ(r.spare1[0] | r.spare1[1] | r.spare1[2] | r.spare2[0] | r.spare2[1] | r.spare2[2], 0);
  }
  for (int c = 0; c < TqResourceMapper::kCategoryCount; ++c)
    EXPECT_EQ(mapper.Size(c), perCategory[c]) << "format " << format << " category " << c;
}

TEST(FoliantMapper, EveryNameOfEveryTable) {
  ExpectTables(TqResourceMapper::kMindManager, MindManager());
  ExpectTables(TqResourceMapper::kFreeMind, FreeMind());
  ExpectTables(TqResourceMapper::kXMind, XMind());
}

TEST(FoliantMapper, Lookups) {
  TqResourceMapper mm, xm, other;
  TqMapRecord r{};
  EXPECT_EQ(mm.Find(6, u"urn:mindjet:Prio3", &r), 0) << "not ready before Init";
  ASSERT_EQ(mm.Init(1), 1);
  ASSERT_EQ(mm.Find(6, u"urn:mindjet:Prio3", &r), 1);
  EXPECT_EQ(r.kind, 0);
  EXPECT_EQ(r.group, 99);
  EXPECT_EQ(r.icon, 103);
  ASSERT_EQ(mm.Find(6, u"35", &r), 1);
  EXPECT_EQ(r.group, 199);
  EXPECT_EQ(r.icon, 235);
  EXPECT_EQ(r.value, 35);
  TqMapRecord untouched{};
  untouched.value = 77;
  EXPECT_EQ(mm.Find(6, u"URN:MINDJET:PRIO3", &untouched), 0) << "names are case-sensitive";
  EXPECT_EQ(untouched.value, 77);
  EXPECT_EQ(mm.Find(6, nullptr, &r), 0);
  EXPECT_EQ(mm.Find(14, u"urn:mindjet:Prio3", &r), 0);
  ASSERT_EQ(xm.Init(3), 1);
  ASSERT_EQ(xm.Find(6, u"task-pause", &r), 1);
  EXPECT_EQ(r.group, 199);
  EXPECT_EQ(r.icon, 347);
  ASSERT_EQ(xm.Find(0, u"org.xmind.topicShape.noBorder", &r), 1);
  EXPECT_EQ(r.kind, 1);
  EXPECT_EQ(r.value, -1);
  EXPECT_EQ(other.Init(4), 1);
  for (int c = 0; c < TqResourceMapper::kCategoryCount; ++c) EXPECT_EQ(other.Size(c), 0u);
  EXPECT_EQ(other.Find(6, u"flag", &r), 0);
  // A second Init starts from empty.
  ASSERT_EQ(xm.Init(2), 1);
  EXPECT_EQ(xm.Find(0, u"org.xmind.topicShape.noBorder", &r), 0);
  EXPECT_EQ(xm.Find(6, u"flag", &r), 1);
}

TEST(FoliantMapper, MarkerGuidsNameTheHostEntries) {
  TqMapRecord r{};
  r.group = 341;
  r.icon = 345;
  GUID entry = TqResourceMapper::MarkerGuid(r), group = TqResourceMapper::GroupGuid(r);
  EXPECT_EQ(entry.Data1, 345u);
  EXPECT_EQ(group.Data1, 341u);
  EXPECT_TRUE(entry.Data2 == 0 && entry.Data3 == 0);
  for (BYTE b : entry.Data4) EXPECT_EQ(b, 0);
}

TEST(FoliantMapper, ATableLoadsWholeOrFailsOnARealError) {
  TqResourceMapper mapper;
  ASSERT_EQ(mapper.Init(4), 1);
  const char16_t* names[] = {u"a", u"b", u"a"};
  const LONG values[] = {1, 2, 3};
  // A name met again (even as the last name) keeps its first record; the table loads.
  EXPECT_EQ(mapper.RegisterValues(0, names, 3, 3, values), 1);
  TqMapRecord r{};
  ASSERT_EQ(mapper.Find(0, u"a", &r), 1);
  EXPECT_EQ(r.value, 1);
  EXPECT_EQ(mapper.Size(0), 2u);
  const LONG icons[] = {10, 11, 12};
  EXPECT_EQ(mapper.RegisterMarkers(names, 3, 3, 5, icons, nullptr), 1);
  // A table shorter than the count asked for, or with a missing name, is refused.
  EXPECT_EQ(mapper.RegisterValues(1, names, 3, 2, values), 0);
  const char16_t* holes[] = {u"x", nullptr};
  EXPECT_EQ(mapper.RegisterValues(1, holes, 2, 2, values), 0);
  EXPECT_EQ(mapper.RegisterValues(14, names, 1, 1, values), 0);
}

}  // namespace

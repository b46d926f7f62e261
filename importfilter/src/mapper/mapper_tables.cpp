#include "mapper/mapper_tables.h"

#include <cstddef>

namespace foliant {
namespace {

struct MarkerTable {
  LONG group;
  const char16_t* const* names;
  const LONG* icons;
  const LONG* values;  // null: 0 for every name
  int count;
};

struct ValueTable {
  int category;
  const char16_t* const* names;
  const LONG* values;
  int count;
};

template <size_t N, size_t M>
constexpr MarkerTable Markers(LONG group, const char16_t* const (&names)[N], const LONG (&icons)[M],
                              const LONG* values = nullptr) {
  static_assert(N == M, "one icon per name");
  return {group, names, icons, values, static_cast<int>(N)};
}

template <size_t N, size_t M>
constexpr ValueTable Values(int category, const char16_t* const (&names)[N], const LONG (&values)[M]) {
  static_assert(N == M, "one value per name");
  return {category, names, values, static_cast<int>(N)};
}

using M = TqResourceMapper;

// ---- MindManager --------------------------------------------------------------------------
const char16_t* const kMmSmileys[] = {u"urn:mindjet:SmileyHappy", u"urn:mindjet:SmileyNeutral",
                                      u"urn:mindjet:SmileyAngry", u"urn:mindjet:SmileySad",
                                      u"urn:mindjet:SmileyScreaming"};
const LONG kMmSmileyIcons[] = {302, 303, 304, 305, 306};
const char16_t* const kMmFlags[] = {u"urn:mindjet:FlagGreen", u"urn:mindjet:FlagYellow", u"urn:mindjet:FlagOrange",
                                    u"urn:mindjet:FlagRed",   u"urn:mindjet:FlagPurple", u"urn:mindjet:FlagBlue",
                                    u"urn:mindjet:FlagBlack"};
const LONG kMmFlagIcons[] = {342, 343, 344, 345, 346, 347, 348};
const char16_t* const kMmPriorities[] = {u"urn:mindjet:Prio1", u"urn:mindjet:Prio2", u"urn:mindjet:Prio3",
                                         u"urn:mindjet:Prio4", u"urn:mindjet:Prio5", u"urn:mindjet:Prio6",
                                         u"urn:mindjet:Prio7", u"urn:mindjet:Prio8", u"urn:mindjet:Prio9"};
const LONG kPriorityIcons[] = {101, 102, 103, 104, 105, 106, 107, 108, 109};
const char16_t* const kMmProgress[] = {u"0", u"10", u"25", u"35", u"50", u"65", u"75", u"90", u"100"};
const LONG kMmProgressIcons[] = {200, 210, 225, 235, 250, 265, 275, 290, 300};
const LONG kMmProgressValues[] = {0, 10, 25, 35, 50, 65, 75, 90, 100};
const char16_t* const kMmArrows[] = {u"urn:mindjet:ArrowUp", u"urn:mindjet:ArrowDown", u"urn:mindjet:ArrowLeft",
                                     u"urn:mindjet:ArrowRight"};
const LONG kMmArrowIcons[] = {322, 323, 324, 325};
const char16_t* const kMmSymbols[] = {
    u"urn:mindjet:ThumbsUp",    u"urn:mindjet:ThumbsDown", u"urn:mindjet:QuestionMark", u"urn:mindjet:ExclamationMark",
    u"urn:mindjet:JudgeHammer", u"urn:mindjet:Calendar",   u"urn:mindjet:Dollar",       u"urn:mindjet:Emergency"};
const LONG kMmSymbolIcons[] = {362, 363, 364, 365, 366, 367, 368, 369};

const char16_t* const kMmTopicShapes[] = {u"urn:mindjet:Rectangle", u"urn:mindjet:RoundedRectangle",
                                          u"urn:mindjet:Hexagon",   u"urn:mindjet:Octagon",
                                          u"urn:mindjet:Oval",      u"urn:mindjet:Line",
                                          u"urn:mindjet:Circle",    u"urn:mindjet:None"};
const LONG kMmTopicShapeValues[] = {1, 2, 4, 3, 5, 0, 5, -1};
const char16_t* const kMmSides[] = {u"urn:mindjet:Left", u"urn:mindjet:Right"};
const LONG kMmSideValues[] = {0, 2};
const char16_t* const kMmEnds[] = {u"urn:mindjet:Top", u"urn:mindjet:Bottom"};
const LONG kMmEndValues[] = {0, 2};
const char16_t* const kMmTextImage[] = {u"urn:mindjet:TextBottomImageTop", u"urn:mindjet:TextTopImageBottom",
                                        u"urn:mindjet:TextRightImageLeft", u"urn:mindjet:TextLeftImageRight"};
const LONG kMmTextImageValues[] = {2, 3, 0, 1};
const char16_t* const kMmBranchLines[] = {
    u"urn:mindjet:Straight",     u"urn:mindjet:Arc",          u"urn:mindjet:Curve", u"urn:mindjet:Elbow",
    u"urn:mindjet:RoundedElbow", u"urn:mindjet:ShearedElbow", u"urn:mindjet:Angle", u"urn:mindjet:None"};
const LONG kMmBranchLineValues[] = {0, 1, 2, 3, 4, 5, 6, -1};
const char16_t* const kMmAlignments[] = {u"urn:mindjet:Inside", u"urn:mindjet:Outside", u"urn:mindjet:Spread",
                                         u"urn:mindjet:Center"};
const LONG kMmAlignmentValues[] = {0, 0, 2, 1};
const char16_t* const kMmCallouts[] = {u"urn:mindjet:RoundedRectangleBalloon", u"urn:mindjet:RectangleBalloon"};
const LONG kMmCalloutValues[] = {8, 7};
const char16_t* const kMmBoundaries[] = {u"urn:mindjet:Lines",
                                         u"urn:mindjet:Zigzag",
                                         u"urn:mindjet:Scallops",
                                         u"urn:mindjet:Waves",
                                         u"urn:mindjet:CurvedLine",
                                         u"urn:mindjet:SummaryElbow",
                                         u"urn:mindjet:SummaryShearedElbow",
                                         u"urn:mindjet:SummaryArc",
                                         u"urn:mindjet:SummaryCurve"};
const LONG kMmBoundaryValues[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
const char16_t* const kMmDashes[] = {u"urn:mindjet:Solid",       u"urn:mindjet:RoundDot",      u"urn:mindjet:SquareDot",
                                     u"urn:mindjet:Dash",        u"urn:mindjet:DashDot",       u"urn:mindjet:LongDash",
                                     u"urn:mindjet:LongDashDot", u"urn:mindjet:LongDashDotDot"};
const LONG kMmDashValues[] = {0, 1, 2, 3, 4, 6, 7, 8};
const char16_t* const kMmArrowHeads[] = {u"urn:mindjet:NoArrow",      u"urn:mindjet:Arrow",
                                         u"urn:mindjet:OpenArrow",    u"urn:mindjet:StealthArrow",
                                         u"urn:mindjet:DiamondArrow", u"urn:mindjet:OvalArrow"};
const LONG kMmArrowHeadValues[] = {0, 1, 2, 3, 4, 5};
const char16_t* const kMmHorizontal[] = {u"urn:mindjet:Left", u"urn:mindjet:Right", u"urn:mindjet:Center"};
const LONG kMmHorizontalValues[] = {1, 2, 3};
const char16_t* const kMmRelationshipLines[] = {u"urn:mindjet:Straight", u"urn:mindjet:Curved", u"urn:mindjet:Angled"};
const LONG kMmRelationshipLineValues[] = {1, 3, 2};
const char16_t* const kMmImageFit[] = {u"urn:mindjet:NoFlip", u"urn:mindjet:StretchFit", u"urn:mindjet:FlipXY",
                                       u"urn:mindjet:FlipX",  u"urn:mindjet:FlipY",      u"urn:mindjet:Center"};
const LONG kMmImageFitValues[] = {1, 3, 1, 1, 1, 2};
const LONG kMmImageFlipValues[] = {0, 0, 3, 1, 2, 0};
const char16_t* const kMmLayouts[] = {u"urn:mindjet:Horizontal/urn:mindjet:Center/urn:mindjet:Right",
                                      u"urn:mindjet:Horizontal/urn:mindjet:Bottom/urn:mindjet:Right",
                                      u"urn:mindjet:Horizontal/urn:mindjet:Bottom/urn:mindjet:LeftAndRight",
                                      u"urn:mindjet:Vertical/urn:mindjet:Middle/urn:mindjet:Down",
                                      u"urn:mindjet:Vertical/urn:mindjet:Middle/urn:mindjet:Up",
                                      u"urn:mindjet:Vertical/urn:mindjet:Middle/urn:mindjet:UpAndDown",
                                      u"urn:mindjet:Horizontal/urn:mindjet:Center/urn:mindjet:AutomaticHorizontal",
                                      u"urn:mindjet:Horizontal/urn:mindjet:Bottom/urn:mindjet:AutomaticHorizontal",
                                      u"urn:mindjet:Vertical/urn:mindjet:Middle/urn:mindjet:AutomaticVertical"};
const LONG kMmLayoutValues[] = {0x102, 0x202, 0x100, 0x405, 0x404, 0x403, 0x100, 0x202, 0x405};

const MarkerTable kMindManagerMarkers[] = {
    Markers(301, kMmSmileys, kMmSmileyIcons),   Markers(341, kMmFlags, kMmFlagIcons),
    Markers(99, kMmPriorities, kPriorityIcons), Markers(199, kMmProgress, kMmProgressIcons, kMmProgressValues),
    Markers(321, kMmArrows, kMmArrowIcons),     Markers(361, kMmSymbols, kMmSymbolIcons),
};
const ValueTable kMindManagerValues[] = {
    Values(M::kTopicShape, kMmTopicShapes, kMmTopicShapeValues),
    Values(M::kTextImagePosition, kMmSides, kMmSideValues),
    Values(M::kTextImagePosition, kMmEnds, kMmEndValues),
    Values(M::kTextImagePosition, kMmTextImage, kMmTextImageValues),
    Values(M::kBranchLine, kMmBranchLines, kMmBranchLineValues),
    Values(M::kAlignment, kMmAlignments, kMmAlignmentValues),
    Values(M::kCalloutShape, kMmCallouts, kMmCalloutValues),
    Values(M::kBoundaryShape, kMmBoundaries, kMmBoundaryValues),
    Values(M::kLinePattern, kMmDashes, kMmDashValues),
    Values(M::kArrowHead, kMmArrowHeads, kMmArrowHeadValues),
    Values(M::kHorizontalAlignment, kMmHorizontal, kMmHorizontalValues),
    Values(M::kRelationshipLine, kMmRelationshipLines, kMmRelationshipLineValues),
    Values(M::kImageFit, kMmImageFit, kMmImageFitValues),
    Values(M::kImageFlip, kMmImageFit, kMmImageFlipValues),
    Values(M::kLayout, kMmLayouts, kMmLayoutValues),
};

// ---- FreeMind -----------------------------------------------------------------------------
const char16_t* const kFmSmileys[] = {u"ksmiletris", u"smiley-neutral", u"smiley-angry", u"smily_bad"};
const LONG kFmSmileyIcons[] = {302, 303, 306, 304};
const char16_t* const kFmFlags[] = {u"flag-black", u"flag-blue", u"flag-green", u"flag-orange",
                                    u"flag-pink",  u"flag",      u"flag-yellow"};
const LONG kFmFlagIcons[] = {348, 347, 342, 344, 346, 345, 343};
const char16_t* const kFmPriorities[] = {u"full-1", u"full-2", u"full-3", u"full-4", u"full-5",
                                         u"full-6", u"full-7", u"full-8", u"full-9"};
const char16_t* const kFmArrows[] = {u"back", u"forward", u"up", u"down"};
const LONG kFmArrowIcons[] = {324, 325, 322, 323};
const char16_t* const kFmSymbols[] = {u"help", u"yes", u"calendar"};
const LONG kFmSymbolIcons[] = {364, 365, 367};

const MarkerTable kFreeMindMarkers[] = {
    Markers(301, kFmSmileys, kFmSmileyIcons),   Markers(341, kFmFlags, kFmFlagIcons),
    Markers(99, kFmPriorities, kPriorityIcons), Markers(321, kFmArrows, kFmArrowIcons),
    Markers(361, kFmSymbols, kFmSymbolIcons),
};

// ---- XMind --------------------------------------------------------------------------------
const char16_t* const kXmSmileys[] = {u"smiley-smile", u"smiley-laugh",   u"smiley-angry",
                                      u"smily-cry",    u"smily-surprise", u"smily-boring"};
const LONG kXmSmileyIcons[] = {302, 302, 306, 305, 303, 304};
const char16_t* const kXmFlags[] = {u"flag-green",  u"flag-red",  u"flag-orange",
                                    u"flag-purple", u"flag-blue", u"flag-black"};
const LONG kXmFlagIcons[] = {342, 345, 344, 346, 347, 348};
const char16_t* const kXmPriorities[] = {u"priority-1", u"priority-2", u"priority-3", u"priority-4", u"priority-5",
                                         u"priority-6", u"priority-7", u"priority-8", u"priority-9"};
const char16_t* const kXmTasks[] = {u"task-start", u"task-quarter", u"task-half",
                                    u"task-3quar", u"task-done",    u"task-pause"};
// "task-pause" names icon 347, the blue flag of group 341, inside the progress group: kept
// as the host's tables have it.
const LONG kXmTaskIcons[] = {200, 225, 250, 275, 300, 347};
const LONG kXmTaskValues[] = {0, 25, 50, 75, 100, 0};
const char16_t* const kXmSymbols[] = {u"other-calendar", u"other-question", u"other-exclam", u"other-yes", u"other-no"};
const LONG kXmSymbolIcons[] = {367, 364, 365, 362, 363};

const char16_t* const kXmLayouts[] = {
    u"org.xmind.ui.org-chart.down",      u"org.xmind.ui.org-chart.up",         u"org.xmind.ui.tree.right",
    u"org.xmind.ui.tree.left",           u"org.xmind.ui.logic.right",          u"org.xmind.ui.logic.left",
    u"org.xmind.ui.fishbone.leftHeaded", u"org.xmind.ui.fishbone.rightHeaded", u"org.xmind.ui.spreadsheet"};
const LONG kXmLayoutValues[] = {0x405, 0x404, 0x202, 0x201, 0x102, 0x101, 0x302, 0x301, 0x202};
const char16_t* const kXmRelationshipLines[] = {u"org.xmind.relationshipShape.angled",
                                                u"org.xmind.relationshipShape.straight",
                                                u"org.xmind.relationshipShape.zigzag"};
const LONG kXmRelationshipLineValues[] = {2, 1, 2};
const char16_t* const kXmArrowHeads[] = {u"org.xmind.arrowShape.normal",   u"org.xmind.arrowShape.dot",
                                         u"org.xmind.arrowShape.triangle", u"org.xmind.arrowShape.square",
                                         u"org.xmind.arrowShape.diamond",  u"org.xmind.arrowShape.herringbone",
                                         u"org.xmind.arrowShape.spearhead"};
const LONG kXmArrowHeadValues[] = {2, 5, 1, 4, 4, 1, 2};
const char16_t* const kXmTopicShapes[] = {u"org.xmind.topicShape.roundedRect",
                                          u"org.xmind.topicShape.rect",
                                          u"org.xmind.topicShape.ellipse",
                                          u"org.xmind.topicShape.diamond",
                                          u"org.xmind.topicShape.underline",
                                          u"org.xmind.topicShape.noBorder",
                                          u"org.xmind.topicShape.callout.roundedRect",
                                          u"org.xmind.topicShape.callout.ellipse"};
const LONG kXmTopicShapeValues[] = {2, 1, 5, 6, 0, -1, 2, 5};
const char16_t* const kXmBranchLines[] = {u"org.xmind.branchConnection.straight", u"org.xmind.branchConnection.curve",
                                          u"org.xmind.branchConnection.arrowedCurve",
                                          u"org.xmind.branchConnection.elbow", u"org.xmind.branchConnection.none"};
const LONG kXmBranchLineValues[] = {0, 1, 1, 3, -1};
const char16_t* const kXmBoundaries[] = {u"org.xmind.boundaryShape.rect",  u"org.xmind.boundaryShape.scallops",
                                         u"org.xmind.boundaryShape.waves", u"org.xmind.boundaryShape.tension",
                                         u"org.xmind.summaryShape.angle",  u"org.xmind.summaryShape.square",
                                         u"org.xmind.summaryShape.round"};
const LONG kXmBoundaryValues[] = {0, 2, 3, 1, 6, 5, 8};
const char16_t* const kXmDashes[] = {u"solid", u"dash", u"dot", u"dash-dot", u"dash-dot-dot"};
// "dash-dot-dot" gives 5, which the host's line patterns do not name (8 is long
// dash-dot-dot): kept as the host's tables have it.
const LONG kXmDashValues[] = {0, 3, 1, 4, 5};

const MarkerTable kXMindMarkers[] = {
    Markers(301, kXmSmileys, kXmSmileyIcons),   Markers(341, kXmFlags, kXmFlagIcons),
    Markers(99, kXmPriorities, kPriorityIcons), Markers(199, kXmTasks, kXmTaskIcons, kXmTaskValues),
    Markers(361, kXmSymbols, kXmSymbolIcons),
};
const ValueTable kXMindValues[] = {
    Values(M::kLayout, kXmLayouts, kXmLayoutValues),
    Values(M::kRelationshipLine, kXmRelationshipLines, kXmRelationshipLineValues),
    Values(M::kArrowHead, kXmArrowHeads, kXmArrowHeadValues),
    Values(M::kTopicShape, kXmTopicShapes, kXmTopicShapeValues),
    Values(M::kBranchLine, kXmBranchLines, kXmBranchLineValues),
    Values(M::kBoundaryShape, kXmBoundaries, kXmBoundaryValues),
    Values(M::kLinePattern, kXmDashes, kXmDashValues),
};

template <size_t NM, size_t NV>
bool Register(TqResourceMapper& mapper, const MarkerTable (&markers)[NM], const ValueTable (&values)[NV]) {
  for (const MarkerTable& t : markers)
    if (!mapper.RegisterMarkers(t.names, t.count, t.count, t.group, t.icons, t.values)) return false;
  for (const ValueTable& t : values)
    if (!mapper.RegisterValues(t.category, t.names, t.count, t.count, t.values)) return false;
  return true;
}

}  // namespace

bool RegisterFormatTables(TqResourceMapper& mapper, int format) {
  switch (format) {
    case TqResourceMapper::kMindManager:
      return Register(mapper, kMindManagerMarkers, kMindManagerValues);
    case TqResourceMapper::kFreeMind: {
      for (const MarkerTable& t : kFreeMindMarkers)
        if (!mapper.RegisterMarkers(t.names, t.count, t.count, t.group, t.icons, t.values)) return false;
      return true;
    }
    case TqResourceMapper::kXMind:
      return Register(mapper, kXMindMarkers, kXMindValues);
    default:
      return true;  // no tables: ready and empty
  }
}

}  // namespace foliant

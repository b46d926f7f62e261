// The vocabulary tables of the format enumerations.
#include <plastrum/format/Vocabulary.h>

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using Present::VocabularyTable;
namespace Vocabulary = Present::Vocabulary;

TEST(FormatVocabulary, EveryValueConvertsToItsNameAndBack) {
  ASSERT_EQ(Vocabulary::kAllTableCount, 20u);
  for (size_t t = 0; t < Vocabulary::kAllTableCount; ++t) {
    const VocabularyTable& table = *Vocabulary::kAllTables[t];
    std::map<uint8_t, std::u16string> firstName;
    for (size_t r = 0; r < table.RowCount(); ++r) {
      const auto& row = table.Row(r);
      ASSERT_NE(row.name, nullptr) << table.TableName();
      EXPECT_EQ(table.FromName(row.name), row.value) << table.TableName() << " row " << r;
      firstName.emplace(row.value, row.name);
    }
    for (const auto& [value, name] : firstName) EXPECT_EQ(table.ToName(value), name) << table.TableName();
  }
}

TEST(FormatVocabulary, RowCountsAndSpecialRows) {
  const std::map<std::string, size_t> counts = {
      {"BevelType", 13},   {"MaterialType", 12},     {"LightRigType", 16}, {"CameraPreset", 26},    {"FillType", 6},
      {"GradientType", 4}, {"GradientDirection", 5}, {"TextureMode", 5},   {"TextureAlignment", 9}, {"FlipMode", 4},
      {"LineCompound", 5}, {"LineDash", 9},          {"LineCap", 3},       {"LineJoin", 3},         {"ArrowType", 6},
      {"ArrowSize", 9},    {"RecolorMode", 6},       {"ShadowType", 24},   {"ColorType", 2},        {"HatchStyle", 54}};
  for (size_t t = 0; t < Vocabulary::kAllTableCount; ++t)
    EXPECT_EQ(Vocabulary::kAllTables[t]->RowCount(), counts.at(Vocabulary::kAllTables[t]->TableName()));

  EXPECT_EQ(std::u16string(Vocabulary::HatchStyle.ToName(4)), u"Cross");
  EXPECT_EQ(Vocabulary::HatchStyle.FromName(u"LargeGrid"), 4);
  EXPECT_EQ(Vocabulary::HatchStyle.FromName(u"SolidDiamond"), 52);
  EXPECT_EQ(Vocabulary::BevelType.FromName(u"none"), VocabularyTable::kUnknown);  // case matters
  EXPECT_EQ(Vocabulary::BevelType.FromName(u"Non"), VocabularyTable::kUnknown);
  EXPECT_EQ(Vocabulary::BevelType.FromName(u"NoneX"), VocabularyTable::kUnknown);
  EXPECT_EQ(Vocabulary::BevelType.FromName(nullptr), VocabularyTable::kUnknown);
  EXPECT_EQ(Vocabulary::BevelType.ToName(13), nullptr);
  EXPECT_EQ(Vocabulary::FillType.FromName(u"Auto"), 5);
  EXPECT_EQ(std::u16string(Vocabulary::FillType.ToName(5)), u"Auto");
  EXPECT_EQ(std::u16string(Vocabulary::MaterialType.ToName(11)), u"None");
}

// Every table against its rows as the XML vocabulary fixes them: the same names, values
// and order (the first row of a value is the name written).
const std::pair<const char*, const char*>
    kExpectedRows[] =
        {
            {"BevelType",
             R"("None" 0, "Circle" 1, "RelaxedInset" 2, "Cross" 3, "CoolSlant" 4, "Angle" 5, "SoftRound" 6, "Convex" 7, "Slope" 8, "Divot" 9, "Riblet" 10, "HardEdge" 11, "ArtDeco" 12)"},
            {"MaterialType",
             R"("Matte" 0, "WarmMatte" 1, "Plastic" 2, "Metal" 3, "DarkEdge" 4, "SoftEdge" 5, "Flat" 6, "Wireframe" 7, "Powder" 8, "TranslucentPowder" 9, "Clear" 10, "None" 11)"},
            {"LightRigType",
             R"("ThreePoint" 0, "Balance" 1, "Soft" 2, "Harsh" 3, "Flood" 4, "Contrast" 5, "Morning" 6, "Sunrise" 7, "Sunset" 8, "Chilly" 9, "Freezing" 10, "Flat" 11, "TwoPoint" 12, "Glow" 13, "BrightRoom" 14, "None" 15)"},
            {"CameraPreset",
             R"("None" 0, "IsometricLeftDown" 1, "IsometricRightUp" 2, "IsometricTopUp" 3, "IsometricBottomDown" 4, "OffAxis1Left" 5, "OffAxis1Right" 6, "OffAxis1Top" 7, "OffAxis2Left" 8, "OffAxis2Right" 9, "OffAxis2Top" 10, "PerspectFront" 11, "PerspectLeft" 12, "PerspectRight" 13, "PerspectBelow" 14, "PerspectAbove" 15, "PerspectRelaxedModerately" 16, "PerspectRelaxed" 17, "PerspectContrastLeft" 18, "PerspectContrastRight" 19, "PerspectHeroicExtremeLeft" 20, "PerspectHeroicExtremeRight" 21, "ObliqueTopLeft" 22, "ObliqueTopRight" 23, "ObliqueBottomLeft" 24, "ObliqueBottomRight" 25)"},
            {"FillType", R"("None" 0, "Auto" 5, "Solid" 1, "Hatch" 4, "Gradient" 2, "Texture" 3)"},
            {"GradientType", R"("Linear" 0, "Radial" 1, "Rectangular" 2, "Path" 3)"},
            {"GradientDirection", R"("BottomRight" 0, "BottomLeft" 1, "Center" 2, "TopRight" 3, "TopLeft" 4)"},
            {"TextureMode", R"("Stretch" 0, "Tile" 1, "Center" 2, "Fit" 3, "Fill" 4)"},
            {"TextureAlignment",
             R"("TopLeft" 0, "Top" 1, "TopRight" 2, "Left" 3, "Center" 4, "Right" 5, "BottomLeft" 6, "Bottom" 7, "BottomRight" 8)"},
            {"FlipMode", R"("None" 0, "Horizontal" 1, "Vertical" 2, "Both" 3)"},
            {"LineCompound", R"("Simple" 0, "Double" 1, "ThickThin" 2, "ThinThick" 3, "Triple" 4)"},
            {"LineDash",
             R"("Solid" 0, "RoundDot" 1, "SquareDot" 2, "Dash" 3, "DashDot" 4, "DashDotDot" 5, "LongDash" 6, "LongDashDot" 7, "LongDashDotDot" 8)"},
            {"LineCap", R"("Flat" 0, "Round" 1, "Square" 2)"},
            {"LineJoin", R"("Round" 0, "Bevel" 1, "Miter" 2)"},
            {"ArrowType", R"("None" 0, "Arrow" 1, "Open" 2, "Stealth" 3, "Diamond" 4, "Oval" 5)"},
            {"ArrowSize",
             R"("SmallSmall" 0, "SmallMedium" 1, "SmallLarge" 2, "MediumSmall" 3, "MediumMedium" 4, "MediumLarge" 5, "LargeSmall" 6, "LargeMedium" 7, "LargeLarge" 8)"},
            {"RecolorMode", R"("None" 0, "Grayscale" 1, "Sepia" 2, "Washout" 3, "BlackWhite" 4, "Colorify" 5)"},
            {"ShadowType",
             R"("None" 0, "OffsetBottomRight" 1, "OffsetBottom" 2, "OffsetBottomLeft" 3, "OffsetRight" 4, "OffsetCenter" 5, "OffsetLeft" 6, "OffsetTopRight" 7, "OffsetTop" 8, "OffsetTopLeft" 9, "InsideTopLeft" 10, "InsideTop" 11, "InsideTopRight" 12, "InsideLeft" 13, "InsideCenter" 14, "InsideRight" 15, "InsideBottomLeft" 16, "InsideBottom" 17, "InsideBottomRight" 18, "PerspectUpperLeft" 19, "PerspectUpperRight" 20, "PerspectBelow" 21, "PerspectLowerLeft" 22, "PerspectLowerRight" 23)"},
            {"ColorType", R"("None" 0, "Custom" 1)"},
            {"HatchStyle",
             R"("Horizontal" 0, "Vertical" 1, "ForwardDiagonal" 2, "BackwardDiagonal" 3, "Cross" 4, "DiagonalCross" 5, "Percent05" 6, "Percent10" 7, "Percent20" 8, "Percent25" 9, "Percent30" 10, "Percent40" 11, "Percent50" 12, "Percent60" 13, "Percent70" 14, "Percent75" 15, "Percent80" 16, "Percent90" 17, "LightDownwardDiagonal" 18, "LightUpwardDiagonal" 19, "DarkDownwardDiagonal" 20, "DarkUpwardDiagonal" 21, "WideDownwardDiagonal" 22, "WideUpwardDiagonal" 23, "LightVertical" 24, "LightHorizontal" 25, "NarrowVertical" 26, "NarrowHorizontal" 27, "DarkVertical" 28, "DarkHorizontal" 29, "DashedDownwardDiagonal" 30, "DashedUpwardDiagonal" 31, "DashedHorizontal" 32, "DashedVertical" 33, "SmallConfetti" 34, "LargeConfetti" 35, "ZigZag" 36, "Wave" 37, "DiagonalBrick" 38, "HorizontalBrick" 39, "Weave" 40, "Plaid" 41, "Divot" 42, "DottedGrid" 43, "DottedDiamond" 44, "Shingle" 45, "Trellis" 46, "Sphere" 47, "SmallGrid" 48, "SmallCheckerBoard" 49, "LargeCheckerBoard" 50, "OutlinedDiamond" 51, "SolidDiamond" 52, "LargeGrid" 4)"},
};

// The rows of a text of the form "Name" value, "Name" value, ...
std::vector<std::pair<std::u16string, int>> ParseRows(const std::string& text) {
  std::vector<std::pair<std::u16string, int>> rows;
  for (size_t open = text.find('"'); open != std::string::npos; open = text.find('"', open)) {
    const size_t close = text.find('"', open + 1);
    const std::string name = text.substr(open + 1, close - open - 1);
    size_t end = close + 2;
    const int value = std::stoi(text.substr(end));
    while (end < text.size() && text[end] != ',') ++end;
    rows.emplace_back(std::u16string(name.begin(), name.end()), value);
    open = end;
  }
  return rows;
}

TEST(FormatVocabulary, TablesHoldTheVocabularyRowsInOrder) {
  ASSERT_EQ(std::size(kExpectedRows), Vocabulary::kAllTableCount);
  for (const auto& [tableName, text] : kExpectedRows) {
    const VocabularyTable* table = nullptr;
    for (size_t t = 0; t < Vocabulary::kAllTableCount; ++t)
      if (std::string(Vocabulary::kAllTables[t]->TableName()) == tableName) table = Vocabulary::kAllTables[t];
    ASSERT_NE(table, nullptr) << tableName;
    const auto expected = ParseRows(text);
    ASSERT_EQ(table->RowCount(), expected.size()) << tableName;
    for (size_t r = 0; r < expected.size(); ++r) {
      EXPECT_EQ(std::u16string(table->Row(r).name), expected[r].first) << tableName << " row " << r;
      EXPECT_EQ(table->Row(r).value, expected[r].second) << tableName << " row " << r;
    }
  }
}

}  // namespace

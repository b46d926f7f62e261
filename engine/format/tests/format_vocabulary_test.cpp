#include <plastrum/format/vocabulary.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

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

}  // namespace

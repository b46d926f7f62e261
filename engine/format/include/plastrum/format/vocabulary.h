// The vocabulary tables of the format enumerations: each enumerated byte of a format value
// is written to XML as a name and read back from it. The names are the XML vocabulary and
// are used exactly as they stand, case included. A value may have two names (the first row
// is the one written); values need not follow the row order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Present {

struct VocabularyRow {
  const char16_t* name;
  uint8_t value;
};

class VocabularyTable {
 public:
  // The value FromName answers for a name no row has.
  static constexpr uint8_t kUnknown = 255;

  template <size_t N>
  constexpr VocabularyTable(const char* tableName, const VocabularyRow (&rows)[N])
      : tableName_(tableName), rows_(rows), count_(N) {}

  // The name of the first row with the value; null when no row has it.
  const char16_t* ToName(uint8_t value) const;
  // The value of the first row whose name equals the text exactly; kUnknown for a null text
  // or a name no row has.
  uint8_t FromName(const char16_t* text) const;

  const char* TableName() const { return tableName_; }
  size_t RowCount() const { return count_; }
  const VocabularyRow& Row(size_t i) const { return rows_[i]; }

 private:
  const char* tableName_;
  const VocabularyRow* rows_;
  size_t count_;
};

namespace Vocabulary {

extern const VocabularyTable BevelType;
extern const VocabularyTable MaterialType;
extern const VocabularyTable LightRigType;
extern const VocabularyTable CameraPreset;
extern const VocabularyTable FillType;
extern const VocabularyTable GradientType;
extern const VocabularyTable GradientDirection;
extern const VocabularyTable TextureMode;
extern const VocabularyTable TextureAlignment;
extern const VocabularyTable FlipMode;
extern const VocabularyTable LineCompound;
extern const VocabularyTable LineDash;
extern const VocabularyTable LineCap;
extern const VocabularyTable LineJoin;
extern const VocabularyTable ArrowType;
extern const VocabularyTable ArrowSize;
extern const VocabularyTable RecolorMode;
extern const VocabularyTable ShadowType;
extern const VocabularyTable ColorType;
extern const VocabularyTable HatchStyle;

// Every table above, for code that walks them all.
extern const VocabularyTable* const kAllTables[];
extern const size_t kAllTableCount;

}  // namespace Vocabulary
}  // namespace Present

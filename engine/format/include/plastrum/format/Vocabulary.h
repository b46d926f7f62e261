// The vocabulary tables of the format enumerations: each enumerated byte of a format value
// is written to XML as a name and read back from it. The names are the XML vocabulary and
// are used exactly as they stand, case included. A value may have two names (the first row
// is the one written); values need not follow the row order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <plastrum/Export.h>

namespace Present {

struct PLASTRUM_API VocabularyRow {
  const char16_t* name;
  uint8_t value;
};

class PLASTRUM_API VocabularyTable {
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

PLASTRUM_API extern const VocabularyTable BevelType;
PLASTRUM_API extern const VocabularyTable MaterialType;
PLASTRUM_API extern const VocabularyTable LightRigType;
PLASTRUM_API extern const VocabularyTable CameraPreset;
PLASTRUM_API extern const VocabularyTable FillType;
PLASTRUM_API extern const VocabularyTable GradientType;
PLASTRUM_API extern const VocabularyTable GradientDirection;
PLASTRUM_API extern const VocabularyTable TextureMode;
PLASTRUM_API extern const VocabularyTable TextureAlignment;
PLASTRUM_API extern const VocabularyTable FlipMode;
PLASTRUM_API extern const VocabularyTable LineCompound;
PLASTRUM_API extern const VocabularyTable LineDash;
PLASTRUM_API extern const VocabularyTable LineCap;
PLASTRUM_API extern const VocabularyTable LineJoin;
PLASTRUM_API extern const VocabularyTable ArrowType;
PLASTRUM_API extern const VocabularyTable ArrowSize;
PLASTRUM_API extern const VocabularyTable RecolorMode;
PLASTRUM_API extern const VocabularyTable ShadowType;
PLASTRUM_API extern const VocabularyTable ColorType;
PLASTRUM_API extern const VocabularyTable HatchStyle;

// Every table above, for code that walks them all.
PLASTRUM_API extern const VocabularyTable* const kAllTables[];
PLASTRUM_API extern const size_t kAllTableCount;

}  // namespace Vocabulary
}  // namespace Present

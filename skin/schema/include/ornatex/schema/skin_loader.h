// Fills a schema's property table from the lines of a skin's INI text:
//
//   ; a comment
//   [Button]  [Button.1]  [Button.1(3)]     a class of the schema's table, part and state 0..63
//   ImageFile = Blue\Button.bmp             a string
//   SizingMargins = 4, 4, 3, 3              margins or a rectangle: left, top, right, bottom
//   TextShadowOffset = 1, 1                 a position
//   BorderColor = 10, 20, 30                a colour: red, green, blue
//   Transparent = true                      a boolean
//   CaptionFont = DejaVu Sans, 9, bold      a font: face, points[, bold][, italic]
//   2401 = 3                                an identifier the table below knows
//   5123:2 = 7                              any other identifier with its type code
//
// Names are the visual-style schema's spelling, compared without regard to case. A line
// that cannot be used (an unknown class, a number out of range, a bad value, a key before
// any section) is skipped and reported with its number; the rest loads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ornatex/export.h"
#include "ornatex/schema/schema.h"

struct KtkSkinLoadError {
  int line;
  std::string reason;
};

class ORNATEX_API CKtkSkinPropertyLoader {
 public:
  explicit CKtkSkinPropertyLoader(CKtkSkinManagerSchema& schema) : schema_(schema) {}

  // The next line of the text; false when it was refused (and recorded in Errors()).
  bool LoadLine(std::u16string_view line);
  const std::vector<KtkSkinLoadError>& Errors() const { return errors_; }

 private:
  bool Refuse(const char* reason);
  bool Section(std::u16string_view text);
  bool Entry(std::u16string_view key, std::u16string_view value);

  CKtkSkinManagerSchema& schema_;
  int line_ = 0;
  int class_ = 0;
  int part_ = 0;
  int state_ = 0;
  std::vector<KtkSkinLoadError> errors_;
};

// The identifier and type of a property name of the table ("ImageFile", "SizingMargins",
// "BtnFace" ... ), or of an identifier number the table knows.
ORNATEX_API bool KtkSkinPropertyByName(std::u16string_view name, int* id, int* type);

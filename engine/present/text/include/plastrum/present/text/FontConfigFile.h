// One font configuration file: UTF-16LE text that begins with the byte-order mark and a
// header line, split into sections ("[" name "]") of key "=" value lines.
//
// Lines are read up to 511 units; the rest of a longer line is skipped, never read as a
// line of its own. Leading tabs and spaces are skipped and a line whose first other unit is
// ";" is a comment. A section ends at the next line that begins with "[", at an empty line
// or at the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <win/types.h>

#include <plastrum/Export.h>

namespace Present::Text {

constexpr size_t kConfigLineUnits = 511;

class PLASTRUM_API FontConfigFile {
 public:
  // Takes the file's bytes; false (and nothing kept) when the mark is missing or the first
  // line does not begin with `header`.
  bool Load(const uint8_t* bytes, size_t size, const char16_t* header);
  // Reads the file ("rb"); false with the file error (C runtime error + 0x40000000 and the
  // path) in the thread's error record when it cannot be read, false without one when it is
  // not a configuration file of this header.
  bool Open(const WCHAR* path, const char16_t* header);

  // The lines of a section (its name compared ASCII case-insensitively), comments left out,
  // leading blanks skipped; false when there is no such section. Found sections are
  // remembered by (path, name) until ClearSectionCache.
  bool ReadSection(const WCHAR* name, std::vector<std::u16string>* lines) const;

  // The value of the first line whose key equals the wanted key's first characters over the
  // line key's length (ASCII case-insensitively); false when none does.
  static bool FindValue(const std::vector<std::u16string>& lines, const char16_t* wanted, std::u16string* value);
  // The key before the first "=" and the value after it; false for a line without "=".
  static bool SplitLine(const std::u16string& line, std::u16string* key, std::u16string* value);
  // The ","-separated items of a value, each cut to 63 units; empty items are kept out.
  static std::vector<std::u16string> SplitList(const std::u16string& value);

  static void ClearSectionCache();

 private:
  // Each line as read, without its line break.
  std::vector<std::u16string> lines_;
  std::u16string path_;
};

}  // namespace Present::Text

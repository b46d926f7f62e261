// Private: the text of one INI file as lines, with the lookups and edits the profile
// calls make. Lines that an edit does not touch keep their exact text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx2::profile {

class IniFile {
 public:
  // Decodes a file's bytes (UTF-16 with a byte-order mark, UTF-8, else the ANSI code page).
  static IniFile Parse(const std::vector<uint8_t>& bytes);
  // Encodes in the file's own form (UTF-16 stays UTF-16, everything else becomes UTF-8).
  std::vector<uint8_t> Serialize() const;

  std::vector<std::u16string> SectionNames() const;
  bool HasSection(std::u16string_view section) const;
  std::vector<std::u16string> KeyNames(std::u16string_view section) const;
  // "key=value" for each entry of the section (just "key" for a line without '=').
  std::vector<std::u16string> SectionLines(std::u16string_view section) const;
  // The value as written (blanks trimmed, quotes kept); nullopt when the key is absent.
  std::optional<std::u16string> Value(std::u16string_view section, std::u16string_view key) const;

  void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  void DeleteKey(std::u16string_view section, std::u16string_view key);
  void DeleteSection(std::u16string_view section);
  // Replaces the section's entries and comments by `lines`, making the section when missing.
  void ReplaceSection(std::u16string_view section, const std::vector<std::u16string>& lines);

 private:
  enum class Kind { Other, Section, Entry };
  struct Line {
    Kind kind = Kind::Other;
    std::u16string text;   // as read, without the line end
    std::u16string name;   // section name or key, trimmed
    std::u16string value;  // trimmed
    bool hasValue = false;
  };
  enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be };

  static Line ParseLine(std::u16string text);
  std::optional<size_t> FindSection(std::u16string_view section) const;
  size_t SectionEnd(size_t header) const;  // the next header, or the end
  std::optional<size_t> FindEntry(size_t header, std::u16string_view key) const;
  void AppendSection(std::u16string_view section);

  std::vector<Line> lines_;
  Encoding encoding_ = Encoding::Utf8;
  std::u16string eol_ = u"\r\n";
  bool finalEol_ = true;
};

bool EqualNames(std::u16string_view a, std::u16string_view b);
std::u16string Trim(std::u16string_view s);

}  // namespace kx2::profile

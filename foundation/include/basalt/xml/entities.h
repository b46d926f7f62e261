// The entity table of the XML object model: which characters are written as references
// and which references are understood when text is read. Only the table's own references
// are known; numeric character references pass through unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <basalt/export.h>

namespace Basalt::XMLDom {

// Longest reference text an entry can hold, in UTF-16 units (without the terminator).
constexpr int kEntityReferenceUnits = 10;

// One entity: a character and the reference text that stands for it.
struct XmlEntiry {
  char16_t character;
  char16_t reference[kEntityReferenceUnits + 1];  // zero-terminated, e.g. "&amp;"
  int32_t referenceLength;                        // units of `reference`
};

class BASALT_API XMLEntitys {
 public:
  XMLEntitys() = default;
  // Copies `count` records in order.
  XMLEntitys(const XmlEntiry* list, int count);

  // First entry for the character ch, or null.
  const XmlEntiry* GetEntity(int ch) const;
  // First entry whose reference text begins `text`, or null.
  const XmlEntiry* GetEntity(const char16_t* text) const;
  // Number of units of text that some entry stands for.
  int GetEntityCount(const char16_t* text) const;

  // Decoding: references of the table become their characters. A count below zero means
  // up to the terminator; otherwise at most count units (and never past the terminator).
  std::u16string RefToEntity(const char16_t* text) const;
  int32_t RefToEntity(const char16_t* text, std::u16string& out, int32_t count) const;
  // Writes at most count units and a terminator into out (which holds count + 1 units).
  int32_t RefToEntity(const char16_t* text, char16_t* out, int count) const;

  // Encoding: characters of the table become their references.
  std::u16string EntityToRef(const char16_t* text) const;
  int32_t EntityToRef(const char16_t* text, std::u16string& out, int32_t count) const;
  int32_t EntityToRef(const char16_t* text, char16_t* out, int count) const;

  std::vector<XmlEntiry> entries;
};

// The five references of XML: &amp; &quot; &apos; &lt; &gt; (in that order).
BASALT_API extern XMLEntitys entityDefault;

}  // namespace Basalt::XMLDom

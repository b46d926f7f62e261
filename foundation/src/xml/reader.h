// The XML reader: a single recursive-descent pass over zero-terminated UTF-16 text in
// memory, building nodes of the object model. Lenient by design (no DTD, no namespaces,
// no validation); the first error of a parse goes to its ParseInfo.
#pragma once

#include <string>
#include <string_view>

#include <basalt/xml/document.h>
#include <basalt/xml/node.h>

namespace Basalt::XMLDom {

class Reader {
 public:
  // base: the start of the text the caller handed in; error offsets count from it.
  Reader(ParseInfo& info, const char16_t* base);

  // Parses one element (with everything inside it) into n. depth: n's nesting level.
  const char16_t* Element(XMLNode& n, const char16_t* text, int depth);
  // Attributes of n from p to the ">" or "/" of the tag; with end, also stops there.
  const char16_t* Attributes(XMLNode& n, const char16_t* p, const char16_t* end);
  // text starts with "<?": the instruction goes to n's document.
  const char16_t* ProcessingInstruction(XMLNode& n, const char16_t* text);
  // text starts with "<!--" or "<![CDATA[": the node goes to n's parent, else its document.
  const char16_t* Comment(XMLNode& n, const char16_t* text);
  const char16_t* CData(XMLNode& n, const char16_t* text);

  // Processing instructions, comments and CDATA sections that come before a tag (or after
  // the root element).
  struct Markup {
    enum Kind { kPosition, kStoredForParent, kFailed } kind;
    const char16_t* pos;
  };
  Markup ScanMarkup(XMLNode& n, const char16_t* p);

 private:
  const char16_t* ElementBody(XMLNode& n, const char16_t* text, int depth);
  const char16_t* Section(XMLNode& n, const char16_t* text, std::u16string_view open, std::u16string_view close,
                          int32_t type, const char16_t* name);
  void TailText(XMLNode& n, const char16_t* b, const char16_t* e, int depth);
  // Copies [b, e) into dst (trimmed and unescaped as the options say; decoded when asked).
  // An empty range leaves dst as it was.
  void CopyText(XmlString& dst, const char16_t* b, const char16_t* e, bool decode);
  void Decode(XmlString& dst, const char16_t* b, const char16_t* e);
  const char16_t* FindMarker(const char16_t* p, std::u16string_view marker) const;
  void Fail(int32_t code, const char16_t* at, std::u16string text);

  ParseInfo& info_;
  const char16_t* base_;
  bool trim_;
  char16_t escape_;
  const XMLEntitys* entities_;  // null when nothing is decoded
  char16_t referenceLead_;      // the unit every reference begins with, or 0 when they differ
};

}  // namespace Basalt::XMLDom

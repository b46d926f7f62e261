// Options of the XML reader (ParseInfo, which also carries the report of a parse's first
// error) and of the writer (DispOption), and the library's shared defaults.
#pragma once

#include <cstdint>
#include <string>

#include <basalt/export.h>
#include <basalt/xml/entities.h>

namespace Basalt::XMLDom {

// Parse error codes reported in ParseInfo::errorCode.
enum : int32_t {
  kXmlErrorNone = 0,
  kXmlErrorUnclosedEmptyTag = 1,  // "/" in a start tag not followed by ">"
  kXmlErrorUnclosedEndTag = 2,    // the text ends inside a closing tag
  kXmlErrorMismatchedEndTag = 3,  // a closing tag names another element
  kXmlErrorAttribute = 4,         // an attribute name that nothing ends
  kXmlErrorTooDeep = 5,           // elements nested deeper than kXmlMaxDepth
};

// Deepest element nesting the reader accepts. The reader, the writer, copying and freeing
// all descend recursively, so a hostile text must not be able to nest without bound.
constexpr int kXmlMaxDepth = 1000;

class BASALT_API ParseInfo {
 public:
  ParseInfo() = default;

  // Forgets the error report; every parse starts with this.
  void ClearError();

  bool trim = false;                      // trim white space around texts and values
  bool decodeEntities = true;             // replace references of `entities`
  XMLEntitys* entities = &entityDefault;  // not owned; shared by copies
  char16_t escapeChar = 0;                // 0: no escape character
  bool tolerateMismatch = false;          // skip a closing tag of another element

  // The first error of the latest parse.
  bool errorOccurred = false;
  int32_t errorOffset = -1;  // UTF-16 units from the start of the parsed text
  int32_t errorCode = kXmlErrorNone;
  std::u16string errorText;
};

class BASALT_API DispOption {
 public:
  DispOption() = default;

  uint8_t newline = 1;                    // each node on its own line, indented by depth tabs
  uint8_t encodeEntities = 1;             // write references of `entities`
  char quote = '"';                       // around attribute values
  XMLEntitys* entities = &entityDefault;  // not owned
  int32_t depth = 0;                      // indentation of the node written first
};

// Shared defaults. Parsing or writing with them from two threads at once is not
// supported; a caller that needs it passes its own objects.
BASALT_API extern DispOption optDefault;
BASALT_API extern ParseInfo piDefault;

}  // namespace Basalt::XMLDom

// The first start tag of an XML file, read without parsing the document: enough for a
// probe to tell the format by the root element's name and attributes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <win/types.h>

namespace foliant {

struct RootTag {
  std::string name;                     // as written, in the file's bytes (ASCII names compare directly)
  std::vector<std::string> attributes;  // names only

  bool HasAttribute(std::string_view attribute) const;
};

// The root start tag of an XML text held in `head` (the file's first bytes): after a byte
// order mark, the declaration, processing instructions, comments, a document type
// declaration and blanks. UTF-16 texts are read by their byte order mark. nullopt when the
// head holds no complete start tag there.
std::optional<RootTag> ReadRootTag(std::string_view head);

// The same over the first 64 KB of the file at a Windows path.
std::optional<RootTag> ReadRootTagOfFile(LPCWSTR path);

}  // namespace foliant

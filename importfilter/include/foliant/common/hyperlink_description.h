// The text every importer stores in a hyperlink object (class 540, property 0x4001): one
// XML element "hyperlink" written by the foundation's XML writer with the children "type",
// "option", "link", "subject" and "text", in that order. Readers rely only on the element
// names, their order and their values.
#pragma once

#include <string>

#include <win/types.h>

namespace foliant {

// The link kinds, written as the "type" child.
enum HyperlinkKind : int {
  kLinkWeb = 0,      // "web"
  kLinkFile = 1,     // "file"
  kLinkEmail = 2,    // "email"
  kLinkCurrent = 3,  // "current": a topic of the same document
  kLinkFolder = 4,   // "folder"
};

// The description of one link. `absolute` gives "option" "absolute", else "relative".
// `subject` null leaves the "subject" child out (the XMind form); the FreeMind and
// MindManager forms pass an empty text for links other than mail. A kind outside 0 to 4
// gives an empty description, as does a "type" or "option" child that cannot be made; a
// "link", "subject" or "text" child that cannot be made is left out.
std::u16string BuildHyperlinkDescription(LPCWSTR link, bool absolute, int kind, LPCWSTR subject, LPCWSTR text);

}  // namespace foliant

// What a FreeMind "LINK" names: a topic of the same map, a web page, a mail address, or a
// file or folder on disk.
#pragma once

#include <optional>
#include <string>

#include <win/types.h>

namespace foliant::freemind {

// A local path written in a map ("file:" URLs included, "/" or "\" separators), made a
// Windows path: absolute when it holds ":\" after at least one character (the drive
// letter), else below the map's folder (`folder` ends with a backslash).
struct LocalPath {
  std::u16string path;
  bool absolute = false;
};
LocalPath ResolveLocalPath(std::u16string text, const std::u16string& folder);

struct LinkTarget {
  int kind = 0;  // HyperlinkKind
  bool absolute = false;
  std::u16string link;     // web address, mail address, or the resolved path
  std::u16string subject;  // of a mail link
  std::u16string nodeId;   // of a link to a topic ("current")
};

// Classifies a LINK text, every "%20" in it already a blank: "#" and a node identifier is
// a topic link (the caller resolves the identifier); "http://" and "https://" web links;
// a text holding "mailto:" a mail link, its "?subject=" part the subject; anything else a
// file path, a folder link when it names a folder. A path whose file is missing gives no
// link. `attributes` answers as GetFileAttributes does (0xFFFFFFFF: missing).
std::optional<LinkTarget> ClassifyLink(const std::u16string& text, const std::u16string& folder,
                                       DWORD (*attributes)(const char16_t* path));

}  // namespace foliant::freemind

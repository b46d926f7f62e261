#include "freemind/link_target.h"

#include <foliant/common/file_url.h>
#include <foliant/common/hyperlink_description.h>
#include <foliant/common/xml_walk.h>

namespace foliant::freemind {
namespace {

constexpr DWORD kMissing = 0xFFFFFFFF;
constexpr DWORD kDirectory = 0x10;

bool StartsWith(const std::u16string& text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && std::u16string_view(text).substr(0, prefix.size()) == prefix;
}

}  // namespace

LocalPath ResolveLocalPath(std::u16string text, const std::u16string& folder) {
  LocalPath out;
  if (std::optional<std::u16string> local = LocalPathFromFileUrl(text)) {
    text = std::move(*local);
  } else if (text.size() >= 2 && text[0] == u'/' && text[1] != u'/') {
    // A POSIX absolute path, as FreeMind writes on Linux and macOS: absolute, not a name
    // below the map's folder.
    text = WindowsPathOfPosix(text);
  }
  for (char16_t& c : text)
    if (c == u'/') c = u'\\';
  if (StartsWith(text, u"\\\\")) {
    out.path = std::move(text);
    out.absolute = true;
    return out;
  }
  // The drive letter stands before ":\"; a ":\" at the very start has none and is no
  // absolute path.
  const size_t colon = text.find(u":\\");
  if (colon != std::u16string::npos && colon >= 1) {
    out.path = text.substr(colon - 1);
    out.absolute = true;
  } else {
    out.path = folder + text;
  }
  return out;
}

std::optional<LinkTarget> ClassifyLink(const std::u16string& text, const std::u16string& folder,
                                       DWORD (*attributes)(const char16_t* path)) {
  LinkTarget target;
  if (StartsWith(text, u"#")) {
    target.kind = kLinkCurrent;
    target.nodeId = text.substr(1);
    return target;
  }
  if (StartsWith(text, u"http://") || StartsWith(text, u"https://")) {
    target.kind = kLinkWeb;
    target.absolute = true;
    target.link = text;
    return target;
  }
  if (text.find(u"mailto:") != std::u16string::npos) {
    target.kind = kLinkEmail;
    target.absolute = true;
    target.link = text;
    const size_t subject = text.find(u"?subject=");
    if (subject != std::u16string::npos) {
      target.subject = text.substr(subject + 9);
      target.link.resize(subject);
    }
    return target;
  }
  LocalPath local = ResolveLocalPath(text, folder);
  const DWORD found = attributes ? attributes(local.path.c_str()) : kMissing;
  if (found == kMissing) return std::nullopt;
  target.kind = (found & kDirectory) ? kLinkFolder : kLinkFile;
  target.absolute = local.absolute;
  target.link = std::move(local.path);
  return target;
}

}  // namespace foliant::freemind

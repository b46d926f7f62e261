// Helpers on path and file names that need no file system.
#include <algorithm>
#include <string>

#include <basalt/path_util.h>
#include <basalt/string_util.h>

#include "common/text16.h"

namespace Basalt::Util {
namespace {

bool IsNameBreak(char16_t c) { return c == u'/' || c == u':' || c == u'\\'; }

// Start of the part after the last "/", ":" or "\".
size_t NameStart(std::u16string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i)
    if (IsNameBreak(path[i])) start = i + 1;
  return start;
}

// The scan of _GetNextMask: its own copy of the list and the position in it.
std::u16string g_masks;
size_t g_maskPos = std::u16string::npos;

}  // namespace

void PathUtil::_AppendBackSlash(char16_t* path) {
  if (!path) return;
  size_t len = Text16::StrLen16(path);
  if (len == 0 || path[len - 1] == u'\\' || len + 1 >= static_cast<size_t>(kPathUnits)) return;
  path[len] = u'\\';
  path[len + 1] = 0;
}

void PathUtil::_RemoveBackSlash(char16_t* path) {
  if (!path) return;
  size_t len = Text16::StrLen16(path);
  if (len <= 1) return;
  if ((path[len - 1] == u'\\' || path[len - 1] == u'/') && path[len - 2] != u':') path[len - 1] = 0;
}

void PathUtil::_AbbreviateName(char16_t* path, int max, int keepName) {
  if (!path || max < 0) return;
  std::u16string full(Text16::View16(path));
  const size_t len = full.size();
  const size_t limit = static_cast<size_t>(max);
  std::u16string name = full.substr(NameStart(full));
  const size_t n = name.size();
  if (limit >= len) return;
  auto write = [&](std::u16string_view text) { Text16::Copy(path, len + 1, text); };
  if (limit < n) return write(keepName ? std::u16string_view(name) : std::u16string_view());

  // The root: "C:" or "\\server", then the first folder when there is more than a root.
  // A path without the backslashes this needs (relative, or "/" separators) keeps its name.
  size_t cur = 2;
  if (len < 2) return write(name);
  if (full[0] == u'\\' && full[1] == u'\\') {
    while (cur < len && full[cur] != u'\\') ++cur;
  }
  if (len - n > 3) {
    ++cur;
    while (cur < len && full[cur] != u'\\') ++cur;
  }
  if (cur >= len) return write(name);
  const size_t root = cur;
  if (limit < root + n + 5) return write(name);
  while (root + (len - cur) + 4 > limit) {
    do {
      ++cur;
    } while (cur < len && full[cur] != u'\\');
    if (cur >= len) return write(name);
  }
  write(full.substr(0, root) + u"\\..." + full.substr(cur));
}

unsigned PathUtil::_GetFileTitle(const char16_t* path, char16_t* out, unsigned size) {
  std::u16string_view p = Text16::View16(path);
  std::u16string_view title = p.substr(NameStart(p));
  if (!out) return static_cast<unsigned>(title.size() + 1);
  if (size > 0) Text16::Copy(out, size, title);
  return 0;
}

int PathUtil::_GetNextMask(const char16_t* masks, char16_t* out) {
  if (masks) {
    g_masks.assign(Text16::View16(masks));
    g_maskPos = 0;
  }
  if (out) out[0] = 0;
  if (g_maskPos == std::u16string::npos || g_maskPos > g_masks.size()) return 0;
  size_t end = g_masks.find(u';', g_maskPos);
  std::u16string_view item = std::u16string_view(g_masks).substr(
      g_maskPos, end == std::u16string::npos ? std::u16string::npos : end - g_maskPos);
  g_maskPos = end == std::u16string::npos ? std::u16string::npos : end + 1;
  if (out) Text16::Copy(out, kPathUnits, item);
  return item.empty() ? 0 : 1;
}

int PathUtil::_PathIsValidDirName(const char16_t* name) {
  std::u16string_view n = Text16::View16(name);
  if (n.empty()) return 0;
  return n.find_first_of(u"/:<>?*|\\\"") == std::u16string_view::npos ? 1 : 0;
}

int PathUtil::_PathIsReservedFileName(const char16_t* name) {
  static const char16_t* const kReserved[] = {u"CON",  u"PRN",  u"AUX",  u"CLOCK$", u"NUL",  u"COM1", u"COM2", u"COM3",
                                              u"COM4", u"COM5", u"COM6", u"COM7",   u"COM8", u"COM9", u"LPT1", u"LPT2",
                                              u"LPT3", u"LPT4", u"LPT5", u"LPT6",   u"LPT7", u"LPT8", u"LPT9"};
  std::u16string_view n = Text16::View16(name);
  return std::any_of(std::begin(kReserved), std::end(kReserved),
                     [&](const char16_t* r) { return Text16::EqualsAsciiI(n, r); })
             ? 1
             : 0;
}

int PathUtil::_IsUNCPath(const char16_t* path) {
  return Text16::StrLen16(path) > 2 && path[0] == u'\\' && path[1] == u'\\' ? 1 : 0;
}

int PathUtil::_PathCmp(const char16_t* a, const char16_t* b) { return StringUtil::Ustricmp(a, b); }

}  // namespace Basalt::Util

#include <foliant/common/file_url.h>

#include <algorithm>

#include <kx2/PathMap.h>
#include <kx2/Utf.h>

namespace foliant {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// "C:" or "C|" at the start of a path.
bool StartsWithDrive(std::u16string_view path) {
  return path.size() >= 2 && IsAsciiLetter(path[0]) && (path[1] == u':' || path[1] == u'|') &&
         (path.size() == 2 || path[2] == u'/' || path[2] == u'\\');
}

std::u16string WithBackslashes(std::u16string text) {
  std::replace(text.begin(), text.end(), u'/', u'\\');
  return text;
}

}  // namespace

bool IsFileUrl(std::u16string_view text) { return text.size() >= 5 && kx2::EqualsI16(text.substr(0, 5), u"file:"); }

std::u16string PercentDecode(std::u16string_view text) {
  if (text.find(u'%') == std::u16string_view::npos) return std::u16string(text);
  // Escapes stand for UTF-8 bytes, so the decoding runs on the UTF-8 form.
  const std::string utf8 = kx2::Utf16ToUtf8(text);
  std::string decoded;
  decoded.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size(); ++at) {
    if (utf8[at] == '%' && at + 2 < utf8.size() && HexValue(utf8[at + 1]) >= 0 && HexValue(utf8[at + 2]) >= 0) {
      decoded.push_back(static_cast<char>(HexValue(utf8[at + 1]) * 16 + HexValue(utf8[at + 2])));
      at += 2;
    } else {
      decoded.push_back(utf8[at]);
    }
  }
  return kx2::Utf8ToUtf16(decoded);
}

std::u16string WindowsPathOfPosix(std::u16string_view posixPath) {
  // Maps written on Windows escape their separators ("%5C"): a backslash separates here too.
  std::u16string path(posixPath);
  std::replace(path.begin(), path.end(), u'\\', u'/');
  return kx2::ToWindowsPath(kx2::Utf16ToUtf8(path));
}

std::optional<std::u16string> LocalPathFromFileUrl(std::u16string_view url) {
  if (!IsFileUrl(url)) return std::nullopt;
  std::u16string_view rest = url.substr(5);
  // Only the path part names the file.
  const size_t end = rest.find_first_of(u"?#");
  if (end != std::u16string_view::npos) rest = rest.substr(0, end);
  std::u16string_view host;
  if (rest.size() >= 2 && rest.substr(0, 2) == u"//") {
    rest.remove_prefix(2);
    if (rest.size() >= 2 && rest.substr(0, 2) == u"//") {
      // "file:////host/share": a UNC path written whole into the path part.
      rest.remove_prefix(2);
      return u"\\\\" + WithBackslashes(PercentDecode(rest));
    }
    const size_t slash = rest.find(u'/');
    host = rest.substr(0, slash);
    rest = slash == std::u16string_view::npos ? std::u16string_view() : rest.substr(slash);
    if (kx2::EqualsI16(host, u"localhost")) host = {};
  }
  std::u16string path = PercentDecode(rest);
  if (!host.empty()) return u"\\\\" + PercentDecode(host) + WithBackslashes(path);
  // "/C:/x": the slash before a drive letter belongs to the URL.
  if (!path.empty() && path[0] == u'/' && StartsWithDrive(std::u16string_view(path).substr(1))) path.erase(0, 1);
  if (StartsWithDrive(path)) {
    path[1] = u':';
    return WithBackslashes(std::move(path));
  }
  if (!path.empty() && path[0] == u'/') return WindowsPathOfPosix(path);
  // No authority and no leading slash: a path relative to the map, kept relative.
  return WithBackslashes(std::move(path));
}

}  // namespace foliant

// Path helpers of the shell's file operations.
#include "shell/ShellPaths.h"

#include <cerrno>
#include <filesystem>

#include "kx2/PathMap.h"
#include "kx2/Win32Error.h"
#include "win/errors.h"

namespace kx2::shell {
namespace {

std::optional<std::string> Posix(const std::u16string& full) { return ToPosixPath(full); }

// The canonical form of a POSIX path whose last parts may not exist yet.
std::string Canonical(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : p.string();
}

}  // namespace

std::optional<std::u16string> FullPath(std::u16string_view path, DWORD* error) {
  std::optional<std::u16string> full = FullWindowsPath(path, error);
  if (full && full->size() > 3 && full->back() == u'\\') full->pop_back();
  return full;
}

bool IsDriveRoot(std::u16string_view full) { return full.size() == 3 && full[1] == u':' && full[2] == u'\\'; }

std::u16string Join(std::u16string_view folder, std::u16string_view name) {
  std::u16string out(folder);
  if (!out.empty() && out.back() != u'\\') out.push_back(u'\\');
  out += name;
  return out;
}

std::u16string_view LeafOf(std::u16string_view full) {
  size_t cut = full.find_last_of(u'\\');
  return cut == std::u16string_view::npos ? full : full.substr(cut + 1);
}

std::u16string ParentOf(std::u16string_view full) {
  size_t cut = full.find_last_of(u'\\');
  if (cut == std::u16string_view::npos) return std::u16string(full);
  return std::u16string(full.substr(0, cut <= 2 ? 3 : cut));  // "C:\x" -> "C:\"
}

bool HasWildcard(std::u16string_view name) { return name.find_first_of(u"*?") != std::u16string_view::npos; }

ItemKind KindOf(const std::u16string& full, DWORD* error) {
  DWORD mapError = ERROR_PATH_NOT_FOUND;
  std::optional<std::string> p = ToPosixPath(full, &mapError);
  struct stat st;
  if (p && lstat(p->c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) return ItemKind::Link;
    return S_ISDIR(st.st_mode) ? ItemKind::Folder : ItemKind::File;
  }
  if (error) *error = !p ? mapError : errno == ENOENT ? ERROR_FILE_NOT_FOUND : Win32ErrorFromErrno(errno);
  return ItemKind::Missing;
}

std::optional<struct stat> StatOf(const std::u16string& full) {
  std::optional<std::string> p = Posix(full);
  struct stat st;
  if (!p || stat(p->c_str(), &st) != 0) return std::nullopt;
  return st;
}

bool SameItem(const std::u16string& a, const std::u16string& b) {
  std::optional<struct stat> sa = StatOf(a), sb = StatOf(b);
  if (sa && sb) return sa->st_dev == sb->st_dev && sa->st_ino == sb->st_ino;
  std::optional<std::string> pa = Posix(a), pb = Posix(b);
  return pa && pb && Canonical(*pa) == Canonical(*pb);
}

bool Below(const std::u16string& inner, const std::u16string& outer) {
  std::optional<std::string> pi = Posix(inner), po = Posix(outer);
  if (!pi || !po) return false;
  std::string in = Canonical(*pi), out = Canonical(*po);
  if (out == "/") return in != "/";
  return in.size() > out.size() && in.compare(0, out.size(), out) == 0 && in[out.size()] == '/';
}

}  // namespace kx2::shell

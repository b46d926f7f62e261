// Windows path <-> POSIX path mapping (see kx2/PathMap.h).
#include "kx2/PathMap.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "kx2/Utf.h"
#include "win/errors.h"

namespace kx2 {
namespace {

struct DriveTable {
  std::string source;                                   // the KX2_DRIVES value the table was built from
  std::array<std::optional<std::string>, 26> roots;     // as configured
  std::array<std::optional<std::string>, 26> resolved;  // with symbolic links resolved
};

std::string TrimTrailingSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

DriveTable ParseDrives(const std::string& spec) {
  DriveTable t;
  t.source = spec;
  size_t pos = 0;
  while (pos <= spec.size()) {
    size_t end = spec.find(';', pos);
    if (end == std::string::npos) end = spec.size();
    std::string entry = spec.substr(pos, end - pos);
    pos = end + 1;
    // "C=/dir"; a letter is accepted in either case, and "C:=/dir" is forgiven.
    size_t eq = entry.find('=');
    if (eq == std::string::npos || eq == 0 || entry.size() == eq + 1) continue;
    char letter = entry[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
    if (letter < 'A' || letter > 'Z') continue;
    if (!(eq == 1 || (eq == 2 && entry[1] == ':'))) continue;
    std::string root = TrimTrailingSlashes(entry.substr(eq + 1));
    if (root.empty() || root[0] != '/') continue;
    t.roots[letter - 'A'] = root;
  }
  if (!t.roots['Z' - 'A']) t.roots['Z' - 'A'] = std::string("/");
  for (size_t i = 0; i < 26; ++i) {
    if (!t.roots[i]) continue;
    char buf[PATH_MAX];
    if (realpath(t.roots[i]->c_str(), buf)) t.resolved[i] = TrimTrailingSlashes(buf);
  }
  return t;
}

std::mutex g_drivesLock;

// The table for the current KX2_DRIVES value, rebuilt when the value changes. Every path
// mapping asks for it, so callers share the table instead of copying its 52 strings; one
// still in use when the value changes lives on until its last user lets go.
std::shared_ptr<const DriveTable> Drives() {
  static std::shared_ptr<const DriveTable>* cached = new std::shared_ptr<const DriveTable>();
  const char* env = getenv("KX2_DRIVES");
  const std::string_view value = env ? env : "";
  std::lock_guard<std::mutex> guard(g_drivesLock);
  if (!*cached || (*cached)->source != value)
    *cached = std::make_shared<const DriveTable>(ParseDrives(std::string(value)));
  return *cached;
}

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

// Where the characters Windows refuses in names stand on the Windows side.
constexpr char16_t kStandInBase = 0xF000;

bool RefusedInWindowsNames(char16_t c) {
  return (c > 0 && c < 0x20) || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' ||
         c == u'>' || c == u'|';
}
bool IsStandIn(char16_t c, bool trailing) {
  if (c <= kStandInBase || c >= kStandInBase + 0x80) return false;
  const char16_t plain = static_cast<char16_t>(c - kStandInBase);
  return RefusedInWindowsNames(plain) || (trailing && (plain == u' ' || plain == u'.'));
}
bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
char16_t UpperLetter(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

bool Exists(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0;
}

std::string JoinPosix(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

// The entry of dir whose name equals name without regard to case, if any. *opened (when
// given) tells whether dir could be read as a folder at all.
std::optional<std::string> FindCaseless(const std::string& dir, std::u16string_view name, bool* opened = nullptr) {
  DIR* d = opendir(dir.empty() ? "/" : dir.c_str());
  if (opened) *opened = d != nullptr;
  if (!d) return std::nullopt;
  std::optional<std::string> found;
  while (dirent* e = readdir(d)) {
    std::string_view entry(e->d_name);
    if (entry == "." || entry == "..") continue;
    // An ASCII name keeps its length on the Windows side: one of another length is no
    // match, and is not converted to be compared.
    if (entry.size() != name.size() &&
        std::all_of(entry.begin(), entry.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
      continue;
    if (EqualsI16(WindowsNameOf(entry), name)) {
      found = std::string(entry);
      break;
    }
  }
  closedir(d);
  return found;
}

}  // namespace

std::u16string WindowsNameOf(std::string_view posixName) {
  std::u16string name = Utf8ToUtf16(posixName);
  if (name == u"." || name == u"..") return name;
  for (char16_t& c : name)
    if (RefusedInWindowsNames(c)) c = static_cast<char16_t>(kStandInBase + c);
  for (size_t i = name.size(); i > 0 && (name[i - 1] == u' ' || name[i - 1] == u'.'); --i)
    name[i - 1] = static_cast<char16_t>(kStandInBase + name[i - 1]);
  return name;
}

std::string PosixNameOf(std::u16string_view windowsName) {
  std::u16string name(windowsName);
  // Spaces and dots stand in only at the end of a name: elsewhere those private-use
  // characters are the name's own.
  size_t trailing = name.size();
  while (trailing > 0 && IsStandIn(name[trailing - 1], true) &&
         (name[trailing - 1] == kStandInBase + u' ' || name[trailing - 1] == kStandInBase + u'.'))
    --trailing;
  for (size_t i = 0; i < name.size(); ++i)
    if (IsStandIn(name[i], i >= trailing)) name[i] = static_cast<char16_t>(name[i] - kStandInBase);
  return Utf16ToUtf8(name);
}

std::optional<std::string> DriveRoot(char16_t letter) {
  if (!IsLetter(letter)) return std::nullopt;
  return Drives()->roots[UpperLetter(letter) - u'A'];
}

std::optional<std::u16string> FullWindowsPath(std::u16string_view path, DWORD* error) {
  auto fail = [&](DWORD code) -> std::optional<std::u16string> {
    if (error) *error = code;
    return std::nullopt;
  };
  if (path.empty()) return fail(ERROR_PATH_NOT_FOUND);
  std::u16string p(path);
  // "\\?\C:\..." only switches off Win32 parsing on Windows; here it is the same path.
  if (p.size() >= 4 && IsSep(p[0]) && IsSep(p[1]) && p[2] == u'?' && IsSep(p[3])) p.erase(0, 4);
  if (p.size() >= 2 && IsSep(p[0]) && IsSep(p[1])) return fail(ERROR_BAD_NETPATH);

  char16_t drive;
  std::u16string rest;
  if (p.size() >= 2 && IsLetter(p[0]) && p[1] == u':') {
    drive = UpperLetter(p[0]);
    std::u16string_view tail = std::u16string_view(p).substr(2);
    if (!tail.empty() && IsSep(tail[0])) {
      rest = tail;
    } else {
      std::u16string cwd = CurrentDirectory();
      rest = (UpperLetter(cwd[0]) == drive ? cwd.substr(2) : std::u16string()) + u"\\" + std::u16string(tail);
    }
  } else {
    std::u16string cwd = CurrentDirectory();
    drive = UpperLetter(cwd[0]);
    rest = IsSep(p[0]) ? p : cwd.substr(2) + u"\\" + p;
  }
  for (char16_t c : rest)
    if (c < 0x20 || c == u'<' || c == u'>' || c == u'|' || c == u'"' || c == u':' || c == u'*' || c == u'?') {
      // Wildcards are the caller's to reject (FindFirstFileW accepts them).
      if (c != u'*' && c != u'?') return fail(ERROR_INVALID_NAME);
    }

  std::vector<std::u16string> parts;
  parts.reserve(static_cast<size_t>(std::count_if(rest.begin(), rest.end(), IsSep)) + 1);
  size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && IsSep(rest[i])) ++i;
    size_t start = i;
    while (i < rest.size() && !IsSep(rest[i])) ++i;
    std::u16string name = rest.substr(start, i - start);
    if (name.empty() || name == u".") continue;
    if (name == u"..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    // Windows drops trailing dots and spaces from names ("a.txt." is "a.txt").
    while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
    if (!name.empty()) parts.push_back(std::move(name));
  }
  std::u16string out;
  out.push_back(drive);
  out += u":\\";
  for (size_t k = 0; k < parts.size(); ++k) {
    if (k) out.push_back(u'\\');
    out += parts[k];
  }
  if (!parts.empty() && IsSep(rest.back())) out.push_back(u'\\');
  return out;
}

std::optional<std::string> ToPosixPath(std::u16string_view windowsPath, DWORD* error) {
  std::optional<std::u16string> full = FullWindowsPath(windowsPath, error);
  if (!full) return std::nullopt;
  std::optional<std::string> root = DriveRoot((*full)[0]);
  if (!root) {
    if (error) *error = ERROR_PATH_NOT_FOUND;
    return std::nullopt;
  }
  std::vector<std::u16string_view> names;
  const std::u16string_view rest = std::u16string_view(*full).substr(3);
  names.reserve(static_cast<size_t>(std::count(rest.begin(), rest.end(), u'\\')) + 1);
  for (size_t i = 0; i < rest.size();) {
    const size_t start = i;
    while (i < rest.size() && rest[i] != u'\\') ++i;
    if (i > start) names.push_back(rest.substr(start, i - start));
    ++i;
  }
  // Nearly every path names a file that exists with the case given, or one about to be made
  // in a folder that does: one or two stats settle those. When a path exists, so does each
  // of its prefixes, which is what the walk below would have found name by name.
  std::string exact = *root;
  std::string parent;
  for (size_t k = 0; k < names.size(); ++k) {
    if (k + 1 == names.size()) parent = exact;
    exact = JoinPosix(exact, PosixNameOf(names[k]));
  }
  if (names.empty() || Exists(exact)) return exact;
  // A new name in a folder that exists: reading the folder for the name in another case
  // is the one look needed (a folder that reads exists).
  bool folderRead = false;
  if (std::optional<std::string> other = FindCaseless(parent, names.back(), &folderRead))
    return JoinPosix(parent, *other);
  if (folderRead) return exact;

  std::string out = std::move(*root);
  bool searching = true;  // false once a component is missing: nothing below it exists
  for (std::u16string_view name : names) {
    std::string given = JoinPosix(out, PosixNameOf(name));
    if (searching && !Exists(given)) {
      if (std::optional<std::string> other = FindCaseless(out, name)) {
        out = JoinPosix(out, *other);
        continue;
      }
      searching = false;
    }
    out = std::move(given);
  }
  return out;
}

std::u16string ToWindowsPath(std::string_view posixPath) {
  std::string p(posixPath);
  if (p.empty() || p[0] != '/') {
    char buf[PATH_MAX];
    if (getcwd(buf, sizeof buf)) p = JoinPosix(buf, p);
  }
  const std::shared_ptr<const DriveTable> drives = Drives();
  const DriveTable& t = *drives;
  int best = -1;
  size_t bestLen = 0;
  auto consider = [&](int index, const std::optional<std::string>& root) {
    if (!root) return;
    const std::string& r = *root;
    bool inside = r == "/" || (p.compare(0, r.size(), r) == 0 && (p.size() == r.size() || p[r.size()] == '/'));
    if (inside && (best < 0 || r.size() > bestLen)) best = index, bestLen = r.size();
  };
  for (int k = 0; k < 26; ++k) consider(k, t.roots[k]);
  for (int k = 0; k < 26; ++k) consider(k, t.resolved[k]);
  if (best < 0) best = 'Z' - 'A', bestLen = 0;  // Z: was set elsewhere: keep the full path under it
  std::string tail = bestLen == 1 ? p.substr(1) : p.substr(bestLen);
  std::u16string out;
  out.push_back(static_cast<char16_t>(u'A' + best));
  out += u":\\";
  size_t i = 0;
  while (i < tail.size()) {
    size_t end = tail.find('/', i);
    if (end == std::string::npos) end = tail.size();
    if (end > i) {
      if (out.back() != u'\\') out.push_back(u'\\');
      out += WindowsNameOf(std::string_view(tail).substr(i, end - i));
    }
    i = end + 1;
  }
  if (out.size() > 3 && out.back() == u'\\') out.pop_back();
  return out;
}

std::u16string CurrentDirectory() {
  // The process's working directory is the platform's current directory, so POSIX code
  // in the same process and Win32 callers agree on relative paths.
  char buf[PATH_MAX];
  if (!getcwd(buf, sizeof buf)) return u"Z:\\";
  return ToWindowsPath(buf);
}

void SetCurrentDirectoryPath(std::u16string_view absoluteWindowsPath) {
  if (std::optional<std::string> p = ToPosixPath(absoluteWindowsPath)) (void)chdir(p->c_str());
}

}  // namespace kx2

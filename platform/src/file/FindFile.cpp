// FindFirstFileW / FindNextFileW / FindClose, and the wildcard matcher behind them.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "FileObject.h"
#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "kx2/Wildcard.h"

namespace kx2 {
namespace {

bool MatchFrom(std::u16string_view p, std::u16string_view n) {
  // Iterative matcher with one backtrack point for the last "*".
  size_t pi = 0, ni = 0, star = std::u16string_view::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == u'?' || FoldLower16(p[pi]) == FoldLower16(n[ni]))) {
      ++pi, ++ni;
    } else if (pi < p.size() && p[pi] == u'*') {
      star = pi++;
      mark = ni;
    } else if (star != std::u16string_view::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == u'*') ++pi;
  return pi == p.size();
}

class FindObject : public KernelObject {
 public:
  std::vector<WIN32_FIND_DATAW> entries;
  size_t next = 0;
};

}  // namespace

bool MatchWildcard(std::u16string_view pattern, std::u16string_view name) {
  if (pattern == u"*.*" || pattern == u"*") return true;
  bool wild = pattern.find_first_of(u"*?") != std::u16string_view::npos;
  if (wild && pattern.size() > 1 && pattern.back() == u'.') {
    if (name.find(u'.') != std::u16string_view::npos && name != u"." && name != u"..") return false;
    pattern.remove_suffix(1);
  }
  return MatchFrom(pattern, name);
}

}  // namespace kx2

using namespace kx2;

KX2_EXPORT HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
  if (!lpFileName || !lpFindFileData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::u16string_view spec = View16(lpFileName);
  size_t cut = spec.find_last_of(u"\\/");
  std::u16string folder, pattern;
  if (cut == std::u16string_view::npos) {
    if (spec.size() >= 2 && spec[1] == u':')
      folder = std::u16string(spec.substr(0, 2)), pattern = spec.substr(2);
    else
      folder = u".", pattern = spec;
  } else {
    folder = spec.substr(0, cut + 1);
    pattern = spec.substr(cut + 1);
  }
  if (pattern.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  DWORD error = 0;
  std::optional<std::u16string> fullFolder = FullWindowsPath(folder, &error);
  std::optional<std::string> dir = fullFolder ? ToPosixPath(*fullFolder, &error) : std::nullopt;
  if (!dir) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  DIR* d = opendir(dir->c_str());
  if (!d) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  bool atDriveRoot = fullFolder->size() <= 3;
  auto find = std::make_shared<FindObject>();
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if ((name == "." || name == "..") && atDriveRoot) continue;
    std::u16string wide = WindowsNameOf(name);
    if (!MatchWildcard(pattern, wide) || wide.size() >= MAX_PATH) continue;
    std::string full = *dir + (dir->back() == '/' ? "" : "/") + name;
    struct stat st;
    if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0) continue;
    WIN32_FIND_DATAW data = {};
    data.dwFileAttributes = AttributesOf(st, name);
    FileTimesOf(AT_FDCWD, full.c_str(), 0, st, &data.ftCreationTime, &data.ftLastAccessTime, &data.ftLastWriteTime);
    uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
    CopyTo16(data.cFileName, MAX_PATH, wide);
    find->entries.push_back(data);
  }
  closedir(d);
  // A stable order: "." and ".." first, then by name without regard to case.
  std::sort(find->entries.begin(), find->entries.end(), [](const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
    std::u16string_view x = a.cFileName, y = b.cFileName;
    bool xDots = x == u"." || x == u"..", yDots = y == u"." || y == u"..";
    if (xDots != yDots) return xDots;
    int c = StrICmp16(x, y);
    return c != 0 ? c < 0 : StrCmp16(x, y) < 0;
  });
  if (find->entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *lpFindFileData = find->entries[0];
  find->next = 1;
  SetLastError(ERROR_SUCCESS);
  return InsertHandle(std::move(find));
}

KX2_EXPORT BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
  auto find = LookupHandleAs<FindObject>(hFindFile);
  if (!find || !lpFindFileData) {
    SetLastError(find ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (find->next >= find->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *lpFindFileData = find->entries[find->next++];
  return TRUE;
}

KX2_EXPORT BOOL FindClose(HANDLE hFindFile) {
  if (!LookupHandleAs<FindObject>(hFindFile) || !RemoveHandle(hFindFile)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

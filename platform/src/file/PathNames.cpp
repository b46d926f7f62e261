// Full, long and short path names, the temporary folder and temporary file names, and
// the system folders.
#include <dlfcn.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <cstdio>

#include "FileObject.h"
#include "kx2/PathMap.h"
#include "kx2/Utf.h"

using namespace kx2;

namespace {

// The usual Win32 buffer contract: the length without the terminator when the text fits,
// else the size needed including it.
DWORD Deliver(const std::u16string& text, LPWSTR buffer, DWORD size) {
  if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
  CopyTo16(buffer, size, text);
  return static_cast<DWORD>(text.size());
}

bool PathExists(LPCWSTR path) {
  DWORD error = 0;
  std::optional<std::string> p = ToPosixPath(View16(path), &error);
  struct stat st;
  if (!p) {
    SetLastError(error);
    return false;
  }
  if (stat(p->c_str(), &st) != 0) {
    SetLastError(errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : MissingPathError(*p));
    return false;
  }
  return true;
}

// A directory given by an environment variable, in either Windows or POSIX form.
std::optional<std::u16string> FolderFromEnv(const char* name) {
  const char* v = getenv(name);
  if (!v || !*v) return std::nullopt;
  if (v[0] == '/') return ToWindowsPath(v);
  return FullWindowsPath(Utf8ToUtf16(v));
}

std::u16string LibraryFolder() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&GetSystemDirectoryW), &info) && info.dli_fname) {
    std::string file = info.dli_fname;
    size_t slash = file.find_last_of('/');
    if (slash != std::string::npos) return ToWindowsPath(slash == 0 ? "/" : file.substr(0, slash));
  }
  return CurrentDirectory();
}

}  // namespace

KX2_EXPORT DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart) {
  if (!lpFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD error = 0;
  std::optional<std::u16string> full = FullWindowsPath(View16(lpFileName), &error);
  if (!full) {
    SetLastError(error);
    return 0;
  }
  DWORD n = Deliver(*full, lpBuffer, nBufferLength);
  if (lpFilePart && n == full->size()) {
    size_t cut = full->find_last_of(u'\\');
    *lpFilePart = cut + 1 < full->size() ? lpBuffer + cut + 1 : nullptr;
  }
  return n;
}

KX2_EXPORT DWORD GetLongPathNameW(LPCWSTR lpszShortPath, LPWSTR lpszLongPath, DWORD cchBuffer) {
  if (!lpszShortPath) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!PathExists(lpszShortPath)) return 0;
  return Deliver(std::u16string(View16(lpszShortPath)), lpszLongPath, cchBuffer);
}

KX2_EXPORT DWORD GetShortPathNameW(LPCWSTR lpszLongPath, LPWSTR lpszShortPath, DWORD cchBuffer) {
  return GetLongPathNameW(lpszLongPath, lpszShortPath, cchBuffer);
}

KX2_EXPORT DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
  std::optional<std::u16string> folder = FolderFromEnv("TMP");
  if (!folder) folder = FolderFromEnv("TEMP");
  if (!folder) folder = FolderFromEnv("TMPDIR");
  if (!folder) folder = ToWindowsPath("/tmp");
  if (folder->empty() || folder->back() != u'\\') folder->push_back(u'\\');
  return Deliver(*folder, lpBuffer, nBufferLength);
}

KX2_EXPORT UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName) {
  if (!lpPathName || !lpTempFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string base(View16(lpPathName));
  if (!base.empty() && base.back() != u'\\' && base.back() != u'/') base.push_back(u'\\');
  base += View16(lpPrefixString).substr(0, 3);
  // "<prefix>FFFF.tmp" is at most 11 more units; the whole name must fit MAX_PATH.
  if (base.size() + 9 >= MAX_PATH) {
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return 0;
  }
  auto nameFor = [&](UINT n) {
    char hex[8];
    snprintf(hex, sizeof hex, "%X", n);
    return base + Utf8ToUtf16(hex) + u".tmp";
  };
  uUnique &= 0xFFFF;
  if (uUnique) {
    CopyTo16(lpTempFileName, MAX_PATH, nameFor(uUnique));
    return uUnique;
  }
  DWORD error = 0;
  std::optional<std::string> dir = ToPosixPath(View16(lpPathName), &error);
  struct stat st;
  if (!dir || stat(dir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_DIRECTORY);
    return 0;
  }
  // Start from a process-wide counter seeded by the clock, so that callers in a loop do
  // not all probe the same names.
  static std::atomic<UINT> counter{0};
  UINT start = counter.load();
  if (start == 0) start = (GetTickCount() & 0xFFFF) | 1;
  UINT n = start;
  for (UINT tries = 0; tries < 0xFFFF; ++tries) {
    std::u16string name = nameFor(n);
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      counter.store(n == 0xFFFF ? 1 : n + 1);
      CopyTo16(lpTempFileName, MAX_PATH, name);
      SetLastError(ERROR_SUCCESS);
      return n;
    }
    DWORD e = GetLastError();
    // A name taken by a folder or a read-only file is skipped; a folder we may not write
    // to fails at once instead of after 65535 attempts.
    bool taken = e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS || e == ERROR_SHARING_VIOLATION ||
                 (e == ERROR_ACCESS_DENIED && GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES);
    if (!taken) {
      SetLastError(e);
      return 0;
    }
    n = n == 0xFFFF ? 1 : n + 1;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

KX2_EXPORT UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize) { return Deliver(LibraryFolder(), lpBuffer, uSize); }
KX2_EXPORT UINT GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize) { return Deliver(LibraryFolder(), lpBuffer, uSize); }
KX2_EXPORT UINT GetSystemWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize) {
  return Deliver(LibraryFolder(), lpBuffer, uSize);
}

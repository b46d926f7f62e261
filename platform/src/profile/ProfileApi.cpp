// The profile calls: locating, reading and rewriting INI files.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "kx2/ErrorBoundary.h"
#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "kx2/Win32Error.h"
#include "profile/IniFile.h"
#include "win/kernel.h"
#include "win/profile.h"

using kx2::View16;
using kx2::profile::IniFile;

namespace {

// Serialises this process's rewrites; other processes are kept out by a lock on the folder.
std::mutex& WriteMutex() {
  static std::mutex m;
  return m;
}

std::string ProfileFolder() {
  if (const char* v = getenv("KX2_PROFILES"); v && v[0] == '/') return v;
  if (const char* v = getenv("XDG_CONFIG_HOME"); v && v[0] == '/') return std::string(v) + "/kx2/windows";
  const char* home = getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config/kx2/windows";
}

bool MakeFolders(const std::string& path) {
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    std::string at = path.substr(0, pos);
    if (!at.empty() && mkdir(at.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// The POSIX path of a profile file; a name without a folder lies in the profile folder.
std::optional<std::string> ProfilePath(LPCWSTR file, bool forWriting) {
  std::u16string_view name = file ? View16(file) : std::u16string_view(u"win.ini");
  if (name.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  if (name.find_first_of(u"\\/:") == std::u16string_view::npos) {
    std::string folder = ProfileFolder();
    if (forWriting && !MakeFolders(folder)) {
      kx2::SetLastErrorFromErrno(errno);
      return std::nullopt;
    }
    // Match an existing file's name without regard to case, as the file layer does.
    auto mapped = kx2::ToPosixPath(kx2::ToWindowsPath(folder) + u"\\" + std::u16string(name));
    return mapped ? *mapped : folder + "/" + kx2::Utf16ToUtf8(name);
  }
  DWORD error = 0;
  auto path = kx2::ToPosixPath(name, &error);
  if (!path) SetLastError(error ? error : ERROR_PATH_NOT_FOUND);
  return path;
}

// The file's text; an absent file reads as empty.
IniFile ReadIni(const std::string& path) {
  std::vector<uint8_t> bytes;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    uint8_t buf[65536];
    for (;;) {
      ssize_t n = read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      bytes.insert(bytes.end(), buf, buf + n);
    }
    close(fd);
  }
  return IniFile::Parse(bytes);
}

std::optional<IniFile> ReadProfile(LPCWSTR file) {
  auto path = ProfilePath(file, false);
  if (!path) return std::nullopt;
  return ReadIni(*path);
}

// Writes the whole file under a temporary name and renames it over the old one, so a
// reader sees the old text or the new, never a mix.
bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  std::string temp = folder + "/.kx2-profile-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return kx2::SetLastErrorFromErrno(errno), false;
  struct stat st {};
  fchmod(fd, stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int err = errno;
      close(fd);
      unlink(temp.c_str());
      return kx2::SetLastErrorFromErrno(err ? err : ENOSPC), false;
    }
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0 || close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
    int err = errno;
    unlink(temp.c_str());
    return kx2::SetLastErrorFromErrno(err), false;
  }
  return true;
}

// Reads, edits and rewrites a profile file as one step against other writers.
template <class Edit>
BOOL EditProfile(LPCWSTR file, Edit edit) {
  try {
    auto path = ProfilePath(file, true);
    if (!path) return FALSE;
    std::lock_guard lock(WriteMutex());
    size_t slash = path->find_last_of('/');
    std::string folder = slash == 0 ? "/" : path->substr(0, slash);
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return kx2::SetLastErrorFromErrno(errno == ENOENT ? ENOTDIR : errno), FALSE;
    while (flock(dirFd, LOCK_EX) != 0 && errno == EINTR) {}
    IniFile ini = ReadIni(*path);
    std::vector<uint8_t> before = ini.Serialize();
    edit(ini);
    std::vector<uint8_t> after = ini.Serialize();
    struct stat st {};
    bool exists = stat(path->c_str(), &st) == 0;
    // An edit that changes nothing leaves the file (or its absence) alone.
    BOOL ok = (after == before && (exists || after.empty())) || ReplaceFile(*path, after);
    close(dirFd);  // releases the lock
    return ok;
  } catch (...) {
    kx2::RecordCurrentException();
    return FALSE;
  }
}

DWORD CopyString(std::u16string_view text, LPWSTR out, DWORD size) {
  if (text.size() < size) {
    std::memcpy(out, text.data(), text.size() * 2);
    out[text.size()] = 0;
    return static_cast<DWORD>(text.size());
  }
  std::memcpy(out, text.data(), (size - 1) * 2);
  out[size - 1] = 0;
  return size - 1;
}

// Strings each terminated, and a final terminator; cut lists end with two terminators.
DWORD CopyList(const std::vector<std::u16string>& items, LPWSTR out, DWORD size) {
  std::u16string all;
  for (const auto& s : items) all += s, all += u'\0';
  if (all.size() + 1 <= size) {
    std::memcpy(out, all.data(), all.size() * 2);
    out[all.size()] = 0;
    if (all.empty() && size > 1) out[1] = 0;
    return static_cast<DWORD>(all.size());
  }
  if (size < 2) {
    out[0] = 0;
    return 0;
  }
  std::memcpy(out, all.data(), (size - 2) * 2);
  out[size - 2] = 0;
  out[size - 1] = 0;
  return size - 2;
}

// A value read back: one pair of matching quotes around it goes.
std::u16string Unquote(std::u16string v) {
  if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// Win32's reading of a number: blanks, a sign, then decimal or 0x hexadecimal digits.
UINT ParseProfileInt(std::u16string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  UINT base = 10;
  if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) base = 16, i += 2;
  UINT v = 0;
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    UINT d = c >= u'0' && c <= u'9'   ? c - u'0'
             : c >= u'a' && c <= u'f' ? c - u'a' + 10
             : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                      : 99;
    if (d >= base) break;
    v = v * base + d;
  }
  return negative ? 0u - v : v;
}

std::vector<std::u16string> SplitList(LPCWSTR list) {
  std::vector<std::u16string> out;
  for (const char16_t* p = list; p && *p; p += kx2::StrLen16(p) + 1) out.emplace_back(p);
  return out;
}

}  // namespace

KX2_EXPORT DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                          LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName) {
  if (!lpReturnedString || nSize == 0) return 0;
  try {
    auto ini = ReadProfile(lpFileName);
    if (!ini) {
      lpReturnedString[0] = 0;
      return 0;
    }
    if (!lpAppName) return CopyList(ini->SectionNames(), lpReturnedString, nSize);
    if (!lpKeyName) return CopyList(ini->KeyNames(View16(lpAppName)), lpReturnedString, nSize);
    if (auto value = ini->Value(View16(lpAppName), View16(lpKeyName)))
      return CopyString(Unquote(*value), lpReturnedString, nSize);
    SetLastError(ERROR_FILE_NOT_FOUND);
    // The default loses its trailing blanks, as Win32 does.
    std::u16string def(View16(lpDefault));
    while (!def.empty() && (def.back() == u' ' || def.back() == u'\t')) def.pop_back();
    return CopyString(def, lpReturnedString, nSize);
  } catch (...) {
    kx2::RecordCurrentException();
    lpReturnedString[0] = 0;
    return 0;
  }
}

KX2_EXPORT UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName) {
  if (!lpAppName || !lpKeyName) return static_cast<UINT>(nDefault);
  char16_t buf[64];
  DWORD n = GetPrivateProfileStringW(lpAppName, lpKeyName, u"", buf, 64, lpFileName);
  if (n == 0) return static_cast<UINT>(nDefault);
  return ParseProfileInt(std::u16string_view(buf, n));
}

KX2_EXPORT DWORD GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize,
                                           LPCWSTR lpFileName) {
  if (!lpReturnedString || nSize == 0) return 0;
  try {
    auto ini = ReadProfile(lpFileName);
    if (!ini || !lpAppName) {
      lpReturnedString[0] = 0;
      return 0;
    }
    return CopyList(ini->SectionLines(View16(lpAppName)), lpReturnedString, nSize);
  } catch (...) {
    kx2::RecordCurrentException();
    lpReturnedString[0] = 0;
    return 0;
  }
}

KX2_EXPORT DWORD GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName) {
  return GetPrivateProfileStringW(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}

KX2_EXPORT BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName) {
  if (!lpAppName) {
    if (!lpKeyName && !lpString) return TRUE;  // "flush": every write is already on disk
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string section = kx2::profile::Trim(View16(lpAppName));
  return EditProfile(lpFileName, [&](IniFile& ini) {
    if (!lpKeyName)
      ini.DeleteSection(section);
    else if (!lpString)
      ini.DeleteKey(section, kx2::profile::Trim(View16(lpKeyName)));
    else
      ini.Set(section, kx2::profile::Trim(View16(lpKeyName)), View16(lpString));
  });
}

KX2_EXPORT BOOL WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName) {
  if (!lpAppName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string section = kx2::profile::Trim(View16(lpAppName));
  return EditProfile(lpFileName, [&](IniFile& ini) {
    if (!lpString)
      ini.DeleteSection(section);
    else
      ini.ReplaceSection(section, SplitList(lpString));
  });
}

KX2_EXPORT BOOL GetPrivateProfileStructW(LPCWSTR lpszSection, LPCWSTR lpszKey, LPVOID lpStruct, UINT uSizeStruct,
                                         LPCWSTR szFile) {
  if (!lpszSection || !lpszKey || (!lpStruct && uSizeStruct)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  try {
    std::vector<char16_t> text(2 * static_cast<size_t>(uSizeStruct) + 4);
    DWORD n = GetPrivateProfileStringW(lpszSection, lpszKey, u"", text.data(), static_cast<DWORD>(text.size()), szFile);
    if (n != 2 * uSizeStruct + 2) {
      SetLastError(n == 0 ? ERROR_FILE_NOT_FOUND : ERROR_BAD_LENGTH);
      return FALSE;
    }
    auto hex = [](char16_t c) -> int {
      return c >= u'0' && c <= u'9'   ? c - u'0'
             : c >= u'a' && c <= u'f' ? c - u'a' + 10
             : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                      : -1;
    };
    std::vector<uint8_t> bytes(uSizeStruct + 1);
    for (size_t i = 0; i < bytes.size(); ++i) {
      int hi = hex(text[2 * i]), lo = hex(text[2 * i + 1]);
      if (hi < 0 || lo < 0) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
      }
      bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    uint8_t sum = 0;
    for (UINT i = 0; i < uSizeStruct; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    if (sum != bytes[uSizeStruct]) {
      SetLastError(ERROR_INVALID_DATA);
      return FALSE;
    }
    if (uSizeStruct) std::memcpy(lpStruct, bytes.data(), uSizeStruct);
    return TRUE;
  } catch (...) {
    kx2::RecordCurrentException();
    return FALSE;
  }
}

KX2_EXPORT BOOL WritePrivateProfileStructW(LPCWSTR lpszSection, LPCWSTR lpszKey, LPVOID lpStruct, UINT uSizeStruct,
                                           LPCWSTR szFile) {
  if (!lpszSection || !lpszKey) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!lpStruct) return WritePrivateProfileStringW(lpszSection, lpszKey, nullptr, szFile);
  try {
    static const char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string text;
    uint8_t sum = 0;
    auto put = [&](uint8_t b) {
      text.push_back(kHex[b >> 4]);
      text.push_back(kHex[b & 15]);
    };
    for (UINT i = 0; i < uSizeStruct; ++i) {
      uint8_t b = static_cast<const uint8_t*>(lpStruct)[i];
      sum = static_cast<uint8_t>(sum + b);
      put(b);
    }
    put(sum);
    return WritePrivateProfileStringW(lpszSection, lpszKey, text.c_str(), szFile);
  } catch (...) {
    kx2::RecordCurrentException();
    return FALSE;
  }
}

KX2_EXPORT UINT GetProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault) {
  return GetPrivateProfileIntW(lpAppName, lpKeyName, nDefault, u"win.ini");
}

KX2_EXPORT DWORD GetProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                                   DWORD nSize) {
  return GetPrivateProfileStringW(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, u"win.ini");
}

KX2_EXPORT BOOL WriteProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString) {
  return WritePrivateProfileStringW(lpAppName, lpKeyName, lpString, u"win.ini");
}

KX2_EXPORT DWORD GetProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize) {
  return GetPrivateProfileSectionW(lpAppName, lpReturnedString, nSize, u"win.ini");
}

KX2_EXPORT BOOL WriteProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString) {
  return WritePrivateProfileSectionW(lpAppName, lpString, u"win.ini");
}

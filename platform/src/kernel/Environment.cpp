// Environment variables with Windows name rules (case-insensitive names).
#include <cstdlib>
#include <mutex>
#include <string>

#include "kx2/Utf.h"
#include "win/kernel.h"

extern char** environ;

namespace {

std::mutex g_envLock;

// The value of a variable, matching the name exactly first, then without regard to case.
bool Lookup(std::u16string_view name, std::u16string* value) {
  std::string key = kx2::Utf16ToUtf8(name);
  if (const char* v = getenv(key.c_str())) {
    *value = kx2::Utf8ToUtf16(v);
    return true;
  }
  for (char** e = environ; e && *e; ++e) {
    std::string_view entry(*e);
    size_t eq = entry.find('=');
    if (eq == std::string_view::npos) continue;
    if (kx2::EqualsI16(kx2::Utf8ToUtf16(entry.substr(0, eq)), name)) {
      *value = kx2::Utf8ToUtf16(entry.substr(eq + 1));
      return true;
    }
  }
  return false;
}

}  // namespace

KX2_EXPORT DWORD GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize) {
  if (!lpName || !*lpName) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  std::u16string value;
  {
    std::lock_guard<std::mutex> guard(g_envLock);
    if (!Lookup(lpName, &value)) {
      SetLastError(ERROR_ENVVAR_NOT_FOUND);
      return 0;
    }
  }
  if (!lpBuffer || nSize <= value.size()) return static_cast<DWORD>(value.size() + 1);
  kx2::CopyTo16(lpBuffer, nSize, value);
  SetLastError(ERROR_SUCCESS);  // callers tell an empty value from a missing one by this
  return static_cast<DWORD>(value.size());
}

KX2_EXPORT BOOL SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue) {
  if (!lpName || !*lpName || kx2::View16(lpName).find(u'=') != std::u16string_view::npos) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(g_envLock);
  // Replace the variable under the spelling it already has, if any.
  std::string key = kx2::Utf16ToUtf8(lpName);
  for (char** e = environ; e && *e; ++e) {
    std::string_view entry(*e);
    size_t eq = entry.find('=');
    if (eq != std::string_view::npos && kx2::EqualsI16(kx2::Utf8ToUtf16(entry.substr(0, eq)), lpName)) {
      key = std::string(entry.substr(0, eq));
      break;
    }
  }
  int rc = lpValue ? setenv(key.c_str(), kx2::Utf16ToUtf8(lpValue).c_str(), 1) : unsetenv(key.c_str());
  if (rc != 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  return TRUE;
}

KX2_EXPORT DWORD ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize) {
  if (!lpSrc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string_view src = kx2::View16(lpSrc);
  std::u16string out;
  {
    std::lock_guard<std::mutex> guard(g_envLock);
    size_t i = 0;
    while (i < src.size()) {
      if (src[i] != u'%') {
        out.push_back(src[i++]);
        continue;
      }
      size_t close = src.find(u'%', i + 1);
      std::u16string value;
      // An unknown name, an empty one or an unclosed one stays as written.
      if (close == std::u16string_view::npos) {
        out.append(src.substr(i));
        break;
      }
      if (close > i + 1 && Lookup(src.substr(i + 1, close - i - 1), &value)) {
        out += value;
        i = close + 1;
      } else {
        out.push_back(u'%');
        ++i;
      }
    }
  }
  DWORD needed = static_cast<DWORD>(out.size() + 1);
  if (lpDst && nSize >= needed) kx2::CopyTo16(lpDst, nSize, out);
  return needed;
}

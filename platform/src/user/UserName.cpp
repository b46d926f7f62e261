// GetUserNameW from the process's account.
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "kx2/ErrorBoundary.h"
#include "kx2/Utf.h"
#include "win/user.h"

namespace {

std::string AccountName() {
  long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(hint > 0 ? static_cast<size_t>(hint) : 4096);
  passwd entry{};
  passwd* found = nullptr;
  while (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  if (found && found->pw_name && *found->pw_name) return found->pw_name;
  // Containers often run under a number the account database does not know.
  for (const char* var : {"LOGNAME", "USER"})
    if (const char* v = getenv(var); v && *v) return v;
  return {};
}

}  // namespace

KX2_EXPORT BOOL GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer) {
  try {
    if (!pcbBuffer) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::string name = AccountName();
    if (name.empty()) {
      SetLastError(ERROR_NONE_MAPPED);
      return FALSE;
    }
    std::u16string wide = kx2::Utf8ToUtf16(name);
    DWORD needed = static_cast<DWORD>(wide.size() + 1);
    if (!lpBuffer || *pcbBuffer < needed) {
      *pcbBuffer = needed;
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    kx2::CopyTo16(lpBuffer, *pcbBuffer, wide);
    *pcbBuffer = needed;
    return TRUE;
  } catch (...) {
    kx2::RecordCurrentException();
    return FALSE;
  }
}

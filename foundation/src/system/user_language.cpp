#include "system/user_language.h"

#include <basalt/resource.h>
#include <win/nls.h>

namespace Basalt::Util {
namespace detail {
namespace {

// The settings store that holds "VTL\Option" is not part of this library yet; without it
// no language is configured and the default applies.
bool NoSetting(uint32_t*) { return false; }

UserLanguageReader g_reader = NoSetting;
int64_t g_lastRead = -1;  // -1: nothing read yet

}  // namespace

void SetUserLanguageReader(UserLanguageReader reader) {
  g_reader = reader ? reader : NoSetting;
  g_lastRead = -1;
}

}  // namespace detail

DWORD Resource::_GetUserLCID() {
  uint32_t lcid = 0;
  if (detail::g_reader(&lcid)) detail::g_lastRead = lcid;
  return detail::g_lastRead == -1 ? 1033 : static_cast<DWORD>(detail::g_lastRead);
}

DWORD Resource::_GetUserDefaultLCID() { return GetUserDefaultLCID(); }

}  // namespace Basalt::Util

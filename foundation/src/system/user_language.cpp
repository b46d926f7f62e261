#include "system/user_language.h"

#include <string>

#include <basalt/resource.h>
#include <basalt/xml_registry.h>
#include <win/crt.h>
#include <win/nls.h>

namespace Basalt::Util {
namespace detail {
namespace {

// The "Language" value of "VTL\Option" in the first settings file. Reading never writes
// the file, so a user without settings gets none made.
bool ReadSettingsLanguage(uint32_t* lcid) {
  XMLRegistry settings(u"VTL\\Option", HROOT_XMLREGISTRY);
  std::u16string text;
  if (!settings.GetStringValue(u"Language", text)) return false;
  *lcid = static_cast<uint32_t>(_wtoi(text.c_str()));
  return true;
}

UserLanguageReader g_reader = ReadSettingsLanguage;
int64_t g_lastRead = -1;  // -1: nothing read yet

}  // namespace

void SetUserLanguageReader(UserLanguageReader reader) {
  g_reader = reader ? reader : ReadSettingsLanguage;
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

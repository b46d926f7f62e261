// Message boxes and locale texts.
#include <basalt/base_api.h>
#include <win/nls.h>
#include <win/user.h>

namespace Basalt::Util {

int BaseAPI::_MessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT type) {
  return MessageBoxW(owner, text, caption, type);
}

int BaseAPI::_GetLocaleInfo(LCID locale, DWORD type, char16_t* out, int size) {
  return GetLocaleInfoW(locale, type, out, size) > 0 ? 1 : 0;
}

}  // namespace Basalt::Util

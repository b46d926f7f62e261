// The user's name, window classes and windows, and printers: straight to the system.
#include <basalt/base_api.h>
#include <win/user.h>
#include <win/winspool.h>

namespace Basalt::Util {

BOOL BaseAPI::_GetUserName(char16_t* out, DWORD* size) { return GetUserNameW(out, size); }

HWND BaseAPI::_FindWindow(const char16_t* className, const char16_t* windowName) {
  return FindWindowW(className, windowName);
}

BOOL BaseAPI::_GetClassInfo(HINSTANCE instance, const char16_t* className, WNDCLASSW* out) {
  return GetClassInfoW(instance, className, out);
}

BOOL BaseAPI::_GetClassInfoEx(HINSTANCE instance, const char16_t* className, WNDCLASSEXW* out) {
  return GetClassInfoExW(instance, className, out);
}

int BaseAPI::_GetClassName(HWND window, char16_t* out, int size) {
  return GetClassNameW(window, out, size) > 0 ? 1 : 0;
}

BOOL BaseAPI::_OpenPrinter(char16_t* name, HANDLE* printer) { return OpenPrinterW(name, printer, nullptr); }

LONG BaseAPI::_DocumentProperties(HWND owner, HANDLE printer, char16_t* deviceName, DEVMODEW* out, DEVMODEW* in,
                                  DWORD mode) {
  return DocumentPropertiesW(owner, printer, deviceName, out, in, mode);
}

}  // namespace Basalt::Util

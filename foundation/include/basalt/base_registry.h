// Basalt::Base::BaseRegistry: wide registry and profile functions. Each registry function
// takes the Win32 function's arguments and one more int: 0 sends the call to the platform
// registry and returns its Win32 result unchanged; any other value works on a registry
// tree that lives only in this process (never written anywhere), whose calls return 0 on
// success and -1 on failure (ERROR_MORE_DATA when a caller's buffer is too small).
//
// The in-process tree has the roots HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE. Key names compare with ASCII a-z folded; value names compare exactly.
// Its handles are entries of a handle table: a handle of a deleted key, or one that the
// tree never gave out, is refused with -1.
#pragma once

#include <basalt/export.h>
#include <win/registry.h>

namespace Basalt::Base {

class BASALT_API BaseRegistry {
 public:
  static LONG _RegOpenKey(HKEY key, const WCHAR* subKey, HKEY* out, int store);
  static LONG _RegOpenKeyEx(HKEY key, const WCHAR* subKey, DWORD options, REGSAM samDesired, HKEY* out, int store);
  static LONG _RegCreateKey(HKEY key, const WCHAR* subKey, HKEY* out, int store);
  static LONG _RegCreateKeyEx(HKEY key, const WCHAR* subKey, DWORD reserved, WCHAR* keyClass, DWORD options,
                              REGSAM samDesired, const SECURITY_ATTRIBUTES* security, HKEY* out, DWORD* disposition,
                              int store);
  static LONG _RegEnumKey(HKEY key, DWORD index, WCHAR* name, DWORD cchName, int store);
  static LONG _RegEnumValue(HKEY key, DWORD index, WCHAR* name, DWORD* cchName, DWORD* reserved, DWORD* type,
                            BYTE* data, DWORD* cbData, int store);
  static LONG _RegQueryInfoKey(HKEY key, WCHAR* keyClass, DWORD* cchClass, DWORD* reserved, DWORD* subKeys,
                               DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen,
                               DWORD* maxValueLen, DWORD* securityDescriptor, FILETIME* lastWriteTime, int store);
  // In-process: *cbData is the buffer's size in bytes on entry and the text's length in
  // units on return.
  static LONG _RegQueryValue(HKEY key, const WCHAR* subKey, WCHAR* data, LONG* cbData, int store);
  static LONG _RegQueryValueEx(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                               DWORD* cbData, int store);
  static LONG _RegSetValue(HKEY key, const WCHAR* subKey, DWORD type, const WCHAR* data, DWORD cbData, int store);
  static LONG _RegSetValueEx(HKEY key, const WCHAR* valueName, DWORD reserved, DWORD type, const BYTE* data,
                             DWORD cbData, int store);
  static LONG _RegDeleteKey(HKEY key, const WCHAR* subKey, int store);
  static LONG _RegDeleteValue(HKEY key, const WCHAR* valueName, int store);
  static LONG _RegCloseKey(HKEY key, int store);
  // Always the platform registry.
  static LONG _RegSaveKey(HKEY key, const WCHAR* file, const SECURITY_ATTRIBUTES* security, int store);
  // A value as UTF-16 text: out gets at most *cch units with the terminator, and *cch the
  // text's length plus one; ERROR_MORE_DATA (out untouched) when it does not fit. With out
  // null only *cch is set.
  static LONG _RegQueryString(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type, WCHAR* out, DWORD* cch,
                              int store);
  static void _CheckSubKey(const WCHAR* subKey);

  // Profile files, straight to the platform.
  static UINT _GetProfileInt(const WCHAR* app, const WCHAR* key, INT defaultValue);
  static DWORD _GetProfileString(const WCHAR* app, const WCHAR* key, const WCHAR* defaultText, WCHAR* out, DWORD size);
  static BOOL _WriteProfileString(const WCHAR* app, const WCHAR* key, const WCHAR* text);
  static UINT _GetPrivateProfileInt(const WCHAR* app, const WCHAR* key, INT defaultValue, const WCHAR* file);
  static DWORD _GetPrivateProfileString(const WCHAR* app, const WCHAR* key, const WCHAR* defaultText, WCHAR* out,
                                        DWORD size, const WCHAR* file);
  static BOOL _WritePrivateProfileString(const WCHAR* app, const WCHAR* key, const WCHAR* text, const WCHAR* file);
};

}  // namespace Basalt::Base

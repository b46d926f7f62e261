// Registry and profile wrappers: store flag 0 goes to the platform registry, any other
// value to the in-process tree.
#include <basalt/base_registry.h>

#include <cstring>
#include <string>
#include <vector>

#include <win/profile.h>

#include "process_registry.h"

namespace Basalt::Base {
namespace {

detail::ProcessRegistry& Tree() { return detail::ProcessRegistry::Instance(); }

// Exported members never let an exception out: memory failures are the tree's -1, or
// ERROR_OUTOFMEMORY from the platform side.
template <class F>
LONG Guarded(LONG failure, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

LONG Failure(int store) { return store ? -1 : static_cast<LONG>(ERROR_OUTOFMEMORY); }

// Hands text to the caller's buffer of *cch units (see _RegQueryString).
LONG GiveText(std::u16string text, WCHAR* out, DWORD* cch) {
  // REG_SZ data normally carries its terminator; a list (REG_MULTI_SZ) keeps its inner ones.
  if (!text.empty() && text.back() == 0) text.pop_back();
  DWORD needed = static_cast<DWORD>(text.size() + 1);
  if (!out) {
    *cch = needed;
    return ERROR_SUCCESS;
  }
  if (*cch < needed) {
    *cch = needed;
    return ERROR_MORE_DATA;
  }
  std::memcpy(out, text.data(), text.size() * sizeof(WCHAR));
  out[text.size()] = 0;
  *cch = needed;
  return ERROR_SUCCESS;
}

// The platform side of _RegQueryString: the value's bytes read as UTF-16.
LONG PlatformText(HKEY key, const WCHAR* valueName, DWORD* type, std::u16string& text) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    LONG r = RegQueryValueExW(key, valueName, nullptr, type, nullptr, &size);
    if (r != ERROR_SUCCESS) return r;
    std::vector<BYTE> bytes(size + sizeof(WCHAR));
    DWORD got = size;
    r = RegQueryValueExW(key, valueName, nullptr, type, bytes.data(), &got);
    if (r == ERROR_MORE_DATA) continue;  // the value grew between the two reads
    if (r != ERROR_SUCCESS) return r;
    text.assign(reinterpret_cast<const char16_t*>(bytes.data()), got / sizeof(char16_t));
    return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

}  // namespace

LONG BaseRegistry::_RegOpenKey(HKEY key, const WCHAR* subKey, HKEY* out, int store) {
  if (!store) return RegOpenKeyW(key, subKey, out);
  return Guarded(-1, [&] { return Tree().Open(key, subKey, out); });
}

LONG BaseRegistry::_RegOpenKeyEx(HKEY key, const WCHAR* subKey, DWORD options, REGSAM samDesired, HKEY* out,
                                 int store) {
  if (!store) return RegOpenKeyExW(key, subKey, options, samDesired, out);
  return Guarded(-1, [&] { return Tree().Open(key, subKey, out); });
}

LONG BaseRegistry::_RegCreateKey(HKEY key, const WCHAR* subKey, HKEY* out, int store) {
  if (!store) return RegCreateKeyW(key, subKey, out);
  return Guarded(-1, [&] { return Tree().Create(key, subKey, out, nullptr); });
}

LONG BaseRegistry::_RegCreateKeyEx(HKEY key, const WCHAR* subKey, DWORD reserved, WCHAR* keyClass, DWORD options,
                                   REGSAM samDesired, const SECURITY_ATTRIBUTES* security, HKEY* out,
                                   DWORD* disposition, int store) {
  if (!store) return RegCreateKeyExW(key, subKey, reserved, keyClass, options, samDesired, security, out, disposition);
  return Guarded(-1, [&] { return Tree().Create(key, subKey, out, disposition); });
}

LONG BaseRegistry::_RegEnumKey(HKEY key, DWORD index, WCHAR* name, DWORD cchName, int store) {
  if (!store) return RegEnumKeyW(key, index, name, cchName);
  return Guarded(-1, [&] { return Tree().EnumKey(key, index, name, cchName); });
}

LONG BaseRegistry::_RegEnumValue(HKEY key, DWORD index, WCHAR* name, DWORD* cchName, DWORD* reserved, DWORD* type,
                                 BYTE* data, DWORD* cbData, int store) {
  if (!store) return RegEnumValueW(key, index, name, cchName, reserved, type, data, cbData);
  return Guarded(-1, [&] { return Tree().EnumValue(key, index, name, cchName, type, data, cbData); });
}

LONG BaseRegistry::_RegQueryInfoKey(HKEY key, WCHAR* keyClass, DWORD* cchClass, DWORD* reserved, DWORD* subKeys,
                                    DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen,
                                    DWORD* maxValueLen, DWORD* securityDescriptor, FILETIME* lastWriteTime, int store) {
  if (!store)
    return RegQueryInfoKeyW(key, keyClass, cchClass, reserved, subKeys, maxSubKeyLen, maxClassLen, values,
                            maxValueNameLen, maxValueLen, securityDescriptor, lastWriteTime);
  return Guarded(-1, [&] {
    return Tree().QueryInfo(key, keyClass, cchClass, subKeys, maxSubKeyLen, values, maxValueNameLen, maxValueLen);
  });
}

LONG BaseRegistry::_RegQueryValue(HKEY key, const WCHAR* subKey, WCHAR* data, LONG* cbData, int store) {
  if (!store) return RegQueryValueW(key, subKey, data, cbData);
  return Guarded(-1, [&] { return Tree().QueryDefault(key, subKey, data, cbData); });
}

LONG BaseRegistry::_RegQueryValueEx(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                                    DWORD* cbData, int store) {
  if (!store) return RegQueryValueExW(key, valueName, reserved, type, data, cbData);
  return Guarded(-1, [&] { return Tree().QueryValue(key, valueName, type, data, cbData); });
}

LONG BaseRegistry::_RegSetValue(HKEY key, const WCHAR* subKey, DWORD type, const WCHAR* data, DWORD cbData, int store) {
  if (!store) return RegSetValueW(key, subKey, type, data, cbData);
  return Guarded(-1, [&] { return Tree().SetDefault(key, subKey, data); });
}

LONG BaseRegistry::_RegSetValueEx(HKEY key, const WCHAR* valueName, DWORD reserved, DWORD type, const BYTE* data,
                                  DWORD cbData, int store) {
  if (!store) return RegSetValueExW(key, valueName, reserved, type, data, cbData);
  return Guarded(-1, [&] { return Tree().SetValue(key, valueName, type, data, cbData); });
}

LONG BaseRegistry::_RegDeleteKey(HKEY key, const WCHAR* subKey, int store) {
  if (!store) return RegDeleteKeyW(key, subKey);
  return Guarded(-1, [&] { return Tree().DeleteKey(key, subKey); });
}

LONG BaseRegistry::_RegDeleteValue(HKEY key, const WCHAR* valueName, int store) {
  if (!store) return RegDeleteValueW(key, valueName);
  return Guarded(-1, [&] { return Tree().DeleteValue(key, valueName); });
}

LONG BaseRegistry::_RegCloseKey(HKEY key, int store) {
  if (!store) return RegCloseKey(key);
  return Guarded(-1, [&] { return Tree().Close(key); });
}

LONG BaseRegistry::_RegSaveKey(HKEY key, const WCHAR* file, const SECURITY_ATTRIBUTES* security, int) {
  return RegSaveKeyW(key, file, security);
}

LONG BaseRegistry::_RegQueryString(HKEY key, const WCHAR* valueName, DWORD*, DWORD* type, WCHAR* out, DWORD* cch,
                                   int store) {
  if (!cch) return store ? -1 : static_cast<LONG>(ERROR_INVALID_PARAMETER);
  return Guarded(Failure(store), [&] {
    std::u16string text;
    LONG r = store ? Tree().QueryText(key, valueName, type, text) : PlatformText(key, valueName, type, text);
    if (r != ERROR_SUCCESS) return r;
    return GiveText(std::move(text), out, cch);
  });
}

void BaseRegistry::_CheckSubKey(const WCHAR*) {}

UINT BaseRegistry::_GetProfileInt(const WCHAR* app, const WCHAR* key, INT defaultValue) {
  return GetProfileIntW(app, key, defaultValue);
}

DWORD BaseRegistry::_GetProfileString(const WCHAR* app, const WCHAR* key, const WCHAR* defaultText, WCHAR* out,
                                      DWORD size) {
  return GetProfileStringW(app, key, defaultText, out, size);
}

BOOL BaseRegistry::_WriteProfileString(const WCHAR* app, const WCHAR* key, const WCHAR* text) {
  return WriteProfileStringW(app, key, text);
}

UINT BaseRegistry::_GetPrivateProfileInt(const WCHAR* app, const WCHAR* key, INT defaultValue, const WCHAR* file) {
  return GetPrivateProfileIntW(app, key, defaultValue, file);
}

DWORD BaseRegistry::_GetPrivateProfileString(const WCHAR* app, const WCHAR* key, const WCHAR* defaultText, WCHAR* out,
                                             DWORD size, const WCHAR* file) {
  return GetPrivateProfileStringW(app, key, defaultText, out, size, file);
}

BOOL BaseRegistry::_WritePrivateProfileString(const WCHAR* app, const WCHAR* key, const WCHAR* text,
                                              const WCHAR* file) {
  return WritePrivateProfileStringW(app, key, text, file);
}

}  // namespace Basalt::Base

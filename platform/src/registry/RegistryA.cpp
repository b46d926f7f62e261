// The registry calls, ANSI forms: names, classes and string data (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) in the ANSI code page, stored as UTF-16 like the W forms.
#include <cstring>
#include <new>
#include <vector>

#include "kx2/Utf.h"
#include "module/AnsiText.h"
#include "win/registry.h"

using kx2::ansi::Narrow;
using kx2::ansi::Ptr;
using kx2::ansi::Widen;

namespace {

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Stored UTF-16 bytes -> ANSI bytes (an odd last byte cannot be a unit and is dropped).
std::vector<BYTE> ToAnsiData(const std::vector<BYTE>& wide) {
  std::u16string units(wide.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), wide.data(), units.size() * 2);
  std::string text = Narrow(units);
  return std::vector<BYTE>(text.begin(), text.end());
}

LONG CopyOut(const std::vector<BYTE>& data, LPBYTE out, LPDWORD cb) {
  if (!cb) return ERROR_SUCCESS;
  DWORD size = static_cast<DWORD>(data.size());
  if (out && *cb < size) {
    *cb = size;
    return ERROR_MORE_DATA;
  }
  if (out && size) std::memcpy(out, data.data(), size);
  *cb = size;
  return ERROR_SUCCESS;
}

// A name into an ANSI buffer of *cch bytes with its terminator.
LONG CopyName(const std::u16string& name, LPSTR out, LPDWORD cch) {
  std::string text = Narrow(name);
  if (text.size() >= *cch) return ERROR_MORE_DATA;
  std::memcpy(out, text.data(), text.size());
  out[text.size()] = 0;
  *cch = static_cast<DWORD>(text.size());
  return ERROR_SUCCESS;
}

// A whole value (type and bytes) through the W form.
LONG ReadWide(HKEY key, LPCWSTR name, DWORD* type, std::vector<BYTE>* data) {
  DWORD size = 0;
  LONG r = RegQueryValueExW(key, name, nullptr, type, nullptr, &size);
  while (r == ERROR_SUCCESS) {
    data->resize(size);
    DWORD got = size;
    r = RegQueryValueExW(key, name, nullptr, type, data->data(), &got);
    if (r == ERROR_MORE_DATA) {  // changed in between by another writer
      size = got;
      r = ERROR_SUCCESS;
      continue;
    }
    data->resize(got);
    break;
  }
  return r;
}

template <class F>
LONG Guard(F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  } catch (...) {
    return ERROR_REGISTRY_IO_FAILED;
  }
}

}  // namespace

KX2_EXPORT LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  return Guard([&] { return RegOpenKeyW(hKey, Ptr(Widen(lpSubKey)), phkResult); });
}

KX2_EXPORT LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  return Guard([&] { return RegOpenKeyExW(hKey, Ptr(Widen(lpSubKey)), ulOptions, samDesired, phkResult); });
}

KX2_EXPORT LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  return Guard([&] { return RegCreateKeyW(hKey, Ptr(Widen(lpSubKey)), phkResult); });
}

KX2_EXPORT LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                                REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                                LPDWORD lpdwDisposition) {
  return Guard([&] {
    auto cls = Widen(lpClass);
    return RegCreateKeyExW(hKey, Ptr(Widen(lpSubKey)), Reserved, cls ? cls->data() : nullptr, dwOptions, samDesired,
                           lpSecurityAttributes, phkResult, lpdwDisposition);
  });
}

KX2_EXPORT LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  return Guard([&] { return RegDeleteKeyW(hKey, Ptr(Widen(lpSubKey))); });
}

KX2_EXPORT LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  return Guard([&] { return RegDeleteValueW(hKey, Ptr(Widen(lpValueName))); });
}

KX2_EXPORT LONG RegSaveKeyA(HKEY hKey, LPCSTR lpFile, const SECURITY_ATTRIBUTES* lpSecurityAttributes) {
  return Guard([&] { return RegSaveKeyW(hKey, Ptr(Widen(lpFile)), lpSecurityAttributes); });
}

KX2_EXPORT LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                              LPSTR lpClass, LPDWORD lpcchClass, FILETIME* lpftLastWriteTime) {
  return Guard([&]() -> LONG {
    if (!lpName || !lpcchName || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
    std::vector<char16_t> name(256), cls(32768);
    DWORD cchName = 256, cchClass = 32768;
    LONG r = RegEnumKeyExW(hKey, dwIndex, name.data(), &cchName, lpReserved, cls.data(), &cchClass, lpftLastWriteTime);
    if (r != ERROR_SUCCESS) return r;
    std::u16string className(cls.data(), cchClass);
    if (lpClass) {
      std::string text = Narrow(className);
      if (text.size() >= *lpcchClass) return ERROR_MORE_DATA;
    }
    if (LONG c = CopyName(std::u16string(name.data(), cchName), lpName, lpcchName); c != ERROR_SUCCESS) return c;
    if (lpClass)
      CopyName(className, lpClass, lpcchClass);
    else if (lpcchClass)
      *lpcchClass = static_cast<DWORD>(Narrow(className).size());
    return ERROR_SUCCESS;
  });
}

KX2_EXPORT LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
  DWORD cch = cchName;
  return RegEnumKeyExA(hKey, dwIndex, lpName, &cch, nullptr, nullptr, nullptr, nullptr);
}

KX2_EXPORT LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                                 LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                 LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                                 FILETIME* lpftLastWriteTime) {
  return Guard([&]() -> LONG {
    if (lpClass && !lpcchClass) return ERROR_INVALID_PARAMETER;
    std::vector<char16_t> cls(32768);
    DWORD cchClass = 32768;
    // Lengths stay in UTF-16 units: an upper bound for most ANSI code pages.
    LONG r =
        RegQueryInfoKeyW(hKey, cls.data(), &cchClass, lpReserved, lpcSubKeys, lpcbMaxSubKeyLen, lpcbMaxClassLen,
                         lpcValues, lpcbMaxValueNameLen, lpcbMaxValueLen, lpcbSecurityDescriptor, lpftLastWriteTime);
    if (r != ERROR_SUCCESS) return r;
    std::u16string className(cls.data(), cchClass);
    if (lpClass) {
      std::string text = Narrow(className);
      if (text.size() >= *lpcchClass) {
        *lpcchClass = static_cast<DWORD>(text.size());
        return ERROR_MORE_DATA;
      }
      return CopyName(className, lpClass, lpcchClass);
    }
    if (lpcchClass) *lpcchClass = static_cast<DWORD>(Narrow(className).size());
    return ERROR_SUCCESS;
  });
}

KX2_EXPORT LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                 LPDWORD lpcbData) {
  return Guard([&]() -> LONG {
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    DWORD type = 0;
    std::vector<BYTE> data;
    LONG r = ReadWide(hKey, Ptr(Widen(lpValueName)), &type, &data);
    if (r != ERROR_SUCCESS) return r;
    if (lpType) *lpType = type;
    return CopyOut(IsText(type) ? ToAnsiData(data) : data, lpData, lpcbData);
  });
}

KX2_EXPORT LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                               DWORD cbData) {
  return Guard([&]() -> LONG {
    if (!lpData && cbData) return ERROR_NOACCESS;
    if (!IsText(dwType)) return RegSetValueExW(hKey, Ptr(Widen(lpValueName)), Reserved, dwType, lpData, cbData);
    std::u16string wide = kx2::ansi::WidenBytes(reinterpret_cast<const char*>(lpData), cbData);
    return RegSetValueExW(hKey, Ptr(Widen(lpValueName)), Reserved, dwType, reinterpret_cast<const BYTE*>(wide.data()),
                          static_cast<DWORD>(wide.size() * 2));
  });
}

KX2_EXPORT LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                              LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  return Guard([&]() -> LONG {
    if (!lpValueName || !lpcchValueName || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    std::vector<char16_t> name(16384);
    DWORD cchName = 16384, type = 0;
    LONG r = RegEnumValueW(hKey, dwIndex, name.data(), &cchName, lpReserved, &type, nullptr, nullptr);
    if (r != ERROR_SUCCESS) return r;
    std::vector<BYTE> data;
    r = ReadWide(hKey, name.data(), &type, &data);
    if (r != ERROR_SUCCESS) return r;
    if (LONG c = CopyName(std::u16string(name.data(), cchName), lpValueName, lpcchValueName); c != ERROR_SUCCESS)
      return c;
    if (lpType) *lpType = type;
    return CopyOut(IsText(type) ? ToAnsiData(data) : data, lpData, lpcbData);
  });
}

KX2_EXPORT LONG RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData) {
  return Guard([&]() -> LONG {
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    auto sub = Widen(lpSubKey);
    LONG size = 0;
    LONG r = RegQueryValueW(hKey, Ptr(sub), nullptr, &size);
    if (r != ERROR_SUCCESS) return r;
    std::u16string text(static_cast<size_t>(size) / 2 + 1, u'\0');
    LONG got = static_cast<LONG>(text.size() * 2);
    r = RegQueryValueW(hKey, Ptr(sub), text.data(), &got);
    if (r != ERROR_SUCCESS) return r;
    text.resize(kx2::StrLen16(text.c_str()) + 1);  // with its terminator
    std::string ansi = Narrow(text);
    if (!lpcbData) return ERROR_SUCCESS;
    DWORD cb = static_cast<DWORD>(*lpcbData < 0 ? 0 : *lpcbData);
    LONG c = CopyOut(std::vector<BYTE>(ansi.begin(), ansi.end()), reinterpret_cast<LPBYTE>(lpData), &cb);
    *lpcbData = static_cast<LONG>(cb);
    return c;
  });
}

KX2_EXPORT LONG RegSetValueA(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD cbData) {
  return Guard([&] { return RegSetValueW(hKey, Ptr(Widen(lpSubKey)), dwType, Ptr(Widen(lpData)), cbData); });
}

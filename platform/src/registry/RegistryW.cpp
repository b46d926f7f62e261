// The registry calls, UTF-16 forms.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <new>

#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "registry/KeyTable.h"

using kx2::View16;
using namespace kx2::reg;

namespace {

// Longest key name component Windows accepts.
constexpr size_t kMaxKeyNameLength = 255;

// Runs a registry call, turning any escaping exception into its Win32 result.
template <class F>
LONG Guard(F&& f) {
  try {
    return f();
  } catch (const RegError& e) {
    return e.code;
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  } catch (...) {
    return ERROR_REGISTRY_IO_FAILED;
  }
}

// Copies a name with its terminator into buf[*cch]; ERROR_MORE_DATA when it does not fit.
LONG CopyName(std::u16string_view name, LPWSTR buf, DWORD* cch) {
  if (name.size() >= *cch) return ERROR_MORE_DATA;
  std::memcpy(buf, name.data(), name.size() * 2);
  buf[name.size()] = 0;
  *cch = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// The data side of a query: size always reported, bytes copied only when they fit.
LONG CopyData(const std::vector<BYTE>& data, LPBYTE out, LPDWORD cb) {
  if (!cb) return ERROR_SUCCESS;
  DWORD size = static_cast<DWORD>(data.size());
  if (out) {
    if (*cb < size) {
      *cb = size;
      return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(out, data.data(), size);
  }
  *cb = size;
  return ERROR_SUCCESS;
}

LONG OpenOrCreate(HKEY hKey, LPCWSTR lpSubKey, bool create, LPCWSTR cls, REGSAM sam, PHKEY out, LPDWORD disposition) {
  if (!out) return ERROR_INVALID_PARAMETER;
  *out = nullptr;
  std::u16string_view sub = View16(lpSubKey);
  if (create) {
    if (!sub.empty() && sub[0] == u'\\') return ERROR_BAD_PATHNAME;
    for (auto part : SplitPath(sub))
      if (part.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
  }
  OpenKey k;
  if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
  int64_t id = 0;
  bool created = false;
  LONG r = k.hive->Transact(create, [&]() -> LONG {
    if (!k.hive->KeyExists(k.id)) return ERROR_KEY_DELETED;
    auto found = k.hive->Walk(k.id, sub);
    if (found) {
      id = *found;
      return ERROR_SUCCESS;
    }
    if (!create) return ERROR_FILE_NOT_FOUND;
    if (!MayWrite(k, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    id = k.hive->CreatePath(k.id, sub, View16(cls), &created);
    return ERROR_SUCCESS;
  });
  if (r != ERROR_SUCCESS) return r;
  *out = NewHandle(k, id, sam);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

}  // namespace

KX2_EXPORT LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  return Guard([&] { return OpenOrCreate(hKey, lpSubKey, false, nullptr, samDesired, phkResult, nullptr); });
}

KX2_EXPORT LONG RegOpenKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
  return Guard([&]() -> LONG {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    if (View16(lpSubKey).empty()) {
      // The old call hands back the very handle it was given.
      OpenKey k;
      if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
      *phkResult = hKey;
      return ERROR_SUCCESS;
    }
    return OpenOrCreate(hKey, lpSubKey, false, nullptr, MAXIMUM_ALLOWED, phkResult, nullptr);
  });
}

KX2_EXPORT LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR lpClass, DWORD, REGSAM samDesired,
                                const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
  return Guard([&] { return OpenOrCreate(hKey, lpSubKey, true, lpClass, samDesired, phkResult, lpdwDisposition); });
}

KX2_EXPORT LONG RegCreateKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
  return Guard([&] { return OpenOrCreate(hKey, lpSubKey, true, nullptr, MAXIMUM_ALLOWED, phkResult, nullptr); });
}

KX2_EXPORT LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  return Guard([&]() -> LONG {
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    OpenKey k;
    if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
    OpenKey classes;
    Resolve(HKEY_CLASSES_ROOT, &classes);
    return k.hive->Transact(true, [&]() -> LONG {
      if (!k.hive->KeyExists(k.id)) return ERROR_KEY_DELETED;
      auto target = k.hive->Walk(k.id, View16(lpSubKey));
      if (!target) return ERROR_FILE_NOT_FOUND;
      // Roots of hives and of the classes view stay.
      if (*target == Hive::kRootId || (k.hive == classes.hive && *target == classes.id)) return ERROR_ACCESS_DENIED;
      if (k.hive->ChildCount(*target) != 0) return ERROR_ACCESS_DENIED;
      k.hive->DeleteKey(*target);
      return ERROR_SUCCESS;
    });
  });
}

KX2_EXPORT LONG RegCloseKey(HKEY hKey) {
  if (hKey == HKEY_CURRENT_USER || hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CLASSES_ROOT || hKey == HKEY_USERS)
    return ERROR_SUCCESS;
  return CloseHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

KX2_EXPORT LONG RegFlushKey(HKEY hKey) {
  // Every call commits its own transaction; there is nothing left to write.
  return Guard([&] {
    OpenKey k;
    return Resolve(hKey, &k);
  });
}

KX2_EXPORT LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                              LPDWORD lpcchClass, FILETIME* lpftLastWriteTime) {
  return Guard([&]() -> LONG {
    if (!lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
    if (lpClass && !lpcchClass) return ERROR_INVALID_PARAMETER;
    OpenKey k;
    if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
    std::optional<SubKeyRecord> sub;
    LONG r = k.hive->Transact(false, [&]() -> LONG {
      if (!k.hive->KeyExists(k.id)) return ERROR_KEY_DELETED;
      sub = k.hive->SubKeyAt(k.id, dwIndex);
      return sub ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS;
    });
    if (r != ERROR_SUCCESS) return r;
    if (lpClass && sub->keyClass.size() >= *lpcchClass) return ERROR_MORE_DATA;
    if (LONG c = CopyName(sub->name, lpName, lpcchName); c != ERROR_SUCCESS) return c;
    if (lpClass)
      CopyName(sub->keyClass, lpClass, lpcchClass);
    else if (lpcchClass)
      *lpcchClass = static_cast<DWORD>(sub->keyClass.size());
    if (lpftLastWriteTime) {
      lpftLastWriteTime->dwLowDateTime = static_cast<DWORD>(sub->lastWrite);
      lpftLastWriteTime->dwHighDateTime = static_cast<DWORD>(sub->lastWrite >> 32);
    }
    return ERROR_SUCCESS;
  });
}

KX2_EXPORT LONG RegEnumKeyW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, DWORD cchName) {
  DWORD cch = cchName;
  return RegEnumKeyExW(hKey, dwIndex, lpName, &cch, nullptr, nullptr, nullptr, nullptr);
}

KX2_EXPORT LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                                 LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                 LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                                 FILETIME* lpftLastWriteTime) {
  return Guard([&]() -> LONG {
    if (lpClass && !lpcchClass) return ERROR_INVALID_PARAMETER;
    OpenKey k;
    if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
    KeyInfo info;
    LONG r = k.hive->Transact(false, [&]() -> LONG {
      if (!k.hive->KeyExists(k.id)) return ERROR_KEY_DELETED;
      info = k.hive->Info(k.id);
      return ERROR_SUCCESS;
    });
    if (r != ERROR_SUCCESS) return r;
    if (lpClass) {
      if (info.keyClass.size() >= *lpcchClass) {
        *lpcchClass = static_cast<DWORD>(info.keyClass.size());
        return ERROR_MORE_DATA;
      }
      CopyName(info.keyClass, lpClass, lpcchClass);
    } else if (lpcchClass) {
      *lpcchClass = static_cast<DWORD>(info.keyClass.size());
    }
    if (lpcSubKeys) *lpcSubKeys = info.subKeys;
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = info.maxSubKeyLen;
    if (lpcbMaxClassLen) *lpcbMaxClassLen = info.maxClassLen;
    if (lpcValues) *lpcValues = info.values;
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = info.maxValueNameLen;
    if (lpcbMaxValueLen) *lpcbMaxValueLen = info.maxValueLen;
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) {
      lpftLastWriteTime->dwLowDateTime = static_cast<DWORD>(info.lastWrite);
      lpftLastWriteTime->dwHighDateTime = static_cast<DWORD>(info.lastWrite >> 32);
    }
    return ERROR_SUCCESS;
  });
}

KX2_EXPORT LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                 LPDWORD lpcbData) {
  return Guard([&]() -> LONG {
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    OpenKey k;
    if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
    std::optional<ValueRecord> v;
    LONG r = k.hive->Transact(false, [&]() -> LONG {
      // A key's values go with it, so only a miss asks whether the key is still there.
      v = k.hive->GetValue(k.id, View16(lpValueName));
      if (v) return ERROR_SUCCESS;
      return k.hive->KeyExists(k.id) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    });
    if (r != ERROR_SUCCESS) return r;
    if (lpType) *lpType = v->type;
    return CopyData(v->data, lpData, lpcbData);
  });
}

KX2_EXPORT LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  return Guard([&]() -> LONG {
    if (!lpData && cbData) return ERROR_NOACCESS;
    OpenKey k;
    if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
    if (!MayWrite(k, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    return k.hive->Transact(true, [&]() -> LONG {
      if (!k.hive->KeyExists(k.id)) return ERROR_KEY_DELETED;
      k.hive->SetValue(k.id, View16(lpValueName), dwType, lpData, cbData);
      return ERROR_SUCCESS;
    });
  });
}

KX2_EXPORT LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  return Guard([&]() -> LONG {
    OpenKey k;
    if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
    if (!MayWrite(k, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    return k.hive->Transact(true, [&]() -> LONG {
      if (!k.hive->KeyExists(k.id)) return ERROR_KEY_DELETED;
      return k.hive->DeleteValue(k.id, View16(lpValueName)) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
  });
}

KX2_EXPORT LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                              LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  return Guard([&]() -> LONG {
    if (!lpValueName || !lpcchValueName) return ERROR_INVALID_PARAMETER;
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    OpenKey k;
    if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
    std::optional<ValueRecord> v;
    LONG r = k.hive->Transact(false, [&]() -> LONG {
      if (!k.hive->KeyExists(k.id)) return ERROR_KEY_DELETED;
      v = k.hive->ValueAt(k.id, dwIndex);
      return v ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS;
    });
    if (r != ERROR_SUCCESS) return r;
    if (LONG c = CopyName(v->name, lpValueName, lpcchValueName); c != ERROR_SUCCESS) return c;
    if (lpType) *lpType = v->type;
    return CopyData(v->data, lpData, lpcbData);
  });
}

// The old default-value calls: the unnamed value of a sub-key, always text.
KX2_EXPORT LONG RegQueryValueW(HKEY hKey, LPCWSTR lpSubKey, LPWSTR lpData, PLONG lpcbData) {
  return Guard([&]() -> LONG {
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
    OpenKey k;
    if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
    std::u16string text;
    LONG r = k.hive->Transact(false, [&]() -> LONG {
      if (!k.hive->KeyExists(k.id)) return ERROR_KEY_DELETED;
      auto key = k.hive->Walk(k.id, View16(lpSubKey));
      if (!key) return ERROR_FILE_NOT_FOUND;
      auto v = k.hive->GetValue(*key, u"");
      if (!v) return ERROR_SUCCESS;  // no default value reads as an empty text
      if (v->type != REG_SZ && v->type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
      text.assign(v->data.size() / 2, u'\0');
      if (!text.empty()) std::memcpy(text.data(), v->data.data(), text.size() * 2);
      return ERROR_SUCCESS;
    });
    if (r != ERROR_SUCCESS) return r;
    // This call always hands back a terminated text, whatever was stored.
    if (auto end = text.find(u'\0'); end != std::u16string::npos) text.resize(end);
    std::vector<BYTE> bytes((text.size() + 1) * 2, 0);
    if (!text.empty()) std::memcpy(bytes.data(), text.data(), text.size() * 2);
    if (!lpcbData) return ERROR_SUCCESS;
    DWORD cb = static_cast<DWORD>(*lpcbData < 0 ? 0 : *lpcbData);
    LONG c = CopyData(bytes, reinterpret_cast<LPBYTE>(lpData), &cb);
    *lpcbData = static_cast<LONG>(cb);
    return c;
  });
}

KX2_EXPORT LONG RegSetValueW(HKEY hKey, LPCWSTR lpSubKey, DWORD dwType, LPCWSTR lpData, DWORD) {
  return Guard([&]() -> LONG {
    if (dwType != REG_SZ || !lpData) return ERROR_INVALID_PARAMETER;
    OpenKey k;
    if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
    std::u16string_view sub = View16(lpSubKey);
    std::u16string_view text = View16(lpData);
    return k.hive->Transact(true, [&]() -> LONG {
      if (!k.hive->KeyExists(k.id)) return ERROR_KEY_DELETED;
      auto key = k.hive->Walk(k.id, sub);
      if (!key) {
        if (!MayWrite(k, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        key = k.hive->CreatePath(k.id, sub, u"", nullptr);
      } else if (sub.empty() && !MayWrite(k, KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
      }
      k.hive->SetValue(*key, u"", REG_SZ, reinterpret_cast<const BYTE*>(text.data()), (text.size() + 1) * 2);
      return ERROR_SUCCESS;
    });
  });
}

KX2_EXPORT LONG RegSaveKeyW(HKEY hKey, LPCWSTR lpFile, const SECURITY_ATTRIBUTES*) {
  return Guard([&]() -> LONG {
    if (!lpFile || !*lpFile) return ERROR_INVALID_PARAMETER;
    OpenKey k;
    if (LONG r = Resolve(hKey, &k); r != ERROR_SUCCESS) return r;
    DWORD err = 0;
    auto path = kx2::ToPosixPath(View16(lpFile), &err);
    if (!path) return static_cast<LONG>(err ? err : ERROR_PATH_NOT_FOUND);
    struct stat st {};
    if (lstat(path->c_str(), &st) == 0) return ERROR_ALREADY_EXISTS;
    LONG r;
    try {
      Hive target(*path);
      r = k.hive->Transact(false, [&]() -> LONG {
        if (!k.hive->KeyExists(k.id)) return ERROR_KEY_DELETED;
        return target.Transact(true, [&] {
          k.hive->CopyTreeInto(k.id, target);
          return ERROR_SUCCESS;
        });
      });
    } catch (const RegError& e) {
      r = e.code;
    }
    if (r != ERROR_SUCCESS) unlink(path->c_str());
    return r;
  });
}

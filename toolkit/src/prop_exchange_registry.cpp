// The registry kind of the property exchange.
#include <toolkit/PropExchangeRegistry.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <win/registry.h>

#include "prop_values.h"

namespace {

// The key and everything below it.
void DeleteKeyTree(HKEY parent, LPCWSTR name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, name, 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
    for (;;) {
      WCHAR child[256];
      DWORD length = 256;
      if (RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      DeleteKeyTree(key, child);
      // A child that cannot be deleted would be met again forever.
      HKEY still = nullptr;
      if (RegOpenKeyExW(key, child, 0, KEY_READ, &still) == ERROR_SUCCESS) {
        RegCloseKey(still);
        break;
      }
    }
    RegCloseKey(key);
  }
  RegDeleteKeyW(parent, name);
}

bool StoredAsDword(VARTYPE type) {
  return type == KTK_VT_I2 || type == KTK_VT_I4 || type == KTK_VT_BOOL || type == KTK_VT_UI1;
}

}  // namespace

CKtkPropExchangeRegistry::CKtkPropExchangeRegistry(BOOL loading, HKEY parent, LPCWSTR subKey)
    : CKtkPropExchange(loading), m_hParentKey(parent), m_strSubKey(subKey) {}

CKtkPropExchangeRegistry::CKtkPropExchangeRegistry(CKtkPropExchangeRegistry* parent, LPCWSTR subKey)
    : CKtkPropExchange(parent->IsLoading()), m_hParentKey(nullptr), m_pParent(parent), m_strSubKey(subKey) {
  InheritFrom(*parent);
  parent->InternalAddRef();
}

CKtkPropExchangeRegistry::~CKtkPropExchangeRegistry() {
  if (m_hKey) RegCloseKey(m_hKey);
  if (m_pParent) m_pParent->InternalRelease();
}

HKEY CKtkPropExchangeRegistry::ParentKey() {
  if (!m_pParent) return m_hParentKey;
  return m_pParent->EnsureOpen() ? m_pParent->m_hKey : nullptr;
}

BOOL CKtkPropExchangeRegistry::OpenStorage() {
  m_bStorageOpened = TRUE;
  if (m_hKey) return TRUE;
  HKEY parent = ParentKey();
  if (!parent) return FALSE;
  const REGSAM access = m_bLoading ? KEY_READ : KEY_WRITE;
  return RegCreateKeyExW(parent, m_strSubKey, 0, nullptr, 0, access, nullptr, &m_hKey, nullptr) == ERROR_SUCCESS;
}

CKtkPropExchange* CKtkPropExchangeRegistry::GetSection(LPCWSTR name) {
  return new CKtkPropExchangeRegistry(this, name);
}

void CKtkPropExchangeRegistry::EmptySection() {
  if (m_hKey) RegCloseKey(m_hKey);
  m_hKey = nullptr;
  if (HKEY parent = ParentKey()) DeleteKeyTree(parent, m_strSubKey);
  m_bStorageOpened = FALSE;  // made afresh on the next access
  CKtkPropExchange::EmptySection();
}

BOOL CKtkPropExchangeRegistry::ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue) {
  if (!value) return FALSE;
  if (!EnsureOpen()) {
    if (m_bLoading) LoadDefault(type, value, defaultValue);
    return FALSE;
  }
  if (!m_bLoading) {
    if (IsDefault(type, value, defaultValue)) {
      if (!m_bEmptySection) RegDeleteValueW(m_hKey, name);
      return TRUE;
    }
    if (StoredAsDword(type)) {
      DWORD word = 0;
      switch (type) {
        case KTK_VT_I2:
          word = static_cast<WORD>(*static_cast<const SHORT*>(value));
          break;
        case KTK_VT_UI1:
          word = *static_cast<const BYTE*>(value);
          break;
        default:
          word = *static_cast<const DWORD*>(value);
          break;
      }
      return RegSetValueExW(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word), 4) == ERROR_SUCCESS;
    }
    switch (type) {
      case KTK_VT_R4:
      case KTK_VT_R8:
        return RegSetValueExW(m_hKey, name, 0, REG_BINARY, static_cast<const BYTE*>(value),
                              type == KTK_VT_R4 ? 4 : 8) == ERROR_SUCCESS;
      case KTK_VT_STRING:
      case KTK_VT_RECT:
      case KTK_VT_SIZE: {
        CString text;
        if (type == KTK_VT_STRING)
          text = *static_cast<const CString*>(value);
        else
          ktk::ValueToText(type, value, -1, text);
        const DWORD bytes = static_cast<DWORD>(text.GetLength() * 2 + 2);
        return RegSetValueExW(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()), bytes) ==
               ERROR_SUCCESS;
      }
      default:
        return FALSE;  // currency, date-time, BSTR, VARIANT: not kept in the registry
    }
  }

  DWORD kind = 0, bytes = 0;
  const bool present = RegQueryValueExW(m_hKey, name, nullptr, &kind, nullptr, &bytes) == ERROR_SUCCESS;
  if (StoredAsDword(type)) {
    DWORD word = 0, size = 4;
    if (!present || kind != REG_DWORD || bytes != 4 ||
        RegQueryValueExW(m_hKey, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&word), &size) != ERROR_SUCCESS)
      return LoadDefault(type, value, defaultValue);
    switch (type) {
      case KTK_VT_I2:
        *static_cast<SHORT*>(value) = static_cast<SHORT>(word);
        break;
      case KTK_VT_UI1:
        *static_cast<BYTE*>(value) = static_cast<BYTE>(word);
        break;
      default:
        *static_cast<DWORD*>(value) = word;
        break;
    }
    return TRUE;
  }
  switch (type) {
    case KTK_VT_R4:
    case KTK_VT_R8: {
      // The bytes that storing wrote, exactly.
      const DWORD size = type == KTK_VT_R4 ? 4 : 8;
      BYTE buffer[8];
      DWORD got = size;
      if (!present || kind != REG_BINARY || bytes != size ||
          RegQueryValueExW(m_hKey, name, nullptr, nullptr, buffer, &got) != ERROR_SUCCESS)
        return LoadDefault(type, value, defaultValue);
      std::memcpy(value, buffer, size);
      return TRUE;
    }
    case KTK_VT_STRING:
    case KTK_VT_RECT:
    case KTK_VT_SIZE: {
      if (!present || (kind != REG_SZ && kind != REG_EXPAND_SZ)) return LoadDefault(type, value, defaultValue);
      // The stored bytes need not end with a terminator: one is added.
      std::vector<WCHAR> text(bytes / 2 + 1, 0);
      DWORD size = bytes;
      if (RegQueryValueExW(m_hKey, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &size) !=
          ERROR_SUCCESS)
        return LoadDefault(type, value, defaultValue);
      text[std::min<size_t>(size / 2, text.size() - 1)] = 0;
      const CString read(text.data());
      if (type == KTK_VT_STRING) {
        *static_cast<CString*>(value) = read;
        return TRUE;
      }
      if (!ktk::TextToValue(type, read, -1, value, defaultValue)) return LoadDefault(type, value, defaultValue);
      return TRUE;
    }
    default:
      return FALSE;  // not kept in the registry: the variable stays as it was
  }
}

BOOL CKtkPropExchangeRegistry::ExchangeBlob(LPCWSTR name, BYTE** data, DWORD* size) {
  if (!data || !size || !EnsureOpen()) return FALSE;
  if (!m_bLoading) return RegSetValueExW(m_hKey, name, 0, REG_BINARY, *data, *size) == ERROR_SUCCESS;
  DWORD kind = 0, bytes = 0;
  if (RegQueryValueExW(m_hKey, name, nullptr, &kind, nullptr, &bytes) != ERROR_SUCCESS) return FALSE;
  if (*data && *size < bytes) return FALSE;
  BYTE* out = *data ? *data : static_cast<BYTE*>(std::malloc(bytes ? bytes : 1));
  if (!out) AfxThrowMemoryException();
  DWORD got = bytes;
  if (RegQueryValueExW(m_hKey, name, nullptr, nullptr, out, &got) != ERROR_SUCCESS) {
    if (!*data) std::free(out);
    return FALSE;
  }
  *data = out;
  *size = got;
  return TRUE;
}

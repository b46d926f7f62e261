// Finding, loading and enumerating resources, and string tables.
#include <cstring>

#include "kx2/ErrorBoundary.h"
#include "kx2/Utf.h"
#include "module/ModuleTable.h"
#include "resource/Container.h"
#include "win/kernel.h"
#include "win/nls.h"
#include "win/resource.h"

using kx2::rsrc::Container;
using kx2::rsrc::Entry;
using kx2::rsrc::ResName;

namespace {

constexpr uint16_t kStringType = 6;

// The language a neutral request prefers after neutral itself: the user's.
uint16_t PreferredLanguage() { return GetUserDefaultUILanguage(); }

const Container* ContainerOf(HMODULE module) {
  DWORD error = ERROR_SUCCESS;
  const Container* c = kx2::module::Resources(module, &error);
  if (!c) SetLastError(error);
  return c;
}

const Entry* Find(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
  ResName t, n;
  if (!type || !name || !ParseResName(type, &t) || !ParseResName(name, &n)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const Container* c = ContainerOf(module);
  if (!c) return nullptr;
  if (const Entry* e = c->Select(t, n, language, PreferredLanguage())) return e;
  SetLastError(!c->HasType(t)      ? ERROR_RESOURCE_TYPE_NOT_FOUND
               : !c->HasName(t, n) ? ERROR_RESOURCE_NAME_NOT_FOUND
                                   : ERROR_RESOURCE_LANG_NOT_FOUND);
  return nullptr;
}

// The entry behind an HRSRC, checked to belong to the module.
const Entry* EntryOf(HMODULE module, HRSRC info) {
  const Container* c = ContainerOf(module);
  auto* e = static_cast<const Entry*>(info);
  if (!c || !e || !c->Owns(e)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return e;
}

uint16_t ReadUnit(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

KX2_EXPORT HRSRC FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage) {
  try {
    return const_cast<Entry*>(Find(hModule, lpType, lpName, wLanguage));
  } catch (...) {
    kx2::RecordCurrentException();
    return nullptr;
  }
}

KX2_EXPORT HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  return FindResourceExW(hModule, lpType, lpName, 0);
}

KX2_EXPORT HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo) {
  const Entry* e = EntryOf(hModule, hResInfo);
  return e ? const_cast<uint8_t*>(e->data) : nullptr;
}

KX2_EXPORT DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  const Entry* e = EntryOf(hModule, hResInfo);
  return e ? e->size : 0;
}

KX2_EXPORT LPVOID LockResource(HGLOBAL hResData) { return hResData; }

KX2_EXPORT BOOL FreeResource(HGLOBAL) { return FALSE; }

KX2_EXPORT int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (cchBufferMax > 0) lpBuffer[0] = 0;
  if (uID > 0xFFFF) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  const Entry* block = nullptr;
  try {
    block = Find(hInstance, MAKEINTRESOURCEW(kStringType), MAKEINTRESOURCEW(uID / 16 + 1), 0);
  } catch (...) {
    kx2::RecordCurrentException();
  }
  if (!block) return 0;
  // Walk the counted strings up to ours; a block that ends early holds no more strings.
  size_t at = 0;
  for (UINT i = 0;; ++i) {
    if (at + 2 > block->size) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return 0;
    }
    size_t len = ReadUnit(block->data + at);
    at += 2;
    if (at + len * 2 > block->size) {
      SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
      return 0;
    }
    if (i == uID % 16) {
      const uint8_t* text = block->data + at;
      if (cchBufferMax == 0) {
        const WCHAR* p = reinterpret_cast<const WCHAR*>(text);
        std::memcpy(lpBuffer, &p, sizeof p);
        return static_cast<int>(len);
      }
      size_t n = len < static_cast<size_t>(cchBufferMax - 1) ? len : static_cast<size_t>(cchBufferMax - 1);
      std::memcpy(lpBuffer, text, n * 2);
      lpBuffer[n] = 0;
      return static_cast<int>(n);
    }
    at += len * 2;
  }
}

KX2_EXPORT BOOL EnumResourceTypesW(HMODULE hModule, ENUMRESTYPEPROCW lpEnumFunc, LONG_PTR lParam) {
  if (!lpEnumFunc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Container* c = ContainerOf(hModule);
  if (!c) return FALSE;
  const ResName* last = nullptr;
  for (const Entry& e : c->Entries()) {
    if (last && *last == e.type) continue;
    last = &e.type;
    if (!lpEnumFunc(hModule, e.type.AsParam(), lParam)) {
      SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
      return FALSE;
    }
  }
  return TRUE;
}

KX2_EXPORT BOOL EnumResourceNamesW(HMODULE hModule, LPCWSTR lpType, ENUMRESNAMEPROCW lpEnumFunc, LONG_PTR lParam) {
  ResName type;
  if (!lpEnumFunc || !lpType || !ParseResName(lpType, &type)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Container* c = ContainerOf(hModule);
  if (!c) return FALSE;
  if (!c->HasType(type)) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  const ResName* last = nullptr;
  for (const Entry& e : c->Entries()) {
    if (!(e.type == type) || (last && *last == e.name)) continue;
    last = &e.name;
    if (!lpEnumFunc(hModule, lpType, e.name.AsParam(), lParam)) {
      SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
      return FALSE;
    }
  }
  return TRUE;
}

KX2_EXPORT BOOL EnumResourceLanguagesW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, ENUMRESLANGPROCW lpEnumFunc,
                                       LONG_PTR lParam) {
  ResName type, name;
  if (!lpEnumFunc || !lpType || !lpName || !ParseResName(lpType, &type) || !ParseResName(lpName, &name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Container* c = ContainerOf(hModule);
  if (!c) return FALSE;
  if (!c->HasName(type, name)) {
    SetLastError(c->HasType(type) ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  for (const Entry& e : c->Entries()) {
    if (!(e.type == type) || !(e.name == name)) continue;
    if (!lpEnumFunc(hModule, lpType, lpName, e.language, lParam)) {
      SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
      return FALSE;
    }
  }
  return TRUE;
}

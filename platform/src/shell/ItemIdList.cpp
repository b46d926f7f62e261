// Item-id lists holding a path, and the shell calls that make and read them.
#include "kx2/ErrorBoundary.h"
#include "shell/ItemIdList.h"

#include <cstring>

#include "kx2/Utf.h"
#include "shell/ShellPaths.h"
#include "win/ole.h"

namespace kx2::shell {
namespace {

constexpr BYTE kSignature[4] = {'K', 'X', '2', 'P'};
constexpr size_t kHeadBytes = 2 + sizeof kSignature;
constexpr size_t kMaxItemBytes = 0xFFFF;

void PutWord(BYTE* at, WORD value) {
  at[0] = static_cast<BYTE>(value);
  at[1] = static_cast<BYTE>(value >> 8);
}
WORD GetWord(const BYTE* at) { return static_cast<WORD>(at[0] | (at[1] << 8)); }

}  // namespace

LPITEMIDLIST MakeItemIdList(std::u16string_view full) {
  size_t itemBytes = kHeadBytes + (full.size() + 1) * 2;
  if (itemBytes > kMaxItemBytes) return nullptr;
  auto* bytes = static_cast<BYTE*>(CoTaskMemAlloc(itemBytes + 2));
  if (!bytes) return nullptr;
  PutWord(bytes, static_cast<WORD>(itemBytes));
  std::memcpy(bytes + 2, kSignature, sizeof kSignature);
  BYTE* at = bytes + kHeadBytes;
  for (char16_t c : full) {
    PutWord(at, c);
    at += 2;
  }
  PutWord(at, 0);      // the path's terminator
  PutWord(at + 2, 0);  // the list's end
  return reinterpret_cast<LPITEMIDLIST>(bytes);
}

std::optional<IdListTarget> ReadItemIdList(LPCITEMIDLIST list) {
  if (!list) return std::nullopt;
  const auto* bytes = reinterpret_cast<const BYTE*>(list);
  WORD itemBytes = GetWord(bytes);
  IdListTarget target;
  if (itemBytes == 0) {
    target.desktop = true;
    return target;
  }
  if (itemBytes < kHeadBytes + 4 || (itemBytes - kHeadBytes) % 2 != 0 ||
      std::memcmp(bytes + 2, kSignature, sizeof kSignature) != 0)
    return std::nullopt;
  size_t units = (itemBytes - kHeadBytes) / 2;
  const BYTE* at = bytes + kHeadBytes;
  if (GetWord(at + (units - 1) * 2) != 0 || GetWord(bytes + itemBytes) != 0) return std::nullopt;
  for (size_t i = 0; i + 1 < units; ++i) target.path.push_back(static_cast<char16_t>(GetWord(at + i * 2)));
  if (target.path.empty() || target.path.find(u'\0') != std::u16string::npos) return std::nullopt;
  return target;
}

std::optional<std::u16string> PathOfItemIdList(LPCITEMIDLIST list) {
  std::optional<IdListTarget> target = ReadItemIdList(list);
  if (!target) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  if (!target->desktop) return target->path;
  char16_t desktop[MAX_PATH];
  HRESULT hr = SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop);
  if (FAILED(hr)) {
    SetLastError(hr == E_FAIL ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  return std::u16string(desktop);
}

}  // namespace kx2::shell

using kx2::shell::ItemKind;

KX2_EXPORT HRESULT SHParseDisplayName(LPCWSTR pszName, IBindCtx*, PIDLIST_ABSOLUTE* ppidl, SFGAOF sfgaoIn,
                                      SFGAOF* psfgaoOut) {
  if (psfgaoOut) *psfgaoOut = 0;
  if (!ppidl || !pszName) return E_INVALIDARG;
  *ppidl = nullptr;
  try {
    std::u16string full;
    if (*pszName) {
      DWORD error = ERROR_INVALID_NAME;
      std::optional<std::u16string> path = kx2::shell::FullPath(kx2::View16(pszName), &error);
      if (!path || kx2::shell::HasWildcard(*path)) return HRESULT_FROM_WIN32(path ? ERROR_INVALID_NAME : error);
      if (kx2::shell::KindOf(*path, &error) == ItemKind::Missing) return HRESULT_FROM_WIN32(error);
      full = std::move(*path);
    }
    LPITEMIDLIST list = full.empty() ? static_cast<LPITEMIDLIST>(CoTaskMemAlloc(2)) : kx2::shell::MakeItemIdList(full);
    if (!list) return (full.size() + 4) * 2 > 0xFFFF ? HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) : E_OUTOFMEMORY;
    if (full.empty()) std::memset(list, 0, 2);
    if (psfgaoOut && sfgaoIn) {
      SHFILEINFOW info{};
      info.dwAttributes = sfgaoIn;
      if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info,
                         SHGFI_PIDL | SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED))
        *psfgaoOut = info.dwAttributes;
    }
    *ppidl = list;
    return S_OK;
  } catch (...) {
    return kx2::RecordCurrentComException();
  }
}

KX2_EXPORT BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR pszPath) {
  if (!pszPath) return FALSE;
  pszPath[0] = 0;
  try {
    std::optional<std::u16string> path = kx2::shell::PathOfItemIdList(pidl);
    if (path && kx2::CopyTo16(pszPath, MAX_PATH, *path)) return TRUE;
    pszPath[0] = 0;
    return FALSE;
  } catch (...) {
    pszPath[0] = 0;
    return FALSE;
  }
}

KX2_EXPORT HRESULT SHGetDataFromIDListW(IShellFolder*, PCUITEMID_CHILD pidl, int nFormat, void* pv, int cb) {
  if (!pv || cb < 0) return E_INVALIDARG;
  try {
    std::optional<kx2::shell::IdListTarget> target = kx2::shell::ReadItemIdList(pidl);
    if (!target || target->desktop) return E_INVALIDARG;
    const std::u16string& path = target->path;
    WIN32_FILE_ATTRIBUTE_DATA data;
    switch (nFormat) {
      case SHGDFIL_FINDDATA: {
        if (static_cast<size_t>(cb) < sizeof(WIN32_FIND_DATAW)) return E_INVALIDARG;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
          return HRESULT_FROM_WIN32(GetLastError());
        WIN32_FIND_DATAW found{};
        found.dwFileAttributes = data.dwFileAttributes;
        found.ftCreationTime = data.ftCreationTime;
        found.ftLastAccessTime = data.ftLastAccessTime;
        found.ftLastWriteTime = data.ftLastWriteTime;
        found.nFileSizeHigh = data.nFileSizeHigh;
        found.nFileSizeLow = data.nFileSizeLow;
        kx2::CopyTo16(found.cFileName, MAX_PATH, kx2::shell::LeafOf(path));
        std::memcpy(pv, &found, sizeof found);
        return S_OK;
      }
      case SHGDFIL_DESCRIPTIONID: {
        if (static_cast<size_t>(cb) < sizeof(SHDESCRIPTIONID)) return E_INVALIDARG;
        SHDESCRIPTIONID id{};
        if (kx2::shell::IsDriveRoot(path)) {
          switch (GetDriveTypeW(path.c_str())) {
            case DRIVE_REMOVABLE:
              id.dwDescriptionId = SHDID_COMPUTER_REMOVABLE;
              break;
            case DRIVE_FIXED:
              id.dwDescriptionId = SHDID_COMPUTER_FIXED;
              break;
            case DRIVE_REMOTE:
              id.dwDescriptionId = SHDID_COMPUTER_NETDRIVE;
              break;
            case DRIVE_CDROM:
              id.dwDescriptionId = SHDID_COMPUTER_CDROM;
              break;
            case DRIVE_RAMDISK:
              id.dwDescriptionId = SHDID_COMPUTER_RAMDISK;
              break;
            default:
              id.dwDescriptionId = SHDID_COMPUTER_OTHER;
              break;
          }
        } else {
          DWORD attributes = GetFileAttributesW(path.c_str());
          if (attributes == INVALID_FILE_ATTRIBUTES) return HRESULT_FROM_WIN32(GetLastError());
          id.dwDescriptionId = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? SHDID_FS_DIRECTORY : SHDID_FS_FILE;
        }
        std::memcpy(pv, &id, sizeof id);
        return S_OK;
      }
      default:
        return E_INVALIDARG;  // SHGDFIL_NETRESOURCE included: nothing here is a network item
    }
  } catch (...) {
    return kx2::RecordCurrentComException();
  }
}

KX2_EXPORT void ILFree(LPITEMIDLIST pidl) { CoTaskMemFree(pidl); }

KX2_EXPORT UINT ILGetSize(LPCITEMIDLIST pidl) {
  if (!pidl) return 0;
  const auto* bytes = reinterpret_cast<const BYTE*>(pidl);
  size_t total = 0;
  for (WORD cb; (cb = kx2::shell::GetWord(bytes + total)) != 0;) total += cb;
  return static_cast<UINT>(total + 2);
}

// SHGetFileInfoW: attributes, display and type names, and the kind of an executable.
#include <cstring>
#include <optional>
#include <string>

#include "kx2/ErrorBoundary.h"
#include "kx2/Utf.h"
#include "shell/ExecutableHeader.h"
#include "shell/ItemIdList.h"
#include "shell/ShellPaths.h"
#include "win/registry.h"
#include "win/shell.h"

namespace kx2::shell {
namespace {

constexpr WORD kSignaturePe = 0x4550;  // "PE"
constexpr WORD kSignatureNe = 0x454E;  // "NE"
constexpr WORD kSignatureMz = 0x5A4D;  // "MZ"
constexpr WORD kWindowedSubsystem = 2;

constexpr SFGAOF kItemAttributes = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK | SFGAO_CANRENAME | SFGAO_CANDELETE |
                                   SFGAO_HASPROPSHEET | SFGAO_FILESYSTEM;
constexpr SFGAOF kFolderAttributes = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_STORAGEANCESTOR | SFGAO_STORAGE;

const char16_t* DriveKindName(UINT type) {
  switch (type) {
    case DRIVE_REMOVABLE:
      return u"Removable Disk";
    case DRIVE_REMOTE:
      return u"Network Drive";
    case DRIVE_CDROM:
      return u"CD Drive";
    case DRIVE_RAMDISK:
      return u"RAM Disk";
    default:
      return u"Local Disk";
  }
}

// The default value of a key under HKEY_CLASSES_ROOT ("" when there is none).
std::u16string ClassesText(const std::u16string& key) {
  char16_t value[MAX_PATH] = {};
  LONG size = sizeof value - sizeof(char16_t);
  if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return {};
  return std::u16string(View16(value));
}

std::u16string TypeName(const std::u16string& path, DWORD attributes) {
  if (IsDriveRoot(path)) return DriveKindName(GetDriveTypeW(path.c_str()));
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return u"File folder";
  std::u16string ext(ExtensionOf(LeafOf(path)));
  if (ext.empty()) return u"File";
  // The registered description: .ext names a program id whose default value describes it.
  std::u16string progId = ClassesText(u"." + ext);
  if (!progId.empty()) {
    std::u16string described = ClassesText(progId);
    if (!described.empty()) return described;
  }
  for (char16_t& c : ext) c = FoldUpper16(c);
  return ext + u" File";
}

std::u16string DisplayName(const std::u16string& path) {
  if (!IsDriveRoot(path)) return std::u16string(LeafOf(path));
  char16_t label[MAX_PATH] = {};
  if (!GetVolumeInformationW(path.c_str(), label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0)) label[0] = 0;
  std::u16string name = label[0] ? std::u16string(label) : std::u16string(DriveKindName(GetDriveTypeW(path.c_str())));
  return name + u" (" + path.substr(0, 2) + u")";
}

bool HasSubfolder(const std::u16string& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Join(folder, u"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do {
    std::u16string_view name(data.cFileName);
    found = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != u"." && name != u"..";
  } while (!found && FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

SFGAOF ShellAttributes(const std::u16string& path, DWORD attributes, bool lookInside) {
  SFGAOF a = kItemAttributes;
  bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (IsDriveRoot(path)) a = SFGAO_CANLINK | SFGAO_HASPROPSHEET | SFGAO_FILESYSTEM;
  if (folder)
    a |= kFolderAttributes;
  else
    a |= SFGAO_STREAM;
  if (attributes & FILE_ATTRIBUTE_READONLY) a |= SFGAO_READONLY;
  if (attributes & FILE_ATTRIBUTE_HIDDEN) a |= SFGAO_HIDDEN;
  if (!folder && EqualsI16(ExtensionOf(LeafOf(path)), u"lnk")) a |= SFGAO_LINK;
  if (folder && lookInside && HasSubfolder(path)) a |= SFGAO_HASSUBFOLDER;
  return a;
}

DWORD_PTR ExecutableType(const std::u16string& path) {
  std::u16string_view ext = ExtensionOf(LeafOf(path));
  std::optional<ExecutableHeader> header = ReadExecutableHeader(path.c_str());
  if (!header) return 0;
  if (header->library) return 0;
  switch (header->kind) {
    case ImageKind::Pe32:
    case ImageKind::Pe64:
      if (header->subsystem != kWindowedSubsystem) return kSignaturePe;
      return MAKELONG(kSignaturePe, MAKEWORD(header->versionMinor, header->versionMajor));
    case ImageKind::Ne:
      return MAKELONG(kSignatureNe, MAKEWORD(header->versionMinor, header->versionMajor));
    case ImageKind::Dos:
      return kSignatureMz;
    case ImageKind::NotExecutable:
      break;
  }
  if (EqualsI16(ext, u"com") || EqualsI16(ext, u"bat") || EqualsI16(ext, u"cmd")) return kSignatureMz;
  return 0;
}

}  // namespace
}  // namespace kx2::shell

KX2_EXPORT DWORD_PTR SHGetFileInfoW(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFOW* psfi, UINT cbFileInfo,
                                    UINT uFlags) {
  using namespace kx2::shell;
  try {
    if (!pszPath) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    std::optional<std::u16string> path;
    if (uFlags & SHGFI_PIDL) {
      path = PathOfItemIdList(reinterpret_cast<LPCITEMIDLIST>(pszPath));
    } else {
      DWORD error = ERROR_INVALID_NAME;
      path = FullPath(kx2::View16(pszPath), &error);
      if (!path) SetLastError(error);
    }
    if (!path) return 0;
    bool useGiven = (uFlags & SHGFI_USEFILEATTRIBUTES) != 0;
    if (uFlags & SHGFI_EXETYPE) return useGiven ? 0 : ExecutableType(*path);

    DWORD attributes = useGiven ? dwFileAttributes : GetFileAttributesW(path->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    constexpr UINT kFills =
        SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES | SHGFI_ICONLOCATION | SHGFI_SYSICONINDEX;
    if (uFlags & kFills) {
      if (!psfi || cbFileInfo < sizeof(SHFILEINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
    }
    if (uFlags & (SHGFI_ICON | SHGFI_SYSICONINDEX | SHGFI_ICONLOCATION)) {
      // There are no icons to give: the caller draws without one.
      psfi->hIcon = nullptr;
      psfi->iIcon = 0;
    }
    if (uFlags & SHGFI_ICONLOCATION) psfi->szDisplayName[0] = 0;
    if (uFlags & SHGFI_ATTRIBUTES) {
      SFGAOF a = ShellAttributes(*path, attributes, !useGiven);
      psfi->dwAttributes = (uFlags & SHGFI_ATTR_SPECIFIED) ? (a & psfi->dwAttributes) : a;
    }
    if (uFlags & SHGFI_DISPLAYNAME) kx2::CopyTo16(psfi->szDisplayName, MAX_PATH, DisplayName(*path));
    if (uFlags & SHGFI_TYPENAME) {
      std::u16string type = TypeName(*path, attributes);
      std::u16string_view fitting = std::u16string_view(type).substr(0, SHGFI_TYPENAME_SIZE - 1);
      kx2::CopyTo16(psfi->szTypeName, SHGFI_TYPENAME_SIZE, fitting);
    }
    return (uFlags & SHGFI_SYSICONINDEX) ? 0 : 1;
  } catch (...) {
    kx2::RecordCurrentException();
    return 0;
  }
}

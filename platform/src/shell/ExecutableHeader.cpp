// Reading MZ, PE and NE headers through the platform's file functions.
#include "shell/ExecutableHeader.h"

#include <cstring>

#include "kx2/Utf.h"
#include "win/fileapi.h"
#include "win/kernel.h"

namespace kx2::shell {
namespace {

constexpr WORD kImageFileDll = 0x2000;
constexpr WORD kPe32Magic = 0x10b;
constexpr WORD kPe64Magic = 0x20b;
constexpr WORD kNeLibrary = 0x8000;

WORD Word(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Dword(const BYTE* p) { return Word(p) | (static_cast<DWORD>(Word(p + 2)) << 16); }

class File {
 public:
  explicit File(LPCWSTR path)
      : handle_(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~File() {
    if (ok()) CloseHandle(handle_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

  // Bytes read at offset (fewer at the end of the file); -1 on a read error.
  long ReadAt(DWORD offset, BYTE* out, DWORD size) {
    LARGE_INTEGER at;
    at.QuadPart = offset;
    DWORD done = 0;
    if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) || !ReadFile(handle_, out, size, &done, nullptr)) return -1;
    return static_cast<long>(done);
  }

 private:
  HANDLE handle_;
};

}  // namespace

std::u16string_view ExtensionOf(std::u16string_view path) {
  size_t leaf = path.find_last_of(u"\\/:");
  size_t dot = path.rfind(u'.');
  if (dot == std::u16string_view::npos || (leaf != std::u16string_view::npos && dot < leaf)) return {};
  return path.substr(dot + 1);
}

std::optional<ExecutableHeader> ReadExecutableHeader(LPCWSTR path) {
  File file(path);
  if (!file.ok()) return std::nullopt;
  ExecutableHeader result;
  BYTE dos[64] = {};
  long got = file.ReadAt(0, dos, sizeof dos);
  if (got < 0) return std::nullopt;
  if (got < 2 || dos[0] != 'M' || dos[1] != 'Z') return result;
  result.kind = ImageKind::Dos;
  if (got < static_cast<long>(sizeof dos)) return result;
  DWORD newHeader = Dword(dos + 0x3C);
  if (newHeader < sizeof dos) return result;  // no room for a newer header: plain MS-DOS

  BYTE head[0x60] = {};
  got = file.ReadAt(newHeader, head, sizeof head);
  if (got < 0) return std::nullopt;
  if (got >= 24 + 70 && std::memcmp(head, "PE\0\0", 4) == 0) {
    const BYTE* coff = head + 4;
    const BYTE* optional = head + 24;
    WORD optionalSize = Word(coff + 16);
    WORD magic = Word(optional);
    if (optionalSize < 70 || (magic != kPe32Magic && magic != kPe64Magic)) {
      result.kind = ImageKind::NotExecutable;  // a damaged image runs nowhere
      return result;
    }
    result.kind = magic == kPe64Magic ? ImageKind::Pe64 : ImageKind::Pe32;
    result.library = (Word(coff + 18) & kImageFileDll) != 0;
    result.versionMajor = static_cast<BYTE>(Word(optional + 48));
    result.versionMinor = static_cast<BYTE>(Word(optional + 50));
    result.subsystem = Word(optional + 68);
  } else if (got >= 0x40 && head[0] == 'N' && head[1] == 'E') {
    result.kind = ImageKind::Ne;
    result.library = (Word(head + 0x0C) & kNeLibrary) != 0;
    result.neTargetOs = head[0x36];
    result.versionMinor = head[0x3E];
    result.versionMajor = head[0x3F];
  }
  return result;
}

}  // namespace kx2::shell

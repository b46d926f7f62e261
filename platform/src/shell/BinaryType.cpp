// GetBinaryTypeW: the kind of program a file's header names (see win/shell.h).
#include "kx2/Utf.h"
#include "shell/ExecutableHeader.h"
#include "win/shell.h"

using kx2::shell::ImageKind;

namespace {

constexpr WORD kPosixSubsystem = 7;
constexpr BYTE kNeOs2 = 1;

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

KX2_EXPORT BOOL GetBinaryTypeW(LPCWSTR lpApplicationName, LPDWORD lpBinaryType) {
  try {
    if (!lpApplicationName || !lpBinaryType) return Fail(ERROR_INVALID_PARAMETER);
    auto header = kx2::shell::ReadExecutableHeader(lpApplicationName);
    if (!header) return FALSE;
    if (header->library) return Fail(ERROR_BAD_EXE_FORMAT);
    switch (header->kind) {
      case ImageKind::Pe64:
      case ImageKind::Pe32:
        *lpBinaryType = header->subsystem == kPosixSubsystem ? SCS_POSIX_BINARY
                        : header->kind == ImageKind::Pe64    ? SCS_64BIT_BINARY
                                                             : SCS_32BIT_BINARY;
        return TRUE;
      case ImageKind::Ne:
        *lpBinaryType = header->neTargetOs == kNeOs2 ? SCS_OS216_BINARY : SCS_WOW_BINARY;
        return TRUE;
      case ImageKind::Dos:
        *lpBinaryType = SCS_DOS_BINARY;
        return TRUE;
      case ImageKind::NotExecutable:
        break;
    }
    // Headerless programs are known by their extension only.
    std::u16string_view ext = kx2::shell::ExtensionOf(kx2::View16(lpApplicationName));
    if (kx2::EqualsI16(ext, u"com")) {
      *lpBinaryType = SCS_DOS_BINARY;
      return TRUE;
    }
    if (kx2::EqualsI16(ext, u"pif")) {
      *lpBinaryType = SCS_PIF_BINARY;
      return TRUE;
    }
    return Fail(ERROR_BAD_EXE_FORMAT);
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

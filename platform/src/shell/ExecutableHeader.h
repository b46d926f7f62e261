// Private: what the header of a file says about it as a Windows program.
#pragma once

#include <optional>
#include <string_view>

#include "win/types.h"

namespace kx2::shell {

enum class ImageKind {
  NotExecutable,  // no program header (ELF programs and scripts included)
  Dos,            // MZ without a newer header, or LE/LX
  Pe32,
  Pe64,
  Ne,  // 16-bit Windows or OS/2
};

struct ExecutableHeader {
  ImageKind kind = ImageKind::NotExecutable;
  bool library = false;   // a DLL: not a program to start
  WORD subsystem = 0;     // PE: 2 windowed, 3 console, 7 POSIX
  BYTE versionMajor = 0;  // PE: subsystem version; NE: expected Windows version
  BYTE versionMinor = 0;
  BYTE neTargetOs = 0;  // NE: 1 OS/2, 2 Windows
};

// Reads the header of the file at a Windows path; nullopt with the Win32 error set when
// the file cannot be opened or read.
std::optional<ExecutableHeader> ReadExecutableHeader(LPCWSTR path);

// The file's extension without the dot, as written ("" when none).
std::u16string_view ExtensionOf(std::u16string_view path);

}  // namespace kx2::shell

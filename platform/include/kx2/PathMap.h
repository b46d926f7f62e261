// The one place where Windows paths meet the POSIX file system.
//
// The system's own code keeps Windows path rules (drive letters, backslashes, names
// compared without regard to case). At the OS boundary a path is made absolute against
// the platform's current directory, its drive letter is replaced by the root folder the
// drive table gives, and each component is looked up with its exact case first, then
// without regard to case.
//
// Linux allows names Windows does not: names holding \ : * ? " < > | or control
// characters, and names ending in spaces or dots. Such a character stands on the Windows
// side as the private-use character U+F000 plus its code (":" is U+F03A; of the spaces and
// dots only a name's trailing ones), so every module sees a valid Windows name, and the
// way back gives the POSIX name again. A POSIX name that itself holds one of those
// private-use characters is still found by looking through its folder.
//
// The drive table comes from the environment variable KX2_DRIVES, "C=/some/dir;D=/other";
// it is read again whenever its value changes. Z: is "/" unless the table sets it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "win/types.h"

namespace kx2 {

// Windows path -> absolute Windows path (GetFullPathNameW's rules): "/" and "\" both
// separate, "." and ".." are resolved, trailing dots and spaces of a name are dropped,
// "\x" is relative to the current drive, "C:x" to the current directory when it is on C:.
// Returns nullopt with the Win32 error in *error for a path that cannot be made absolute.
KX2_API std::optional<std::u16string> FullWindowsPath(std::u16string_view path, DWORD* error = nullptr);

// Windows path -> POSIX path in UTF-8. Existing components are matched with exact case,
// then without regard to case; components that do not exist are kept as given (so the
// result may name a file about to be created). Fails with ERROR_PATH_NOT_FOUND for a
// drive with no root folder and ERROR_BAD_PATHNAME for a UNC or device path.
KX2_API std::optional<std::string> ToPosixPath(std::u16string_view windowsPath, DWORD* error = nullptr);

// POSIX path (absolute, UTF-8) -> "X:\..." with the drive whose root folder holds it
// (the longest match wins), else Z:.
KX2_API std::u16string ToWindowsPath(std::string_view posixPath);

// One name (a path component) from POSIX (UTF-8) to Windows form, and back.
KX2_API std::u16string WindowsNameOf(std::string_view posixName);
KX2_API std::string PosixNameOf(std::u16string_view windowsName);

// The root folder of a drive letter ('A'..'Z', either case), or nullopt when unmapped.
KX2_API std::optional<std::string> DriveRoot(char16_t letter);

// The platform's current directory, always absolute Windows form without a trailing
// separator except at a drive root ("C:\").
KX2_API std::u16string CurrentDirectory();
// Sets it (the path must already be absolute and existing; SetCurrentDirectoryW checks).
KX2_API void SetCurrentDirectoryPath(std::u16string_view absoluteWindowsPath);

}  // namespace kx2

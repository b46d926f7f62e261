// Private: path helpers shared by the shell's file operations, file information and
// item-id lists. Paths here are full Windows paths ("C:\dir\name", "C:\" for a root).
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "win/types.h"

namespace kx2::shell {

// The full path without a trailing "\" (a root keeps its own); nullopt with the Win32
// error in *error for a path that cannot be made full.
std::optional<std::u16string> FullPath(std::u16string_view path, DWORD* error);
bool IsDriveRoot(std::u16string_view full);
std::u16string Join(std::u16string_view folder, std::u16string_view name);
std::u16string_view LeafOf(std::u16string_view full);
std::u16string ParentOf(std::u16string_view full);
bool HasWildcard(std::u16string_view name);

enum class ItemKind { Missing, File, Folder, Link };
// What lies at a path, a symbolic link counted as itself; Missing with the Win32 error.
ItemKind KindOf(const std::u16string& full, DWORD* error = nullptr);
// stat (following links) of the item at a path.
std::optional<struct stat> StatOf(const std::u16string& full);

// Whether two paths name the same item, and whether inner lies below outer, judged on
// the file system (drives that map to one folder, links and case all count).
bool SameItem(const std::u16string& a, const std::u16string& b);
bool Below(const std::u16string& inner, const std::u16string& outer);

}  // namespace kx2::shell

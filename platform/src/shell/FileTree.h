// Private: copying, moving and deleting files and whole folders over the platform's file
// functions, for the shell's file operations. Paths are full Windows paths.
#pragma once

#include <string>

#include "win/types.h"

namespace kx2::shell {

struct TreePolicy {
  bool replaceFiles = false;    // an existing file may be replaced (a read-only one too)
  bool deleteReadOnly = false;  // read-only files and folders may be deleted
  bool recurse = true;          // a copied folder takes its subfolders too
};

// Each returns 0 when done, else a Win32 error or a DE_ code: ERROR_CANCELLED when an
// existing file would have to be replaced (or a read-only one deleted) against the
// policy, DE_FILEDESTISFLD / DE_FLDDESTISFILE when a file meets a folder of the same
// name, ERROR_CANT_RESOLVE_FILENAME for a folder that contains itself through a link.
// Folders merge into existing folders. A symbolic link is moved or deleted as itself;
// copies follow it.
DWORD CopyTree(const std::u16string& from, const std::u16string& to, const TreePolicy& policy);
DWORD MoveTree(const std::u16string& from, const std::u16string& to, const TreePolicy& policy);
DWORD DeleteTree(const std::u16string& path, const TreePolicy& policy);

}  // namespace kx2::shell

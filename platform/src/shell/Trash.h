// Private: the user's trash, as the freedesktop.org trash specification lays it out
// ($XDG_DATA_HOME/Trash, default ~/.local/share/Trash: the items in "files", a
// ".trashinfo" record per item in "info" with its original path and the time).
#pragma once

#include <string>

#include "win/types.h"

namespace kx2::shell {

// Moves the item at a full Windows path into the trash under a free name; 0 or the
// Win32 error.
DWORD MoveToTrash(const std::u16string& full);

}  // namespace kx2::shell

// Private: our item-id lists. One item holds a full Windows path: its 16-bit byte count,
// the signature "KX2P", the path's UTF-16 units (little-endian) and a 0 unit; a count of 0
// ends the list. The empty list is the desktop.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "win/shell.h"

namespace kx2::shell {

// A list for a full path (CoTaskMemAlloc); null when the path is too long for an item or
// memory runs out.
LPITEMIDLIST MakeItemIdList(std::u16string_view full);

struct IdListTarget {
  bool desktop = false;
  std::u16string path;  // when not the desktop
};
// What a list names; nullopt for a list that is not ours.
std::optional<IdListTarget> ReadItemIdList(LPCITEMIDLIST list);

// The path a list stands for (the desktop's folder for the empty list); nullopt with the
// Win32 error set.
std::optional<std::u16string> PathOfItemIdList(LPCITEMIDLIST list);

}  // namespace kx2::shell

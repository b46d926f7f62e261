// Private: where the special folders lie, shared with the registry's "Shell Folders" key.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kx2::shell {

// The POSIX folder for a CSIDL (flags stripped), or nullopt for an unknown one.
std::optional<std::string> FolderPath(int csidl);

struct FolderValue {
  const char16_t* name;  // "AppData", "Local AppData" ...
  std::u16string path;   // Windows form
};
// The "Shell Folders" values of the user's key (machine false) or the machine's key.
std::vector<FolderValue> ShellFolderValues(bool machine);

}  // namespace kx2::shell

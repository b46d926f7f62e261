// What the item dialog knows of files: folder listings and shell items over the platform's
// file layer, all named by full Windows paths.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kx2/Ref.h"
#include "win/shobjidl.h"

namespace kx2::shell {

struct FolderEntry {
  std::u16string name;
  bool folder = false;
};

// The entries of a folder ("." and ".." left out), in the order the file system gives
// them; false when the folder cannot be listed.
bool ListFolder(std::u16string_view folder, std::vector<FolderEntry>* entries);
// The full Windows path of a path (relative to the current directory); empty when it
// cannot be made absolute.
std::u16string FullPathOf(std::u16string_view path);
bool IsExistingFolder(std::u16string_view path);
bool IsExisting(std::u16string_view path);
// folder "\" name, with one separator.
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);
// The folder holding the path; empty for a drive root.
std::u16string ContainingFolder(std::u16string_view path);

// A shell item for a full path (which need not exist).
Ref<IShellItem> MakeShellItem(std::u16string fullPath);
// The item's file-system path; empty for null or an item without one.
std::u16string PathOfItem(IShellItem* item);
// An item array over the items, answered for riid.
HRESULT MakeItemArray(std::vector<Ref<IShellItem>> items, REFIID riid, void** out);

}  // namespace kx2::shell

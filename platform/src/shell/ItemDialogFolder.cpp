// Folder listings for the item dialog: the platform's path mapping, then the directory
// read straight, since a folder of thousands of files must list in about the time the
// directory itself takes to read (file kinds come from the directory entries; only links and
// entries of unknown kind are looked up).
#include <dirent.h>
#include <sys/stat.h>

#include <optional>

#include "ItemDialogFolder.h"
#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "win/fileapi.h"

namespace kx2::shell {

bool ListFolder(std::u16string_view folder, std::vector<FolderEntry>* entries) {
  entries->clear();
  std::u16string full = FullPathOf(folder);
  if (full.empty()) return false;
  std::optional<std::string> posix = ToPosixPath(full);
  if (!posix) return false;
  DIR* dir = opendir(posix->c_str());
  if (!dir) return false;
  std::string base = *posix;
  if (base.empty() || base.back() != '/') base += '/';
  while (dirent* e = readdir(dir)) {
    std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    bool isFolder = e->d_type == DT_DIR;
    if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      struct stat st;
      isFolder = stat((base + e->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    entries->push_back(FolderEntry{WindowsNameOf(name), isFolder});
  }
  closedir(dir);
  return true;
}

std::u16string FullPathOf(std::u16string_view path) {
  if (path.empty()) return {};
  std::optional<std::u16string> full = FullWindowsPath(path);
  if (!full) return {};
  // No trailing separator except at a drive root.
  while (full->size() > 3 && (full->back() == u'\\' || full->back() == u'/')) full->pop_back();
  return *full;
}

bool IsExistingFolder(std::u16string_view path) {
  std::u16string text(path);
  DWORD attributes = GetFileAttributesW(text.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExisting(std::u16string_view path) {
  std::u16string text(path);
  return GetFileAttributesW(text.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
  std::u16string path(folder);
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
  path += name;
  return path;
}

std::u16string ContainingFolder(std::u16string_view path) {
  size_t cut = path.find_last_of(u"\\/");
  if (cut == std::u16string_view::npos) return {};
  if (cut + 1 >= path.size()) return {};  // "C:\": a drive root has no parent
  std::u16string parent(path.substr(0, cut));
  if (parent.size() == 2 && parent[1] == u':') parent += u'\\';
  return parent;
}

}  // namespace kx2::shell

// Copying, moving and deleting trees of files through the platform's file functions.
#include "shell/FileTree.h"

#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "kx2/PathMap.h"
#include "kx2/Win32Error.h"
#include "shell/ShellPaths.h"
#include "win/fileapi.h"
#include "win/shell.h"

namespace kx2::shell {
namespace {

struct FileId {
  dev_t device;
  ino_t inode;
};

DWORD LastErrorOr(DWORD fallback) {
  DWORD e = GetLastError();
  return e ? e : fallback;
}

// The names in a folder, without "." and "..".
DWORD ListFolder(const std::u16string& folder, std::vector<std::u16string>* names) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Join(folder, u"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_NO_MORE_FILES ? 0 : LastErrorOr(ERROR_PATH_NOT_FOUND);
  }
  do {
    std::u16string_view name(data.cFileName);
    if (name != u"." && name != u"..") names->emplace_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return 0;
}

// Makes room for a file at to: nothing there, or a file the policy lets us replace.
DWORD ClearFileTarget(const std::u16string& to, const TreePolicy& policy) {
  DWORD attributes = GetFileAttributesW(to.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return DE_FILEDESTISFLD;
  if (!policy.replaceFiles) return ERROR_CANCELLED;
  if ((attributes & FILE_ATTRIBUTE_READONLY) && !SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL))
    return LastErrorOr(ERROR_ACCESS_DENIED);
  return 0;
}

DWORD CopyOneFile(const std::u16string& from, const std::u16string& to, const TreePolicy& policy) {
  if (DWORD e = ClearFileTarget(to, policy)) return e;
  return CopyFileW(from.c_str(), to.c_str(), FALSE) ? 0 : LastErrorOr(ERROR_GEN_FAILURE);
}

// Copies a folder; ancestors holds the folders being copied above it, so that a link back
// to one of them ends the copy instead of repeating it without end.
DWORD CopyFolder(const std::u16string& from, const std::u16string& to, const TreePolicy& policy,
                 std::vector<FileId>& ancestors) {
  std::optional<struct stat> self = StatOf(from);
  if (!self) return ERROR_PATH_NOT_FOUND;
  for (const FileId& a : ancestors)
    if (a.device == self->st_dev && a.inode == self->st_ino) return ERROR_CANT_RESOLVE_FILENAME;
  // Listed before the target is made, so that a target inside the folder is never copied.
  std::vector<std::u16string> names;
  if (DWORD e = ListFolder(from, &names)) return e;
  DWORD attributes = GetFileAttributesW(to.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (!CreateDirectoryW(to.c_str(), nullptr)) return LastErrorOr(ERROR_CANNOT_MAKE);
  } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return DE_FLDDESTISFILE;
  }
  ancestors.push_back({self->st_dev, self->st_ino});
  DWORD result = 0;
  for (const std::u16string& name : names) {
    std::u16string child = Join(from, name), target = Join(to, name);
    DWORD childAttributes = GetFileAttributesW(child.c_str());
    if (childAttributes == INVALID_FILE_ATTRIBUTES) continue;  // gone meanwhile, or a dangling link
    if (childAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (policy.recurse) result = CopyFolder(child, target, policy, ancestors);
    } else {
      result = CopyOneFile(child, target, policy);
    }
    if (result) break;
  }
  ancestors.pop_back();
  return result;
}

DWORD RemoveLink(const std::u16string& path) {
  std::optional<std::string> posix = ToPosixPath(path);
  if (!posix) return ERROR_PATH_NOT_FOUND;
  return unlink(posix->c_str()) == 0 ? 0 : Win32ErrorFromErrno(errno);
}

}  // namespace

DWORD CopyTree(const std::u16string& from, const std::u16string& to, const TreePolicy& policy) {
  DWORD attributes = GetFileAttributesW(from.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastErrorOr(ERROR_FILE_NOT_FOUND);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return CopyOneFile(from, to, policy);
  std::vector<FileId> ancestors;
  return CopyFolder(from, to, policy, ancestors);
}

DWORD DeleteTree(const std::u16string& path, const TreePolicy& policy) {
  DWORD error = 0;
  ItemKind kind = KindOf(path, &error);
  if (kind == ItemKind::Missing) return error;
  if (kind == ItemKind::Link) return RemoveLink(path);
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    if (!policy.deleteReadOnly) return ERROR_CANCELLED;
    if (!SetFileAttributesW(path.c_str(), kind == ItemKind::Folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL))
      return LastErrorOr(ERROR_ACCESS_DENIED);
  }
  if (kind == ItemKind::File) return DeleteFileW(path.c_str()) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
  std::vector<std::u16string> names;
  if (DWORD e = ListFolder(path, &names)) return e;
  for (const std::u16string& name : names)
    if (DWORD e = DeleteTree(Join(path, name), policy)) return e;
  return RemoveDirectoryW(path.c_str()) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
}

DWORD MoveTree(const std::u16string& from, const std::u16string& to, const TreePolicy& policy) {
  DWORD error = 0;
  ItemKind kind = KindOf(from, &error);
  if (kind == ItemKind::Missing) return error;
  DWORD target = GetFileAttributesW(to.c_str());
  bool targetExists = target != INVALID_FILE_ATTRIBUTES || KindOf(to) != ItemKind::Missing;
  if (!targetExists) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED)) return 0;
    if (GetLastError() != ERROR_NOT_SAME_DEVICE || kind != ItemKind::Folder) return LastErrorOr(ERROR_GEN_FAILURE);
    // Folders do not move between file systems: copy, then delete what was copied.
    TreePolicy whole = policy;
    whole.recurse = true;
    whole.deleteReadOnly = true;
    if (DWORD e = CopyTree(from, to, whole)) return e;
    return DeleteTree(from, whole);
  }
  if (kind != ItemKind::Folder) {
    if (DWORD e = ClearFileTarget(to, policy)) return e;
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)
               ? 0
               : LastErrorOr(ERROR_GEN_FAILURE);
  }
  if (target == INVALID_FILE_ATTRIBUTES || !(target & FILE_ATTRIBUTE_DIRECTORY)) return DE_FLDDESTISFILE;
  std::vector<std::u16string> names;
  if (DWORD e = ListFolder(from, &names)) return e;
  for (const std::u16string& name : names)
    if (DWORD e = MoveTree(Join(from, name), Join(to, name), policy)) return e;
  return RemoveDirectoryW(from.c_str()) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
}

}  // namespace kx2::shell

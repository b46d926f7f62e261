// SHFileOperationW: copying, moving, deleting and renaming lists of items without any
// user interface (see win/shell.h).
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "kx2/Utf.h"
#include "shell/FileTree.h"
#include "shell/ShellPaths.h"
#include "shell/Trash.h"
#include "win/fileapi.h"
#include "win/shell.h"

namespace kx2::shell {
namespace {

// The names of a list: each ends with 0, an empty name ends the list.
std::vector<std::u16string> SplitList(LPCWSTR list) {
  std::vector<std::u16string> names;
  for (const char16_t* p = list; p && *p; p += names.back().size() + 1) names.emplace_back(p);
  return names;
}

bool IsFolder(const std::u16string& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Makes a folder and the folders above it.
DWORD MakeFolders(const std::u16string& folder) {
  if (IsFolder(folder)) return 0;
  if (IsDriveRoot(folder)) return ERROR_PATH_NOT_FOUND;
  if (DWORD e = MakeFolders(ParentOf(folder))) return e;
  if (CreateDirectoryW(folder.c_str(), nullptr) || IsFolder(folder)) return 0;
  DWORD e = GetLastError();
  return e == ERROR_ALREADY_EXISTS ? DE_FLDDESTISFILE : e;
}

// "name (2).ext", "name (3).ext" ... (a folder's name is not split at its dot).
std::u16string FreeName(const std::u16string& taken, bool folder) {
  std::u16string parent = ParentOf(taken);
  std::u16string leaf(LeafOf(taken)), stem = leaf, ext;
  size_t dot = leaf.rfind(u'.');
  if (!folder && dot != std::u16string::npos && dot > 0) {
    stem = leaf.substr(0, dot);
    ext = leaf.substr(dot);
  }
  for (int n = 2; n < 10000; ++n) {
    std::u16string candidate = Join(parent, stem + u" (" + Utf8ToUtf16(std::to_string(n)) + u")" + ext);
    if (KindOf(candidate) == ItemKind::Missing) return candidate;
  }
  return {};
}

class Operation {
 public:
  explicit Operation(SHFILEOPSTRUCTW& op) : op_(op), flags_(op.fFlags) {
    policy_.replaceFiles = policy_.deleteReadOnly = (flags_ & FOF_NOCONFIRMATION) != 0;
    policy_.recurse = !(flags_ & FOF_NORECURSION);
  }

  DWORD Run() {
    if (!op_.pFrom || op_.wFunc < FO_MOVE || op_.wFunc > FO_RENAME) return ERROR_INVALID_PARAMETER;
    if (DWORD e = ExpandSources()) return e;
    DWORD result = 0;
    switch (op_.wFunc) {
      case FO_COPY:
      case FO_MOVE:
        result = CopyOrMove(op_.wFunc == FO_MOVE);
        break;
      case FO_DELETE:
        result = Delete();
        break;
      case FO_RENAME:
        result = Rename();
        break;
    }
    if (result == ERROR_CANCELLED) op_.fAnyOperationsAborted = TRUE;
    if ((flags_ & FOF_WANTMAPPINGHANDLE) && !renamed_.empty()) op_.hNameMappings = MakeMappings();
    return result;
  }

 private:
  // Every item of pFrom, wildcards expanded; all must exist before anything is done.
  DWORD ExpandSources() {
    std::vector<std::u16string> names = SplitList(op_.pFrom);
    if (names.empty()) return DE_INVALIDFILES;
    for (const std::u16string& name : names) {
      DWORD error = ERROR_INVALID_NAME;
      std::optional<std::u16string> full = FullPath(name, &error);
      if (!full) return error;
      std::u16string parent = ParentOf(*full);
      if (HasWildcard(parent)) return ERROR_INVALID_NAME;
      if (HasWildcard(LeafOf(*full))) {
        wildcards_ = true;
        if (DWORD e = AddMatches(*full, parent)) return e;
        continue;
      }
      if (IsDriveRoot(*full)) return DE_ROOTDIR;
      if (KindOf(*full, &error) == ItemKind::Missing) return error;
      items_.push_back(*full);
    }
    return 0;
  }

  DWORD AddMatches(const std::u16string& pattern, const std::u16string& parent) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      return e == ERROR_FILE_NOT_FOUND || e == ERROR_NO_MORE_FILES ? 0 : e;
    }
    do {
      std::u16string_view name(data.cFileName);
      if (name == u"." || name == u"..") continue;
      if ((flags_ & FOF_FILESONLY) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      items_.push_back(Join(parent, name));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return 0;
  }

  DWORD CopyOrMove(bool move) {
    std::vector<std::u16string> destinations = SplitList(op_.pTo);
    if (destinations.empty()) return DE_INVALIDFILES;
    std::vector<std::u16string> targets;
    DWORD error = ERROR_INVALID_NAME;
    if ((flags_ & FOF_MULTIDESTFILES) && !wildcards_) {
      if (destinations.size() != items_.size()) return DE_MANYDEST;
      for (const std::u16string& d : destinations) {
        std::optional<std::u16string> full = FullPath(d, &error);
        if (!full) return error;
        targets.push_back(*full);
      }
    } else {
      if (destinations.size() != 1) return DE_MANYDEST;
      std::optional<std::u16string> folder = FullPath(destinations[0], &error);
      if (!folder) return error;
      if (items_.empty()) return 0;
      bool intoFolder = IsFolder(*folder);
      if (!intoFolder && (items_.size() > 1 || wildcards_)) {
        if (DWORD e = MakeFolders(*folder)) return e;
        intoFolder = true;
      }
      for (const std::u16string& item : items_) targets.push_back(intoFolder ? Join(*folder, LeafOf(item)) : *folder);
    }
    for (size_t i = 0; i < items_.size(); ++i)
      if (DWORD e = Transfer(items_[i], targets[i], move)) return e;
    return 0;
  }

  DWORD Transfer(const std::u16string& from, std::u16string to, bool move) {
    bool folder = move ? KindOf(from) == ItemKind::Folder : IsFolder(from);
    bool renameOnCollision = (flags_ & FOF_RENAMEONCOLLISION) != 0;
    if (SameItem(from, to)) {
      if (!renameOnCollision) return DE_SAMEFILE;
    } else if (folder && Below(to, from)) {
      return DE_DESTSUBTREE;
    }
    if (renameOnCollision && KindOf(to) != ItemKind::Missing) {
      std::u16string free = FreeName(to, folder);
      if (free.empty()) return ERROR_FILE_EXISTS;
      renamed_.emplace_back(to, free);
      to = std::move(free);
    }
    if (DWORD e = MakeFolders(ParentOf(to))) return e;
    return move ? MoveTree(from, to, policy_) : CopyTree(from, to, policy_);
  }

  DWORD Delete() {
    for (const std::u16string& item : items_) {
      DWORD e = (flags_ & FOF_ALLOWUNDO) ? MoveToTrash(item) : DeleteTree(item, policy_);
      if (e) return e;
    }
    return 0;
  }

  DWORD Rename() {
    std::vector<std::u16string> destinations = SplitList(op_.pTo);
    if (items_.size() != 1 || wildcards_) return DE_MANYSRC1DEST;
    if (destinations.size() != 1) return destinations.empty() ? DE_INVALIDFILES : DE_MANYDEST;
    const std::u16string& from = items_[0];
    std::u16string_view given = destinations[0];
    bool bare = given.find_first_of(u"\\/:") == std::u16string_view::npos;
    DWORD error = ERROR_INVALID_NAME;
    std::optional<std::u16string> to = FullPath(bare ? Join(ParentOf(from), given) : std::u16string(given), &error);
    if (!to) return error;
    if (!EqualsI16(ParentOf(*to), ParentOf(from))) return DE_DIFFDIR;
    if (KindOf(*to) != ItemKind::Missing && !SameItem(*to, from)) {
      if (!(flags_ & FOF_RENAMEONCOLLISION)) return ERROR_ALREADY_EXISTS;
      std::u16string free = FreeName(*to, KindOf(from) == ItemKind::Folder);
      if (free.empty()) return ERROR_FILE_EXISTS;
      renamed_.emplace_back(*to, free);
      *to = std::move(free);
    }
    if (MoveFileExW(from.c_str(), to->c_str(), 0)) return 0;
    DWORD e = GetLastError();
    return e ? e : ERROR_GEN_FAILURE;
  }

  // One block: the header, the records, then the texts they point at.
  LPVOID MakeMappings() const {
    size_t bytes = sizeof(SHNAMEMAPPINGHEADERW) + renamed_.size() * sizeof(SHNAMEMAPPINGW);
    for (const auto& [from, to] : renamed_) bytes += (from.size() + to.size() + 2) * sizeof(char16_t);
    auto* block = static_cast<char*>(std::calloc(1, bytes));
    if (!block) return nullptr;
    auto* header = reinterpret_cast<SHNAMEMAPPINGHEADERW*>(block);
    auto* records = reinterpret_cast<SHNAMEMAPPINGW*>(block + sizeof(SHNAMEMAPPINGHEADERW));
    auto* text = reinterpret_cast<char16_t*>(records + renamed_.size());
    header->cNumOfMappings = static_cast<UINT>(renamed_.size());
    header->lpNM = records;
    auto put = [&text](const std::u16string& s) {
      std::memcpy(text, s.c_str(), (s.size() + 1) * sizeof(char16_t));
      char16_t* at = text;
      text += s.size() + 1;
      return at;
    };
    for (size_t i = 0; i < renamed_.size(); ++i) {
      records[i].pszOldPath = put(renamed_[i].first);
      records[i].pszNewPath = put(renamed_[i].second);
      records[i].cchOldPath = static_cast<int>(renamed_[i].first.size());
      records[i].cchNewPath = static_cast<int>(renamed_[i].second.size());
    }
    return block;
  }

  SHFILEOPSTRUCTW& op_;
  FILEOP_FLAGS flags_;
  TreePolicy policy_;
  std::vector<std::u16string> items_;
  bool wildcards_ = false;
  std::vector<std::pair<std::u16string, std::u16string>> renamed_;
};

}  // namespace
}  // namespace kx2::shell

KX2_EXPORT int SHFileOperationW(LPSHFILEOPSTRUCTW lpFileOp) {
  if (!lpFileOp) return ERROR_INVALID_PARAMETER;
  try {
    lpFileOp->fAnyOperationsAborted = FALSE;
    lpFileOp->hNameMappings = nullptr;
    return static_cast<int>(kx2::shell::Operation(*lpFileOp).Run());
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

KX2_EXPORT void SHFreeNameMappings(HANDLE hNameMappings) { std::free(hNameMappings); }

// Moving deleted items to the freedesktop.org trash.
#include "shell/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "kx2/Win32Error.h"
#include "shell/FileTree.h"
#include "shell/ShellPaths.h"
#include "win/errors.h"
#include "win/shell.h"

namespace kx2::shell {
namespace {

std::optional<std::string> TrashFolder() {
  const char* data = getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return std::string(data) + "/Trash";
  const char* home = getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/share/Trash";
  return std::nullopt;
}

bool MakeFolders(const std::string& path) {
  for (size_t pos = path.find('/', 1);; pos = path.find('/', pos + 1)) {
    std::string at = path.substr(0, pos);
    if (mkdir(at.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (pos == std::string::npos) return true;
  }
}

// Paths in a trash record are URL-escaped, "/" kept.
std::string Escaped(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 std::string_view("/-_.!~*'()").find(static_cast<char>(c)) != std::string_view::npos;
    if (plain) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

// "name", then "name.2", "name.3" ... keeping the extension last ("a.2.txt").
std::string Numbered(const std::string& leaf, int n) {
  if (n == 1) return leaf;
  size_t dot = leaf.rfind('.');
  if (dot == std::string::npos || dot == 0) return leaf + "." + std::to_string(n);
  return leaf.substr(0, dot) + "." + std::to_string(n) + leaf.substr(dot);
}

bool WriteAll(int fd, const std::string& text) {
  for (size_t off = 0; off < text.size();) {
    ssize_t w = write(fd, text.data() + off, text.size() - off);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    off += static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

DWORD MoveToTrash(const std::u16string& full) {
  std::optional<std::string> trash = TrashFolder();
  DWORD error = ERROR_PATH_NOT_FOUND;
  std::optional<std::string> item = ToPosixPath(full, &error);
  if (!trash || !item) return error;
  std::string files = *trash + "/files", info = *trash + "/info";
  // The trash cannot take the folder it lies in.
  std::u16string trashFolder = ToWindowsPath(*trash);
  if (SameItem(trashFolder, full) || Below(trashFolder, full)) return DE_DESTSUBTREE;
  if (!MakeFolders(files) || !MakeFolders(info)) return Win32ErrorFromErrno(errno);

  time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  char when[32];
  strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &local);
  std::string record = "[Trash Info]\nPath=" + Escaped(*item) + "\nDeletionDate=" + when + "\n";

  std::string leaf = item->substr(item->find_last_of('/') + 1);
  for (int n = 1; n < 10000; ++n) {
    std::string name = Numbered(leaf, n);
    // The record is made first and exclusively: it reserves the name against other processes.
    std::string recordPath = info + "/" + name + ".trashinfo";
    int fd = open(recordPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return Win32ErrorFromErrno(errno);
    }
    struct stat st;
    std::string target = files + "/" + name;
    bool written = WriteAll(fd, record);
    close(fd);
    if (!written || lstat(target.c_str(), &st) == 0) {
      unlink(recordPath.c_str());
      if (!written) return ERROR_WRITE_FAULT;
      continue;
    }
    TreePolicy whole;
    whole.deleteReadOnly = true;
    DWORD moved = MoveTree(full, ToWindowsPath(target), whole);
    if (moved) unlink(recordPath.c_str());
    return moved;
  }
  return ERROR_FILE_EXISTS;
}

}  // namespace kx2::shell

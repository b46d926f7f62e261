#include "settings_file_lock.h"

#include <string_view>

#include <win/fileapi.h>

namespace Basalt::Registry {
namespace {

// The byte taken; the lock file itself stays empty.
constexpr DWORD kLockOffset = 0;

// The folder part of a path with its separator ("C:\a\"), or empty.
std::u16string FolderOf(const std::u16string& path) {
  const size_t cut = path.find_last_of(u"\\/");
  return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

}  // namespace

SettingsFileLock::SettingsFileLock(const std::u16string& file) {
  const std::u16string lockPath = file + u".lock";
  handle_ = CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) return;
  OVERLAPPED at = {};
  at.Offset = kLockOffset;
  held_ = LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) != 0;
}

SettingsFileLock::~SettingsFileLock() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  if (held_) {
    OVERLAPPED at = {};
    at.Offset = kLockOffset;
    UnlockFileEx(handle_, 0, 1, 0, &at);
  }
  CloseHandle(handle_);
}

void RemoveAbandonedSaves(const std::u16string& file) {
  const std::u16string folder = FolderOf(file);
  const std::u16string pattern = file + u".~*.tmp";
  WIN32_FIND_DATAW found = {};
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::u16string_view name(found.cFileName);
    // Only names of the form the saver gives: "<name>.~<hex>_<hex>.tmp".
    if (name.find(u'_') == std::u16string_view::npos) continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    DeleteFileW((folder + std::u16string(name)).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace Basalt::Registry

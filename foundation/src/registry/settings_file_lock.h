// Private: the lock that serialises saves of one settings file between processes.
#pragma once

#include <string>

#include <win/types.h>

namespace Basalt::Registry {

// Holds an exclusive lock on "<file>.lock" for its lifetime, waiting for it as long as
// another process or thread holds it. A holder that dies frees it. The lock lives in a
// file of its own because a save renames a new file over the settings file.
class SettingsFileLock {
 public:
  explicit SettingsFileLock(const std::u16string& file);
  ~SettingsFileLock();
  SettingsFileLock(const SettingsFileLock&) = delete;
  SettingsFileLock& operator=(const SettingsFileLock&) = delete;

  bool Held() const { return held_; }

 private:
  HANDLE handle_;
  bool held_ = false;
};

// Removes the temporary files that saves of `file` left behind ("<file>.~<pid>_<n>.tmp").
// Called under the file's lock: every save of the file runs under it, so such a file is
// what a save killed before its rename left.
void RemoveAbandonedSaves(const std::u16string& file);

}  // namespace Basalt::Registry

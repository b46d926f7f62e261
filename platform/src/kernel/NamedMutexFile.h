// Private: named mutexes seen by the other processes of the user. Each name has a lock
// file in the run folder (KX2_RUN_DIR, else $XDG_RUNTIME_DIR/kx2, else kx2-<uid> in the
// temporary folder); every process that holds the mutex open keeps a shared flock on it,
// which the system drops when the process dies. A process finds the mutex open elsewhere
// when it cannot take the file exclusively. One guard file serialises these checks.
#pragma once

#include <string>

namespace kx2 {

class NamedMutexFile {
 public:
  NamedMutexFile() = default;
  ~NamedMutexFile();
  NamedMutexFile(const NamedMutexFile&) = delete;
  NamedMutexFile& operator=(const NamedMutexFile&) = delete;

  enum class Found { Nowhere, Elsewhere, Failed };
  // Holds the name open from now on. `createIfNowhere` false: only when another process
  // holds it open (Nowhere then keeps nothing). Found tells whether another process did.
  Found Hold(std::u16string_view name, bool createIfNowhere);

 private:
  int fd_ = -1;
};

}  // namespace kx2

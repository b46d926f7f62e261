// Private: children the platform starts. A reaper thread collects each child's exit, so
// none is left a zombie; the process object it signals is what a process handle names.
#pragma once

#include <sys/types.h>

#include <memory>

#include "kx2/KernelObject.h"

namespace kx2::shell {

class ProcessObject : public KernelObject {
 public:
  explicit ProcessObject(pid_t pid) : pid_(pid) {}
  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return exited_; }
  pid_t Pid() const { return pid_; }
  // Under WaitLock().
  bool Exited() const { return exited_; }
  DWORD ExitCode() const { return exitCode_; }
  void SetExited(DWORD code) {
    exitCode_ = code;
    exited_ = true;
  }

 private:
  pid_t pid_;
  bool exited_ = false;
  DWORD exitCode_ = 0;
};

// Starts the reaper of a child; the returned object is signalled when the child ends.
std::shared_ptr<ProcessObject> WatchChild(pid_t pid);

}  // namespace kx2::shell

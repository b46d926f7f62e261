#include "shell/ChildProcess.h"

#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "win/kernel.h"
#include "win/shell_execute.h"

namespace kx2::shell {

std::shared_ptr<ProcessObject> WatchChild(pid_t pid) {
  auto process = std::make_shared<ProcessObject>(pid);
  std::thread([process] {
    int status = 0;
    pid_t got;
    while ((got = waitpid(process->Pid(), &status, 0)) < 0 && errno == EINTR) {}
    DWORD code = 1;
    if (got > 0) {
      if (WIFEXITED(status))
        code = static_cast<DWORD>(WEXITSTATUS(status));
      else if (WIFSIGNALED(status))
        code = 128u + static_cast<DWORD>(WTERMSIG(status));
    }
    {
      std::lock_guard<std::mutex> hold(WaitLock());
      process->SetExited(code);
    }
    NotifyWaiters();
  }).detach();
  return process;
}

}  // namespace kx2::shell

KX2_EXPORT BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  auto process = kx2::LookupHandleAs<kx2::shell::ProcessObject>(hProcess);
  if (!process || !lpExitCode) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> hold(kx2::WaitLock());
  *lpExitCode = process->Exited() ? process->ExitCode() : static_cast<DWORD>(STILL_ACTIVE);
  return TRUE;
}

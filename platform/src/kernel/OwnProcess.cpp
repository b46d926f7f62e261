// OpenProcess of the calling process.
#include "kernel/OwnProcess.h"

#include <memory>

#include "kx2/KernelObject.h"
#include "win/kernel.h"
#include "win/processthreads.h"

namespace kx2 {
namespace {

class OwnProcess : public KernelObject {};

}  // namespace

bool IsOwnProcessHandle(HANDLE handle) {
  return handle == GetCurrentProcess() || LookupHandleAs<OwnProcess>(handle) != nullptr;
}

}  // namespace kx2

KX2_EXPORT HANDLE OpenProcess(DWORD, BOOL, DWORD dwProcessId) {
  if (dwProcessId == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (dwProcessId != GetCurrentProcessId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  try {
    return kx2::InsertHandle(std::make_shared<kx2::OwnProcess>());
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

// Reads through the kernel's copy of this process's memory (process_vm_readv on itself),
// which reports a bad address as an error rather than a fault. Where that call is not
// allowed, a pipe does the same: write() of an unreadable buffer fails with EFAULT.
#include "kx2/MemoryProbe.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>

#include "win/kernel.h"

namespace {

bool ReadByKernel(const void* address, void* out, size_t size, bool* unsupported) {
  iovec local{out, size};
  iovec remote{const_cast<void*>(address), size};
  ssize_t n = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
  if (n < 0 && (errno == ENOSYS || errno == EPERM)) *unsupported = true;
  return n == static_cast<ssize_t>(size);
}

bool ReadByPipe(const void* address, void* out, size_t size) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  auto* to = static_cast<char*>(out);
  auto* from = static_cast<const char*>(address);
  bool ok = true;
  while (ok && size > 0) {
    size_t chunk = size < 4096 ? size : 4096;  // below the pipe's buffer: never blocks
    ssize_t w = write(fds[1], from, chunk);
    ok = w == static_cast<ssize_t>(chunk) && read(fds[0], to, chunk) == static_cast<ssize_t>(chunk);
    from += chunk;
    to += chunk;
    size -= chunk;
  }
  close(fds[0]);
  close(fds[1]);
  return ok;
}

}  // namespace

KX2_EXPORT BOOL Kx2ProbeRead(const void* address, void* out, SIZE_T size) {
  if (size == 0) return TRUE;
  if (!address || !out) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  static std::atomic<bool> kernelUnsupported{false};
  bool unsupported = false;
  bool ok = !kernelUnsupported && ReadByKernel(address, out, size, &unsupported);
  if (unsupported) kernelUnsupported = true;
  if (!ok && kernelUnsupported) ok = ReadByPipe(address, out, size);
  if (!ok) SetLastError(ERROR_NOACCESS);
  return ok ? TRUE : FALSE;
}

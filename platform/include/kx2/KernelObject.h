// The process's kernel handle table. Every HANDLE the platform gives out for a kernel
// object (thread, event, file, find search ...) names a KernelObject held here; closing
// the handle drops the table's reference, so a thread keeps its own object alive while
// it runs even after its handle is closed.
//
// Handle values are never reused, so a stale or forged HANDLE fails cleanly with
// ERROR_INVALID_HANDLE instead of reaching an unrelated object.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

#include "win/types.h"

namespace kx2 {

class KX2_API KernelObject {
 public:
  virtual ~KernelObject() = default;

  // Waitable kinds override these. Both are called with WaitLock() held.
  virtual bool IsWaitable() const { return false; }
  virtual bool IsSignaled() const { return false; }
  // Called when a wait is satisfied by this object (an auto-reset event resets here).
  virtual void OnWaitSatisfied() {}
};

KX2_API HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
KX2_API std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}
// Removes the handle; false when it names nothing.
KX2_API bool RemoveHandle(HANDLE handle);

// One lock and one condition guard the signal state of every waitable object, so that
// a wait on several objects sees one consistent picture. Whoever changes a signal
// state does so under WaitLock() and then calls NotifyWaiters().
KX2_API std::mutex& WaitLock();
KX2_API void NotifyWaiters();
KX2_API std::condition_variable& WaitCondition();

}  // namespace kx2

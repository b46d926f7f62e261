// The test hook on the steps of a commit (kx2/CompoundFileCommit.h).
#include <atomic>
#include <mutex>

#include "kx2/CompoundFileCommit.h"
#include "ole/storage_document.h"

namespace kx2::cfb {
namespace {

std::mutex g_hookLock;
Kx2CommitHook g_hook = nullptr;
void* g_context = nullptr;
std::atomic<bool> g_hooked{false};

}  // namespace

void ReportCommitStep(int step) {
  if (!g_hooked.load(std::memory_order_acquire)) return;
  Kx2CommitHook hook;
  void* context;
  {
    std::lock_guard<std::mutex> guard(g_hookLock);
    hook = g_hook;
    context = g_context;
  }
  if (hook) hook(static_cast<Kx2CommitStep>(step), context);
}

}  // namespace kx2::cfb

KX2_EXPORT void Kx2SetCommitHook(Kx2CommitHook hook, void* context) {
  std::lock_guard<std::mutex> guard(kx2::cfb::g_hookLock);
  kx2::cfb::g_hook = hook;
  kx2::cfb::g_context = context;
  kx2::cfb::g_hooked.store(hook != nullptr, std::memory_order_release);
}

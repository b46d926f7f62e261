#include <plastrum/Kx2Failure.h>

#include <atomic>

#include <basalt/error.h>

namespace {
// Module-wide; kept atomic only so that reading it from another thread is well defined.
std::atomic<intptr_t> gThrowMode{0};
}  // namespace

namespace Kx2 {

intptr_t GetThrowMode() { return gThrowMode.load(std::memory_order_relaxed); }

intptr_t SetThrowMode(intptr_t value) { return gThrowMode.exchange(value, std::memory_order_relaxed); }

void ThrowIfEnabled() {
  if (GetThrowMode()) throw static_cast<uint32_t>(Basalt::Error::BaseError::_GetError());
}

void Fail(uint32_t code) {
  Basalt::Error::BaseError::_SetError(code);
  ThrowIfEnabled();
}

}  // namespace Kx2

// The framework's failure convention. An operation that fails sets the calling thread's
// error code (Basalt::Error::BaseError) and returns its failure value (0, -1 or null).
// While the module-wide throw mode is set (non-null), ThrowIfEnabled() also throws the
// thread's current error code as an unsigned 32-bit exception value; that exception never
// leaves the shape library.
#pragma once

#include <cstdint>
#include <plastrum/Export.h>

namespace Kx2 {

PLASTRUM_API intptr_t GetThrowMode();
// Stores a new throw mode and returns the previous one.
PLASTRUM_API intptr_t SetThrowMode(intptr_t value);
// Throws the thread's error code (uint32_t) when the throw mode is set.
PLASTRUM_API void ThrowIfEnabled();

// Sets the thread error, then throws it when the throw mode is set.
PLASTRUM_API void Fail(uint32_t code);

// Restores the previous throw mode when it goes out of scope.
class PLASTRUM_API ScopedThrowMode {
 public:
  explicit ScopedThrowMode(intptr_t value) : previous_(SetThrowMode(value)) {}
  ~ScopedThrowMode() { SetThrowMode(previous_); }
  ScopedThrowMode(const ScopedThrowMode&) = delete;
  ScopedThrowMode& operator=(const ScopedThrowMode&) = delete;

 private:
  intptr_t previous_;
};

}  // namespace Kx2

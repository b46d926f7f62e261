// Exported members of the XML object model must not let an exception out of the library:
// a failed allocation becomes the out-of-memory code in the caller's error record and the
// member's failure result.
#pragma once

#include <new>
#include <utility>

#include <basalt/error.h>

namespace Basalt::XMLDom {

template <class R, class F>
R Guard(R failure, F&& body) noexcept {
  try {
    return std::forward<F>(body)();
  } catch (...) {
    Error::BaseError::_SetError(Error::kErrorOutOfMemory);
    return failure;
  }
}

template <class F>
void GuardVoid(F&& body) noexcept {
  try {
    std::forward<F>(body)();
  } catch (...) {
    Error::BaseError::_SetError(Error::kErrorOutOfMemory);
  }
}

}  // namespace Basalt::XMLDom

// The one boundary every exported C and COM entry runs inside. Nothing thrown inside a
// module may cross into its caller (who may be C, another compiler's code, or a loop that
// does not expect it): running out of memory becomes the out-of-memory result, anything
// else the internal-error result, and the calling thread's last error says which.
//
//   BOOL WINAPI Something(...) { return kx2::Guard(FALSE, [&] { ...; return TRUE; }); }
//   HRESULT Method(...) override { return kx2::GuardCom([&] { ...; return S_OK; }); }
#pragma once

#include <new>
#include <type_traits>

#include "win/errors.h"
#include "win/kernel.h"

#ifndef ERROR_INTERNAL_ERROR
#define ERROR_INTERNAL_ERROR 1359L
#endif

namespace kx2 {

// Sets the last error for the exception being handled; call only inside a catch block.
inline void RecordCurrentException() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (...) {
    SetLastError(ERROR_INTERNAL_ERROR);
  }
}

// The COM result for the exception being handled: E_OUTOFMEMORY or E_UNEXPECTED, with the
// last error set as RecordCurrentException sets it; call only inside a catch block.
inline HRESULT RecordCurrentComException() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return E_OUTOFMEMORY;
  } catch (...) {
    SetLastError(ERROR_INTERNAL_ERROR);
    return E_UNEXPECTED;
  }
}

// Runs body; on any exception records it and answers `failure`. For void bodies pass no
// failure value: Guard([&] { ... }).
template <class Result, class Body>
Result Guard(Result failure, Body&& body) noexcept {
  try {
    return static_cast<Result>(body());
  } catch (...) {
    RecordCurrentException();
    return failure;
  }
}

template <class Body>
void Guard(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
    RecordCurrentException();
  }
}

// The COM form: E_OUTOFMEMORY or E_UNEXPECTED, with the last error set as above.
template <class Body>
HRESULT GuardCom(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return RecordCurrentComException();
  }
}

}  // namespace kx2

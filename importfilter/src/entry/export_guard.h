// How every export of the plug-in runs: under the plug-in's MFC module state (put back on
// every way out), and without letting anything thrown inside leave the plug-in: the export
// then answers 0 (or nothing) and the cause stays in the calling thread's error record.
#pragma once

#include <new>
#include <type_traits>

#include <basalt/error.h>
#include <foliant/kx2_app.h>
#include <kx2/ErrorBoundary.h>

namespace foliant {

// Records the exception being handled: a framework exception as the error text, a code an
// importer raised (already in the record) as that code, running out of memory as code 2,
// anything else as code 16 unless a code is already set. The last error says the same as
// every other export's boundary (kx2/ErrorBoundary.h): out of memory or internal error.
inline void RecordExportFailure() {
  using Basalt::Error::BaseError;
  try {
    throw;
  } catch (CException* e) {
    ExceptionToErrorText(e);
  } catch (uint32_t code) {
    if (BaseError::_GetError() != code) BaseError::_SetError(code);
  } catch (const std::bad_alloc&) {
    kx2::RecordCurrentException();
    BaseError::_SetError(Basalt::Error::kErrorOutOfMemory);
  } catch (...) {
    kx2::RecordCurrentException();
    if (BaseError::_GetError() == 0) BaseError::_SetError(Basalt::Error::kErrorXmlParse);
  }
}

template <class Body>
auto RunExport(AFX_MODULE_STATE* state, bool started, Body body) {
  using Result = decltype(body());
  AFX_MANAGE_STATE(state);
  try {
    if (started) return body();
  } catch (...) {
    RecordExportFailure();
  }
  if constexpr (!std::is_void_v<Result>) return Result{};
}

}  // namespace foliant

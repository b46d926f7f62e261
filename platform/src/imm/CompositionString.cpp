// ImmGetCompositionStringW: the composition and result as Win32 hands them out — sizes in
// bytes, no terminator, whole elements only when the buffer is short.
#include <cstring>

#include "imm/Context.h"
#include "kx2/ErrorBoundary.h"

namespace kx2::imm {
namespace {

// Copies whole elements of `size` bytes that fit; dwBufLen 0 asks the size.
template <typename T>
LONG CopyOut(const T* data, size_t count, void* buffer, DWORD length) {
  const size_t bytes = count * sizeof(T);
  if (bytes > 0x7FFFFFFF) return IMM_ERROR_GENERAL;
  if (length == 0) return static_cast<LONG>(bytes);
  const size_t fit = std::min<size_t>(count, length / sizeof(T));
  if (fit) std::memcpy(buffer, data, fit * sizeof(T));
  return static_cast<LONG>(fit * sizeof(T));
}

LONG CopyText(const std::u16string& text, void* buffer, DWORD length) {
  return CopyOut(text.data(), text.size(), buffer, length);
}

}  // namespace
}  // namespace kx2::imm

using namespace kx2::imm;

KX2_EXPORT LONG ImmGetCompositionStringW(HIMC hIMC, DWORD dwIndex, LPVOID lpBuf, DWORD dwBufLen) {
  return kx2::Guard(LONG{IMM_ERROR_GENERAL}, [&]() -> LONG {
    std::lock_guard<std::mutex> guard(Lock());
    const Context* context = FindContext(hIMC);
    if (!context) return IMM_ERROR_GENERAL;
    // A buffer length above LONG's range cannot be answered in its bytes; a length without
    // a buffer has nowhere to go.
    if (dwBufLen > 0x7FFFFFFF || (dwBufLen && !lpBuf)) return IMM_ERROR_GENERAL;
    if (TakeForcedFailure()) return IMM_ERROR_GENERAL;
    const Composition& c = context->composition;
    const Result& r = context->result;
    switch (dwIndex) {
      case GCS_COMPSTR:
        return CopyText(c.text, lpBuf, dwBufLen);
      case GCS_COMPATTR:
        return CopyOut(c.attributes.data(), c.attributes.size(), lpBuf, dwBufLen);
      case GCS_COMPCLAUSE:
        return CopyOut(c.clauses.data(), c.clauses.size(), lpBuf, dwBufLen);
      case GCS_COMPREADSTR:
        return c.hasReading ? CopyText(c.reading, lpBuf, dwBufLen) : IMM_ERROR_NODATA;
      case GCS_COMPREADATTR:
        return c.hasReading ? CopyOut(c.readingAttributes.data(), c.readingAttributes.size(), lpBuf, dwBufLen)
                            : IMM_ERROR_NODATA;
      case GCS_COMPREADCLAUSE:
        return c.hasReading ? CopyOut(c.readingClauses.data(), c.readingClauses.size(), lpBuf, dwBufLen)
                            : IMM_ERROR_NODATA;
      case GCS_CURSORPOS:
        return c.cursor;
      case GCS_DELTASTART:
        return c.deltaStart;
      case GCS_RESULTSTR:
        return CopyText(r.text, lpBuf, dwBufLen);
      case GCS_RESULTCLAUSE:
        return CopyOut(r.clauses.data(), r.clauses.size(), lpBuf, dwBufLen);
      case GCS_RESULTREADSTR:
        return r.hasReading ? CopyText(r.reading, lpBuf, dwBufLen) : IMM_ERROR_NODATA;
      case GCS_RESULTREADCLAUSE:
        return r.hasReading ? CopyOut(r.readingClauses.data(), r.readingClauses.size(), lpBuf, dwBufLen)
                            : IMM_ERROR_NODATA;
      default:
        return IMM_ERROR_GENERAL;
    }
  });
}

// Windows metafiles: none are ever made here (see win/gdi.h).
#include "win/gdi.h"
#include "win/kernel.h"

KX2_EXPORT HMETAFILE CopyMetaFileW(HMETAFILE, LPCWSTR) {
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

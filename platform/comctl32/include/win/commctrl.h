// The common controls library (libKx2ComCtl32.so): its version for now.
#pragma once

#include "win/types.h"

struct DLLVERSIONINFO {
  DWORD cbSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformID;
};
static_assert(sizeof(DLLVERSIONINFO) == 20, "Win32 layout");
#define DLLVER_PLATFORM_WINDOWS 0x00000001
#define DLLVER_PLATFORM_NT 0x00000002

// 6.10 unless KX2_COMCTL_VERSION names another ("5.82", "6"), read once per process.
// E_INVALIDARG for a null record or a cbSize below 20.
KX2_EXPORT HRESULT DllGetVersion(DLLVERSIONINFO* pdvi);

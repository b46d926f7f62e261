// Module snapshots (ToolHelp) of the calling process, over the same module list as
// EnumProcessModules: the program first, then every library in load order.
#pragma once

#include "win/types.h"

#define TH32CS_SNAPMODULE 0x00000008
#define TH32CS_SNAPMODULE32 0x00000010
#define MAX_MODULE_NAME32 255

// An entry carries pointers, so its size is this build's, not the 32-bit system's 1064.
struct MODULEENTRY32W {
  DWORD dwSize;  // set by the caller to sizeof(MODULEENTRY32W)
  DWORD th32ModuleID;
  DWORD th32ProcessID;
  DWORD GlblcntUsage;
  DWORD ProccntUsage;
  BYTE* modBaseAddr;
  DWORD modBaseSize;
  HMODULE hModule;
  WCHAR szModule[MAX_MODULE_NAME32 + 1];
  WCHAR szExePath[MAX_PATH];
};
typedef MODULEENTRY32W* LPMODULEENTRY32W;

// Only TH32CS_SNAPMODULE of this process (identifier 0 or its own) is taken; anything
// else fails with ERROR_INVALID_PARAMETER or ERROR_ACCESS_DENIED and gives
// INVALID_HANDLE_VALUE. The snapshot is closed with CloseHandle.
KX2_EXPORT HANDLE CreateToolhelp32Snapshot(DWORD dwFlags, DWORD th32ProcessID);
// ERROR_NO_MORE_FILES past the last module; ERROR_BAD_LENGTH for a wrong dwSize.
KX2_EXPORT BOOL Module32FirstW(HANDLE hSnapshot, LPMODULEENTRY32W lpme);
KX2_EXPORT BOOL Module32NextW(HANDLE hSnapshot, LPMODULEENTRY32W lpme);

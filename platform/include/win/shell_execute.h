// ShellExecuteExW and the process handle it can give. "open" on a .exe that is executable
// here starts the program itself (its parameters split by the Windows rules, one argument
// each); anything else goes to the desktop's opener as ShellExecuteW does. Every child is
// reaped, whether or not its handle is kept.
#pragma once

#include "win/shell.h"
#include "win/types.h"

#define SEE_MASK_DEFAULT 0x00000000
#define SEE_MASK_NOCLOSEPROCESS 0x00000040
#define SEE_MASK_FLAG_NO_UI 0x00000400
#define SEE_MASK_NOASYNC 0x00000100

struct SHELLEXECUTEINFOW {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCWSTR lpVerb;
  LPCWSTR lpFile;
  LPCWSTR lpParameters;
  LPCWSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  void* lpIDList;
  LPCWSTR lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  HANDLE hIconOrMonitor;
  HANDLE hProcess;
};
typedef SHELLEXECUTEINFOW* LPSHELLEXECUTEINFOW;

// TRUE when started. With SEE_MASK_NOCLOSEPROCESS and a program started here, hProcess is
// a handle to wait on (WaitForSingleObject) and to read the exit code from; close it
// with CloseHandle. hInstApp holds the ShellExecuteW-style result (above 32 on success).
KX2_EXPORT BOOL ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo);

// STILL_ACTIVE while the process runs; then its exit status (128 + the signal's number
// when a signal ended it).
KX2_EXPORT BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);

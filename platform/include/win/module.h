// Modules: shared libraries and the program, loaded and looked up by Windows path.
//
// An HMODULE is a record of ours for one loaded library, the main program, or a file
// loaded as data (LOAD_LIBRARY_AS_DATAFILE) to read its resources. Libraries are loaded
// with dlopen; a Windows path is mapped to the file system first (see kx2/PathMap.h). A
// bare name ("TqFoliant.afd") is looked for among the loaded modules, then in the folder
// of the main program, then where dlopen searches; "Name.dll" also finds "libName.so".
// The names of Windows system libraries ("kernel32.dll", "shell32.dll", "gdi32.dll" ...)
// stand for the platform library itself, so a function looked up in them by name is
// ours when we provide it. "user32" and "comctl32" are libraries of their own beside the
// platform library (libKx2User32.so, libKx2ComCtl32.so), loaded on first use and never
// unloaded, so that code can tell system window procedures by the module they lie in;
// GetProcAddress on them also finds the platform's exports. "ntdll" names no module.
//
// A module's resources: a resource container (kx2/ResourceContainer.h) is either the
// file itself (language modules such as "BasaltRes.ENU", loaded as data) or, for a
// library or program, the file beside it with the same name and the extension ".rsrc"
// ("libVantorelApp.so" -> "libVantorelApp.rsrc").
//
// Ordinals: a library declares the ordinals of its exports with KX2_EXPORT_ORDINALS
// (kx2/Module.h); GetProcAddress(module, MAKEINTRESOURCEA(n)) resolves them through it.
#pragma once

#include "win/errors.h"
#include "win/types.h"

#define DONT_RESOLVE_DLL_REFERENCES 0x00000001
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008
#define LOAD_IGNORE_CODE_AUTHZ_LEVEL 0x00000010
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020
#define LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE 0x00000040
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#define LOAD_LIBRARY_SEARCH_APPLICATION_DIR 0x00000200
#define LOAD_LIBRARY_SEARCH_USER_DIRS 0x00000400
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#define LOAD_LIBRARY_SEARCH_DEFAULT_DIRS 0x00001000

#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x00000001
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))

// Loading. Failures set ERROR_MOD_NOT_FOUND (no such file), ERROR_BAD_EXE_FORMAT (not a
// library, or a corrupt resource container) or ERROR_INVALID_PARAMETER.
KX2_EXPORT HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
KX2_EXPORT HMODULE LoadLibraryA(LPCSTR lpLibFileName);
KX2_EXPORT HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
KX2_EXPORT HMODULE LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
// Each load is undone by one FreeLibrary; the module goes with the last.
KX2_EXPORT BOOL FreeLibrary(HMODULE hLibModule);

// By name, or by ordinal (MAKEINTRESOURCEA(n)); only the module's own exports count, not
// those of the libraries it uses. ERROR_PROC_NOT_FOUND when absent.
KX2_EXPORT FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

// The module's file in Windows form ("Z:\home\me\bin\libBasalt.so"); null = the program.
// Returns the length copied; a short buffer gets a truncated, terminated path, the
// return value nSize and ERROR_INSUFFICIENT_BUFFER.
KX2_EXPORT DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
KX2_EXPORT DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// null = the main program; otherwise a loaded module by file name (with or without its
// folder). Does not load anything and does not count a reference.
KX2_EXPORT HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
KX2_EXPORT HMODULE GetModuleHandleA(LPCSTR lpModuleName);
// GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS: lpModuleName is an address inside the module
// (a library's own handle from a function or variable of its own).
KX2_EXPORT BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule);

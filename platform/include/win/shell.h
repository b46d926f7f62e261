// Shell folders: the user's and the machine's special folders, from the XDG folders.
//
// Each folder may be set by an environment variable of its own (KX2_APPDATA,
// KX2_LOCAL_APPDATA, KX2_COMMON_APPDATA, KX2_PERSONAL, KX2_DESKTOP, KX2_PROGRAM_FILES,
// KX2_FONTS, KX2_COMMON_DOCUMENTS); otherwise it follows the XDG variables and their
// documented defaults under $HOME (CSIDL_WINDOWS and CSIDL_SYSTEM are the folders
// GetWindowsDirectoryW and GetSystemDirectoryW give). Folders are returned in Windows form
// ("Z:\home\me\.config"). The registry's "Shell Folders" values ("AppData",
// "Local AppData", "Personal" ... under the user's key, "Common AppData" under the
// machine's) are filled from the same folders when a hive is first opened.
#pragma once

#include "win/errors.h"
#include "win/types.h"

#define CSIDL_DESKTOP 0x0000
#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYDOCUMENTS CSIDL_PERSONAL
#define CSIDL_MYMUSIC 0x000d
#define CSIDL_MYVIDEO 0x000e
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_FONTS 0x0014
#define CSIDL_TEMPLATES 0x0015
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_INTERNET_CACHE 0x0020
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROGRAM_FILES 0x0026
#define CSIDL_MYPICTURES 0x0027
#define CSIDL_PROFILE 0x0028
#define CSIDL_SYSTEMX86 0x0029
#define CSIDL_PROGRAM_FILESX86 0x002a
#define CSIDL_PROGRAM_FILES_COMMON 0x002b
#define CSIDL_PROGRAM_FILES_COMMONX86 0x002c
#define CSIDL_COMMON_DOCUMENTS 0x002e

#define CSIDL_FLAG_DONT_VERIFY 0x4000
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_MASK 0xFF00

#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

// Fills pszPath (MAX_PATH characters) with the folder. S_OK; E_INVALIDARG for an
// unknown folder or a null buffer; E_FAIL when the folder does not exist and neither
// CSIDL_FLAG_CREATE nor CSIDL_FLAG_DONT_VERIFY is given (pszPath is then empty); with
// CSIDL_FLAG_CREATE the folder and its parents are made.
KX2_EXPORT HRESULT SHGetFolderPathW(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPWSTR pszPath);
// TRUE with the folder in pszPath (MAX_PATH characters); fCreate makes it when missing.
KX2_EXPORT BOOL SHGetSpecialFolderPathW(HWND hwndOwner, LPWSTR lpszPath, int csidl, BOOL fCreate);

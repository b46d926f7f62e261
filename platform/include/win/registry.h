// The registry: keys and typed values in hives that several processes share.
//
// Each hive is a SQLite database in the folder KX2_REGISTRY (default
// $XDG_CONFIG_HOME/kx2/registry): "HKCU.db" for HKEY_CURRENT_USER, "HKLM.db" for
// HKEY_LOCAL_MACHINE, "HKU.db" for HKEY_USERS. HKEY_CLASSES_ROOT is the machine's
// "SOFTWARE\Classes" key. Every call is one transaction; calls that read and then write
// take the write lock first, so two processes never interleave inside one call.
//
// Key and value names compare without regard to case and keep the case they were
// created with. Value data keep their exact bytes, length and type: a string stored
// without its terminator comes back without it. Results are Win32 error codes
// (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ERROR_MORE_DATA ...); the calls do not touch the
// thread's last error.
#pragma once

#include "win/errors.h"
#include "win/types.h"

#ifndef ERROR_REGISTRY_IO_FAILED
#define ERROR_REGISTRY_IO_FAILED 1016L
#endif
#ifndef ERROR_BADKEY
#define ERROR_BADKEY 1010L
#endif

// Predefined roots: sign-extended 32-bit values, as on 64-bit Windows.
#define KX2_PREDEFINED_HKEY(v) \
  (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(v)))))
#define HKEY_CLASSES_ROOT KX2_PREDEFINED_HKEY(0x80000000)
#define HKEY_CURRENT_USER KX2_PREDEFINED_HKEY(0x80000001)
#define HKEY_LOCAL_MACHINE KX2_PREDEFINED_HKEY(0x80000002)
#define HKEY_USERS KX2_PREDEFINED_HKEY(0x80000003)

// Value types.
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11
#define REG_QWORD_LITTLE_ENDIAN 11

// Access rights. Writing (values, new sub-keys, deletion) needs the matching right on the
// handle; reading is always allowed.
#ifndef DELETE
#define DELETE 0x00010000
#endif
#ifndef READ_CONTROL
#define READ_CONTROL 0x00020000
#endif
#ifndef SYNCHRONIZE
#define SYNCHRONIZE 0x00100000L
#endif
#ifndef STANDARD_RIGHTS_READ
#define STANDARD_RIGHTS_READ READ_CONTROL
#endif
#ifndef STANDARD_RIGHTS_WRITE
#define STANDARD_RIGHTS_WRITE READ_CONTROL
#endif
#ifndef STANDARD_RIGHTS_ALL
#define STANDARD_RIGHTS_ALL 0x001F0000L
#endif
#ifndef MAXIMUM_ALLOWED
#define MAXIMUM_ALLOWED 0x02000000L
#endif
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ ((STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY) & ~SYNCHRONIZE)
#define KEY_WRITE ((STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) & ~SYNCHRONIZE)
#define KEY_EXECUTE (KEY_READ & ~SYNCHRONIZE)
#define KEY_ALL_ACCESS                                                                                                 \
  ((STANDARD_RIGHTS_ALL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | \
    KEY_CREATE_LINK) &                                                                                                 \
   ~SYNCHRONIZE)

// RegCreateKeyExW options and dispositions. Volatile keys are kept like any other.
#define REG_OPTION_RESERVED 0x00000000L
#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_OPTION_VOLATILE 0x00000001L
#define REG_OPTION_CREATE_LINK 0x00000002L
#define REG_OPTION_BACKUP_RESTORE 0x00000004L
#define REG_OPTION_OPEN_LINK 0x00000008L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

// Security descriptors are not kept; the attributes are accepted and ignored.
struct SECURITY_ATTRIBUTES;

// ---- Keys ------------------------------------------------------------------------
KX2_EXPORT LONG RegOpenKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult);
KX2_EXPORT LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
KX2_EXPORT LONG RegCreateKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult);
KX2_EXPORT LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                                REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                                LPDWORD lpdwDisposition);
KX2_EXPORT LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);
KX2_EXPORT LONG RegCloseKey(HKEY hKey);
KX2_EXPORT LONG RegFlushKey(HKEY hKey);
KX2_EXPORT LONG RegEnumKeyW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, DWORD cchName);
KX2_EXPORT LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                              LPWSTR lpClass, LPDWORD lpcchClass, FILETIME* lpftLastWriteTime);
KX2_EXPORT LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                                 LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                 LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                                 FILETIME* lpftLastWriteTime);
// Writes the key and everything below it to a new file (a registry database of our own
// format); fails with ERROR_ALREADY_EXISTS when the file exists.
KX2_EXPORT LONG RegSaveKeyW(HKEY hKey, LPCWSTR lpFile, const SECURITY_ATTRIBUTES* lpSecurityAttributes);

// ---- Values ----------------------------------------------------------------------
KX2_EXPORT LONG RegQueryValueW(HKEY hKey, LPCWSTR lpSubKey, LPWSTR lpData, PLONG lpcbData);
KX2_EXPORT LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                 LPDWORD lpcbData);
KX2_EXPORT LONG RegSetValueW(HKEY hKey, LPCWSTR lpSubKey, DWORD dwType, LPCWSTR lpData, DWORD cbData);
KX2_EXPORT LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                               DWORD cbData);
KX2_EXPORT LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);
KX2_EXPORT LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                              LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

// ---- ANSI forms: names and string data in the ANSI code page ---------------------
KX2_EXPORT LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
KX2_EXPORT LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
KX2_EXPORT LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
KX2_EXPORT LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                                REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                                LPDWORD lpdwDisposition);
KX2_EXPORT LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
KX2_EXPORT LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName);
KX2_EXPORT LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                              LPSTR lpClass, LPDWORD lpcchClass, FILETIME* lpftLastWriteTime);
KX2_EXPORT LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                                 LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                                 LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                                 FILETIME* lpftLastWriteTime);
KX2_EXPORT LONG RegSaveKeyA(HKEY hKey, LPCSTR lpFile, const SECURITY_ATTRIBUTES* lpSecurityAttributes);
KX2_EXPORT LONG RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData);
KX2_EXPORT LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                 LPDWORD lpcbData);
KX2_EXPORT LONG RegSetValueA(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD cbData);
KX2_EXPORT LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                               DWORD cbData);
KX2_EXPORT LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
KX2_EXPORT LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                              LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

// The wide C runtime on char16_t, with the Microsoft C runtime's semantics.
//
// Naming: the functions keep their Microsoft names and live in the global namespace as
// overloads on char16_t. glibc's functions of the same names (wcslen, wcstol, iswspace,
// towlower ...) take wchar_t, which is 32-bit and locale-bound here, so a call with
// char16_t text always picks ours; nothing of glibc's wide family is used underneath.
// The character-class functions also have an int overload so that a call with a plain
// integer is not ambiguous.
//
// Character classes (isw*) and case mapping (tow*, _wcsicmp, _wcslwr ...) come from one
// table that covers every UTF-16 code unit, derived from the Unicode character database:
//   upper   Lu               lower   Ll              alpha  Lu Ll Lt Lm Lo
//   digit   Nd               xdigit  0-9 A-F a-f     space  Zs Zl Zp and U+0009-U+000D
//   punct   Pc Pd Ps Pe Pi Pf Po Sm Sc Sk So         cntrl  Cc        blank Zs and U+0009
// Case mapping is Unicode's simple one-to-one mapping; mappings that would leave the
// Basic Multilingual Plane leave the unit unchanged. Surrogates belong to no class.
// The table does not change with the locale.
//
// Locale: _wsetlocale keeps this layer's own locale names (it never calls setlocale, so
// the process's decimal point is never changed). Numbers are always read and written
// with "." (_wtof, wcstod, %f ...), whatever locale is set: the system's files rely on it.
//
// Streams: _wfopen and friends give ordinary FILE* streams. Text mode ("t", or no "b") is
// binary here: no CR-LF translation. Files opened by _wfopen and _wfsopen take part in
// the platform's share-mode checks like CreateFileW handles do.
//
// Formatting (_snwprintf and the swprintf family): %s and %c take wide text and %S and %C
// narrow text (converted from the ANSI code page), unless h or l/w say otherwise; l is
// 32-bit; ll, I64 and q are 64-bit; I, z, t and j are pointer-sized; %p prints 16
// upper-case hex digits; a null %s prints "(null)"; %n is refused (ignored), as the
// Microsoft runtime refuses it by default.
#pragma once

#include <sys/stat.h>  // defines st_atime as st_atim.tv_sec; our structs follow suit

#include <clocale>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
// The standard string conversions (std::stol over ::wcstol ...) take the address of the
// C library's wide functions; they must be defined before the char16_t overloads below
// join those names, or the address becomes ambiguous.
#include <cwchar>
#include <string>

#include "win/types.h"

typedef int errno_t;
typedef uint32_t _fsize_t;
typedef uint32_t _dev_t;
typedef uint16_t _ino_t;
typedef int32_t _off_t;
// The Microsoft runtime's 64-bit time type (glibc only knows the name inside itself).
#ifndef __time64_t
typedef int64_t __time64_t;
#endif
static_assert(sizeof(__time64_t) == 8, "__time64_t is 64-bit");

#define _MAX_PATH 260
#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256
#define _TRUNCATE (static_cast<size_t>(-1))
#define STRUNCATE 80

// ---- Strings -----------------------------------------------------------------------
KX2_API size_t wcslen(const char16_t* s);
KX2_API size_t wcsnlen(const char16_t* s, size_t max);
KX2_API char16_t* wcscpy(char16_t* dst, const char16_t* src);
// Pads with zeros up to count and writes no terminator when src is count or longer.
KX2_API char16_t* wcsncpy(char16_t* dst, const char16_t* src, size_t count);
KX2_API char16_t* wcscat(char16_t* dst, const char16_t* src);
KX2_API char16_t* wcsncat(char16_t* dst, const char16_t* src, size_t count);
KX2_API int wcscmp(const char16_t* a, const char16_t* b);
KX2_API int wcsncmp(const char16_t* a, const char16_t* b, size_t count);
KX2_API int wcscoll(const char16_t* a, const char16_t* b);
KX2_API int _wcsicmp(const char16_t* a, const char16_t* b);
KX2_API int _wcsnicmp(const char16_t* a, const char16_t* b, size_t count);
KX2_API int _wcsicoll(const char16_t* a, const char16_t* b);
KX2_API const char16_t* wcschr(const char16_t* s, char16_t c);
KX2_API char16_t* wcschr(char16_t* s, char16_t c);
KX2_API const char16_t* wcsrchr(const char16_t* s, char16_t c);
KX2_API char16_t* wcsrchr(char16_t* s, char16_t c);
KX2_API const char16_t* wcsstr(const char16_t* s, const char16_t* find);
KX2_API char16_t* wcsstr(char16_t* s, const char16_t* find);
KX2_API const char16_t* wcspbrk(const char16_t* s, const char16_t* set);
KX2_API char16_t* wcspbrk(char16_t* s, const char16_t* set);
KX2_API size_t wcsspn(const char16_t* s, const char16_t* set);
KX2_API size_t wcscspn(const char16_t* s, const char16_t* set);
// The two-argument form keeps its position per thread, as the Microsoft runtime does.
KX2_API char16_t* wcstok(char16_t* s, const char16_t* delimiters);
KX2_API char16_t* wcstok(char16_t* s, const char16_t* delimiters, char16_t** context);
KX2_API char16_t* wcstok_s(char16_t* s, const char16_t* delimiters, char16_t** context);
KX2_API char16_t* _wcslwr(char16_t* s);
KX2_API char16_t* _wcsupr(char16_t* s);
KX2_API errno_t _wcslwr_s(char16_t* s, size_t size);
KX2_API errno_t _wcsupr_s(char16_t* s, size_t size);
KX2_API char16_t* _wcsrev(char16_t* s);
KX2_API char16_t* _wcsset(char16_t* s, char16_t c);
KX2_API char16_t* _wcsnset(char16_t* s, char16_t c, size_t count);
// Allocated with malloc; free with free.
KX2_API char16_t* _wcsdup(const char16_t* s);
// The _s forms: EINVAL for null arguments, ERANGE (and an empty dst) when it does not fit;
// wcsncpy_s and wcsncat_s with count _TRUNCATE cut and return STRUNCATE.
KX2_API errno_t wcscpy_s(char16_t* dst, size_t size, const char16_t* src);
KX2_API errno_t wcsncpy_s(char16_t* dst, size_t size, const char16_t* src, size_t count);
KX2_API errno_t wcscat_s(char16_t* dst, size_t size, const char16_t* src);
KX2_API errno_t wcsncat_s(char16_t* dst, size_t size, const char16_t* src, size_t count);
KX2_API char16_t* wmemcpy(char16_t* dst, const char16_t* src, size_t count);
KX2_API char16_t* wmemmove(char16_t* dst, const char16_t* src, size_t count);
KX2_API char16_t* wmemset(char16_t* dst, char16_t c, size_t count);
KX2_API int wmemcmp(const char16_t* a, const char16_t* b, size_t count);
KX2_API const char16_t* wmemchr(const char16_t* s, char16_t c, size_t count);
KX2_API char16_t* wmemchr(char16_t* s, char16_t c, size_t count);

// ---- Character classes and case ---------------------------------------------------
KX2_API int iswspace(char16_t c);
KX2_API int iswdigit(char16_t c);
KX2_API int iswalpha(char16_t c);
KX2_API int iswalnum(char16_t c);
KX2_API int iswupper(char16_t c);
KX2_API int iswlower(char16_t c);
KX2_API int iswxdigit(char16_t c);
KX2_API int iswpunct(char16_t c);
KX2_API int iswcntrl(char16_t c);
KX2_API int iswprint(char16_t c);
KX2_API int iswgraph(char16_t c);
KX2_API int iswblank(char16_t c);
KX2_API int iswascii(char16_t c);
KX2_API char16_t towlower(char16_t c);
KX2_API char16_t towupper(char16_t c);
KX2_API int iswspace(int c);
KX2_API int iswdigit(int c);
KX2_API int iswalpha(int c);
KX2_API int iswalnum(int c);
KX2_API int iswupper(int c);
KX2_API int iswlower(int c);
KX2_API int iswxdigit(int c);
KX2_API int iswpunct(int c);
KX2_API int iswcntrl(int c);
KX2_API int iswprint(int c);
KX2_API int iswgraph(int c);
KX2_API int iswblank(int c);
KX2_API int towlower(int c);
KX2_API int towupper(int c);

// ---- Numbers -----------------------------------------------------------------------
// Leading white space, an optional sign, then digits; out-of-range values are clamped
// (errno ERANGE), as the Microsoft runtime's strtol family does. long is 32-bit (LONG).
KX2_API int _wtoi(const char16_t* s);
KX2_API LONG _wtol(const char16_t* s);
KX2_API int64_t _wtoi64(const char16_t* s);
KX2_API double _wtof(const char16_t* s);
KX2_API LONG wcstol(const char16_t* s, char16_t** end, int base);
KX2_API ULONG wcstoul(const char16_t* s, char16_t** end, int base);
KX2_API int64_t wcstoll(const char16_t* s, char16_t** end, int base);
KX2_API uint64_t wcstoull(const char16_t* s, char16_t** end, int base);
KX2_API int64_t _wcstoi64(const char16_t* s, char16_t** end, int base);
KX2_API uint64_t _wcstoui64(const char16_t* s, char16_t** end, int base);
KX2_API double wcstod(const char16_t* s, char16_t** end);
KX2_API float wcstof(const char16_t* s, char16_t** end);
// Digits in lower case; a minus sign only for negative values in base 10.
KX2_API char16_t* _itow(int value, char16_t* buffer, int radix);
KX2_API char16_t* _ltow(LONG value, char16_t* buffer, int radix);
KX2_API char16_t* _ultow(ULONG value, char16_t* buffer, int radix);
KX2_API char16_t* _i64tow(int64_t value, char16_t* buffer, int radix);
KX2_API char16_t* _ui64tow(uint64_t value, char16_t* buffer, int radix);
KX2_API errno_t _itow_s(int value, char16_t* buffer, size_t size, int radix);
KX2_API errno_t _ltow_s(LONG value, char16_t* buffer, size_t size, int radix);
KX2_API errno_t _ultow_s(ULONG value, char16_t* buffer, size_t size, int radix);
KX2_API errno_t _i64tow_s(int64_t value, char16_t* buffer, size_t size, int radix);
KX2_API errno_t _ui64tow_s(uint64_t value, char16_t* buffer, size_t size, int radix);

// ---- Formatting --------------------------------------------------------------------
// Writes at most count units. Fits with room: terminated, returns the length. Exactly
// count units: no terminator, returns count. Longer: count units, no terminator, -1.
KX2_API int _snwprintf(char16_t* buffer, size_t count, const char16_t* format, ...);
KX2_API int _vsnwprintf(char16_t* buffer, size_t count, const char16_t* format, va_list args);
KX2_API int _snwprintf_s(char16_t* buffer, size_t size, size_t count, const char16_t* format, ...);
KX2_API int _vsnwprintf_s(char16_t* buffer, size_t size, size_t count, const char16_t* format, va_list args);
// Standard form: -1 when the text does not fit, the buffer then holds the cut, terminated text.
KX2_API int swprintf(char16_t* buffer, size_t count, const char16_t* format, ...);
KX2_API int vswprintf(char16_t* buffer, size_t count, const char16_t* format, va_list args);
KX2_API int swprintf_s(char16_t* buffer, size_t size, const char16_t* format, ...);
KX2_API int vswprintf_s(char16_t* buffer, size_t size, const char16_t* format, va_list args);
// Legacy forms without a size: the caller's buffer must be large enough.
KX2_API int swprintf(char16_t* buffer, const char16_t* format, ...);
KX2_API int _swprintf(char16_t* buffer, const char16_t* format, ...);
KX2_API int _vswprintf(char16_t* buffer, const char16_t* format, va_list args);
// The length the text would have.
KX2_API int _scwprintf(const char16_t* format, ...);
KX2_API int _vscwprintf(const char16_t* format, va_list args);

// ---- Files and folders ---------------------------------------------------------------
#define _SH_DENYRW 0x10
#define _SH_DENYWR 0x20
#define _SH_DENYRD 0x30
#define _SH_DENYNO 0x40
#define _SH_SECURE 0x80

#define _O_RDONLY 0x0000
#define _O_WRONLY 0x0001
#define _O_RDWR 0x0002
#define _O_APPEND 0x0008
#define _O_CREAT 0x0100
#define _O_TRUNC 0x0200
#define _O_EXCL 0x0400
#define _O_TEXT 0x4000
#define _O_BINARY 0x8000
#define _O_WTEXT 0x10000
#define _O_U16TEXT 0x20000
#define _O_U8TEXT 0x40000
#define _O_NOINHERIT 0x0080
#define _O_TEMPORARY 0x0040
#define _O_SEQUENTIAL 0x0020
#define _O_RANDOM 0x0010

#define _S_IFMT 0xF000
#define _S_IFDIR 0x4000
#define _S_IFCHR 0x2000
#define _S_IFIFO 0x1000
#define _S_IFREG 0x8000
#define _S_IREAD 0x0100
#define _S_IWRITE 0x0080
#define _S_IEXEC 0x0040

#define _A_NORMAL 0x00
#define _A_RDONLY 0x01
#define _A_HIDDEN 0x02
#define _A_SYSTEM 0x04
#define _A_SUBDIR 0x10
#define _A_ARCH 0x20

// Mode: r, w, a, optionally +, then b/t/c/n/N/S/R/T/D and ",ccs=..." which are accepted.
KX2_API FILE* _wfopen(const char16_t* path, const char16_t* mode);
KX2_API errno_t _wfopen_s(FILE** stream, const char16_t* path, const char16_t* mode);
KX2_API FILE* _wfsopen(const char16_t* path, const char16_t* mode, int shareFlag);
KX2_API FILE* _wfreopen(const char16_t* path, const char16_t* mode, FILE* stream);
// Modes 0 (exists), 2 (writable), 4 (readable), 6 (both); a folder counts as readable.
KX2_API int _waccess(const char16_t* path, int mode);
KX2_API errno_t _waccess_s(const char16_t* path, int mode);
// The narrow path is in the ANSI code page.
KX2_API int _access(const char* path, int mode);
KX2_API int _wchmod(const char16_t* path, int mode);
KX2_API int _wmkdir(const char16_t* path);
KX2_API int _wrmdir(const char16_t* path);
KX2_API int _wchdir(const char16_t* path);
KX2_API int _wremove(const char16_t* path);
KX2_API int _wunlink(const char16_t* path);
// Fails with EACCES when newName exists, as the Microsoft runtime does.
KX2_API int _wrename(const char16_t* oldName, const char16_t* newName);
KX2_API char16_t* _wfullpath(char16_t* absPath, const char16_t* relPath, size_t maxLength);
KX2_API char16_t* _wgetcwd(char16_t* buffer, int maxLength);
// Low-level files: ordinary descriptors. pmode _S_IREAD alone creates a read-only file.
KX2_API int _wopen(const char16_t* path, int oflag, int pmode = 0);
KX2_API int _wsopen(const char16_t* path, int oflag, int shareFlag, int pmode = 0);
KX2_API int _read(int fd, void* buffer, unsigned int count);
KX2_API int _write(int fd, const void* buffer, unsigned int count);
KX2_API int _close(int fd);
KX2_API LONG _lseek(int fd, LONG offset, int origin);
KX2_API int64_t _lseeki64(int fd, int64_t offset, int origin);
KX2_API LONG _filelength(int fd);
KX2_API int64_t _filelengthi64(int fd);
KX2_API int _chsize(int fd, LONG size);
KX2_API int _commit(int fd);

// _stat64i32: 64-bit times, 32-bit size. st_mode uses the _S_* bits, with the owner's
// read/write/execute repeated for group and others as the Microsoft runtime reports
// them; st_dev and st_rdev are the drive number (0 = A:). The time members are spelled
// st_atime/st_mtime/st_ctime in code, which <sys/stat.h> maps to st_atim.tv_sec etc.
struct Kx2StatTime {
  __time64_t tv_sec;
};
struct _stat64i32 {
  _dev_t st_dev;
  _ino_t st_ino;
  unsigned short st_mode;
  short st_nlink;
  short st_uid;
  short st_gid;
  _dev_t st_rdev;
  _off_t st_size;
  Kx2StatTime st_atim;
  Kx2StatTime st_mtim;
  Kx2StatTime st_ctim;
};
struct _stat64 {
  _dev_t st_dev;
  _ino_t st_ino;
  unsigned short st_mode;
  short st_nlink;
  short st_uid;
  short st_gid;
  _dev_t st_rdev;
  int64_t st_size;
  Kx2StatTime st_atim;
  Kx2StatTime st_mtim;
  Kx2StatTime st_ctim;
};
// Fails with ENOENT, or EOVERFLOW (_wstat64i32) for a file of 2 GiB or more.
KX2_API int _wstat64i32(const char16_t* path, struct _stat64i32* buffer);
KX2_API int _wstat64(const char16_t* path, struct _stat64* buffer);
KX2_API int _fstat64i32(int fd, struct _stat64i32* buffer);

struct _wfinddata64i32_t {
  unsigned attrib;
  __time64_t time_create;
  __time64_t time_access;
  __time64_t time_write;
  _fsize_t size;
  char16_t name[260];
};
// -1 with errno ENOENT when nothing matches; the search returns "." and ".." like
// FindFirstFileW.
KX2_API intptr_t _wfindfirst64i32(const char16_t* filespec, struct _wfinddata64i32_t* data);
KX2_API int _wfindnext64i32(intptr_t handle, struct _wfinddata64i32_t* data);
KX2_API int _findclose(intptr_t handle);

// Splits at the drive ("X:"), the last "\" or "/" (the folder keeps it), and the last "."
// of the name. Components longer than their _MAX_* size are cut.
KX2_API void _wsplitpath(const char16_t* path, char16_t* drive, char16_t* dir, char16_t* fname, char16_t* ext);
KX2_API errno_t _wsplitpath_s(const char16_t* path, char16_t* drive, size_t driveSize, char16_t* dir, size_t dirSize,
                              char16_t* fname, size_t fnameSize, char16_t* ext, size_t extSize);
// Adds ":" after the drive letter, "\" after a folder that lacks one, "." before an
// extension that lacks one; the result is cut at _MAX_PATH - 1 units.
KX2_API void _wmakepath(char16_t* path, const char16_t* drive, const char16_t* dir, const char16_t* fname,
                        const char16_t* ext);
KX2_API errno_t _wmakepath_s(char16_t* path, size_t size, const char16_t* drive, const char16_t* dir,
                             const char16_t* fname, const char16_t* ext);

// ---- Locale and time -----------------------------------------------------------------
// category is one of the LC_* values of <clocale>. Names: "C", "" (the user's locale),
// "English_United States.1252", "English", "en-US", "en_US", ".1252", ".ACP", ".UTF8" ...
// Returns the locale's name ("English_United States.1252"), or null for an unknown one.
KX2_API char16_t* _wsetlocale(int category, const char16_t* locale);

KX2_API __time64_t _time64(__time64_t* t);
KX2_API struct tm* _localtime64(const __time64_t* t);
KX2_API struct tm* _gmtime64(const __time64_t* t);
KX2_API __time64_t _mktime64(struct tm* t);
KX2_API __time64_t _mkgmtime64(struct tm* t);
KX2_API errno_t _localtime64_s(struct tm* out, const __time64_t* t);
KX2_API errno_t _gmtime64_s(struct tm* out, const __time64_t* t);
// The conversions of the "C" locale; "#" in a conversion (e.g. %#d) drops leading zeros.
KX2_API size_t wcsftime(char16_t* buffer, size_t size, const char16_t* format, const struct tm* t);

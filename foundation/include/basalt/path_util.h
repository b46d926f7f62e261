// Path variables ("${Temp}\x.tmp", "${Languages}") and small path helpers. The library
// fills the variables once at start-up from where the program and the library live, the
// user's shell folders and one machine-wide registry value; other modules may add theirs.
//
// Output buffers hold MAX_PATH (260) units unless said otherwise. A result that would not
// fit is never cut into a different path: the output is left empty and the failure is
// recorded in the thread's error record.
#pragma once

#include <basalt/export.h>

namespace Basalt::Util {

// One start-up folder handed in by a host: kind 0 "App", 1 "Temp", 2 "ProgramInfo" and
// "UserData", 3 "Contents", 4 "Present"; other kinds are skipped.
struct InitPathStruct {
  int kind;
  const char16_t* path;
};

class BASALT_API PathUtil {
 public:
  static constexpr int kNameUnits = 16;
  static constexpr int kPathUnits = MAX_PATH;

  // --- The variable table ---------------------------------------------------------------
  static void _InitPath();
  static int _InitPathIndirect(InitPathStruct* items, int count);
  static void _CleanPath();
  static int _RegisterPath(const char16_t* name, const char16_t* path);
  static int _RegisterModulePath(const char16_t* name, HINSTANCE module);
  static int _UnregisterPath(const char16_t* name);
  static int _IsRegisterPath(const char16_t* name);

  // --- Expansion ------------------------------------------------------------------------
  // Expands every "${Name}"; an unknown or unclosed reference, or a result longer than
  // MAX_PATH - 1, leaves out empty and sets error 10 (with detail 3 or 206 and the path).
  static void _PathToAbsolute(const char16_t* path, char16_t* out);
  // Replaces the first registered folder that prefixes path by its variable; out stays
  // empty when none does or the result would not fit.
  static void _PathToRelative(const char16_t* path, char16_t* out);

  // --- Folders and temporary names ------------------------------------------------------
  static int _PathCreate(const char16_t* path);
  static int _CreateFullPath(const char16_t* path);
  static unsigned _PathMakeTemp(const char16_t* prefix, unsigned unique, char16_t* out);
  static uint64_t _PathMakeTempEx(const char16_t* prefix, const char16_t* ext, uint64_t stamp,
                                  const char16_t* subFolder, char16_t* out);
  static int _PathToLongPath(const char16_t* path, char16_t* out);
  static int _ExistDir(const char16_t* path);

  // --- Names ----------------------------------------------------------------------------
  // path is a MAX_PATH buffer; nothing is appended when it is full.
  static void _AppendBackSlash(char16_t* path);
  static void _RemoveBackSlash(char16_t* path);
  static void _AbbreviateName(char16_t* path, int max, int keepName);
  static unsigned _GetFileTitle(const char16_t* path, char16_t* out, unsigned size);
  // Next ";"-separated item of masks (copied when non-null, so the caller's text need not
  // outlive the scan); items longer than MAX_PATH - 1 units are cut.
  static int _GetNextMask(const char16_t* masks, char16_t* out);
  static int _PathIsValidDirName(const char16_t* name);
  static int _PathIsReservedFileName(const char16_t* name);
  static int _IsUNCPath(const char16_t* path);
  static int _PathCmp(const char16_t* a, const char16_t* b);
};

}  // namespace Basalt::Util

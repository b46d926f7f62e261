// The font configuration state of the text service: the font table (FontTable.h), the font
// folder list, the two configuration files under "${App}\Tools\" (default faces and their
// candidates from "ConfigFont1.cfg", face classes and substitution rules from
// "ConfigFont2.cfg"), the substitution cache and the text-layer caches (TextCaches.h).
//
// The engine library's start names the Tools folder (StartFontConfiguration) and the first
// read of any of it loads it; the library's stop frees it. Everything here runs on the
// engine's thread and is unlocked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <win/gdi.h>
#include <win/types.h>

#include <plastrum/Export.h>
#include <plastrum/present/text/FontTable.h>

namespace Present::Text {

// A face of a list: its name and its sorted index in the font table when the list was read
// (-1 when not installed).
struct FaceListItem {
  WCHAR faceName[kFaceUnits] = {};
  int32_t flag = 1;
  int32_t sortedIndex = -1;
};

struct FontClass {
  WCHAR name[kFaceUnits] = {};
  std::vector<FaceListItem> members;
};

enum : int32_t { kMapFont = -1, kMapAllFont = -2 };

// A substitution rule: its faces and its mode (kMapFont, kMapAllFont, or the index of the
// class of a "mapFontClass" line).
struct SubstRule {
  std::vector<FaceListItem> faces;
  int32_t mode = kMapFont;
};

struct DefaultFace {
  WCHAR faceName[kFaceUnits] = {};
  int32_t flag = 0;  // 1 once chosen
  int32_t sortedIndex = -1;
};

enum : int { kMainFace = 0, kSubFace = 1 };

// Builds the folder list (and adds the fonts of its folders to the process's own fonts), the
// font table and the caches, reads both configuration files from `toolsFolder` (null:
// "${App}\Tools\") and picks the default faces. 0 on success, -1 when a part failed (a
// configuration file missing or not one of ours included); what could be built stays usable.
// An earlier state is freed first.
PLASTRUM_API int InitFontConfiguration(const WCHAR* toolsFolder = nullptr);
// Frees an earlier state and has InitFontConfiguration(toolsFolder) run when the font table,
// this state or the text caches are first read, keeping the reader's error records as they
// were. Commands that never lay out text then never enumerate the system's faces.
PLASTRUM_API void StartFontConfiguration(const WCHAR* toolsFolder = nullptr);
// Reads the two files from their bytes in place of the Tools folder's, over the font table
// already built (a seam for tests and fuzzing): 0, or -1 when either is not usable.
PLASTRUM_API int ApplyFontConfigurationBytes(const uint8_t* one, size_t oneSize, const uint8_t* two, size_t twoSize);
// Frees all of it and removes the fonts it added; safe when nothing was built.
PLASTRUM_API void FreeFontConfiguration();
// True once initialised or started (and not freed since).
PLASTRUM_API bool FontConfigurationInitialised();

PLASTRUM_API const DefaultFace& GetDefaultFace(int which);
// The candidate faces of configuration 1 for the main or the sub face.
PLASTRUM_API const std::vector<FaceListItem>& CandidateFaces(int which);
PLASTRUM_API const std::vector<FontClass>& FontClasses();
PLASTRUM_API const std::vector<SubstRule>& SubstRules();
// ";"-separated folders (each followed by ";"), the Tools folder first, and their count.
PLASTRUM_API const std::u16string& FontFolderList();
PLASTRUM_API int FontFolderCount();

// The substitute of a face (copied into out, `outUnits` units with the NUL): 1, or 0 when
// no rule gives one. Answers are cached per face until shutdown. `rule` and `entry` (when
// given) receive the rule's index and the substitute's position in its list.
PLASTRUM_API int SubstituteFace(const WCHAR* face, WCHAR* out, int outUnits, int* rule = nullptr, int* entry = nullptr);
// True when the substitution cache holds an answer for the face (a test seam).
PLASTRUM_API bool IsSubstitutionCached(const WCHAR* face);

// The record of the charset query.
struct FontCharsetQuery {
  WCHAR faceName[kFaceUnits];
  uint32_t charsetMask;
  uint32_t charset;
  uint32_t codePage;
};
enum : uint32_t { kQueryMaskCharset = 1, kQueryCharset = 2, kQueryMaskCharsetToo = 4, kQueryFace = 8 };
// Flag 8 fills mask and primary character set from the face; 1 or 4 takes the primary
// character set of the given mask; 2 keeps the given set; then the code page of the set (0
// when not in the table). 1, or 0 for a null record, no flags, or flag 8 with no name.
PLASTRUM_API int QueryCharset(uint32_t flags, FontCharsetQuery* record);

// Calls back with each face of the table in order (only East-Asian capable ones when asked)
// until the callback answers 0; returns the last answer (1 when none was called).
typedef int (*FaceEnumProc)(const WCHAR* face, LONG_PTR user);
PLASTRUM_API int EnumerateFaces(bool eastAsianOnly, FaceEnumProc callback, LONG_PTR user);

// The next installed member of the class that holds the face (the face among them), kept
// between calls while the same face is asked; 0 after the last one, when the iteration
// starts again.
PLASTRUM_API int NextClassMember(const WCHAR* face, bool eastAsianOnly, WCHAR* out, int outUnits);

struct FontFullName {
  WCHAR name[kFaceUnits];
  uint32_t language;
};
// The face's full name in English (1033) when it has one, else in the lowest language.
PLASTRUM_API int GetFontFullName(const WCHAR* face, FontFullName* out);
// The system face of the font whose full names include `fullName` (Ustricmp).
PLASTRUM_API int FaceForFullName(const WCHAR* fullName, WCHAR* out, int outUnits);

// A memory DC on the screen that the font service selects its probe fonts into.
PLASTRUM_API HDC FontProbeDc();

}  // namespace Present::Text

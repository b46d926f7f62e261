// The process's font table (one entry per TrueType family the screen device enumerates,
// sorted), the charset table its masks index, and the font data readers over a DC's
// selected font. Part of the font configuration state (FontConfig.h), which builds the
// table at its initialisation and frees it at shutdown.
#pragma once

#include <cstdint>
#include <vector>

#include <win/gdi.h>
#include <win/types.h>

#include <plastrum/Export.h>
#include <plastrum/present/text/SfntTables.h>

namespace Present::Text {

// Face name fields of the font service hold 63 units and a NUL.
constexpr int kFaceUnits = 64;

enum : uint32_t {
  kFontDoubleByte = 0x1,   // GetFontLanguageInfo reported GCP_DBCS (probed by the text layer)
  kFontKerning = 0x2,      // ... GCP_USEKERNING
  kFontFixedPitch = 0x4,   // enumerated as fixed-pitch
  kFontEqualHangul = 0x8,  // U+C624 and U+B9D1 measure the same (probed)
  kFontStyleBits = 0x1F,
};

struct FontEntry {
  int32_t sortedIndex = -1;
  WCHAR faceName[kFaceUnits] = {};
  uint32_t charsetMask = 0;
  int32_t height = 0;      // as enumerated (tmHeight)
  int32_t cellHeight = 0;  // font units
  int32_t averageWidth = 0;
  int32_t emSize = 0;
  int32_t languageProbed = 0;
  uint32_t flags = 0;
};

struct CharsetRow {
  BYTE charset;
  UINT codePage;
};
constexpr int kCharsetRows = 14;
// The rows of the charset table, in mask-bit order.
PLASTRUM_API const CharsetRow* CharsetTable();
// The row of a character set, -1 when it is not in the table.
PLASTRUM_API int CharsetRowOf(BYTE charset);
// The character set of the mask's highest bit (ANSI for 0 and 1, DEFAULT_CHARSET past the table).
PLASTRUM_API BYTE PrimaryCharset(uint32_t mask);
// A mask with one of the bits of rows 0-4.
inline bool IsEastAsianCapable(uint32_t mask) { return (mask & 0x1F) != 0; }

// The sort order of the table: names that begin neither with "@" nor with an ASCII letter,
// then names beginning with a letter, then "@" names; within a group by Ustricmp.
PLASTRUM_API bool FaceNameLess(const WCHAR* a, const WCHAR* b);

// The table as built (empty before initialisation).
PLASTRUM_API const std::vector<FontEntry>& FontTableEntries();
// Sorted index of a face (the name cut to 63 units), -1 when not in the table.
PLASTRUM_API int FindFace(const WCHAR* face);
// The entry at a sorted index, null outside the table.
PLASTRUM_API FontEntry* FontAt(int index);
PLASTRUM_API uint32_t CharsetMaskOf(const WCHAR* face);

// Copies a face name into a field of `units` units: cut to units - 1 and terminated.
PLASTRUM_API void CopyFaceName(WCHAR* out, const WCHAR* face, int units);

// Readers for the font selected in a DC (GetFontData by tag); false when the table is
// absent or unreadable.
PLASTRUM_API bool ReadFontTable(HDC dc, const char tag[4], std::vector<uint8_t>* out);
PLASTRUM_API bool ReadDcHhea(HDC dc, HheaHeader* out);
PLASTRUM_API bool ReadDcMaxp(HDC dc, MaxpHeader* out);
PLASTRUM_API bool ReadDcHmtx(HDC dc, int count, std::vector<HorizontalMetric>* out);
PLASTRUM_API bool ReadDcOs2Ranges(HDC dc, uint32_t ranges[4]);

// A font made from a face name the way the font service probes faces: character set 1
// (default), every other field 0 except those given.
PLASTRUM_API HFONT CreateProbeFont(const WCHAR* face, BYTE outPrecision = 0);

namespace detail {
// Builds the table from the screen device's enumeration (TrueType faces only; "@" faces
// only when the "@font" registry value is non-zero) and sorts it. False when memory runs out.
bool BuildFontTable();
void FreeFontTable();
}  // namespace detail

}  // namespace Present::Text

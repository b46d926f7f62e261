// Readers of the font file tables the text layer needs ("cmap", "name", "hhea", "maxp",
// "hmtx", "OS/2", "head"), over the table's own bytes as GetFontData gives them. Tables are
// big-endian. Fonts in the "Font Path" folders are outside input, so every reader checks
// each offset and length against the table's size: a field that would lie outside reads as
// absent, never past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <win/types.h>

#include <plastrum/Export.h>

namespace Present::Text {

// A full font name of the Windows platform (name identifier 4) in one language.
struct FontNameRecord {
  uint16_t language = 0;
  std::u16string name;  // at most 64 units
};

// The full names of a "name" table; false when the table is too short for its header.
PLASTRUM_API bool ReadFullNames(const uint8_t* table, size_t size, std::vector<FontNameRecord>* out);

// "hhea": version and the 16-bit fields after it, in file order.
struct HheaHeader {
  uint32_t version = 0;
  int16_t ascender = 0, descender = 0, lineGap = 0;
  uint16_t advanceWidthMax = 0;
  int16_t minLeftSideBearing = 0, minRightSideBearing = 0, xMaxExtent = 0;
  int16_t caretSlopeRise = 0, caretSlopeRun = 0, caretOffset = 0;
  int16_t reserved[4] = {};
  int16_t metricDataFormat = 0;
  uint16_t numberOfHMetrics = 0;
};
PLASTRUM_API bool ReadHhea(const uint8_t* table, size_t size, HheaHeader* out);

// "maxp": version and up to 14 16-bit fields after it (the first is the glyph count);
// `fieldCount` says how many the table held.
struct MaxpHeader {
  uint32_t version = 0;
  uint16_t fields[14] = {};
  int fieldCount = 0;
  uint16_t NumGlyphs() const { return fieldCount > 0 ? fields[0] : 0; }
};
PLASTRUM_API bool ReadMaxp(const uint8_t* table, size_t size, MaxpHeader* out);

// "hmtx": advance width and left side bearing of glyph i from bytes 4i..4i+3, for `count`
// glyphs or as many as the table holds; false when it holds none.
struct HorizontalMetric {
  uint16_t advance = 0;
  int16_t leftSideBearing = 0;
};
PLASTRUM_API bool ReadHmtx(const uint8_t* table, size_t size, int count, std::vector<HorizontalMetric>* out);

// "OS/2": the four Unicode-range words (bytes 42, 46, 50, 54) when the version is not 0
// and the table is longer than 57 bytes.
PLASTRUM_API bool ReadOs2Ranges(const uint8_t* table, size_t size, uint32_t ranges[4]);

// "head": font units per em; 0 when the table is too short or gives 0.
PLASTRUM_API uint16_t ReadUnitsPerEm(const uint8_t* table, size_t size);

// One subtable of a "cmap" table (formats 0, 2, 4, 6 and 12), copied out of the table, and
// the code page its encoding needs (0: the subtable is keyed by Unicode itself).
struct CmapRecord {
  uint16_t platform = 0;
  uint16_t encoding = 0;
  uint16_t format = 0;
  UINT codePage = 0;
  uint32_t length = 0;  // bytes kept, never more than the table held
  std::vector<uint8_t> data;
  // The byte cost the character-map cache counts for the record: its length and 4.
  uint32_t CacheSize() const { return length + 4; }
};

// Picks the subtable that covers the most (a Unicode full-range format 12, then a Unicode
// BMP one, then the other encodings) among the formats read; false when there is none.
PLASTRUM_API bool ReadCmap(const uint8_t* table, size_t size, CmapRecord* out);
// The glyph of a code point; 0 when not covered. A code point is first converted to the
// subtable's code page when it has one; one with no exact form there is not covered.
PLASTRUM_API unsigned CmapGlyph(const CmapRecord& record, uint32_t codePoint);
// The glyph of a code in the subtable's own keys (no conversion).
PLASTRUM_API unsigned CmapGlyphOfCode(const CmapRecord& record, uint32_t code);

}  // namespace Present::Text

// The text layer's caches: fonts it created, advance widths, kerning pairs, line heights
// and character maps (over the foundation's BaseCache), the font instance table whose
// index keys most of them, the fixed-size glyph presence table behind HasGlyph, and the
// glyph bitmap cache. Created by the font configuration's initialisation and freed at its
// shutdown (FontConfig.h); UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <win/gdi.h>
#include <win/types.h>

#include <plastrum/Export.h>
#include <plastrum/present/text/SfntTables.h>

namespace Present::Text {

// What keys the width, kerning and line-height caches: the font as drawn on a device.
struct FontInstanceRecord {
  int32_t logPixelsX = 0;
  int32_t logPixelsY = 0;
  int32_t height = 0;
  int32_t width = 0;
  int32_t weight = 0;
  int32_t fontIndex = 0;
  int16_t italic = 0;
  int16_t zero = 0;
};
static_assert(sizeof(FontInstanceRecord) == 28);

PLASTRUM_API int FindFontInstance(const FontInstanceRecord& record);
// -1 with error 2 when the table cannot grow.
PLASTRUM_API int AppendFontInstance(const FontInstanceRecord& record);
PLASTRUM_API int FontInstanceIndex(const FontInstanceRecord& record);
PLASTRUM_API int FontInstanceCount();

// Fonts by LOGFONTW: two are the same font when their first 28 bytes (height to quality)
// and their face names are equal.
PLASTRUM_API uint32_t FontObjectHash(const LOGFONTW& logfont);
PLASTRUM_API HFONT FindCachedFont(const LOGFONTW& logfont);
// The cache owns the font from here on; false when it did not take it (the caller still
// owns it then).
PLASTRUM_API bool PutCachedFont(const LOGFONTW& logfont, HFONT font);

PLASTRUM_API bool FindCharWidth(int instance, uint32_t codePoint, int32_t* advance);
PLASTRUM_API void PutCharWidth(int instance, uint32_t codePoint, int32_t advance);
PLASTRUM_API bool FindLineHeight(int instance, int32_t* height);
PLASTRUM_API void PutLineHeight(int instance, int32_t height);

// One kerning pair in UTF-16 (8 bytes).
struct KerningPairRecord {
  WCHAR first = 0;
  WCHAR second = 0;
  int32_t amount = 0;
};
static_assert(sizeof(KerningPairRecord) == 8);

// The pairs of one font instance: the cache's array, or an array this lookup owns when the
// cache would not take it (a font with more pairs than the cache's budget).
struct PLASTRUM_API KerningPairs {
  const KerningPairRecord* pairs = nullptr;
  int count = 0;
  std::unique_ptr<KerningPairRecord[]> owned;
  // The amount of the pair (c, d) by bisection, 0 when it is not a pair.
  int32_t Amount(WCHAR c, WCHAR d) const;
};

// The pairs of the font selected in the DC, read on a cache miss (LoadKerningPairs): false
// when the font has none.
PLASTRUM_API bool GetKerningPairs(HDC dc, int instance, KerningPairs* out);
// The pairs the platform reported for one character set, by charset row.
struct CharsetKerning {
  int row = 0;
  std::vector<KERNINGPAIR> pairs;
};
// Converts, sorts and (when more than one set contributed) merges equal records.
PLASTRUM_API std::vector<KerningPairRecord> BuildKerningArray(const std::vector<CharsetKerning>& sets);

// The character map of a face from the cache (null when not cached).
PLASTRUM_API const CmapRecord* FindCmapRecord(const WCHAR* face);
// The glyph of a code point in the font at a sorted index of the font table (0: none).
PLASTRUM_API unsigned GlyphIndexOf(int fontIndex, uint32_t codePoint);

// Glyph presence table: 4001 primary and 19 overflow entries keyed by (key low, key high).
constexpr int kPresencePrimary = 4001;
constexpr int kPresenceOverflow = 19;
PLASTRUM_API int LookupGlyphPresence(uint32_t keyLow, uint32_t keyHigh, int* answer);
PLASTRUM_API void StoreGlyphPresence(uint32_t keyLow, uint32_t keyHigh, int answer);
PLASTRUM_API int GlyphPresenceFilled();
// True when the font at a sorted index maps the code point to a glyph. Font indexes that
// do not fit the table's key (-1, above 4095) are answered without it.
PLASTRUM_API bool HasGlyph(int slot, int fontIndex, uint32_t codePoint);

// The glyph bitmap cache of the text state: created and emptied, never filled by the engine.
struct GlyphBitmapEntry {
  GlyphBitmapEntry* next = nullptr;   // the list
  GlyphBitmapEntry* chain = nullptr;  // the bucket
  uint32_t fontInstance = 0;
  uint32_t glyph = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> bits;
  size_t Bytes() const { return static_cast<size_t>((width + 15) >> 4) * 2 * static_cast<size_t>(height) + 75; }
};
struct GlyphBitmapCache {
  static constexpr int kBuckets = 1009;
  std::unique_ptr<uint8_t[]> pools[2];
  GlyphBitmapEntry* list = nullptr;
  GlyphBitmapEntry* buckets[kBuckets] = {};
  size_t bytes = 0;
  bool usable = false;
};
PLASTRUM_API int CreateGlyphBitmapCache(GlyphBitmapCache* cache);
PLASTRUM_API void EmptyGlyphBitmapCache(GlyphBitmapCache* cache);
PLASTRUM_API void FreeGlyphBitmapCache(GlyphBitmapCache* cache);
PLASTRUM_API GlyphBitmapCache* TextGlyphBitmapCache();

// Items in each keyed cache (a test seam): font objects, widths, kerning, cmap, line heights.
PLASTRUM_API int CachedItemCount(int which);

}  // namespace Present::Text

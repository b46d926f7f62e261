// The text-layer caches: the glyph presence table's keys and overflow, HasGlyph against
// FreeType over every code point of the test fonts, the font object keys, the character-map
// cache, font instances, kerning arrays and the glyph bitmap cache.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <string>
#include <vector>

#include <plastrum/present/text/FontConfig.h>
#include <plastrum/present/text/TextCaches.h>

using namespace Present::Text;

namespace {

struct PresenceKey {
  uint32_t low, high;
};

int64_t Signed(PresenceKey k) { return static_cast<int64_t>(static_cast<uint64_t>(k.high) << 32 | k.low); }

}  // namespace

TEST(TextCaches, GlyphPresenceKeysShareAPrimaryEntry) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  // Three keys with the same primary entry: low words 4001 apart.
  const PresenceKey a{100, 0}, b{100 + 4001, 0}, c{100 + 2 * 4001, 0};
  ASSERT_EQ(Signed(a) % 4001, Signed(b) % 4001);
  int answer = -1;
  const int filled = GlyphPresenceFilled();
  StoreGlyphPresence(a.low, a.high, 1);
  EXPECT_EQ(GlyphPresenceFilled(), filled + 1);
  StoreGlyphPresence(b.low, b.high, 0);
  EXPECT_EQ(GlyphPresenceFilled(), filled + 1);  // the primary was taken: no new fill
  struct Row {
    PresenceKey key;
    int found, answer;
  };
  for (const Row& r : {Row{a, 1, 1}, Row{b, 1, 0}}) {
    EXPECT_EQ(LookupGlyphPresence(r.key.low, r.key.high, &answer), r.found);
    EXPECT_EQ(answer, r.answer);
  }
  StoreGlyphPresence(c.low, c.high, 1);  // b moves to the overflow entry, a is lost
  EXPECT_EQ(LookupGlyphPresence(a.low, a.high, &answer), 0);
  EXPECT_EQ(LookupGlyphPresence(b.low, b.high, &answer), 1);
  EXPECT_EQ(LookupGlyphPresence(c.low, c.high, &answer), 1);
  // The all-zero key is never found, even after being stored.
  StoreGlyphPresence(0, 0, 1);
  EXPECT_EQ(LookupGlyphPresence(0, 0, &answer), 0);
}

TEST(TextCaches, HasGlyphBypassesTheTableForIndexesItsKeyCannotHold) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  const int sans = FindFace(u"DejaVu Sans");
  ASSERT_GE(sans, 0);
  EXPECT_TRUE(HasGlyph(0, sans, u'A'));
  // Index -1 (no font) and 4096 would share keys with real fonts' entries.
  const int filled = GlyphPresenceFilled();
  EXPECT_FALSE(HasGlyph(0, -1, u'A'));
  EXPECT_FALSE(HasGlyph(0, 4096, u'A'));
  EXPECT_EQ(GlyphPresenceFilled(), filled);
  // A key of index 0 code 0 slot 0 is all zero; it answers all the same.
  EXPECT_EQ(HasGlyph(0, 0, 0), GlyphIndexOf(0, 0) > 0);
}

namespace {

// Every code point FreeType maps in a face's chosen character map, and the BMP.
void ExpectAgreesWithFreeType(const char* file, int faceIndex, const char16_t* face, uint32_t supplementary) {
  FT_Library library;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Face ft;
  ASSERT_EQ(FT_New_Face(library, file, faceIndex, &ft), 0) << file;
  const int font = FindFace(face);
  ASSERT_GE(font, 0);
  int disagreements = 0;
  for (uint32_t c = 0; c <= 0xFFFF; ++c) {
    const bool ours = HasGlyph(c & 1, font, c);
    const bool theirs = FT_Get_Char_Index(ft, c) != 0;
    if (ours != theirs && ++disagreements < 5) ADD_FAILURE() << std::hex << "U+" << c;
  }
  FT_UInt glyph = 0;
  int supplementaryCount = 0;
  bool sawExpected = supplementary == 0;
  for (FT_ULong c = FT_Get_First_Char(ft, &glyph); glyph != 0; c = FT_Get_Next_Char(ft, c, &glyph)) {
    if (c <= 0xFFFF) continue;
    ++supplementaryCount;
    if (c == supplementary) sawExpected = true;
    if (!HasGlyph(0, font, static_cast<uint32_t>(c)) && ++disagreements < 10) ADD_FAILURE() << std::hex << "U+" << c;
  }
  EXPECT_TRUE(sawExpected);
  if (supplementary) {
    EXPECT_GT(supplementaryCount, 0);
    EXPECT_TRUE(HasGlyph(0, font, supplementary));
  }
  EXPECT_EQ(disagreements, 0);
  FT_Done_Face(ft);
  FT_Done_FreeType(library);
}

}  // namespace

TEST(TextCaches, HasGlyphAgreesWithFreeTypeOnDejaVuSans) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  ExpectAgreesWithFreeType("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, u"DejaVu Sans", 0x1D538);
}

TEST(TextCaches, HasGlyphAgreesWithFreeTypeOnWenQuanYi) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  ExpectAgreesWithFreeType("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", 0, u"WenQuanYi Micro Hei", 0);
}

TEST(TextCaches, FontObjectKeys) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  LOGFONTW a{};
  a.lfHeight = -12;
  std::memcpy(a.lfFaceName, u"DejaVu Sans", 24);
  LOGFONTW b = a;
  b.lfQuality = NONANTIALIASED_QUALITY;  // inside the first 28 bytes
  LOGFONTW c = a;
  std::memcpy(c.lfFaceName, u"dejavu sans", 24);  // faces compare with case
  HFONT fa = CreateFontIndirectW(&a);
  ASSERT_TRUE(PutCachedFont(a, fa));
  EXPECT_EQ(FindCachedFont(a), fa);
  EXPECT_EQ(FindCachedFont(b), nullptr);
  EXPECT_EQ(FindCachedFont(c), nullptr);
  EXPECT_FALSE(PutCachedFont(a, fa));  // already there: the caller keeps the second handle
  // The hash of the Part: width, italic and weight, the face, then pitch, escapement, height.
  uint32_t h = 0 + 4 * 0 + 8 * 0;
  for (const char16_t* p = u"DejaVu Sans"; *p; ++p) h = h * 33 + *p;
  EXPECT_EQ(FontObjectHash(a), h ^ (0 + 2 * 0 + 4 * static_cast<uint32_t>(-12)));
}

TEST(TextCaches, CmapCacheComparesFacesWithoutCase) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  const int sans = FindFace(u"DejaVu Sans");
  EXPECT_GT(GlyphIndexOf(sans, u'A'), 0u);
  const CmapRecord* record = FindCmapRecord(u"DejaVu Sans");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(FindCmapRecord(u"DEJAVU SANS"), record);
  EXPECT_EQ(record->format, 12);  // the full Unicode map
  EXPECT_EQ(record->CacheSize(), record->length + 4);
  // Format 12 counts its 32-bit length; its 16-bit field is reserved and 0.
  ASSERT_GE(record->data.size(), 8u);
  EXPECT_EQ(record->data[2] << 8 | record->data[3], 0);
  EXPECT_EQ(record->length, static_cast<uint32_t>(record->data[4] << 24 | record->data[5] << 16 | record->data[6] << 8 |
                                                  record->data[7]));
}

TEST(TextCaches, FontInstancesAndSmallCaches) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  FontInstanceRecord r{96, 96, 16, 0, 400, 3, 0, 0};
  const int first = FontInstanceIndex(r);
  EXPECT_EQ(FontInstanceIndex(r), first);
  r.italic = 1;
  EXPECT_EQ(FindFontInstance(r), -1);
  EXPECT_EQ(FontInstanceIndex(r), first + 1);
  for (int i = 0; i < 30; ++i) {
    r.height = 100 + i;
    AppendFontInstance(r);
  }
  EXPECT_EQ(FontInstanceCount(), first + 32);

  int32_t v = 0;
  EXPECT_FALSE(FindCharWidth(first, u'A', &v));
  PutCharWidth(first, u'A', 7);
  ASSERT_TRUE(FindCharWidth(first, u'A', &v));
  EXPECT_EQ(v, 7);
  EXPECT_FALSE(FindCharWidth(first + 1, u'A', &v));
  for (int i = 0; i < 40; ++i) PutLineHeight(i, i * 2);
  EXPECT_EQ(CachedItemCount(4), 32);  // at most 32 line heights
  EXPECT_FALSE(FindLineHeight(0, &v));
  ASSERT_TRUE(FindLineHeight(39, &v));
  EXPECT_EQ(v, 78);
}

TEST(TextCaches, KerningArraysAreSortedAndMerged) {
  std::vector<CharsetKerning> sets = {
      {0, {{'V', 'A', -2}, {'A', 'V', -3}, {0xE9, 'T', -1}}},  // 1252: U+00E9
      {12, {{0xC0, 0xC1, -4}, {'A', 'V', -3}}},                // 1251: U+0410 U+0411
  };
  const auto pairs = BuildKerningArray(sets);
  ASSERT_EQ(pairs.size(), 4u);  // the two equal A V records merged
  EXPECT_EQ(pairs[0].first, u'A');
  EXPECT_EQ(pairs[1].first, u'V');
  EXPECT_EQ(pairs[2].first, u'\u00E9');
  EXPECT_EQ(pairs[3].first, u'\u0410');
  EXPECT_EQ(pairs[3].second, u'\u0411');
  KerningPairs lookup;
  lookup.pairs = pairs.data();
  lookup.count = static_cast<int>(pairs.size());
  EXPECT_EQ(lookup.Amount(u'A', u'V'), -3);
  EXPECT_EQ(lookup.Amount(u'V', u'V'), 0);
  // One set alone keeps its duplicates.
  EXPECT_EQ(BuildKerningArray({{0, {{'A', 'V', -3}, {'A', 'V', -3}}}}).size(), 2u);
}

TEST(TextCaches, KerningPairsOfASelectedFont) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  HDC dc = FontProbeDc();
  HFONT font = CreateFontW(-40, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
  HGDIOBJ old = SelectObject(dc, font);
  KerningPairs pairs;
  ASSERT_TRUE(GetKerningPairs(dc, 12345, &pairs));
  EXPECT_GT(pairs.count, 0);
  EXPECT_LT(pairs.Amount(u'A', u'V'), 0);
  KerningPairs again;
  ASSERT_TRUE(GetKerningPairs(dc, 12345, &again));
  EXPECT_EQ(again.pairs, pairs.pairs);  // from the cache
  SelectObject(dc, old);
  DeleteObject(font);
}

TEST(TextCaches, GlyphBitmapCacheEmpties) {
  GlyphBitmapCache cache;
  ASSERT_EQ(CreateGlyphBitmapCache(&cache), 1);
  for (uint32_t g = 0; g < 3; ++g) {
    auto* e = new GlyphBitmapEntry;
    e->glyph = g;
    e->width = 17;
    e->height = 2;
    e->next = cache.list;
    cache.list = e;
    auto& bucket = cache.buckets[(e->fontInstance ^ e->glyph) % GlyphBitmapCache::kBuckets];
    e->chain = bucket;
    bucket = e;
    cache.bytes += e->Bytes();
  }
  EXPECT_EQ(cache.bytes, 3u * (2 * 2 * 2 + 75));
  EmptyGlyphBitmapCache(&cache);
  EXPECT_EQ(cache.list, nullptr);
  EXPECT_EQ(cache.bytes, 0u);
  FreeGlyphBitmapCache(&cache);
  EXPECT_FALSE(cache.usable);
}

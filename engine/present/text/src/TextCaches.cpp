// The text-layer caches over the foundation's BaseCache, the font instance table, the glyph
// presence table and the glyph bitmap cache.
#include <plastrum/present/text/TextCaches.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include <win/nls.h>

#include <basalt/base_cache.h>
#include <basalt/error.h>
#include <basalt/string_util.h>
#include <plastrum/present/text/FontConfig.h>
#include <plastrum/present/text/FontTable.h>

#include "FontConfigLoad.h"
#include "TextCachesDetail.h"

namespace Present::Text {
namespace {

using Basalt::Base::BaseCache;
using Basalt::Util::StringUtil;

struct FontObjectItem {
  LOGFONTW logfont;
  HFONT font;
};
struct CharWidthItem {
  int32_t instance;
  uint32_t codePoint;
  int32_t advance;
};
struct KerningItem {
  int32_t instance;
  int32_t count;
  KerningPairRecord* pairs;
};
struct CmapItem {
  WCHAR face[kFaceUnits];
  CmapRecord* record;
};
struct LineHeightItem {
  int32_t instance;
  int32_t height;
};

struct PresenceEntry {
  uint32_t keyLow;
  uint32_t keyHigh;
  uint32_t answer;
  uint32_t spare;
};
constexpr int kPresenceEntries = kPresencePrimary + kPresenceOverflow + 1;
static_assert(sizeof(PresenceEntry) * kPresenceEntries == 64336);

enum { kFontObjects, kCharWidths, kKerning, kCmaps, kLineHeights, kCacheKinds };

// A direct-mapped table in front of the width cache: measuring asks the same few hundred
// characters of a font over and over, and a BaseCache lookup costs a callback per probe.
struct RecentWidth {
  int32_t instance = -1;
  uint32_t codePoint = 0;
  int32_t advance = 0;
};
constexpr size_t kRecentWidths = 1024;

struct Caches {
  void* cache[kCacheKinds] = {};
  std::array<RecentWidth, kRecentWidths> recentWidths{};
  std::vector<FontInstanceRecord> instances;
  std::unique_ptr<PresenceEntry[]> presence;
  int presenceFilled = 0;
  // The character map of each font index as last found, so that a lookup need not search
  // the cache by name; cleared when the cache releases the record.
  std::vector<const CmapRecord*> cmapByFont;
  GlyphBitmapCache glyphBitmaps;
};

Caches& C() {
  detail::EnsureFontConfiguration();
  // Never destroyed: the library's stop, which runs after static destructors, frees it.
  static Caches* caches = new Caches();
  return *caches;
}

uint32_t FontObjectHashOf(const LOGFONTW& lf) {
  uint32_t h = static_cast<uint32_t>(lf.lfWidth) + 4u * lf.lfItalic + 8u * static_cast<uint32_t>(lf.lfWeight);
  for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) h = h * 33 + lf.lfFaceName[i];
  return h ^
         (lf.lfPitchAndFamily + 2u * static_cast<uint32_t>(lf.lfEscapement) + 4u * static_cast<uint32_t>(lf.lfHeight));
}

bool SameLogfont(const LOGFONTW& a, const LOGFONTW& b) {
  if (std::memcmp(&a, &b, 28) != 0) return false;
  for (int i = 0; i < LF_FACESIZE; ++i) {
    if (a.lfFaceName[i] != b.lfFaceName[i]) return false;
    if (!a.lfFaceName[i]) return true;
  }
  return true;
}

int FontObjectProc(int command, void* item, void* other, LONG_PTR) {
  auto* a = static_cast<FontObjectItem*>(item);
  switch (command) {
    case Basalt::Base::kCacheHash:
      return static_cast<int>(FontObjectHashOf(a->logfont));
    case Basalt::Base::kCacheCompare:
      return SameLogfont(a->logfont, static_cast<FontObjectItem*>(other)->logfont);
    case Basalt::Base::kCacheRelease:
      if (a->font) DeleteObject(a->font);
      return 0;
    case Basalt::Base::kCacheSize:
      return 96;
    default:
      return 0;
  }
}

int CharWidthProc(int command, void* item, void* other, LONG_PTR) {
  auto* a = static_cast<CharWidthItem*>(item);
  switch (command) {
    case Basalt::Base::kCacheHash:
      return static_cast<int>((a->codePoint & 0xFF) ^ (static_cast<uint32_t>(a->instance) * 8 + 1016) ^
                              (a->codePoint * 8));
    case Basalt::Base::kCacheCompare: {
      auto* b = static_cast<CharWidthItem*>(other);
      return a->instance == b->instance && a->codePoint == b->codePoint;
    }
    case Basalt::Base::kCacheSize:
      return 12;
    default:
      return 0;
  }
}

int KerningProc(int command, void* item, void* other, LONG_PTR) {
  auto* a = static_cast<KerningItem*>(item);
  switch (command) {
    case Basalt::Base::kCacheHash:
      return a->instance;
    case Basalt::Base::kCacheCompare:
      return a->instance == static_cast<KerningItem*>(other)->instance;
    case Basalt::Base::kCacheRelease:
      delete[] a->pairs;
      a->pairs = nullptr;
      return 0;
    case Basalt::Base::kCacheSize:
      return a->count * 8 + 12;
    default:
      return 0;
  }
}

int CmapProc(int command, void* item, void* other, LONG_PTR) {
  auto* a = static_cast<CmapItem*>(item);
  switch (command) {
    case Basalt::Base::kCacheHash:
      return 0;
    case Basalt::Base::kCacheCompare:
      return StringUtil::Ustricmp(a->face, static_cast<CmapItem*>(other)->face) == 0;
    case Basalt::Base::kCacheRelease:
      for (auto& memo : C().cmapByFont)
        if (memo == a->record) memo = nullptr;
      delete a->record;
      a->record = nullptr;
      return 0;
    case Basalt::Base::kCacheSize:
      return a->record ? static_cast<int>(std::min<uint32_t>(a->record->CacheSize(), 0x7FFFFFFF)) : 4;
    default:
      return 0;
  }
}

int LineHeightProc(int command, void* item, void* other, LONG_PTR) {
  auto* a = static_cast<LineHeightItem*>(item);
  switch (command) {
    case Basalt::Base::kCacheHash:
      return a->instance;
    case Basalt::Base::kCacheCompare:
      return a->instance == static_cast<LineHeightItem*>(other)->instance;
    case Basalt::Base::kCacheSize:
      return 8;
    default:
      return 0;
  }
}

void* MakeCache(uint32_t itemLength, int32_t maxCount, int32_t maxSize, uint32_t buckets,
                Basalt::Base::KX2CACHEPROC proc) {
  Basalt::Base::KX2CACHEINFO info{};
  info.size = sizeof info;
  info.itemLength = itemLength;
  info.maxCount = maxCount;
  info.maxSize = maxSize;
  info.minCount = 0;
  info.bucketCount = buckets;
  info.callback = proc;
  return BaseCache::_CacheCreate(&info);
}

int PresenceIndex(uint32_t keyLow, uint32_t keyHigh) {
  const int64_t key = static_cast<int64_t>(static_cast<uint64_t>(keyHigh) << 32 | keyLow);
  return static_cast<int>(((key % kPresencePrimary) + kPresencePrimary) % kPresencePrimary);
}

// The face's character map as read from a font made for it; a record without data when
// the font made is another face or has no readable map (so that it is not asked again).
std::unique_ptr<CmapRecord> LoadCmap(const WCHAR* face) {
  auto record = std::make_unique<CmapRecord>();
  record->format = 0xFFFF;
  HFONT font = CreateProbeFont(face);
  if (!font) return record;
  HDC dc = FontProbeDc();
  HGDIOBJ old = SelectObject(dc, font);
  WCHAR actual[LF_FACESIZE + 1] = {};
  GetTextFaceW(dc, LF_FACESIZE, actual);
  std::vector<uint8_t> bytes;
  if (StringUtil::Ustricmp(actual, face) == 0 && ReadFontTable(dc, "cmap", &bytes)) {
    CmapRecord read;
    if (ReadCmap(bytes.data(), bytes.size(), &read)) *record = std::move(read);
  }
  SelectObject(dc, old);
  DeleteObject(font);
  return record;
}

}  // namespace

int FindFontInstance(const FontInstanceRecord& record) {
  const auto& all = C().instances;
  for (size_t i = 0; i < all.size(); ++i)
    if (std::memcmp(&all[i], &record, sizeof record) == 0) return static_cast<int>(i);
  return -1;
}

int AppendFontInstance(const FontInstanceRecord& record) {
  auto& all = C().instances;
  try {
    if (all.size() == all.capacity()) all.reserve(all.size() + 24);
    all.push_back(record);
  } catch (...) {
    Basalt::Error::BaseError::_SetError(2);
    return -1;
  }
  return static_cast<int>(all.size() - 1);
}

int FontInstanceIndex(const FontInstanceRecord& record) {
  const int found = FindFontInstance(record);
  return found >= 0 ? found : AppendFontInstance(record);
}

int FontInstanceCount() { return static_cast<int>(C().instances.size()); }

uint32_t FontObjectHash(const LOGFONTW& logfont) { return FontObjectHashOf(logfont); }

HFONT FindCachedFont(const LOGFONTW& logfont) {
  void* cache = C().cache[kFontObjects];
  if (!cache) return nullptr;
  FontObjectItem key{logfont, nullptr};
  auto* hit = static_cast<FontObjectItem*>(BaseCache::_CacheGet(cache, &key));
  return hit ? hit->font : nullptr;
}

bool PutCachedFont(const LOGFONTW& logfont, HFONT font) {
  void* cache = C().cache[kFontObjects];
  if (!cache || !font) return false;
  FontObjectItem item{logfont, font};
  return BaseCache::_CachePut(cache, &item) != nullptr;
}

namespace {
RecentWidth& RecentWidthOf(int instance, uint32_t codePoint) {
  return C().recentWidths[(codePoint * 31u + static_cast<uint32_t>(instance)) & (kRecentWidths - 1)];
}
}  // namespace

bool FindCharWidth(int instance, uint32_t codePoint, int32_t* advance) {
  void* cache = C().cache[kCharWidths];
  if (!cache) return false;
  RecentWidth& recent = RecentWidthOf(instance, codePoint);
  if (recent.instance == instance && recent.codePoint == codePoint && instance >= 0) {
    if (advance) *advance = recent.advance;
    return true;
  }
  CharWidthItem key{instance, codePoint, 0};
  auto* hit = static_cast<CharWidthItem*>(BaseCache::_CacheGet(cache, &key));
  if (!hit) return false;
  recent = RecentWidth{instance, codePoint, hit->advance};
  if (advance) *advance = hit->advance;
  return true;
}

void PutCharWidth(int instance, uint32_t codePoint, int32_t advance) {
  if (void* cache = C().cache[kCharWidths]) {
    CharWidthItem item{instance, codePoint, advance};
    BaseCache::_CachePut(cache, &item);
    RecentWidthOf(instance, codePoint) = RecentWidth{instance, codePoint, advance};
  }
}

bool FindLineHeight(int instance, int32_t* height) {
  void* cache = C().cache[kLineHeights];
  if (!cache) return false;
  LineHeightItem key{instance, 0};
  auto* hit = static_cast<LineHeightItem*>(BaseCache::_CacheGet(cache, &key));
  if (!hit) return false;
  if (height) *height = hit->height;
  return true;
}

void PutLineHeight(int instance, int32_t height) {
  if (void* cache = C().cache[kLineHeights]) {
    LineHeightItem item{instance, height};
    BaseCache::_CachePut(cache, &item);
  }
}

int32_t KerningPairs::Amount(WCHAR c, WCHAR d) const {
  const uint32_t key = static_cast<uint32_t>(c) << 16 | d;
  int lo = 0, hi = count;
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    const uint32_t k = static_cast<uint32_t>(pairs[mid].first) << 16 | pairs[mid].second;
    if (k < key)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < count && pairs[lo].first == c && pairs[lo].second == d) return pairs[lo].amount;
  return 0;
}

std::vector<KerningPairRecord> BuildKerningArray(const std::vector<CharsetKerning>& sets) {
  std::vector<KerningPairRecord> out;
  int contributed = 0;
  for (const auto& set : sets) {
    if (set.row < 0 || set.row >= kCharsetRows) continue;
    const UINT codePage = CharsetTable()[set.row].codePage;
    bool any = false;
    for (const KERNINGPAIR& p : set.pairs) {
      char bytes[4];
      int n = 0;
      for (WORD code : {p.wFirst, p.wSecond}) {
        if (code >= 256) bytes[n++] = static_cast<char>(code >> 8);
        bytes[n++] = static_cast<char>(code & 0xFF);
      }
      WCHAR units[8] = {};
      const int got = MultiByteToWideChar(codePage, 0, bytes, n, units, 8);
      if (got < 2) continue;
      out.push_back(KerningPairRecord{units[0], units[1], p.iKernAmount});
      any = true;
    }
    if (any) ++contributed;
  }
  auto keyOf = [](const KerningPairRecord& r) { return static_cast<uint32_t>(r.first) << 16 | r.second; };
  std::stable_sort(out.begin(), out.end(),
                   [&](const KerningPairRecord& a, const KerningPairRecord& b) { return keyOf(a) < keyOf(b); });
  if (contributed > 1)
    out.erase(std::unique(out.begin(), out.end(),
                          [](const KerningPairRecord& a, const KerningPairRecord& b) {
                            return a.first == b.first && a.second == b.second && a.amount == b.amount;
                          }),
              out.end());
  return out;
}

bool LoadKerningPairs(HDC dc, int instance, KerningPairs* out);

bool GetKerningPairs(HDC dc, int instance, KerningPairs* out) {
  if (!out) return false;
  *out = KerningPairs{};
  void* cache = C().cache[kKerning];
  if (cache) {
    KerningItem key{instance, 0, nullptr};
    if (auto* hit = static_cast<KerningItem*>(BaseCache::_CacheGet(cache, &key))) {
      out->pairs = hit->pairs;
      out->count = hit->count;
      return hit->count > 0;
    }
  }
  return LoadKerningPairs(dc, instance, out);
}

// The pairs of the font selected in the DC, in each character set of its face, put in the
// kerning cache (or owned by `out` when the cache will not take them).
bool LoadKerningPairs(HDC dc, int instance, KerningPairs* out) {
  void* cache = C().cache[kKerning];
  HGDIOBJ current = GetCurrentObject(dc, OBJ_FONT);
  LOGFONTW lf{};
  if (!current || GetObjectW(current, sizeof lf, &lf) == 0) return false;
  const FontEntry* entry = FontAt(FindFace(lf.lfFaceName));
  if (!entry) entry = FontAt(0);
  const uint32_t mask = entry ? entry->charsetMask : 0;
  std::vector<CharsetKerning> sets;
  try {
    for (int row = 0; row < kCharsetRows; ++row) {
      if (!(mask & (1u << row))) continue;
      LOGFONTW again = lf;
      again.lfCharSet = CharsetTable()[row].charset;
      HFONT font = CreateFontIndirectW(&again);
      if (!font) continue;
      HGDIOBJ old = SelectObject(dc, font);
      CharsetKerning set;
      set.row = row;
      const DWORD n = GetKerningPairsW(dc, 0, nullptr);
      if (n && n != GDI_ERROR_DWORD) {
        set.pairs.resize(n);
        set.pairs.resize(GetKerningPairsW(dc, n, set.pairs.data()));
      }
      SelectObject(dc, old);
      DeleteObject(font);
      if (!set.pairs.empty()) sets.push_back(std::move(set));
    }
    const std::vector<KerningPairRecord> built = BuildKerningArray(sets);
    if (built.empty()) return false;
    std::unique_ptr<KerningPairRecord[]> array(new KerningPairRecord[built.size()]);
    std::copy(built.begin(), built.end(), array.get());
    KerningItem item{instance, static_cast<int32_t>(built.size()), array.get()};
    if (cache && BaseCache::_CachePut(cache, &item)) {
      out->pairs = array.release();
    } else {
      // Refused (more pairs than the whole budget): this call uses them and frees them.
      out->pairs = array.get();
      out->owned = std::move(array);
    }
    out->count = static_cast<int>(built.size());
    return true;
  } catch (const std::bad_alloc&) {
    Basalt::Error::BaseError::_SetError(2);
    return false;
  }
}

const CmapRecord* FindCmapRecord(const WCHAR* face) {
  void* cache = C().cache[kCmaps];
  if (!cache || !face) return nullptr;
  CmapItem key{};
  CopyFaceName(key.face, face, kFaceUnits);
  auto* hit = static_cast<CmapItem*>(BaseCache::_CacheGet(cache, &key));
  return hit ? hit->record : nullptr;
}

unsigned GlyphIndexOf(int fontIndex, uint32_t codePoint) {
  const FontEntry* entry = FontAt(fontIndex);
  if (!entry) return 0;
  Caches& c = C();
  const size_t at = static_cast<size_t>(fontIndex);
  if (at < c.cmapByFont.size() && c.cmapByFont[at]) return CmapGlyph(*c.cmapByFont[at], codePoint);
  const CmapRecord* record = FindCmapRecord(entry->faceName);
  std::unique_ptr<CmapRecord> owned;
  if (!record) {
    owned = LoadCmap(entry->faceName);
    CmapItem item{};
    CopyFaceName(item.face, entry->faceName, kFaceUnits);
    item.record = owned.get();
    if (c.cache[kCmaps] && BaseCache::_CachePut(c.cache[kCmaps], &item)) {
      record = owned.release();
    } else {
      // Refused (a map larger than the whole budget): used for this call, then freed.
      record = owned.get();
    }
  }
  if (!owned) {
    if (c.cmapByFont.size() <= at) c.cmapByFont.resize(at + 1, nullptr);
    c.cmapByFont[at] = record;
  }
  return CmapGlyph(*record, codePoint);
}

int LookupGlyphPresence(uint32_t keyLow, uint32_t keyHigh, int* answer) {
  PresenceEntry* table = C().presence.get();
  if (!table) return 0;
  const int p = PresenceIndex(keyLow, keyHigh);
  const PresenceEntry& primary = table[p];
  if (primary.keyLow == 0 && primary.keyHigh == 0) return 0;
  const PresenceEntry* hit = nullptr;
  if (primary.keyLow == keyLow && primary.keyHigh == keyHigh) {
    hit = &primary;
  } else {
    const PresenceEntry& overflow = table[kPresencePrimary + p % kPresenceOverflow];
    if (overflow.keyLow == keyLow && overflow.keyHigh == keyHigh) hit = &overflow;
  }
  if (!hit) return 0;
  if (answer) *answer = static_cast<int>(hit->answer);
  return 1;
}

void StoreGlyphPresence(uint32_t keyLow, uint32_t keyHigh, int answer) {
  Caches& c = C();
  PresenceEntry* table = c.presence.get();
  if (!table) return;
  const int p = PresenceIndex(keyLow, keyHigh);
  PresenceEntry& primary = table[p];
  if ((primary.keyLow == 0 && primary.keyHigh == 0) || static_cast<int32_t>(primary.keyHigh) < 0)
    ++c.presenceFilled;
  else
    table[kPresencePrimary + p % kPresenceOverflow] = primary;
  primary = PresenceEntry{keyLow, keyHigh, static_cast<uint32_t>(answer), 0};
}

int GlyphPresenceFilled() { return C().presenceFilled; }

bool HasGlyph(int slot, int fontIndex, uint32_t codePoint) {
  // The key holds the font index in 12 bits: other indexes would meet other fonts' keys.
  const bool keyed = fontIndex >= 0 && fontIndex <= 0xFFF && slot >= 0 && slot <= 0xFFFFF;
  const uint32_t low = static_cast<uint32_t>(fontIndex) | codePoint << 12;
  const uint32_t high = static_cast<uint32_t>(slot) << 12 | ((codePoint >> 20) & 0xFFF);
  int answer = 0;
  if (keyed && LookupGlyphPresence(low, high, &answer)) return answer != 0;
  answer = GlyphIndexOf(fontIndex, codePoint) > 0 ? 1 : 0;
  if (keyed) StoreGlyphPresence(low, high, answer);
  return answer != 0;
}

int CreateGlyphBitmapCache(GlyphBitmapCache* cache) {
  if (!cache) return 0;
  cache->usable = false;
  try {
    cache->pools[0].reset(new uint8_t[8192]);
    cache->pools[1].reset(new uint8_t[8192]);
  } catch (const std::bad_alloc&) {
    cache->pools[0].reset();
    cache->pools[1].reset();
    return 0;
  }
  cache->list = nullptr;
  std::fill(std::begin(cache->buckets), std::end(cache->buckets), nullptr);
  cache->bytes = 0;
  cache->usable = true;
  return 1;
}

void EmptyGlyphBitmapCache(GlyphBitmapCache* cache) {
  if (!cache) return;
  GlyphBitmapEntry* e = cache->list;
  while (e) {
    GlyphBitmapEntry* next = e->next;
    GlyphBitmapEntry** link = &cache->buckets[(e->fontInstance ^ e->glyph) % GlyphBitmapCache::kBuckets];
    while (*link && *link != e) link = &(*link)->chain;
    if (*link) *link = e->chain;
    cache->bytes -= std::min(cache->bytes, e->Bytes());
    delete e;
    e = next;
  }
  cache->list = nullptr;
  std::fill(std::begin(cache->buckets), std::end(cache->buckets), nullptr);
  cache->bytes = 0;
}

void FreeGlyphBitmapCache(GlyphBitmapCache* cache) {
  if (!cache) return;
  EmptyGlyphBitmapCache(cache);
  cache->pools[0].reset();
  cache->pools[1].reset();
  cache->usable = false;
}

GlyphBitmapCache* TextGlyphBitmapCache() { return &C().glyphBitmaps; }

int CachedItemCount(int which) {
  if (which < 0 || which >= kCacheKinds || !C().cache[which]) return 0;
  return BaseCache::_CacheGetCount(C().cache[which], -1);
}

namespace {

void CreateLineHeightCache() {
  Caches& c = C();
  if (!c.cache[kLineHeights]) c.cache[kLineHeights] = MakeCache(sizeof(LineHeightItem), 32, 0, 1009, &LineHeightProc);
}

// One zeroed block; a table that cannot be made is simply not used.
void CreateGlyphPresenceTable() {
  Caches& c = C();
  if (!c.presence) {
    c.presence.reset(new (std::nothrow) PresenceEntry[kPresenceEntries]());
    c.presenceFilled = 0;
  }
}

}  // namespace

namespace detail {

bool CreateTextCaches() {
  Caches& c = C();
  if (!c.cache[kFontObjects]) c.cache[kFontObjects] = MakeCache(sizeof(FontObjectItem), 128, 0, 7, &FontObjectProc);
  if (!c.cache[kCharWidths]) c.cache[kCharWidths] = MakeCache(sizeof(CharWidthItem), 2018, 0, 1009, &CharWidthProc);
  if (!c.cache[kKerning]) c.cache[kKerning] = MakeCache(sizeof(KerningItem), 0, 131072, 7, &KerningProc);
  if (!c.cache[kCmaps]) c.cache[kCmaps] = MakeCache(sizeof(CmapItem), 0, 2097152, 1, &CmapProc);
  CreateLineHeightCache();
  CreateGlyphPresenceTable();
  CreateGlyphBitmapCache(&c.glyphBitmaps);
  for (void* cache : c.cache)
    if (!cache) return false;
  return c.presence != nullptr;
}

void DestroyTextCaches() {
  Caches& c = C();
  for (void*& cache : c.cache) {
    if (cache) BaseCache::_CacheDelete(cache);
    cache = nullptr;
  }
  c.cmapByFont.clear();
  c.recentWidths.fill(RecentWidth{});
  c.presence.reset();
  c.presenceFilled = 0;
  std::vector<FontInstanceRecord>().swap(c.instances);
  FreeGlyphBitmapCache(&c.glyphBitmaps);
}

}  // namespace detail
}  // namespace Present::Text

// The font table readers. Every read goes through Bytes, which answers 0 for a field that
// does not lie wholly inside the table, so a lying offset or length never reads past it.
#include <plastrum/present/text/SfntTables.h>

#include <algorithm>

#include <win/nls.h>

namespace Present::Text {
namespace {

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
  size_t size() const { return size_; }
  bool Has(size_t at, size_t n) const { return at <= size_ && n <= size_ - at; }
  uint8_t U8(size_t at) const { return Has(at, 1) ? data_[at] : 0; }
  uint16_t U16(size_t at) const {
    return Has(at, 2) ? static_cast<uint16_t>(data_[at] << 8 | data_[at + 1]) : uint16_t{0};
  }
  int16_t I16(size_t at) const { return static_cast<int16_t>(U16(at)); }
  uint32_t U32(size_t at) const {
    return Has(at, 4) ? static_cast<uint32_t>(data_[at]) << 24 | static_cast<uint32_t>(data_[at + 1]) << 16 |
                            static_cast<uint32_t>(data_[at + 2]) << 8 | data_[at + 3]
                      : 0u;
  }
  const uint8_t* At(size_t at) const { return data_ + at; }

 private:
  const uint8_t* data_;
  size_t size_;
};

// The code page a Windows-platform encoding keys its subtable by; 0 for Unicode keys.
UINT CodePageOfEncoding(uint16_t platform, uint16_t encoding) {
  if (platform == 0) return 0;
  if (platform == 3) {
    switch (encoding) {
      case 1:
      case 10:
        return 0;
      case 2:
        return 932;
      case 3:
        return 936;
      case 4:
        return 950;
      case 5:
        return 949;
      case 6:
        return 1361;
      default:
        return 1252;
    }
  }
  return 1252;
}

// Preference of a subtable: higher is better; 0 when it is not read.
int Rank(uint16_t platform, uint16_t encoding, uint16_t format) {
  const bool unicode = CodePageOfEncoding(platform, encoding) == 0;
  if (format == 12) return unicode ? 10 : 0;
  if (format != 0 && format != 2 && format != 4 && format != 6) return 0;
  if (unicode) return format == 4 ? 8 : 7;
  if (platform == 3 && encoding >= 2 && encoding <= 6) return format == 4 ? 6 : 5;
  if (platform == 3) return 4;
  return 2;
}

// Bytes a subtable of this format declares, before clamping to the table.
uint32_t DeclaredLength(const Bytes& t, size_t at, uint16_t format) {
  if (format == 8 || format == 10 || format == 12 || format == 13) return t.U32(at + 4);
  return t.U16(at + 2);
}

unsigned Format0(const Bytes& s, uint32_t code) { return code < 256 ? s.U8(6 + code) : 0; }

unsigned Format2(const Bytes& s, uint32_t code) {
  if (code > 0xFFFF) return 0;
  const uint32_t high = code >> 8, low = code & 0xFF;
  uint32_t key, byte;
  if (high == 0) {
    // A single byte: only a byte that leads no pair maps through sub-header 0.
    if (s.U16(6 + 2 * low) / 8 != 0) return 0;
    key = 0;
    byte = low;
  } else {
    key = s.U16(6 + 2 * high) / 8u;
    if (key == 0) return 0;
    byte = low;
  }
  const size_t sub = 518 + size_t{key} * 8;
  if (!s.Has(sub, 8)) return 0;
  const uint16_t first = s.U16(sub), count = s.U16(sub + 2);
  const int16_t delta = s.I16(sub + 4);
  const uint16_t rangeOffset = s.U16(sub + 6);
  if (byte < first || byte >= uint32_t{first} + count) return 0;
  const size_t at = sub + 6 + rangeOffset + 2 * size_t{byte - first};
  if (!s.Has(at, 2)) return 0;
  const uint16_t glyph = s.U16(at);
  return glyph ? static_cast<uint16_t>(glyph + delta) : 0u;
}

unsigned Format4(const Bytes& s, uint32_t code) {
  if (code > 0xFFFF) return 0;
  const size_t segX2 = s.U16(6) & ~1u;
  const size_t segments = segX2 / 2;
  if (segments == 0 || !s.Has(16, 3 * segX2) || !s.Has(14, segX2)) return 0;
  const size_t ends = 14, starts = 16 + segX2, deltas = 16 + 2 * segX2, ranges = 16 + 3 * segX2;
  if (!s.Has(ranges, segX2)) return 0;
  // The first segment whose end is at or above the code.
  size_t lo = 0, hi = segments;
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    if (s.U16(ends + 2 * mid) < code)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == segments) return 0;
  const uint16_t start = s.U16(starts + 2 * lo);
  if (code < start) return 0;
  const uint16_t delta = s.U16(deltas + 2 * lo);
  const uint16_t rangeOffset = s.U16(ranges + 2 * lo);
  if (rangeOffset == 0) return static_cast<uint16_t>(code + delta);
  if (rangeOffset == 0xFFFF) return 0;
  const size_t at = ranges + 2 * lo + rangeOffset + 2 * size_t{code - start};
  if (!s.Has(at, 2)) return 0;
  const uint16_t glyph = s.U16(at);
  return glyph ? static_cast<uint16_t>(glyph + delta) : 0u;
}

unsigned Format6(const Bytes& s, uint32_t code) {
  const uint16_t first = s.U16(6), count = s.U16(8);
  if (code < first || code >= uint32_t{first} + count) return 0;
  return s.U16(10 + 2 * size_t{code - first});
}

unsigned Format12(const Bytes& s, uint32_t code) {
  const size_t groups = std::min<size_t>(s.U32(12), s.size() >= 16 ? (s.size() - 16) / 12 : 0);
  size_t lo = 0, hi = groups;
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    if (s.U32(16 + 12 * mid + 4) < code)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == groups) return 0;
  const size_t g = 16 + 12 * lo;
  const uint32_t start = s.U32(g);
  if (code < start) return 0;
  return s.U32(g + 8) + (code - start);
}

}  // namespace

bool ReadFullNames(const uint8_t* table, size_t size, std::vector<FontNameRecord>* out) {
  const Bytes t(table, size);
  if (!out || !t.Has(0, 6)) return false;
  out->clear();
  const size_t count = t.U16(2), strings = t.U16(4);
  for (size_t i = 0; i < count; ++i) {
    const size_t r = 6 + 12 * i;
    if (!t.Has(r, 12)) break;
    if (t.U16(r) != 3 || t.U16(r + 6) != 4) continue;
    const size_t length = t.U16(r + 8), at = strings + t.U16(r + 10);
    if (!t.Has(at, length)) continue;
    FontNameRecord record;
    record.language = t.U16(r + 4);
    for (size_t k = 0; k + 1 < length && record.name.size() < 64; k += 2)
      record.name.push_back(static_cast<char16_t>(t.U16(at + k)));
    out->push_back(std::move(record));
  }
  return true;
}

bool ReadHhea(const uint8_t* table, size_t size, HheaHeader* out) {
  const Bytes t(table, size);
  if (!out || !t.Has(0, 36)) return false;
  HheaHeader h;
  h.version = t.U32(0);
  h.ascender = t.I16(4);
  h.descender = t.I16(6);
  h.lineGap = t.I16(8);
  h.advanceWidthMax = t.U16(10);
  h.minLeftSideBearing = t.I16(12);
  h.minRightSideBearing = t.I16(14);
  h.xMaxExtent = t.I16(16);
  h.caretSlopeRise = t.I16(18);
  h.caretSlopeRun = t.I16(20);
  h.caretOffset = t.I16(22);
  for (int i = 0; i < 4; ++i) h.reserved[i] = t.I16(24 + 2 * static_cast<size_t>(i));
  h.metricDataFormat = t.I16(32);
  h.numberOfHMetrics = t.U16(34);
  *out = h;
  return true;
}

bool ReadMaxp(const uint8_t* table, size_t size, MaxpHeader* out) {
  const Bytes t(table, size);
  if (!out || !t.Has(0, 6)) return false;
  MaxpHeader m;
  m.version = t.U32(0);
  for (size_t i = 0; i < 14 && t.Has(4 + 2 * i, 2); ++i) m.fields[m.fieldCount++] = t.U16(4 + 2 * i);
  *out = m;
  return true;
}

bool ReadHmtx(const uint8_t* table, size_t size, int count, std::vector<HorizontalMetric>* out) {
  const Bytes t(table, size);
  if (!out || count <= 0) return false;
  const size_t n = std::min<size_t>(static_cast<size_t>(count), t.size() / 4);
  out->resize(n);
  for (size_t i = 0; i < n; ++i) (*out)[i] = HorizontalMetric{t.U16(4 * i), t.I16(4 * i + 2)};
  return n > 0;
}

bool ReadOs2Ranges(const uint8_t* table, size_t size, uint32_t ranges[4]) {
  const Bytes t(table, size);
  if (!ranges || !t.Has(0, 2) || t.U16(0) == 0 || t.size() <= 57) return false;
  for (size_t i = 0; i < 4; ++i) ranges[i] = t.U32(42 + 4 * i);
  return true;
}

uint16_t ReadUnitsPerEm(const uint8_t* table, size_t size) { return Bytes(table, size).U16(18); }

bool ReadCmap(const uint8_t* table, size_t size, CmapRecord* out) {
  const Bytes t(table, size);
  if (!out || !t.Has(0, 4)) return false;
  const size_t count = t.U16(2);
  int best = 0;
  size_t bestAt = 0, bestLength = 0;
  uint16_t bestPlatform = 0, bestEncoding = 0, bestFormat = 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t r = 4 + 8 * i;
    if (!t.Has(r, 8)) break;
    const uint16_t platform = t.U16(r), encoding = t.U16(r + 2);
    const size_t at = t.U32(r + 4);
    if (!t.Has(at, 4)) continue;
    const uint16_t format = t.U16(at);
    const int rank = Rank(platform, encoding, format);
    if (rank <= best) continue;
    const size_t length = std::min<size_t>(DeclaredLength(t, at, format), t.size() - at);
    const size_t header = format == 12 ? 16 : format == 0 ? 6 : format == 2 ? 518 : format == 4 ? 16 : 10;
    if (length < header) continue;
    best = rank;
    bestAt = at;
    bestLength = length;
    bestPlatform = platform;
    bestEncoding = encoding;
    bestFormat = format;
  }
  if (!best) return false;
  out->platform = bestPlatform;
  out->encoding = bestEncoding;
  out->format = bestFormat;
  out->codePage = CodePageOfEncoding(bestPlatform, bestEncoding);
  out->length = static_cast<uint32_t>(bestLength);
  out->data.assign(t.At(bestAt), t.At(bestAt) + bestLength);
  return true;
}

unsigned CmapGlyphOfCode(const CmapRecord& record, uint32_t code) {
  const Bytes s(record.data.data(), record.data.size());
  switch (record.format) {
    case 0:
      return Format0(s, code);
    case 2:
      return Format2(s, code);
    case 4:
      return Format4(s, code);
    case 6:
      return Format6(s, code);
    case 12:
      return Format12(s, code);
    default:
      return 0;
  }
}

unsigned CmapGlyph(const CmapRecord& record, uint32_t codePoint) {
  if (record.codePage == 0) return CmapGlyphOfCode(record, codePoint);
  if (codePoint > 0xFFFF || (codePoint >= 0xD800 && codePoint < 0xE000)) return 0;
  const WCHAR unit = static_cast<WCHAR>(codePoint);
  char bytes[4] = {};
  BOOL usedDefault = FALSE;
  const int n =
      WideCharToMultiByte(record.codePage, WC_NO_BEST_FIT_CHARS, &unit, 1, bytes, sizeof bytes, nullptr, &usedDefault);
  if (n <= 0 || n > 2 || usedDefault) return 0;
  const uint32_t code =
      n == 1 ? static_cast<uint8_t>(bytes[0])
             : static_cast<uint32_t>(static_cast<uint8_t>(bytes[0])) << 8 | static_cast<uint8_t>(bytes[1]);
  return CmapGlyphOfCode(record, code);
}

}  // namespace Present::Text

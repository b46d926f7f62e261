// The font table readers on small tables written here: each cmap format, the subtable
// preference, code-page encodings, and tables whose offsets and lengths lie.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include <plastrum/present/text/SfntTables.h>

using namespace Present::Text;

namespace {

struct Writer {
  std::vector<uint8_t> b;
  Writer& U16(uint32_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  Writer& U32(uint32_t v) { return U16(v >> 16).U16(v & 0xFFFF); }
  Writer& Bytes(const std::vector<uint8_t>& more) {
    b.insert(b.end(), more.begin(), more.end());
    return *this;
  }
};

// A cmap table with one subtable.
std::vector<uint8_t> Cmap(uint16_t platform, uint16_t encoding, const std::vector<uint8_t>& sub) {
  Writer w;
  w.U16(0).U16(1).U16(platform).U16(encoding).U32(12).Bytes(sub);
  return w.b;
}

std::vector<uint8_t> Format0() {
  Writer w;
  w.U16(0).U16(262).U16(0);
  for (int i = 0; i < 256; ++i) w.b.push_back(i == 'A' ? 7 : 0);
  return w.b;
}

// Segments [0x41, 0x43] by delta +1 and [0x100, 0x101] through the glyph array, then 0xFFFF.
std::vector<uint8_t> Format4() {
  Writer w;
  w.U16(4).U16(0).U16(0).U16(6).U16(0).U16(0).U16(0);
  w.U16(0x43).U16(0x101).U16(0xFFFF).U16(0);  // ends, pad
  w.U16(0x41).U16(0x100).U16(0xFFFF);         // starts
  w.U16(1).U16(0).U16(1);                     // deltas
  w.U16(0).U16(4).U16(0);                     // range offsets: the second points 4 bytes on
  w.U16(20).U16(21);                          // glyph array
  w.b[2] = static_cast<uint8_t>(w.b.size() >> 8);
  w.b[3] = static_cast<uint8_t>(w.b.size());
  return w.b;
}

std::vector<uint8_t> Format6() {
  Writer w;
  w.U16(6).U16(14).U16(0).U16(0x30).U16(2).U16(9).U16(10);
  return w.b;
}

std::vector<uint8_t> Format12(uint32_t groups, bool truthful = true) {
  Writer w;
  w.U16(12).U16(0).U32(16 + 12 * groups).U32(0).U32(truthful ? groups : 0x10000000u);
  for (uint32_t g = 0; g < groups; ++g) w.U32(0x1D400 + 0x100 * g).U32(0x1D43F + 0x100 * g).U32(100 + 16 * g);
  return w.b;
}

// Format 2 for Shift-JIS: byte 0x41 maps alone, lead byte 0x82 with trail 0xA0 maps.
std::vector<uint8_t> Format2() {
  Writer w;
  w.U16(2).U16(0).U16(0);
  for (int i = 0; i < 256; ++i) w.U16(i == 0x82 ? 8 : 0);
  // Sub-header 0: all single bytes, through array A; sub-header 1: trail bytes 0xA0..0xA1.
  const size_t sub0 = w.b.size();
  w.U16(0).U16(256).U16(0).U16(0);
  w.U16(0xA0).U16(2).U16(0).U16(0);
  const size_t arrayA = w.b.size();
  for (int i = 0; i < 256; ++i) w.U16(i == 0x41 ? 5 : 0);
  const size_t arrayB = w.b.size();
  w.U16(30).U16(31);
  auto setRange = [&](size_t sub, size_t array) {
    const size_t offset = array - (sub + 6);
    w.b[sub + 6] = static_cast<uint8_t>(offset >> 8);
    w.b[sub + 7] = static_cast<uint8_t>(offset);
  };
  setRange(sub0, arrayA);
  setRange(sub0 + 8, arrayB);
  w.b[2] = static_cast<uint8_t>(w.b.size() >> 8);
  w.b[3] = static_cast<uint8_t>(w.b.size());
  return w.b;
}

}  // namespace

TEST(TextSfntTables, EveryCmapFormatMapsItsCodes) {
  struct Row {
    const char* name;
    std::vector<uint8_t> table;
    uint32_t code;
    unsigned glyph;
  };
  const std::vector<Row> rows = {
      {"format 0", Cmap(3, 1, Format0()), 'A', 7},
      {"format 0 past its bytes", Cmap(3, 1, Format0()), 0x100, 0},
      {"format 4 by delta", Cmap(3, 1, Format4()), 0x42, 0x43},
      {"format 4 through the array", Cmap(3, 1, Format4()), 0x101, 21},
      {"format 4 between segments", Cmap(3, 1, Format4()), 0x50, 0},
      {"format 4 beyond the BMP", Cmap(3, 1, Format4()), 0x10041, 0},
      {"format 6", Cmap(3, 1, Format6()), 0x31, 10},
      {"format 6 before its first code", Cmap(3, 1, Format6()), 0x2F, 0},
      {"format 12", Cmap(3, 10, Format12(3)), 0x1D538, 116 + 0x38},
      {"format 12 in a gap", Cmap(3, 10, Format12(3)), 0x1D440, 0},
      {"format 12 with a lying group count", Cmap(3, 10, Format12(2, false)), 0x1D501, 117},
      {"format 2 in Shift-JIS, one byte", Cmap(3, 2, Format2()), u'A', 5},
      {"format 2 in Shift-JIS, two bytes (U+3041 is 82 9F; U+3042 82 A0)", Cmap(3, 2, Format2()), 0x3042, 30},
      {"format 2: no exact form in the code page", Cmap(3, 2, Format2()), 0x0410 + 0x1000, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    CmapRecord record;
    ASSERT_TRUE(ReadCmap(r.table.data(), r.table.size(), &record));
    EXPECT_EQ(CmapGlyph(record, r.code), r.glyph);
  }
}

TEST(TextSfntTables, CmapPrefersTheFullUnicodeMap) {
  // Two subtables: a (3,1) format 4 and a (3,10) format 12.
  const auto four = Format4(), twelve = Format12(1);
  Writer w;
  w.U16(0).U16(2).U16(3).U16(1).U32(20).U16(3).U16(10).U32(static_cast<uint32_t>(20 + four.size()));
  w.Bytes(four).Bytes(twelve);
  CmapRecord record;
  ASSERT_TRUE(ReadCmap(w.b.data(), w.b.size(), &record));
  EXPECT_EQ(record.format, 12);
  EXPECT_EQ(record.length, twelve.size());  // the 32-bit length
  EXPECT_EQ(record.CacheSize(), twelve.size() + 4);
}

TEST(TextSfntTables, LyingTablesReadNothingOutside) {
  // Subtable offsets and lengths past the end, truncated headers.
  std::vector<std::vector<uint8_t>> bad = {
      {},
      {0, 0, 0, 5},
      Cmap(3, 1, {0, 4, 0xFF, 0xFF}),
  };
  auto cut = Cmap(3, 1, Format4());
  cut.resize(cut.size() - 6);
  bad.push_back(cut);
  auto far = Cmap(3, 10, Format12(1));
  far[8] = 0x7F;  // the subtable offset far past the end
  bad.push_back(far);
  for (const auto& t : bad) {
    CmapRecord record;
    if (ReadCmap(t.data(), t.size(), &record))
      for (uint32_t c : {0u, 0x41u, 0x101u, 0xFFFFu, 0x1D538u}) CmapGlyph(record, c);
  }
  HheaHeader hhea;
  EXPECT_FALSE(ReadHhea(std::vector<uint8_t>(35).data(), 35, &hhea));
  std::vector<uint8_t> h(36);
  h[34] = 1;
  h[35] = 2;
  ASSERT_TRUE(ReadHhea(h.data(), h.size(), &hhea));
  EXPECT_EQ(hhea.numberOfHMetrics, 0x102);
  MaxpHeader maxp;
  const uint8_t m[] = {0, 0, 0x50, 0, 0x12, 0x34};
  ASSERT_TRUE(ReadMaxp(m, sizeof m, &maxp));
  EXPECT_EQ(maxp.NumGlyphs(), 0x1234);
  EXPECT_EQ(maxp.fieldCount, 1);
  std::vector<HorizontalMetric> metrics;
  const uint8_t x[] = {0, 10, 0xFF, 0xFF, 0, 20};
  ASSERT_TRUE(ReadHmtx(x, sizeof x, 5, &metrics));  // as many as the table holds
  ASSERT_EQ(metrics.size(), 1u);
  EXPECT_EQ(metrics[0].advance, 10);
  EXPECT_EQ(metrics[0].leftSideBearing, -1);
  uint32_t ranges[4];
  std::vector<uint8_t> os2(58);
  EXPECT_FALSE(ReadOs2Ranges(os2.data(), os2.size(), ranges));  // version 0
  os2[1] = 1;
  EXPECT_FALSE(ReadOs2Ranges(os2.data(), 57, ranges));
  os2[45] = 0x80;
  ASSERT_TRUE(ReadOs2Ranges(os2.data(), os2.size(), ranges));
  EXPECT_EQ(ranges[0], 0x80u);
  // A name record pointing past the strings is skipped; one in bounds is read.
  Writer n;
  n.U16(0).U16(2).U16(30);
  n.U16(3).U16(1).U16(0x409).U16(4).U16(4).U16(0);
  n.U16(3).U16(1).U16(0x411).U16(4).U16(200).U16(0);
  n.U16('H').U16('i');
  std::vector<FontNameRecord> names;
  ASSERT_TRUE(ReadFullNames(n.b.data(), n.b.size(), &names));
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].name, u"Hi");
  EXPECT_EQ(names[0].language, 0x409);
  EXPECT_EQ(ReadUnitsPerEm(nullptr, 0), 0);
}

// Bytes through the font table readers. The first byte picks the reader: "cmap" whole, one
// cmap subtable of each format given directly, "name", "hhea", "maxp", "hmtx", "OS/2",
// "head", or kerning pairs (a charset row, then 8-byte pairs) through the kerning array.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <plastrum/present/text/SfntTables.h>
#include <plastrum/present/text/TextCaches.h>

using namespace Present::Text;

namespace {

void Probe(const CmapRecord& record) {
  static const uint32_t codes[] = {0,      0x20,   0x41,   0x7F,    0xFF,    0x100,    0x3042,
                                   0x6F22, 0xAC00, 0xFFFF, 0x10000, 0x1D538, 0x10FFFF, 0xFFFFFFFF};
  for (uint32_t c : codes) {
    CmapGlyph(record, c);
    CmapGlyphOfCode(record, c);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t pick = data[0] % 12;
  const uint8_t* t = data + 1;
  const size_t n = size - 1;
  switch (pick) {
    case 0: {
      CmapRecord record;
      if (ReadCmap(t, n, &record)) Probe(record);
      break;
    }
    case 1:
    case 2:
    case 3:
    case 4:
    case 5: {
      static const uint16_t formats[] = {0, 2, 4, 6, 12};
      static const UINT pages[] = {0, 932, 936, 949, 950, 1361, 1252};
      CmapRecord record;
      record.format = formats[pick - 1];
      record.codePage = n ? pages[t[0] % 7] : 0;
      record.data.assign(t, t + n);
      record.length = static_cast<uint32_t>(n);
      Probe(record);
      break;
    }
    case 6: {
      std::vector<FontNameRecord> names;
      ReadFullNames(t, n, &names);
      break;
    }
    case 7: {
      HheaHeader h;
      ReadHhea(t, n, &h);
      MaxpHeader m;
      ReadMaxp(t, n, &m);
      break;
    }
    case 8: {
      std::vector<HorizontalMetric> metrics;
      ReadHmtx(t, n, n ? t[0] * 64 : 0, &metrics);
      break;
    }
    case 9: {
      uint32_t ranges[4];
      ReadOs2Ranges(t, n, ranges);
      ReadUnitsPerEm(t, n);
      break;
    }
    default: {
      std::vector<CharsetKerning> sets;
      size_t at = 0;
      while (at < n) {
        CharsetKerning set;
        set.row = t[at++] % 16;
        const size_t count = at < n ? t[at++] : 0;
        for (size_t i = 0; i < count && at + 8 <= n; ++i, at += 8) {
          KERNINGPAIR p;
          std::memcpy(&p.wFirst, t + at, 2);
          std::memcpy(&p.wSecond, t + at + 2, 2);
          std::memcpy(&p.iKernAmount, t + at + 4, 4);
          set.pairs.push_back(p);
        }
        sets.push_back(std::move(set));
      }
      const auto pairs = BuildKerningArray(sets);
      KerningPairs lookup;
      lookup.pairs = pairs.data();
      lookup.count = static_cast<int>(pairs.size());
      lookup.Amount(u'A', u'V');
      break;
    }
  }
  return 0;
}

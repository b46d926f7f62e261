// A deliberately plain Deflate reader (one bit at a time, canonical decoding by
// counts), independent of the library's table-driven decoder.
#include "deflate_test_support.h"

namespace deflate_test {
namespace {

struct BitReader {
  const Bytes& d;
  size_t bitPos = 0;
  bool overrun = false;
  int Bit() {
    if (bitPos >= d.size() * 8) {
      overrun = true;
      return 0;
    }
    const int b = (d[bitPos >> 3] >> (bitPos & 7)) & 1;
    ++bitPos;
    return b;
  }
  int Bits(int n) {
    int v = 0;
    for (int i = 0; i < n; ++i) v |= Bit() << i;
    return v;
  }
};

struct Code {
  int count[16] = {};
  std::vector<int> symbols;
  explicit Code(const std::vector<int>& lens) {
    for (int l : lens) ++count[l];
    count[0] = 0;
    int offs[16] = {};
    for (int l = 1; l < 15; ++l) offs[l + 1] = offs[l] + count[l];
    symbols.resize(lens.size());
    for (size_t s = 0; s < lens.size(); ++s)
      if (lens[s]) symbols[offs[lens[s]]++] = static_cast<int>(s);
  }
  int Decode(BitReader& br) const {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= 15; ++len) {
      code |= br.Bit();
      const int c = count[len];
      if (code - c < first) return symbols[index + (code - first)];
      index += c;
      first = (first + c) << 1;
      code <<= 1;
    }
    return -1;
  }
};

const int kLenBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                        31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const int kLenExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const int kDistBase[] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                         193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const int kDistExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                          6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const int kOrder[] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

bool Codes(BitReader& br, const Code& lit, const Code& dist, Block& b) {
  for (;;) {
    const int s = lit.Decode(br);
    if (s < 0 || br.overrun) return false;
    if (s < 256) {
      b.symbols.push_back({s, 0, 0});
      continue;
    }
    if (s == 256) return true;
    if (s > 285) return false;
    Symbol m;
    m.length = kLenBase[s - 257] + br.Bits(kLenExtra[s - 257]);
    const int ds = dist.Decode(br);
    if (ds < 0 || ds > 29) return false;
    m.distance = kDistBase[ds] + br.Bits(kDistExtra[ds]);
    b.symbols.push_back(m);
  }
}

}  // namespace

std::optional<std::vector<Block>> ListBlocks(const Bytes& data) {
  BitReader br{data};
  std::vector<Block> blocks;
  for (;;) {
    Block b;
    b.final = br.Bit();
    b.type = br.Bits(2);
    if (b.type == 0) {
      br.bitPos = (br.bitPos + 7) & ~size_t{7};
      const int len = br.Bits(16);
      const int nlen = br.Bits(16);
      if ((len ^ 0xFFFF) != nlen) return std::nullopt;
      for (int i = 0; i < len; ++i) b.symbols.push_back({br.Bits(8), 0, 0});
    } else if (b.type == 1) {
      std::vector<int> l(288), d(30, 5);
      for (int i = 0; i < 288; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
      if (!Codes(br, Code(l), Code(d), b)) return std::nullopt;
    } else if (b.type == 2) {
      const int hlit = br.Bits(5) + 257, hdist = br.Bits(5) + 1, hclen = br.Bits(4) + 4;
      std::vector<int> cl(19);
      for (int i = 0; i < hclen; ++i) cl[kOrder[i]] = br.Bits(3);
      const Code clc(cl);
      std::vector<int> lens;
      while (static_cast<int>(lens.size()) < hlit + hdist) {
        const int s = clc.Decode(br);
        if (s < 0) return std::nullopt;
        if (s < 16) {
          lens.push_back(s);
        } else {
          int rep, val = 0;
          if (s == 16) {
            if (lens.empty()) return std::nullopt;
            val = lens.back();
            rep = 3 + br.Bits(2);
          } else if (s == 17) {
            rep = 3 + br.Bits(3);
          } else {
            rep = 11 + br.Bits(7);
          }
          lens.insert(lens.end(), rep, val);
        }
      }
      if (static_cast<int>(lens.size()) != hlit + hdist) return std::nullopt;
      if (!Codes(br, Code({lens.begin(), lens.begin() + hlit}), Code({lens.begin() + hlit, lens.end()}), b))
        return std::nullopt;
    } else {
      return std::nullopt;
    }
    if (br.overrun) return std::nullopt;
    blocks.push_back(std::move(b));
    if (blocks.back().final) return blocks;
  }
}

}  // namespace deflate_test

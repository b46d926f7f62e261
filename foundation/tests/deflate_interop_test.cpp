// Our Deflate against zlib, both ways, and the decoder's refusals.
#include "deflate_test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace deflate_test;

struct NamedInput {
  const char* name;
  Bytes data;
};

std::vector<NamedInput> Inputs() {
  Bytes text = ToBytes("The quick brown fox jumps over the lazy dog. The quick brown fox jumps again.");
  Bytes binary;
  for (int i = 0; i < 50000; ++i)  // structured binary: little-endian records with small fields
    for (int k = 0; k < 4; ++k) binary.push_back(static_cast<uint8_t>((i * (k + 1)) >> (k * 3)));
  Bytes mixed = XmlText(1 << 20, 21);
  const Bytes noise = RandomBytes(100000, 22);
  mixed.insert(mixed.begin() + 300000, noise.begin(), noise.end());
  return {{"empty", {}},
          {"one byte", {0x42}},
          {"text", text},
          {"binary", binary},
          {"random", RandomBytes(70000, 23)},
          {"1 MB", mixed},
          {"runs", Bytes(100000, 0)}};
}

TEST(DeflateInterop, ZlibInflatesWhatWeWrite) {
  for (const auto& in : Inputs()) {
    const Bytes packed = Compress(in.data, {10000});
    ASSERT_GE(packed.size(), 8u);
    size_t consumed = 0;
    const auto out = ZlibRawInflate(packed.data(), packed.size(), 15, 65536, &consumed);
    ASSERT_TRUE(out) << in.name;
    EXPECT_EQ(*out, in.data) << in.name;
    EXPECT_EQ(consumed, packed.size() - 8) << in.name;  // then exactly the trailer
    // A 4 KiB window is all a zlib reader needs, too.
    EXPECT_EQ(ZlibRawInflate(packed.data(), packed.size(), 12, 1), in.data) << in.name;
  }
}

TEST(DeflateInterop, WeInflateWhatZlibWrites) {
  for (const auto& in : Inputs()) {
    for (int level = 1; level <= 9; ++level) {
      const Bytes packed = ZlibRawDeflate(in.data, level, 12);
      const ReadResult r = Decompress(packed, {4096, 1, 30000}, 0, false);
      EXPECT_FALSE(r.readFailed) << in.name << " level " << level;
      EXPECT_EQ(r.data, in.data) << in.name << " level " << level;
    }
  }
}

TEST(DeflateInterop, WideWindowsNeedTheirMemoryClass) {
  // Repeats 10000 bytes apart: zlib's 32 KiB window reaches them, our 4 KiB one not.
  Bytes block = RandomBytes(10000, 31);
  Bytes input = block;
  input.insert(input.end(), block.begin(), block.end());
  const Bytes packed = ZlibRawDeflate(input, 6, 15);
  EXPECT_TRUE(Decompress(packed, {65536}, 0, false).readFailed);
  EXPECT_TRUE(Decompress(packed, {65536}, 1, false).readFailed);
  const ReadResult wide = Decompress(packed, {65536}, 2, false);
  EXPECT_FALSE(wide.readFailed);
  EXPECT_EQ(wide.data, input);
}

// Writes bits least significant first, for hand-made streams.
struct BitWriter {
  Bytes out;
  unsigned acc = 0, n = 0;
  void Put(unsigned v, unsigned bits) {
    for (unsigned i = 0; i < bits; ++i) {
      acc |= ((v >> i) & 1) << n;
      if (++n == 8) {
        out.push_back(static_cast<uint8_t>(acc));
        acc = n = 0;
      }
    }
  }
  void PutCode(unsigned code, unsigned bits)  // Huffman codes go most significant bit first
  {
    for (unsigned i = bits; i-- > 0;) Put((code >> i) & 1, 1);
  }
  Bytes Done() {
    if (n) out.push_back(static_cast<uint8_t>(acc));
    return out;
  }
};

// A fixed-code block: literals, then one match of length 3 at the given distance.
Bytes FixedBlockWithMatch(const std::string& literals, unsigned distance) {
  BitWriter bw;
  bw.Put(1, 1);
  bw.Put(1, 2);
  for (unsigned char c : literals) bw.PutCode(0x30 + c, 8);
  bw.PutCode(1, 7);  // length 3
  static const unsigned kBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                     33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                     1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  static const unsigned kExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
  unsigned code = 0;
  while (code + 1 < 30 && kBase[code + 1] <= distance) ++code;
  bw.PutCode(code, 5);
  bw.Put(distance - kBase[code], kExtra[code]);
  bw.PutCode(0, 7);  // end of block
  return bw.Done();
}

// A final dynamic block that declares `hlit` literal/length and `hdist` distance code
// lengths and holds only its end: literal 0 and end-of-block take one bit each, distances
// 0 and 1 one bit each, every other length is 0. The code-length code gives lengths 0 and 1
// one bit each, so every declared length is one bit. Well formed whenever the counts are.
Bytes DynamicBlockDeclaring(unsigned hlit, unsigned hdist) {
  BitWriter bw;
  bw.Put(1, 1);  // final
  bw.Put(2, 2);  // dynamic
  bw.Put(hlit - 257, 5);
  bw.Put(hdist - 1, 5);
  // Code-length code lengths in their order 16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3,
  // 13, 2, 14, 1: only 0 (fourth) and 1 (last) have a code.
  bw.Put(18 - 4, 4);
  for (unsigned i = 0; i < 18; ++i) bw.Put(i == 3 || i == 17 ? 1 : 0, 3);
  for (unsigned i = 0; i < hlit; ++i) bw.PutCode(i == 0 || i == 256 ? 1 : 0, 1);
  for (unsigned i = 0; i < hdist; ++i) bw.PutCode(i < 2 ? 1 : 0, 1);
  bw.PutCode(1, 1);  // end of block: the second of the two one-bit codes
  return bw.Done();
}

TEST(DeflateInterop, DeclaredCodeCountsAreBounded) {
  // HLIT may declare up to 288 and HDIST up to 32 lengths, but only 286 and 30 symbols
  // exist: a stream declaring more is refused for that alone.
  const struct {
    unsigned hlit, hdist;
    bool ok;
  } cases[] = {{286, 30, true},  {257, 1, true},   {287, 30, false}, {288, 30, false},
               {288, 32, false}, {257, 31, false}, {286, 32, false}};
  for (const auto& c : cases) {
    const Bytes data = DynamicBlockDeclaring(c.hlit, c.hdist);
    const ReadResult r = Decompress(data, {100}, 0, false);
    EXPECT_EQ(r.readFailed, !c.ok) << "HLIT " << c.hlit << " HDIST " << c.hdist;
    EXPECT_TRUE(r.data.empty());
    // zlib draws the same line.
    EXPECT_EQ(ZlibRawInflate(data.data(), data.size()).has_value(), c.ok) << "HLIT " << c.hlit << " HDIST " << c.hdist;
  }
}

TEST(DeflateInterop, MalformedStreamsAreRefused) {
  const struct {
    const char* name;
    Bytes data;
  } cases[] = {
      {"block type 3", {0x07, 0, 0, 0}},
      {"stored length without its complement", {0x01, 0x05, 0x00, 0x00, 0x00, 'a', 'b', 'c', 'd', 'e'}},
      {"HLIT above 286", {0xF5, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
      {"distance before the first byte", FixedBlockWithMatch("a", 2)},
      {"no final block", {0x00, 0x00, 0x00, 0xFF, 0xFF}},
      {"empty input", {}},
  };
  for (const auto& c : cases) {
    const ReadResult r = Decompress(c.data, {100}, 0, true);
    EXPECT_TRUE(r.readFailed) << c.name;
    EXPECT_EQ(r.closeResult, -1) << c.name;
  }
  // The hand-made streams are well formed apart from the fault under test.
  EXPECT_EQ(Decompress(FixedBlockWithMatch("ab", 2), {100}, 0, false).data, ToBytes("ababa"));
  EXPECT_EQ(ZlibRawInflate(FixedBlockWithMatch("ab", 2).data(), 6), ToBytes("ababa"));
}

TEST(DeflateInterop, DistancesBeyondTheWindowAreRefused) {
  const std::string filler(5000, 'x');
  for (const auto& [distance, memClass, ok] :
       {std::tuple{4096u, 0, true}, std::tuple{4097u, 0, false}, std::tuple{4097u, 1, true}}) {
    const Bytes data = FixedBlockWithMatch(filler, distance);
    const ReadResult r = Decompress(data, {100}, memClass, false);
    EXPECT_EQ(r.readFailed, !ok) << distance << " class " << memClass;
  }
}

}  // namespace

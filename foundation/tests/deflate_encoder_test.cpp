// What the encoder chooses: matches, block sizes and block types.
#include "deflate_test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace deflate_test;

Bytes DeflateData(const Bytes& packed) { return Bytes(packed.begin(), packed.end() - 8); }

Bytes DeBruijnPrefix(size_t n) {
  Bytes seq;
  int a[8] = {};
  auto db = [&](auto&& self, int t, int p) -> void {
    if (seq.size() >= n) return;
    if (t > 3) {
      if (3 % p == 0)
        for (int i = 1; i <= p; ++i) seq.push_back(static_cast<uint8_t>(a[i]));
      return;
    }
    a[t] = a[t - p];
    self(self, t + 1, p);
    for (int j = a[t - p] + 1; j < 256; ++j) {
      a[t] = j;
      self(self, t + 1, t);
    }
  };
  db(db, 1, 1);
  seq.resize(n);
  return seq;
}

TEST(DeflateEncoder, RunOfEqualBytesIsTwoLiteralsThenLongMatches) {
  const auto blocks = ListBlocks(DeflateData(Compress(Bytes(1000, 'z'))));
  ASSERT_TRUE(blocks);
  ASSERT_EQ(blocks->size(), 1u);
  const auto& syms = (*blocks)[0].symbols;
  ASSERT_EQ(syms.size(), 6u);
  EXPECT_EQ(syms[0].literal, 'z');
  EXPECT_EQ(syms[1].literal, 'z');  // position 0 is never a match candidate
  // Positions inside a long match are not hashed: later matches reach back to the
  // last position that was.
  const int lengths[] = {258, 258, 258, 224}, distances[] = {1, 258, 258, 258};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(syms[2 + i].length, lengths[i]);
    EXPECT_EQ(syms[2 + i].distance, distances[i]);
  }
}

TEST(DeflateEncoder, LiteralsOnlyInputIsCutIntoBlocksOf4095Symbols) {
  // The start of a de Bruijn sequence over bytes: no 3-byte string occurs twice.
  const Bytes input = DeBruijnPrefix(15000);
  const auto blocks = ListBlocks(DeflateData(Compress(input)));
  ASSERT_TRUE(blocks);
  size_t total = 0;
  for (size_t i = 0; i < blocks->size(); ++i) {
    const auto& b = (*blocks)[i];
    for (const Symbol& s : b.symbols) ASSERT_GE(s.literal, 0);
    EXPECT_TRUE(i + 1 == blocks->size() || b.symbols.size() == 4095u) << i;
    total += b.symbols.size();
  }
  EXPECT_EQ(total, input.size());
  EXPECT_LT(blocks->back().symbols.size(), 4095u);
}

TEST(DeflateEncoder, IncompressibleInputGrowsByAtMostFiveBytesPerBlock) {
  for (size_t n : {size_t{1}, size_t{4095}, size_t{8190}, size_t{100000}, size_t{4095 * 40}}) {
    const Bytes input = RandomBytes(n, static_cast<uint32_t>(n));
    const Bytes packed = Compress(input, {3000});
    EXPECT_LE(packed.size(), n + 5 * ((n + 4094) / 4095) + 8) << n;
    const auto blocks = ListBlocks(DeflateData(packed));
    ASSERT_TRUE(blocks);
    for (const Block& b : *blocks) EXPECT_TRUE(n < 4095 || b.type == 0) << n;
  }
}

TEST(DeflateEncoder, DistancesStayWithinTheWindowLessLookahead) {
  // Repeats at every distance up to 40000, so the window edge is tried all the time.
  Bytes input;
  std::mt19937 rng(5);
  const Bytes base = RandomBytes(64, 6);
  while (input.size() < 400000) {
    const size_t back = 1 + rng() % std::min<size_t>(40000, input.size() + 1);
    const size_t len = 3 + rng() % 40;
    for (size_t i = 0; i < len; ++i) input.push_back(input.size() >= back ? input[input.size() - back] : base[i % 64]);
    input.push_back(static_cast<uint8_t>(rng()));
  }
  for (const auto& [memClass, limit] :
       {std::pair{0, 4096 - 262}, std::pair{1, 8192 - 262}, std::pair{2, 32768 - 262}}) {
    const auto blocks = ListBlocks(DeflateData(Compress(input, {65536}, memClass)));
    ASSERT_TRUE(blocks);
    int longest = 0;
    for (const Block& b : *blocks)
      for (const Symbol& s : b.symbols) longest = std::max(longest, s.distance);
    EXPECT_LE(longest, limit) << memClass;
    EXPECT_GT(longest, limit - 200) << memClass;
  }
}

TEST(DeflateEncoder, CompressibleBlocksUseHuffmanCodes) {
  const auto blocks = ListBlocks(DeflateData(Compress(XmlText(100000, 3))));
  ASSERT_TRUE(blocks);
  int dynamic = 0;
  for (const Block& b : *blocks) dynamic += b.type == 2;
  EXPECT_GE(dynamic, static_cast<int>(blocks->size()) - 1);
  // A short text is not worth a code table.
  const auto small = ListBlocks(DeflateData(Compress(ToBytes("hello hello hello"))));
  ASSERT_TRUE(small);
  EXPECT_EQ((*small)[0].type, 1);
}

}  // namespace

namespace {

// `shortOnes` strings "abc" + one distinct byte between an early long string and its
// repetition: the chain walk meets them first, newest first.
Bytes CandidatesBeforeTheLongMatch(int shortOnes) {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  Bytes input = ToBytes("." + alphabet);  // window position 0 is never a candidate
  input.push_back(0xFF);
  for (int i = 0; i < shortOnes; ++i) {
    // No 3-byte string but "abc" occurs twice, and none shares the hash of "abc" (a string
    // that did would take a place on the chain).
    for (uint8_t b : {uint8_t('a'), uint8_t('b'), uint8_t('c'), uint8_t(0x80 + i), uint8_t(0x40 + i)})
      input.push_back(b);
  }
  for (char c : alphabet) input.push_back(static_cast<uint8_t>(c));
  input.push_back(0xFE);
  return input;
}

}  // namespace

TEST(DeflateEncoder, MatchSearchFollowsAtMost32Candidates) {
  for (const auto& [shortOnes, length] : {std::pair{31, 26}, std::pair{32, 3}}) {
    const Bytes input = CandidatesBeforeTheLongMatch(shortOnes);
    const auto blocks = ListBlocks(DeflateData(Compress(input)));
    ASSERT_TRUE(blocks);
    // The symbol that codes the repeated alphabet's first byte.
    const size_t repeatAt = input.size() - 27;
    size_t at = 0;
    int found = -1;
    for (const Block& b : *blocks)
      for (const Symbol& sym : b.symbols) {
        if (at == repeatAt) found = sym.length;
        at += sym.literal >= 0 ? 1 : static_cast<size_t>(sym.length);
      }
    EXPECT_EQ(found, length) << shortOnes << " nearer candidates";
  }
}

TEST(DeflateEncoder, OutputOfAKnownTextIsPinned) {
  // What the encoder writes depends on which strings share a hash chain and on how far a
  // chain is followed; a change to either shows here (the figures are this encoder's own).
  struct Pinned {
    int memClass;
    size_t size;
    uLong crc;
  } pinned[] = {{0, 55039, 0xa3f9728bu}, {1, 52843, 0x3dd945a6u}, {2, 51196, 0xd37a6573u}};
  const Bytes input = XmlText(300000, 41);
  for (const Pinned& p : pinned) {
    const Bytes packed = Compress(input, {65536}, p.memClass);
    const uLong crc = crc32(0, packed.data(), static_cast<uInt>(packed.size()));
    EXPECT_EQ(packed.size(), p.size) << "class " << p.memClass;
    EXPECT_EQ(crc, p.crc) << "class " << p.memClass << std::hex << " crc 0x" << crc;
  }
}

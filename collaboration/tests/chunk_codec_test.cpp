#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <tendril/base64.h>
#include <tendril/chunk_codec.h>
#include <tendril/packet.h>
#include <tendril/packet_types.h>

namespace {

using TDRL::ChunkReassembler;
using Result = ChunkReassembler::Result;

std::string Decoded(std::string_view text) {
  size_t size = 0;
  if (!TDRL::Base64DecodedLength(text, size)) return "<length>";
  std::string out(size, '\0');
  if (!TDRL::Base64Decode(text, reinterpret_cast<unsigned char*>(out.data()))) return "<refused>";
  return out;
}

TEST(Base64, RfcVectorsBothWays) {
  const std::pair<std::string, std::string> vectors[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {std::string("\xff\xfe\x00", 3), "//4A"},
  };
  for (const auto& [plain, text] : vectors) {
    EXPECT_EQ(TDRL::Base64Encode(plain.data(), plain.size()), text);
    EXPECT_EQ(Decoded(text), plain);
  }
}

TEST(Base64, StrictDecodingRefuses) {
  for (const char* text :
       {"Zm9", "Zm9v\n", "Zm 9v", "Zg=", "Z===", "Zm=v", "Zh==", "Zm9=", "Zm-v", "=Zm9", "Zg==Zg=="}) {
    SCOPED_TRACE(text);
    const std::string result = Decoded(text);
    EXPECT_TRUE(result == "<length>" || result == "<refused>") << result;
  }
  unsigned char out[3];
  EXPECT_FALSE(TDRL::Base64Decode("Zg==", out, false));  // no padding inside a longer text
}

TDRL::Packet MakePacket(int32_t type, size_t bodySize, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<unsigned char> body(bodySize);
  for (auto& b : body) b = static_cast<unsigned char>(random());
  TDRL::Packet packet;
  TDRL::CreatePacket(type, 0, nullptr, 0, packet);
  packet.AppendBytes(body.size(), body.data());
  return packet;
}

std::vector<unsigned char> Bytes(const TDRL::Packet& packet) {
  return std::vector<unsigned char>(packet.Data(), packet.Data() + packet.DataSize());
}

TEST(ChunkCodec, EmptyBodyIsSixteenCharactersInOneChunk) {
  TDRL::Packet packet = MakePacket(TDRL::kPacketMasterChanged, 0, 1);
  const std::string text = TDRL::EncodePacketText(packet);
  EXPECT_EQ(text.size(), 16u);
  const auto chunks = TDRL::MakeChunks(1, text);
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(chunks[0], "{1}[1_1]" + text);

  ChunkReassembler reassembler;
  TDRL::Packet back;
  EXPECT_EQ(reassembler.Add("ann", chunks[0], 0, back), Result::kComplete);
  EXPECT_EQ(Bytes(back), Bytes(packet));
}

TEST(ChunkCodec, ChunkBoundaryAt512Characters) {
  const std::string exact(512, 'A'), over(513, 'A');
  const auto one = TDRL::MakeChunks(7, exact);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0], "{7}[1_1]" + exact);
  const auto two = TDRL::MakeChunks(4294967295u, over);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0], "{4294967295}[1_2]" + exact);
  EXPECT_EQ(two[1], "{4294967295}[2_2]A");
  EXPECT_TRUE(TDRL::MakeChunks(1, "").empty());
  // A packet whose text is 512 characters: 384 bytes.
  EXPECT_EQ(TDRL::EncodePacketText(MakePacket(24, 372, 2)).size(), 512u);
}

TEST(ChunkCodec, ChunksInAnyOrderGiveTheOriginalPacket) {
  TDRL::Packet packet = MakePacket(TDRL::kPacketEditMessage, 1000, 3);  // 1012 bytes, 1352 characters
  const auto chunks = TDRL::MakeChunks(9, TDRL::EncodePacketText(packet));
  ASSERT_EQ(chunks.size(), 3u);
  ChunkReassembler reassembler;
  TDRL::Packet back;
  EXPECT_EQ(reassembler.Add("ann", chunks[1], 0, back), Result::kPending);
  EXPECT_EQ(reassembler.Add("ann", chunks[0], 0, back), Result::kPending);
  EXPECT_EQ(reassembler.Add("ann", chunks[2], 0, back), Result::kComplete);
  EXPECT_EQ(Bytes(back), Bytes(packet));
  EXPECT_EQ(back.ReadPosition(), 12u);
  EXPECT_EQ(reassembler.PendingEntries(), 0u);
}

TEST(ChunkCodec, TwoSendersWithEqualCountersInterleaved) {
  TDRL::Packet fromAnn = MakePacket(24, 900, 4), fromBob = MakePacket(28, 1100, 5);
  const auto annChunks = TDRL::MakeChunks(1, TDRL::EncodePacketText(fromAnn));
  const auto bobChunks = TDRL::MakeChunks(1, TDRL::EncodePacketText(fromBob));
  ASSERT_EQ(annChunks.size(), 3u);
  ASSERT_EQ(bobChunks.size(), 3u);
  ChunkReassembler reassembler;
  TDRL::Packet annBack, bobBack;
  for (size_t i = 0; i < 3; ++i) {
    const Result expected = i == 2 ? Result::kComplete : Result::kPending;
    EXPECT_EQ(reassembler.Add("bob", bobChunks[i], 0, bobBack), expected);
    EXPECT_EQ(reassembler.Add("ann", annChunks[i], 0, annBack), expected);
  }
  EXPECT_EQ(Bytes(annBack), Bytes(fromAnn));
  EXPECT_EQ(Bytes(bobBack), Bytes(fromBob));
}

TEST(ChunkCodec, MissingChunkGivesNothingAndRepeatsChangeNothing) {
  TDRL::Packet packet = MakePacket(24, 1000, 6);
  const auto chunks = TDRL::MakeChunks(2, TDRL::EncodePacketText(packet));
  ChunkReassembler reassembler;
  TDRL::Packet back;
  EXPECT_EQ(reassembler.Add("ann", chunks[0], 0, back), Result::kPending);
  EXPECT_EQ(reassembler.Add("ann", chunks[2], 0, back), Result::kPending);  // the last, with 2 missing
  EXPECT_EQ(reassembler.Add("ann", chunks[0], 0, back), Result::kDropped);  // a repeat
  EXPECT_EQ(reassembler.Add("ann", chunks[2], 0, back), Result::kDropped);
  EXPECT_EQ(back.Block(), nullptr);
  EXPECT_EQ(reassembler.PendingEntries(), 1u);
  EXPECT_EQ(reassembler.Add("ann", chunks[1], 0, back), Result::kComplete);
  EXPECT_EQ(Bytes(back), Bytes(packet));
}

TEST(ChunkCodec, ChunksThatDoNotFitAreRefused) {
  const std::string piece(512, 'A');
  const std::string refused[] = {
      "{1}[0_2]" + piece,        // index below 1
      "{1}[3_2]AAAA",            // index above count
      "{1}[1_2737]" + piece,     // more chunks than the largest packet takes
      "{1}[1_2]AAAA",            // a chunk before the last must be whole
      "{1}[2_2]" + piece + "A",  // more than 512 characters
      "{1}[2_2]",                // nothing
      "[1_2]" + piece,           // no sequence number
      "{x}[1_2]" + piece,
      "{1}[1-2]" + piece,
      "{1}[+1_2]" + piece,
      "{1} [1_2]" + piece,
  };
  ChunkReassembler reassembler;
  TDRL::Packet back;
  for (const std::string& body : refused) {
    SCOPED_TRACE(body.substr(0, 20));
    EXPECT_EQ(reassembler.Add("ann", body, 0, back), Result::kDropped);
  }
  EXPECT_EQ(reassembler.PendingEntries(), 0u);
  // A count that differs from the entry's.
  EXPECT_EQ(reassembler.Add("ann", "{0x10}[1_2]" + piece, 0, back), Result::kPending);
  EXPECT_EQ(reassembler.Add("ann", "{16}[2_3]" + piece, 0, back), Result::kDropped);
}

TEST(ChunkCodec, DecodingDropsWhatIsNotOnePacket) {
  auto text = [](std::vector<unsigned char> bytes) { return TDRL::Base64Encode(bytes.data(), bytes.size()); };
  std::vector<unsigned char> header = {24, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0};
  std::vector<unsigned char> good = header;
  good.insert(good.end(), {'a', 'b'});
  std::vector<unsigned char> shortBody = header;
  shortBody.push_back('a');
  std::vector<unsigned char> longBody = good;
  longBody.push_back('c');
  std::vector<unsigned char> badType = good;
  badType[0] = 48;
  ChunkReassembler reassembler;
  TDRL::Packet back;
  EXPECT_EQ(reassembler.Add("ann", text(good), 0, back), Result::kComplete);  // no chunk header: one whole packet
  EXPECT_EQ(back.BodyLength(), 2);
  for (const std::string& body :
       {text(shortBody), text(longBody), text(badType), text({24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), text(good) + "\n",
        std::string("not base64 at all"), std::string()}) {
    SCOPED_TRACE(body);
    EXPECT_EQ(reassembler.Add("ann", body, 0, back), Result::kDropped);
  }
  EXPECT_EQ(reassembler.Add("ann", "{3}[1_1]" + text(longBody), 0, back), Result::kDropped);
}

TEST(ChunkCodec, OwnerDropsASendersEntriesAndStaleOnes) {
  const std::string piece(512, 'A');
  ChunkReassembler reassembler;
  TDRL::Packet back;
  reassembler.Add("ann", "{1}[1_2]" + piece, 100, back);
  reassembler.Add("ann", "{2}[1_2]" + piece, 100, back);
  reassembler.Add("bob", "{1}[1_2]" + piece, 5000, back);
  reassembler.Add("annie", "{1}[1_2]" + piece, 100, back);
  EXPECT_EQ(reassembler.PendingEntries(), 4u);
  reassembler.DropSender("ann");
  EXPECT_EQ(reassembler.PendingEntries(), 2u);
  reassembler.DropStale(6000, 2000);
  EXPECT_EQ(reassembler.PendingEntries(), 1u);
  // Ages count across the tick's wrap-around: carl's chunk is 356 ms old at tick 100.
  reassembler.Add("carl", "{1}[1_2]" + piece, 0xFFFFFF00u, back);
  reassembler.DropStale(100, 2000);
  EXPECT_EQ(reassembler.PendingEntries(), 1u);
  EXPECT_EQ(reassembler.Add("carl", "{1}[1_2]" + piece, 100, back), Result::kDropped);  // still there: a repeat
}

TEST(ChunkCodec, LargestPacketGoesAndComesBack) {
  TDRL::Packet packet = MakePacket(24, TDRL::kMaxPacketBody, 8);
  const std::string text = TDRL::EncodePacketText(packet);
  EXPECT_EQ(text.size(), TDRL::kMaxPacketText);
  const auto chunks = TDRL::MakeChunks(77, text);
  ASSERT_EQ(chunks.size(), static_cast<size_t>(TDRL::kMaxChunkCount));
  ChunkReassembler reassembler;
  TDRL::Packet back;
  for (size_t i = chunks.size(); i-- > 1;) ASSERT_EQ(reassembler.Add("ann", chunks[i], 0, back), Result::kPending);
  ASSERT_EQ(reassembler.Add("ann", chunks[0], 0, back), Result::kComplete);
  EXPECT_TRUE(Bytes(back) == Bytes(packet));
}

}  // namespace

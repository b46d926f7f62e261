#include <gtest/gtest.h>

#include <ace/Message_Block.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include <tendril/packet.h>
#include <tendril/packet_types.h>

namespace {

using TDRL::CreatePacket;
using TDRL::Packet;

bool LockIsFree() {
  return std::async(std::launch::async,
                    [] {
                      const bool got = TDRL::PacketLock::Get().try_lock();
                      if (got) TDRL::PacketLock::Get().unlock();
                      return got;
                    })
      .get();
}

TEST(PacketCreate, BodyLengthsAtAndPastTheLimit) {
  struct Case {
    int32_t length;
    bool accepted;
  } cases[] = {{0, true},   {5, true},        {1050612, true},   {1050613, false},
               {-1, false}, {2000000, false}, {INT32_MIN, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    Packet packet;
    ACE_Message_Block* block = CreatePacket(TDRL::kPacketEditMessage, 0, nullptr, c.length, packet);
    EXPECT_EQ(block != nullptr, c.accepted);
    EXPECT_EQ(packet.Block(), block);
    if (c.accepted) {
      EXPECT_EQ(packet.BodyLength(), c.length);
      EXPECT_EQ(packet.TotalSize(), static_cast<size_t>(c.length) + 12);
      EXPECT_EQ(block->size(), static_cast<size_t>(c.length) + 12);
    }
    EXPECT_TRUE(LockIsFree());
  }
}

TEST(PacketCreate, FiveByteBodyIsCopiedBehindTheHeader) {
  Packet packet;
  ASSERT_TRUE(CreatePacket(13, 7, "room", 5, packet));
  EXPECT_EQ(packet.Type(), 13);
  EXPECT_EQ(packet.Argument(), 7);
  EXPECT_EQ(packet.BodyLength(), 5);
  EXPECT_EQ(packet.TotalSize(), 17u);
  ASSERT_EQ(packet.DataSize(), 17u);
  const unsigned char header[12] = {13, 0, 0, 0, 7, 0, 0, 0, 5, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(packet.Data(), header, 12));
  std::string_view room;
  ASSERT_TRUE(packet.ReadNarrowString(room));
  EXPECT_EQ(room, "room");
}

TEST(PacketCreate, RefusalLeavesThePacketAsItWas) {
  Packet packet;
  ASSERT_TRUE(CreatePacket(2, 0, nullptr, 0, packet));
  ACE_Message_Block* before = packet.Block();
  EXPECT_FALSE(CreatePacket(2, 0, nullptr, 1050613, packet));
  EXPECT_EQ(packet.Block(), before);
}

TEST(PacketAppend, WideStringOfTwoCharactersAddsSixBytes) {
  Packet packet;
  ASSERT_TRUE(CreatePacket(21, 0, nullptr, 0, packet));
  packet.AppendWString(u"hi", 3);
  EXPECT_EQ(packet.TotalSize(), 18u);
  EXPECT_EQ(packet.BodyLength(), 6);
  const unsigned char body[6] = {'h', 0, 'i', 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(packet.Data() + 12, body, 6));
}

TEST(PacketAppend, FieldsOfAnOpeningAndASyncPacketReadBack) {
  Packet packet;
  ASSERT_TRUE(CreatePacket(TDRL::kPacketSyncRedoPos, 0, nullptr, 0, packet));
  const std::string room = "Design review";
  const std::u16string user = u"Zoë 王";
  TDRL::Int32Quad quad{{1, -2, 3, 0x7FFFFFFF}};
  {
    TDRL::PacketLockScope lock(TDRL::PacketLock::Get());
    packet.AppendBytes(room.size() + 1, room.c_str()).AppendWString(user.c_str(), user.size() + 1);
    packet.AppendInt32Quad(quad).WriteLengthField();
  }
  packet.AppendInt32Pair({5, -6}).AppendByte(0xAB).AppendInt32Triple(1, 2, 3).AppendInt32(-7);
  ASSERT_TRUE(packet.IsUsable());
  EXPECT_EQ(packet.BodyLength(), static_cast<int32_t>(room.size() + 1 + 2 * (user.size() + 1) + 16 + 8 + 1 + 12 + 4));

  std::string_view readRoom;
  TDRL::WideText readUser;
  TDRL::Int32Quad readQuad;
  TDRL::Int32Pair pair;
  uint8_t byte = 0;
  int32_t a, b, c, d;
  ASSERT_TRUE(packet.ReadNarrowString(readRoom));
  ASSERT_TRUE(packet.ReadWideString(readUser));
  ASSERT_TRUE(packet.ReadInt32Quad(readQuad));
  ASSERT_TRUE(packet.ReadInt32Pair(pair));
  ASSERT_TRUE(packet.ReadByte(byte));
  ASSERT_TRUE(packet.ReadInt32(a) && packet.ReadInt32(b) && packet.ReadInt32(c) && packet.ReadInt32(d));
  EXPECT_EQ(readRoom, room);
  EXPECT_EQ(readUser.ToString(), user);
  EXPECT_TRUE(readUser.Equals(user));
  EXPECT_FALSE(readUser.Equals(u"Zoe"));
  EXPECT_EQ(0, std::memcmp(readQuad.values, quad.values, sizeof quad.values));
  EXPECT_EQ(pair.first, 5);
  EXPECT_EQ(pair.second, -6);
  EXPECT_EQ(byte, 0xAB);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(d, -7);
  EXPECT_EQ(packet.Remaining(), 0u);
  EXPECT_FALSE(packet.ReadByte(byte));
}

TEST(PacketAppend, MemberRecordLayoutWithALongestRoomName) {
  TDRL::MemberRecord record{};
  std::memset(record.roomName, 'r', 259);
  std::u16string user = u"ann";
  std::copy(user.begin(), user.end(), record.userName);
  record.value = 0x01020304;
  record.payloadLength = 9;
  record.itemSelector = {{10, 11, 12, 13}};

  Packet packet;
  ASSERT_TRUE(CreatePacket(TDRL::kPacketEditMessage, 0, nullptr, 0, packet));
  {
    TDRL::PacketLockScope lock(TDRL::PacketLock::Get());
    packet.AppendMemberRecord(record).WriteLengthField();
  }
  packet.SetEditKind(3);
  ASSERT_EQ(packet.BodyLength(), 804);
  EXPECT_EQ(packet.EditKind(), 3);
  const unsigned char* body = packet.Data() + 12;
  EXPECT_EQ(body[258], 'r');
  EXPECT_EQ(body[259], 0);
  EXPECT_EQ(body[260], 'a');
  EXPECT_EQ(body[261], 0);
  EXPECT_EQ(TDRL::LoadInt32LE(body + 780), 0x01020304);
  EXPECT_EQ(TDRL::LoadInt32LE(body + 784), 9);
  EXPECT_EQ(TDRL::LoadInt32LE(body + 788), 10);
  EXPECT_EQ(TDRL::LoadInt32LE(body + 800), 13);

  TDRL::MemberRecord back{};
  ASSERT_TRUE(packet.ReadMemberRecord(back));
  EXPECT_EQ(std::string(back.roomName), std::string(259, 'r'));
  EXPECT_EQ(std::u16string(back.userName), user);
  EXPECT_EQ(back.itemSelector.values[3], 13);
  packet.RewindRead();
  EXPECT_EQ(packet.ReadPosition(), 12u);
}

TEST(PacketAppend, PassingTheLimitMakesThePacketUnusable) {
  Packet packet;
  ASSERT_TRUE(CreatePacket(TDRL::kPacketEditMessage, 0, nullptr, 0, packet));
  std::vector<unsigned char> data(TDRL::kMaxPacketBody, 0x5A);
  packet.AppendBytes(data.size(), data.data());
  ASSERT_TRUE(packet.IsUsable());
  EXPECT_EQ(packet.BodyLength(), TDRL::kMaxPacketBody);
  packet.AppendByte(1).AppendInt32(2);
  EXPECT_FALSE(packet.IsUsable());
  EXPECT_EQ(packet.BodyLength(), TDRL::kMaxPacketBody);
  EXPECT_TRUE(LockIsFree());

  Packet record;
  ASSERT_TRUE(CreatePacket(TDRL::kPacketEditMessage, 0, nullptr, 0, record));
  record.AppendBytes(TDRL::kMaxPacketBody - 800, data.data());
  TDRL::MemberRecord member{};
  record.AppendMemberRecord(member);
  EXPECT_FALSE(record.IsUsable());
}

// Bodies that end before their fields: every read fails where it stands.
TEST(PacketRead, FieldsPastTheBodyFail) {
  struct Case {
    const char* name;
    std::vector<unsigned char> body;
    std::function<bool(Packet&)> read;
  };
  std::vector<unsigned char> roomFull(804, 'x');
  std::vector<unsigned char> userFull(804, 0);
  std::fill(userFull.begin() + 260, userFull.begin() + 780, 'y');
  TDRL::MemberRecord record;
  std::string_view narrow;
  TDRL::WideText wide;
  int32_t value;
  TDRL::Int32Quad quad;
  TDRL::Int32Pair pair;
  uint8_t byte;
  const Case cases[] = {
      {"narrow string without terminator", {'a', 'b', 'c'}, [&](Packet& p) { return p.ReadNarrowString(narrow); }},
      {"wide string without terminator", {'a', 0, 'b', 0, 0}, [&](Packet& p) { return p.ReadWideString(wide); }},
      {"wide terminator split over units", {'a', 0, 0}, [&](Packet& p) { return p.ReadWideString(wide); }},
      {"int32 of three bytes", {1, 2, 3}, [&](Packet& p) { return p.ReadInt32(value); }},
      {"quad of fifteen bytes", std::vector<unsigned char>(15), [&](Packet& p) { return p.ReadInt32Quad(quad); }},
      {"pair of seven bytes", std::vector<unsigned char>(7), [&](Packet& p) { return p.ReadInt32Pair(pair); }},
      {"byte of an empty body", {}, [&](Packet& p) { return p.ReadByte(byte); }},
      {"record of 803 bytes", std::vector<unsigned char>(803), [&](Packet& p) { return p.ReadMemberRecord(record); }},
      {"record whose room has no zero", roomFull, [&](Packet& p) { return p.ReadMemberRecord(record); }},
      {"record whose user has no zero unit", userFull, [&](Packet& p) { return p.ReadMemberRecord(record); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Packet packet;
    ASSERT_TRUE(CreatePacket(TDRL::kPacketSyncBook, 0, c.body.data(), static_cast<int32_t>(c.body.size()), packet));
    EXPECT_FALSE(c.read(packet));
    EXPECT_EQ(packet.ReadPosition(), 12u);
  }
  Packet empty;
  EXPECT_FALSE(empty.ReadByte(byte));
}

TEST(PacketHandOver, ReleasedBlockBelongsToTheTaker) {
  Packet packet;
  ASSERT_TRUE(CreatePacket(2, 0, "r", 2, packet));
  ACE_Message_Block* block = packet.ReleaseBlock();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(packet.Block(), nullptr);
  EXPECT_FALSE(packet.IsUsable());
  EXPECT_EQ(block->length(), 14u);  // the bytes a send queue writes
  block->release();
}

}  // namespace

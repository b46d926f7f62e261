#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <tendril/frame_assembler.h>
#include <tendril/packet.h>

namespace {

using TDRL::FrameAssembler;
using Status = FrameAssembler::Status;

std::vector<unsigned char> Frame(int32_t type, int32_t argument, const std::vector<unsigned char>& body) {
  std::vector<unsigned char> frame(12 + body.size());
  TDRL::StoreInt32LE(frame.data(), type);
  TDRL::StoreInt32LE(frame.data() + 4, argument);
  TDRL::StoreInt32LE(frame.data() + 8, static_cast<int32_t>(body.size()));
  std::copy(body.begin(), body.end(), frame.begin() + 12);
  return frame;
}

// A stream of packets of every size class: empty bodies, small ones, one larger than any
// single read, and one of the largest size.
std::vector<std::vector<unsigned char>> SampleFrames() {
  std::mt19937 random(7);
  std::vector<std::vector<unsigned char>> frames;
  const size_t sizes[] = {0, 1, 5, 804, 0, 70000, 3, TDRL::kMaxPacketBody, 12};
  int32_t type = 2;
  for (size_t size : sizes) {
    std::vector<unsigned char> body(size);
    for (auto& b : body) b = static_cast<unsigned char>(random());
    frames.push_back(Frame(type, static_cast<int32_t>(size % 9), body));
    type = type % 47 + 1;
  }
  return frames;
}

std::vector<unsigned char> Join(const std::vector<std::vector<unsigned char>>& frames) {
  std::vector<unsigned char> stream;
  for (const auto& f : frames) stream.insert(stream.end(), f.begin(), f.end());
  return stream;
}

// Feeds the stream in pieces whose sizes come from next(); collects each packet's bytes.
template <class NextSize>
std::vector<std::vector<unsigned char>> Assemble(const std::vector<unsigned char>& stream, NextSize next,
                                                 bool takePackets) {
  FrameAssembler assembler;
  std::vector<std::vector<unsigned char>> packets;
  size_t at = 0;
  while (at < stream.size()) {
    const size_t piece = std::min(next(), stream.size() - at);
    const Status status = assembler.Feed(stream.data() + at, piece, [&](TDRL::Packet& packet) {
      packets.emplace_back(packet.Data(), packet.Data() + packet.DataSize());
      EXPECT_EQ(packet.DataSize(), packet.TotalSize());
      if (takePackets) TDRL::Packet taken = std::move(packet);
    });
    EXPECT_EQ(status, Status::kNeedMore);
    at += piece;
  }
  EXPECT_FALSE(assembler.InProgress());
  return packets;
}

TEST(FrameAssembler, SamePacketsWholeByteByByteAndInRandomSplits) {
  const auto frames = SampleFrames();
  const auto stream = Join(frames);
  EXPECT_TRUE(Assemble(
                  stream, [&] { return stream.size(); }, false) == frames);
  EXPECT_TRUE(Assemble(
                  stream, [] { return size_t{1}; }, true) == frames);
  std::mt19937 random(11);
  for (int round = 0; round < 3; ++round) {
    EXPECT_TRUE(Assemble(
                    stream, [&] { return size_t{1} + random() % 40000; }, round == 1) == frames);
  }
}

TEST(FrameAssembler, ReceiveBufferTakesTheBodyStraightIntoTheBlock) {
  const auto frame = Frame(24, 3, std::vector<unsigned char>(10000, 0x42));
  FrameAssembler assembler;
  ASSERT_EQ(assembler.ReceiveWanted(), 12u);
  std::memcpy(assembler.ReceiveBuffer(), frame.data(), 5);
  EXPECT_EQ(assembler.Commit(5), Status::kNeedMore);
  std::memcpy(assembler.ReceiveBuffer(), frame.data() + 5, 7);
  EXPECT_EQ(assembler.Commit(7), Status::kNeedMore);
  ASSERT_EQ(assembler.ReceiveWanted(), 10000u);
  unsigned char* body = assembler.ReceiveBuffer();
  EXPECT_EQ(body, assembler.Current().MutableData() + 12);
  size_t at = 12;
  for (size_t piece : {4000u, 4000u, 2000u}) {
    std::memcpy(assembler.ReceiveBuffer(), frame.data() + at, piece);
    at += piece;
    EXPECT_EQ(assembler.Commit(piece), at == frame.size() ? Status::kPacket : Status::kNeedMore);
  }
  TDRL::Packet& packet = assembler.Current();
  EXPECT_EQ(packet.Type(), 24);
  EXPECT_EQ(packet.EditKind(), 3);
  ASSERT_EQ(packet.DataSize(), frame.size());
  EXPECT_EQ(0, std::memcmp(packet.Data(), frame.data(), frame.size()));
}

TEST(FrameAssembler, EmptyBodyIsACompletePacket) {
  const auto frame = Frame(14, 0, {});
  FrameAssembler assembler;
  const unsigned char* p = frame.data();
  EXPECT_EQ(assembler.Next(p, p + frame.size()), Status::kPacket);
  EXPECT_EQ(assembler.Current().Type(), 14);
  EXPECT_EQ(assembler.Current().TotalSize(), 12u);
}

TEST(FrameAssembler, RefusesBadHeadersAndStaysRefused) {
  struct Case {
    int32_t type;
    int32_t length;
  } cases[] = {{24, -1}, {24, 2000000}, {24, TDRL::kMaxPacketBody + 1}, {0, 4}, {48, 4}, {-5, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.length);
    std::vector<unsigned char> header(12);
    TDRL::StoreInt32LE(header.data(), c.type);
    TDRL::StoreInt32LE(header.data() + 8, c.length);
    const auto good = Frame(2, 0, {'r', 0});
    header.insert(header.end(), good.begin(), good.end());
    FrameAssembler assembler;
    int packets = 0;
    EXPECT_EQ(assembler.Feed(header.data(), header.size(), [&](TDRL::Packet&) { ++packets; }), Status::kRefused);
    EXPECT_EQ(packets, 0);
    EXPECT_TRUE(assembler.Refused());
    EXPECT_EQ(assembler.Feed(good.data(), good.size(), [&](TDRL::Packet&) { ++packets; }), Status::kRefused);
    assembler.Reset();
    EXPECT_EQ(assembler.Feed(good.data(), good.size(), [&](TDRL::Packet&) { ++packets; }), Status::kNeedMore);
    EXPECT_EQ(packets, 1);
  }
}

TEST(FrameAssembler, PacketKeptByItsTakerIsNotOverwritten) {
  const auto first = Frame(24, 0, std::vector<unsigned char>(100, 1));
  const auto second = Frame(24, 0, std::vector<unsigned char>(50, 2));
  std::vector<unsigned char> stream = first;
  stream.insert(stream.end(), second.begin(), second.end());
  FrameAssembler assembler;
  std::vector<TDRL::Packet> kept;
  assembler.Feed(stream.data(), stream.size(), [&](TDRL::Packet& packet) { kept.push_back(std::move(packet)); });
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(0, std::memcmp(kept[0].Data(), first.data(), first.size()));
  EXPECT_EQ(0, std::memcmp(kept[1].Data(), second.data(), second.size()));
}

}  // namespace

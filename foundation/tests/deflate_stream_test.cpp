// Compression streams: the stream format, the trailer checks and the callbacks.
#include "deflate_test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace deflate_test;

TEST(DeflateStream, EmptyStreamIsTenKnownBytes) {
  const Bytes out = Compress({});
  EXPECT_EQ(out, (Bytes{0x03, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}));
  const ReadResult r = Decompress(out);
  EXPECT_FALSE(r.readFailed);
  EXPECT_TRUE(r.data.empty());
  EXPECT_EQ(r.closeResult, 0);
}

TEST(DeflateStream, TrailerHoldsCrcAndLength) {
  const Bytes input = ToBytes("abc");
  const Bytes out = Compress(input);
  ASSERT_GE(out.size(), 8u);
  const uint8_t* t = out.data() + out.size() - 8;
  EXPECT_EQ(t[0] | t[1] << 8 | t[2] << 16 | uint32_t(t[3]) << 24, 0x352441C2u);
  EXPECT_EQ(t[4] | t[5] << 8 | t[6] << 16 | uint32_t(t[7]) << 24, 3u);
}

TEST(DeflateStream, AnySplitOfWritesAndReadsGivesTheSameBytes) {
  Bytes input = XmlText(60000, 7);
  const Bytes tail = RandomBytes(20000, 8);
  input.insert(input.end(), tail.begin(), tail.end());
  const Bytes whole = Compress(input);
  const std::vector<std::vector<size_t>> splits = {{1}, {0, 7, 0, 4096}, {4095, 1}, {262}, {100000}, {3, 5000, 0, 11}};
  for (const auto& writes : splits) {
    EXPECT_EQ(Compress(input, writes), whole) << "write split starting " << writes[0];
    const ReadResult r = Decompress(whole, writes);
    EXPECT_FALSE(r.readFailed);
    EXPECT_EQ(r.data, input) << "read split starting " << writes[0];
    EXPECT_EQ(r.closeResult, 0);
  }
}

TEST(DeflateStream, InputUnderLookaheadLeavesNothingBeforeClose) {
  MemorySink sink;
  void* w = BaseCompress::OpenWrite(&MemorySink::Callback, &sink);
  const Bytes input = XmlText(261, 1);
  EXPECT_EQ(BaseCompress::Write(w, input.data(), 261), 261);
  EXPECT_TRUE(sink.chunkSizes.empty());
  EXPECT_EQ(BaseCompress::CloseWrite(w), 0);
  ASSERT_EQ(sink.chunkSizes.size(), 1u);
  const auto blocks = ListBlocks(sink.data);
  ASSERT_TRUE(blocks);
  ASSERT_EQ(blocks->size(), 1u);
  EXPECT_TRUE((*blocks)[0].final);
}

TEST(DeflateStream, OutputLeavesInPiecesOf4096) {
  MemorySink sink;
  void* w = BaseCompress::OpenWrite(&MemorySink::Callback, &sink);
  const Bytes input = RandomBytes(20000, 3);
  BaseCompress::Write(w, input.data(), static_cast<ULONG>(input.size()));
  EXPECT_EQ(BaseCompress::CloseWrite(w), 0);
  ASSERT_GE(sink.chunkSizes.size(), 5u);
  for (size_t i = 0; i + 1 < sink.chunkSizes.size(); ++i) EXPECT_EQ(sink.chunkSizes[i], 4096u);
}

TEST(DeflateStream, FailingWriteCallbackIsReported) {
  const Bytes input = RandomBytes(20000, 4);
  struct Case {
    int failAt, result;
    LONG close;
  } cases[] = {{-1, 0, 0}, {1, 0, -1}, {1, -1, -1}, {4, 0, -1}};
  for (const Case& c : cases) {
    MemorySink sink;
    sink.failAtChunk = c.failAt;
    sink.failResult = c.result;
    void* w = BaseCompress::OpenWrite(&MemorySink::Callback, &sink);
    const LONG wrote = BaseCompress::Write(w, input.data(), static_cast<ULONG>(input.size()));
    EXPECT_EQ(wrote, c.failAt == 1 ? -1 : LONG(input.size())) << c.failAt;
    EXPECT_EQ(BaseCompress::CloseWrite(w), c.close) << c.failAt;
  }
  // The encrypting sink answers with counts rounded up to 16: that is success.
  MemorySink sink;
  sink.roundUp = true;
  void* w = BaseCompress::OpenWrite(&MemorySink::Callback, &sink);
  BaseCompress::Write(w, input.data(), static_cast<ULONG>(input.size()));
  EXPECT_EQ(BaseCompress::CloseWrite(w), 0);
  EXPECT_EQ(Decompress(sink.data).data, input);
}

TEST(DeflateStream, CloseReadReturnsPulledButUnusedBytes) {
  const Bytes input = XmlText(3000, 5);
  const Bytes packed = Compress(input);
  ASSERT_LT(packed.size() + 100, 4096u);
  for (size_t extra : {size_t{0}, size_t{1}, size_t{100}, size_t{9000}}) {
    Bytes data = packed;
    data.insert(data.end(), extra, 0x5A);
    const ReadResult r = Decompress(data);
    EXPECT_EQ(r.data, input);
    // Only what the 4096-byte input refills pulled in counts.
    EXPECT_EQ(r.closeResult, LONG(std::min(extra, 4096 - packed.size()))) << extra;
  }
}

TEST(DeflateStream, CloseReadChecksWhatTheReaderLeftUndecoded) {
  const Bytes input = XmlText(200000, 6);
  Bytes packed = Compress(input);
  packed.insert(packed.end(), 3, 0x11);
  const size_t crcAt = packed.size() - 3 - 8;
  for (const bool corrupt : {false, true}) {
    Bytes data = packed;
    if (corrupt) data.at(crcAt) ^= 0x40;
    MemorySource src{data};
    void* s = BaseCompress::OpenRead(&MemorySource::Callback, &src);
    uint8_t buf[100];
    ASSERT_EQ(BaseCompress::Read(s, buf, sizeof buf), 100);
    EXPECT_EQ(BaseCompress::CloseRead(s), corrupt ? -1 : 3);
  }
}

TEST(DeflateStream, DamagedStreamsFail) {
  const Bytes input = XmlText(3000, 9);
  const Bytes packed = Compress(input);
  // Every byte of the data and of the trailer matters.
  for (size_t i = 0; i < packed.size(); ++i) {
    Bytes data = packed;
    data[i] ^= 0xFF;
    const ReadResult r = Decompress(data);
    EXPECT_TRUE(r.readFailed || r.closeResult == -1) << "flipped byte " << i;
  }
  // Cut short inside the Deflate data: Read fails; inside the trailer: CloseRead fails.
  for (size_t keep : {packed.size() - 9, packed.size() / 2, size_t{1}}) {
    const ReadResult r = Decompress(Bytes(packed.begin(), packed.begin() + keep));
    EXPECT_TRUE(r.readFailed) << keep;
    EXPECT_EQ(r.closeResult, -1);
  }
  for (size_t cut : {size_t{1}, size_t{4}, size_t{8}}) {
    const ReadResult r = Decompress(Bytes(packed.begin(), packed.end() - cut));
    EXPECT_FALSE(r.readFailed) << cut;
    EXPECT_EQ(r.data, input);
    EXPECT_EQ(r.closeResult, -1) << cut;
  }
}

TEST(DeflateStream, AfterAnErrorReadKeepsFailing) {
  MemorySource src{{0x07, 0, 0, 0}};
  void* s = BaseCompress::OpenRead(&MemorySource::Callback, &src);
  uint8_t buf[16];
  EXPECT_EQ(BaseCompress::Read(s, buf, sizeof buf), -1);
  EXPECT_EQ(BaseCompress::Read(s, buf, sizeof buf), -1);
  EXPECT_EQ(BaseCompress::CloseRead(s), -1);
}

TEST(DeflateStream, NullStreamsAreRefused) {
  uint8_t b[4] = {};
  EXPECT_EQ(BaseCompress::Write(nullptr, b, 4), -1);
  EXPECT_EQ(BaseCompress::CloseWrite(nullptr), -1);
  EXPECT_EQ(BaseCompress::Read(nullptr, b, 4), -1);
  EXPECT_EQ(BaseCompress::CloseRead(nullptr), -1);
}

TEST(DeflateStream, MemoryClassesRoundTrip) {
  Bytes input = XmlText(150000, 10);
  const Bytes noise = RandomBytes(30000, 11);
  input.insert(input.begin() + 70000, noise.begin(), noise.end());
  for (int memClass : {0, 1, 2, 7}) {
    const Bytes packed = Compress(input, {5000}, memClass);
    const ReadResult r = Decompress(packed, {777}, memClass);
    EXPECT_FALSE(r.readFailed) << memClass;
    EXPECT_EQ(r.data, input) << memClass;
    EXPECT_EQ(r.closeResult, 0) << memClass;
    EXPECT_EQ(ZlibRawInflate(packed.data(), packed.size() - 8), input) << memClass;
  }
}

}  // namespace

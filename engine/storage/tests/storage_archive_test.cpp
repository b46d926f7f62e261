#include <plastrum/Kx2Archive.h>
#include <plastrum/Kx2Failure.h>
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2MemFile.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <basalt/error.h>

using Basalt::Error::BaseError;

namespace {

std::vector<uint8_t> Bytes(CKx2MemFile& file) {
  const auto* p = static_cast<const uint8_t*>(file.GetBuffer());
  return std::vector<uint8_t>(p, p + file.GetLength());
}

// Writes records through a fresh archive and returns the stored bytes.
template <class Fill>
std::vector<uint8_t> WriteRecords(Fill fill) {
  CKx2MemFile file;
  CKx2DataBlock archive;
  archive.Attach(&file, 0);
  fill(archive);
  archive.Reset();
  return Bytes(file);
}

// A memory file in read mode over a copy of the bytes.
CKx2MemFile* ReadFile(const std::vector<uint8_t>& bytes) {
  void* copy = Kx2Heap::Allocate(bytes.size());
  if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
  return new CKx2MemFile(copy, static_cast<int32_t>(bytes.size()));
}

void WriteRecord(CKx2DataBlock& archive, uint16_t tag, int32_t level, size_t bodyBytes, uint8_t fillByte = 0xAB) {
  archive.SetLevel(level);
  archive.BeginRecord(tag);
  std::vector<uint8_t> body(bodyBytes, fillByte);
  if (bodyBytes) archive.Write(body.data(), static_cast<int32_t>(bodyBytes));
  archive.EndRecord();
}

TEST(StorageArchive, HeaderWordsOfShortAndLongRecords) {
  auto bytes = WriteRecords([](CKx2DataBlock& a) { WriteRecord(a, 1015, 2, 20); });
  ASSERT_EQ(bytes.size(), 24u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<uint8_t>{0xF7, 0x0B, 0x40, 0x01}));

  struct Case {
    size_t body;
    uint32_t header;
    size_t total;
  } cases[] = {
      {0, 0x00000001, 4},
      {4094, 0xFFE00001, 4 + 4094},
      {4095, 0xFFF00001, 8 + 4095},  // 4095 itself takes the long form
      {70000, 0xFFF00001, 8 + 70000},
  };
  for (const Case& c : cases) {
    auto stored = WriteRecords([&](CKx2DataBlock& a) { WriteRecord(a, 1, 0, c.body); });
    ASSERT_EQ(stored.size(), c.total);
    uint32_t header;
    std::memcpy(&header, stored.data(), 4);
    EXPECT_EQ(header, c.header) << c.body;
    if (c.total == c.body + 8) {
      uint32_t size;
      std::memcpy(&size, stored.data() + 4, 4);
      EXPECT_EQ(size, c.body);
    }
    std::unique_ptr<CKx2MemFile> file(ReadFile(stored));
    CKx2DataBlock reader;
    reader.Attach(file.get(), 0);
    EXPECT_EQ(reader.OpenRecord(1), 1);
    EXPECT_EQ(reader.GetSize(), static_cast<int32_t>(c.body));
    EXPECT_EQ(reader.EndRecord(), 1);
    EXPECT_EQ(reader.GetPosition(), static_cast<int32_t>(c.total));
  }
}

TEST(StorageArchive, ReadsStayInsideTheRecord) {
  auto bytes = WriteRecords([](CKx2DataBlock& a) {
    WriteRecord(a, 10, 1, 12, 0x11);
    WriteRecord(a, 11, 1, 20, 0x22);
    WriteRecord(a, 12, 1, 4, 0x33);
  });
  std::unique_ptr<CKx2MemFile> file(ReadFile(bytes));
  CKx2DataBlock reader;
  reader.Attach(file.get(), 0);

  // 20 bytes asked from a 12-byte body: the 12 bytes, then zeros.
  ASSERT_EQ(reader.OpenRecord(10), 10);
  uint8_t buffer[20];
  std::memset(buffer, 0xFF, sizeof(buffer));
  EXPECT_EQ(reader.Read(buffer, 20), 12);
  EXPECT_EQ(buffer[11], 0x11);
  EXPECT_EQ(buffer[12], 0);
  EXPECT_EQ(buffer[19], 0);
  const int32_t atEnd = reader.GetPosition();
  EXPECT_EQ(reader.EndRecord(), 1);
  EXPECT_EQ(reader.GetPosition(), atEnd);

  // 4 of 20 bytes read: ending the record skips the other 16.
  ASSERT_EQ(reader.OpenRecord(11), 11);
  EXPECT_EQ(reader.ReadU32(), 0x22222222u);
  EXPECT_EQ(reader.HasBytesLeft(16), 1);
  EXPECT_EQ(reader.HasBytesLeft(17), 0);
  EXPECT_EQ(reader.EndRecord(), 1);
  EXPECT_EQ(reader.GetPosition(), 4 + 12 + 4 + 20);

  // A record of another tag: error 6, and it stays there to be skipped.
  BaseError::_ClearError();
  EXPECT_EQ(reader.OpenRecord(1001), 0);
  EXPECT_EQ(BaseError::_GetError(), 6u);
  EXPECT_EQ(reader.PeekRecord(), 12);
  EXPECT_EQ(reader.SkipRecord(), 12);
  EXPECT_EQ(reader.PeekRecord(), 0);  // the end
  EXPECT_EQ(reader.ReadU32(), 0u);    // no record: zeros
}

TEST(StorageArchive, SkippingARecordSkipsWhatIsNestedUnderIt) {
  const int levels[] = {1, 2, 3, 2, 1};
  auto bytes = WriteRecords([&](CKx2DataBlock& a) {
    uint16_t tag = 100;
    for (int level : levels) WriteRecord(a, tag++, level, 3 * level);
  });
  std::unique_ptr<CKx2MemFile> file(ReadFile(bytes));
  CKx2DataBlock reader;
  reader.Attach(file.get(), 0);
  EXPECT_EQ(reader.SkipRecord(), 100);
  // Stopped before the last record, which is at the first one's level.
  EXPECT_EQ(reader.PeekRecord(), 104);
  EXPECT_EQ(reader.GetPosition(), 4 * 4 + 3 * (1 + 2 + 3 + 2) + 4);
  ASSERT_EQ(reader.OpenRecord(104), 104);
  EXPECT_EQ(reader.GetLevel(), 1);
  EXPECT_EQ(reader.ReadU16(), 0xABABu);
}

TEST(StorageArchive, TypedValuesRoundTrip) {
  const uint8_t block[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  auto bytes = WriteRecords([&](CKx2DataBlock& a) {
    a.BeginRecord(7);
    a.WriteU8(0xFE);
    a.WriteU16(0xBEEF);
    a.WriteU32(0xDEADBEEF);
    a.WriteU64(0x0123456789ABCDEFull);
    a.WriteDouble(-2.5);
    a.Write16Bytes(block);
    a.RunU16(3, 0x5A5A);
    a.WriteString(u"text");
    a.EndRecord();
  });
  EXPECT_EQ(bytes.size(), 4u + 1 + 2 + 4 + 8 + 8 + 16 + 6 + 2 + 8);
  std::unique_ptr<CKx2MemFile> file(ReadFile(bytes));
  CKx2DataBlock reader;
  reader.Attach(file.get(), 0);
  ASSERT_EQ(reader.OpenRecord(7), 7);
  EXPECT_EQ(reader.ReadU8(), 0xFE);
  EXPECT_EQ(reader.ReadU16(), 0xBEEF);
  EXPECT_EQ(reader.ReadU32(), 0xDEADBEEFu);
  EXPECT_EQ(reader.ReadU64(), 0x0123456789ABCDEFull);
  EXPECT_EQ(reader.ReadDouble(), -2.5);
  uint8_t out[16];
  reader.Read16Bytes(out);
  EXPECT_EQ(std::memcmp(out, block, 16), 0);
  reader.RunU16(3, 0);
  char16_t text[8];
  EXPECT_EQ(reader.ReadString(text, 8), 4);
  EXPECT_EQ(std::u16string(text), u"text");
  EXPECT_EQ(reader.HasBytesLeft(1), 0);
}

TEST(StorageArchive, StringCountsAndCuts) {
  const std::u16string fifteen(15, u'x');
  const std::u16string huge(70000, u'y');
  auto bytes = WriteRecords([&](CKx2DataBlock& a) {
    a.BeginRecord(1);
    EXPECT_EQ(a.WriteString(fifteen.c_str(), 10), 18);  // cut to 9 units
    // 70,000 units do not fit the 16-bit count: refused, nothing written.
    EXPECT_EQ(a.WriteString(huge.c_str()), 0);
    EXPECT_EQ(a.WriteString(huge.c_str(), 65536), 2 * 65535);
    EXPECT_EQ(a.WriteString(u""), 1);
    EXPECT_EQ(a.WriteString(u"abcde"), 10);
    EXPECT_EQ(a.WriteString(u"abcde"), 10);
    a.WriteU8(0x77);
    a.EndRecord();
  });
  EXPECT_EQ(bytes.size(), 4u + 4 + (2 + 18) + (2 + 2 * 65535) + 2 + 12 + 12 + 1);
  std::unique_ptr<CKx2MemFile> file(ReadFile(bytes));
  CKx2DataBlock reader;
  reader.Attach(file.get(), 0);
  ASSERT_EQ(reader.OpenRecord(1), 1);
  EXPECT_EQ(reader.ReadString(nullptr, 0), 9);
  EXPECT_EQ(reader.ReadString(nullptr, 0), 65535);
  EXPECT_EQ(reader.ReadString(nullptr, 0), 0);
  // 5 units into a 3-unit buffer: 2 units and a terminator, the other 6 bytes skipped.
  char16_t three[3] = {u'#', u'#', u'#'};
  EXPECT_EQ(reader.ReadString(three, 3), 5);
  EXPECT_EQ(std::u16string(three), u"ab");
  char16_t untouched = u'#';
  EXPECT_EQ(reader.ReadString(&untouched, 0), 5);  // capacity 0: nothing written
  EXPECT_EQ(untouched, u'#');
  EXPECT_EQ(reader.ReadU8(), 0x77);
}

TEST(StorageArchive, ThrowModeAndTheEndOfData) {
  std::unique_ptr<CKx2MemFile> file(ReadFile({}));
  CKx2DataBlock reader;
  reader.Attach(file.get(), 0);
  EXPECT_EQ(reader.PeekRecord(), 0);
  EXPECT_EQ(reader.SkipRecord(), 0);

  // A record of another tag throws the error code in throw mode.
  auto bytes = WriteRecords([](CKx2DataBlock& a) { WriteRecord(a, 5, 0, 1); });
  std::unique_ptr<CKx2MemFile> second(ReadFile(bytes));
  CKx2DataBlock strict;
  strict.Attach(second.get(), 0);
  Kx2::ScopedThrowMode throwing(1);
  EXPECT_THROW(strict.OpenRecord(6), uint32_t);
  EXPECT_EQ(strict.OpenRecord(5), 5);

  // A closed memory file as the source fails with E_INVALIDARG.
  second->Close();
  CKx2DataBlock closed;
  closed.Attach(second.get(), 0);
  try {
    closed.ReadRawU32();
    FAIL() << "no exception";
  } catch (uint32_t code) {
    EXPECT_EQ(code, 0x80070057u);
  }
}

TEST(StorageArchive, TellCountsReadAheadAndSeekDropsIt) {
  auto bytes = WriteRecords([](CKx2DataBlock& a) {
    WriteRecord(a, 1, 0, 10);
    WriteRecord(a, 2, 0, 10);
  });
  std::unique_ptr<CKx2MemFile> file(ReadFile(bytes));
  CKx2DataBlock reader;
  reader.Attach(file.get(), 0);
  ASSERT_EQ(reader.OpenRecord(1), 1);
  EXPECT_EQ(reader.Tell(), 4);
  reader.EndRecord();
  EXPECT_EQ(reader.Tell(), 14);
  EXPECT_EQ(reader.Seek(14, CKx2BufIO::kFromStart), 14);
  EXPECT_EQ(reader.OpenRecord(2), 2);
}

}  // namespace

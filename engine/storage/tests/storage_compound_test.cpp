#include <plastrum/Kx2Failure.h>
#include <plastrum/Kx2Storage.h>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <basalt/error.h>
#include <win/kernel.h>

using Basalt::Error::BaseError;

namespace {

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kReadWrite = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

std::vector<uint8_t> Header(uint32_t word32) {
  std::vector<uint8_t> header(128);
  for (size_t i = 0; i < header.size(); ++i) header[i] = static_cast<uint8_t>(i * 7);
  std::memcpy(header.data() + 32, &word32, 4);
  return header;
}

class StorageCompound : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kx2-storage-compound-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    setenv("KX2_DRIVES", ("T=" + folder_).c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string folder_;
};

TEST_F(StorageCompound, HeaderIn128BytesOfDocumentCore) {
  const std::vector<uint8_t> header = Header(0xCAFEF00D);
  {
    CKx2MainStorage storage;
    ASSERT_TRUE(storage.Create(u"T:\\doc.kx2", kCreate, TRUE));
    EXPECT_EQ(storage.WasCreated(), 1);
    ASSERT_EQ(storage.WriteHeader(header.data()), 1);
    EXPECT_EQ(storage.GetHeaderWord32(), 0xCAFEF00Du);
    ASSERT_TRUE(storage.Commit(STGC_DEFAULT));
  }
  CKx2MainStorage storage;
  ASSERT_TRUE(storage.Open(u"T:\\doc.kx2", kReadWrite, TRUE));
  EXPECT_EQ(storage.WasCreated(), 0);
  CKx2Stream core;
  ASSERT_TRUE(storage.OpenStream(u"DocumentCore", core, CKx2MainStorage::kHeaderRead));
  EXPECT_EQ(core.GetLength(), 128);
  EXPECT_EQ(core.GetMode(), CKx2BufIO::kModeRead);
  core.Close();
  std::vector<uint8_t> read(128);
  ASSERT_EQ(storage.ReadHeader(read.data()), 1);
  EXPECT_EQ(read, header);
  EXPECT_EQ(storage.GetHeaderWord32(), 0xCAFEF00Du);

  // Without "DocumentCore" the word stays and the error is the storage's code; a stream
  // shorter than a header is no header (end of data).
  ASSERT_TRUE(storage.DestroyElement(u"DocumentCore"));
  std::vector<uint8_t> block(128, 0xEE);
  BaseError::_ClearError();
  EXPECT_EQ(storage.ReadHeader(block.data()), 0);
  EXPECT_EQ(BaseError::_GetError(), static_cast<uint32_t>(STG_E_FILENOTFOUND));
  CKx2Stream shortCore;
  ASSERT_TRUE(storage.CreateStream(u"DocumentCore", shortCore, kCreate));
  EXPECT_EQ(shortCore.Write(header.data(), 100), 100);
  shortCore.Close();
  EXPECT_EQ(storage.ReadHeader(block.data()), 0);
  EXPECT_EQ(BaseError::_GetError(), 11u);
  EXPECT_EQ(block, std::vector<uint8_t>(128, 0xEE));
  EXPECT_EQ(storage.GetHeaderWord32(), 0xCAFEF00Du);
}

TEST_F(StorageCompound, InMemoryDocumentRoundTrips) {
  const std::vector<uint8_t> header = Header(7);
  CKx2MainStorage storage;
  HGLOBAL memory = storage.CreateInMemory(4096, kCreate);
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(storage.WasCreated(), 1);
  ASSERT_EQ(storage.WriteHeader(header.data()), 1);
  CKx2Storage child;
  ASSERT_TRUE(storage.CreateStorage(u"Shapes", child, kCreate));
  CKx2Stream stream;
  ASSERT_TRUE(child.CreateStream(u"Records", stream, kCreate));
  EXPECT_EQ(stream.Write("abc", 3), 3);
  stream.Close();
  child.Close();
  ASSERT_TRUE(storage.Commit(STGC_DEFAULT));

  // The same bytes opened as a second document.
  const SIZE_T size = GlobalSize(memory);
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(copy), GlobalLock(memory), size);
  GlobalUnlock(copy);
  GlobalUnlock(memory);
  storage.Close();  // frees the first block

  CKx2MainStorage reopened;
  ASSERT_TRUE(reopened.OpenOnMemory(copy, kReadWrite));
  EXPECT_EQ(reopened.WasCreated(), 0);
  std::vector<uint8_t> read(128);
  ASSERT_EQ(reopened.ReadHeader(read.data()), 1);
  EXPECT_EQ(read, header);
  ASSERT_TRUE(reopened.OpenStorage(u"Shapes", child, kReadWrite));
  ASSERT_TRUE(child.OpenStream(u"Records", stream, kReadWrite));
  char bytes[8] = {};
  EXPECT_EQ(stream.Read(bytes, 8), 3);
  EXPECT_STREQ(bytes, "abc");

  // Bytes that are not a compound file: the error is the storage's, and nothing leaks.
  HGLOBAL junk = GlobalAlloc(GHND, 600);
  CKx2MainStorage refused;
  BaseError::_ClearError();
  EXPECT_FALSE(refused.OpenOnMemory(junk, kReadWrite));
  EXPECT_EQ(BaseError::_GetError(), static_cast<uint32_t>(STG_E_FILEALREADYEXISTS));
}

TEST_F(StorageCompound, StreamKindOverAnOleStream) {
  CKx2MainStorage storage;
  ASSERT_NE(storage.CreateInMemory(0, kCreate), nullptr);
  CKx2Stream stream;
  ASSERT_TRUE(storage.CreateStream(u"S", stream, kCreate));
  EXPECT_EQ(stream.GetMode(), CKx2BufIO::kModeReadWrite);
  EXPECT_EQ(stream.Write("0123456789", 10), 10);
  EXPECT_EQ(stream.Seek(-4, CKx2BufIO::kFromEnd), 6);
  char byte = 'x';
  EXPECT_EQ(stream.Read(&byte, 0), 0);  // nothing asked, nothing read
  EXPECT_EQ(stream.Seek(0, CKx2BufIO::kFromCurrent), 6);
  EXPECT_EQ(stream.Read(&byte, 1), 1);
  EXPECT_EQ(byte, '6');
  EXPECT_EQ(stream.SetLength(4), 1);
  EXPECT_EQ(stream.GetLength(), 4);
  EXPECT_EQ(stream.Seek(-1, CKx2BufIO::kFromStart), -1);
  CKx2Stream clone;
  ASSERT_EQ(stream.Clone(clone), 1);
  EXPECT_EQ(clone.Seek(0, CKx2BufIO::kFromCurrent), 7);
  stream.Close();
  EXPECT_EQ(stream.Read(&byte, 1), 0);  // no stream held

  // Opening reports but never throws; creating throws in throw mode.
  CKx2Stream other;
  Kx2::ScopedThrowMode throwing(1);
  BaseError::_ClearError();
  EXPECT_FALSE(storage.OpenStream(u"Missing", other, CKx2MainStorage::kHeaderRead, TRUE));
  EXPECT_EQ(BaseError::_GetError(), 0u);
  EXPECT_FALSE(storage.OpenStream(u"Missing", other, CKx2MainStorage::kHeaderRead));
  EXPECT_EQ(BaseError::_GetError(), static_cast<uint32_t>(STG_E_FILENOTFOUND));
  EXPECT_THROW(storage.CreateStream(u"S", other, kReadWrite), uint32_t);  // exists
  EXPECT_TRUE(storage.OpenOrCreateStream(u"New", other, kReadWrite));

  CKx2Storage empty;
  EXPECT_FALSE(empty.CreateStream(u"S", other, kCreate));
  EXPECT_FALSE(empty.Commit(0));
  CKx2Storage taken;
  EXPECT_EQ(taken.TakeOver(storage), 1);
  EXPECT_EQ(storage.GetStorage(), nullptr);
  EXPECT_NE(taken.GetStorage(), nullptr);
}

TEST_F(StorageCompound, HeldFileRefusesWritersWithSharingViolation) {
  {
    CKx2MainStorage storage;
    ASSERT_TRUE(storage.Create(u"T:\\held.kx2", kCreate, TRUE));
  }
  CKx2MainStorage holder;
  ASSERT_EQ(holder.HoldFile(u"T:\\held.kx2"), 1);
  CKx2MainStorage writer;
  BaseError::_ClearError();
  EXPECT_FALSE(writer.Create(u"T:\\held.kx2", kCreate, TRUE));
  Basalt::Error::tagKx2ErrorBuf error = {};
  BaseError::_StoreError(&error);
  EXPECT_EQ(error.code, 10u);
  uint32_t detail = 0;
  std::memcpy(&detail, error.text, 4);
  EXPECT_EQ(detail, 15u);
  EXPECT_EQ(std::u16string(error.text + 2), u"T:\\held.kx2");
  holder.ReleaseHold();
  EXPECT_TRUE(writer.Create(u"T:\\held.kx2", kCreate, TRUE));
}

TEST_F(StorageCompound, HoldReachesOtherProcesses) {
  {
    CKx2MainStorage storage;
    ASSERT_TRUE(storage.Create(u"T:\\shared.kx2", kCreate, TRUE));
  }
  int ready[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    CKx2MainStorage holder;
    const char held = holder.HoldFile(u"T:\\shared.kx2") ? 'h' : 'x';
    (void)!write(ready[1], &held, 1);
    char wait;
    (void)!read(done[0], &wait, 1);
    _exit(0);
  }
  char held = 0;
  ASSERT_EQ(read(ready[0], &held, 1), 1);
  ASSERT_EQ(held, 'h');
  CKx2MainStorage writer;
  BaseError::_ClearError();
  const BOOL created = writer.Create(u"T:\\shared.kx2", kCreate, TRUE);
  Basalt::Error::tagKx2ErrorBuf error = {};
  BaseError::_StoreError(&error);
  CKx2MainStorage reader;  // reading stays possible
  const BOOL opened = reader.Open(u"T:\\shared.kx2", STGM_READ | STGM_SHARE_DENY_NONE, TRUE);
  reader.Close();
  (void)!write(done[1], "x", 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_FALSE(created);
  EXPECT_EQ(error.code, 10u);
  uint32_t detail = 0;
  std::memcpy(&detail, error.text, 4);
  EXPECT_EQ(detail, 15u);
  EXPECT_TRUE(opened);
  EXPECT_TRUE(writer.Create(u"T:\\shared.kx2", kCreate, TRUE));  // the holder is gone
}

}  // namespace

#include <plastrum/Kx2Failure.h>
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2MemFile.h>

#include <gtest/gtest.h>

#include <cstring>

#include <basalt/error.h>

using Basalt::Error::BaseError;

namespace {

CKx2MemFile* Over(const char* text, int32_t size) {
  void* buffer = Kx2Heap::Allocate(static_cast<size_t>(size));
  std::memcpy(buffer, text, static_cast<size_t>(size));
  return new CKx2MemFile(buffer, size);
}

TEST(StorageMemFile, SeekAndReadAtTheEdges) {
  std::unique_ptr<CKx2MemFile> file(Over("0123456789", 10));
  EXPECT_EQ(file->GetMode(), CKx2BufIO::kModeRead);
  struct Case {
    int32_t offset;
    int origin;
    int32_t result;
  } cases[] = {{10, 0, 10}, {11, 0, -1}, {-1, 0, -1}, {-3, 2, 7}, {2, 1, 9}, {5, 9, -1}, {0, 0, 0}};
  for (const Case& c : cases) EXPECT_EQ(file->Seek(c.offset, c.origin), c.result) << c.offset << "," << c.origin;
  char out[4] = {};
  EXPECT_EQ(file->Seek(10, 0), 10);
  EXPECT_EQ(file->Read(out, 4), 0);
  EXPECT_EQ(file->Seek(8, 0), 8);
  EXPECT_EQ(file->Read(out, 4), 2);
  EXPECT_EQ(std::string(out, 2), "89");
}

TEST(StorageMemFile, GrowsInKibSteps) {
  CKx2MemFile file;
  EXPECT_EQ(file.GetMode(), CKx2BufIO::kModeWrite);
  EXPECT_EQ(file.IsOpen(), 1);
  ASSERT_EQ(file.SetLength(1024), 1);
  EXPECT_EQ(file.GetCapacity(), 1024);
  ASSERT_EQ(file.Seek(1024, 0), 1024);
  ASSERT_EQ(file.Write("x", 1), 1);
  EXPECT_EQ(file.GetCapacity(), 2048);
  EXPECT_EQ(file.GetLength(), 1025);
  EXPECT_EQ(static_cast<const char*>(file.GetBuffer())[100], 0);  // grown bytes read as zeros

  std::unique_ptr<CKx2MemFile> eight(Over("abcdefgh", 8));
  EXPECT_EQ(eight->SetLength(5), 1);
  EXPECT_EQ(eight->GetLength(), 8);
}

TEST(StorageMemFile, ClosedFileAnswersInvalidArgument) {
  CKx2MemFile file;
  file.Write("abc", 3);
  file.Close();
  EXPECT_EQ(file.GetLength(), 3);
  EXPECT_EQ(std::memcmp(file.GetBuffer(), "abc", 3), 0);  // the buffer stays
  BaseError::_ClearError();
  char out[3];
  EXPECT_EQ(file.Read(out, 3), -1);
  EXPECT_EQ(BaseError::_GetError(), 0x80070057u);
  EXPECT_EQ(file.Write("d", 1), -1);
  EXPECT_EQ(file.Seek(0, 0), -1);
  EXPECT_EQ(file.IsOpen(), 0);
  Kx2::ScopedThrowMode throwing(1);
  EXPECT_THROW(file.IsOpen(), uint32_t);
  file.Release(TRUE);
  EXPECT_EQ(file.GetBuffer(), nullptr);
  EXPECT_EQ(file.GetLength(), 0);
}

TEST(StorageMemFile, FailedGrowthKeepsTheBuffer) {
  CKx2MemFile file;
  file.Write("abc", 3);
  BaseError::_ClearError();
  Kx2Heap::FailAfter(0);
  char big[2000] = {};
  EXPECT_EQ(file.Write(big, sizeof(big)), -1);
  Kx2Heap::FailAfter(-1);
  EXPECT_EQ(BaseError::_GetError(), 2u);
  EXPECT_EQ(file.GetLength(), 3);
  EXPECT_EQ(std::memcmp(file.GetBuffer(), "abc", 3), 0);
}

TEST(StorageMemFile, ExtensionsAreThreeCharactersAtMost) {
  CKx2MemFile file;
  EXPECT_EQ(file.SetExtension(u"jpeg"), 0);
  EXPECT_EQ(file.SetExtension(u"png"), 1);
}

}  // namespace

#include <plastrum/Kx2Failure.h>
#include <plastrum/Kx2File.h>
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2MemFile.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <basalt/error.h>
#include <basalt/path_util.h>

using Basalt::Error::BaseError;

namespace {

// A fresh folder mapped to drive T: for the test's own files.
class StorageFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kx2-storage-file-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    setenv("KX2_DRIVES", ("T=" + folder_).c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::vector<char> HostBytes(const std::string& name) {
    std::ifstream in(folder_ + "/" + name, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
  }
  void WriteHost(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + "/" + name, std::ios::binary) << bytes;
  }

  std::string folder_;
};

TEST_F(StorageFile, OpenModesGiveTheStoreMode) {
  WriteHost("in.bin", "0123456789");
  struct Case {
    int openMode;
    uint32_t storeMode;
  } cases[] = {{0, CKx2BufIO::kModeRead}, {1, 0}, {2, 0}, {3, CKx2BufIO::kModeWrite}, {5, CKx2BufIO::kModeRead}};
  for (const Case& c : cases) {
    CKx2File file;
    ASSERT_EQ(file.Open(c.openMode == 3 ? u"T:\\new.bin" : u"T:\\in.bin", c.openMode), 1) << c.openMode;
    EXPECT_EQ(file.GetMode(), c.storeMode);
    EXPECT_NE(file.GetFileName(), nullptr);
  }
  CKx2File file;
  BaseError::_ClearError();
  EXPECT_EQ(file.Open(u"T:\\in.bin", 4), 0);  // refused by the system
  EXPECT_EQ(file.Open(u"T:\\missing.bin", 0), 0);
  EXPECT_EQ(BaseError::_GetError(), 0x80070002u);
  Kx2::ScopedThrowMode throwing(1);
  EXPECT_THROW(file.Open(u"T:\\missing.bin", 0), uint32_t);
}

TEST_F(StorageFile, ReadWriteSeekAndLength) {
  CKx2File file;
  ASSERT_EQ(file.Open(u"T:\\data.bin", CKx2File::kOpenCreate), 1);
  EXPECT_EQ(file.Write("abcdef", 6), 6);
  EXPECT_EQ(file.GetLength(), 6);
  EXPECT_EQ(file.SetLength(3), 1);
  EXPECT_EQ(file.GetLength(), 3);
  EXPECT_EQ(file.Seek(1, 7), 1);  // an unknown origin seeks from the start
  EXPECT_EQ(file.Seek(0, CKx2BufIO::kFromEnd), 3);
  file.Close();
  EXPECT_EQ(file.Read(nullptr, 1), -1);
  ASSERT_EQ(file.Open(u"T:\\data.bin", CKx2File::kOpenRead), 1);
  char out[8] = {};
  EXPECT_EQ(file.Read(out, 8), 3);
  EXPECT_EQ(std::string(out), "abc");
  EXPECT_EQ(file.Write("x", 1), -1);  // opened for reading
}

TEST_F(StorageFile, WholeFileCopiesReadUntilTheStoreIsEmpty) {
  // More than two pieces of 24 KiB, delivered by a store that hands out at most 1000
  // bytes a read: a copy that stopped at the first short read would keep 1000 bytes.
  struct Dribble : CKx2MemFile {
    using CKx2MemFile::CKx2MemFile;
    int32_t Read(void* buffer, int32_t n) override { return CKx2MemFile::Read(buffer, std::min(n, 1000)); }
  };
  std::string content;
  for (int i = 0; i < 60000; ++i) content.push_back(static_cast<char>('a' + i % 26));
  void* buffer = Kx2Heap::Allocate(content.size());
  std::memcpy(buffer, content.data(), content.size());
  Dribble source(buffer, static_cast<int32_t>(content.size()));
  ASSERT_EQ(CopyToFile(source, u"T:\\copy.bin"), 1);
  const std::vector<char> copied = HostBytes("copy.bin");
  EXPECT_EQ(std::string(copied.begin(), copied.end()), content);

  CKx2MemFile target;
  ASSERT_EQ(CopyFromFile(target, u"T:\\copy.bin"), 1);
  ASSERT_EQ(target.GetLength(), static_cast<int32_t>(content.size()));
  EXPECT_EQ(std::memcmp(target.GetBuffer(), content.data(), content.size()), 0);
  EXPECT_EQ(CopyFromFile(target, u"T:\\missing.bin"), 0);
}

TEST_F(StorageFile, MemoryFileSpillsToANamedTemporaryFile) {
  Basalt::Util::PathUtil::_UnregisterPath(u"Temp");
  std::filesystem::create_directory(folder_ + "/spill");
  Basalt::Util::PathUtil::_RegisterPath(u"Temp", u"T:\\spill");
  CKx2MemFile file;
  file.Write("spilled", 7);
  ASSERT_EQ(file.SetExtension(u"png"), 1);
  const char16_t* path = file.GetFileName();
  ASSERT_NE(path, nullptr);
  const std::u16string name(path);
  EXPECT_EQ(name.substr(name.size() - 4), u".png");
  EXPECT_EQ(name.substr(0, 12), u"T:\\spill\\mem");
  EXPECT_EQ(file.GetFileName(), path);  // written once
  const std::string hostName = "spill/" + std::string(name.begin() + 9, name.end());
  const std::vector<char> bytes = HostBytes(hostName);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "spilled");
}

}  // namespace

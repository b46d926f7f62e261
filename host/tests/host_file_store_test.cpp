// The file store keeps its copies as files of its own, small ones in memory up to a budget,
// and lets each go with the last reference to its key.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <kx2/PathMap.h>
#include <kx2test/TempFiles.h>
#include <vantorel/exports.h>
#include <vantorel/testing/leak_check.h>

namespace {

namespace fs = std::filesystem;

class FileStoreTest : public vantorel::testing::HostLeakCheck {
 protected:
  // A temporary folder of the test's own, so that copies other runs left behind are not
  // counted as this store's.
  FileStoreTest() { environment_.SetTemporaryFolder(folder_.path.string()); }

  // The store's copies: its files in the temporary folder.
  static std::vector<fs::path> Copies() {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& file : fs::directory_iterator(fs::temp_directory_path(), ec))
      if (file.path().filename().string().rfind("vantorel-file-", 0) == 0) out.push_back(file.path());
    return out;
  }

 private:
  kx2test::TempFolder folder_{"vantorel-file-store"};
  kx2test::ScopedEnvironment environment_;
};

TEST_F(FileStoreTest, CopiesAreFilesThatGoWithTheirLastKey) {
  const fs::path source = fs::temp_directory_path() / "source.bin";
  std::ofstream(source, std::ios::binary) << std::string(100000, 'x');
  IVtlFileStore* store = VtlGetApplication()->GetFileStore();
  const std::u16string path = kx2::ToWindowsPath(source.string());
  const ULONG_PTR key = store->StoreFile(path.c_str(), 0, 1);
  ASSERT_NE(key, 0u);
  fs::remove(source);  // the store has its own copy: the source may go at once

  ASSERT_EQ(Copies().size(), 1u);
  EXPECT_EQ(fs::file_size(Copies()[0]), 100000u);

  EXPECT_EQ(store->KeyForValue(key), key) << "a second reference to the same key";
  EXPECT_TRUE(store->DropKey(key));
  EXPECT_EQ(Copies().size(), 1u) << "one reference is left";
  EXPECT_TRUE(store->DropKey(key));
  EXPECT_TRUE(Copies().empty()) << "the copy goes with the last reference";
  EXPECT_FALSE(store->DropKey(key));

  EXPECT_EQ(store->StoreFile(u"Z:\\no\\such\\file", 0, 1), 0u);
  EXPECT_TRUE(Copies().empty()) << "a file that cannot be stored leaves no copy behind";
  store->Release();
}

// Small files are copied into memory until their budget is spent; the files stored past it
// are copied to files, and dropping keys gives the budget back.
TEST_F(FileStoreTest, SmallCopiesStayInMemoryWithinTheirBudget) {
  const fs::path source = fs::temp_directory_path() / "marker.png";
  std::ofstream(source, std::ios::binary) << std::string(64 * 1024, 'm');
  IVtlFileStore* store = VtlGetApplication()->GetFileStore();
  const std::u16string path = kx2::ToWindowsPath(source.string());
  constexpr int kInBudget = 32 * 16;  // 32 MB of 64 KB copies
  std::vector<ULONG_PTR> keys;
  for (int i = 0; i < kInBudget; ++i) keys.push_back(store->StoreFile(path.c_str(), 0, 1));
  EXPECT_TRUE(Copies().empty());
  for (int i = 0; i < 3; ++i) keys.push_back(store->StoreFile(path.c_str(), 0, 1));
  EXPECT_EQ(Copies().size(), 3u) << "past the budget small files are copied to files";
  fs::remove(source);
  for (ULONG_PTR key : keys) {
    EXPECT_NE(key, 0u);
    EXPECT_TRUE(store->DropKey(key));
  }
  EXPECT_TRUE(Copies().empty());

  std::ofstream(source, std::ios::binary) << "small";
  const ULONG_PTR key = store->StoreFile(path.c_str(), 0, 1);
  EXPECT_NE(key, 0u);
  EXPECT_TRUE(Copies().empty()) << "the budget came back with the dropped keys";
  EXPECT_TRUE(store->DropKey(key));
  EXPECT_EQ(store->StoreFile(kx2::ToWindowsPath(fs::temp_directory_path().string()).c_str(), 0, 1), 0u)
      << "a folder is not stored";
  store->Release();
}

}  // namespace

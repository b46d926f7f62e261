// The file store keeps its copies as files of its own, never in memory, and lets each go
// with the last reference to its key.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

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

}  // namespace

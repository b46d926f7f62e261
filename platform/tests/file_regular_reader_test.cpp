// Whole regular files read in one look each to open them and learn their size; anything
// else is never opened for reading, and a pipe never makes the reader wait.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "file_test_support.h"
#include "kx2/RegularFileReader.h"

namespace {

class RegularFileReaderTest : public TempDriveTest {};

TEST_F(RegularFileReaderTest, ReadsRegularFilesOnly) {
  Put("a.bin", std::string(5000, 'a') + "end");
  kx2::RegularFileReader file(Posix("a.bin"));
  ASSERT_TRUE(file.IsOpen());
  ASSERT_EQ(file.Size(), 5003u);
  std::vector<char> bytes(8000);
  ASSERT_EQ(file.ReadAll(bytes.data(), bytes.size()), 5003);
  EXPECT_EQ(std::string(bytes.data() + 5000, 3), "end");
  EXPECT_EQ(file.ReadAll(bytes.data(), 10), 10) << "at most the capacity, from the start again";
  ASSERT_EQ(file.ReadAt(4999, bytes.data(), bytes.size()), 4);
  EXPECT_EQ(std::string(bytes.data(), 4), "aend");
  EXPECT_EQ(file.ReadAt(5003, bytes.data(), bytes.size()), 0) << "nothing at the end";
  EXPECT_EQ(file.ReadAt(9000, bytes.data(), bytes.size()), 0) << "nothing past it";

  Put("empty", "");
  kx2::RegularFileReader empty(Posix("empty"));
  EXPECT_TRUE(empty.IsOpen());
  EXPECT_EQ(empty.ReadAll(bytes.data(), bytes.size()), 0);

  ASSERT_EQ(mkfifo(Posix("pipe").c_str(), 0600), 0);
  for (const char* other : {"pipe", "", "missing"}) {
    kx2::RegularFileReader refused(Posix(other));
    EXPECT_FALSE(refused.IsOpen()) << other;
    EXPECT_EQ(refused.ReadAll(bytes.data(), bytes.size()), -1) << other;
    EXPECT_EQ(refused.ReadAt(0, bytes.data(), bytes.size()), -1) << other;
  }
}

}  // namespace

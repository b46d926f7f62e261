// vantorel imports a map whatever name Linux gives it: names Windows refuses (a:b*c?.mm)
// and paths longer than Windows' 260-unit buffers, in every format.
#include <gtest/gtest.h>

#include <kx2test/CommandOutput.h>

#include <unistd.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path kExamples = fs::path(KX2_SOURCE_DIR) / "examples";

std::string Import(const fs::path& map) {
  const std::string command = "'" KX2_BIN_DIR "/vantorel' import '" + map.string() + "' 2>&1; echo \"exit $?\"";
  std::string out;
  if (!kx2test::ReadCommandOutput(command, out)) return "popen failed";
  return out;
}

class VantorelPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vantorel_paths_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST_F(VantorelPaths, OddNamesAndLongPathsImportLikeAnyOther) {
  // A folder that makes every map's path longer than 313 characters.
  fs::path deep = root_;
  while (deep.string().size() < 300) deep /= "a-rather-long-folder-name-for-a-deep-tree";
  fs::create_directories(deep);
  ASSERT_GE((deep / "x.mm").string().size(), 313u);
  // The file a map links to, beside each copy.
  fs::copy_file(kExamples / "packing-list.txt", root_ / "packing-list.txt");
  fs::copy_file(kExamples / "packing-list.txt", deep / "packing-list.txt");

  for (const char* example : {"lisbon-trip.mm", "garden-project.xmind", "office-move.mmap"}) {
    SCOPED_TRACE(example);
    const std::string expected = Import(kExamples / example);
    ASSERT_NE(expected.find("exit 0"), std::string::npos) << expected;
    const std::string extension = fs::path(example).extension().string();
    const fs::path odd = root_ / ("a:b*c?\"<>|\\ " + extension);
    const fs::path longer = deep / example;
    fs::copy_file(kExamples / example, odd);
    fs::copy_file(kExamples / example, longer);
    EXPECT_EQ(Import(odd), expected) << odd;
    EXPECT_EQ(Import(longer), expected) << longer;
  }
}

}  // namespace

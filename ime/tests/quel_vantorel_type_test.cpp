// vantorel type on the example scripts: the same output every run, equal to the golden files
// in ime/tests/golden (KX2_UPDATE_GOLDEN=1 writes them anew); bad scripts are refused.
#include <gtest/gtest.h>

#include <kx2test/VantorelRun.h>

#include <unistd.h>
#include <string>

namespace {

const std::string kExamples = std::string(KX2_SOURCE_DIR) + "/examples/ime";
const std::string kGolden = std::string(KX2_SOURCE_DIR) + "/ime/tests/golden";

std::string RunVantorel(const std::string& args) { return kx2test::RunVantorelIn(kExamples, args); }

TEST(QuelVantorelType, ExamplesMatchTheirGoldenFiles) {
  for (const char* name : {"japanese", "chinese", "korean", "accelerators"}) {
    SCOPED_TRACE(name);
    kx2test::ExpectVantorelGolden(kExamples, std::string("type ") + name + ".ime", kGolden + "/" + name + ".txt");
  }
}

TEST(QuelVantorelType, RefusesBadInput) {
  char path[] = "/tmp/quel_bad_scriptXXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string script = "layout 0xE0010411\nkey A comp \"a\"\nwobble\nkey B result \"b\"\n";
  ASSERT_EQ(write(fd, script.data(), script.size()), static_cast<ssize_t>(script.size()));
  close(fd);
  const std::string out = RunVantorel(std::string("type ") + path);
  unlink(path);
  EXPECT_NE(out.find(":3: not a script step"), std::string::npos) << out;
  EXPECT_NE(out.find("exit 1\n"), std::string::npos) << out;
  EXPECT_NE(RunVantorel("type missing.ime").find("exit 2\n"), std::string::npos);
  EXPECT_NE(RunVantorel("type").find("exit 2\n"), std::string::npos);
}

}  // namespace

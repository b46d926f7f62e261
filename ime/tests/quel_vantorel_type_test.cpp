// vantorel type on the example scripts: the same output every run, equal to the golden files
// in ime/tests/golden (KX2_UPDATE_GOLDEN=1 writes them anew); bad scripts are refused.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <string>

namespace {

const std::string kExamples = std::string(KX2_SOURCE_DIR) + "/examples/ime";
const std::string kGolden = std::string(KX2_SOURCE_DIR) + "/ime/tests/golden";

// Standard output and error of vantorel run in the examples folder, and its exit code.
std::string RunVantorel(const std::string& args) {
  const std::string command =
      "cd '" + kExamples + "' && '" KX2_BIN_DIR "/vantorel' " + args + " 2>&1; echo \"exit $?\"";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "popen failed";
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  pclose(pipe);
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(QuelVantorelType, ExamplesMatchTheirGoldenFiles) {
  for (const char* name : {"japanese", "chinese", "korean", "accelerators"}) {
    SCOPED_TRACE(name);
    const std::string args = std::string("type ") + name + ".ime";
    const std::string first = RunVantorel(args);
    EXPECT_EQ(RunVantorel(args), first) << "vantorel " << args << " prints the same every run";
    const std::string path = kGolden + "/" + name + ".txt";
    if (const char* update = std::getenv("KX2_UPDATE_GOLDEN"); update && std::string(update) == "1") {
      std::ofstream(path, std::ios::binary) << first;
      continue;
    }
    EXPECT_EQ(first, ReadFile(path)) << "vantorel " << args;
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

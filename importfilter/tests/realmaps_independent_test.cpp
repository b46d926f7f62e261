// Every real map that imports agrees with an independent reading of its file: the number of
// topics and every plain title under its parent's (tests/independent_reading.py reads the
// files with Python's ElementTree and zipfile), so that a lost topic shows by name.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::filesystem::path kMaps = std::filesystem::path(KX2_SHARED_DIR) / "testdata" / "maps";
const char kVantorel[] = KX2_BIN_DIR "/vantorel";
const char kReader[] = KX2_SOURCE_DIR "/importfilter/tests/independent_reading.py";

std::vector<std::string> MapPaths() {
  std::vector<std::string> paths;
  std::error_code ec;
  for (const char* folder : {"mm", "mmap", "xmind"})
    for (const auto& entry : std::filesystem::directory_iterator(kMaps / folder, ec)) {
      const std::string extension = entry.path().extension().string();
      if (extension == ".mm" || extension == ".mmap" || extension == ".xmind") paths.push_back(entry.path().string());
    }
  std::sort(paths.begin(), paths.end());
  if (paths.empty()) paths.push_back("");  // one instance that reports the missing folder
  return paths;
}

// Standard output of a shell command, and its exit status.
std::string RunCommand(const std::string& command, int* exitStatus) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = pclose(pipe);
  *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

class RealMapsReadIndependently : public ::testing::TestWithParam<std::string> {};

TEST_P(RealMapsReadIndependently, NothingIsLost) {
  if (GetParam().empty()) GTEST_SKIP() << "no shared test maps at " << kMaps;
  if (!std::filesystem::exists(kVantorel)) GTEST_SKIP() << "vantorel is not built";
  if (!std::filesystem::exists("/usr/bin/python3")) GTEST_SKIP() << "no python3";
  const std::string quoted = "'" + GetParam() + "'";
  int status = -1;
  RunCommand(std::string("'") + kVantorel + "' import " + quoted + " >/dev/null 2>&1", &status);
  if (status != 0) GTEST_SKIP() << "refused; its refusal is tested with its format";
  const std::string lost = RunCommand(std::string("'") + kVantorel + "' import --json " + quoted +
                                          " 2>/dev/null | /usr/bin/python3 '" + kReader + "' " + quoted,
                                      &status);
  EXPECT_EQ(status, 0) << lost;
  EXPECT_EQ(lost, "");
}

INSTANTIATE_TEST_SUITE_P(Maps, RealMapsReadIndependently, ::testing::ValuesIn(MapPaths()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name =
                               info.param.empty() ? "none" : std::filesystem::path(info.param).filename().string();
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace

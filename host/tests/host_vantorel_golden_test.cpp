// vantorel on the example maps: the same output every run, equal to the golden files in
// host/tests/golden (KX2_UPDATE_GOLDEN=1 writes them anew), and JSON that python reads.
#include <gtest/gtest.h>

#include <kx2test/VantorelRun.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const std::string kExamples = std::string(KX2_SOURCE_DIR) + "/examples";
const std::string kGolden = std::string(KX2_SOURCE_DIR) + "/host/tests/golden";

std::string Run(const std::string& args) { return kx2test::RunVantorelIn(kExamples, args); }

void ExpectGolden(const std::string& args, const std::string& goldenName) {
  kx2test::ExpectVantorelGolden(kExamples, args, kGolden + "/" + goldenName);
}

// The JSON part of a run (everything before the exit line) parses with python.
void ExpectJsonParses(const std::string& args) {
  std::string out = Run(args);
  if (out.rfind("exit 0\n") == std::string::npos) return;  // a failed run prints no JSON
  out.resize(out.rfind("exit 0\n"));
  char path[] = "/tmp/vantorel_json_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::ofstream(path) << out;
  const std::string command = std::string("/usr/bin/python3 -m json.tool ") + path + " > /dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << out;
  std::remove(path);
}

struct Case {
  const char* args;
  const char* golden;
};

class VantorelGolden : public ::testing::TestWithParam<Case> {};

TEST_P(VantorelGolden, MatchesItsGoldenFile) {
  ExpectGolden(GetParam().args, GetParam().golden);
  if (std::string(GetParam().args).find("--json") != std::string::npos) ExpectJsonParses(GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(Examples, VantorelGolden,
                         ::testing::Values(Case{"filters", "filters.txt"}, Case{"filters --json", "filters.json"},
                                           Case{"import lisbon-trip.mm", "lisbon-trip.txt"},
                                           Case{"import lisbon-trip.mm --json", "lisbon-trip.json"},
                                           Case{"import garden-project.xmind", "garden-project.txt"},
                                           Case{"import garden-project.xmind --json", "garden-project.json"},
                                           Case{"import office-move.mmap", "office-move.txt"},
                                           Case{"import office-move.mmap --json", "office-move.json"},
                                           Case{"import packing-list.txt", "not-a-map.txt"},
                                           Case{"import lisbon-trip.mm --filter XMIND", "wrong-filter.txt"},
                                           Case{"import no-such-map.mm", "missing-file.txt"},
                                           Case{"bogus", "usage.txt"}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (char c : std::string(info.param.golden))
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace

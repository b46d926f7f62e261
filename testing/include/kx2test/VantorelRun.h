// Runs of the vantorel command-line tool for tests: what it prints, and its output held
// against a golden file (KX2_UPDATE_GOLDEN=1 writes the golden files anew).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <kx2test/CommandOutput.h>

namespace kx2test {

// Standard output and error of vantorel run in the folder with the arguments, then a line
// "exit N" with its exit code.
inline std::string RunVantorelIn(const std::string& folder, const std::string& args) {
  const std::string command = "cd '" + folder + "' && '" KX2_BIN_DIR "/vantorel' " + args + " 2>&1; echo \"exit $?\"";
  std::string out;
  if (!ReadCommandOutput(command, out)) return "popen failed";
  return out;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// vantorel prints the same on two runs, and that equals the golden file.
inline void ExpectVantorelGolden(const std::string& folder, const std::string& args, const std::string& goldenPath) {
  const std::string first = RunVantorelIn(folder, args);
  EXPECT_EQ(RunVantorelIn(folder, args), first) << "vantorel " << args << " prints the same every run";
  if (const char* update = std::getenv("KX2_UPDATE_GOLDEN"); update && std::string(update) == "1") {
    std::ofstream(goldenPath, std::ios::binary) << first;
    return;
  }
  EXPECT_EQ(first, ReadWholeFile(goldenPath)) << "vantorel " << args << " (golden " << goldenPath << ")";
}

}  // namespace kx2test

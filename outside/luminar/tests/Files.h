// Temporary folders, Windows paths for them, and running the peer programs.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <kx2test/CommandOutput.h>
#include <kx2test/TempFiles.h>

// A temporary folder named luminar-...
struct TempFolder : kx2test::TempFolder {
  TempFolder() : kx2test::TempFolder("luminar") {}
};

using kx2test::WinPath;

// Runs a shell command; returns its exit status and its standard output.
inline int RunCommand(const std::string& command, std::string* output = nullptr) {
  std::string text;
  int status = 0;
  if (!kx2test::ReadCommandOutput(command + " 2>/dev/null", text, &status)) return -1;
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool HaveProgram(const std::string& path) { return std::filesystem::exists(path); }

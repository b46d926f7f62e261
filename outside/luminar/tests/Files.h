// Temporary folders, Windows paths for them, and running the peer programs.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

struct TempFolder {
  std::filesystem::path path;
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "luminar-XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string File(const std::string& name) const { return (path / name).string(); }
};

// "/tmp/x/y.png" as "Z:\tmp\x\y.png" (Z: is the root).
inline std::u16string WinPath(const std::string& posix) {
  std::u16string out = u"Z:";
  for (char c : posix) out += c == '/' ? u'\\' : char16_t(static_cast<unsigned char>(c));
  return out;
}

// Runs a shell command; returns its exit status and its standard output.
inline int RunCommand(const std::string& command, std::string* output = nullptr) {
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t n;
  std::string text;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  const int status = pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool HaveProgram(const std::string& path) { return std::filesystem::exists(path); }

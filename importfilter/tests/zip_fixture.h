// Zip fixtures made by outside tools (Python's zipfile, Info-ZIP zip) in a fresh
// folder per test, and helpers to hand their paths to the storage.
#pragma once

#include <gtest/gtest.h>
#include <kx2/PathMap.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ziptest {

inline std::string RunCapture(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int rc = pclose(p);
    if (rc != 0) ADD_FAILURE() << "command failed (" << rc << "): " << command << "\n" << out;
  }
  return out;
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::u16string WinPath(const std::filesystem::path& p) { return kx2::ToWindowsPath(p.string()); }

class TempFolder {
 public:
  TempFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kx2zipXXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Runs a Python program with Debian's interpreter, with the folder as its first argument.
inline void Python(const TempFolder& dir, const std::string& program) {
  const auto script = dir / "make.py";
  std::ofstream(script) << program;
  RunCapture("/usr/bin/python3 " + script.string() + " " + dir.path().string() + " 2>&1");
}

}  // namespace ziptest

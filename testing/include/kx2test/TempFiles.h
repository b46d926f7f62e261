// A temporary folder that goes with its contents when the test ends, and the Windows path by
// which the ported libraries reach a file of it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace kx2test {

struct TempFolder {
  std::filesystem::path path;
  explicit TempFolder(const std::string& prefix = "kx2test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    path = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string File(const std::string& name) const { return (path / name).string(); }
};

// "/tmp/x/y.png" as "Z:\tmp\x\y.png" (Z: is the root).
inline std::u16string WinPath(const std::string& posix) {
  std::u16string out = u"Z:";
  for (char c : posix) out += c == '/' ? u'\\' : char16_t(static_cast<unsigned char>(c));
  return out;
}

}  // namespace kx2test

// A temporary folder that goes with its contents when the test ends, and the Windows path by
// which the ported libraries reach a file of it.
#pragma once

#include <stdlib.h>

#include <cstdlib>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

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

// Environment variables set for a test's length and given back their values (or their absence)
// when it ends, so that a test pointing the temporary folder elsewhere leaves later tests in the
// same process the folder they expect.
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second)
        setenv(it->first.c_str(), it->second->c_str(), 1);
      else
        unsetenv(it->first.c_str());
    }
  }
  void Set(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    setenv(name.c_str(), value.c_str(), 1);
  }
  // TMPDIR, TMP and TEMP all naming `folder`.
  void SetTemporaryFolder(const std::string& folder) {
    for (const char* name : {"TMPDIR", "TMP", "TEMP"}) Set(name, folder);
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// "/tmp/x/y.png" as "Z:\tmp\x\y.png" (Z: is the root).
inline std::u16string WinPath(const std::string& posix) {
  std::u16string out = u"Z:";
  for (char c : posix) out += c == '/' ? u'\\' : char16_t(static_cast<unsigned char>(c));
  return out;
}

}  // namespace kx2test

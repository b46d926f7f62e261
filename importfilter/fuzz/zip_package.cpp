// Opens arbitrary bytes as a zip package and reads every entry into a capped buffer:
// a package comes from someone else's machine and must never crash the importer.
#include "foliant/zip/tq_xml_storage.h"

#include <kx2/PathMap.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string& PackagePath() {
  static std::string path = [] {
    char name[] = "/tmp/kx2fuzzzipXXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = PackagePath();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  TqXMLStorage storage;
  const std::u16string windowsPath = kx2::ToWindowsPath(path);
  if (!storage.Open(windowsPath.c_str())) return 0;
  constexpr uint32_t kCap = 1 << 20;
  std::vector<uint8_t> buffer(kCap + 2);
  for (const auto& item : storage.Items()) {
    storage.HasEntry(item.name.c_str());
    const uint32_t declared = storage.GetEntrySize(item.name.c_str());
    const uint32_t room = declared < kCap ? declared + 2 : kCap;
    storage.ReadEntry(item.name.c_str(), buffer.data(), room);
  }
  return 0;
}

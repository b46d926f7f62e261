// Probes and imports arbitrary bytes as a FreeMind map into the host stand-in: a map
// comes from someone else's machine and must never crash the importer or leak.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include <foliant/freemind/freemind_import.h>
#include <kx2/PathMap.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>

#include "fuzz_seeds.h"

namespace {

const std::string& MapPath() {
  static const std::string path = [] {
    char folder[] = "/tmp/kx2fuzzmmXXXXXX";
    if (!mkdtemp(folder)) return std::string("/tmp/kx2fuzz.mm");
    return std::string(folder) + "/map.mm";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_seeds::AddRealMapSeeds(argc, argv, "mm", [](const std::string& map) { return std::vector<std::string>{map}; });
  VtlGetApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = MapPath();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  const std::u16string windowsPath = kx2::ToWindowsPath(path);
  vantorel::OpenDocument(true);
  {
    FreemindImport importer;
    if (importer.Init() == 1 && importer.Probe(windowsPath.c_str())) {
      importer.Cleanup();
      importer.Import(vantorel::DocumentManager(), windowsPath.c_str());
    }
    importer.Cleanup();
  }
  vantorel::CloseAllDocuments();
  return 0;
}

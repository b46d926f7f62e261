// Probes and imports arbitrary bytes as a FreeMind map into the host stand-in: a map
// comes from someone else's machine and must never crash the importer or leak.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include <foliant/freemind/freemind_import.h>
#include <kx2/PathMap.h>
#include <kx2test/FuzzInputFile.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>

#include "fuzz_seeds.h"

namespace {

// Each input is written to this file, which the importer reads.
const kx2test::FuzzInputFile& MapFile() {
  static const kx2test::FuzzInputFile file("kx2fuzzmm", "map.mm", "/tmp/kx2fuzz.mm");
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_seeds::AddRealMapSeeds(argc, argv, "mm", [](const std::string& map) { return std::vector<std::string>{map}; });
  VtlGetApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string windowsPath = MapFile().Write(data, size);
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

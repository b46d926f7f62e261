// FreeMind bytes through the whole render road: import, layout, the engine's objects and
// sketches, and a paint at a resolution that keeps the picture within 512 x 512. A map
// comes from someone else's machine; nothing it holds may crash or leak the road.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include <foliant/freemind/freemind_import.h>
#include <kx2/PathMap.h>
#include <kx2test/FuzzInputFile.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>
#include <vantorel/render_scene.h>

namespace {

// Each input is written to this file, which the importer reads.
const kx2test::FuzzInputFile& MapFile() {
  static const kx2test::FuzzInputFile file("kx2fuzzrender", "map.mm", "/tmp/kx2fuzzrender.mm");
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  VtlGetApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string windowsPath = MapFile().Write(data, size);
  vantorel::OpenDocument(true);
  bool imported = false;
  {
    FreemindImport importer;
    if (importer.Init() == 1 && importer.Probe(windowsPath.c_str())) {
      importer.Cleanup();
      imported = importer.Import(vantorel::DocumentManager(), windowsPath.c_str()) != 0;
    }
    importer.Cleanup();
  }
  vantorel::cli::MapScene scene;
  bool haveScene = false;
  if (imported) {
    const vantorel::Value all = vantorel::DescribeDocuments(vantorel::DescribeOptions{});
    const vantorel::Value* docs = all.Find("documents");
    haveScene = docs && !docs->items().empty() && vantorel::cli::SceneFromDescription(docs->items().back(), &scene);
  }
  vantorel::CloseAllDocuments();
  if (!haveScene) return 0;
  vantorel::cli::MeasureAndLayOut(&scene);
  const int64_t side = std::max<int64_t>({scene.bounds.width, scene.bounds.height, 1});
  vantorel::cli::PaintRequest request;
  request.dpi = static_cast<int>(std::clamp<int64_t>(400 * 7200 / side, 1, 96));
  request.maxSide = 512;
  vantorel::cli::Painted painted;
  std::string error;
  vantorel::cli::PaintScene(scene, request, &painted, &error);
  if (painted.leaks) __builtin_trap();
  return 0;
}

// Imports the largest real FreeMind map into the host stand-in, beside a bare libxml2
// parse of the same file in the same run: the import reads the file through the host's
// parser and builds every topic, marker, link and note, so the parse is its floor.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <filesystem>

#include <foliant/freemind/freemind_import.h>
#include <kx2/PathMap.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>

namespace {

const std::filesystem::path kMap =
    std::filesystem::path(KX2_SHARED_DIR) / "testdata" / "maps" / "mm" / "freemind-1.0.1-doc-freemind_ja.mm";

void BM_FreemindImport(benchmark::State& state) {
  if (!std::filesystem::exists(kMap)) return state.SkipWithError("no shared test maps");
  const std::u16string path = kx2::ToWindowsPath(kMap.string());
  VtlGetApplication();
  for (auto _ : state) {
    vantorel::OpenDocument(true);
    FreemindImport importer;
    importer.Init();
    if (importer.Import(vantorel::DocumentManager(), path.c_str()) != 1) state.SkipWithError("import failed");
    importer.Cleanup();
    state.PauseTiming();
    vantorel::CloseAllDocuments();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * std::filesystem::file_size(kMap));
  state.SetLabel(kMap.filename().string());
}

void BM_Libxml2Parse(benchmark::State& state) {
  if (!std::filesystem::exists(kMap)) return state.SkipWithError("no shared test maps");
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadFile(kMap.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOENT);
    if (!doc) state.SkipWithError("libxml2 refused the map");
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * std::filesystem::file_size(kMap));
  state.SetLabel(kMap.filename().string());
}

}  // namespace

BENCHMARK(BM_FreemindImport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Parse)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

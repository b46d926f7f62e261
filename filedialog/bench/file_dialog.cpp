// The item dialog's folder listing (what its "folder" step does: names and whether each is a
// folder) over a folder of 10,000 files and 100 folders, beside std::filesystem's
// directory_iterator reading the same folder with the same facts.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <kx2/FileDialogScript.h>
#include <kx2/PathMap.h>

namespace {

// Made once, removed when the program ends.
struct BenchFolder {
  std::filesystem::path path;
  BenchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "bench-file-dialog-XXXXXX").string();
    path = mkdtemp(pattern.data());
    for (int i = 0; i < 10000; ++i) std::ofstream(path / ("map-" + std::to_string(i) + ".xmind")) << "x";
    for (int i = 0; i < 100; ++i) std::filesystem::create_directory(path / ("folder-" + std::to_string(i)));
  }
  ~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

const BenchFolder& Folder() {
  static const BenchFolder folder;
  return folder;
}

void BM_ItemDialogListsFolder(benchmark::State& state) {
  const std::u16string folder = kx2::ToWindowsPath(Folder().path.string());
  for (auto _ : state) {
    int entries = Kx2FileDialogListFolder(folder.c_str());
    if (entries != 10100) state.SkipWithError("wrong count");
    benchmark::DoNotOptimize(entries);
  }
}
BENCHMARK(BM_ItemDialogListsFolder)->Unit(benchmark::kMillisecond);

void BM_DirectoryIteratorPeer(benchmark::State& state) {
  const std::filesystem::path folder = Folder().path;
  for (auto _ : state) {
    int entries = 0, folders = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      ++entries;
      folders += entry.is_directory() ? 1 : 0;
      benchmark::DoNotOptimize(entry.path().filename().u16string());
    }
    if (entries != 10100 || folders != 100) state.SkipWithError("wrong count");
  }
}
BENCHMARK(BM_DirectoryIteratorPeer)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

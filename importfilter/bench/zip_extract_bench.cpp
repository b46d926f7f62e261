// Reads every entry of the largest real package into memory: our zip storage beside
// libzip in the same run.
#include "foliant/zip/tq_xml_storage.h"

#include <benchmark/benchmark.h>
#include <kx2/PathMap.h>
#include <zip.h>

#include <filesystem>
#include <vector>

namespace {

std::filesystem::path LargestPackage() {
  std::filesystem::path best;
  uintmax_t bestSize = 0;
  const auto maps = std::filesystem::path(KX2_SHARED_DIR) / "testdata" / "maps";
  for (const char* sub : {"xmind", "mmap"}) {
    std::error_code ec;
    for (const auto& f : std::filesystem::directory_iterator(maps / sub, ec))
      if (f.file_size() > bestSize) {
        bestSize = f.file_size();
        best = f.path();
      }
  }
  return best;
}

void BM_Ours_ReadAllEntries(benchmark::State& state) {
  const auto path = LargestPackage();
  if (path.empty()) return state.SkipWithError("no real packages found");
  const std::u16string windowsPath = kx2::ToWindowsPath(path.string());
  std::vector<uint8_t> buffer;
  int64_t bytes = 0;
  for (auto _ : state) {
    TqXMLStorage storage;
    storage.Open(windowsPath.c_str());
    for (const auto& item : storage.Items()) {
      buffer.resize(item.size + 2);
      bytes += std::max(0, storage.ReadEntry(item.name.c_str(), buffer.data(), item.size + 2));
    }
  }
  state.SetBytesProcessed(bytes);
  state.SetLabel(path.filename().string());
}

void BM_Libzip_ReadAllEntries(benchmark::State& state) {
  const auto path = LargestPackage();
  if (path.empty()) return state.SkipWithError("no real packages found");
  std::vector<uint8_t> buffer;
  int64_t bytes = 0;
  for (auto _ : state) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    const zip_int64_t n = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
      zip_stat_t st;
      zip_stat_index(archive, i, 0, &st);
      buffer.resize(st.size + 2);
      zip_file_t* f = zip_fopen_index(archive, i, 0);
      bytes += zip_fread(f, buffer.data(), st.size);
      zip_fclose(f);
    }
    zip_close(archive);
  }
  state.SetBytesProcessed(bytes);
  state.SetLabel(path.filename().string());
}

}  // namespace

BENCHMARK(BM_Ours_ReadAllEntries);
BENCHMARK(BM_Libzip_ReadAllEntries);
BENCHMARK_MAIN();

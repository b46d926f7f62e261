// vantorel skin-demo as a process, skinned (the demo skin's folder loaded, the dialog made,
// painted, captured and written as PNG) beside the same demo in the classic look.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// A folder with the demo skin in it, made once for the run.
const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path f = fs::temp_directory_path() /
                 ("bench-vantorel-skin-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(f);
    const std::string make = "cd '" + f.string() + "' && '" KX2_BIN_DIR "/vantorel' skin-make demo-skin >/dev/null";
    if (std::system(make.c_str()) != 0) std::abort();
    return f;
  }();
  return folder;
}

void RunDemo(benchmark::State& state, const std::string& args) {
  const std::string command =
      "cd '" + Folder().string() + "' && '" KX2_BIN_DIR "/vantorel' skin-demo -o demo.png " + args + " >/dev/null";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("vantorel skin-demo failed");
}

void BM_PlainDemo(benchmark::State& state) { RunDemo(state, ""); }
void BM_SkinnedDemo(benchmark::State& state) { RunDemo(state, "--skin demo-skin"); }

struct RemoveFolder {
  ~RemoveFolder() {
    std::error_code error;
    fs::remove_all(Folder(), error);
  }
} removeFolder;

}  // namespace

BENCHMARK(BM_PlainDemo)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_SkinnedDemo)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK_MAIN();

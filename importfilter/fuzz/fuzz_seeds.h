// Seeds of the importer fuzz targets taken from the real maps of the shared test data at
// start-up: the maps are read where they lie (never copied into the project), and the
// seeds go to a temporary corpus folder that is handed to libFuzzer on its command line.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fuzz_seeds {

// Appends a new temporary corpus folder to the command line and fills it with
// `make(map bytes)` for every real map of the folder `sub` ("mm", ...); each returned string
// is one seed. libFuzzer reads every corpus folder it is given and writes what it finds to
// the first, so the seeds are read whether or not the caller named a corpus of its own.
inline void AddRealMapSeeds(int* argc, char*** argv, const char* sub,
                            const std::function<std::vector<std::string>(const std::string&)>& make) {
  std::error_code ec;
  for (int i = 1; i < *argc; ++i) {
    const std::string arg = (*argv)[i];
    // A replay of given inputs, or a merge, works on what it was given alone.
    if (arg.rfind("-merge=", 0) == 0) return;
    if (arg[0] != '-' && !std::filesystem::is_directory(arg, ec)) return;
  }
  const auto maps = std::filesystem::path(KX2_SHARED_DIR) / "testdata" / "maps" / sub;
  if (!std::filesystem::is_directory(maps, ec)) return;
  std::string folder = (std::filesystem::temp_directory_path() / "kx2_fuzz_seeds_XXXXXX").string();
  if (!mkdtemp(folder.data())) return;
  int n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(maps, ec)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const std::string& seed : make(bytes))
      std::ofstream(folder + "/seed" + std::to_string(n++), std::ios::binary) << seed;
  }
  static std::vector<char*> args;
  args.assign(*argv, *argv + *argc);
  static std::string corpus;
  corpus = folder;
  args.push_back(corpus.data());
  args.push_back(nullptr);
  *argc = static_cast<int>(args.size()) - 1;
  *argv = args.data();
}

}  // namespace fuzz_seeds

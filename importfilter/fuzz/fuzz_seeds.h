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

// Appends a new temporary corpus folder to the command line when none is given (libFuzzer
// then writes what it finds there) and fills it with `make(map bytes)` for every real map
// of the folder `sub` ("mm", ...). Each returned string is one seed.
inline void AddRealMapSeeds(int* argc, char*** argv, const char* sub,
                            const std::function<std::vector<std::string>(const std::string&)>& make) {
  for (int i = 1; i < *argc; ++i)
    if ((*argv)[i][0] != '-') return;  // a corpus was given
  const auto maps = std::filesystem::path(KX2_SHARED_DIR) / "testdata" / "maps" / sub;
  std::error_code ec;
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

// Loading a generated folder skin of 5,000 property lines into a schema, against reading
// the same file with std::getline and splitting each line at "="; and 1,000,000 property
// lookups that fall through to (class, 0, 0), against std::unordered_map::find of the keys
// they end at.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <kx2/PathMap.h>

#include "ornatex/schema/resource_file.h"
#include "ornatex/schema/schema.h"

namespace {

constexpr int kLines = 5000;
constexpr int kLookups = 1000000;

const std::string& SkinFolder() {
  static const std::string folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string f = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench-skin-schema-" + std::to_string(getpid());
    mkdir(f.c_str(), 0700);
    std::ofstream ini(f + "/skin.ini");
    static const char* const kClasses[] = {"Button", "Edit", "ScrollBar", "Tab", "Header", "ListView"};
    int written = 0;
    for (int section = 0; written < kLines; ++section) {
      ini << "[" << kClasses[section % 6] << "." << (section / 6) % 60 << "(" << section % 7 << ")]\r\n";
      for (int i = 0; i < 20 && written < kLines; ++i, ++written) {
        switch (i % 5) {
          case 0:
            ini << "ImageFile = Blue\\Part" << written << ".bmp\r\n";
            break;
          case 1:
            ini << "SizingMargins = 4, 4, 3, 3\r\n";
            break;
          case 2:
            ini << "BorderColor = 10, 20, " << written % 256 << "\r\n";
            break;
          case 3:
            ini << (5000 + written % 3000) << ":2 = " << written << "\r\n";
            break;
          default:
            ini << "Transparent = true\r\n";
            break;
        }
      }
    }
    return f;
  }();
  return folder;
}

void BM_LoadFolderSkin(benchmark::State& state) {
  const std::u16string folder = kx2::ToWindowsPath(SkinFolder());
  for (auto _ : state) {
    CKtkSkinManagerResourceFile reader;
    if (!reader.Open(folder.c_str(), u"skin.ini")) state.SkipWithError("not opened");
    std::unique_ptr<CKtkSkinManagerSchema> schema(KtkLoadSkinSchema(reader));
    benchmark::DoNotOptimize(schema->PropertyCount());
  }
}
BENCHMARK(BM_LoadFolderSkin)->Unit(benchmark::kMillisecond);

void BM_GetlineAndSplit(benchmark::State& state) {
  const std::string path = SkinFolder() + "/skin.ini";
  for (auto _ : state) {
    std::ifstream in(path);
    std::vector<std::pair<std::string, std::string>> entries;
    for (std::string line; std::getline(in, line);) {
      const size_t equals = line.find('=');
      if (equals != std::string::npos) entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    benchmark::DoNotOptimize(entries.size());
  }
}
BENCHMARK(BM_GetlineAndSplit)->Unit(benchmark::kMillisecond);

// Lookups of (class, part, state) that only a class-wide record answers.
struct Lookups {
  CKtkSkinManagerSchema schema;
  std::unordered_map<uint32_t, int> plain;
  std::vector<int> classes, parts, states, ids;
  Lookups() {
    std::mt19937 random(6);
    for (int c = 1; c <= 30; ++c)
      for (int id = 3000; id < 3040; ++id) {
        const LONG value = c * id;
        schema.SetProperty(c, 0, 0, id).SetValues(KTK_PT_INT, &value, 1);
        plain.emplace(CKtkSkinManagerSchema::PropertyKey(c, 0, 0, id), value);
      }
    for (int i = 0; i < kLookups; ++i) {
      classes.push_back(1 + static_cast<int>(random() % 30));
      parts.push_back(1 + static_cast<int>(random() % 63));
      states.push_back(1 + static_cast<int>(random() % 63));
      ids.push_back(3000 + static_cast<int>(random() % 40));
    }
  }
};

Lookups& TheLookups() {
  static Lookups lookups;
  return lookups;
}

void BM_FindPropertyFallingThrough(benchmark::State& state) {
  Lookups& l = TheLookups();
  for (auto _ : state) {
    long sum = 0;
    for (int i = 0; i < kLookups; ++i)
      if (const auto* r = l.schema.FindProperty(l.classes[i], l.parts[i], l.states[i], l.ids[i])) sum += r->m_values[0];
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_FindPropertyFallingThrough)->Unit(benchmark::kMillisecond);

void BM_UnorderedMapFindOfTheFinalKeys(benchmark::State& state) {
  Lookups& l = TheLookups();
  for (auto _ : state) {
    long sum = 0;
    for (int i = 0; i < kLookups; ++i) {
      auto it = l.plain.find(CKtkSkinManagerSchema::PropertyKey(l.classes[i], 0, 0, l.ids[i]));
      if (it != l.plain.end()) sum += it->second;
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_UnorderedMapFindOfTheFinalKeys)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

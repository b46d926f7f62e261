// Interning and loading distinct formats: time per entry for 1,000, 10,000 and 60,000
// entries. The tables intern through their hash index; beside them, the same values in a
// table without an index (the plain scan over every entry) show how its cost grows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentFill.h>
#include <plastrum/format/ShapeFileMapper.h>
#include <plastrum/format/ShapeTableRegistry.h>
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2MemFile.h>

namespace {

// The caller's outer mapper: every identifier maps to itself.
class IdentityMapper final : public IKx2ShapeMapperCtx {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  IKx2ShapeMapperCtx* GetMapper(int32_t which) override { return which == 0 || which == 1 ? this : nullptr; }
  int32_t GetCount(uint32_t) override { return 0; }
  void SetCount(uint32_t, int32_t) override {}
  uint32_t MapIn(int32_t, int32_t fileId) override { return static_cast<uint32_t>(fileId); }
  int32_t MapOut(int32_t, uint32_t tableId) override { return static_cast<int32_t>(tableId); }
  void Reserved(int32_t, int32_t) override {}
  int32_t Register(uint32_t, uint32_t) override { return 1; }
};

CPresentFill DistinctFill(int i) {
  CPresentFill f;
  f.v.type = 1;
  f.v.solidColor = PresentColorRef(0xFF000000u | static_cast<uint32_t>(i) * 7919u, 0x00FF0000u);
  f.v.transparency = static_cast<int16_t>(i % 1000);
  return f;
}

// The same comparison over a table that has no index.
struct ScannedFill : CKx2ShapeRefCnt {
  uint8_t type = 0;
  PresentColorRef solid;
  int16_t transparency = 0;
  uint16_t gradient = 0, texture = 0, hatch = 0;
  bool IsSameValue(const ScannedFill& o) const {
    return type == o.type && solid == o.solid && transparency == o.transparency && gradient == o.gradient &&
           texture == o.texture && hatch == o.hatch;
  }
  int AssignValue(const ScannedFill& o) {
    type = o.type, solid = o.solid, transparency = o.transparency, gradient = o.gradient, texture = o.texture,
    hatch = o.hatch;
    return 1;
  }
  void ClearEntry() {}
};

void BM_InternIndexed(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<CPresentFill> values;
  values.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) values.push_back(DistinctFill(i));
  for (auto _ : state) {
    state.PauseTiming();
    Present::StartShapeTables();
    state.ResumeTiming();
    for (const CPresentFill& v : values) benchmark::DoNotOptimize(PresentFillTable().Intern(v));
    state.PauseTiming();
    Present::StopShapeTables();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_InternPlainScan(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<ScannedFill> values(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const CPresentFill f = DistinctFill(i);
    values[static_cast<size_t>(i)].type = f.v.type;
    values[static_cast<size_t>(i)].solid = f.v.solidColor;
    values[static_cast<size_t>(i)].transparency = f.v.transparency;
  }
  for (auto _ : state) {
    CKx2ShapeTbl<ScannedFill> table(300);
    ScannedFill standard;
    standard.type = 9;
    table.InitFixedEntries(ScannedFill{}, &standard);
    for (const ScannedFill& v : values) benchmark::DoNotOptimize(table.Intern(v));
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// Loading a document's fill list of n distinct entries into emptied tables.
void BM_LoadList(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  IdentityMapper outer;
  Present::StartShapeTables();
  std::vector<uint8_t> bytes;
  {
    CKx2FilePresentationShapeMapper writer(&outer);
    std::vector<int32_t> ids;
    for (int i = 0; i < n; ++i) {
      ids.push_back(PresentFillTable().Intern(DistinctFill(i)));
      writer.Register(Present::kKindFill, static_cast<uint32_t>(ids.back()));
    }
    writer.BeginWrite();
    CKx2MemFile file;
    CKx2DataBlock archive;
    archive.Attach(&file, 0);
    writer.ExchangeCounts(&archive);
    writer.ExchangeLists(&archive, nullptr);
    archive.Reset();
    const auto* p = static_cast<const uint8_t*>(file.GetBuffer());
    bytes.assign(p, p + file.GetLength());
  }
  Present::StopShapeTables();
  for (auto _ : state) {
    state.PauseTiming();
    Present::StartShapeTables();
    void* copy = Kx2Heap::Allocate(bytes.size());
    std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(copy));
    CKx2MemFile file(copy, static_cast<int32_t>(bytes.size()));
    {
      CKx2DataBlock archive;
      archive.Attach(&file, 0);
      auto* reader = new CKx2FilePresentationShapeMapper(&outer);
      state.ResumeTiming();
      reader->ExchangeCounts(&archive);
      reader->ExchangeLists(&archive, nullptr);
      state.PauseTiming();
      delete reader;
      archive.Reset();
    }
    Present::StopShapeTables();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

}  // namespace

BENCHMARK(BM_InternIndexed)->Arg(1000)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InternPlainScan)->Arg(1000)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadList)->Arg(1000)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

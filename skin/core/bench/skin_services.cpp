// The system-code test over 1,000,000 addresses against glibc's dladdr on the same
// addresses (what the test would otherwise ask: which object holds this address).
// Addresses: code of USER32 and COMCTL32, of this program, of the platform and of libc,
// heap and stack, in a fixed shuffled order.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include <win/kernel.h>
#include <win/module.h>

#include "ornatex/core/module_list.h"

namespace {

constexpr size_t kAddresses = 1000000;

const std::vector<const void*>& Addresses() {
  static const std::vector<const void*> addresses = [] {
    const void* anchors[] = {
        reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleW(u"user32"), "DefWindowProcW")),
        reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleW(u"comctl32"), "DllGetVersion")),
        reinterpret_cast<const void*>(&Addresses),
        reinterpret_cast<const void*>(&GetProcAddress),
        reinterpret_cast<const void*>(&std::malloc),
    };
    static auto heap = std::make_unique<char[]>(4096);
    std::vector<const void*> out;
    out.reserve(kAddresses);
    std::mt19937 random(7);
    for (size_t i = 0; i < kAddresses; ++i) {
      const size_t pick = random() % 7;
      const auto offset = static_cast<ptrdiff_t>(random() % 256);
      if (pick < 5)
        out.push_back(static_cast<const char*>(anchors[pick]) + offset);
      else if (pick == 5)
        out.push_back(heap.get() + offset);
      else
        out.push_back(&out);  // the stack
    }
    return out;
  }();
  return addresses;
}

void BM_IsSystemModuleAddress(benchmark::State& state) {
  const auto& addresses = Addresses();
  IsSystemModuleAddress(addresses[0]);  // the ranges are read on first use
  for (auto _ : state) {
    size_t system = 0;
    for (const void* a : addresses) system += IsSystemModuleAddress(a) ? 1 : 0;
    benchmark::DoNotOptimize(system);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * addresses.size()));
}
BENCHMARK(BM_IsSystemModuleAddress)->Unit(benchmark::kMillisecond);

void BM_Dladdr(benchmark::State& state) {
  const auto& addresses = Addresses();
  for (auto _ : state) {
    size_t found = 0;
    for (const void* a : addresses) {
      Dl_info info;
      found += dladdr(a, &info) ? 1 : 0;
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * addresses.size()));
}
BENCHMARK(BM_Dladdr)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

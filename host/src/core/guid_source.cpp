#include "core/guid_source.h"

#include <atomic>
#include <cstdio>

#include <win/ole.h>

namespace vantorel::detail {
namespace {
std::atomic<DWORD> g_counter{0};
}

GUID NextGuid() {
  GUID g{};
  g.Data1 = ++g_counter;
  g.Data2 = 0x5654;
  g.Data3 = 0x4C00;
  g.Data4[0] = 0x80;
  return g;
}

void ResetGuidCounter() { g_counter = 0; }

bool IsNullGuid(const GUID& guid) { return guid == GUID{}; }

std::string GuidText(const GUID& g) {
  OLECHAR text[39];
  const int units = StringFromGUID2(g, text, 39);
  return units > 0 ? std::string(text, text + units - 1) : std::string();
}

GUID StockGuid(DWORD number) {
  GUID g{};
  g.Data1 = number;
  return g;
}

}  // namespace vantorel::detail

#include "core/guid_source.h"

#include <atomic>
#include <cstdio>

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
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buf;
}

GUID StockGuid(DWORD number) {
  GUID g{};
  g.Data1 = number;
  return g;
}

}  // namespace vantorel::detail

// Accelerator tables: the library's copies of the host's arrays.
#include <cstdlib>
#include <cstring>

#include <kx2/ErrorBoundary.h>
#include <quel/Accelerators.h>

QUEL_API tagAccelTable* _ExpAcceleratorCreate(const tagAccelEntry* entries, int32_t count) {
  if (!entries || count < -1) return nullptr;
  if (count == -1) {
    count = 0;
    while (entries[count].command != 0) ++count;
  }
  auto* table = static_cast<tagAccelTable*>(std::malloc(sizeof(tagAccelTable)));
  if (!table) return nullptr;
  table->count = count;
  table->entries = static_cast<tagAccelEntry*>(std::malloc(sizeof(tagAccelEntry) * (count ? count : 1)));
  if (!table->entries) {
    std::free(table);
    return nullptr;
  }
  if (count) std::memcpy(table->entries, entries, sizeof(tagAccelEntry) * static_cast<size_t>(count));
  return table;
}

QUEL_API int _ExpAcceleratorRelease(tagAccelTable* table) {
  if (!table) return 0;
  std::free(table->entries);
  std::free(table);
  return 1;
}

QUEL_API int _ExpAcceleratorCopy(const tagAccelTable* table, tagAccelEntry* out, int32_t capacity) {
  if (!table) return 0;
  if (!out) return table->count;
  if (capacity <= 0) return 0;
  const int32_t copied = capacity < table->count ? capacity : table->count;
  std::memcpy(out, table->entries, sizeof(tagAccelEntry) * static_cast<size_t>(copied));
  return copied;
}

QUEL_API int _ExpAcceleratorBinding(const tagAccelTable* table, uint16_t command, tagAccelEntry* out) {
  if (!table || !out) return 0;
  for (int32_t i = 0; i < table->count; ++i) {
    if (table->entries[i].command == command) {
      *out = table->entries[i];
      return 1;
    }
  }
  return 0;
}

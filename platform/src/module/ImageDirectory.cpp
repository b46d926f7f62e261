// Data directories of Windows images laid out in memory, read through the memory probe.
#include <cstdint>

#include "kx2/MemoryProbe.h"
#include "win/imagehlp.h"
#include "win/kernel.h"

namespace {

PVOID Fail() {
  SetLastError(ERROR_BAD_EXE_FORMAT);
  return nullptr;
}

}  // namespace

KX2_EXPORT PVOID ImageDirectoryEntryToData(PVOID Base, BOOLEAN MappedAsImage, USHORT DirectoryEntry, PULONG Size) {
  if (!Base || !MappedAsImage) return Fail();
  auto* base = static_cast<const uint8_t*>(Base);
  uint16_t dos = 0;
  if (!kx2::ProbeValue(base, &dos) || dos != IMAGE_DOS_SIGNATURE) return Fail();
  int32_t lfanew = 0;
  if (!kx2::ProbeValue(base + IMAGE_DOS_LFANEW_OFFSET, &lfanew) || lfanew < 0 || lfanew > (1 << 20)) return Fail();
  const uint8_t* nt = base + lfanew;
  uint32_t signature = 0;
  if (!kx2::ProbeValue(nt, &signature) || signature != IMAGE_NT_SIGNATURE) return Fail();
  const uint8_t* optional = nt + IMAGE_NT_OPTIONAL_HEADER_OFFSET;
  uint16_t magic = 0;
  if (!kx2::ProbeValue(optional, &magic)) return Fail();
  size_t countAt = 0;
  if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
    countAt = IMAGE_OPTIONAL32_DIRECTORY_COUNT_OFFSET;
  else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
    countAt = IMAGE_OPTIONAL64_DIRECTORY_COUNT_OFFSET;
  else
    return Fail();
  uint32_t count = 0;
  if (!kx2::ProbeValue(optional + countAt, &count) || DirectoryEntry >= count) return Fail();
  uint32_t entry[2] = {0, 0};  // RVA, size
  if (!Kx2ProbeRead(optional + countAt + 4 + 8 * static_cast<size_t>(DirectoryEntry), entry, sizeof entry) ||
      entry[0] == 0)
    return Fail();
  if (Size) *Size = entry[1];
  return const_cast<uint8_t*>(base) + entry[0];
}

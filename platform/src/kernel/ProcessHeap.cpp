// Reserves the heap's next stretch in one growth of the program break and asks the kernel
// for transparent huge pages there. Page faults, not the work, dominate a large import on a
// virtual machine: each fresh 4 KB page costs as much as hundreds of allocations.
//
// A huge page can only back a 2 MB-aligned range that lies wholly inside the region, and
// only if nothing in that range was touched before the advice, so the growth starts with a
// filler block that ends just below the aligned range (the new top chunk's header, written
// as the filler is cut off, stays below it). The filler is never touched beyond its first
// bytes and is kept for the process's life (reachable, so no leak report): address space
// only.
#include "kx2/ProcessHeap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
constexpr uintptr_t kTopHeaderRoom = 64;
constexpr int kDefaultTopPad = 128 << 10;
constexpr int kDefaultMmapThreshold = 128 << 10;
constexpr int kFillerMmapThreshold = 32 << 20;

void* g_filler = nullptr;

uintptr_t Break() { return reinterpret_cast<uintptr_t>(sbrk(0)); }

}  // namespace

BOOL Kx2PrepareHeapForGrowth(SIZE_T bytes) {
  if (g_filler || bytes == 0 || bytes > (SIZE_T{1} << 40)) return FALSE;
  const uintptr_t brkBefore = Break();
  const struct mallinfo2 info = mallinfo2();
  // Another allocator (a sanitizer's) reports no top chunk: nothing to lay out.
  if (brkBefore == uintptr_t(-1) || info.keepcost == 0 || info.keepcost > brkBefore) return FALSE;
  // Shrinking the heap would hand the reserved stretch back to the system.
  if (mallopt(M_TRIM_THRESHOLD, INT32_MAX) != 1) return FALSE;
  // glibc gathers freed small blocks from its fast lists only when the top chunk runs short;
  // with a top chunk this large that would never happen and every freed block of the parsed
  // document would stay out of use while the model takes fresh pages. Without fast lists a
  // freed block joins its free neighbours at once and is reused.
  mallopt(M_MXFAST, 0);
  const SIZE_T reserve = bytes + kHugePage;
  mallopt(M_MMAP_THRESHOLD, kFillerMmapThreshold);
  if (mallopt(M_TOP_PAD, static_cast<int>(reserve > INT32_MAX ? INT32_MAX : reserve)) != 1) return FALSE;
  // The top chunk runs to the break; the filler takes it and the stretch up to the next
  // aligned address, so what the heap hands out next lies in the advised range.
  const uintptr_t topStart = brkBefore - info.keepcost;
  const uintptr_t minimum = brkBefore + (uintptr_t{64} << 10);
  const uintptr_t aligned = (minimum + kHugePage - 1) & ~(kHugePage - 1);
  void* filler = malloc(aligned - kTopHeaderRoom - topStart - sizeof(size_t));
  mallopt(M_TOP_PAD, kDefaultTopPad);
  mallopt(M_MMAP_THRESHOLD, kDefaultMmapThreshold);
  if (!filler) return FALSE;
  static_cast<volatile char*>(filler)[0] = 0;  // a block in use, never merged away
  g_filler = filler;
  const uintptr_t brkAfter = Break();
  const auto at = reinterpret_cast<uintptr_t>(filler);
  if (brkAfter <= aligned || at < topStart || at > aligned) return FALSE;
  return madvise(reinterpret_cast<void*>(aligned), brkAfter - aligned, MADV_HUGEPAGE) == 0 ? TRUE : FALSE;
}

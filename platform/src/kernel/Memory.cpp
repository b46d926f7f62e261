// Local, Global and Heap memory blocks.
//
// Every block carries a small header in front of its data that records its size, so that
// GlobalSize and HeapSize are exact. A moveable block is reached through a handle record
// that holds the block pointer and the lock count.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "win/kernel.h"

namespace {

constexpr uint32_t kFixedMagic = 0x4B583246;  // "KX2F"

struct alignas(16) BlockHeader {
  uint32_t magic;
  uint32_t flags;
  size_t size;
};
static_assert(sizeof(BlockHeader) == 16, "keeps the data 16-byte aligned");

struct MoveableHandle {
  void* data;
  size_t size;
  UINT flags;
  UINT lockCount;
};

// Every live block and handle is registered, so that a stale or foreign pointer is
// refused without ever being read.
std::mutex g_lock;
std::unordered_map<void*, MoveableHandle*>& Moveables() {
  static auto* map = new std::unordered_map<void*, MoveableHandle*>;
  return *map;
}
std::unordered_set<const void*>& FixedBlocks() {
  static auto* set = new std::unordered_set<const void*>;
  return *set;
}

// The header of a registered block; g_lock must be held.
BlockHeader* HeaderOf(const void* data) {
  if (!data || !FixedBlocks().count(data)) return nullptr;
  return reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(data)) - sizeof(BlockHeader));
}

// g_lock must be held for the three below.
void* AllocData(size_t size, bool zero) {
  auto* h = static_cast<BlockHeader*>(zero ? std::calloc(1, sizeof(BlockHeader) + size)
                                           : std::malloc(sizeof(BlockHeader) + size));
  if (!h) return nullptr;
  h->magic = kFixedMagic;
  h->flags = 0;
  h->size = size;
  FixedBlocks().insert(h + 1);
  return h + 1;
}

void FreeData(void* data) {
  if (BlockHeader* h = HeaderOf(data)) {
    FixedBlocks().erase(data);
    std::free(h);
  }
}

void* ReallocData(void* data, size_t size, bool zero) {
  BlockHeader* h = HeaderOf(data);
  if (!h) return nullptr;
  size_t old = h->size;
  auto* n = static_cast<BlockHeader*>(std::realloc(h, sizeof(BlockHeader) + size));
  if (!n) return nullptr;
  FixedBlocks().erase(data);
  if (zero && size > old) std::memset(reinterpret_cast<char*>(n + 1) + old, 0, size - old);
  n->size = size;
  FixedBlocks().insert(n + 1);
  return n + 1;
}

MoveableHandle* FindMoveable(HGLOBAL h) {
  auto it = Moveables().find(h);
  return it == Moveables().end() ? nullptr : it->second;
}

HGLOBAL Alloc(UINT flags, SIZE_T bytes) {
  bool zero = (flags & GMEM_ZEROINIT) != 0;
  std::lock_guard<std::mutex> guard(g_lock);
  void* data = AllocData(bytes, zero);
  if (!data) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (!(flags & GMEM_MOVEABLE)) return data;
  auto* m = new (std::nothrow) MoveableHandle{data, bytes, flags, 0};
  if (!m) {
    FreeData(data);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Moveables()[m] = m;
  return m;
}

LPVOID Lock(HGLOBAL h) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (MoveableHandle* m = FindMoveable(h)) {
    if (m->lockCount < GMEM_LOCKCOUNT) ++m->lockCount;
    return m->data;
  }
  if (HeaderOf(h)) return h;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

BOOL Unlock(HGLOBAL h) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (MoveableHandle* m = FindMoveable(h)) {
    if (m->lockCount == 0) {
      SetLastError(ERROR_NOT_LOCKED);
      return FALSE;
    }
    if (--m->lockCount > 0) return TRUE;
    SetLastError(NO_ERROR);  // unlocked: FALSE with no error, as Win32 reports it
    return FALSE;
  }
  return TRUE;  // fixed blocks have no lock count
}

SIZE_T Size(HGLOBAL h) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (MoveableHandle* m = FindMoveable(h)) return m->size;
  if (BlockHeader* b = HeaderOf(h)) return b->size;
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}

HGLOBAL Free(HGLOBAL h) {
  if (!h) return nullptr;
  std::lock_guard<std::mutex> guard(g_lock);
  if (MoveableHandle* m = FindMoveable(h)) {
    Moveables().erase(h);
    FreeData(m->data);
    delete m;
    return nullptr;
  }
  if (HeaderOf(h)) {
    FreeData(h);
    return nullptr;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return h;
}

HGLOBAL ReAlloc(HGLOBAL h, SIZE_T bytes, UINT flags) {
  bool zero = (flags & GMEM_ZEROINIT) != 0;
  std::lock_guard<std::mutex> guard(g_lock);
  if (MoveableHandle* m = FindMoveable(h)) {
    if (flags & GMEM_MODIFY) return h;  // only attributes change; we keep none that matter
    void* data = ReallocData(m->data, bytes, zero);
    if (!data) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    m->data = data;
    m->size = bytes;
    return h;
  }
  BlockHeader* header = HeaderOf(h);
  if (!header) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (flags & GMEM_MODIFY) return h;
  // A fixed block may move only when the caller allows it.
  if (!(flags & GMEM_MOVEABLE) && bytes > header->size) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  void* data = ReallocData(h, bytes, zero);
  if (!data) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return data;
}

}  // namespace

KX2_EXPORT HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) { return Alloc(uFlags, dwBytes); }
KX2_EXPORT HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) { return ReAlloc(hMem, dwBytes, uFlags); }
KX2_EXPORT LPVOID GlobalLock(HGLOBAL hMem) { return Lock(hMem); }
KX2_EXPORT BOOL GlobalUnlock(HGLOBAL hMem) { return Unlock(hMem); }
KX2_EXPORT SIZE_T GlobalSize(HGLOBAL hMem) { return Size(hMem); }
KX2_EXPORT HGLOBAL GlobalFree(HGLOBAL hMem) { return Free(hMem); }

KX2_EXPORT UINT GlobalFlags(HGLOBAL hMem) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (MoveableHandle* m = FindMoveable(hMem)) return m->lockCount & GMEM_LOCKCOUNT;
  return HeaderOf(hMem) ? 0 : GMEM_INVALID_HANDLE;
}

KX2_EXPORT HGLOBAL GlobalHandle(LPCVOID pMem) {
  std::lock_guard<std::mutex> guard(g_lock);
  for (auto& [handle, m] : Moveables())
    if (m->data == pMem) return handle;
  if (HeaderOf(pMem)) return const_cast<void*>(pMem);
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

KX2_EXPORT HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes) { return Alloc(uFlags, uBytes); }
KX2_EXPORT HLOCAL LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags) { return ReAlloc(hMem, uBytes, uFlags); }
KX2_EXPORT LPVOID LocalLock(HLOCAL hMem) { return Lock(hMem); }
KX2_EXPORT BOOL LocalUnlock(HLOCAL hMem) { return Unlock(hMem); }
KX2_EXPORT SIZE_T LocalSize(HLOCAL hMem) { return Size(hMem); }
KX2_EXPORT HLOCAL LocalFree(HLOCAL hMem) { return Free(hMem); }

KX2_EXPORT HANDLE GetProcessHeap() { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x0EA90000)); }

KX2_EXPORT LPVOID HeapAlloc(HANDLE, DWORD dwFlags, SIZE_T dwBytes) {
  return Alloc((dwFlags & HEAP_ZERO_MEMORY) ? GMEM_ZEROINIT : 0, dwBytes);
}

KX2_EXPORT LPVOID HeapReAlloc(HANDLE, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!HeaderOf(lpMem) || FindMoveable(lpMem)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  }
  UINT flags = (dwFlags & HEAP_ZERO_MEMORY) ? GMEM_ZEROINIT : 0;
  if (!(dwFlags & HEAP_REALLOC_IN_PLACE_ONLY)) flags |= GMEM_MOVEABLE;
  return ReAlloc(lpMem, dwBytes, flags);
}

KX2_EXPORT SIZE_T HeapSize(HANDLE, DWORD, LPCVOID lpMem) {
  std::lock_guard<std::mutex> guard(g_lock);
  BlockHeader* h = HeaderOf(lpMem);
  return h ? h->size : static_cast<SIZE_T>(-1);
}

KX2_EXPORT BOOL HeapFree(HANDLE, DWORD, LPVOID lpMem) {
  if (!lpMem) return TRUE;
  std::lock_guard<std::mutex> guard(g_lock);
  if (!HeaderOf(lpMem)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FreeData(lpMem);
  return TRUE;
}

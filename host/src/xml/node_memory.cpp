#include "xml/node_memory.h"

#include <new>

namespace vantorel::detail::node_memory {
namespace {

// Under the address sanitizer every object has a block of its own, so that one used after
// its release is still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kKeepBlocks = false;
#else
constexpr bool kKeepBlocks = true;
#endif
#else
constexpr bool kKeepBlocks = true;
#endif

// Enough for the objects a walk holds at once at every level of a deep map.
constexpr std::size_t kKeptBlocks = 64;

struct FreeBlock {
  FreeBlock* next;
};

thread_local FreeBlock* t_kept = nullptr;
thread_local std::size_t t_keptCount = 0;
thread_local bool t_ended = false;

// Frees the kept blocks when the thread ends; blocks given back after that go to the heap.
struct KeptBlocksOwner {
  bool armed = false;
  ~KeptBlocksOwner() {
    t_ended = true;
    while (FreeBlock* block = t_kept) {
      t_kept = block->next;
      ::operator delete(block);
    }
    t_keptCount = 0;
  }
};
thread_local KeptBlocksOwner t_owner;

}  // namespace

void* Take(std::size_t size) noexcept {
  if (kKeepBlocks && size <= kBlockBytes) {
    if (FreeBlock* block = t_kept) {
      t_kept = block->next;
      --t_keptCount;
      return block;
    }
    return ::operator new(kBlockBytes, std::nothrow);
  }
  return ::operator new(size, std::nothrow);
}

void Give(void* block, std::size_t size) noexcept {
  if (!block) return;
  if (kKeepBlocks && size <= kBlockBytes && !t_ended && t_keptCount < kKeptBlocks) {
    if (!t_owner.armed) t_owner.armed = true;
    auto* kept = static_cast<FreeBlock*>(block);
    kept->next = t_kept;
    t_kept = kept;
    ++t_keptCount;
    return;
  }
  ::operator delete(block);
}

}  // namespace vantorel::detail::node_memory

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

// Long texts: size classes of 1 KB << k bytes.
constexpr std::size_t kTextClasses = 7;
constexpr std::size_t kSmallestTextBytes = 1024;
constexpr std::size_t kKeptTextBlocks = 4;
thread_local FreeBlock* t_texts[kTextClasses] = {};
thread_local std::size_t t_textCounts[kTextClasses] = {};

// The size class of a text block of `bytes`, or kTextClasses for one kept by nobody: a
// block of less than a kilobyte comes from the heap's small lists, which merge nothing.
std::size_t TextClass(std::size_t bytes) {
  if (bytes < kSmallestTextBytes - 64) return kTextClasses;
  std::size_t k = 0;
  while (k < kTextClasses && (kSmallestTextBytes << k) < bytes) ++k;
  return k;
}

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
    for (std::size_t k = 0; k < kTextClasses; ++k) {
      while (FreeBlock* block = t_texts[k]) {
        t_texts[k] = block->next;
        ::operator delete(block);
      }
      t_textCounts[k] = 0;
    }
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

char16_t* TakeText(std::size_t units) {
  const std::size_t bytes = units * sizeof(char16_t);
  const std::size_t k = kKeepBlocks ? TextClass(bytes) : kTextClasses;
  if (k == kTextClasses) return static_cast<char16_t*>(::operator new(bytes));
  if (FreeBlock* block = t_texts[k]) {
    t_texts[k] = block->next;
    --t_textCounts[k];
    return reinterpret_cast<char16_t*>(block);
  }
  return static_cast<char16_t*>(::operator new(kSmallestTextBytes << k));
}

void GiveText(char16_t* block, std::size_t units) noexcept {
  if (!block) return;
  const std::size_t k = kKeepBlocks ? TextClass(units * sizeof(char16_t)) : kTextClasses;
  if (k < kTextClasses && !t_ended && t_textCounts[k] < kKeptTextBlocks) {
    if (!t_owner.armed) t_owner.armed = true;
    auto* kept = reinterpret_cast<FreeBlock*>(block);
    kept->next = t_texts[k];
    t_texts[k] = kept;
    ++t_textCounts[k];
    return;
  }
  ::operator delete(block);
}

}  // namespace vantorel::detail::node_memory

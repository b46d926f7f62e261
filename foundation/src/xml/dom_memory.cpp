// Chunked memory of the XML object model. See dom_memory.h.
#include <basalt/xml/dom_memory.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace Basalt::XMLDom {
namespace {

struct Chunk {
  // Blocks still alive. While the chunk is the one a thread carves from, kOpenBias is
  // added, so that frees cannot bring it to zero before the thread lets go of it.
  std::atomic<int64_t> live;
};

constexpr size_t kChunkBytes = 64 * 1024;
constexpr size_t kLargestCarved = kChunkBytes / 8;  // larger blocks come from the heap
constexpr int64_t kOpenBias = int64_t{1} << 40;
constexpr size_t kHeader = 8;  // the word naming the block's chunk (null: from the heap)
static_assert(sizeof(Chunk) <= kHeader * 2);

size_t RoundUp8(size_t n) { return (n + 7) & ~size_t{7}; }

void Release(Chunk* c, int64_t count) {
  if (c->live.fetch_sub(count, std::memory_order_acq_rel) == count) std::free(c);
}

// The chunk a thread is carving from.
struct Cursor {
  Chunk* chunk = nullptr;
  char* next = nullptr;
  char* end = nullptr;
  int64_t handedOut = 0;
  int bulkDepth = 0;

  ~Cursor() { LetGo(); }

  void LetGo() {
    if (!chunk) return;
    Release(chunk, kOpenBias - handedOut);
    chunk = nullptr;
    next = end = nullptr;
    handedOut = 0;
  }

  void* Carve(size_t need) {
    if (static_cast<size_t>(end - next) < need) {
      LetGo();
      auto* c = static_cast<Chunk*>(std::malloc(kChunkBytes));
      if (!c) throw std::bad_alloc();
      new (c) Chunk{};
      c->live.store(kOpenBias, std::memory_order_relaxed);
      chunk = c;
      next = reinterpret_cast<char*>(c) + RoundUp8(sizeof(Chunk));
      end = reinterpret_cast<char*>(c) + kChunkBytes;
    }
    char* block = next;
    next += need;
    ++handedOut;
    *reinterpret_cast<Chunk**>(block) = chunk;
    return block + kHeader;
  }
};

__attribute__((tls_model("initial-exec"))) thread_local Cursor t_cursor;

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#define KX2_XML_CARVE 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KX2_XML_CARVE 0
#endif
#endif
#ifndef KX2_XML_CARVE
#define KX2_XML_CARVE 1
#endif

void* DomMemory::Allocate(size_t bytes) {
  size_t need = RoundUp8(bytes) + kHeader;
  // Under the address sanitizer every block comes from the heap, so that a use after
  // free of a node or a text is caught.
  Cursor& cur = t_cursor;
  if (KX2_XML_CARVE && cur.bulkDepth > 0 && need <= kLargestCarved) return cur.Carve(need);
  void* block = std::malloc(need);
  if (!block) throw std::bad_alloc();
  *static_cast<Chunk**>(block) = nullptr;
  return static_cast<char*>(block) + kHeader;
}

void DomMemory::Free(void* p) noexcept {
  if (!p) return;
  char* block = static_cast<char*>(p) - kHeader;
  Chunk* c = *reinterpret_cast<Chunk**>(block);
  if (c)
    Release(c, 1);
  else
    std::free(block);
}

DomMemory::BulkScope::BulkScope() noexcept { ++t_cursor.bulkDepth; }

DomMemory::BulkScope::~BulkScope() { --t_cursor.bulkDepth; }

}  // namespace Basalt::XMLDom

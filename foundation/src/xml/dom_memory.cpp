// Memory of the XML object model: documents' arenas and the thread's chunks. See
// dom_memory.h.
//
// A block is preceded by one word. For a block carved from a chunk it names the chunk
// (an even address). For a block from the heap it is a tag (odd): the arena that lists the
// block, or none; two more words before it link the block into that arena's list, so that
// an arena can free what it lists and a block can leave its list at once.
#include <basalt/xml/document.h>
#include <basalt/xml/dom_memory.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <unordered_set>

#include "dom_arena.h"

namespace Basalt::XMLDom {

struct Chunk {
  // For a thread's chunk: blocks still alive, plus kOpenBias while the thread carves from
  // it. For an arena's chunk: 1 while the arena lives, plus one for each object taken out
  // of the arena's document that still lies in the chunk.
  std::atomic<int64_t> live;
  DomArena* arena;  // null for a thread's chunk
  Chunk* next;      // the arena's chunks
  size_t bytes;
};

struct HeapHead {
  HeapHead* prev;
  HeapHead* next;
  uintptr_t tag;  // the listing arena's address | 1
};

struct DomArena {
  DomArena() { listed.prev = listed.next = &listed; }

  Chunk* chunks = nullptr;
  char* next = nullptr;
  char* end = nullptr;
  size_t chunkBytes = 0;
  HeapHead listed{};  // heap blocks of the document: a ring through this sentinel
  // Objects carved elsewhere (another arena or a thread's chunk) that belong to the
  // document: each holds a count on its chunk, given back when the document is dropped.
  std::unordered_set<void*> adopted;
};

namespace {

constexpr size_t kThreadChunkBytes = 64 * 1024;
constexpr size_t kFirstArenaChunk = 4 * 1024;  // small documents stay small
constexpr size_t kLargestArenaChunk = 64 * 1024;
constexpr size_t kLargestCarved = 8 * 1024;  // larger blocks come from the heap
constexpr int64_t kOpenBias = int64_t{1} << 40;
constexpr size_t kHeader = 8;
constexpr size_t kChunkHead = (sizeof(Chunk) + 7) & ~size_t{7};
static_assert(sizeof(HeapHead) == 3 * kHeader);

size_t RoundUp8(size_t n) { return (n + 7) & ~size_t{7}; }

uintptr_t& WordBefore(void* p) { return *reinterpret_cast<uintptr_t*>(static_cast<char*>(p) - kHeader); }

bool IsHeap(uintptr_t word) { return word & 1; }
HeapHead* HeadOf(void* p) { return reinterpret_cast<HeapHead*>(static_cast<char*>(p) - sizeof(HeapHead)); }
DomArena* ListingArena(const HeapHead* h) { return reinterpret_cast<DomArena*>(h->tag & ~uintptr_t{1}); }

void Release(Chunk* c, int64_t count) noexcept {
  if (c->live.fetch_sub(count, std::memory_order_acq_rel) == count) std::free(c);
}

void Link(DomArena* a, HeapHead* h) noexcept {
  h->tag = reinterpret_cast<uintptr_t>(a) | 1;
  if (!a) {
    h->prev = h->next = nullptr;
    return;
  }
  h->prev = &a->listed;
  h->next = a->listed.next;
  a->listed.next->prev = h;
  a->listed.next = h;
}

void Unlink(HeapHead* h) noexcept {
  if (ListingArena(h)) {
    h->prev->next = h->next;
    h->next->prev = h->prev;
  }
  h->tag = 1;
  h->prev = h->next = nullptr;
}

void* HeapBlock(DomArena* a, size_t bytes) {
  auto* h = static_cast<HeapHead*>(std::malloc(sizeof(HeapHead) + RoundUp8(bytes)));
  if (!h) throw std::bad_alloc();
  Link(a, h);
  return h + 1;
}

// The thread's carving state: its own chunk, and the arena a scope carves from.
struct Cursor {
  Chunk* chunk = nullptr;
  char* next = nullptr;
  char* end = nullptr;
  int64_t handedOut = 0;
  int bulkDepth = 0;
  DomArena* arena = nullptr;
  // A dropped arena's chunk kept for the next document. glibc gives the top of its heap
  // back to the system as soon as a free leaves the top large, so an arena that freed all
  // its chunks would hand back its whole heap and the next parse would fault every page in
  // again (on a virtual machine, more than the parse costs). The arena's highest chunk is
  // kept: it holds the heap below it, which the next document's chunks come from.
  Chunk* spare = nullptr;

  ~Cursor() {
    LetGo();
    std::free(spare);
  }

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
      auto* c = static_cast<Chunk*>(std::malloc(kThreadChunkBytes));
      if (!c) throw std::bad_alloc();
      new (c) Chunk{{kOpenBias}, nullptr, nullptr, kThreadChunkBytes};
      chunk = c;
      next = reinterpret_cast<char*>(c) + kChunkHead;
      end = reinterpret_cast<char*>(c) + kThreadChunkBytes;
    }
    char* block = next;
    next += need;
    ++handedOut;
    *reinterpret_cast<Chunk**>(block) = chunk;
    return block + kHeader;
  }
};

__attribute__((tls_model("initial-exec"))) thread_local Cursor t_cursor;

void* CarveFrom(DomArena* a, size_t need) {
  if (static_cast<size_t>(a->end - a->next) < need) {
    size_t bytes = a->chunkBytes ? a->chunkBytes : kFirstArenaChunk;
    Chunk* c = t_cursor.spare;
    if (c) {
      t_cursor.spare = nullptr;
      bytes = kLargestArenaChunk;
    } else {
      c = static_cast<Chunk*>(std::malloc(bytes));
      if (!c) throw std::bad_alloc();
    }
    new (c) Chunk{{1}, a, a->chunks, bytes};
    a->chunks = c;
    a->next = reinterpret_cast<char*>(c) + kChunkHead;
    a->end = reinterpret_cast<char*>(c) + bytes;
    a->chunkBytes = bytes < kLargestArenaChunk ? bytes * 2 : kLargestArenaChunk;
  }
  char* block = a->next;
  a->next += need;
  *reinterpret_cast<Chunk**>(block) = reinterpret_cast<Chunk*>(a->chunks);
  return block + kHeader;
}

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

// Under the address sanitizer every block comes from the heap (listed in its arena all the
// same), so that a use after free of a node or a text is caught.
constexpr bool kCarve = KX2_XML_CARVE;

}  // namespace

// --- Owners ---------------------------------------------------------------------------------

XMLDocument* DomMemory::HomeOf(Owner owner) noexcept {
  const XMLNode* node;
  if (owner & 1)
    node = reinterpret_cast<const XMLAttr*>(owner & ~Owner{1})->parent;
  else
    node = reinterpret_cast<const XMLNode*>(owner);
  if (!node || !node->document || DomDocuments::IsDocument(*node)) return nullptr;
  return node->document;
}

// --- Blocks ---------------------------------------------------------------------------------

void* DomMemory::Allocate(Owner owner, size_t bytes) {
  size_t need = RoundUp8(bytes) + kHeader;
  Cursor& cur = t_cursor;
  if (XMLDocument* home = HomeOf(owner)) {
    DomArena* a = DomDocuments::Arena(*home);
    if (kCarve && cur.arena == a && need <= kLargestCarved) return CarveFrom(a, need);
    return HeapBlock(a, bytes);
  }
  if (kCarve && cur.bulkDepth > 0 && need <= kLargestCarved) return cur.Carve(need);
  return HeapBlock(nullptr, bytes);
}

void* DomMemory::AllocateObject(size_t bytes) {
  size_t need = RoundUp8(bytes) + kHeader;
  Cursor& cur = t_cursor;
  if (cur.arena) return kCarve ? CarveFrom(cur.arena, need) : HeapBlock(cur.arena, bytes);
  if (kCarve && cur.bulkDepth > 0) return cur.Carve(need);
  return HeapBlock(nullptr, bytes);
}

void DomMemory::Free(void* p) noexcept {
  if (!p) return;
  uintptr_t word = WordBefore(p);
  if (IsHeap(word)) {
    HeapHead* h = HeadOf(p);
    Unlink(h);
    std::free(h);
    return;
  }
  // A text or list carved from an arena is freed with the arena: its owner is at home there.
  auto* c = reinterpret_cast<Chunk*>(word);
  if (!c->arena) Release(c, 1);
}

DomMemory::BulkScope::BulkScope() noexcept { ++t_cursor.bulkDepth; }

DomMemory::BulkScope::~BulkScope() { --t_cursor.bulkDepth; }

// --- Documents' arenas ----------------------------------------------------------------------

DomArena* DomDocuments::Arena(XMLDocument& doc) {
  if (!doc.arena_) doc.arena_ = new DomArena;
  return doc.arena_;
}

void DomDocuments::Drop(DomArena* a) noexcept {
  if (!a) return;
  for (HeapHead* h = a->listed.next; h != &a->listed;) {
    HeapHead* next = h->next;
    std::free(h);
    h = next;
  }
  for (void* object : a->adopted) Release(reinterpret_cast<Chunk*>(WordBefore(object)), 1);
  // A chunk whose count is the arena's alone holds no object taken out: nobody else can
  // reach it, so it may be kept.
  Chunk* keep = t_cursor.spare;
  for (Chunk* c = a->chunks; c; c = c->next)
    if (c->bytes == kLargestArenaChunk && reinterpret_cast<uintptr_t>(c) > reinterpret_cast<uintptr_t>(keep) &&
        c->live.load(std::memory_order_acquire) == 1)
      keep = c;
  for (Chunk* c = a->chunks; c;) {
    Chunk* next = c->next;
    if (c != keep) Release(c, 1);
    c = next;
  }
  if (keep != t_cursor.spare) {
    std::free(t_cursor.spare);
    t_cursor.spare = keep;
  }
  delete a;
}

void DomDocuments::DropArena(XMLDocument& doc) noexcept { Drop(TakeArena(doc)); }

DomArena* DomDocuments::TakeArena(XMLDocument& doc) noexcept {
  DomArena* a = doc.arena_;
  doc.arena_ = nullptr;
  return a;
}

void DomDocuments::RestoreArena(XMLDocument& doc, DomArena* arena) noexcept {
  Drop(doc.arena_);
  doc.arena_ = arena;
}

void DomDocuments::MoveObject(void* object, XMLDocument* from, XMLDocument* to) {
  DomArena* toArena = to ? Arena(*to) : nullptr;
  DomArena* fromArena = from ? from->arena_ : nullptr;
  uintptr_t word = WordBefore(object);
  if (IsHeap(word)) {
    HeapHead* h = HeadOf(object);
    Unlink(h);
    Link(toArena, h);
    return;
  }
  auto* c = reinterpret_cast<Chunk*>(word);
  const bool home = c->arena && c->arena == toArena;
  if (toArena && !home) toArena->adopted.insert(object);  // the only step that can fail
  if (c->arena && c->arena == fromArena)
    c->live.fetch_add(1, std::memory_order_relaxed);  // the object now holds its chunk
  else if (fromArena)
    fromArena->adopted.erase(object);  // its count goes with it
  if (home) Release(c, 1);             // back home: the arena holds the chunk again
}

void DomDocuments::FreeObject(void* object, XMLDocument* home) noexcept {
  uintptr_t word = WordBefore(object);
  if (IsHeap(word)) {
    HeapHead* h = HeadOf(object);
    Unlink(h);
    std::free(h);
    return;
  }
  auto* c = reinterpret_cast<Chunk*>(word);
  DomArena* homeArena = home ? home->arena_ : nullptr;
  if (c->arena && c->arena == homeArena) return;  // goes with its arena
  if (homeArena) homeArena->adopted.erase(object);
  Release(c, 1);
}

// --- Scopes ---------------------------------------------------------------------------------

ArenaScope::ArenaScope(XMLDocument* home) : saved_(t_cursor.arena), arena_(home != nullptr) {
  t_cursor.arena = home ? DomDocuments::Arena(*home) : nullptr;
  if (!arena_) ++t_cursor.bulkDepth;
}

ArenaScope::~ArenaScope() {
  t_cursor.arena = saved_;
  if (!arena_) --t_cursor.bulkDepth;
}

}  // namespace Basalt::XMLDom

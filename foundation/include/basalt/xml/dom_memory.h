// Memory of the XML object model. A parse makes hundreds of thousands of small blocks
// (nodes, attributes, names, values, child lists) that usually die together; taking each
// from the general heap made the heap, not the parse, the cost, and freeing them one by
// one cost nearly as much as the parse again.
//
// So every block knows its home. A document owns an arena: the nodes and texts a parse or
// a copy makes for it are carved from the arena's large chunks, and whatever is made for
// it later (a value set, a node appended) comes from the heap but is listed in the arena.
// Freeing the document drops the arena whole, without visiting a single node. Texts and
// child lists find their home through their owner (a node's document, an attribute's
// node), so a value assigned by any caller lands in the right place; when a node moves
// between documents, or out of one, its texts and lists move with it. A node or attribute
// object cannot move (callers hold pointers to it): one taken out of its document keeps
// the chunk it lies in alive until it is freed.
//
// Outside any document, blocks come from the heap, or, while a BulkScope lives on the
// thread, from chunks of the thread that go back to the heap when their last block dies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <basalt/export.h>

namespace Basalt::XMLDom {

class XMLNode;
class XMLAttr;
class XMLDocument;

struct BASALT_API DomMemory {
  // Who a text or list belongs to: a node, an attribute (tagged with the low bit), or
  // nobody (0: the heap).
  using Owner = uintptr_t;
  static Owner OwnerOf(const XMLNode* node) noexcept { return reinterpret_cast<Owner>(node); }
  static Owner OwnerOf(const XMLAttr* attr) noexcept { return reinterpret_cast<Owner>(attr) | 1; }
  // The document whose arena holds the owner's blocks, or null.
  static XMLDocument* HomeOf(Owner owner) noexcept;

  // Blocks of an owner's texts and lists; aligned for anything up to 8 bytes.
  static void* Allocate(Owner owner, size_t bytes);
  static void Free(void* block) noexcept;

  // Blocks of node and attribute objects (their own operator new).
  static void* AllocateObject(size_t bytes);

  // While one lives on a thread, that thread's blocks outside documents come from chunks.
  class BASALT_API BulkScope {
   public:
    BulkScope() noexcept;
    ~BulkScope();
    BulkScope(const BulkScope&) = delete;
    BulkScope& operator=(const BulkScope&) = delete;
  };
};

// The allocator of texts and child lists. It names its owner, so that what a container
// holds comes from the owner's home whoever changes it. A copy made by copying a container
// belongs to nobody (a text copied out of a node must not live in the node's document).
// Two allocators are equal when their owners share a home: a text moved into a node from
// elsewhere is then copied into the node's home, never adopted.
//
// A text moved out of a node (std::move) still names the node: copy it out instead.
template <class T>
struct DomAllocator {
  using value_type = T;
  using propagate_on_container_copy_assignment = std::false_type;
  using propagate_on_container_move_assignment = std::false_type;
  using propagate_on_container_swap = std::false_type;
  using is_always_equal = std::false_type;

  DomAllocator() noexcept = default;
  explicit DomAllocator(DomMemory::Owner o) noexcept : owner(o) {}
  explicit DomAllocator(const XMLNode* node) noexcept : owner(DomMemory::OwnerOf(node)) {}
  explicit DomAllocator(const XMLAttr* attr) noexcept : owner(DomMemory::OwnerOf(attr)) {}
  template <class U>
  DomAllocator(const DomAllocator<U>& other) noexcept : owner(other.owner) {}

  T* allocate(size_t n) {
    static_assert(alignof(T) <= 8, "blocks are 8-byte aligned");
    if (n > static_cast<size_t>(-1) / 2 / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(DomMemory::Allocate(owner, n * sizeof(T)));
  }
  void deallocate(T* p, size_t) noexcept { DomMemory::Free(p); }

  DomAllocator select_on_container_copy_construction() const noexcept { return DomAllocator(); }

  template <class U>
  bool operator==(const DomAllocator<U>& other) const noexcept {
    return owner == other.owner || DomMemory::HomeOf(owner) == DomMemory::HomeOf(other.owner);
  }

  DomMemory::Owner owner = 0;
};

// Text of names and values. It compares with, assigns from and converts to
// std::u16string_view; ToU16 gives a std::u16string.
using XmlString = std::basic_string<char16_t, std::char_traits<char16_t>, DomAllocator<char16_t>>;

inline std::u16string ToU16(const XmlString& s) { return std::u16string(s.data(), s.size()); }

inline bool operator==(const XmlString& a, const std::u16string& b) { return std::u16string_view(a) == b; }

}  // namespace Basalt::XMLDom

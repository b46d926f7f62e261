// Memory of the XML object model. A parse makes hundreds of thousands of small blocks
// (nodes, attributes, names, values, child lists) that usually die together; taking each
// from the general heap made the heap, not the parse, the cost. While a parse runs on a
// thread, the blocks it makes are carved from large chunks; a chunk goes back to the heap
// when the last block in it is freed. Outside a parse blocks come from the heap. Every
// block carries one word naming its chunk, so any block can be freed from any thread.
#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include <basalt/export.h>

namespace Basalt::XMLDom {

struct BASALT_API DomMemory {
  // Blocks are aligned for anything up to 8 bytes.
  static void* Allocate(size_t bytes);
  static void Free(void* block) noexcept;

  // While one lives on a thread, that thread's blocks come from chunks.
  class BASALT_API BulkScope {
   public:
    BulkScope() noexcept;
    ~BulkScope();
    BulkScope(const BulkScope&) = delete;
    BulkScope& operator=(const BulkScope&) = delete;
  };
};

template <class T>
struct DomAllocator {
  using value_type = T;
  DomAllocator() noexcept = default;
  template <class U>
  DomAllocator(const DomAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    static_assert(alignof(T) <= 8, "blocks are 8-byte aligned");
    if (n > static_cast<size_t>(-1) / 2 / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(DomMemory::Allocate(n * sizeof(T)));
  }
  void deallocate(T* p, size_t) noexcept { DomMemory::Free(p); }

  template <class U>
  bool operator==(const DomAllocator<U>&) const noexcept {
    return true;
  }
};

// Text of names and values. It compares with, assigns from and converts to
// std::u16string_view; ToU16 gives a std::u16string.
using XmlString = std::basic_string<char16_t, std::char_traits<char16_t>, DomAllocator<char16_t>>;

inline std::u16string ToU16(const XmlString& s) { return std::u16string(s.data(), s.size()); }

inline bool operator==(const XmlString& a, const std::u16string& b) { return std::u16string_view(a) == b; }

}  // namespace Basalt::XMLDom

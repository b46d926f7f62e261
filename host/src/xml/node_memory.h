// Memory for the XML node objects: a reader makes one and lets it go for every node it
// walks past, so each thread keeps a few blocks of the one size they all take instead of
// going to the heap for each object.
#pragma once

#include <cstddef>

namespace vantorel::detail::node_memory {

inline constexpr std::size_t kBlockBytes = 640;

// A block for an object of `size` bytes, or null when out of memory.
void* Take(std::size_t size) noexcept;
// Gives back a block Take made for an object of `size` bytes.
void Give(void* block, std::size_t size) noexcept;

// Room for a long text of `units` code units: blocks of 1 KB to 64 KB are rounded up to a
// power of two and a few of each size are kept by the thread for the next long text. Asking
// the heap for a block of a kilobyte or more makes glibc first merge every small block freed
// since, and a walk frees small blocks by the thousand. Throws std::bad_alloc as new does.
char16_t* TakeText(std::size_t units);
// Gives back a block TakeText made for `units` code units.
void GiveText(char16_t* block, std::size_t units) noexcept;

}  // namespace vantorel::detail::node_memory

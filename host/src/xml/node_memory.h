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

}  // namespace vantorel::detail::node_memory

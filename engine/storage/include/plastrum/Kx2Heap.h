// The framework's heap: every allocation of the framework classes (strings, arrays, byte
// stores, archives) goes through here, so that a failed allocation is handled the same way
// everywhere and tests can make allocations fail on purpose.
//
// The functions live beside the wide string (Kx2String.cpp), because the import plug-in
// compiles that one file and needs nothing else of the framework.
#pragma once

#include <cstddef>
#include <plastrum/Export.h>

struct PLASTRUM_API Kx2Heap {
  // malloc/realloc/free; null when memory ran out (or a test made the allocation fail).
  // Allocate(0) and Reallocate(p, 0) give a valid, freeable block of no usable bytes.
  static void* Allocate(size_t bytes);
  static void* Reallocate(void* block, size_t bytes);
  static void Free(void* block);

  // For tests, on the calling thread only: the next `succeeding` allocations work and every
  // one after them fails, until FailAfter(-1) lifts it.
  static void FailAfter(int succeeding);
};

// Visibility of the shape library's exported classes and functions (libPlastrum.so builds
// with hidden visibility: only what these mark leaves it).
#pragma once

// Classes and functions other modules call across the library boundary.
#define PLASTRUM_API __attribute__((visibility("default")))
// Internals the library's own tests and benchmarks call across the boundary (test seams):
// exported, yet no other module may rely on them.
#define PLASTRUM_TEST_API PLASTRUM_API

// Visibility of the foundation library's exported classes and functions.
#pragma once

#include <win/types.h>

// Classes and static members that other modules call across the library boundary.
#define BASALT_API __attribute__((visibility("default")))
// Internals the foundation's own tests and benchmarks call across the library boundary (test
// seams): exported, yet no other module may rely on them.
#define BASALT_TEST_API BASALT_API

// Visibility of the foundation library's exported classes and functions.
#pragma once

#include <win/types.h>

// Classes and static members that other modules call across the library boundary.
#define BASALT_API __attribute__((visibility("default")))

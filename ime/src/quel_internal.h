// Private: what the bridge's parts share. Internals the library's own tests, benchmarks and
// fuzz targets call are marked QUEL_TEST_API (exported, yet no other module may rely on them).
#pragma once

#include <quel/Quel.h>

#define QUEL_TEST_API __attribute__((visibility("default")))

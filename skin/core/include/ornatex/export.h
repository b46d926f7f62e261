// What libOrnatex.so exports: the skinning framework's classes and process-wide
// accessors, marked ORNATEX_API (the library builds with hidden visibility).
#pragma once

#define ORNATEX_API __attribute__((visibility("default")))

// The heap policy of a short-lived process that is about to build a large object model.
#pragma once

#include "win/types.h"

// Prepares the process heap for `bytes` of allocations to come: the next `bytes` of heap
// are reserved in one piece and backed by 2 MB pages where the system allows it, so a large
// model costs one page fault per 2 MB instead of one per 4 KB; the heap is no longer given
// back to the system as it shrinks. Address space only: memory is taken as it is touched.
// Meant for a process's start, before the work; FALSE when the heap cannot be prepared
// (another allocator in use, no room), which leaves a working heap and is no error.
KX2_EXPORT BOOL Kx2PrepareHeapForGrowth(SIZE_T bytes);

// Byte buffers the package readers reuse from one import to the next. A buffer of 64 KB
// or more, when freed, makes the C allocator sweep every small free block of the process
// (its fast bins), which after a document is built costs more than reading a small
// package; fresh memory costs a page fault per page besides. So such buffers go back to
// a small pool instead, and the next reader takes them as they were left (their contents
// are not cleared: a user writes before it reads).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace foliant {

// The largest buffer the pool keeps.
constexpr size_t kLargestReaderBuffer = 1u << 20;

// A buffer from the pool (empty when the pool has none), of whatever size it was left at.
std::vector<uint8_t> TakeReaderBuffer();
// Gives a buffer back; one too large to keep, or past the pool's count, is freed.
void ReturnReaderBuffer(std::vector<uint8_t>&& buffer);

}  // namespace foliant

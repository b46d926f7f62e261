#include "zip/reader_buffers.h"

#include <mutex>
#include <utility>

namespace foliant {
namespace {

// What the pool keeps: a few buffers.
constexpr size_t kPooledBuffers = 8;

struct Pool {
  std::mutex lock;
  std::vector<std::vector<uint8_t>> buffers;
};

// Made once and never destroyed, so that a reader closed late in the process's exit can
// still give its buffers back.
Pool& ThePool() {
  static Pool* pool = new Pool;
  return *pool;
}

}  // namespace

std::vector<uint8_t> TakeReaderBuffer() {
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> guard(pool.lock);
  if (pool.buffers.empty()) return {};
  std::vector<uint8_t> buffer = std::move(pool.buffers.back());
  pool.buffers.pop_back();
  return buffer;
}

void ReturnReaderBuffer(std::vector<uint8_t>&& buffer) {
  if (buffer.capacity() == 0 || buffer.capacity() > kLargestReaderBuffer) return;
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> guard(pool.lock);
  if (pool.buffers.size() < kPooledBuffers) pool.buffers.push_back(std::move(buffer));
}

}  // namespace foliant

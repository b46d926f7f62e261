// Released backings' pixel buffers, kept for the next backing that fits in one.
#include "user/BackingPixels.h"

#include <cairo.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace kx2::user {
namespace {

// A few windows' worth: what a dialog over its owner, and their resizes, release.
constexpr size_t kKeptBuffers = 4;
constexpr size_t kKeptBytes = size_t{32} << 20;

struct Buffer {
  unsigned char* data = nullptr;  // malloc'd
  size_t size = 0;
};

struct Kept {
  std::mutex lock;
  std::vector<Buffer> buffers;
  size_t bytes = 0;
};

Kept& TheKept() {
  static Kept* kept = new Kept;
  return *kept;
}

// The smallest kept buffer of at least `size` bytes, or a new zeroed one.
Buffer Take(size_t size, bool* zeroed) {
  Kept& kept = TheKept();
  {
    std::lock_guard<std::mutex> guard(kept.lock);
    size_t best = kept.buffers.size();
    for (size_t i = 0; i < kept.buffers.size(); ++i)
      if (kept.buffers[i].size >= size &&
          (best == kept.buffers.size() || kept.buffers[i].size < kept.buffers[best].size))
        best = i;
    if (best != kept.buffers.size()) {
      Buffer b = kept.buffers[best];
      kept.buffers.erase(kept.buffers.begin() + static_cast<ptrdiff_t>(best));
      kept.bytes -= b.size;
      *zeroed = false;
      return b;
    }
  }
  *zeroed = true;
  return Buffer{static_cast<unsigned char*>(std::calloc(size, 1)), size};
}

void Release(void* p) {
  auto* b = static_cast<Buffer*>(p);
  Buffer dropped;
  {
    Kept& kept = TheKept();
    std::lock_guard<std::mutex> guard(kept.lock);
    if (b->size > kKeptBytes) {
      dropped = *b;
    } else {
      // Room is made by dropping the oldest buffers.
      while (!kept.buffers.empty() && (kept.buffers.size() >= kKeptBuffers || kept.bytes + b->size > kKeptBytes)) {
        std::free(kept.buffers.front().data);
        kept.bytes -= kept.buffers.front().size;
        kept.buffers.erase(kept.buffers.begin());
      }
      kept.buffers.push_back(*b);
      kept.bytes += b->size;
    }
  }
  std::free(dropped.data);
  delete b;
}

}  // namespace

cairo_surface_t* NewBackingSurface(int width, int height) {
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
  if (stride <= 0 || height <= 0) return cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
  bool zeroed = false;
  Buffer buffer = Take(size, &zeroed);
  if (!buffer.data) return cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (!zeroed) std::memset(buffer.data, 0, size);
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(buffer.data, CAIRO_FORMAT_RGB24, width, height, stride);
  static const cairo_user_data_key_t kPixels{};
  auto* held = new Buffer(buffer);
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
      cairo_surface_set_user_data(surface, &kPixels, held, Release) == CAIRO_STATUS_SUCCESS)
    return surface;  // the buffer comes back when the surface goes
  cairo_surface_destroy(surface);
  Release(held);
  return cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
}

}  // namespace kx2::user

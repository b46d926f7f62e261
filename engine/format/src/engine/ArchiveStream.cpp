#include <plastrum/format/ArchiveStream.h>

int32_t ArchiveDataStream::ReadBytes(void* buffer, int32_t n) {
  if (!buffer || n <= 0) return 0;
  // A record gives zeros past its body; only the bytes it really holds count, so a store
  // can tell short data from data that ends in zeros.
  int32_t have = n;
  if (!archive_.HasBytesLeft(n)) {
    int32_t lo = 0, hi = n - 1;  // the most bytes left lies in lo..hi
    while (lo < hi) {
      const int32_t mid = lo + (hi - lo + 1) / 2;
      if (archive_.HasBytesLeft(mid))
        lo = mid;
      else
        hi = mid - 1;
    }
    have = lo;
  }
  if (have == 0) return 0;
  return archive_.Read(buffer, have) < 0 ? -1 : have;
}

int32_t ArchiveDataStream::WriteBytes(const void* buffer, int32_t n) {
  if (!buffer || n <= 0) return 0;
  return archive_.Write(buffer, n);
}

// Reading a regular file whole, for callers that take small files into memory: opening it
// and learning its size are one look at the disk each, and a pipe or a device is never
// opened in a way that waits for a writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "win/types.h"

namespace kx2 {

class KX2_API RegularFileReader {
 public:
  // Opens the file at a POSIX path for reading; IsOpen() is false for anything that is no
  // regular file or cannot be opened.
  explicit RegularFileReader(const std::string& posixPath);
  ~RegularFileReader();
  RegularFileReader(const RegularFileReader&) = delete;
  RegularFileReader& operator=(const RegularFileReader&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  // The file's size when it was opened.
  uint64_t Size() const { return size_; }
  // Reads from the start into `out`, at most `capacity` bytes, until the end of the file:
  // the number of bytes read, or -1 when reading fails.
  int64_t ReadAll(void* out, size_t capacity);
  // Reads from `offset` on into `out`, at most `capacity` bytes, until the end of the file:
  // the number of bytes read (0 at or past the end), or -1 when reading fails.
  int64_t ReadAt(uint64_t offset, void* out, size_t capacity);

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace kx2

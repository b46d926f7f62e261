// RegularFileReader (see kx2/RegularFileReader.h).
#include "kx2/RegularFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kx2 {

RegularFileReader::RegularFileReader(const std::string& posixPath) {
  // Not blocking: opening a pipe for reading would otherwise wait for a writer. The type
  // is checked on the open file, so that what is read is what was checked.
  const int fd = open(posixPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return;
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
}

RegularFileReader::~RegularFileReader() {
  if (fd_ >= 0) close(fd_);
}

int64_t RegularFileReader::ReadAll(void* out, size_t capacity) { return ReadAt(0, out, capacity); }

int64_t RegularFileReader::ReadAt(uint64_t offset, void* out, size_t capacity) {
  if (fd_ < 0) return -1;
  auto* bytes = static_cast<unsigned char*>(out);
  size_t done = 0;
  while (done < capacity) {
    const ssize_t n = pread(fd_, bytes + done, capacity - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

}  // namespace kx2

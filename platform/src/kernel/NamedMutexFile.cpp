#include "kernel/NamedMutexFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "kx2/Utf.h"

namespace kx2 {

namespace {

std::string RunFolder() {
  if (const char* dir = std::getenv("KX2_RUN_DIR"); dir && *dir) return dir;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) return std::string(runtime) + "/kx2";
  std::string temp = "/tmp";
  for (const char* name : {"TMP", "TEMP", "TMPDIR"})
    if (const char* value = std::getenv(name); value && *value) {
      temp = value;
      break;
    }
  return temp + "/kx2-" + std::to_string(getuid());
}

bool MakeFolder(const std::string& folder) {
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Names may hold any character: the file name keeps letters, digits, '_', '-' and '.'
// and writes every other byte of the UTF-8 form as %XX. Names compare with case.
std::string FileName(std::u16string_view name) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out = "mutex-";
  for (unsigned char c : Utf16ToUtf8(name)) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

class Guard {
 public:
  explicit Guard(const std::string& folder) {
    fd_ = open((folder + "/names.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0)
      while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {}
  }
  ~Guard() {
    if (fd_ >= 0) close(fd_);
  }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace

NamedMutexFile::~NamedMutexFile() {
  if (fd_ >= 0) close(fd_);
}

NamedMutexFile::Found NamedMutexFile::Hold(std::u16string_view name, bool createIfNowhere) {
  std::string folder = RunFolder();
  if (!MakeFolder(folder)) return Found::Failed;
  Guard guard(folder);
  if (!guard.Held()) return Found::Failed;
  int fd = open((folder + "/" + FileName(name)).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return Found::Failed;
  // Under the guard nobody else is between a check and a shared hold, so an exclusive
  // lock that cannot be had means another process holds the name open.
  Found found = Found::Elsewhere;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    found = Found::Nowhere;
    if (!createIfNowhere) {
      close(fd);
      return found;
    }
  }
  if (flock(fd, LOCK_SH) != 0) {
    close(fd);
    return Found::Failed;
  }
  fd_ = fd;
  return found;
}

}  // namespace kx2

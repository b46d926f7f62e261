// Private: the kernel object behind a file HANDLE, and the process-wide tables of open
// files (for share modes and delete-on-close) and byte-range locks.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

#include "kx2/KernelObject.h"
#include "win/fileapi.h"

namespace kx2 {

struct FileId {
  uint64_t dev = 0;
  uint64_t ino = 0;
  bool operator==(const FileId& o) const { return dev == o.dev && ino == o.ino; }
  bool operator<(const FileId& o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
};

inline FileId FileIdOf(const struct stat& st) {
  return FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

// What one handle may do, reduced from its desired access.
struct AccessRights {
  bool read = false;
  bool write = false;
  bool appendOnly = false;  // FILE_APPEND_DATA without FILE_WRITE_DATA
  bool del = false;
};
AccessRights RightsFrom(DWORD desiredAccess);

class FileObject : public KernelObject {
 public:
  FileObject(int fd, bool ownsFd) : fd_(fd), ownsFd_(ownsFd) {}
  ~FileObject() override;

  int fd() const { return fd_; }
  int fd_;
  bool ownsFd_;
  bool isDirectory_ = false;
  bool regular_ = false;
  bool registered_ = false;  // entered in the open-file table
  AccessRights rights_;
  DWORD share_ = 0;
  FileId id_;
  std::string path_;  // POSIX path at open time
  bool deleteOnClose_ = false;
};

// Open-file table. Both calls take the table lock themselves.
// Returns false (ERROR_SHARING_VIOLATION) when the access and share mode conflict with a
// handle already open on the same file; on success the handle is entered.
bool RegisterOpenFile(FileObject* file);
// True when some open handle of the file lacks FILE_SHARE_DELETE (so deleting or renaming
// it must fail with ERROR_SHARING_VIOLATION).
bool IsOpenWithoutDeleteSharing(const FileId& id);
// Would opening the file with these rights and share mode conflict?
bool WouldConflict(const FileId& id, const AccessRights& rights, DWORD share);

// Byte-range locks. Ranges are [offset, offset + length).
bool AddLock(FileObject* file, uint64_t offset, uint64_t length);
bool RemoveLock(FileObject* file, uint64_t offset, uint64_t length);
// True when [offset, offset + length) overlaps a range that another handle has locked.
bool LockedByOther(const FileObject* file, uint64_t offset, uint64_t length);

// The file object of a handle, or null with ERROR_INVALID_HANDLE.
std::shared_ptr<FileObject> FileFromHandle(HANDLE h);

// The Win32 error for a failed lookup of a path that does not exist: ERROR_PATH_NOT_FOUND
// when its folder is missing too, else ERROR_FILE_NOT_FOUND.
DWORD MissingPathError(const std::string& posixPath);

// FILE_ATTRIBUTE_* of a file from its status and name.
DWORD AttributesOf(const struct stat& st, std::string_view name);

// Creation time (birth time where the file system keeps it, else the change time) and
// the access and write times, as FILETIMEs.
void FileTimesOf(int dirfd, const char* path, int flags, const struct stat& st, FILETIME* creation, FILETIME* access,
                 FILETIME* write);

}  // namespace kx2

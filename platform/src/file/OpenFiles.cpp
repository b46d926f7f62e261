// The process's table of open files (share modes, delete-on-close) and byte-range locks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <vector>

#include "FileObject.h"
#include "kx2/Time.h"

namespace kx2 {
namespace {

struct LockRange {
  uint64_t offset;
  uint64_t length;
  const FileObject* owner;
};

struct OpenFile {
  std::vector<FileObject*> handles;
  std::vector<LockRange> locks;
  bool deletePending = false;
  std::string deletePath;
};

std::mutex g_lock;
std::map<FileId, OpenFile>& Table() {
  static auto* table = new std::map<FileId, OpenFile>;
  return *table;
}

bool Conflicts(const AccessRights& a, DWORD aShare, const AccessRights& b, DWORD bShare) {
  bool aWrites = a.write || a.appendOnly, bWrites = b.write || b.appendOnly;
  return (a.read && !(bShare & FILE_SHARE_READ)) || (aWrites && !(bShare & FILE_SHARE_WRITE)) ||
         (a.del && !(bShare & FILE_SHARE_DELETE)) || (b.read && !(aShare & FILE_SHARE_READ)) ||
         (bWrites && !(aShare & FILE_SHARE_WRITE)) || (b.del && !(aShare & FILE_SHARE_DELETE));
}

bool Overlaps(uint64_t aOff, uint64_t aLen, uint64_t bOff, uint64_t bLen) {
  if (aLen == 0 || bLen == 0) return false;
  uint64_t aEnd = aOff + aLen - 1, bEnd = bOff + bLen - 1;  // inclusive, so 2^64-1 fits
  if (aEnd < aOff) aEnd = UINT64_MAX;
  if (bEnd < bOff) bEnd = UINT64_MAX;
  return aOff <= bEnd && bOff <= aEnd;
}

// Publishes a lock to other processes (advisory there). Ranges beyond what off_t can
// express are kept in-process only.
bool SetProcessLock(int fd, bool writable, uint64_t offset, uint64_t length, bool lock) {
  if (offset > static_cast<uint64_t>(INT64_MAX) || length > static_cast<uint64_t>(INT64_MAX) - offset) return true;
  struct flock fl = {};
  fl.l_type = static_cast<short>(lock ? (writable ? F_WRLCK : F_RDLCK) : F_UNLCK);
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  if (fcntl(fd, F_OFD_SETLK, &fl) == 0) return true;
  return errno != EAGAIN && errno != EACCES;  // other errors: the file system has no locks
}

}  // namespace

AccessRights RightsFrom(DWORD access) {
  AccessRights r;
  r.read = (access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA | FILE_EXECUTE | GENERIC_EXECUTE)) != 0;
  bool writeData = (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA)) != 0;
  r.write = writeData;
  r.appendOnly = !writeData && (access & FILE_APPEND_DATA) != 0;
  r.del = (access & (DELETE | GENERIC_ALL)) != 0;
  return r;
}

FileObject::~FileObject() {
  std::string doomed;
  if (registered_) {
    std::lock_guard<std::mutex> guard(g_lock);
    auto it = Table().find(id_);
    if (it != Table().end()) {
      OpenFile& f = it->second;
      std::erase(f.handles, this);
      std::erase_if(f.locks, [&](const LockRange& r) { return r.owner == this; });
      if (deleteOnClose_) {
        f.deletePending = true;
        f.deletePath = path_;
      }
      if (f.handles.empty()) {
        if (f.deletePending) doomed = f.deletePath;
        Table().erase(it);
      }
    }
  }
  if (ownsFd_ && fd_ >= 0) close(fd_);
  if (!doomed.empty()) unlink(doomed.c_str());
}

bool RegisterOpenFile(FileObject* file) {
  std::lock_guard<std::mutex> guard(g_lock);
  OpenFile& f = Table()[file->id_];
  for (FileObject* other : f.handles)
    if (Conflicts(file->rights_, file->share_, other->rights_, other->share_)) return false;
  f.handles.push_back(file);
  file->registered_ = true;
  return true;
}

bool WouldConflict(const FileId& id, const AccessRights& rights, DWORD share) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = Table().find(id);
  if (it == Table().end()) return false;
  for (FileObject* other : it->second.handles)
    if (Conflicts(rights, share, other->rights_, other->share_)) return true;
  return false;
}

bool IsOpenWithoutDeleteSharing(const FileId& id) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = Table().find(id);
  if (it == Table().end()) return false;
  for (FileObject* other : it->second.handles)
    if (!(other->share_ & FILE_SHARE_DELETE) &&
        (other->rights_.read || other->rights_.write || other->rights_.appendOnly || other->rights_.del))
      return true;
  return false;
}

bool AddLock(FileObject* file, uint64_t offset, uint64_t length) {
  std::lock_guard<std::mutex> guard(g_lock);
  OpenFile& f = Table()[file->id_];
  for (const LockRange& r : f.locks)
    if (Overlaps(r.offset, r.length, offset, length)) return false;
  if (length && !SetProcessLock(file->fd(), file->rights_.write || file->rights_.appendOnly, offset, length, true))
    return false;
  f.locks.push_back(LockRange{offset, length, file});
  return true;
}

bool RemoveLock(FileObject* file, uint64_t offset, uint64_t length) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = Table().find(file->id_);
  if (it == Table().end()) return false;
  auto& locks = it->second.locks;
  for (auto r = locks.begin(); r != locks.end(); ++r) {
    if (r->owner == file && r->offset == offset && r->length == length) {
      locks.erase(r);
      if (length) SetProcessLock(file->fd(), true, offset, length, false);
      return true;
    }
  }
  return false;
}

bool LockedByOther(const FileObject* file, uint64_t offset, uint64_t length) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = Table().find(file->id_);
  if (it == Table().end()) return false;
  for (const LockRange& r : it->second.locks)
    if (r.owner != file && Overlaps(r.offset, r.length, offset, length)) return true;
  return false;
}

std::shared_ptr<FileObject> FileFromHandle(HANDLE h) {
  auto file = LookupHandleAs<FileObject>(h);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

DWORD MissingPathError(const std::string& posixPath) {
  size_t slash = posixPath.find_last_of('/');
  if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
  std::string parent = slash == 0 ? "/" : posixPath.substr(0, slash);
  struct stat st;
  return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD AttributesOf(const struct stat& st, std::string_view name) {
  DWORD a = 0;
  if (S_ISDIR(st.st_mode))
    a |= FILE_ATTRIBUTE_DIRECTORY;
  else
    a |= FILE_ATTRIBUTE_ARCHIVE;
  if (!(st.st_mode & S_IWUSR)) a |= FILE_ATTRIBUTE_READONLY;
  if (name.size() > 1 && name[0] == '.' && name != "..") a |= FILE_ATTRIBUTE_HIDDEN;
  return a ? a : FILE_ATTRIBUTE_NORMAL;
}

void FileTimesOf(int dirfd, const char* path, int flags, const struct stat& st, FILETIME* creation, FILETIME* access,
                 FILETIME* write) {
  int64_t born = UnixToTicks(st.st_ctim.tv_sec, st.st_ctim.tv_nsec);
  struct statx sx;
  if (creation && statx(dirfd, path, flags, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
    born = UnixToTicks(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec);
  if (creation) *creation = TicksToFileTime(born);
  if (access) *access = TicksToFileTime(UnixToTicks(st.st_atim.tv_sec, st.st_atim.tv_nsec));
  if (write) *write = TicksToFileTime(UnixToTicks(st.st_mtim.tv_sec, st.st_mtim.tv_nsec));
}

}  // namespace kx2

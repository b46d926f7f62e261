// The hives' file layer (see LogVfs.h).
#include "registry/LogVfs.h"

#include <sqlite3.h>

#include <cstddef>
#include <cstring>
#include <mutex>

namespace kx2::reg {
namespace {

// The size of the header SQLite writes before each page it appends to a log.
constexpr int kFrameHeaderBytes = 24;

sqlite3_vfs* g_system = nullptr;  // the default layer, set once before ours is registered
sqlite3_vfs g_vfs;

struct LogFile {
  sqlite3_file base;   // our methods
  sqlite3_file* real;  // the default layer's file, right behind this record
  bool log;            // a log file: its frame headers are held back
  bool held;
  sqlite3_int64 heldAt;
  unsigned char header[kFrameHeaderBytes];
  unsigned char* joined;  // header and page side by side, kept for the file's next frame
  int joinedBytes;
};

constexpr int RecordBytes() { return static_cast<int>((sizeof(LogFile) + 7) & ~static_cast<size_t>(7)); }

LogFile* Of(sqlite3_file* file) { return reinterpret_cast<LogFile*>(file); }
const sqlite3_io_methods* Real(LogFile* f) { return f->real->pMethods; }

// Writes a held header by itself.
int WriteHeld(LogFile* f) {
  if (!f->held) return SQLITE_OK;
  f->held = false;
  return Real(f)->xWrite(f->real, f->header, kFrameHeaderBytes, f->heldAt);
}

int Close(sqlite3_file* file) {
  LogFile* f = Of(file);
  const int held = WriteHeld(f);
  const int rc = Real(f)->xClose(f->real);
  sqlite3_free(f->joined);
  f->joined = nullptr;
  return held != SQLITE_OK ? held : rc;
}

int Read(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xRead(f->real, data, amount, offset);
}

// The page right behind a held header goes with it in one write.
int WriteJoined(LogFile* f, const void* page, int amount) {
  const int bytes = kFrameHeaderBytes + amount;
  if (f->joinedBytes < bytes) {
    auto* grown = static_cast<unsigned char*>(sqlite3_realloc(f->joined, bytes));
    if (!grown) return -1;
    f->joined = grown;
    f->joinedBytes = bytes;
  }
  std::memcpy(f->joined, f->header, kFrameHeaderBytes);
  std::memcpy(f->joined + kFrameHeaderBytes, page, static_cast<size_t>(amount));
  f->held = false;
  return Real(f)->xWrite(f->real, f->joined, bytes, f->heldAt);
}

int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
  LogFile* f = Of(file);
  if (f->log) {
    if (f->held && offset == f->heldAt + kFrameHeaderBytes && amount > 0) {
      if (int rc = WriteJoined(f, data, amount); rc != -1) return rc;
    }
    if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
    if (amount == kFrameHeaderBytes) {
      std::memcpy(f->header, data, kFrameHeaderBytes);
      f->heldAt = offset;
      f->held = true;
      return SQLITE_OK;
    }
  }
  return Real(f)->xWrite(f->real, data, amount, offset);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xTruncate(f->real, size);
}

int Sync(sqlite3_file* file, int flags) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xSync(f->real, flags);
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xFileSize(f->real, size);
}

int Lock(sqlite3_file* file, int level) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xLock(f->real, level);
}

int Unlock(sqlite3_file* file, int level) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xUnlock(f->real, level);
}

int CheckReservedLock(sqlite3_file* file, int* out) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xCheckReservedLock(f->real, out);
}

int FileControl(sqlite3_file* file, int op, void* arg) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xFileControl(f->real, op, arg);
}

int SectorSize(sqlite3_file* file) {
  LogFile* f = Of(file);
  return Real(f)->xSectorSize(f->real);
}

int DeviceCharacteristics(sqlite3_file* file) {
  LogFile* f = Of(file);
  return Real(f)->xDeviceCharacteristics(f->real);
}

int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xShmMap(f->real, region, size, extend, out);
}

int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xShmLock(f->real, offset, n, flags);
}

void ShmBarrier(sqlite3_file* file) {
  LogFile* f = Of(file);
  WriteHeld(f);
  Real(f)->xShmBarrier(f->real);
}

int ShmUnmap(sqlite3_file* file, int deleteFlag) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xShmUnmap(f->real, deleteFlag);
}

int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xFetch(f->real, offset, amount, out);
}

int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
  LogFile* f = Of(file);
  if (int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xUnfetch(f->real, offset, page);
}

// The same methods as the default layer's file offers, by its version (1 to 3).
const sqlite3_io_methods* MethodsOfVersion(int version) {
  static const sqlite3_io_methods kMethods[3] = {
      {1, Close, Read, Write, Truncate, Sync, FileSize, Lock, Unlock, CheckReservedLock, FileControl, SectorSize,
       DeviceCharacteristics, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
      {2, Close, Read, Write, Truncate, Sync, FileSize, Lock, Unlock, CheckReservedLock, FileControl, SectorSize,
       DeviceCharacteristics, ShmMap, ShmLock, ShmBarrier, ShmUnmap, nullptr, nullptr},
      {3, Close, Read, Write, Truncate, Sync, FileSize, Lock, Unlock, CheckReservedLock, FileControl, SectorSize,
       DeviceCharacteristics, ShmMap, ShmLock, ShmBarrier, ShmUnmap, Fetch, Unfetch},
  };
  if (version < 1) version = 1;
  if (version > 3) version = 3;
  return &kMethods[version - 1];
}

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
  LogFile* f = Of(file);
  std::memset(f, 0, sizeof *f);
  f->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + RecordBytes());
  f->log = (flags & SQLITE_OPEN_WAL) != 0;
  const int rc = g_system->xOpen(g_system, name, f->real, flags, outFlags);
  if (rc != SQLITE_OK || !f->real->pMethods) {
    // SQLite closes a file only when its methods are set.
    if (f->real->pMethods) f->real->pMethods->xClose(f->real);
    f->base.pMethods = nullptr;
    return rc != SQLITE_OK ? rc : SQLITE_CANTOPEN;
  }
  f->base.pMethods = MethodsOfVersion(f->real->pMethods->iVersion);
  return SQLITE_OK;
}

}  // namespace

const char* LogVfsName() {
  static const char* name = []() -> const char* {
    // Before SQLite starts (finding a layer starts it): the hives are this process's only
    // users of SQLite and nothing reads its memory statistics, which otherwise take a
    // process-wide mutex around every allocation and free SQLite makes (about a tenth of a
    // registry transaction's time). Refused, harmlessly, when something started it before.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    sqlite3_vfs* system = sqlite3_vfs_find(nullptr);
    if (!system) return nullptr;
    g_system = system;
    g_vfs = *system;
    g_vfs.zName = "kx2-log";
    g_vfs.pNext = nullptr;
    g_vfs.szOsFile = RecordBytes() + system->szOsFile;
    g_vfs.xOpen = Open;
    return sqlite3_vfs_register(&g_vfs, 0) == SQLITE_OK ? g_vfs.zName : nullptr;
  }();
  return name;
}

}  // namespace kx2::reg

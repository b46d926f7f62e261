// Private: one registry hive, a SQLite database of keys and values.
//
// Every public operation assumes the caller runs inside Transact(); Transact() opens one
// transaction per registry call (BEGIN IMMEDIATE when the call may write), so two
// processes sharing the hive never interleave inside a call. Names are stored as UTF-16
// bytes with an upper-cased copy for lookups, so they keep their case and their exact
// code units, and compare without regard to case.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "win/types.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kx2::reg {

// Thrown inside a transaction; Transact() turns it into the Win32 result.
struct RegError {
  LONG code;
};

struct ValueRecord {
  std::u16string name;
  DWORD type = 0;
  std::vector<BYTE> data;
};

struct KeyInfo {
  std::u16string keyClass;
  DWORD subKeys = 0;
  DWORD maxSubKeyLen = 0;  // in characters, without terminator
  DWORD maxClassLen = 0;   // of the sub-keys' classes, in characters
  DWORD values = 0;
  DWORD maxValueNameLen = 0;
  DWORD maxValueLen = 0;   // in bytes
  uint64_t lastWrite = 0;  // FILETIME
};

struct SubKeyRecord {
  std::u16string name;
  std::u16string keyClass;
  uint64_t lastWrite = 0;
};

class Hive {
 public:
  static constexpr int64_t kRootId = 1;

  // Opens (creating when needed) the database file. Throws RegError.
  explicit Hive(const std::string& file);
  ~Hive();
  Hive(const Hive&) = delete;
  Hive& operator=(const Hive&) = delete;

  // Runs fn in one transaction, serialised with this process's other users of the hive.
  // fn returns a Win32 result; the transaction commits when it is ERROR_SUCCESS or
  // `commitAlways` is set, and rolls back otherwise. Exceptions become results.
  LONG Transact(bool write, const std::function<LONG()>& fn, bool commitAlways = false);
  // Transact without this process's lock, for a hive no other thread can reach yet (while
  // it is being opened): its opener holds the key table's lock, and updates take the
  // hive's lock before the table's, so taking the hive's lock here would invert that order.
  LONG TransactUnshared(bool write, const std::function<LONG()>& fn, bool commitAlways = false);

  // What an update may do. Write: BEGIN IMMEDIATE, the write lock from the start. Read: a
  // read group (BEGIN), in which a writing Transact fails with ERROR_ACCESS_DENIED and a
  // nested update that writes with ERROR_INVALID_FUNCTION. Deferred: BEGIN, reading without
  // the write lock until the first write takes it; that write fails, without waiting, when
  // another process holds the lock or has committed since the update's first read (its
  // reads would be out of date), and the caller ends the update and redoes it. A deferred
  // update may stay open across a long wait: other threads wait for it only from its first
  // write on; one that comes before ends its transaction (nothing was written), and the
  // update's writes and its commit then fail in the same way.
  enum class UpdateKind { Read, Write, Deferred };

  // One transaction around several calls of the calling thread: until the matching
  // EndUpdate, Transact on this thread runs inside it and other threads wait (for a deferred
  // update, as said above). Begins nest; the outermost end commits, unless any end asked to
  // roll back.
  LONG BeginUpdate(UpdateKind kind = UpdateKind::Write);
  // ERROR_INVALID_FUNCTION when the thread has no update open on this hive.
  LONG EndUpdate(bool commit);

  bool KeyExists(int64_t id);
  std::optional<int64_t> Child(int64_t parent, std::u16string_view name);
  // Follows a path of names separated by backslashes (empty components are skipped).
  std::optional<int64_t> Walk(int64_t from, std::u16string_view path);
  // As Walk, creating the missing components; *created tells whether the last one was made.
  int64_t CreatePath(int64_t from, std::u16string_view path, std::u16string_view keyClass, bool* created);
  int64_t ParentOf(int64_t id);
  DWORD ChildCount(int64_t id);
  void DeleteKey(int64_t id);  // the key must have no children
  std::optional<SubKeyRecord> SubKeyAt(int64_t id, DWORD index);

  std::optional<ValueRecord> GetValue(int64_t key, std::u16string_view name);
  void SetValue(int64_t key, std::u16string_view name, DWORD type, const BYTE* data, size_t size);
  bool DeleteValue(int64_t key, std::u16string_view name);
  std::optional<ValueRecord> ValueAt(int64_t key, DWORD index);
  KeyInfo Info(int64_t key);

  // Copies the key `id` and everything below it into `target` as target's root.
  void CopyTreeInto(int64_t id, Hive& target);

 private:
  class Statement;
  Statement Prepare(const char* sql);
  // The statement following `names` names down from a key in one step.
  Statement PrepareWalk(size_t names);
  // PRAGMA user_version: 1 once the schema is made.
  int SchemaVersion();
  // Empties a log that grew large (see kCheckpointPages).
  void TrimLog(const std::string& file);
  int64_t PageSize();
  void Exec(const char* sql);
  // Steps a cached transaction-control statement; the SQLite result (SQLITE_OK when done).
  int Control(const char* sql);
  void Begin(bool write);  // throws RegError
  // Notes that key `id` exists in the open transaction's view of the hive.
  void Saw(int64_t id);
  void Touch(int64_t id);
  // Dates a key's values; the time's row is written by WriteTouch.
  void TouchValues(int64_t key);
  void WriteTouch();
  // The end of a transaction of this hive's own: Commit writes what is held back first
  // (ERROR_SUCCESS or the Win32 result; the caller rolls back on failure).
  LONG Commit();
  void Rollback();
  void CopyChildren(int64_t from, Hive& target, int64_t to);
  // The deferred update's side of BeginUpdate and EndUpdate.
  LONG BeginDeferred();
  LONG EndDeferred(bool commit);
  // Ends another thread's deferred update that has not written yet (see UpdateKind).
  void BreakDeferred();
  bool DeferredBroken(std::thread::id owner) const;

  sqlite3* db_ = nullptr;
  // Found by the caller's text without making a string of it (every statement of every
  // registry call looks itself up here).
  std::map<std::string, sqlite3_stmt*, std::less<>> cache_;
  // Walk's statements by the number of names they follow (index 0 unused).
  std::vector<sqlite3_stmt*> walks_;
  // Keys the open transaction has found or made: nothing else can delete them before it
  // ends (other processes wait for the write lock or see the transaction's snapshot), so
  // only this hive's own DeleteKey makes the list wrong, and it empties it. Emptied when a
  // transaction begins.
  std::vector<int64_t> seen_;
  // The key whose values' time is still to be written (0: none), and that time.
  int64_t touchKey_ = 0;
  uint64_t touchTime_ = 0;
  std::recursive_mutex mutex_;
  // Guarded by mutex_, which the thread of an open update keeps locked.
  int updateDepth_ = 0;
  bool updateFailed_ = false;
  bool updateWrites_ = false;
  std::thread::id updateOwner_;
  // The open deferred update, whose transaction is the connection's (no owner: none).
  // Guarded by mutex_, which its owner keeps locked (once more) from its first write on.
  struct Deferred {
    std::thread::id owner;
    int depth = 0;
    bool failed = false;
    bool held = false;
  };
  Deferred deferred_;
  // Owners and depths of deferred updates another thread ended before they wrote; each
  // waits for its owner's end. Guarded by mutex_.
  std::vector<std::pair<std::thread::id, int>> broken_;
};

// Splits a key path at backslashes, skipping empty components.
std::vector<std::u16string_view> SplitPath(std::u16string_view path);
// The upper-cased form names are compared by.
std::u16string FoldName(std::u16string_view name);
// Now as a FILETIME (100 ns since 1601).
uint64_t FileTimeNow();

}  // namespace kx2::reg

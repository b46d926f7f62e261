// One registry hive over SQLite (see Hive.h).
#include "registry/Hive.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <new>
#include <string>

#include "kx2/Utf.h"
#include "registry/LogVfs.h"
#include "win/registry.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "names are stored as little-endian UTF-16 bytes");

namespace kx2::reg {
namespace {

// How long a call waits for another process's write before giving up.
constexpr int kBusyTimeoutMs = 30000;

// The first connection to a hive (in every short-lived process, the only one) rebuilds the
// log's index by reading and checksumming every frame the log holds. SQLite's default lets
// the log reach 1,000 pages (4 MB) before a checkpoint starts it over, so a process start
// would read up to 4 MB twice, once per hive. The log is checkpointed at 256 KB instead, cut
// back to that size when it starts over, and a log found larger at open is emptied.
constexpr int64_t kLogBytesKept = 64 * 4096;
// A commit puts every page it changes into the log whole, and a registry call changes a few
// bytes on one or two pages (the value's and its key's): small pages keep what a commit
// writes near what it changes, and let more commits share each checkpoint, whose syncs to
// the disk take milliseconds. New hives are made with them; older ones keep theirs.
constexpr int kPageBytes = 1024;
constexpr int64_t kLogBytesTrimmedAtOpen = 4 * kLogBytesKept;
// The log's own header, and the header before each page in it.
constexpr int64_t kWalHeaderBytes = 32;
constexpr int64_t kWalFrameHeaderBytes = 24;

LONG ResultFromSqlite(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_NOMEM:
      return ERROR_OUTOFMEMORY;
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return ERROR_REGISTRY_CORRUPT;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_REGISTRY_IO_FAILED;
  }
}

[[noreturn]] void Fail(int rc) { throw RegError{ResultFromSqlite(rc)}; }

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER NOT NULL,
  name BLOB NOT NULL,
  fold BLOB NOT NULL,
  class BLOB NOT NULL,
  written INTEGER NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS keys_by_parent ON keys(parent, fold);
CREATE TABLE IF NOT EXISTS vals(
  key INTEGER NOT NULL,
  fold BLOB NOT NULL,
  seq INTEGER NOT NULL,
  name BLOB NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, fold)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS vals_by_seq ON vals(key, seq);
INSERT OR IGNORE INTO keys(id, parent, name, fold, class, written) VALUES(1, 0, x'', x'', x'', 0);
PRAGMA user_version = 1;
)sql";

// Folded names are stored big-endian so that byte order sorts like code-unit order.
std::string FoldKey(std::u16string_view name) {
  std::string out;
  out.reserve(name.size() * 2);
  for (char16_t c : name) {
    char16_t u = FoldUpper16(c);
    out.push_back(static_cast<char>(u >> 8));
    out.push_back(static_cast<char>(u & 0xFF));
  }
  return out;
}

// The hives on which this thread has a deferred update open: its end waits for the hive,
// where the end of any other update takes a busy hive for a sign that it has none.
thread_local std::vector<const Hive*> t_deferred;

bool OwnsDeferred(const Hive* hive) {
  return !t_deferred.empty() && std::find(t_deferred.begin(), t_deferred.end(), hive) != t_deferred.end();
}

}  // namespace

std::u16string FoldName(std::u16string_view name) {
  std::u16string out(name);
  for (auto& c : out) c = FoldUpper16(c);
  return out;
}

std::vector<std::u16string_view> SplitPath(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

uint64_t FileTimeNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 10000000ull + static_cast<uint64_t>(ts.tv_nsec) / 100 +
         116444736000000000ull;
}

// A cached prepared statement, reset and unbound when the wrapper goes.
class Hive::Statement {
 public:
  Statement(sqlite3*, sqlite3_stmt* s) : s_(s) {}
  ~Statement() {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Int(int i, int64_t v) {
    Check(sqlite3_bind_int64(s_, i, v));
    return *this;
  }
  Statement& Blob(int i, const void* p, size_t n) {
    // A null pointer would bind SQL NULL; an empty blob must stay a blob.
    Check(n == 0 ? sqlite3_bind_zeroblob(s_, i, 0) : sqlite3_bind_blob64(s_, i, p, n, SQLITE_TRANSIENT));
    return *this;
  }
  Statement& Name(int i, std::u16string_view name) { return Blob(i, name.data(), name.size() * 2); }
  Statement& Fold(int i, std::u16string_view name) {
    std::string f = FoldKey(name);
    return Blob(i, f.data(), f.size());
  }
  bool Step() {
    int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(rc);
  }
  void Run() { Step(); }
  int64_t ColInt(int c) { return sqlite3_column_int64(s_, c); }
  std::u16string ColName(int c) {
    const void* p = sqlite3_column_blob(s_, c);
    size_t n = static_cast<size_t>(sqlite3_column_bytes(s_, c)) / 2;
    std::u16string out(n, u'\0');
    if (n) std::memcpy(out.data(), p, n * 2);
    return out;
  }
  std::vector<BYTE> ColBytes(int c) {
    const void* p = sqlite3_column_blob(s_, c);
    size_t n = static_cast<size_t>(sqlite3_column_bytes(s_, c));
    std::vector<BYTE> out(n);
    if (n) std::memcpy(out.data(), p, n);
    return out;
  }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) Fail(rc);
  }
  sqlite3_stmt* s_;

 public:
  sqlite3_stmt* Get() const { return s_; }
};

Hive::Hive(const std::string& file) {
  int rc = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                           LogVfsName());
  if (rc != SQLITE_OK) {
    sqlite3_close(db_);
    db_ = nullptr;
    Fail(rc);
  }
  try {
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    Exec(("PRAGMA page_size=" + std::to_string(kPageBytes)).c_str());
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=NORMAL");
    // The schema and its version are written in one transaction: a hive that has the
    // version has the schema, and a process start need not take the write lock and append
    // a frame to the log only to find so.
    if (SchemaVersion() < 1) {
      Exec("BEGIN IMMEDIATE");
      try {
        Exec(kSchema);
        Exec("COMMIT");
      } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
      }
    }
    // The checkpoint comes before the log outgrows the size it is cut back to: a log cut at
    // every start-over would have its blocks freed and allocated anew each round, and the
    // disk sync before each checkpoint would then commit the file system's journal as well.
    const int64_t frameBytes = PageSize() + kWalFrameHeaderBytes;
    sqlite3_wal_autocheckpoint(db_, static_cast<int>((kLogBytesKept - kWalHeaderBytes) / frameBytes));
    Exec(("PRAGMA journal_size_limit=" + std::to_string(kLogBytesKept)).c_str());
    TrimLog(file);
  } catch (...) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw;
  }
}

Hive::~Hive() {
  for (auto& [sql, stmt] : cache_) sqlite3_finalize(stmt);
  for (sqlite3_stmt* stmt : walks_) sqlite3_finalize(stmt);
  sqlite3_close(db_);
}

int64_t Hive::PageSize() {
  sqlite3_stmt* s = nullptr;
  int64_t size = 0;
  if (sqlite3_prepare_v2(db_, "PRAGMA page_size", -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
    size = sqlite3_column_int64(s, 0);
  sqlite3_finalize(s);
  return size > 0 ? size : 4096;
}

void Hive::TrimLog(const std::string& file) {
  struct stat log {};
  if (::stat((file + "-wal").c_str(), &log) != 0 || log.st_size <= kLogBytesTrimmedAtOpen) return;
  // Never waits: with another process inside the hive this copies what it can and leaves
  // the log for a later open.
  sqlite3_busy_timeout(db_, 0);
  sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

int Hive::SchemaVersion() {
  sqlite3_stmt* s = nullptr;
  int rc = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &s, nullptr);
  if (rc != SQLITE_OK) Fail(rc);
  rc = sqlite3_step(s);
  const int version = rc == SQLITE_ROW ? sqlite3_column_int(s, 0) : 0;
  sqlite3_finalize(s);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail(rc);
  return version;
}

void Hive::Exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Fail(rc);
}

int Hive::Control(const char* sql) {
  // Every registry call begins and ends a transaction: kept prepared, these statements are
  // not parsed again each time.
  sqlite3_stmt* s = nullptr;
  try {
    s = Prepare(sql).Get();
  } catch (const RegError&) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  }
  int rc = sqlite3_step(s);
  sqlite3_reset(s);
  return rc == SQLITE_DONE || rc == SQLITE_ROW ? SQLITE_OK : rc;
}

void Hive::Begin(bool write) {
  seen_.clear();
  touchKey_ = 0;
  if (int rc = Control(write ? "BEGIN IMMEDIATE" : "BEGIN"); rc != SQLITE_OK) Fail(rc);
}

void Hive::Saw(int64_t id) {
  // A call reaches a handful of keys; a long copy of a tree is not worth remembering.
  constexpr size_t kKept = 16;
  if (seen_.size() < kKept && std::find(seen_.begin(), seen_.end(), id) == seen_.end()) seen_.push_back(id);
}

Hive::Statement Hive::Prepare(const char* sql) {
  auto it = cache_.find(sql);
  if (it == cache_.end()) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    if (rc != SQLITE_OK) Fail(rc);
    it = cache_.emplace(sql, s).first;
  }
  return Statement(db_, it->second);
}

LONG Hive::BeginUpdate(UpdateKind kind) {
  const bool write = kind != UpdateKind::Read;
  mutex_.lock();
  if (updateDepth_ > 0) {
    // A read group cannot become an update: its view may already be older than the hive.
    if (write && !updateWrites_) {
      mutex_.unlock();
      return ERROR_INVALID_FUNCTION;
    }
    ++updateDepth_;
    return ERROR_SUCCESS;
  }
  if (kind == UpdateKind::Deferred || OwnsDeferred(this)) {
    const LONG result = BeginDeferred();
    mutex_.unlock();
    return result;
  }
  if (deferred_.depth > 0) BreakDeferred();
  try {
    Begin(kind == UpdateKind::Write);
  } catch (const RegError& e) {
    mutex_.unlock();
    return e.code;
  }
  updateDepth_ = 1;
  updateFailed_ = false;
  updateWrites_ = write;
  updateOwner_ = std::this_thread::get_id();
  return ERROR_SUCCESS;
}

LONG Hive::BeginDeferred() {
  const std::thread::id me = std::this_thread::get_id();
  // Begins inside this thread's deferred update nest in it, whatever their kind: its writes
  // are checked against the hive as a write update's would be kept from changing.
  if (deferred_.depth > 0 && deferred_.owner == me) {
    ++deferred_.depth;
    return ERROR_SUCCESS;
  }
  for (auto& [owner, depth] : broken_)
    if (owner == me) {
      ++depth;
      return ERROR_SUCCESS;
    }
  if (deferred_.depth > 0) BreakDeferred();
  try {
    Begin(false);
  } catch (const RegError& e) {
    return e.code;
  }
  deferred_ = Deferred{me, 1, false, false};
  t_deferred.push_back(this);
  return ERROR_SUCCESS;
}

void Hive::BreakDeferred() {
  // Its owner is between calls and has not written (a write keeps the lock held): ending
  // its transaction loses nothing, and its owner learns at its next write or at its end.
  Rollback();
  broken_.emplace_back(deferred_.owner, deferred_.depth);
  deferred_ = Deferred{};
}

bool Hive::DeferredBroken(std::thread::id owner) const {
  return std::any_of(broken_.begin(), broken_.end(), [owner](const auto& b) { return b.first == owner; });
}

LONG Hive::EndDeferred(bool commit) {
  std::lock_guard lock(mutex_);
  const std::thread::id me = std::this_thread::get_id();
  std::erase(t_deferred, this);
  if (deferred_.depth > 0 && deferred_.owner == me) {
    if (!commit) deferred_.failed = true;
    if (--deferred_.depth > 0) {
      t_deferred.push_back(this);
      return ERROR_SUCCESS;
    }
    LONG result = ERROR_SUCCESS;
    if (deferred_.failed) {
      Rollback();
    } else {
      result = Commit();
      if (result != ERROR_SUCCESS) Rollback();
    }
    const bool held = deferred_.held;
    deferred_ = Deferred{};
    if (held) mutex_.unlock();  // the lock its first write took
    return result;
  }
  for (auto it = broken_.begin(); it != broken_.end(); ++it) {
    if (it->first != me) continue;
    if (--it->second > 0) {
      t_deferred.push_back(this);
      return ERROR_SUCCESS;
    }
    broken_.erase(it);
    // Its transaction is gone: nothing it did can be kept.
    return commit ? ERROR_REGISTRY_IO_FAILED : ERROR_SUCCESS;
  }
  return ERROR_INVALID_FUNCTION;
}

LONG Hive::EndUpdate(bool commit) {
  // A deferred update waits for the hive, which other threads may be using meanwhile.
  if (OwnsDeferred(this)) return EndDeferred(commit);
  // Only the owner can get the lock while an update is open.
  if (!mutex_.try_lock()) return ERROR_INVALID_FUNCTION;
  bool mine = updateDepth_ > 0 && updateOwner_ == std::this_thread::get_id();
  mutex_.unlock();
  if (!mine) return ERROR_INVALID_FUNCTION;
  if (!commit) updateFailed_ = true;
  LONG result = ERROR_SUCCESS;
  if (--updateDepth_ == 0) {
    updateOwner_ = std::thread::id();
    if (updateFailed_) {
      Rollback();
    } else {
      result = Commit();
      if (result != ERROR_SUCCESS) Rollback();
    }
  }
  mutex_.unlock();  // the lock BeginUpdate took
  return result;
}

LONG Hive::Transact(bool write, const std::function<LONG()>& fn, bool commitAlways) {
  std::lock_guard lock(mutex_);
  return TransactUnshared(write, fn, commitAlways);
}

LONG Hive::TransactUnshared(bool write, const std::function<LONG()>& fn, bool commitAlways) {
  bool inside = updateDepth_ > 0;
  if (!inside && deferred_.depth > 0) {
    if (deferred_.owner == std::this_thread::get_id()) {
      inside = true;
      // From its first write on, the update keeps the hive to itself until its end.
      if (write && !deferred_.held) {
        mutex_.lock();
        deferred_.held = true;
      }
    } else {
      BreakDeferred();
    }
  }
  // A deferred update that another thread ended reads outside any transaction, and may no
  // longer write: what it read before may be out of date.
  if (!inside && write && !broken_.empty() && DeferredBroken(std::this_thread::get_id()))
    return ERROR_REGISTRY_IO_FAILED;
  if (inside) {
    // Inside this thread's open update: the update's end commits or rolls back. A read
    // group holds no write lock, so nothing may write in it.
    if (write && updateDepth_ > 0 && !updateWrites_) return ERROR_ACCESS_DENIED;
    try {
      return fn();
    } catch (const RegError& e) {
      return e.code;
    } catch (const std::bad_alloc&) {
      return ERROR_OUTOFMEMORY;
    } catch (...) {
      return ERROR_REGISTRY_IO_FAILED;
    }
  }
  LONG result = ERROR_SUCCESS;
  try {
    Begin(write);
  } catch (const RegError& e) {
    return e.code;
  }
  try {
    result = fn();
  } catch (const RegError& e) {
    result = e.code;
    commitAlways = false;
  } catch (const std::bad_alloc&) {
    result = ERROR_OUTOFMEMORY;
    commitAlways = false;
  } catch (...) {
    result = ERROR_REGISTRY_IO_FAILED;
    commitAlways = false;
  }
  if (result == ERROR_SUCCESS || commitAlways) {
    const LONG committed = Commit();
    if (committed == ERROR_SUCCESS) return result;
    Rollback();
    return committed;
  }
  Rollback();
  return result;
}

LONG Hive::Commit() {
  try {
    WriteTouch();
  } catch (const RegError& e) {
    return e.code;
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
  const int rc = Control("COMMIT");
  return rc == SQLITE_OK ? ERROR_SUCCESS : ResultFromSqlite(rc);
}

void Hive::Rollback() {
  touchKey_ = 0;
  Control("ROLLBACK");
}

bool Hive::KeyExists(int64_t id) {
  // The root is made with the schema and never deleted.
  if (id == kRootId) return true;
  // A key the transaction already found stays until the transaction ends.
  if (std::find(seen_.begin(), seen_.end(), id) != seen_.end()) return true;
  auto s = Prepare("SELECT 1 FROM keys WHERE id = ?");
  s.Int(1, id);
  if (!s.Step()) return false;
  Saw(id);
  return true;
}

std::optional<int64_t> Hive::Child(int64_t parent, std::u16string_view name) {
  auto s = Prepare("SELECT id FROM keys WHERE parent = ? AND fold = ?");
  s.Int(1, parent).Fold(2, name);
  if (!s.Step()) return std::nullopt;
  const int64_t found = s.ColInt(0);
  Saw(found);
  return found;
}

Hive::Statement Hive::PrepareWalk(size_t names) {
  if (walks_.size() <= names) walks_.resize(names + 1, nullptr);
  sqlite3_stmt*& walk = walks_[names];
  if (!walk) {
    // One join per name, each an equality on both columns of keys_by_parent: a path is
    // followed in one statement instead of one statement per name.
    std::string sql = "SELECT k" + std::to_string(names) + ".id FROM keys k1";
    for (size_t i = 2; i <= names; ++i)
      sql += " JOIN keys k" + std::to_string(i) + " ON k" + std::to_string(i) + ".parent = k" + std::to_string(i - 1) +
             ".id AND k" + std::to_string(i) + ".fold = ?" + std::to_string(i + 1);
    sql += " WHERE k1.parent = ?1 AND k1.fold = ?2";
    int rc = sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &walk, nullptr);
    if (rc != SQLITE_OK) {
      walk = nullptr;
      Fail(rc);
    }
  }
  return Statement(db_, walk);
}

std::optional<int64_t> Hive::Walk(int64_t from, std::u16string_view path) {
  const auto parts = SplitPath(path);
  if (parts.empty()) return from;
  if (parts.size() == 1) return Child(from, parts[0]);
  // Longer paths than any caller follows in practice keep to one statement per name.
  constexpr size_t kLongestJoin = 16;
  if (parts.size() > kLongestJoin) {
    int64_t at = from;
    for (auto part : parts) {
      auto next = Child(at, part);
      if (!next) return std::nullopt;
      at = *next;
    }
    return at;
  }
  auto s = PrepareWalk(parts.size());
  s.Int(1, from);
  for (size_t i = 0; i < parts.size(); ++i) s.Fold(static_cast<int>(i + 2), parts[i]);
  if (!s.Step()) return std::nullopt;
  const int64_t found = s.ColInt(0);
  Saw(found);
  return found;
}

int64_t Hive::CreatePath(int64_t from, std::u16string_view path, std::u16string_view keyClass, bool* created) {
  int64_t at = from;
  bool made = false;
  for (auto part : SplitPath(path)) {
    auto next = Child(at, part);
    if (next) {
      at = *next;
      made = false;
      continue;
    }
    uint64_t now = FileTimeNow();
    {
      auto s = Prepare("INSERT INTO keys(parent, name, fold, class, written) VALUES(?, ?, ?, ?, ?)");
      s.Int(1, at).Name(2, part).Fold(3, part).Name(4, keyClass).Int(5, static_cast<int64_t>(now));
      s.Run();
    }
    Touch(at);
    at = sqlite3_last_insert_rowid(db_);
    made = true;
  }
  if (created) *created = made;
  Saw(at);
  return at;
}

int64_t Hive::ParentOf(int64_t id) {
  auto s = Prepare("SELECT parent FROM keys WHERE id = ?");
  s.Int(1, id);
  return s.Step() ? s.ColInt(0) : 0;
}

DWORD Hive::ChildCount(int64_t id) {
  auto s = Prepare("SELECT COUNT(*) FROM keys WHERE parent = ?");
  s.Int(1, id);
  s.Step();
  return static_cast<DWORD>(s.ColInt(0));
}

void Hive::DeleteKey(int64_t id) {
  seen_.clear();
  // Its values go with it, their time too.
  if (touchKey_ == id) touchKey_ = 0;
  int64_t parent = ParentOf(id);
  {
    auto s = Prepare("DELETE FROM vals WHERE key = ?");
    s.Int(1, id).Run();
  }
  {
    auto s = Prepare("DELETE FROM keys WHERE id = ?");
    s.Int(1, id).Run();
  }
  if (parent) Touch(parent);
}

// A key's last write is the later of its row's time (its sub-keys) and its values' time.
#define KX2_KEY_WRITTEN(keyId) \
  "MAX(written, IFNULL((SELECT type FROM vals WHERE vals.key = " keyId " AND vals.fold = x'00'), 0))"

std::optional<SubKeyRecord> Hive::SubKeyAt(int64_t id, DWORD index) {
  WriteTouch();
  auto s = Prepare(
      "SELECT name, class, " KX2_KEY_WRITTEN("keys.id") " FROM keys WHERE parent = ? ORDER BY fold LIMIT 1 OFFSET ?");
  s.Int(1, id).Int(2, index);
  if (!s.Step()) return std::nullopt;
  return SubKeyRecord{s.ColName(0), s.ColName(1), static_cast<uint64_t>(s.ColInt(2))};
}

std::optional<ValueRecord> Hive::GetValue(int64_t key, std::u16string_view name) {
  auto s = Prepare("SELECT name, type, data FROM vals WHERE key = ? AND fold = ?");
  s.Int(1, key).Fold(2, name);
  if (!s.Step()) return std::nullopt;
  return ValueRecord{s.ColName(0), static_cast<DWORD>(s.ColInt(1)), s.ColBytes(2)};
}

void Hive::SetValue(int64_t key, std::u16string_view name, DWORD type, const BYTE* data, size_t size) {
  // An existing value keeps its place in the enumeration order and the case of its name.
  auto s = Prepare(
      "INSERT INTO vals(key, fold, seq, name, type, data) "
      "VALUES(?1, ?2, (SELECT IFNULL(MAX(seq), 0) + 1 FROM vals WHERE key = ?1), ?3, ?4, ?5) "
      "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
  s.Int(1, key).Fold(2, name).Name(3, name).Int(4, type).Blob(5, data, size);
  s.Run();
  TouchValues(key);
}

bool Hive::DeleteValue(int64_t key, std::u16string_view name) {
  {
    auto s = Prepare("DELETE FROM vals WHERE key = ? AND fold = ?");
    s.Int(1, key).Fold(2, name).Run();
  }
  if (sqlite3_changes(db_) == 0) return false;
  TouchValues(key);
  return true;
}

std::optional<ValueRecord> Hive::ValueAt(int64_t key, DWORD index) {
  auto s = Prepare("SELECT name, type, data FROM vals WHERE key = ? AND seq > 0 ORDER BY seq LIMIT 1 OFFSET ?");
  s.Int(1, key).Int(2, index);
  if (!s.Step()) return std::nullopt;
  return ValueRecord{s.ColName(0), static_cast<DWORD>(s.ColInt(1)), s.ColBytes(2)};
}

KeyInfo Hive::Info(int64_t key) {
  WriteTouch();
  KeyInfo info;
  {
    auto s = Prepare("SELECT class, " KX2_KEY_WRITTEN("keys.id") " FROM keys WHERE id = ?");
    s.Int(1, key);
    if (s.Step()) {
      info.keyClass = s.ColName(0);
      info.lastWrite = static_cast<uint64_t>(s.ColInt(1));
    }
  }
  {
    auto s = Prepare(
        "SELECT COUNT(*), IFNULL(MAX(LENGTH(name)), 0), IFNULL(MAX(LENGTH(class)), 0) FROM keys WHERE parent = ?");
    s.Int(1, key);
    s.Step();
    info.subKeys = static_cast<DWORD>(s.ColInt(0));
    info.maxSubKeyLen = static_cast<DWORD>(s.ColInt(1) / 2);
    info.maxClassLen = static_cast<DWORD>(s.ColInt(2) / 2);
  }
  {
    auto s = Prepare(
        "SELECT COUNT(*), IFNULL(MAX(LENGTH(name)), 0), IFNULL(MAX(LENGTH(data)), 0) FROM vals "
        "WHERE key = ? AND seq > 0");
    s.Int(1, key);
    s.Step();
    info.values = static_cast<DWORD>(s.ColInt(0));
    info.maxValueNameLen = static_cast<DWORD>(s.ColInt(1) / 2);
    info.maxValueLen = static_cast<DWORD>(s.ColInt(2));
  }
  return info;
}

void Hive::TouchValues(int64_t key) {
  // Several writes to one key's values in a transaction leave one time: the last one's,
  // written once, before anything reads it and before the commit.
  if (touchKey_ != 0 && touchKey_ != key) WriteTouch();
  touchKey_ = key;
  touchTime_ = FileTimeNow();
}

void Hive::WriteTouch() {
  if (touchKey_ == 0) return;
  const int64_t key = touchKey_;
  touchKey_ = 0;
  // The values' write time is a row of the values themselves (the one row with seq 0 and
  // the fold x'00', which no name folds to; its time in `type`), on the page the written
  // value is usually on: a value write changes one page of the hive, not two.
  auto s = Prepare(
      "INSERT INTO vals(key, fold, seq, name, type, data) VALUES(?1, x'00', 0, x'', ?2, x'') "
      "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type");
  s.Int(1, key).Int(2, static_cast<int64_t>(touchTime_)).Run();
}

void Hive::Touch(int64_t id) {
  auto s = Prepare("UPDATE keys SET written = ? WHERE id = ?");
  s.Int(1, static_cast<int64_t>(FileTimeNow())).Int(2, id).Run();
}

void Hive::CopyTreeInto(int64_t id, Hive& target) { CopyChildren(id, target, kRootId); }

void Hive::CopyChildren(int64_t from, Hive& target, int64_t to) {
  for (DWORD i = 0;; ++i) {
    auto v = ValueAt(from, i);
    if (!v) break;
    target.SetValue(to, v->name, v->type, v->data.data(), v->data.size());
  }
  for (DWORD i = 0;; ++i) {
    auto k = SubKeyAt(from, i);
    if (!k) break;
    auto child = Child(from, k->name);
    bool created = false;
    int64_t made = target.CreatePath(to, k->name, k->keyClass, &created);
    if (child) CopyChildren(*child, target, made);
  }
}

}  // namespace kx2::reg

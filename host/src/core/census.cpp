#include "core/census.h"

#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantorel::detail {
namespace {

constexpr size_t kQuarantineLimit = 16384;
constexpr size_t kThreadSlots = 32;

// One thread's counts of the first tallies: written by that thread alone with a plain load
// and store, read by the census. An object let go on another thread than the one that made
// it is counted out there: only the sum over the threads means anything.
struct ThreadCounts {
  std::atomic<std::ptrdiff_t> counts[kThreadSlots] = {};
  ThreadCounts* next = nullptr;
};

// Hands a thread's counts over to the tallies when the thread ends.
struct ThreadCountsOwner {
  bool armed = false;
  ~ThreadCountsOwner();
};

thread_local ThreadCounts* t_counts = nullptr;
thread_local bool t_countsGone = false;
thread_local ThreadCountsOwner t_countsOwner;

struct Census {
  std::mutex lock;
  CensusEntry* live = nullptr;  // head of the intrusive list of live entries
  size_t liveCount = 0;
  // The most recently released objects, oldest first: a further release of one of them is
  // counted instead of touching freed memory. Bounded, so that a large import does not
  // keep every object it ever released.
  std::deque<CensusEntry*> quarantine;
  // Read without the lock by a tallied object's final release: set only while no such
  // object is being released (tests switch it between their steps).
  std::atomic<bool> quarantineOn{false};
  CensusTally* tallies = nullptr;  // every tally the process made
  size_t slotsUsed = 0;
  CensusTally* slotTallies[kThreadSlots] = {};
  ThreadCounts* threads = nullptr;  // the counts of every thread that counted
  size_t extraReleases = 0;
  size_t liveKeys = 0;
};

Census& TheCensus() {
  // Never destroyed: objects may be released while other static objects go away.
  static Census* census = new Census;
  return *census;
}

// This thread's counts, made at its first count; null once the thread is ending.
ThreadCounts* MyCounts() {
  if (ThreadCounts* mine = t_counts) return mine;
  if (t_countsGone) return nullptr;
  auto* mine = new (std::nothrow) ThreadCounts;
  if (!mine) return nullptr;
  Census& c = TheCensus();
  {
    std::lock_guard<std::mutex> guard(c.lock);
    mine->next = c.threads;
    c.threads = mine;
  }
  t_countsOwner.armed = true;
  t_counts = mine;
  return mine;
}

}  // namespace

struct CensusLinks {
  static void Register(Census& c, CensusTally* tally) {
    tally->next_ = c.tallies;
    c.tallies = tally;
    tally->slot_ = c.slotsUsed < kThreadSlots ? c.slotsUsed++ : kThreadSlots;
    if (tally->slot_ < kThreadSlots) c.slotTallies[tally->slot_] = tally;
  }
  // Counts a tallied entry in or out (true), or leaves a listed one to the callers below.
  static bool Tally(CensusEntry* e, bool in) {
    CensusTally* tally = e->censusTally_;
    if (!tally) return false;
    if (in == e->censusLinked_) return true;
    e->censusLinked_ = in;
    if (tally->slot_ < kThreadSlots)
      if (ThreadCounts* mine = MyCounts()) {
        std::atomic<std::ptrdiff_t>& count = mine->counts[tally->slot_];
        count.store(count.load(std::memory_order_relaxed) + (in ? 1 : -1), std::memory_order_relaxed);
        return true;
      }
    if (in)
      tally->live_.fetch_add(1, std::memory_order_relaxed);
    else
      tally->live_.fetch_sub(1, std::memory_order_relaxed);
    return true;
  }
  static void CountTallies(const Census& c, size_t* total, std::unordered_map<const char*, size_t>* byKind) {
    for (CensusTally* t = c.tallies; t; t = t->next_) {
      // Counts kept apart add up in unsigned arithmetic, negative shares included.
      size_t live = t->live_.load(std::memory_order_relaxed);
      if (t->slot_ < kThreadSlots)
        for (const ThreadCounts* thread = c.threads; thread; thread = thread->next)
          live += static_cast<size_t>(thread->counts[t->slot_].load(std::memory_order_relaxed));
      if (live) {
        *total += live;
        (*byKind)[t->kind_] += live;
      }
    }
  }
  // A thread that ends hands its counts to the tallies.
  static void Retire(Census& c, ThreadCounts* mine) {
    for (ThreadCounts** p = &c.threads; *p; p = &(*p)->next)
      if (*p == mine) {
        *p = mine->next;
        break;
      }
    for (size_t slot = 0; slot < c.slotsUsed; ++slot)
      c.slotTallies[slot]->live_.fetch_add(static_cast<size_t>(mine->counts[slot].load(std::memory_order_relaxed)),
                                           std::memory_order_relaxed);
  }
  static void Link(Census& c, CensusEntry* e) {
    e->censusPrev_ = nullptr;
    e->censusNext_ = c.live;
    e->censusLinked_ = true;
    if (c.live) c.live->censusPrev_ = e;
    c.live = e;
    ++c.liveCount;
  }
  static void Unlink(Census& c, CensusEntry* e) {
    if (!e->censusLinked_) return;
    if (e->censusPrev_)
      e->censusPrev_->censusNext_ = e->censusNext_;
    else
      c.live = e->censusNext_;
    if (e->censusNext_) e->censusNext_->censusPrev_ = e->censusPrev_;
    e->censusPrev_ = e->censusNext_ = nullptr;
    e->censusLinked_ = false;
    --c.liveCount;
  }
  static CensusEntry* Next(const CensusEntry* e) { return e->censusNext_; }
};

CensusTally::CensusTally(const char* kind) : kind_(kind) {
  Census& c = TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  CensusLinks::Register(c, this);
}

namespace {

ThreadCountsOwner::~ThreadCountsOwner() {
  ThreadCounts* mine = t_counts;
  t_counts = nullptr;
  t_countsGone = true;
  if (!mine) return;
  Census& c = TheCensus();
  {
    std::lock_guard<std::mutex> guard(c.lock);
    CensusLinks::Retire(c, mine);
  }
  delete mine;
}

}  // namespace

void CensusEntry::Unlink() {
  if (CensusLinks::Tally(this, false)) return;
  Census& c = TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  CensusLinks::Unlink(c, this);
}

void CensusAdd(CensusEntry* entry) {
  if (CensusLinks::Tally(entry, true)) return;
  Census& c = TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  CensusLinks::Link(c, entry);
}

void CensusFinalRelease(CensusEntry* entry) {
  Census& c = TheCensus();
  if (CensusLinks::Tally(entry, false) && !c.quarantineOn.load(std::memory_order_relaxed)) {
    delete entry;
    return;
  }
  {
    std::lock_guard<std::mutex> guard(c.lock);
    CensusLinks::Unlink(c, entry);
    if (c.quarantineOn) {
      c.quarantine.push_back(entry);
      if (c.quarantine.size() <= kQuarantineLimit) return;
      entry = c.quarantine.front();
      c.quarantine.pop_front();
    }
  }
  delete entry;
}

void CensusForget(CensusEntry* entry) {
  if (CensusLinks::Tally(entry, false)) return;
  Census& c = TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  CensusLinks::Unlink(c, entry);
}

void CensusExtraRelease(const CensusEntry*) {
  Census& c = TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  ++c.extraReleases;
}

void CensusKeyAdded() {
  Census& c = TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  ++c.liveKeys;
}

void CensusKeyDropped() {
  Census& c = TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  if (c.liveKeys) --c.liveKeys;
}

}  // namespace vantorel::detail

namespace vantorel {

CensusReport TakeCensus() {
  auto& c = detail::TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  CensusReport report;
  report.liveObjects = c.liveCount;
  report.liveFileKeys = c.liveKeys;
  report.extraReleases = c.extraReleases;
  // Counted by the kind's text as each class gives it (one per class), then by name, so
  // that a census of a large document makes no text per object.
  std::unordered_map<const char*, size_t> byClass;
  for (detail::CensusEntry* e = c.live; e; e = detail::CensusLinks::Next(e)) ++byClass[e->Kind()];
  detail::CensusLinks::CountTallies(c, &report.liveObjects, &byClass);
  std::map<std::string, size_t> kinds;
  for (const auto& [kind, count] : byClass) kinds[kind] += count;
  for (const auto& [kind, count] : kinds) report.liveKinds.push_back(kind + " x" + std::to_string(count));
  return report;
}

void SetQuarantine(bool on) {
  auto& c = detail::TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  c.quarantineOn.store(on, std::memory_order_relaxed);
}

void CollectQuarantine() {
  auto& c = detail::TheCensus();
  std::deque<detail::CensusEntry*> doomed;
  {
    std::lock_guard<std::mutex> guard(c.lock);
    doomed.swap(c.quarantine);
    c.extraReleases = 0;
  }
  for (detail::CensusEntry* e : doomed) delete e;
}

}  // namespace vantorel

#include "core/census.h"

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantorel::detail {
namespace {

constexpr size_t kQuarantineLimit = 16384;

struct Census {
  std::mutex lock;
  CensusEntry* live = nullptr;  // head of the intrusive list of live entries
  size_t liveCount = 0;
  // The most recently released objects, oldest first: a further release of one of them is
  // counted instead of touching freed memory. Bounded, so that a large import does not
  // keep every object it ever released.
  std::deque<CensusEntry*> quarantine;
  bool quarantineOn = false;
  size_t extraReleases = 0;
  size_t liveKeys = 0;
};

Census& TheCensus() {
  // Never destroyed: objects may be released while other static objects go away.
  static Census* census = new Census;
  return *census;
}

}  // namespace

struct CensusLinks {
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

void CensusEntry::Unlink() {
  Census& c = TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  CensusLinks::Unlink(c, this);
}

void CensusAdd(CensusEntry* entry) {
  Census& c = TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  CensusLinks::Link(c, entry);
}

void CensusFinalRelease(CensusEntry* entry) {
  Census& c = TheCensus();
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
  std::map<std::string, size_t> kinds;
  for (const auto& [kind, count] : byClass) kinds[kind] += count;
  for (const auto& [kind, count] : kinds) report.liveKinds.push_back(kind + " x" + std::to_string(count));
  return report;
}

void SetQuarantine(bool on) {
  auto& c = detail::TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  c.quarantineOn = on;
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

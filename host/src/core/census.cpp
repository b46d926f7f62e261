#include "core/census.h"

#include <map>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace vantorel::detail {
namespace {

struct Census {
  std::mutex lock;
  std::unordered_set<CensusEntry*> live;
  std::vector<CensusEntry*> quarantine;
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

void CensusAdd(CensusEntry* entry) {
  Census& c = TheCensus();
  std::lock_guard<std::mutex> guard(c.lock);
  c.live.insert(entry);
}

void CensusFinalRelease(CensusEntry* entry) {
  Census& c = TheCensus();
  {
    std::lock_guard<std::mutex> guard(c.lock);
    c.live.erase(entry);
    if (c.quarantineOn) {
      c.quarantine.push_back(entry);
      return;
    }
  }
  delete entry;
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
  report.liveObjects = c.live.size();
  report.liveFileKeys = c.liveKeys;
  report.extraReleases = c.extraReleases;
  std::map<std::string, size_t> kinds;
  for (detail::CensusEntry* e : c.live) ++kinds[e->Kind()];
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
  std::vector<detail::CensusEntry*> doomed;
  {
    std::lock_guard<std::mutex> guard(c.lock);
    doomed.swap(c.quarantine);
    c.extraReleases = 0;
  }
  for (detail::CensusEntry* e : doomed) delete e;
}

}  // namespace vantorel

// PlaySoundW as a sink: the request is recorded, nothing is heard.
#include <mutex>
#include <string>
#include <vector>

#include "kx2/ErrorBoundary.h"
#include "kx2/SoundSink.h"
#include "kx2/Utf.h"
#include "win/mmsystem.h"

namespace {

std::mutex g_lock;
std::vector<kx2::SoundRecord>& Records() {
  static auto* records = new std::vector<kx2::SoundRecord>;
  return *records;
}

}  // namespace

namespace kx2 {

std::vector<SoundRecord> TakeSounds() {
  std::lock_guard<std::mutex> guard(g_lock);
  std::vector<SoundRecord> taken;
  taken.swap(Records());
  return taken;
}

size_t PendingSounds() {
  std::lock_guard<std::mutex> guard(g_lock);
  return Records().size();
}

}  // namespace kx2

KX2_EXPORT BOOL PlaySoundW(LPCWSTR pszSound, HMODULE, DWORD fdwSound) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    kx2::SoundRecord record;
    const bool named = pszSound && !(fdwSound & SND_MEMORY) && (fdwSound & SND_RESOURCE) != SND_RESOURCE;
    if (named) record.sound = kx2::View16(pszSound);
    record.flags = fdwSound;
    std::lock_guard<std::mutex> guard(g_lock);
    Records().push_back(std::move(record));
    return TRUE;
  });
}

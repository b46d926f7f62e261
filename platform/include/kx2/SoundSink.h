// What PlaySoundW was asked to play, for tests and for hosts that want to relay it. No
// sound is heard: each request is recorded here.
#pragma once

#include <string>
#include <vector>

#include "win/types.h"

namespace kx2 {

struct KX2_API SoundRecord {
  std::u16string sound;  // the alias or file name; empty for a purge (null sound)
  DWORD flags = 0;
};

// Every request since the last call, oldest first; the record is emptied.
KX2_API std::vector<SoundRecord> TakeSounds();
// The number of requests recorded and not yet taken.
KX2_API size_t PendingSounds();

}  // namespace kx2

// Playing sounds (winmm): requests go to the sound sink (kx2/SoundSink.h).
#pragma once

#include "win/types.h"

#define SND_SYNC 0x0000
#define SND_ASYNC 0x0001
#define SND_NODEFAULT 0x0002
#define SND_MEMORY 0x0004
#define SND_LOOP 0x0008
#define SND_NOSTOP 0x0010
#define SND_NOWAIT 0x00002000L
#define SND_ALIAS 0x00010000L
#define SND_FILENAME 0x00020000L
#define SND_RESOURCE 0x00040004L
#define SND_PURGE 0x0040
#define SND_APPLICATION 0x0080

// Records the request and answers TRUE; a null pszSound (stop playing) is recorded as an
// empty name. Sounds from memory or a resource (no name to record) are recorded empty too.
KX2_EXPORT BOOL PlaySoundW(LPCWSTR pszSound, HMODULE hmod, DWORD fdwSound);

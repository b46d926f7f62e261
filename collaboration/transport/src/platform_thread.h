// Platform threads for code whose files include ACE (whose headers and the platform's kernel
// header do not mix in one file).
#pragma once

namespace TDRL {

// Starts body(argument) on a new platform thread; null when it could not start.
void* StartPlatformThread(void (*body)(void*), void* argument);
// Waits for the thread to end and frees its handle.
void JoinPlatformThread(void* thread);

}  // namespace TDRL

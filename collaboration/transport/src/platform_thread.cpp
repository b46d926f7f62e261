#include "platform_thread.h"

#include <win/kernel.h>

namespace TDRL {
namespace {

struct Start {
  void (*body)(void*);
  void* argument;
};

DWORD ThreadMain(void* start) {
  const Start s = *static_cast<Start*>(start);
  delete static_cast<Start*>(start);
  s.body(s.argument);
  return 0;
}

}  // namespace

void* StartPlatformThread(void (*body)(void*), void* argument) {
  auto* start = new Start{body, argument};
  HANDLE thread = CreateThread(nullptr, 0, ThreadMain, start, 0, nullptr);
  if (!thread) delete start;
  return thread;
}

void JoinPlatformThread(void* thread) {
  if (!thread) return;
  WaitForSingleObject(static_cast<HANDLE>(thread), INFINITE);
  CloseHandle(static_cast<HANDLE>(thread));
}

}  // namespace TDRL

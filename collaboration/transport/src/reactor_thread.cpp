#include "reactor_thread.h"

#include <mutex>

#include <win/kernel.h>

namespace TDRL::ClientModule {
namespace {

std::mutex threadLock;
HANDLE reactorThread = nullptr;

DWORD ReactorThreadMain(void*) { return static_cast<DWORD>(RunReactorLoop()); }

}  // namespace

void StartReactorThread() {
  std::lock_guard hold(threadLock);
  if (reactorThread) return;
  ResetReactorLoop();  // before the thread: a stop right after the start is not lost
  reactorThread = CreateThread(nullptr, 0, ReactorThreadMain, nullptr, 0, nullptr);
}

void StopReactorThread() {
  std::lock_guard hold(threadLock);
  if (!reactorThread) return;
  EndReactorLoop();
  WaitForSingleObject(reactorThread, INFINITE);
  CloseHandle(reactorThread);
  reactorThread = nullptr;
}

// The library's unload ends the loop and joins the thread while ACE is still there.
__attribute__((destructor)) void StopReactorAtUnload() { StopReactorThread(); }

bool ReactorThreadRunning() {
  std::lock_guard hold(threadLock);
  return reactorThread != nullptr;
}

}  // namespace TDRL::ClientModule

// EndDialog from another thread (a worker that finished or was cancelled) ends the modal
// loop on the dialog's own thread with its result.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "dialog_test_support.h"
#include "kx2/IdleHandler.h"
#include "win/kernel.h"

namespace {

struct EndRun {
  DWORD uiThread = 0;
  std::thread worker;
  std::mutex lock;
  std::condition_variable changed;
  bool loopEnded = false;

  void EndLoop() {
    std::lock_guard<std::mutex> guard(lock);
    loopEnded = true;
    changed.notify_all();
  }
};
EndRun* g_run = nullptr;

INT_PTR CALLBACK StartWorker(HWND dlg, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  g_run->worker = std::thread([dlg] {
    EndDialog(dlg, 5);
    // Should the post be lost, the loop is ended another way rather than left waiting.
    std::unique_lock<std::mutex> held(g_run->lock);
    if (!g_run->changed.wait_for(held, std::chrono::seconds(5), [] { return g_run->loopEnded; }))
      PostThreadMessageW(g_run->uiThread, WM_QUIT, 0, 0);
  });
  return TRUE;
}

TEST(DialogEndThreads, EndDialogFromAWorkerEndsTheModalLoopWithItsResult) {
  const UINT windowsAtStart = Kx2LiveWindowCount();
  EndRun run;
  run.uiThread = GetCurrentThreadId();
  g_run = &run;
  const std::vector<BYTE> bytes = dlgtest::TemplateWriter(true, WS_POPUP, 0, 0, 50, 50).Bytes();
  const INT_PTR result =
      DialogBoxIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr, &StartWorker, 0);
  run.EndLoop();
  run.worker.join();
  g_run = nullptr;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(result, 5);
  EXPECT_EQ(Kx2LiveWindowCount(), windowsAtStart);
}

}  // namespace

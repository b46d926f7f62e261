// Two threads taking the skin off the same windows: each object is detached and released
// once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <win/afx.h>
#include <win/user.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_object.h"

namespace {
std::atomic<int> g_detaches{0};
std::atomic<int> g_freed{0};
}  // namespace

class CKtkCountingSkinObject : public CKtkSkinObject {
  DECLARE_DYNCREATE(CKtkCountingSkinObject)
 public:
  ~CKtkCountingSkinObject() override { ++g_freed; }
  void OnHookDetached(BOOL destroying) override {
    ++g_detaches;
    CKtkSkinObject::OnHookDetached(destroying);
  }
};
IMPLEMENT_DYNCREATE(CKtkCountingSkinObject, CKtkSkinObject)

namespace {

LRESULT AppProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(SkinManagerThreads, RacingRemovesDetachEachObjectOnce) {
  CKtkSkinManager* manager = KtkSkinManager();
  ASSERT_NE(manager, nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &AppProc;
  wc.lpszClassName = u"KtkCountingWindow";
  RegisterClassW(&wc);
  manager->RegisterObjectClass(u"KtkCountingWindow", RUNTIME_CLASS(CKtkCountingSkinObject));
  constexpr int kWindows = 200;
  std::vector<HWND> windows;
  for (int i = 0; i < kWindows; ++i)
    windows.push_back(
        CreateWindowExW(0, u"KtkCountingWindow", u"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  for (HWND w : windows) ASSERT_NE(manager->Lookup(w), nullptr);
  std::atomic<bool> go{false};
  auto removeAll = [&] {
    while (!go) std::this_thread::yield();
    for (HWND w : windows) manager->Remove(w);
  };
  std::thread a(removeAll), b(removeAll);
  go = true;
  a.join();
  b.join();
  EXPECT_EQ(g_detaches.load(), kWindows);
  EXPECT_EQ(g_freed.load(), kWindows);
  for (HWND w : windows) DestroyWindow(w);
}

}  // namespace

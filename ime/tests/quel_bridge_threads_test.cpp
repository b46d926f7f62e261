// The bridge belongs to the thread that prepared it.
#include <thread>

#include "bridge/module_entry.h"
#include "quel_test_support.h"

namespace {

using queltest::BridgeTest;
using queltest::BridgeUp;

class QuelBridgeThreads : public BridgeTest {
 protected:
  LRESULT Control(UINT sub, UINT op, LPARAM value = 0) {
    return _ExpImControl(nullptr, QUEL_WM_CONTROL, (static_cast<WPARAM>(sub) << 16) | op, value);
  }
};

TEST_F(QuelBridgeThreads, OtherThreadsGetNothing) {
  HWND host = MakeWindow();
  ASSERT_TRUE(_ExpImPrepare(host));
  LRESULT fromThere = -1;
  std::thread other([&] { fromThere = Control(0x0004, 0x0002); });
  other.join();
  EXPECT_EQ(fromThere, 0);
  EXPECT_EQ(Control(0x0004, 0x0002), 2048);
}

TEST_F(QuelBridgeThreads, DetachOnAnotherThreadLeavesTheWindowAlone) {
  HWND host = MakeWindow();
  HWND bridge = _ExpImPrepare(host);
  ASSERT_TRUE(bridge);
  std::thread other([] { quel::QuelProcessDetach(); });
  other.join();
  EXPECT_TRUE(IsWindow(bridge)) << "another thread cannot destroy the window";
  EXPECT_FALSE(BridgeUp());
  DestroyWindow(bridge);
  quel::QuelProcessAttach(nullptr);
}

}  // namespace

// The skinned menus' sounds reach the platform's sound sink from the player's thread: the
// popup's when it opens, the command's when an item is chosen.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <kx2/SoundSink.h>

#include "menu_test_support.h"
#include "ornatex/menu/menu_loop.h"

namespace {

using namespace menutest;

// Waits (with a deadline) until the sink has recorded the sound; the records taken so far
// are kept in `seen`.
bool WaitForSound(const std::u16string& sound, std::vector<std::u16string>& seen) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    for (const kx2::SoundRecord& r : kx2::TakeSounds()) seen.push_back(r.sound);
    for (const std::u16string& s : seen)
      if (s == sound) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
}

class SkinMenuSounds : public MenuTest {};

TEST_F(SkinMenuSounds, PopupAndCommandSoundsReachTheSink) {
  KtkMenuSoundPlayer().Enable(true);
  kx2::TakeSounds();
  HWND w = Owner();
  HMENU menu = Popup({{1, u"&One"}, {2, u"&Two"}});
  std::vector<std::u16string> seen;
  bool popup = false;
  Script script;
  script.steps = {[&] { popup = WaitForSound(u"MenuPopup", seen); }, [] { Key(VK_DOWN); }, [] { Key(VK_RETURN); }};
  script.Start(w);
  CKtkSkinMenuLoop* loop = CKtkSkinMenuLoop::Create(w);
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->Track(menu, TPM_RETURNCMD, 150, 150, w, nullptr), 1u);
  loop->Free();
  Kx2SetIdleHandler(nullptr, nullptr);
  EXPECT_TRUE(popup);
  EXPECT_TRUE(WaitForSound(u"MenuCommand", seen));
}

}  // namespace

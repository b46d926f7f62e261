// The menu-sound player's thread, and the library stop that ends it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <kx2/SoundSink.h>
#include <win/kernel.h>
#include <win/mmsystem.h>
#include <win/processthreads.h>
#include <win/user_system.h>

#include "ornatex/core/menu_sound.h"
#include "ornatex/core/process.h"
#include "ornatex/draw/color_manager.h"

namespace {

// The sounds recorded so far, waiting up to a deadline for `count` of them.
std::vector<kx2::SoundRecord> WaitForSounds(size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (kx2::PendingSounds() < count && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  return kx2::TakeSounds();
}

TEST(MenuSound, RequestsPlayTheirAliasesAndStopEndsTheThread) {
  kx2::TakeSounds();
  CKtkMenuSoundPlayer player;
  player.Play(KTK_MENUSOUND_COMMAND);
  auto sounds = WaitForSounds(1);
  ASSERT_EQ(sounds.size(), 1u);
  EXPECT_EQ(sounds[0].sound, u"MenuCommand");
  EXPECT_EQ(sounds[0].flags & (SND_ALIAS | SND_NODEFAULT), static_cast<DWORD>(SND_ALIAS | SND_NODEFAULT));
  HANDLE thread = player.ThreadHandle();
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_BELOW_NORMAL);
  player.Play(KTK_MENUSOUND_POPUP);
  sounds = WaitForSounds(1);
  ASSERT_EQ(sounds.size(), 1u);
  EXPECT_EQ(sounds[0].sound, u"MenuPopup");
  EXPECT_TRUE(player.Stop());
  sounds = kx2::TakeSounds();
  ASSERT_EQ(sounds.size(), 1u);  // leaving, the thread purges what still plays
  EXPECT_TRUE(sounds[0].sound.empty());
  EXPECT_EQ(player.ThreadHandle(), nullptr);
}

TEST(MenuSound, DisabledPlayerStartsNoThread) {
  CKtkMenuSoundPlayer player;
  player.Enable(false);
  player.Play(KTK_MENUSOUND_POPUP);
  EXPECT_EQ(player.ThreadHandle(), nullptr);
  EXPECT_TRUE(player.Stop());
}

TEST(OrnatexProcess, DetachStopsTheSoundThreadAndFreesTheProcessObjects) {
  kx2::TakeSounds();
  KtkMenuSoundPlayer().Play(KTK_MENUSOUND_COMMAND);
  ASSERT_EQ(WaitForSounds(1).size(), 1u);
  const DWORD tid = GetThreadId(KtkMenuSoundPlayer().ThreadHandle());
  ASSERT_NE(tid, 0u);
  const std::string task = "/proc/self/task/" + std::to_string(tid);
  ASSERT_EQ(access(task.c_str(), F_OK), 0);
  const COLORREF face = KtkColorManager().LookupColor(COLOR_BTNFACE);
  OrnatexProcessDetach();
  // The thread has ended its work; the system takes a moment more to let it go.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (access(task.c_str(), F_OK) == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  EXPECT_NE(access(task.c_str(), F_OK), 0);
  OrnatexProcessAttach();
  EXPECT_EQ(KtkColorManager().LookupColor(COLOR_BTNFACE), face);  // made again on use
  EXPECT_EQ(KtkMenuSoundPlayer().ThreadHandle(), nullptr);
}

}  // namespace

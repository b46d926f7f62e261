// The menu-sound player: a thread of its own plays the system sounds of menu commands and
// popups, so that the menu never waits for a sound.
#pragma once

#include <memory>

#include <win/types.h>

#include "ornatex/export.h"

#define KTK_MENUSOUND_COMMAND 1
#define KTK_MENUSOUND_POPUP 2

class ORNATEX_API CKtkMenuSoundPlayer {
 public:
  CKtkMenuSoundPlayer();
  ~CKtkMenuSoundPlayer();  // stops the thread
  CKtkMenuSoundPlayer(const CKtkMenuSoundPlayer&) = delete;
  CKtkMenuSoundPlayer& operator=(const CKtkMenuSoundPlayer&) = delete;

  // 1 plays "MenuCommand", 2 "MenuPopup"; the thread starts with the first request.
  void Play(int request);
  // Sets the stop flag, wakes the thread and waits up to ten times 100 ms for it to end.
  // A thread that has not ended by then is left to end by itself (it owns what it still
  // uses); it is never terminated. True when the thread ended within the wait.
  bool Stop();
  void Enable(bool enabled) { enabled_ = enabled; }
  bool IsEnabled() const { return enabled_; }
  HANDLE ThreadHandle() const { return thread_; }

  struct Shared;  // what the thread and the player share

 private:
  std::shared_ptr<Shared> shared_;
  HANDLE thread_ = nullptr;
  bool enabled_ = true;
};

// The single instance, made on first use and stopped when the library stops.
ORNATEX_API CKtkMenuSoundPlayer& KtkMenuSoundPlayer();

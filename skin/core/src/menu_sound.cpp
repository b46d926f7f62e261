#include "ornatex/core/menu_sound.h"

#include <atomic>

#include <win/kernel.h>
#include <win/mmsystem.h>
#include <win/processthreads.h>

#include "process_objects.h"

struct CKtkMenuSoundPlayer::Shared {
  std::atomic<int> request{0};
  std::atomic<bool> stop{false};
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // manual reset
  ~Shared() {
    if (event) CloseHandle(event);
  }
};

namespace {

std::unique_ptr<CKtkMenuSoundPlayer>& PlayerSlot() {
  static auto* slot = new std::unique_ptr<CKtkMenuSoundPlayer>;  // emptied by the library stop, never destroyed
  return *slot;
}

constexpr DWORD kStopWaitSteps = 10;
constexpr DWORD kStopWaitStepMs = 100;

DWORD SoundThread(LPVOID parameter) {
  // The thread holds its own reference: a player that gave up waiting may be gone.
  using SharedRef = std::shared_ptr<CKtkMenuSoundPlayer::Shared>;
  const SharedRef shared = *std::unique_ptr<SharedRef>(static_cast<SharedRef*>(parameter));
  while (!shared->stop.load()) {
    ResetEvent(shared->event);
    const int request = shared->request.exchange(0);
    if (request == KTK_MENUSOUND_COMMAND)
      PlaySoundW(u"MenuCommand", nullptr, SND_ALIAS | SND_NODEFAULT | SND_NOWAIT | SND_ASYNC);
    else if (request == KTK_MENUSOUND_POPUP)
      PlaySoundW(u"MenuPopup", nullptr, SND_ALIAS | SND_NODEFAULT | SND_NOWAIT | SND_ASYNC);
    if (shared->stop.load() || shared->request.load() != 0) continue;
    WaitForSingleObject(shared->event, INFINITE);
  }
  PlaySoundW(nullptr, nullptr, SND_PURGE);
  return 0;
}

}  // namespace

CKtkMenuSoundPlayer& KtkMenuSoundPlayer() {
  auto& slot = PlayerSlot();
  if (!slot) slot = std::make_unique<CKtkMenuSoundPlayer>();
  return *slot;
}

namespace ornatex {

void ReleaseMenuSoundPlayer() { PlayerSlot().reset(); }

}  // namespace ornatex

CKtkMenuSoundPlayer::CKtkMenuSoundPlayer() : shared_(std::make_shared<Shared>()) {}

CKtkMenuSoundPlayer::~CKtkMenuSoundPlayer() { Stop(); }

void CKtkMenuSoundPlayer::Play(int request) {
  if (!enabled_ || !shared_->event) return;
  if (!thread_) {
    auto* parameter = new std::shared_ptr<Shared>(shared_);
    thread_ = CreateThread(nullptr, 0, SoundThread, parameter, CREATE_SUSPENDED, nullptr);
    if (!thread_) {
      delete parameter;
      return;
    }
    SetThreadPriority(thread_, THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(thread_);
  }
  shared_->request.store(request);
  SetEvent(shared_->event);
}

bool CKtkMenuSoundPlayer::Stop() {
  if (!thread_) return true;
  shared_->stop.store(true);
  SetEvent(shared_->event);
  bool ended = false;
  for (DWORD i = 0; i < kStopWaitSteps && !ended; ++i)
    ended = WaitForSingleObject(thread_, kStopWaitStepMs) == WAIT_OBJECT_0;
  CloseHandle(thread_);
  thread_ = nullptr;
  // A later request starts a new thread with a fresh state.
  shared_ = std::make_shared<Shared>();
  return ended;
}

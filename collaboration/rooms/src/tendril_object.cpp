#include "tendril_object.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>

#include <basalt/path_util.h>
#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>
#include <win/shell.h>

#include "local_address.h"
#include "reactor_thread.h"
#include "meeting_room.h"

namespace TDRL {
namespace {

std::atomic<Tendril*> theTendril{nullptr};
// Serialises making and destroying the object; lookups read the pointer alone.
std::mutex lifetimeLock;

// "${Temp}\" expanded, then "Taloria" (the variable already ends with a separator).
std::u16string CollaborationFolder() {
  char16_t expanded[MAX_PATH] = {};
  Basalt::Util::PathUtil::_PathToAbsolute(u"${Temp}\\", expanded);
  if (!expanded[0]) return {};
  return std::u16string(expanded) + u"Taloria";
}

std::u16string CoEditFolder() {
  const std::u16string base = CollaborationFolder();
  return base.empty() ? base : base + u"\\CoEditTemp\\";
}

void DeleteCoEditFolder() {
  std::u16string folder = CoEditFolder();
  if (folder.empty()) return;
  folder.pop_back();        // without the trailing separator: the folder itself goes
  folder.push_back(u'\0');  // the list of names ends with a further zero
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = folder.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;  // 0x0414
  SHFileOperationW(&op);
}

}  // namespace

Tendril* CurrentTendril() { return theTendril.load(std::memory_order_acquire); }

namespace {
std::mutex holdLock;
std::condition_variable holdsChanged;
int holds = 0;
}  // namespace

Tendril* HoldTendril() {
  std::lock_guard hold(holdLock);
  Tendril* tendril = theTendril.load(std::memory_order_acquire);
  if (tendril) ++holds;
  return tendril;
}

void ReleaseTendril() {
  std::lock_guard hold(holdLock);
  if (--holds == 0) holdsChanged.notify_all();
}

Tendril::Tendril() : manager_(XmppConfiguration::FromEnvironment()) {}

Tendril::~Tendril() {
  // Rooms left by a host that skipped Uninit go now, while the UI service still exists.
  manager_.DeleteAllRooms();
}

bool Tendril::Init() {
  OutputDebugStringA("_InitTendril();\n");
  DeleteCoEditFolder();
  const std::u16string base = CollaborationFolder();
  if (!base.empty()) {
    // With the folders above them: a temporary folder not made yet must not leave the
    // co-edit folder missing.
    Basalt::Util::PathUtil::_CreateFullPath(base.c_str());
    Basalt::Util::PathUtil::_CreateFullPath(CoEditFolder().c_str());
  }
  manager_.SetTendril(this);
  ui_.SetTendril(this);
  localAddress_ = Utf8ToWide(ReadLocalHostAddress());
  return true;
}

bool Tendril::Uninit() {
  manager_.DeleteAllRooms();
  // The server links' reactor thread ends with the rooms it served.
  ClientModule::StopReactorThread();
  DeleteCoEditFolder();
  TendrilUIService::FreeStateFlags();
  return true;
}

int Tendril::NotifyAllRooms(int value) {
  if (HostRoomsTakeNotices() == 0) return 0;
  if (!manager_.HasRooms()) return 0;
  manager_.ForEachRoom([value](MeetingRoom* room) { room->ForwardToCoEdit(value); });
  return 1;
}

}  // namespace TDRL

extern "C" ITendril* GetTendrilInterface() {
  return kx2::Guard(static_cast<ITendril*>(nullptr), []() -> ITendril* {
    std::lock_guard hold(TDRL::lifetimeLock);
    if (TDRL::Tendril* existing = TDRL::theTendril.load()) return existing;
    auto* made = new (std::nothrow) TDRL::Tendril();
    if (!made) return nullptr;
    TDRL::theTendril.store(made, std::memory_order_release);
    made->Init();
    return made;
  });
}

extern "C" void DestroyTendril() {
  kx2::Guard([] {
    std::lock_guard hold(TDRL::lifetimeLock);
    TDRL::Tendril* gone = nullptr;
    {
      // No new hold finds it; the holds taken before end first.
      std::unique_lock hold(TDRL::holdLock);
      gone = TDRL::theTendril.exchange(nullptr);
      TDRL::holdsChanged.wait(hold, [] { return TDRL::holds == 0; });
    }
    delete gone;
  });
}

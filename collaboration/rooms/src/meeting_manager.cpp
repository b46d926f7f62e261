#include "meeting_manager.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <win/kernel.h>

#include "meeting_room.h"
#include "xmpp_transport.h"
#include "tendril_object.h"

namespace TDRL {
namespace {

// Room identifiers are unique for the whole process: a new Tendril object goes on counting.
std::atomic<int> lastRoomId{0};

// Any fixed word of nine lower-case letters: the login is anonymous and the server does not
// check it.
constexpr char kPassword[] = "tendrilpw";
static_assert(sizeof kPassword == 10);

void Trace(const std::string& text) { OutputDebugStringA((text + "\n").c_str()); }

}  // namespace

XmppConfiguration XmppConfiguration::FromEnvironment() {
  XmppConfiguration c;
  if (const char* v = std::getenv("KX2_TENDRIL_DOMAIN"); v && *v) c.domain = v;
  if (const char* v = std::getenv("KX2_TENDRIL_XMPP"); v && *v) {
    std::string text(v);
    const size_t colon = text.rfind(':');
    if (colon != std::string::npos && colon + 1 < text.size()) {
      const int port = std::atoi(text.c_str() + colon + 1);
      if (port > 0 && port < 65536) c.serverPort = port;
      text.resize(colon);
    }
    if (!text.empty()) c.serverHost = text;
  }
  if (const char* v = std::getenv("KX2_TENDRIL_PUBLIC_MAIL"); v && *v) c.publicMailDomain = v;
  return c;
}

XmppMeetingManager::~XmppMeetingManager() {
  // The rooms go with the object that holds them, so none is left pointing at it.
  DeleteAllRooms();
  DestroyXmppRuntime(runtime_);
}

XmppSettings XmppMeetingManager::BuildSettings() {
  XmppSettings settings;
  settings.host = configuration_.domain;
  settings.password = kPassword;
  settings.resource = "Taloria";
  settings.serverHost = configuration_.serverHost;
  settings.serverPort = configuration_.serverPort;
  settings.useTls = false;
  settings.allowPlainLogin = true;

  IVtlCollabHost* host = tendril_ ? tendril_->GetHostObject() : nullptr;
  IVtlCollabAccount* account = host ? host->GetAccount() : nullptr;
  if (account && account->IsSignedIn()) {
    const std::string mail = WideToUtf8(account->GetMailAddress());
    Trace("user: " + mail);
    const size_t at = mail.find('@');
    settings.user = at == std::string::npos ? mail : mail.substr(0, at);
    if (!configuration_.publicMailDomain.empty() && mail.find(configuration_.publicMailDomain) != std::string::npos) {
      settings.resource = "Taloria_GOOGLE";
    }
  } else if (tendril_) {
    settings.user = WideToUtf8(tendril_->GetLocalAddress());
  }
  Trace("domain: " + settings.host);
  return settings;
}

int XmppMeetingManager::CreateMeetingRoom(const char* roomName) {
  const XmppSettings settings = BuildSettings();
  auto room = std::make_unique<MeetingRoom>(tendril_);
  if (!runtime_) runtime_ = CreateXmppRuntime();
  room->Open(++lastRoomId, roomName ? roomName : "", settings, runtime_);
  const int id = room->Information().Working().GetId();
  std::lock_guard hold(roomsLock_);
  rooms_.push_back(room.release());
  return id;
}

void XmppMeetingManager::RemoveMeetingRoom(IMeetingRoom* room) {
  MeetingRoom* found = nullptr;
  {
    std::lock_guard hold(roomsLock_);
    auto it = std::find(rooms_.begin(), rooms_.end(), room);
    if (it == rooms_.end()) return;
    found = *it;
    rooms_.erase(it);
  }
  found->WaitUnused();
  delete found;
}

void XmppMeetingManager::DeleteAllRooms() {
  std::vector<MeetingRoom*> rooms;
  {
    std::lock_guard hold(roomsLock_);
    rooms.swap(rooms_);
  }
  for (MeetingRoom* room : rooms) {
    room->WaitUnused();
    delete room;
  }
}

bool XmppMeetingManager::HasRooms() {
  std::lock_guard hold(roomsLock_);
  return !rooms_.empty();
}

MeetingRoom* XmppMeetingManager::FindByNameLocked(const char* name) {
  if (!name) return nullptr;
  for (MeetingRoom* room : rooms_) {
    if (std::strcmp(room->Information().Working().GetRoomName(), name) == 0) return room;
  }
  return nullptr;
}

MeetingRoom* XmppMeetingManager::UseRoomByName(const char* name) {
  std::lock_guard hold(roomsLock_);
  MeetingRoom* room = FindByNameLocked(name);
  if (room) room->AddUse();
  return room;
}

IMeetingRoom* XmppMeetingManager::FindMeetingRoomByName(const char* name) {
  std::lock_guard hold(roomsLock_);
  return FindByNameLocked(name);
}

IMeetingRoom* XmppMeetingManager::FindMeetingRoomById(int id) {
  std::lock_guard hold(roomsLock_);
  for (MeetingRoom* room : rooms_) {
    if (room->Information().Working().GetId() == id) return room;
  }
  return nullptr;
}

IMeetingRoom* XmppMeetingManager::GetFirstMeetingRoom() {
  std::lock_guard hold(roomsLock_);
  return rooms_.empty() ? nullptr : rooms_.front();
}

IMeetingRoom* XmppMeetingManager::GetNextMeetingRoom(IMeetingRoom* room) {
  std::lock_guard hold(roomsLock_);
  auto it = std::find(rooms_.begin(), rooms_.end(), room);
  if (it == rooms_.end() || ++it == rooms_.end()) return nullptr;
  return *it;
}

int XmppMeetingManager::GetMeetingRoomId(const char* name) {
  std::lock_guard hold(roomsLock_);
  MeetingRoom* room = FindByNameLocked(name);
  return room ? room->Information().Working().GetId() : -1;
}

}  // namespace TDRL

// The meeting manager: makes, opens, finds, walks and removes the process's meeting rooms.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <tendril/tendril_interfaces.h>

#include "member_info.h"
#include "shared_unknown.h"

namespace TDRL {

class MeetingRoom;
class Tendril;
class XmppRuntime;

// The configured ends of a room's connection, read when the Tendril object is built.
struct XmppConfiguration {
  std::string domain = "collab.test";
  std::string serverHost = "127.0.0.1";
  int serverPort = 5222;
  std::string publicMailDomain;  // empty: no provider's users get the "_GOOGLE" resource

  static XmppConfiguration FromEnvironment();
};

class XmppMeetingManager : public IXmppMeetingManager {
 public:
  explicit XmppMeetingManager(XmppConfiguration configuration) : configuration_(std::move(configuration)) {}
  ~XmppMeetingManager() override;
  XmppMeetingManager(const XmppMeetingManager&) = delete;
  XmppMeetingManager& operator=(const XmppMeetingManager&) = delete;

  int CreateMeetingRoom(const char* roomName) override;
  void RemoveMeetingRoom(IMeetingRoom* room) override;
  IMeetingRoom* FindMeetingRoomByName(const char* name) override;
  IMeetingRoom* FindMeetingRoomById(int id) override;
  IMeetingRoom* GetFirstMeetingRoom() override;
  IMeetingRoom* GetNextMeetingRoom(IMeetingRoom* room) override;
  int GetMeetingRoomId(const char* name) override;
  TDRL_SHARED_UNKNOWN

  void SetTendril(Tendril* tendril) { tendril_ = tendril; }
  // Deletes every room in list order and empties the list.
  void DeleteAllRooms();
  bool HasRooms();
  // Calls f on every room in list order under the list's lock.
  template <class F>
  void ForEachRoom(F&& f) {
    std::lock_guard hold(roomsLock_);
    for (MeetingRoom* room : rooms_) f(room);
  }
  // The room of that name with a use added (under the list's lock), or null; the caller ends
  // the use. Removal waits for the room's uses to end.
  MeetingRoom* UseRoomByName(const char* name);
  // The settings a new room connects with.
  XmppSettings BuildSettings();

 private:
  MeetingRoom* FindByNameLocked(const char* name);

  // The reactor thread looks rooms up while the host creates and removes them; the list's
  // lock comes before any room's own lock.
  // The XMPP I/O thread and the poster to this manager's thread, made with the first room.
  XmppRuntime* runtime_ = nullptr;
  std::recursive_mutex roomsLock_;
  std::vector<MeetingRoom*> rooms_;
  Tendril* tendril_ = nullptr;
  XmppConfiguration configuration_;
};

}  // namespace TDRL

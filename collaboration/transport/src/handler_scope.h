// What a server message handler holds while it drives a room: the Tendril object and the room
// the packet names, both kept from going until the handler has returned.
#pragma once

#include <string>
#include <string_view>

namespace TDRL {

class MeetingRoom;
class Packet;
class Tendril;

namespace ClientModule {

class RoomScope {
 public:
  explicit RoomScope(std::string_view roomName);
  ~RoomScope();
  RoomScope(const RoomScope&) = delete;
  RoomScope& operator=(const RoomScope&) = delete;

  explicit operator bool() const { return room_ != nullptr; }
  MeetingRoom* room() const { return room_; }

  // Whether the name is the room's own member's (same UTF-16 units).
  bool IsLocalUser(std::u16string_view user) const;
  int RoomId() const;
  // Pushes a UI event for the room.
  void Post(int type, int first, int secondAndThird = 0);
  // Queues the packet on the room's sending channel.
  bool Send(Packet& packet);

 private:
  Tendril* tendril_ = nullptr;
  MeetingRoom* room_ = nullptr;
};

}  // namespace ClientModule
}  // namespace TDRL

#include "link_opening.h"

#include <cstring>
#include <memory>
#include <string>

#include <tendril/packet.h>
#include <tendril/packet_types.h>
#include <tendril/tendril_interfaces.h>

namespace TDRL {

bool BuildOpeningPacket(IMeetingRoom* room, Packet& packet) {
  if (!room) return false;
  IInformationUnit* info = room->GetInformationUnit();
  IWorkingRoomInfo* working = info ? info->GetWorkingRoomInfo() : nullptr;
  IMemberInfo* own = info ? info->GetOwnMemberInfo() : nullptr;
  if (!working || !own) return false;
  std::unique_ptr<char16_t[]> user(own->GetUserName());
  const std::u16string name = user ? user.get() : u"";
  const char* roomName = working->GetRoomName();
  PacketLockScope hold(PacketLock::Get());
  if (!CreatePacket(kPacketOpening, 0, nullptr, 0, packet)) return false;
  packet.AppendBytes(std::strlen(roomName) + 1, roomName);
  packet.AppendWString(name.c_str(), name.size() + 1);
  return packet.IsUsable();
}

}  // namespace TDRL

// The packet a server link opens with.
#pragma once

class IMeetingRoom;

namespace TDRL {

class Packet;

// Type 2: the room's name (narrow) and its own member's user name (wide); false when the room,
// its working information or its own member is missing.
bool BuildOpeningPacket(IMeetingRoom* room, Packet& packet);

}  // namespace TDRL

// What tests give a room in place of its chat transport.
#pragma once

#include <tendril/tendril_interfaces.h>

// Gives the room's network peer a sender of the test's own in place of the chat client (null
// takes it away); false for an object that is not one of this library's rooms.
TENDRIL_API bool TDRL_SetRoomSenderForTest(IMeetingRoom* room, TDRL::ISender* sender);

// The statistics transfers the UI service has running.
TENDRIL_API size_t TDRL_RunningStatisticsForTest(ITendrilUIService* ui);

namespace TDRL {
class Packet;
}

// Hands a received packet to the item receiver of the room's sender for the selector (made
// first when missing), as the server link's handlers do; the receiver's answer. The receiver
// takes the packet's block when it keeps the packet.
TENDRIL_API bool TDRL_ReceiveItemPacketForTest(IMeetingRoom* room, ItemSelector selector, TDRL::Packet& packet);
// The room's item senders.
TENDRIL_API size_t TDRL_ItemSenderCountForTest(IMeetingRoom* room);
// Packets waiting in the item receiver of the selector's sender; 0 when there is no sender.
TENDRIL_API size_t TDRL_QueuedItemPacketsForTest(IMeetingRoom* room, ItemSelector selector);
// 6 once the room's XMPP login was refused, else 0.
TENDRIL_API int TDRL_RoomLoginErrorForTest(IMeetingRoom* room);
// Queues the packet on the room's sending channel, as the room's own objects do.
TENDRIL_API bool TDRL_SendThroughRoomForTest(IMeetingRoom* room, TDRL::Packet& packet);

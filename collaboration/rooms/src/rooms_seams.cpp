// What tests reach of the rooms' co-editing objects beyond their interfaces.
#include <tendril/rooms_testing.h>

#include "item_sender.h"
#include "meeting_room.h"

bool TDRL_ReceiveItemPacketForTest(IMeetingRoom* room, ItemSelector selector, TDRL::Packet& packet) {
  auto* meeting = dynamic_cast<TDRL::MeetingRoom*>(room);
  if (!meeting) return false;
  auto* manager = static_cast<TDRL::CoEditManager*>(meeting->GetCoEditManager());
  return manager->Sender(selector)->Receiver().Receive(packet);
}

size_t TDRL_ItemSenderCountForTest(IMeetingRoom* room) {
  auto* meeting = dynamic_cast<TDRL::MeetingRoom*>(room);
  return meeting ? static_cast<TDRL::CoEditManager*>(meeting->GetCoEditManager())->SenderCount() : 0;
}

size_t TDRL_QueuedItemPacketsForTest(IMeetingRoom* room, ItemSelector selector) {
  auto* meeting = dynamic_cast<TDRL::MeetingRoom*>(room);
  auto sender = meeting ? meeting->CoEdit().FindSender(selector) : nullptr;
  return sender ? sender->Receiver().QueuedPackets() : 0;
}

int TDRL_RoomLoginErrorForTest(IMeetingRoom* room) {
  auto* meeting = dynamic_cast<TDRL::MeetingRoom*>(room);
  return meeting ? meeting->Peer().LoginError() : 0;
}

bool TDRL_SendThroughRoomForTest(IMeetingRoom* room, TDRL::Packet& packet) {
  auto* meeting = dynamic_cast<TDRL::MeetingRoom*>(room);
  return meeting && meeting->Collaboration().Queue(packet);
}

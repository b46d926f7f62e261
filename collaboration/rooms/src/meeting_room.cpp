#include "meeting_room.h"

#include <tendril/rooms_testing.h>

#include <string>

#include <tendril/packet.h>
#include <tendril/packet_types.h>

namespace TDRL {

bool CollaborationUnit::Queue(Packet& packet) {
  ISender* sender = channel_ ? channel_->Client() : nullptr;
  if (!sender || !packet.IsUsable()) return false;
  return sender->Send(packet);
}

MeetingRoom::MeetingRoom(ITendril* tendril)
    : collaboration_(this), information_(this), workbook_(this), coEdit_(this), chat_(this), tendril_(tendril) {}

MeetingRoom::~MeetingRoom() {
  // The peer goes first so that nothing arrives for the units while they are torn down.
  peer_.Disconnect();
  connected_ = false;
  collaboration_.SetChannel(nullptr);
  // The item senders go with their transfers while the book they report to is still here.
  coEdit_.DropSenders();
}

void MeetingRoom::Open(int id, const char* roomName, const XmppSettings& settings, XmppRuntime* runtime) {
  std::lock_guard hold(lock_);
  firstFlag_ = 0;
  WorkingRoomInfo& working = information_.Working();
  working.SetSecondFlag(0);
  working.SetId(id);
  working.SetRoomName(roomName);
  information_.Own().Settings() = settings;
  // The room is named by its stored (lower-case) name.
  peer_.Connect(this, settings, working.GetRoomName(), runtime);
  connected_ = true;
  collaboration_.SetChannel(&peer_);
}

bool MeetingRoom::NotifySyncBookFinished() {
  std::lock_guard hold(lock_);
  Packet packet;
  PacketLockScope packetHold(PacketLock::Get());
  if (!CreatePacket(kPacketSyncBookFinished, 0, nullptr, 0, packet)) return true;
  AppendRoomAndUser(packet);
  collaboration_.Queue(packet);
  return true;
}

void MeetingRoom::AppendRoomAndUser(Packet& packet) {
  const char* name = information_.Working().GetRoomName();
  packet.AppendBytes(std::char_traits<char>::length(name) + 1, name);
  const std::u16string user = Utf8ToWide(information_.Own().UserNameUtf8());
  packet.AppendWString(user.c_str(), user.size() + 1);
}

void MeetingRoom::ForwardToCoEdit(int value) { coEdit_.Forward(value); }

void MeetingRoom::AddUse() {
  std::lock_guard hold(useLock_);
  ++uses_;
}

void MeetingRoom::EndUse() {
  std::lock_guard hold(useLock_);
  if (--uses_ == 0) useEnded_.notify_all();
}

void MeetingRoom::WaitUnused() {
  std::unique_lock hold(useLock_);
  useEnded_.wait(hold, [this] { return uses_ == 0; });
}

}  // namespace TDRL

bool TDRL_SetRoomSenderForTest(IMeetingRoom* room, TDRL::ISender* sender) {
  auto* meeting = dynamic_cast<TDRL::MeetingRoom*>(room);
  if (!meeting) return false;
  meeting->Peer().SetClientForTest(sender);
  return true;
}

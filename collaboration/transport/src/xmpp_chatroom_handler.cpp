#include <tendril/chat_transport.h>

#include <cctype>
#include <cstring>
#include <memory>

#include <kx2/Clock.h>
#include <tendril/packet.h>
#include <tendril/packet_types.h>

#include "callback_service.h"
#include "meeting_room.h"

namespace TDRL {
namespace {

// Unfinished chunk sequences older than this are forgotten.
constexpr uint32_t kStaleChunksMs = 5 * 60 * 1000;

uint32_t Now() { return static_cast<uint32_t>(Kx2ClockNow()); }

void Post(MeetingRoom* room, int32_t type, int32_t first, int32_t secondAndThird = 0) {
  const int id = room->Information().Working().GetId();
  room->GetTendril()->GetUIService()->PushUIEvent(MakeUIEvent(type, id, first, secondAndThird));
}

}  // namespace

std::string ChatRoomAddress(const std::string& roomName, const std::string& domain) {
  if (roomName.empty()) return {};
  std::string address;
  for (char c : roomName) {
    const auto u = static_cast<unsigned char>(c);
    // Characters an address's local part may not hold, and control characters.
    if (u < 0x20 || u == 0x7F || std::strchr(" \"&'/:<>@", c)) return {};
    address.push_back(static_cast<char>(std::tolower(u)));
  }
  return address + "@conference." + domain;
}

TendrilXmppChatroomHandler::TendrilXmppChatroomHandler(IMeetingRoom* room, ISender* self)
    : room_(dynamic_cast<MeetingRoom*>(room)), self_(self) {}

void TendrilXmppChatroomHandler::EnteredStatus(int status, const std::vector<std::string>& occupants,
                                               const std::string& ownNick) {
  if (status != 0 || !room_) return;
  ownNick_ = ownNick;
  InformationUnit& info = room_->Information();
  const int count = static_cast<int>(occupants.size());
  if (count == 0) {
    // The first in the room is its master and owns the book.
    room_->SetFirstFlag(1);
    Post(room_, kUIEventJoinedIdle, 1);
    const int asked = room_->GetWorkbookSyncManager()->RequestBookSync();
    room_->GetCollaborationUnit()->SetCoEditing(1);
    Post(room_, kUIEventSyncBook, asked == 1 ? 0 : 2, 1);
  }
  for (const std::string& nick : occupants) {
    MemberInfo member;
    member.SetNumber(nextNumber_++);
    member.Settings().user = nick;
    info.AddConnectedUser(&member);
  }
  info.Own().SetNumber(nextNumber_++);
  info.Working().SetSecondNumber(count + 1);
}

void TendrilXmppChatroomHandler::Opened() {
  if (room_) room_->MarkOpened();
}

void TendrilXmppChatroomHandler::Renamed(const std::string& nick) {
  ownNick_ = nick;
  if (!room_) return;
  std::lock_guard hold(room_->Lock());
  room_->Information().Own().Settings().user = nick;
}

void TendrilXmppChatroomHandler::MemberEntered(const std::string& nick) {
  if (!room_) return;
  InformationUnit& info = room_->Information();
  const int number = nextNumber_++;
  MemberInfo member;
  member.SetNumber(number);
  member.Settings().user = nick;
  info.AddConnectedUser(&member);
  info.Working().SetSecondNumber(number);
  ICoEditManager* coEdit = room_->GetCoEditManager();
  const bool wasPending = coEdit->IsCounterSet() != 0;
  coEdit->ChangeCounter(1);
  if (room_->GetFirstFlag()) {
    if (!room_->GetWorkbookSyncManager()->GetBook()) {
      // No book to give: the newcomer is refused its synchronisation.
      {
        std::lock_guard roomHold(room_->Lock());
        PacketLockScope hold(PacketLock::Get());
        Packet refused;
        if (CreatePacket(kPacketSyncBookFailed, 0, nullptr, 0, refused)) {
          const char* name = info.Working().GetRoomName();
          refused.AppendBytes(std::strlen(name) + 1, name);
          const std::u16string user = Utf8ToWide(nick);
          refused.AppendWString(user.c_str(), user.size() + 1);
          room_->Collaboration().Queue(refused);
        }
      }
      info.RemoveConnectedUser(number);
      coEdit->ChangeCounter(0);
      return;
    }
    if (!wasPending) Post(room_, kUIEventJoinedIdle, 2, number & 0xFFFF);
  }
  Post(room_, kUIEventMemberJoined, 0);
}

void TendrilXmppChatroomHandler::MemberExited(const std::string& nick) {
  reassembler_.DropSender(nick);
  if (!room_) return;
  InformationUnit& info = room_->Information();
  const int number = info.GetMemberNumber(Utf8ToWide(nick).c_str());
  info.RemoveConnectedUser(number);
  Post(room_, kUIEventMemberLeft, number);
}

void TendrilXmppChatroomHandler::MessageReceived(const ChatRoomMessage& message) {
  if (message.type != "groupchat" || message.delayed || message.sender == ownNick_) return;
  const uint32_t now = Now();
  reassembler_.DropStale(now, kStaleChunksMs);
  Packet packet;
  if (reassembler_.Add(message.sender, message.body, now, packet) != ChunkReassembler::Result::kComplete) return;
  if (packet.Type() == kPacketRejected) return;
  // The handlers' answers have no link to close here; a receiver keeps the packet by taking
  // its block, and whatever is left goes with the packet.
  ClientModule::ClientCallbackServiceForIS::Instance().Dispatch(self_, packet);
}

bool ChatPacketSender::Send(Packet& packet) {
  if (link_ && link_(packet)) return true;
  const uint32_t counter = ++counter_;
  // Not in the room: the packet is dropped, the counter still advances.
  if (!chat_ || !chat_->InRoom() || !packet.IsUsable()) return true;
  const std::string text = EncodePacketText(packet);
  for (const std::string& chunk : MakeChunks(counter, text)) chat_->SendGroupChat(chunk);
  return true;
}

}  // namespace TDRL

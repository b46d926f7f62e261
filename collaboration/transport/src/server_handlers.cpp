#include "server_handlers.h"

#include <string>
#include <string_view>

#include <tendril/packet_types.h>
#include <win/types.h>

#include "debug_trace.h"
#include "handler_scope.h"
#include "item_sender.h"
#include "meeting_room.h"

namespace TDRL::ClientModule {
namespace {

void Trace(const char* text) { DebugTrace(text); }

ItemSelector ToSelector(const Int32Quad& quad) {
  ItemSelector selector;
  for (int i = 0; i < 4; ++i) selector.values[i] = quad.values[i];
  return selector;
}

std::u16string_view RecordUser(const MemberRecord& record) {
  return std::u16string_view(record.userName);  // terminated within its 260 units (checked)
}

std::string_view RecordRoom(const MemberRecord& record) { return std::string_view(record.roomName); }

// The room name and user name at the head of the synchronisation packets.
struct Head {
  std::string_view room;
  WideText user;
};

bool ReadHead(Packet& packet, Head& head) {
  return packet.ReadNarrowString(head.room) && packet.ReadWideString(head.user);
}

}  // namespace

int ClientOpeningIS::Service() { return 0; }

int EnforceMasterChanged::Service() { return 0; }

int EnforceYouAreMaster::Service() {
  std::string_view name;
  if (!packet_->ReadNarrowString(name)) return 0;
  RoomScope scope(name);
  if (scope) scope.room()->SetFirstFlag(1);
  return 0;
}

int EnforceSendingEditMessage::Service() {
  MemberRecord record;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!packet_->ReadMemberRecord(record)) return -1;
    packet_->RewindRead();
  }
  RoomScope scope(RecordRoom(record));
  if (!scope) {
    Trace("return FAILED");
    return -1;
  }
  if (scope.IsLocalUser(RecordUser(record))) {
    Trace("own edit message came back");
    return 0;
  }
  const ItemSelector selector = ToSelector(record.itemSelector);
  const int32_t kind = packet_->EditKind();
  ItemReceiverBase* receiver = nullptr;
  // The sender is held while its receiver works: a rebuild on another thread does not delete it.
  std::shared_ptr<ItemSender> sender;
  if (kind == 0 || kind == 1 || kind == 3) {
    sender = scope.room()->CoEdit().Sender(selector);
    receiver = &sender->Receiver();
  } else if (kind == 4 || kind == 5) {
    sender = scope.room()->CoEdit().Sender(selector);
    receiver = &sender->Downloads();
  }
  if (!receiver) {
    Trace("return FAILED");
    return -1;
  }
  return receiver->Receive(*packet_) ? 0 : -1;
}

int EnforceEditInfoReceived::Service() {
  MemberRecord record;
  int32_t skipped = 0, value = 0;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!packet_->ReadMemberRecord(record) || !packet_->ReadInt32(skipped) || !packet_->ReadInt32(value)) return 0;
  }
  const int32_t argument = packet_->Argument();
  if (argument != 4 && argument != 5) return 0;
  RoomScope scope(RecordRoom(record));
  if (!scope) return 0;
  scope.room()->CoEdit().Sender(ToSelector(record.itemSelector))->Attachments().OnTransferAnswer(value);
  return 0;
}

int EnforceRestartHistory::Service() {
  std::string_view name;
  Int32Pair pair;
  Int32Quad quad;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!packet_->ReadNarrowString(name) || !packet_->ReadInt32Pair(pair) || !packet_->ReadInt32Quad(quad)) return 0;
  }
  RoomScope scope(name);
  if (scope) scope.room()->CoEdit().SetItemValue(ToSelector(quad), pair.first, pair.second);
  return 0;
}

int EnforceSyncRedoPos::Service() {
  Head head;
  Int32Quad quad;
  Int32Pair pair;
  uint8_t flag = 0;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!ReadHead(*packet_, head) || !packet_->ReadInt32Quad(quad) || !packet_->ReadInt32Pair(pair) ||
        !packet_->ReadByte(flag)) {
      return 0;
    }
  }
  RoomScope scope(head.room);
  const std::u16string user = head.user.ToString();
  if (!scope || scope.IsLocalUser(user)) return 0;
  const int queued =
      scope.room()->CoEdit().GetUndoRedoSyncManager()->QueueRedoPos(ToSelector(quad), pair.first, pair.second, flag, 0);
  // The answer: the same room, user, selector and pair, and the queue's answer.
  std::lock_guard roomHold(scope.room()->Lock());
  PacketLockScope hold(PacketLock::Get());
  Packet answer;
  if (!CreatePacket(kPacketSyncRedoPosResult, 0, nullptr, 0, answer)) return 0;
  answer.AppendBytes(head.room.size(), head.room.data()).AppendByte(0);
  answer.AppendWString(user.c_str(), user.size() + 1);
  answer.AppendInt32Quad(quad);
  answer.WriteLengthField();
  answer.AppendInt32Pair(pair).AppendByte(static_cast<uint8_t>(queued & 0xFF));
  scope.Send(answer);
  return 0;
}

int EnforceSyncRedoPosResult::Service() {
  Head head;
  Int32Quad quad;
  Int32Pair skipped;
  uint8_t first = 0, second = 0;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!ReadHead(*packet_, head) || !packet_->ReadInt32Quad(quad) || !packet_->ReadInt32Pair(skipped) ||
        !packet_->ReadByte(first)) {
      return 0;
    }
    // Sent with one byte, read with two: a missing second byte reads 0.
    if (!packet_->ReadByte(second)) second = 0;
  }
  RoomScope scope(head.room);
  if (!scope || !scope.IsLocalUser(head.user.ToString())) return 0;
  scope.room()->CoEdit().GetUndoRedoSyncManager()->ApplyRedoPosResult(ToSelector(quad), static_cast<int8_t>(second),
                                                                      static_cast<int8_t>(first));
  return 0;
}

int EnforceSyncSelectedID::Service() {
  Head head;
  Int32Quad quad;
  Int32Pair pair;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!ReadHead(*packet_, head) || !packet_->ReadInt32Quad(quad) || !packet_->ReadInt32Pair(pair)) return 0;
  }
  RoomScope scope(head.room);
  if (!scope || scope.IsLocalUser(head.user.ToString())) return 0;
  scope.room()->CoEdit().GetUndoRedoSyncManager()->QueryRedoPos(ToSelector(quad), pair.first, pair.second);
  return 0;
}

int EnforceSyncBook::Service() {
  Head head;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!ReadHead(*packet_, head)) return 0;
  }
  RoomScope scope(head.room);
  const std::u16string user = head.user.ToString();
  if (!scope || !scope.IsLocalUser(user)) return 0;
  MeetingRoom* room = scope.room();
  room->SetFirstFlag(1);
  room->GetWorkbookSyncManager()->RequestBookSync();
  room->GetCollaborationUnit()->SetCoEditing(1);
  scope.Post(kUIEventSyncBook, 0, 1);
  std::lock_guard roomHold(room->Lock());
  PacketLockScope hold(PacketLock::Get());
  Packet finished;
  if (!CreatePacket(kPacketSyncBookFinished, 0, nullptr, 0, finished)) return 0;
  finished.AppendBytes(head.room.size(), head.room.data()).AppendByte(0);
  finished.AppendWString(user.c_str(), user.size() + 1);
  scope.Send(finished);
  return 0;
}

int EnforceSyncBookFailed::Service() {
  Head head;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!ReadHead(*packet_, head)) return 0;
  }
  RoomScope scope(head.room);
  if (scope && scope.IsLocalUser(head.user.ToString())) scope.Post(kUIEventSyncBook, 2, 1);
  return 0;
}

int EnforceSyncBookFinished::Service() {
  Head head;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!ReadHead(*packet_, head)) return 0;
  }
  RoomScope scope(head.room);
  const std::u16string user = head.user.ToString();
  if (!scope || scope.IsLocalUser(user)) return 0;
  IMemberInfo* member = scope.room()->Information().FindConnectedUserByName(user.c_str());
  if (!member) return 0;
  const int number = member->GetNumber();
  scope.room()->CoEdit().ChangeCounter(0);
  scope.Post(kUIEventSyncBook, 0, 2 | static_cast<int32_t>(static_cast<uint32_t>(number & 0xFFFF) << 16));
  return 0;
}

int EnforceEndCoEdit::Service() {
  std::string_view name;
  if (!packet_->ReadNarrowString(name)) return 0;
  RoomScope scope(name);
  if (!scope) return 0;
  scope.room()->GetCollaborationUnit()->SetCoEditing(1);
  scope.Post(kUIEventCoEditEnded, 0, 0);
  return 0;
}

int EnforceRequestBinData::Service() {
  std::string_view name;
  Int32Quad request, quad;
  int32_t value = 0;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!packet_->ReadNarrowString(name) || !packet_->ReadInt32Quad(request) || !packet_->ReadInt32Quad(quad) ||
        !packet_->ReadInt32(value)) {
      return 0;
    }
  }
  RoomScope scope(name);
  if (scope)
    scope.room()->CoEdit().Sender(ToSelector(quad))->Attachments().UploadAttachment(ToSelector(request), value);
  return 0;
}

int EnforceLockTopic::Service() {
  MemberRecord record;
  {
    PacketLockScope hold(PacketLock::Get());
    if (!packet_->ReadMemberRecord(record)) return 0;
    packet_->RewindRead();
  }
  RoomScope scope(RecordRoom(record));
  if (!scope || scope.IsLocalUser(RecordUser(record))) return 0;
  std::shared_ptr<ItemSender> sender = scope.room()->CoEdit().Sender(ToSelector(record.itemSelector));
  sender->Receiver().Receive(*packet_);
  return 0;
}

}  // namespace TDRL::ClientModule

#include "item_sender.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <tendril/packet.h>
#include <tendril/packet_types.h>
#include <kx2/Clock.h>

#include "meeting_room.h"

namespace TDRL {
namespace {

// A user name fills at most 259 units of the record and keeps its terminator.
constexpr size_t kRecordUserUnits = 259;

}  // namespace

ItemSender::ItemSender(MeetingRoom* room, IAttachmentRoom* attachments)
    : room_(room), receiver_(room), binSender_(attachments), binReceiver_(attachments) {
  binReceiver_.SetRoom(room);
}

void ItemSender::SetHostItem(IVtlCollabItem* item) {
  item_ = item;
  resolved_ = item;
  receiver_.SetHostItem(item);
  binReceiver_.SetHostItem(item);
}

void ItemSender::Resolve(const ItemSelector& selector, IVtlCollabItem* item) {
  std::lock_guard hold(lock_);
  if (item) {
    SetHostItem(item);
    hasPending_ = false;
  } else {
    pending_ = selector;
    hasPending_ = true;
  }
}

void ItemSender::CompletePending() {
  std::lock_guard hold(lock_);
  if (resolved_ || !hasPending_ || !room_->GetCollaborationUnit()->IsStarted()) return;
  IVtlCollabBook* book = room_->GetWorkbookSyncManager()->GetBook();
  IVtlCollabItem* item = book ? book->FindItem(reinterpret_cast<const LONG*>(pending_.values)) : nullptr;
  if (!item) return;
  SetHostItem(item);
  hasPending_ = false;
}

template <class Build>
int ItemSender::Queue(int32_t type, int32_t kind, int32_t value, int32_t payloadLength, Build build) {
  MemberRecord record{};
  {
    std::lock_guard roomHold(room_->Lock());
    const char* roomName = room_->Information().Working().GetRoomName();
    std::strncpy(record.roomName, roomName, sizeof record.roomName - 1);
    const std::u16string user = Utf8ToWide(room_->Information().Own().UserNameUtf8());
    std::copy_n(user.begin(), std::min(user.size(), kRecordUserUnits), record.userName);
  }
  record.value = value;
  record.payloadLength = payloadLength;
  if (item_) {
    if (const LONG* selector = item_->GetSelector()) std::copy_n(selector, 4, record.itemSelector.values);
  }
  std::lock_guard roomHold(room_->Lock());
  PacketLockScope packetHold(PacketLock::Get());
  Packet packet;
  if (!CreatePacket(type, 0, nullptr, 0, packet)) return 0;
  packet.AppendMemberRecord(record);
  packet.WriteLengthField();
  build(packet);
  if (type == kPacketEditMessage) packet.SetEditKind(kind);
  if (!packet.IsUsable()) return 0;
  return room_->Collaboration().Queue(packet) ? 1 : 0;
}

int ItemSender::BeginEdit() {
  std::lock_guard hold(lock_);
  const int32_t tick = static_cast<int32_t>(static_cast<uint32_t>(Kx2ClockNow()));
  return Queue(kPacketEditMessage, kEditBegin, 0, 12,
               [&](Packet& packet) { packet.AppendInt32Triple(kEditStateOpen, tick, 0); });
}

int ItemSender::SendItemData(IVtlCollabItemData* data) {
  std::lock_guard hold(lock_);
  if (!data) return 0;
  const void* bytes = nullptr;
  LONG length = 0;
  data->GetData(&bytes, &length);
  if (length < 0 || (length > 0 && !bytes) || static_cast<size_t>(length) > kMaxPacketBody - kMemberRecordSize) {
    return 0;
  }
  const LONG value = data->GetValue();
  const int sent = Queue(kPacketEditMessage, kEditData, value, length, [&](Packet& packet) {
    if (length > 0) packet.AppendBytes(static_cast<size_t>(length), bytes);
  });
  if (sent == 0) return 0;
  data->SetSent(1);
  return 1;
}

int ItemSender::EndEdit() {
  std::lock_guard hold(lock_);
  return Queue(kPacketEditMessage, kEditEnd, 0, 0, [](Packet&) {});
}

int ItemSender::LockTopic(ItemSelector selector, int value) {
  std::lock_guard hold(lock_);
  return Queue(kPacketLockTopic, 0, 0, 0, [&](Packet& packet) {
    Int32Quad quad;
    std::copy_n(selector.values, 4, quad.values);
    packet.AppendInt32Quad(quad);
    packet.WriteLengthField();
    packet.AppendInt32(value);
  });
}

}  // namespace TDRL

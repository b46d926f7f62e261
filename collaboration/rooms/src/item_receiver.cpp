#include "item_receiver.h"

#include <tendril/packet_types.h>

#include "meeting_room.h"

namespace TDRL {
namespace {

// Where an edit's state flags lie in its kind-0 packet: the first value behind the record.
constexpr size_t kStateOffset = kPacketHeaderSize + kMemberRecordSize;
// What a kind-0 packet carries behind its record: state flags, tick count, 0.
constexpr size_t kBeginPayload = 12;

size_t BodySize(const Packet& packet) {
  return packet.TotalSize() > kPacketHeaderSize ? packet.TotalSize() - kPacketHeaderSize : 0;
}

// A queued packet's block is the queue's alone (the receiver took it from its deliverer), and
// the receiver's lock guards the queue: its bytes need no PacketLock.
void SetStateFlags(Packet& packet, int32_t flags) { StoreInt32LE(packet.MutableData() + kStateOffset, flags); }

// The bytes of a kind-3 packet behind its record (checked when the packet was queued).
const unsigned char* EditData(Packet& packet) { return packet.MutableData() + kPacketHeaderSize + kMemberRecordSize; }
int32_t EditValue(Packet& packet) { return LoadInt32LE(packet.MutableData() + kPacketHeaderSize + 780); }
int32_t EditLength(Packet& packet) { return LoadInt32LE(packet.MutableData() + kPacketHeaderSize + 784); }

const LONG* SelectorValues(const Int32Quad& quad) { return reinterpret_cast<const LONG*>(quad.values); }
static_assert(sizeof(LONG) == sizeof(int32_t));

}  // namespace

void ItemReceiveManager::SetHostItem(IVtlCollabItem* item) {
  std::lock_guard hold(lock_);
  item_ = item;
}

void ItemReceiveManager::SetRoom(IMeetingRoom* room) {
  std::lock_guard hold(lock_);
  room_ = dynamic_cast<MeetingRoom*>(room);
}

int ItemReceiveManager::IsEmpty() {
  std::lock_guard hold(lock_);
  return queue_.empty() ? 1 : 0;
}

size_t ItemReceiveManager::QueuedPackets() {
  std::lock_guard hold(lock_);
  return queue_.size();
}

int ItemReceiveManager::MemberNumber(const char16_t* user) {
  return room_ ? room_->Information().GetMemberNumber(user) : -1;
}

void ItemReceiveManager::SetFlags(Record& record, int32_t flags) {
  record.flags = flags;
  SetStateFlags(record.packet, flags);
}

bool ItemReceiveManager::Receive(Packet& packet) {
  std::lock_guard hold(lock_);
  if (!packet.Block()) return false;
  switch (packet.Type()) {
    case kPacketLockTopic:
      return ReceiveLock(packet);
    case kPacketLockTopicRequest:
      return ReceiveLockRequest(packet);
    case kPacketEditMessage:
      return ReceiveEdit(packet);
    default:
      return false;
  }
}

bool ItemReceiveManager::ReceiveLock(Packet& packet) {
  MemberRecord record;
  Int32Quad selector;
  int32_t flag = 0;
  {
    PacketLockScope hold(PacketLock::Get());
    packet.RewindRead();
    if (!packet.ReadMemberRecord(record) || !packet.ReadInt32Quad(selector) || !packet.ReadInt32(flag)) return false;
  }
  if (!item_) return false;
  IVtlCollabEditHolder* holder = item_->GetEditHolder();
  IVtlCollabLockService* locks = holder ? holder->GetLockService() : nullptr;
  if (!locks) return true;
  // The item the record names, in the book of the room the holder is shared in.
  auto* room = static_cast<IMeetingRoom*>(holder->GetRoom());
  IWorkbookSyncManager* workbook = room ? room->GetWorkbookSyncManager() : nullptr;
  IVtlCollabBook* book = workbook ? workbook->GetBook() : nullptr;
  IVtlCollabItem* named = book ? book->FindItem(SelectorValues(record.itemSelector)) : nullptr;
  if (!named) return false;
  const LONG value = named->GetLockValue(0);
  const int member = room->GetInformationUnit()->GetMemberNumber(record.userName);
  if (flag != 0) return locks->Lock(member, SelectorValues(selector), value) != 0;
  if (member == holder->GetLocalMember()) return false;
  return locks->Unlock(member, SelectorValues(selector), value, 0) != 0;
}

bool ItemReceiveManager::ReceiveLockRequest(Packet& packet) {
  MemberRecord record;
  int32_t code = 0;
  {
    PacketLockScope hold(PacketLock::Get());
    packet.RewindRead();
    if (!packet.ReadMemberRecord(record) || !packet.ReadInt32(code)) return false;
  }
  IVtlCollabEditHolder* holder = item_ ? item_->GetEditHolder() : nullptr;
  if (code != 2) return holder != nullptr;
  IVtlCollabLockService* locks = holder ? holder->GetLockService() : nullptr;
  IVtlCollabItem* item = holder ? holder->GetItem() : nullptr;
  if (!locks || !item) return false;
  const LONG value = item->GetLockValue(1);
  // The lock service keys locks by member number: the requester is named by its number.
  const LONG zeros[4] = {};
  return locks->Unlock(MemberNumber(record.userName), zeros, value, 0) != 0;
}

bool ItemReceiveManager::ReceiveEdit(Packet& packet) {
  // The record is read in place: of its 804 bytes an edit needs the payload length and, for
  // data, the sender's name. The packet is the deliverer's until queued, then the queue's.
  packet.RewindRead();
  if (BodySize(packet) < kMemberRecordSize) return false;
  const unsigned char* record = packet.MutableData() + kPacketHeaderSize;
  size_t userUnits = 0;
  if (!MemberRecordNamesTerminated(record, userUnits)) return false;
  // The record's payload length is what ProcessPackets hands the host: it must be the bytes
  // that are really there.
  const size_t payload = BodySize(packet) - kMemberRecordSize;
  const int32_t payloadLength = LoadInt32LE(record + offsetof(MemberRecord, payloadLength));
  if (payloadLength < 0 || static_cast<size_t>(payloadLength) != payload) return false;
  const int32_t kind = packet.EditKind();
  if (kind == kEditBegin && payload < kBeginPayload) return false;

  const size_t bytes = packet.TotalSize();
  if (kind == kEditBegin) {
    droppingEdit_ = false;
    tailBytes_ = 0;
  }
  if (droppingEdit_) return true;  // the rest of an edit already dropped: taken, not kept
  if (tailBytes_ + bytes > kMaxEditBytes) {
    // Drop the whole edit at the queue's end, and what follows of it.
    while (!queue_.empty()) {
      const bool opening = queue_.back().kind == kEditBegin;
      queue_.pop_back();
      if (opening) break;
    }
    droppingEdit_ = true;
    tailBytes_ = 0;
    return true;
  }
  tailBytes_ += bytes;
  // Only a data record needs its sender's name later (the member number of the edit it makes).
  std::u16string user;
  if (kind == kEditData) user = WideText{record + offsetof(MemberRecord, userName), userUnits}.ToString();
  Record& queued = queue_.emplace_back(std::move(packet), kind, std::move(user));
  if (kind == kEditBegin) SetFlags(queued, kEditStateOpen);
  return true;
}

void ItemReceiveManager::Tidy() {
  size_t i = 0;
  while (i < queue_.size()) {
    if (queue_[i].kind != kEditBegin) {
      ++i;
      continue;
    }
    size_t end = i + 1;
    while (end < queue_.size() && queue_[end].kind != kEditBegin) ++end;
    if (end == queue_.size() && queue_[end - 1].kind != kEditEnd) return;  // still arriving
    Record& opening = queue_[i];
    int32_t flags = opening.flags;
    if ((flags & kEditStateApplied) && room_ && room_->GetFirstFlag()) {
      for (size_t k = i; k < end; ++k) queue_[k].packet.RewindRead();
      flags &= ~kEditStateApplied;
      SetFlags(opening, flags);
    }
    if (flags & kEditStateFinished) {
      queue_.erase(queue_.begin() + static_cast<std::ptrdiff_t>(i), queue_.begin() + static_cast<std::ptrdiff_t>(end));
      if (queue_.empty()) tailBytes_ = 0;
      return;
    }
    i = end;
  }
}

void ItemReceiveManager::ProcessPackets() {
  std::lock_guard hold(lock_);
  if (!item_) return;
  Tidy();
  if (queue_.empty()) return;
  if (queue_.front().kind != kEditBegin) {
    queue_.pop_front();
    if (queue_.empty()) tailBytes_ = 0;
    return;
  }
  int balance = 0;
  bool balanced = false;
  for (const Record& r : queue_) {
    balance += r.kind == kEditBegin ? 1 : r.kind == kEditEnd ? -1 : 0;
    if (balance == 0) {
      balanced = true;
      break;
    }
  }
  if (!balanced) return;

  IVtlCollabEditHolder* holder = item_->GetEditHolder();
  // The edits of one batch mostly come from one member: its number is looked up once.
  const std::u16string* lastUser = nullptr;
  int lastNumber = -1;
  int open = 0;
  bool failed = false;
  // The batch's vector is the receiver's, kept between calls for its room; a host calling back
  // in while a batch applies finds none and makes its own.
  std::vector<IVtlCollabItemData*> edits;
  edits.swap(batch_);
  edits.clear();
  for (Record& r : queue_) {
    if (!r.fresh) continue;
    r.fresh = false;
    if (r.kind == kEditBegin) {
      ++open;
      failed = false;
    } else if (r.kind == kEditData) {
      if (failed) continue;
      IVtlCollabItemData* edit =
          holder ? holder->MakeEdit(EditValue(r.packet), EditData(r.packet), EditLength(r.packet)) : nullptr;
      if (!edit) {
        failed = true;
        continue;
      }
      if (!lastUser || *lastUser != r.user) {
        lastUser = &r.user;
        lastNumber = MemberNumber(r.user.c_str());
      }
      edit->SetMemberNumber(lastNumber);
      edits.push_back(edit);
    } else if (r.kind == kEditEnd) {
      if (failed || edits.empty() || open <= 0) continue;
      if (--open == 0) {
        holder->BeginBatch();
        for (IVtlCollabItemData* edit : edits) {
          MarkEdit(edit, kEditStateApplied);
          holder->ApplyEdit(edit);
        }
        holder->EndBatch();
        break;
      }
    }
  }
  batch_.swap(edits);
}

bool ItemReceiveManager::FindEdit(IVtlCollabItemData* data, size_t& begin) {
  if (!data) return false;
  const void* bytes = nullptr;
  LONG length = 0;
  data->GetData(&bytes, &length);
  for (size_t i = 0; i < queue_.size(); ++i) {
    Record& r = queue_[i];
    if (r.kind != kEditData || EditData(r.packet) != bytes || EditLength(r.packet) != length) continue;
    for (size_t k = i + 1; k-- > 0;) {
      if (queue_[k].kind == kEditBegin) {
        begin = k;
        return true;
      }
    }
    return false;
  }
  return false;
}

bool ItemReceiveManager::MarkEdit(IVtlCollabItemData* data, int flags) {
  std::lock_guard hold(lock_);
  size_t begin = 0;
  if (!FindEdit(data, begin)) return false;
  SetFlags(queue_[begin], queue_[begin].flags | flags);
  return true;
}

int ItemReceiveManager::GetEditFlags(IVtlCollabItemData* data) {
  std::lock_guard hold(lock_);
  size_t begin = 0;
  return FindEdit(data, begin) ? queue_[begin].flags : 0;
}

}  // namespace TDRL

// The edits other users send for one item: packets 24 wait in arrival order until an edit
// (kind 0, pieces of kind 3, kind 1) is complete, and are then applied to the host's item in
// one batch. Topic locks (39) and lock requests (40) go straight to the host's lock service.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include <tendril/packet.h>
#include <tendril/tendril_interfaces.h>

#include "shared_unknown.h"

namespace TDRL {

class MeetingRoom;

// The edit kinds of packet 24 a receiver tells apart.
enum EditKind : int32_t {
  kEditBegin = 0,
  kEditEnd = 1,
  kEditData = 3,
};

// State flags of an edit (the first value behind a kind-0 packet's member record).
enum EditState : int32_t {
  kEditStateOpen = 0x1,
  kEditStateApplied = 0x2,
  kEditStateFinished = 0xC,  // either bit: the edit is no longer needed
};

class ItemReceiveManager : public ItemReceiverBase, public IItemReceiver {
 public:
  // An edit whose queued packets pass this many bytes is dropped whole.
  static constexpr size_t kMaxEditBytes = 16u << 20;

  explicit ItemReceiveManager(MeetingRoom* room) : room_(room) {}
  ItemReceiveManager(const ItemReceiveManager&) = delete;
  ItemReceiveManager& operator=(const ItemReceiveManager&) = delete;

  // ItemReceiverBase. A packet shorter than its member record and fields, or whose record's
  // payload length differs from the bytes behind the record, is refused (false).
  bool Receive(Packet& packet) override;
  bool Query() override { return false; }
  void SetHostItem(IVtlCollabItem* item) override;
  void SetRoom(IMeetingRoom* room) override;

  // IItemReceiver
  int IsEmpty() override;
  void ProcessPackets() override;
  bool MarkEdit(IVtlCollabItemData* data, int flags) override;
  int GetEditFlags(IVtlCollabItemData* data) override;
  TDRL_SHARED_UNKNOWN

  size_t QueuedPackets();

 private:
  struct Record {
    Record(Packet&& taken, int32_t editKind, std::u16string&& sender)
        : packet(std::move(taken)), kind(editKind), user(std::move(sender)) {}
    Packet packet;
    int32_t kind = 0;
    bool fresh = true;
    int32_t flags = 0;    // a kind-0 record's state flags, as also written in its packet
    std::u16string user;  // the sender's user name, read from the record when queued
  };
  void SetFlags(Record& record, int32_t flags);

  bool ReceiveLock(Packet& packet);
  bool ReceiveLockRequest(Packet& packet);
  bool ReceiveEdit(Packet& packet);
  void Tidy();
  // The queue index of the kind-3 record carrying the object's bytes and of the kind-0 record
  // that opened its edit; false when either is missing.
  bool FindEdit(IVtlCollabItemData* data, size_t& begin);
  int MemberNumber(const char16_t* user);

  std::recursive_mutex lock_;
  std::deque<Record> queue_;
  // Bytes of the edit at the queue's end, and whether the rest of an edit too big to keep is
  // being dropped until the next edit begins.
  size_t tailBytes_ = 0;
  bool droppingEdit_ = false;
  IVtlCollabItem* item_ = nullptr;
  MeetingRoom* room_;
  std::vector<IVtlCollabItemData*> batch_;  // room for a batch's edits, kept between calls
};

}  // namespace TDRL

// One shared item's sending side: the local user's edits and locks of the item as packets 24
// and 39, and the item's receiver and attachment sender and receiver.
#pragma once

#include <mutex>

#include <tendril/attachment_room.h>
#include <tendril/tendril_interfaces.h>

#include "bin_data.h"
#include "item_receiver.h"
#include "shared_unknown.h"

namespace TDRL {

class MeetingRoom;
class Packet;

class ItemSender final : public IItemSender {
 public:
  // `attachments` is where finished downloads are handed (the room's co-edit manager).
  ItemSender(MeetingRoom* room, IAttachmentRoom* attachments);
  ItemSender(const ItemSender&) = delete;
  ItemSender& operator=(const ItemSender&) = delete;

  int BeginEdit() override;
  int SendItemData(IVtlCollabItemData* data) override;
  int EndEdit() override;
  int LockTopic(ItemSelector selector, int value) override;
  TDRL_SHARED_UNKNOWN

  // The item the room's book has for the selector, or null: then the selector is kept pending
  // until a later forwarding finds the item.
  void Resolve(const ItemSelector& selector, IVtlCollabItem* item);
  // Looks a pending selector up again once the room's co-editing has started.
  void CompletePending();

  ItemReceiveManager& Receiver() { return receiver_; }
  BinDataSender& Attachments() { return binSender_; }
  BinDataReceiver& Downloads() { return binReceiver_; }
  // Held while the sender builds and queues a packet.
  std::mutex& Lock() { return lock_; }

 private:
  // Builds a packet 24 of the kind (or 39) with the member record and `build`'s fields, and
  // queues it on the room's channel; 1 when the channel took it.
  template <class Build>
  int Queue(int32_t type, int32_t kind, int32_t value, int32_t payloadLength, Build build);
  void SetHostItem(IVtlCollabItem* item);

  MeetingRoom* room_;
  IVtlCollabItem* item_ = nullptr;
  ItemReceiveManager receiver_;
  BinDataSender binSender_;
  BinDataReceiver binReceiver_;
  IVtlCollabItem* resolved_ = nullptr;
  ItemSelector pending_;
  bool hasPending_ = false;
  std::mutex lock_;
};

}  // namespace TDRL

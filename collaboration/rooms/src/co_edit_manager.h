// The room's co-editing: one item sender per edited item (with its receiver and attachment
// transfers), item values, finished attachment downloads and the pending-synchronisation
// counter.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include <tendril/attachment_room.h>
#include <tendril/tendril_interfaces.h>

#include "selector_index.h"
#include "shared_unknown.h"
#include "sync_managers.h"

namespace TDRL {

class ItemSender;
class MeetingRoom;

class CoEditManager : public ICoEditManager, public IAttachmentApplier {
 public:
  explicit CoEditManager(MeetingRoom* room);
  ~CoEditManager();
  CoEditManager(const CoEditManager&) = delete;
  CoEditManager& operator=(const CoEditManager&) = delete;

  IItemSender* GetItemSender(ItemSelector selector) override;
  IItemReceiver* GetItemReceiver(ItemSelector selector) override;
  IBinDataSender* GetBinDataSender(ItemSelector selector) override;
  IBinDataReceiver* GetBinDataReceiver(ItemSelector selector) override;
  int RebuildItemSenders() override;
  void UploadAttachment(ItemSelector attachment, ItemSelector selector) override;
  void DownloadAttachment(ItemSelector attachment, ItemSelector selector) override;
  void UploadAttachmentFile(const char16_t* localPath, ItemSelector attachment, ItemSelector selector) override;
  void DownloadAttachmentFile(char16_t* name, int size, ItemSelector attachment, ItemSelector selector) override;
  bool IsAttachmentDownloaded(ItemSelector attachment, ItemSelector selector) override;
  int ApplyAttachmentFile(ItemSelector attachment, const char16_t* fileName) override;
  IUndoRedoSyncManager* GetUndoRedoSyncManager() override { return &undoRedo_; }
  void SetItemValue(ItemSelector selector, int first, int second) override;
  void ChangeCounter(int flag) override;
  int IsCounterSet() override { return counter_.load() != 0 ? 1 : 0; }
  TDRL_SHARED_UNKNOWN

  // A finished download, from its transfer's thread.
  void ApplyAttachmentFile(const Int32Quad& attachment, const char16_t* localPath) override;

  // The sender of the selector, made first when there is none. Whoever holds the answer may
  // use it after RebuildItemSenders has forgotten it: a sender goes with its last holder.
  std::shared_ptr<ItemSender> Sender(const ItemSelector& selector);
  // The sender of the selector when there is one; null otherwise.
  std::shared_ptr<ItemSender> FindSender(const ItemSelector& selector);
  size_t SenderCount();
  // The room's broadcast to its co-editing objects.
  void Forward(int value);
  // Deletes every sender (the room's teardown).
  void DropSenders();

 private:
  // Finished downloads reach the manager through this link (the transfers' room interface).
  class AttachmentLink : public IAttachmentRoom {
   public:
    explicit AttachmentLink(CoEditManager* manager) : manager_(manager) {}
    IAttachmentApplier* GetCoEditManager() override { return manager_; }

   private:
    CoEditManager* manager_;
  };

  std::shared_ptr<ItemSender> MakeSender(const ItemSelector& selector);
  // The sender of the selector, made first when there is none, for the operations that answer
  // a bare pointer: no holder's count is taken.
  ItemSender& SenderOf(const ItemSelector& selector);

  UndoRedoSyncManager undoRedo_;
  MeetingRoom* room_;
  std::atomic<int> counter_{0};
  AttachmentLink link_;
  std::mutex lock_;  // guards the list and its index, which the reactor thread grows too
  std::vector<std::shared_ptr<ItemSender>> senders_;  // in the order they were made
  SelectorIndex index_;                               // the list's positions by selector
};

}  // namespace TDRL

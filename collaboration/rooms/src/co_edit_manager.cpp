#include "co_edit_manager.h"

#include <algorithm>

#include <kx2/Ref.h>
#include <vantorel/app_interfaces.h>
#include <basalt/shell_util.h>
#include <win/crt.h>

#include "item_sender.h"
#include "meeting_room.h"

namespace TDRL {
namespace {

// The record the attachment store is handed with each file; it does not read it.
constexpr int32_t kAttachmentRecord[4] = {};

// Calls `visit` for every item of the book, in the book's order.
template <class Visit>
void ForEachItem(IVtlCollabBook* book, Visit visit) {
  if (!book) return;
  ULONG_PTR position = book->GetFirstPosition();
  while (position != 0) {
    const ULONG_PTR before = position;
    if (IVtlCollabItem* item = book->GetNextItem(&position)) visit(item);
    if (position == before) break;  // a walk that does not move on ends here
  }
}

}  // namespace

CoEditManager::CoEditManager(MeetingRoom* room) : undoRedo_(room), room_(room), link_(this) {}

CoEditManager::~CoEditManager() { DropSenders(); }

std::shared_ptr<ItemSender> CoEditManager::MakeSender(const ItemSelector& selector) {
  auto sender = std::make_shared<ItemSender>(room_, &link_);
  sender->Resolve(selector, FindBookItem(room_, selector));
  return sender;
}

std::shared_ptr<ItemSender> CoEditManager::FindSender(const ItemSelector& selector) {
  std::lock_guard hold(lock_);
  const size_t at = index_.Find(selector);
  return at == SelectorIndex::kNone ? nullptr : senders_[at];
}

std::shared_ptr<ItemSender> CoEditManager::Sender(const ItemSelector& selector) {
  if (auto found = FindSender(selector)) return found;
  // Made outside the list's lock: the book is the host's, which takes its document's lock.
  std::shared_ptr<ItemSender> made = MakeSender(selector);
  std::lock_guard hold(lock_);
  const size_t at = index_.Find(selector);
  if (at != SelectorIndex::kNone) return senders_[at];  // another thread was first; ours goes
  index_.Add(selector, senders_.size());
  senders_.push_back(made);
  return made;
}

ItemSender& CoEditManager::SenderOf(const ItemSelector& selector) {
  {
    std::lock_guard hold(lock_);
    const size_t at = index_.Find(selector);
    if (at != SelectorIndex::kNone) return *senders_[at];
  }
  return *Sender(selector);
}

size_t CoEditManager::SenderCount() {
  std::lock_guard hold(lock_);
  return senders_.size();
}

void CoEditManager::DropSenders() {
  std::vector<std::shared_ptr<ItemSender>> old;
  {
    std::lock_guard hold(lock_);
    old.swap(senders_);
    index_.Clear();
  }
  // The senders go here, outside the lock, with their transfers (unless a handler still holds
  // one: it goes when that handler lets go).
}

IItemSender* CoEditManager::GetItemSender(ItemSelector selector) { return &SenderOf(selector); }

IItemReceiver* CoEditManager::GetItemReceiver(ItemSelector selector) { return &SenderOf(selector).Receiver(); }

IBinDataSender* CoEditManager::GetBinDataSender(ItemSelector selector) { return &SenderOf(selector).Attachments(); }

IBinDataReceiver* CoEditManager::GetBinDataReceiver(ItemSelector selector) { return &SenderOf(selector).Downloads(); }

int CoEditManager::RebuildItemSenders() {
  DropSenders();
  std::vector<ItemSelector> selectors;
  ForEachItem(room_->GetWorkbookSyncManager()->GetBook(), [&](IVtlCollabItem* item) {
    if (item->TakesPart() == 0) return;
    const LONG* values = item->GetSelector();
    if (!values) return;
    ItemSelector selector;
    std::copy_n(values, 4, selector.values);
    selectors.push_back(selector);
  });
  for (const ItemSelector& selector : selectors) Sender(selector);
  return static_cast<int>(SenderCount());
}

void CoEditManager::UploadAttachment(ItemSelector attachment, ItemSelector selector) {
  Sender(selector)->Attachments().UploadAttachment(attachment, -2);
}

void CoEditManager::DownloadAttachment(ItemSelector attachment, ItemSelector selector) {
  Sender(selector)->Downloads().DownloadAttachment(attachment, -2);
}

void CoEditManager::UploadAttachmentFile(const char16_t* localPath, ItemSelector attachment, ItemSelector selector) {
  Sender(selector)->Attachments().UploadAttachmentFile(localPath, attachment, -2);
}

void CoEditManager::DownloadAttachmentFile(char16_t* name, int size, ItemSelector attachment, ItemSelector selector) {
  Sender(selector)->Downloads().DownloadAttachmentFile(attachment, name, size);
}

bool CoEditManager::IsAttachmentDownloaded(ItemSelector attachment, ItemSelector) {
  const std::u16string path = AttachmentLocalPath(attachment);
  return !path.empty() && Basalt::Util::ShellUtil::_FileExist(path.c_str()) != 0;
}

int CoEditManager::ApplyAttachmentFile(ItemSelector attachment, const char16_t* fileName) {
  if (!fileName) return -1;
  IVtlCollabBook* book = room_->GetWorkbookSyncManager()->GetBook();
  IVtlApplication* app = book ? book->GetApplication() : nullptr;
  kx2::Ref<IVtlFileStore> store(app ? app->GetFileStore() : nullptr);
  const auto* identifier = reinterpret_cast<const LONG*>(attachment.values);
  // A file the host did not take stays: deleting it would lose the attachment.
  if (!store || store->AdoptAttachment(identifier, fileName, 0, kAttachmentRecord) == 0) return -1;
  ForEachItem(book, [&](IVtlCollabItem* item) {
    if (item->TakesPart() == 0) return;
    if (IVtlCollabAttachmentList* list = item->GetAttachmentList()) list->AddAttachment(identifier);
    item->SetChanged(1);
  });
  _wchmod(fileName, _S_IREAD | _S_IWRITE);
  return _wremove(fileName);
}

void CoEditManager::ApplyAttachmentFile(const Int32Quad& attachment, const char16_t* localPath) {
  ItemSelector identifier;
  std::copy_n(attachment.values, 4, identifier.values);
  ApplyAttachmentFile(identifier, localPath);
}

void CoEditManager::SetItemValue(ItemSelector selector, int first, int second) {
  IVtlCollabItem* item = FindBookItem(room_, selector);
  IVtlCollabValueHolder* values = item ? item->GetValueHolder() : nullptr;
  if (!values) return;
  if ((first & second) == -1) {
    values->SetValue(-1);
  } else {
    values->SetValues(first, second);
  }
}

// A finished synchronisation comes from another member's message, which may arrive without
// a join before it or more than once: below 0 the counter would stay set for good, as if a
// synchronisation were pending, so a lowering at 0 is ignored.
void CoEditManager::ChangeCounter(int flag) {
  if (flag != 0) {
    ++counter_;
    return;
  }
  int now = counter_.load();
  while (now > 0 && !counter_.compare_exchange_weak(now, now - 1)) {}
}

void CoEditManager::Forward(int value) {
  undoRedo_.ApplyNextRedoPos();
  std::vector<std::shared_ptr<ItemSender>> senders;
  {
    std::lock_guard hold(lock_);
    senders = senders_;
  }
  for (const auto& sender : senders) {
    if (value == 2) {
      sender->CompletePending();
      sender->Receiver().ProcessPackets();
    }
    // Waits for a packet the sender is building.
    std::lock_guard wait(sender->Lock());
  }
}

}  // namespace TDRL

// The room's synchronisation objects: undo/redo positions and selections, the co-edit
// manager's values and counter, and the book.
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <string>

#include <tendril/tendril_interfaces.h>

#include "shared_unknown.h"

namespace TDRL {

class MeetingRoom;

// Where an attachment is downloaded to: the expanded "${Temp}\" and "{GUID}.tmp", the
// identifier's registry form; empty when the path does not fit its 260 units.
std::u16string AttachmentLocalPath(const ItemSelector& attachment);
// The attachment's name on the server and in the temporary folder: "{GUID}.tmp".
std::u16string AttachmentFileName(const ItemSelector& attachment);

class UndoRedoSyncManager : public IUndoRedoSyncManager {
 public:
  explicit UndoRedoSyncManager(MeetingRoom* room) : room_(room) {}

  int SendRedoPos(ItemSelector selector, int first, int second, BYTE flag) override;
  void ApplyRedoPosResult(ItemSelector selector, int first, int second) override;
  int QueueRedoPos(ItemSelector selector, int a, int b, int c, int d) override;
  int ApplyNextRedoPos() override;
  int SendSelection(ItemSelector selector, int first, int second, IMeetingRoom* room) override;
  int QueryRedoPos(ItemSelector selector, int first, int second) override;
  TDRL_SHARED_UNKNOWN

  size_t QueuedPositions();

 private:
  struct Position {
    ItemSelector selector;
    int32_t values[4];
  };
  static_assert(sizeof(Position) == 32);

  // The item's edit holder, or null when the book, the item or the holder is missing.
  IVtlCollabEditHolder* EditHolder(const ItemSelector& selector);

  std::recursive_mutex lock_;
  int pending_ = 0;
  std::deque<Position> positions_;
  MeetingRoom* room_;
};

class CoEditManager : public ICoEditManager {
 public:
  explicit CoEditManager(MeetingRoom* room) : undoRedo_(room), room_(room) {}

  IItemSender* GetItemSender(ItemSelector) override { return nullptr; }
  IItemReceiver* GetItemReceiver(ItemSelector) override { return nullptr; }
  IBinDataSender* GetBinDataSender(ItemSelector) override { return nullptr; }
  IBinDataReceiver* GetBinDataReceiver(ItemSelector) override { return nullptr; }
  int RebuildItemSenders() override { return 0; }
  void UploadAttachment(ItemSelector, ItemSelector) override {}
  void DownloadAttachment(ItemSelector, ItemSelector) override {}
  void UploadAttachmentFile(const char16_t*, ItemSelector, ItemSelector) override {}
  void DownloadAttachmentFile(char16_t*, int, ItemSelector, ItemSelector) override {}
  bool IsAttachmentDownloaded(ItemSelector attachment, ItemSelector selector) override;
  int ApplyAttachmentFile(ItemSelector, const char16_t*) override { return -1; }
  IUndoRedoSyncManager* GetUndoRedoSyncManager() override { return &undoRedo_; }
  void SetItemValue(ItemSelector selector, int first, int second) override;
  void ChangeCounter(int flag) override { counter_ += flag != 0 ? 1 : -1; }
  int IsCounterSet() override { return counter_.load() != 0 ? 1 : 0; }
  TDRL_SHARED_UNKNOWN

  // The room's broadcast to its co-editing objects.
  void Forward(int value);

 private:
  UndoRedoSyncManager undoRedo_;
  MeetingRoom* room_;
  std::atomic<int> counter_{0};
};

class WorkbookSyncManager : public IWorkbookSyncManager {
 public:
  explicit WorkbookSyncManager(MeetingRoom* room) : room_(room) {}
  // The book file is the room's own: it goes with the room.
  ~WorkbookSyncManager();
  WorkbookSyncManager(const WorkbookSyncManager&) = delete;
  WorkbookSyncManager& operator=(const WorkbookSyncManager&) = delete;

  void SetDocument(IVtlCollabBookDocument* document, const char16_t* bookName) override;
  const char16_t* GetBookName() override { return bookName_.c_str(); }
  IVtlCollabBookDocument* GetDocument() override { return document_; }
  int OpenBook() override;
  int RequestBookSync() override;
  bool SaveBook() override;
  void SetBookPath(const char16_t* path) override { bookPath_ = path ? path : u""; }
  const char16_t* GetBookPath() override { return bookPath_.c_str(); }
  IVtlCollabBook* GetBook() override { return book_; }
  void SetBook(IVtlCollabBook* book) override;
  void Reserved() override {}
  int MarkBookSynchronised() override;
  BYTE IsBookSynchronised() override { return synchronised_; }
  bool SendBookSyncResult(int success, int memberNumber) override;
  TDRL_SHARED_UNKNOWN

 private:
  IVtlCollabBookDocument* document_ = nullptr;
  std::u16string bookName_;
  std::u16string bookPath_;
  IVtlCollabBook* book_ = nullptr;
  BYTE synchronised_ = 0;
  MeetingRoom* room_;
};

}  // namespace TDRL

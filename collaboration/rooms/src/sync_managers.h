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

// The item of the room's book the selector names; null without a book or such an item.
IVtlCollabItem* FindBookItem(MeetingRoom* room, const ItemSelector& selector);
// The expanded "${Temp}\\" attachments are downloaded into; empty when it cannot be expanded.
std::u16string AttachmentFolder();
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

class WorkbookSyncManager : public IWorkbookSyncManager {
 public:
  explicit WorkbookSyncManager(MeetingRoom* room) : room_(room) {}
  // The book file is the room's own: it goes with the room.
  ~WorkbookSyncManager();
  WorkbookSyncManager(const WorkbookSyncManager&) = delete;
  WorkbookSyncManager& operator=(const WorkbookSyncManager&) = delete;

  void SetDocument(IVtlCollabBookDocument* document, const char16_t* bookName) override;
  const char16_t* GetBookName() override { return bookName_.c_str(); }
  IVtlCollabBookDocument* GetDocument() override { return document_.load(); }
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
  // Read by the server link's handlers on the reactor thread.
  std::atomic<IVtlCollabBookDocument*> document_{nullptr};
  std::u16string bookName_;
  std::u16string bookPath_;
  IVtlCollabBook* book_ = nullptr;
  BYTE synchronised_ = 0;
  MeetingRoom* room_;
};

}  // namespace TDRL

// A room's undo/redo positions, item values, counter and book against a book of the test's
// own items.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>

#include "fake_book.h"
#include "recording_sender.h"
#include "room_fixture.h"

std::filesystem::path TempFolder();

namespace {

class RoomsSyncTest : public RoomOverFakeBookTest {};

constexpr ItemSelector kFirst{{1, 2, 3, 0}};
constexpr ItemSelector kMissing{{1, 2, 3, 9}};

TEST_F(RoomsSyncTest, RedoPositionsQueueAndApplyInOrder) {
  IUndoRedoSyncManager* undo = room_->GetCoEditManager()->GetUndoRedoSyncManager();
  EXPECT_EQ(undo->ApplyNextRedoPos(), 0);  // empty; the lock is free again
  EXPECT_EQ(undo->QueueRedoPos(kFirst, 4, 5, 6, 7), 1);
  EXPECT_EQ(undo->ApplyNextRedoPos(), 0);  // no book: the record goes, nothing applies
  room_->GetWorkbookSyncManager()->SetBook(&book_);
  journal_.clear();
  undo->QueueRedoPos(kFirst, 4, 5, 6, 7);
  undo->QueueRedoPos(kFirst, 8, 9, 10, 11);
  EXPECT_EQ(undo->ApplyNextRedoPos(), 77);
  room_->ForwardToCoEdit(2);  // applies the next one
  EXPECT_EQ(undo->ApplyNextRedoPos(), 0);
  undo->ApplyRedoPosResult(kFirst, 1, 2);
  undo->ApplyRedoPosResult(kMissing, 1, 2);
  EXPECT_EQ(undo->QueryRedoPos(kFirst, 3, 4), 7);
  EXPECT_EQ(undo->QueryRedoPos(kMissing, 3, 4), 0);
  EXPECT_EQ(journal_, (Journal{"queued 4 5 6", "queued 8 9 10", "result 1 2"}));
}

TEST_F(RoomsSyncTest, PositionAndSelectionPacketsCarryRoomUserAndSelector) {
  IUndoRedoSyncManager* undo = room_->GetCoEditManager()->GetUndoRedoSyncManager();
  EXPECT_EQ(undo->SendRedoPos(kFirst, -1, 3, 1), 1);
  EXPECT_EQ(undo->SendSelection(kFirst, 6, 7, room_), 1);
  room_->SetFirstFlag(1);
  EXPECT_EQ(undo->SendSelection(kFirst, 6, 7, room_), 1);  // flagged: goes nowhere
  ASSERT_EQ(sender_.sent.size(), 2u);
  EXPECT_EQ(sender_.sent[0],
            Bytes().Narrow("r").Wide(u"ann").Int(1).Int(2).Int(3).Int(0).Int(-1).Int(3).Byte(1).Packet(28));
  EXPECT_EQ(sender_.sent[1], Bytes().Narrow("r").Wide(u"ann").Int(1).Int(2).Int(3).Int(0).Int(6).Int(7).Packet(31));
}

TEST_F(RoomsSyncTest, ItemValuesAndTheCounter) {
  ICoEditManager* coEdit = room_->GetCoEditManager();
  coEdit->SetItemValue(kFirst, -1, -1);  // no book: nothing
  room_->GetWorkbookSyncManager()->SetBook(&book_);
  journal_.clear();
  coEdit->SetItemValue(kFirst, -1, -1);
  coEdit->SetItemValue(kFirst, -1, 5);
  coEdit->SetItemValue(kMissing, 1, 1);
  EXPECT_EQ(journal_, (Journal{"value -1", "values -1 5"}));
  EXPECT_EQ(coEdit->IsCounterSet(), 0);
  coEdit->ChangeCounter(1);
  EXPECT_EQ(coEdit->IsCounterSet(), 1);
  coEdit->ChangeCounter(0);
  EXPECT_EQ(coEdit->IsCounterSet(), 0);
  // A finish with nothing pending (a repeated or stray message) leaves the counter clear,
  // and the next join still sets it.
  coEdit->ChangeCounter(0);
  coEdit->ChangeCounter(0);
  EXPECT_EQ(coEdit->IsCounterSet(), 0);
  coEdit->ChangeCounter(1);
  EXPECT_EQ(coEdit->IsCounterSet(), 1);
  coEdit->ChangeCounter(0);
  EXPECT_EQ(coEdit->IsCounterSet(), 0);
}

TEST_F(RoomsSyncTest, BookIsSharedMarkedAndAnswered) {
  IWorkbookSyncManager* workbook = room_->GetWorkbookSyncManager();
  EXPECT_EQ(workbook->RequestBookSync(), 0);  // no document
  EXPECT_EQ(workbook->OpenBook(), 0);
  FakeDocument document;
  workbook->SetDocument(&document, u"book");
  EXPECT_EQ(workbook->OpenBook(), 5);
  EXPECT_EQ(workbook->RequestBookSync(), 1);
  TendrilUIEvent e;
  tendril_->GetUIService()->PopUIEvent(&e);
  EXPECT_EQ(e, MakeUIEvent(13, room_->GetInformationUnit()->GetWorkingRoomInfo()->GetId()));

  workbook->SetBook(&book_);
  EXPECT_EQ(journal_, (Journal{"room", "shared 1", "room", "shared 1"}));
  EXPECT_EQ(workbook->IsBookSynchronised(), 0);
  workbook->MarkBookSynchronised();
  EXPECT_EQ(workbook->IsBookSynchronised(), 1);

  EXPECT_TRUE(workbook->SendBookSyncResult(0, 0));  // the own member
  EXPECT_TRUE(workbook->SendBookSyncResult(1, 0));
  EXPECT_FALSE(workbook->SendBookSyncResult(1, 42));  // nobody has that number
  ASSERT_EQ(sender_.sent.size(), 2u);
  EXPECT_EQ(sender_.sent[0], Bytes().Narrow("r").Wide(u"ann").Packet(33));
  EXPECT_EQ(sender_.sent[1], Bytes().Narrow("r").Wide(u"ann").Packet(32));
}

TEST_F(RoomsSyncTest, SaveBookNeedsAFreshFile) {
  IWorkbookSyncManager* workbook = room_->GetWorkbookSyncManager();
  const std::filesystem::path file = std::filesystem::path(testing::TempDir()) / "rooms-sync-book.etq";
  std::u16string path = u"Z:";
  for (char c : file.string()) path.push_back(c == '/' ? u'\\' : static_cast<char16_t>(c));
  FakeDocument document;
  workbook->SetDocument(&document, u"book");
  workbook->SetBookPath(path.c_str());
  EXPECT_FALSE(workbook->SaveBook());  // no book
  workbook->SetBook(&book_);
  EXPECT_TRUE(workbook->SaveBook());
  EXPECT_TRUE(std::filesystem::exists(file));
  book_.writes = false;  // the old file is still there, but this save wrote nothing
  EXPECT_FALSE(workbook->SaveBook());
  book_.writes = true;
  document.adopt = -1;
  EXPECT_FALSE(workbook->SaveBook());
  document.adopt = 0;
  EXPECT_TRUE(workbook->SaveBook());
  IXmppMeetingManager* manager = tendril_->GetMeetingManager();
  manager->RemoveMeetingRoom(room_);  // the book file goes with its room
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(RoomsSyncTest, AttachmentsAreNamedByTheirRegistryFormInTheTemporaryFolder) {
  ICoEditManager* coEdit = room_->GetCoEditManager();
  // Data1 0x11223344, Data2 0x5566, Data3 0x7788, Data4 99 AA BB CC DD EE FF 00.
  const ItemSelector attachment{{0x11223344, 0x77885566, static_cast<int32_t>(0xCCBBAA99), 0x00FFEEDD}};
  const std::filesystem::path file = TempFolder() / "{11223344-5566-7788-99AA-BBCCDDEEFF00}.tmp";
  std::filesystem::remove(file);
  EXPECT_FALSE(coEdit->IsAttachmentDownloaded(attachment, kFirst));
  std::filesystem::create_directories(file.parent_path());
  {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  EXPECT_TRUE(coEdit->IsAttachmentDownloaded(attachment, kFirst));
  std::filesystem::remove(file);
}

}  // namespace

// A room's item senders and receivers and its attachment files, against a book of the test's
// own items.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <kx2/Clock.h>
#include <kx2/Ref.h>
#include <tendril/packet.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/app_interfaces.h>
#include <vantorel/collab_host.h>

#include "fake_book.h"
#include "recording_sender.h"
#include "room_fixture.h"

std::filesystem::path TempFolder();

namespace {

constexpr ItemSelector kFirst{{1, 2, 3, 0}};
constexpr ItemSelector kSecond{{1, 2, 3, 5}};
constexpr ItemSelector kMissing{{1, 2, 3, 9}};
constexpr int32_t kFirstValues[4] = {1, 2, 3, 0};
constexpr int32_t kZeros[4] = {};

// A member record for another user of the room.
class Member : public IMemberInfo {
 public:
  Member(int number, std::u16string name) : number_(number), name_(std::move(name)) {}
  int GetNumber() override { return number_; }
  void SetNumber(int number) override { number_ = number; }
  char16_t* GetUserName() override { return Copy(name_); }
  void SetUserName(const char16_t* name) override { name_ = name; }
  char16_t* GetDomain() override { return Copy(u""); }
  void SetDomain(const char16_t*) override {}
  char16_t* GetResource() override { return Copy(u""); }
  void SetResource(const char16_t*) override {}

 private:
  static char16_t* Copy(const std::u16string& text) {
    auto* out = new char16_t[text.size() + 1];
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = 0;
    return out;
  }
  int number_;
  std::u16string name_;
};

// A received packet, as the link makes it from the bytes.
TDRL::Packet Incoming(const std::vector<unsigned char>& whole) {
  TDRL::Packet packet;
  const int32_t type = TDRL::LoadInt32LE(whole.data());
  const int32_t argument = TDRL::LoadInt32LE(whole.data() + 4);
  const auto length = static_cast<int32_t>(whole.size() - 12);
  TDRL::CreatePacket(type, argument, whole.data() + 12, length, packet);
  return packet;
}

std::vector<unsigned char> Begin(const char16_t* user = u"bob") {
  return Bytes().Record("r", user, 0, 12, kFirstValues).Int(1).Int(1234).Int(0).Packet(24, 0);
}
std::vector<unsigned char> Data(const std::string& text, int32_t value = 0, const char16_t* user = u"bob") {
  return Bytes().Record("r", user, value, static_cast<int32_t>(text.size()), kFirstValues).Raw(text).Packet(24, 3);
}
std::vector<unsigned char> End(const char16_t* user = u"bob") {
  return Bytes().Record("r", user, 0, 0, kFirstValues).Packet(24, 1);
}

class RoomsCoEditTest : public RoomOverFakeBookTest {
 protected:
  void SetUp() override {
    RoomOverFakeBookTest::SetUp();
    if (HasFatalFailure()) return;
    room_->GetWorkbookSyncManager()->SetBook(&book_);
    Member bob(3, u"bob");
    room_->GetInformationUnit()->AddConnectedUser(&bob);
    coEdit_ = room_->GetCoEditManager();
    journal_.clear();
  }

  // Hands the bytes to the first item's receiver; whether it answered true.
  bool Receive(const std::vector<unsigned char>& whole, ItemSelector selector = kFirst) {
    TDRL::Packet packet = Incoming(whole);
    return TDRL_ReceiveItemPacketForTest(room_, selector, packet);
  }

  ICoEditManager* coEdit_ = nullptr;
};

TEST_F(RoomsCoEditTest, SenderPacketsCarryTheRecordAndTheirFields) {
  Kx2ClockSetManual(TRUE, 5000);
  IItemSender* sender = coEdit_->GetItemSender(kFirst);
  EXPECT_EQ(sender->BeginEdit(), 1);
  FakeData piece(7, "abc", 3);
  EXPECT_EQ(sender->SendItemData(&piece), 1);
  EXPECT_EQ(piece.sent_, 1);
  EXPECT_EQ(sender->EndEdit(), 1);
  EXPECT_EQ(sender->LockTopic(kSecond, 9), 1);
  // No item in the book: the record's selector is zeros.
  EXPECT_EQ(coEdit_->GetItemSender(kMissing)->EndEdit(), 1);
  Kx2ClockSetManual(FALSE, 0);

  ASSERT_EQ(sender_.sent.size(), 5u);
  EXPECT_EQ(sender_.sent[0], Bytes().Record("r", u"ann", 0, 12, kFirstValues).Int(1).Int(5000).Int(0).Packet(24, 0));
  EXPECT_EQ(sender_.sent[1], Bytes().Record("r", u"ann", 7, 3, kFirstValues).Raw("abc").Packet(24, 3));
  EXPECT_EQ(sender_.sent[2], Bytes().Record("r", u"ann", 0, 0, kFirstValues).Packet(24, 1));
  EXPECT_EQ(sender_.sent[3],
            Bytes().Record("r", u"ann", 0, 0, kFirstValues).Int(1).Int(2).Int(3).Int(5).Int(9).Packet(39));
  EXPECT_EQ(sender_.sent[4], Bytes().Record("r", u"ann", 0, 0, kZeros).Packet(24, 1));
}

TEST_F(RoomsCoEditTest, DataBeyondOnePacketIsNotSentNorMarkedSent) {
  IItemSender* sender = coEdit_->GetItemSender(kFirst);
  const std::string big(TDRL::kMaxPacketBody - TDRL::kMemberRecordSize + 1, 'a');
  FakeData tooBig(1, big.data(), static_cast<LONG>(big.size()));
  EXPECT_EQ(sender->SendItemData(&tooBig), 0);
  EXPECT_EQ(tooBig.sent_, 0);
  FakeData negative(1, big.data(), -1);
  EXPECT_EQ(sender->SendItemData(&negative), 0);
  FakeData fits(1, big.data(), static_cast<LONG>(big.size() - 1));
  EXPECT_EQ(sender->SendItemData(&fits), 1);
  ASSERT_EQ(sender_.sent.size(), 1u);
  EXPECT_EQ(sender_.sent[0].size(), static_cast<size_t>(TDRL::kMaxPacketSize));
}

TEST_F(RoomsCoEditTest, OneSenderPerSelectorAndRebuildFromTheBook) {
  IItemSender* first = coEdit_->GetItemSender(kFirst);
  EXPECT_EQ(coEdit_->GetItemSender(kFirst), first);
  EXPECT_NE(coEdit_->GetItemSender(kMissing), first);  // only the last value differs
  EXPECT_EQ(TDRL_ItemSenderCountForTest(room_), 2u);
  second_.takesPart = 0;
  EXPECT_EQ(coEdit_->RebuildItemSenders(), 1);
  EXPECT_EQ(TDRL_ItemSenderCountForTest(room_), 1u);
  second_.takesPart = 1;
  EXPECT_EQ(coEdit_->RebuildItemSenders(), 2);
}

TEST_F(RoomsCoEditTest, ManySelectorsEachKeepTheirOwnSender) {
  // Selectors alike but for one word, in each word in turn: the list's index grows and its
  // probes pass one another.
  std::vector<ItemSelector> selectors;
  for (int word = 0; word < 4; ++word) {
    for (int32_t v = 0; v < 100; ++v) {
      ItemSelector s{{7, 7, 7, 7}};
      s.values[word] = v * 0x10001;
      if (std::find(selectors.begin(), selectors.end(), s) == selectors.end()) selectors.push_back(s);
    }
  }
  std::vector<IItemSender*> senders;
  for (const ItemSelector& s : selectors) senders.push_back(coEdit_->GetItemSender(s));
  EXPECT_EQ(TDRL_ItemSenderCountForTest(room_), selectors.size());
  for (size_t i = 0; i < selectors.size(); ++i) {
    ASSERT_EQ(coEdit_->GetItemSender(selectors[i]), senders[i]) << i;
  }
  EXPECT_EQ(TDRL_ItemSenderCountForTest(room_), selectors.size());
  // A rebuild forgets them all: the book's two items are found again, anything else is new.
  EXPECT_EQ(coEdit_->RebuildItemSenders(), 2);
  coEdit_->GetItemSender(selectors[0]);
  coEdit_->GetItemSender(kFirst);
  EXPECT_EQ(TDRL_ItemSenderCountForTest(room_), 3u);
}

TEST_F(RoomsCoEditTest, ReceivedEditAppliesAsOneBatchAtItsEnd) {
  ASSERT_TRUE(Receive(Begin()));
  ASSERT_TRUE(Receive(Data("one", 10)));
  ASSERT_TRUE(Receive(Data("two", 11)));
  room_->ForwardToCoEdit(2);
  EXPECT_TRUE(journal_.empty());  // not complete yet
  ASSERT_TRUE(Receive(End()));
  room_->ForwardToCoEdit(1);  // only 2 processes the receivers
  EXPECT_TRUE(journal_.empty());
  room_->ForwardToCoEdit(2);
  EXPECT_EQ(journal_, (Journal{"begin", "apply 10 one by 3", "apply 11 two by 3", "end"}));

  IItemReceiver* receiver = coEdit_->GetItemReceiver(kFirst);
  ASSERT_EQ(first_.Holder().edits.size(), 2u);
  FakeData* applied = first_.Holder().edits[0].get();
  EXPECT_EQ(receiver->GetEditFlags(applied), 3);  // open and applied
  FakeData stranger(0, "one", 3);
  EXPECT_FALSE(receiver->MarkEdit(&stranger, 4));
  EXPECT_EQ(receiver->GetEditFlags(&stranger), 0);
  // A finished edit is tidied away.
  EXPECT_TRUE(receiver->MarkEdit(applied, 4));
  EXPECT_EQ(receiver->IsEmpty(), 0);
  receiver->ProcessPackets();
  EXPECT_EQ(receiver->IsEmpty(), 1);
}

TEST_F(RoomsCoEditTest, LeadingDataIsDroppedAndNoItemProcessesNothing) {
  ASSERT_TRUE(Receive(Data("stray")));
  IItemReceiver* receiver = coEdit_->GetItemReceiver(kFirst);
  receiver->ProcessPackets();
  EXPECT_EQ(receiver->IsEmpty(), 1);
  EXPECT_TRUE(journal_.empty());

  for (const auto& packet : {Begin(), Data("x"), End()}) ASSERT_TRUE(Receive(packet, kMissing));
  IItemReceiver* orphan = coEdit_->GetItemReceiver(kMissing);
  orphan->ProcessPackets();
  EXPECT_TRUE(journal_.empty());
  // The receiver's lock is free for another thread.
  auto other = std::async(std::launch::async, [orphan] { return orphan->IsEmpty(); });
  ASSERT_EQ(other.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(other.get(), 0);
}

TEST_F(RoomsCoEditTest, MalformedDataSkipsTheRestOfItsEdit) {
  for (const auto& packet : {Begin(), Data("Xbad"), Data("good"), End()}) ASSERT_TRUE(Receive(packet));
  room_->ForwardToCoEdit(2);
  EXPECT_EQ(journal_, (Journal{"refuse"}));
  journal_.clear();
  for (const auto& packet : {Begin(), Data("next", 2), End()}) ASSERT_TRUE(Receive(packet));
  room_->ForwardToCoEdit(2);
  EXPECT_EQ(journal_, (Journal{"begin", "apply 2 next by 3", "end"}));
}

TEST_F(RoomsCoEditTest, RefusedPacketsStayWithTheCaller) {
  const std::string unterminated(260, 'r');
  struct Case {
    const char* what;
    std::vector<unsigned char> bytes;
  } cases[] = {
      {"shorter than its record", Bytes().Raw("abc").Packet(24, 0)},
      {"payload length not the bytes behind", Bytes().Record("r", u"bob", 0, 5, kFirstValues).Raw("abc").Packet(24, 3)},
      {"payload length beyond the bytes", Bytes().Record("r", u"bob", 0, 12, kFirstValues).Packet(24, 0)},
      {"opening without its values", Bytes().Record("r", u"bob", 0, 4, kFirstValues).Int(1).Packet(24, 0)},
      {"room name without terminator", Bytes().Record(unterminated, u"bob", 0, 0, kFirstValues).Packet(24, 1)},
      {"user name without terminator",
       Bytes().Record("r", std::u16string(260, u'b'), 0, 3, kFirstValues).Raw("abc").Packet(24, 3)},
      {"lock without its fields", Bytes().Record("r", u"bob", 0, 0, kFirstValues).Int(1).Packet(39)},
      {"lock request without its code", Bytes().Record("r", u"bob", 0, 0, kFirstValues).Packet(40)},
      {"another type", Bytes().Narrow("r").Packet(13)},
  };
  for (auto& c : cases) {
    TDRL::Packet packet = Incoming(c.bytes);
    EXPECT_FALSE(TDRL_ReceiveItemPacketForTest(room_, kFirst, packet)) << c.what;
    EXPECT_NE(packet.Block(), nullptr) << c.what;
  }
  EXPECT_EQ(coEdit_->GetItemReceiver(kFirst)->IsEmpty(), 1);
}

TEST_F(RoomsCoEditTest, AnEditPastTheQueueBoundIsDroppedWhole) {
  ASSERT_TRUE(Receive(Begin()));
  const std::string piece(1000000, 'p');
  for (int i = 0; i < 17; ++i) ASSERT_TRUE(Receive(Data(piece)));
  IItemReceiver* receiver = coEdit_->GetItemReceiver(kFirst);
  EXPECT_EQ(receiver->IsEmpty(), 1);
  // The rest of that edit is taken and let go.
  TDRL::Packet end = Incoming(End());
  EXPECT_TRUE(TDRL_ReceiveItemPacketForTest(room_, kFirst, end));
  EXPECT_NE(end.Block(), nullptr);
  EXPECT_EQ(receiver->IsEmpty(), 1);
  for (const auto& packet : {Begin(), Data("after", 1), End()}) ASSERT_TRUE(Receive(packet));
  room_->ForwardToCoEdit(2);
  EXPECT_EQ(journal_, (Journal{"begin", "apply 1 after by 3", "end"}));
}

TEST_F(RoomsCoEditTest, LocksAndLockRequestsReachTheLockService) {
  auto lock = [&](const char16_t* user, int32_t flag) {
    return Receive(Bytes().Record("r", user, 0, 0, kFirstValues).Int(1).Int(2).Int(3).Int(5).Int(flag).Packet(39));
  };
  auto request = [&](int32_t code) {
    return Receive(Bytes().Record("r", u"bob", 0, 0, kFirstValues).Int(code).Packet(40));
  };
  EXPECT_TRUE(lock(u"bob", 1));
  EXPECT_TRUE(lock(u"bob", 0));
  first_.Holder().localMember = 3;
  EXPECT_FALSE(lock(u"bob", 0));  // the holder's own member is never unlocked by another's word
  EXPECT_TRUE(request(1));
  EXPECT_TRUE(request(2));
  EXPECT_EQ(journal_, (Journal{"lock 3 5 40", "unlock 3 5 40", "unlock 3 0 41"}));
  first_.Holder().withLocks = false;
  EXPECT_TRUE(lock(u"bob", 1));  // no lock service: nothing to record
  EXPECT_FALSE(request(2));
  first_.withHolder = false;
  EXPECT_FALSE(request(1));
}

TEST_F(RoomsCoEditTest, DownloadedAttachmentGoesToTheStoreAndTheFileGoes) {
  const ItemSelector attachment{{0x0A0B0C0D, 0x11112222, 0x33334444, 0x55556666}};
  const std::filesystem::path file = TempFolder() / "{0A0B0C0D-2222-1111-4444-333366665555}.tmp";
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << "attached bytes";
  char16_t name[260] = {};
  char16_t path[260] = {};
  IBinDataReceiver* downloads = coEdit_->GetBinDataReceiver(kFirst);
  ASSERT_EQ(downloads->MakeAttachmentPath(attachment, name, 260, path, 260), 0);
  EXPECT_EQ(std::u16string(name), u"{0A0B0C0D-2222-1111-4444-333366665555}.tmp");
  EXPECT_TRUE(coEdit_->IsAttachmentDownloaded(attachment, kFirst));
  char16_t small[8] = {};
  EXPECT_EQ(downloads->MakeAttachmentPath(attachment, nullptr, 0, small, 8), static_cast<int>(0x8007007A));

  room_->GetWorkbookSyncManager()->SetBook(nullptr);
  EXPECT_EQ(coEdit_->ApplyAttachmentFile(attachment, path), -1);  // nowhere to go: the file stays
  EXPECT_TRUE(std::filesystem::exists(file));
  room_->GetWorkbookSyncManager()->SetBook(&book_);
  journal_.clear();
  second_.takesPart = 0;
  EXPECT_EQ(coEdit_->ApplyAttachmentFile(attachment, path), 0);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(journal_, (Journal{"attach " + std::to_string(0x0A0B0C0D), "changed 1"}));
  kx2::Ref<IVtlFileStore> store(VtlGetApplication()->GetFileStore());
  EXPECT_NE(store->FindAttachment(reinterpret_cast<const LONG*>(attachment.values), 1, 1), 0u);
}

}  // namespace

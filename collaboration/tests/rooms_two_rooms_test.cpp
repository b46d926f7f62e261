// Two rooms in one process wired back to back: what one sends reaches the other's receivers
// as the network would hand it over, over two documents of the host stand-in; attachments go
// through the HTTP test server.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <kx2/PathMap.h>
#include <kx2test/PeerLauncher.h>
#include <tendril/packet.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_book.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>

#include "recording_sender.h"

namespace {

namespace fs = std::filesystem;

// Keeps every item packet for the other room's receiver; Deliver hands them over for the
// record's selector, rebuilt from their bytes as a link would (after the send, as a link does).
class BackToBack : public TDRL::ISender {
 public:
  bool Send(TDRL::Packet& packet) override {
    sent.emplace_back(packet.Data(), packet.Data() + packet.TotalSize());
    return true;
  }
  void Deliver() {
    for (; delivered < sent.size(); ++delivered) Hand(sent[delivered]);
  }
  void Hand(const std::vector<unsigned char>& bytes) {
    TDRL::Packet received;
    TDRL::CreatePacket(TDRL::LoadInt32LE(bytes.data()), TDRL::LoadInt32LE(bytes.data() + 4), bytes.data() + 12,
                       static_cast<int32_t>(bytes.size() - 12), received);
    ItemSelector selector;
    for (int i = 0; i < 4; ++i) selector.values[i] = TDRL::LoadInt32LE(bytes.data() + 12 + 788 + 4 * i);
    if (peer) TDRL_ReceiveItemPacketForTest(peer, selector, received);
  }
  IMeetingRoom* peer = nullptr;
  size_t delivered = 0;
  std::vector<std::vector<unsigned char>> sent;
};

// A member record naming a user of the other room.
class Member : public IMemberInfo {
 public:
  Member(int number, std::u16string name) : number_(number), name_(std::move(name)) {}
  int GetNumber() override { return number_; }
  void SetNumber(int number) override { number_ = number; }
  char16_t* GetUserName() override {
    auto* out = new char16_t[name_.size() + 1];
    std::copy(name_.begin(), name_.end(), out);
    out[name_.size()] = 0;
    return out;
  }
  void SetUserName(const char16_t* name) override { name_ = name; }
  char16_t* GetDomain() override { return GetUserName(); }
  void SetDomain(const char16_t*) override {}
  char16_t* GetResource() override { return GetUserName(); }
  void SetResource(const char16_t*) override {}

 private:
  int number_;
  std::u16string name_;
};

class TwoRoomsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(testing::TempDir()) / ("two-rooms-" + std::to_string(::getpid()));
    fs::create_directories(folder_ / "server");
    server_ = kx2test::PeerProcess::StartPythonPeer("http_server.py", {(folder_ / "server").string()});
    ASSERT_TRUE(server_) << "the HTTP test server did not start";
    ::setenv("KX2_TENDRIL_HTTP", ("127.0.0.1:" + std::to_string(server_->Port())).c_str(), 1);

    VtlGetApplication();
    vantorel::CloseAllDocuments();
    vantorel::SetCollabAccount(true, u"ann@example.org");
    for (int* doc : {&docA_, &docB_}) {
      *doc = vantorel::OpenDocument();
      ASSERT_TRUE(vantorel::AddTopic(*doc, {}, u"Day 1"));
      ASSERT_TRUE(vantorel::AddTopic(*doc, {}, u"Day 2"));
    }
    tendril_ = GetTendrilInterface();
    tendril_->SetHostObject(vantorel::CollabHost());
    IXmppMeetingManager* manager = tendril_->GetMeetingManager();
    roomA_ = manager->FindMeetingRoomById(manager->CreateMeetingRoom("trip"));
    roomB_ = manager->FindMeetingRoomById(manager->CreateMeetingRoom("trip"));
    Wire(roomA_, linkA_, roomB_, 1, u"ann", 2, u"bob", docA_);
    Wire(roomB_, linkB_, roomA_, 2, u"bob", 1, u"ann", docB_);
  }
  void TearDown() override {
    if (tendril_) {
      tendril_->Uninit();
      DestroyTendril();
    }
    vantorel::DropCollabBooks();
    vantorel::CloseAllDocuments();
    vantorel::SetCollabAccount(false, u"");
    ::unsetenv("KX2_TENDRIL_HTTP");
  }

  void Wire(IMeetingRoom* room, BackToBack& link, IMeetingRoom* peer, int ownNumber, const char16_t* own,
            int otherNumber, const char16_t* other, int doc) {
    IInformationUnit* info = room->GetInformationUnit();
    Member self(ownNumber, own);
    info->SetOwnMemberInfo(&self);
    Member member(otherNumber, other);
    info->AddConnectedUser(&member);
    link.peer = peer;
    ASSERT_TRUE(TDRL_SetRoomSenderForTest(room, &link));
    room->GetWorkbookSyncManager()->SetBook(vantorel::CollabBook(doc));
  }

  fs::path folder_;
  std::unique_ptr<kx2test::PeerProcess> server_;
  int docA_ = 0, docB_ = 0;
  ITendril* tendril_ = nullptr;
  IMeetingRoom* roomA_ = nullptr;
  IMeetingRoom* roomB_ = nullptr;
  BackToBack linkA_, linkB_;
};

ItemSelector Selector(int doc, const std::vector<int>& path) {
  ItemSelector s;
  vantorel::TopicSelector(doc, path, reinterpret_cast<LONG*>(s.values));
  return s;
}

TEST_F(TwoRoomsTest, AnEditedTopicTextAppearsInTheOtherDocument) {
  const ItemSelector topic = Selector(docA_, {1});
  EXPECT_EQ(topic, Selector(docB_, {1}));  // the same map gives the same selectors
  EXPECT_NE(topic, Selector(docA_, {0}));

  const std::u16string text = u"Day 2: Sintra";
  ASSERT_TRUE(vantorel::SetTopicText(docA_, {1}, text));
  vantorel::ItemData data(vantorel::kCollabTopicText, vantorel::EncodeTextValue(text));
  IItemSender* sender = roomA_->GetCoEditManager()->GetItemSender(topic);
  ASSERT_EQ(sender->BeginEdit(), 1);
  ASSERT_EQ(sender->SendItemData(&data), 1);
  EXPECT_TRUE(data.Sent());
  ASSERT_EQ(sender->EndEdit(), 1);
  linkA_.Deliver();

  EXPECT_EQ(vantorel::TopicText(docB_, {1}), u"Day 2");
  roomB_->ForwardToCoEdit(2);
  EXPECT_EQ(vantorel::TopicText(docB_, {1}), text);
  EXPECT_EQ(vantorel::TopicText(docB_, {0}), u"Day 1");
  EXPECT_EQ(vantorel::LastEditor(docB_, {1}), 1);  // the editor's member number

  // A lock by the first is recorded by the second's host.
  ASSERT_EQ(sender->LockTopic(topic, 1), 1);
  linkA_.Deliver();
  EXPECT_EQ(vantorel::LockHolder(docB_, reinterpret_cast<const LONG*>(topic.values)), 1);
}

TEST_F(TwoRoomsTest, AnAttachmentTravelsThroughTheHttpServer) {
  const ItemSelector topic = Selector(docA_, {0});
  const ItemSelector attachment{{0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10}};
  const fs::path own = folder_ / "own-attachment.bin";
  std::ofstream(own, std::ios::binary) << "the first host's own file";
  vantorel::AddAttachmentFile(reinterpret_cast<const LONG*>(attachment.values), kx2::ToWindowsPath(own.string()));

  roomA_->GetCoEditManager()->UploadAttachment(attachment, topic);
  ASSERT_TRUE(server_->WaitForLine([](const std::string& l) { return l.find("\"stored\"") != l.npos; }));
  EXPECT_TRUE(fs::exists(folder_ / "server" / "attachments" / "{01020304-0708-0506-0C0B-0A09100F0E0D}.tmp"));

  roomB_->GetCoEditManager()->DownloadAttachment(attachment, topic);
  // Handed over: the store holds its copy and the downloaded file is gone.
  std::vector<unsigned char> bytes;
  bool adopted = false;
  auto handedOver = [&] {
    return vantorel::AttachmentBytes(reinterpret_cast<const LONG*>(attachment.values), &bytes, &adopted) && adopted &&
           !roomB_->GetCoEditManager()->IsAttachmentDownloaded(attachment, topic);
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!handedOver() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  ASSERT_TRUE(handedOver()) << "the download did not reach the file store";
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "the first host's own file");

  tendril_->Uninit();
  DestroyTendril();
  tendril_ = nullptr;
  EXPECT_TRUE(fs::exists(own));
}

}  // namespace

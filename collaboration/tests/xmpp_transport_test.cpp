// A room's chat transport against a prosody of the test's own: anonymous login, the chat room
// entered, members coming and going, and packets going both ways as chunks while no TCP link is
// up. A bare gloox client on a thread of the test is the other member.
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gloox/client.h>
#include <gloox/connectionlistener.h>
#include <gloox/message.h>
#include <gloox/mucroom.h>
#include <gloox/mucroomhandler.h>
#include <gtest/gtest.h>

#include <kx2test/PeerLauncher.h>
#include <tendril/chat_transport.h>
#include <tendril/packet.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_book.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>
#include <win/user_message.h>

#include "recording_sender.h"
#include "ui_events.h"

namespace {

using namespace std::chrono_literals;

// Pumps this thread's messages (where the chat-room events run) until done() or 10 s.
template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds timeout = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// Another member of the chat room: a bare gloox client on a thread of its own. The client is
// that thread's alone; the lock guards only what the test thread reads or queues, and is never
// held while the thread waits on the socket, or the test thread (which must keep pumping for
// the room to answer) could wait on it for as long as the socket stays busy.
class Peer : public gloox::ConnectionListener, public gloox::MUCRoomHandler {
 public:
  Peer(uint16_t port, const std::string& room, const std::string& nick) : client_("collab.test") {
    client_.setServer("127.0.0.1");
    client_.setPort(port);
    client_.setSASLMechanisms(gloox::SaslMechAnonymous);
    client_.setTls(gloox::TLSDisabled);
    client_.setCompression(false);
    client_.disableRoster();
    client_.registerConnectionListener(this);
    room_ =
        std::make_unique<gloox::MUCRoom>(&client_, gloox::JID(room + "@conference.collab.test/" + nick), this, nullptr);
    client_.connect(false);
    thread_ = std::thread([this] {
      while (!stop_) {
        // 20 ms at most: what the test queues goes out that soon.
        if (const gloox::ConnectionError error = client_.recv(20000); error != gloox::ConnNoError) {
          error_ = error;
          break;
        }
        std::vector<std::string> outbox;
        {
          std::lock_guard hold(lock_);
          outbox.swap(outbox_);
        }
        for (auto& text : outbox) room_->send(text);
        if (leave_ && joined_) {
          room_->leave();
          leave_ = false;
        }
      }
    });
  }
  ~Peer() override {
    stop_ = true;
    thread_.join();
    client_.disconnect();
  }
  bool Joined() const { return joined_; }
  // Why the client stopped reading, for a failure's message: gloox's ConnectionError, 0 while
  // it reads.
  int Error() const { return error_; }
  void Say(const std::string& text) {
    std::lock_guard hold(lock_);
    outbox_.push_back(text);
  }
  void Leave() { leave_ = true; }
  // The packets that came whole as chunks from the room's other members.
  std::vector<std::vector<unsigned char>> Packets() {
    std::lock_guard hold(lock_);
    return packets_;
  }

  void onConnect() override { room_->join(); }
  void onDisconnect(gloox::ConnectionError) override {}
  bool onTLSConnect(const gloox::CertInfo&) override { return false; }
  void handleMUCParticipantPresence(gloox::MUCRoom*, const gloox::MUCRoomParticipant p,
                                    const gloox::Presence&) override {
    if (p.flags & gloox::UserSelf) joined_ = true;
  }
  void handleMUCMessage(gloox::MUCRoom*, const gloox::Message& msg, bool) override {
    if (msg.from().resource() == room_->nick()) return;
    TDRL::Packet packet;
    if (reassembler_.Add(msg.from().resource(), msg.body(), 0, packet) == TDRL::ChunkReassembler::Result::kComplete) {
      std::lock_guard hold(lock_);
      packets_.emplace_back(packet.Data(), packet.Data() + packet.TotalSize());
    }
  }
  bool handleMUCRoomCreation(gloox::MUCRoom*) override { return true; }
  void handleMUCSubject(gloox::MUCRoom*, const std::string&, const std::string&) override {}
  void handleMUCInviteDecline(gloox::MUCRoom*, const gloox::JID&, const std::string&) override {}
  void handleMUCError(gloox::MUCRoom*, gloox::StanzaError) override {}
  void handleMUCInfo(gloox::MUCRoom*, int, const std::string&, const gloox::DataForm*) override {}
  void handleMUCItems(gloox::MUCRoom*, const gloox::Disco::ItemList&) override {}

 private:
  gloox::Client client_;
  std::unique_ptr<gloox::MUCRoom> room_;
  std::thread thread_;
  std::atomic<bool> stop_{false}, joined_{false}, leave_{false};
  std::atomic<int> error_{gloox::ConnNoError};
  TDRL::ChunkReassembler reassembler_;  // the client's thread's
  std::mutex lock_;
  std::vector<std::string> outbox_;                  // under lock_
  std::vector<std::vector<unsigned char>> packets_;  // under lock_
};

class XmppTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(testing::TempDir()) / ("xmpp-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    server_ = kx2test::PeerProcess::StartPythonPeer("prosody_peer.py", {folder_.string()});
    if (!server_) GTEST_SKIP() << "prosody is not installed (scripts/setup installs it)";
    ::setenv("KX2_TENDRIL_XMPP", ("127.0.0.1:" + std::to_string(server_->Port())).c_str(), 1);
    ::setenv("KX2_TENDRIL_SERVER", "127.0.0.1:1", 1);  // no TCP link: packets go through the chat room
    VtlGetApplication();
    vantorel::CloseAllDocuments();
    vantorel::SetCollabAccount(true, u"ann@example.org");
    tendril_ = GetTendrilInterface();
    tendril_->SetHostObject(vantorel::CollabHost());
  }
  void TearDown() override {
    if (tendril_) {
      tendril_->Uninit();
      DestroyTendril();
    }
    vantorel::DropCollabBooks();
    vantorel::CloseAllDocuments();
    vantorel::SetCollabAccount(false, u"");
    ::unsetenv("KX2_TENDRIL_XMPP");
    ::unsetenv("KX2_TENDRIL_SERVER");
    ::unsetenv("KX2_TENDRIL_DOMAIN");
  }
  std::vector<TendrilUIEvent> Events() { return TakeUIEvents(tendril_->GetUIService()); }

  std::filesystem::path folder_;
  std::unique_ptr<kx2test::PeerProcess> server_;
  ITendril* tendril_ = nullptr;
};

bool Has(const std::vector<TendrilUIEvent>& events, const TendrilUIEvent& e) {
  return std::find(events.begin(), events.end(), e) != events.end();
}

TEST_F(XmppTransportTest, ARoomEntersItsChatRoomAndTalksThroughIt) {
  IXmppMeetingManager* manager = tendril_->GetMeetingManager();
  IMeetingRoom* room = manager->FindMeetingRoomById(manager->CreateMeetingRoom("Trip"));
  const int id = room->GetInformationUnit()->GetWorkingRoomInfo()->GetId();
  // The first in the room is its master.
  ASSERT_TRUE(PumpUntil([&] { return room->GetFirstFlag() == 1; })) << "the room was not entered";
  EXPECT_EQ(room->GetSecondFlag(), 1);  // the XMPP connection opened
  std::vector<TendrilUIEvent> events = Events();
  EXPECT_TRUE(Has(events, MakeUIEvent(20, id, 1)));
  const int doc = vantorel::OpenDocument();
  vantorel::AddTopic(doc, {}, u"topic");
  room->GetWorkbookSyncManager()->SetBook(vantorel::CollabBook(doc));

  // Another member comes (to the lower-case room): events 20 (2, number) and 1.
  Peer bob(server_->Port(), "trip", "bob");
  ASSERT_TRUE(PumpUntil([&] { return room->GetInformationUnit()->GetMemberNumber(u"bob") >= 0; }))
      << "bob's connection error: " << bob.Error();
  const int number = room->GetInformationUnit()->GetMemberNumber(u"bob");
  ASSERT_TRUE(PumpUntil([&] { return tendril_->GetUIService()->IsUIEventQueueEmpty() == 0; }));
  events = Events();
  EXPECT_TRUE(Has(events, MakeUIEvent(20, id, 2, number)));
  EXPECT_TRUE(Has(events, MakeUIEvent(1, id)));

  // A packet of the room goes as chunks: the book synchronisation finished (34).
  room->NotifySyncBookFinished();
  ASSERT_TRUE(PumpUntil([&] { return !bob.Packets().empty(); }))
      << "no chunk reached the other member; its connection error: " << bob.Error();
  EXPECT_EQ(bob.Packets()[0], Bytes().Narrow("trip").Wide(u"ann").Packet(34));

  // A packet of the other member comes as chunks: a position request (28), answered with a 29.
  TDRL::Packet request;
  {
    TDRL::CreatePacket(28, 0, nullptr, 0, request);
    const auto body = Bytes().Narrow("trip").Wide(u"bob").Int(1).Int(2).Int(3).Int(4).Int(5).Int(6).Byte(9).data;
    request.AppendBytes(body.size(), body.data());
  }
  for (const std::string& chunk : TDRL::MakeChunks(1, TDRL::EncodePacketText(request))) bob.Say(chunk);
  ASSERT_TRUE(PumpUntil([&] { return bob.Packets().size() >= 2; }))
      << "no answer came back; bob's connection error: " << bob.Error();
  EXPECT_EQ(bob.Packets()[1],
            Bytes().Narrow("trip").Wide(u"bob").Int(1).Int(2).Int(3).Int(4).Int(5).Int(6).Byte(1).Packet(29));

  // The member leaves: event 10 with its number.
  Events();
  bob.Leave();
  ASSERT_TRUE(PumpUntil([&] { return room->GetInformationUnit()->GetMemberNumber(u"bob") < 0; }))
      << "bob's connection error: " << bob.Error();
  EXPECT_TRUE(Has(Events(), MakeUIEvent(10, id, number)));
}

TEST_F(XmppTransportTest, ATakenNicknameGetsANumberAndBecomesTheUserName) {
  Peer other(server_->Port(), "trip", "ann");
  ASSERT_TRUE(PumpUntil([&] { return other.Joined(); })) << "its connection error: " << other.Error();
  IXmppMeetingManager* manager = tendril_->GetMeetingManager();
  IMeetingRoom* room = manager->FindMeetingRoomById(manager->CreateMeetingRoom("trip"));
  ASSERT_TRUE(PumpUntil([&] {
    std::unique_ptr<char16_t[]> name(room->GetInformationUnit()->GetOwnMemberInfo()->GetUserName());
    return std::u16string(name.get()) == u"ann#2";
  }));
  // The other "ann" is a member of its own, and this room is not the master.
  ASSERT_TRUE(PumpUntil([&] { return room->GetInformationUnit()->GetMemberNumber(u"ann") >= 0; }));
  EXPECT_EQ(room->GetFirstFlag(), 0);
}

TEST_F(XmppTransportTest, ALoginWithoutAnonymousMechanismEndsWithError6) {
  tendril_->Uninit();
  DestroyTendril();
  ::setenv("KX2_TENDRIL_DOMAIN", "password.test", 1);  // passwords only
  tendril_ = GetTendrilInterface();
  tendril_->SetHostObject(vantorel::CollabHost());
  IXmppMeetingManager* manager = tendril_->GetMeetingManager();
  IMeetingRoom* room = manager->FindMeetingRoomById(manager->CreateMeetingRoom("trip"));
  ASSERT_TRUE(PumpUntil([&] { return TDRL_RoomLoginErrorForTest(room) == 6; }));
  EXPECT_EQ(room->GetSecondFlag(), 0);  // never opened
}

TEST_F(XmppTransportTest, ARoomNameThatIsNoAddressNeverJoins) {
  IXmppMeetingManager* manager = tendril_->GetMeetingManager();
  IMeetingRoom* room = manager->FindMeetingRoomById(manager->CreateMeetingRoom("a/b"));
  ASSERT_NE(room, nullptr);
  PumpUntil([] { return false; }, 300ms);
  EXPECT_EQ(room->GetFirstFlag(), 0);
  EXPECT_EQ(room->GetSecondFlag(), 0);
}

}  // namespace

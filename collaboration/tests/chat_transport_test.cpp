// The chat transport apart from the XMPP library: the room address, packets going as chunks
// when the TCP link does not take them, and the chat-room handler's members, events and
// reassembled packets.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tendril/chat_transport.h>
#include <tendril/packet.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_book.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>

#include "recording_sender.h"
#include "ui_events.h"

namespace {

class RecordingChat : public TDRL::IChatRoomLink {
 public:
  bool InRoom() override { return inRoom; }
  void SendGroupChat(const std::string& body) override { sent.push_back(body); }
  bool inRoom = true;
  std::vector<std::string> sent;
};

TDRL::Packet Built(int32_t type, const std::string& body) {
  TDRL::Packet packet;
  TDRL::CreatePacket(type, 0, nullptr, 0, packet);
  if (!body.empty()) packet.AppendBytes(body.size(), body.data());
  return packet;
}

TEST(ChatTransport, RoomAddressesAreLowerCaseAndRefuseWhatNoAddressHolds) {
  EXPECT_EQ(TDRL::ChatRoomAddress("Trip-Plan", "collab.test"), "trip-plan@conference.collab.test");
  for (const char* bad : {"", "a@b", "a/b", "a\"b", "a'b", "a b", "a\tb", "a\x7f", "a<b"}) {
    EXPECT_EQ(TDRL::ChatRoomAddress(bad, "collab.test"), "") << bad;
  }
}

TEST(ChatTransport, PacketsGoAsChunksOnlyWhenTheLinkDoesNotTakeThem) {
  RecordingChat chat;
  bool linkOpen = false;
  TDRL::ChatPacketSender sender([&](TDRL::Packet&) { return linkOpen; }, &chat);
  // 12 bytes: 16 characters, one chunk [1_1].
  TDRL::Packet empty = Built(14, "");
  ASSERT_TRUE(sender.Send(empty));
  ASSERT_EQ(chat.sent.size(), 1u);
  EXPECT_EQ(chat.sent[0], "{1}[1_1]DgAAAAAAAAAAAAAA");
  // 384 bytes are 512 characters: one chunk; 387 bytes are 516: two, the second of 4.
  TDRL::Packet exact = Built(14, std::string(384 - 12, 'x'));
  sender.Send(exact);
  ASSERT_EQ(chat.sent.size(), 2u);
  EXPECT_EQ(chat.sent[1].rfind("{2}[1_1]", 0), 0u);
  EXPECT_EQ(chat.sent[1].size(), 8u + 512u);
  TDRL::Packet over = Built(14, std::string(387 - 12, 'x'));
  sender.Send(over);
  ASSERT_EQ(chat.sent.size(), 4u);
  EXPECT_EQ(chat.sent[2].rfind("{3}[1_2]", 0), 0u);
  EXPECT_EQ(chat.sent[3].substr(0, 8), "{3}[2_2]");
  EXPECT_EQ(chat.sent[3].size(), 8u + 4u);
  // With the link open no chat message goes and the counter stays.
  linkOpen = true;
  TDRL::Packet linked = Built(14, "");
  sender.Send(linked);
  EXPECT_EQ(chat.sent.size(), 4u);
  EXPECT_EQ(sender.Counter(), 3u);
  // Outside the room the packet is dropped; the counter still advances.
  linkOpen = false;
  chat.inRoom = false;
  TDRL::Packet dropped = Built(14, "");
  sender.Send(dropped);
  EXPECT_EQ(chat.sent.size(), 4u);
  EXPECT_EQ(sender.Counter(), 4u);
}

class ChatRoomHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VtlGetApplication();
    vantorel::CloseAllDocuments();
    vantorel::SetCollabAccount(true, u"ann@example.org");
    tendril_ = GetTendrilInterface();
    tendril_->SetHostObject(vantorel::CollabHost());
    IXmppMeetingManager* manager = tendril_->GetMeetingManager();
    room_ = manager->FindMeetingRoomById(manager->CreateMeetingRoom("r"));
    TDRL_SetRoomSenderForTest(room_, &sent_);
    id_ = room_->GetInformationUnit()->GetWorkingRoomInfo()->GetId();
    Events();
  }
  void TearDown() override {
    tendril_->Uninit();
    DestroyTendril();
    vantorel::DropCollabBooks();
    vantorel::CloseAllDocuments();
    vantorel::SetCollabAccount(false, u"");
  }
  std::vector<TendrilUIEvent> Events() { return TakeUIEvents(tendril_->GetUIService()); }
  void GiveBook() {
    const int doc = vantorel::OpenDocument();
    vantorel::AddTopic(doc, {}, u"topic");
    room_->GetWorkbookSyncManager()->SetBook(vantorel::CollabBook(doc));
  }

  ITendril* tendril_ = nullptr;
  IMeetingRoom* room_ = nullptr;
  RecordingSender sent_;
  int id_ = 0;
};

TEST_F(ChatRoomHandlerTest, TheFirstInTheRoomIsItsMaster) {
  TDRL::TendrilXmppChatroomHandler handler(room_, &sent_);
  handler.EnteredStatus(1, {}, "ann");  // a failed entry changes nothing
  EXPECT_EQ(room_->GetFirstFlag(), 0);
  handler.EnteredStatus(0, {}, "ann");
  EXPECT_EQ(room_->GetFirstFlag(), 1);
  EXPECT_EQ(room_->GetCollaborationUnit()->IsCoEditing(), 1);
  // No host document: the book synchronisation is not asked for (21 with 2).
  EXPECT_EQ(Events(), (std::vector<TendrilUIEvent>{MakeUIEvent(20, id_, 1), MakeUIEvent(21, id_, 2, 1)}));
  IInformationUnit* info = room_->GetInformationUnit();
  EXPECT_EQ(info->GetOwnMemberInfo()->GetNumber(), 0);
  EXPECT_EQ(info->GetWorkingRoomInfo()->GetSecondNumber(), 1);
}

TEST_F(ChatRoomHandlerTest, MembersAreNumberedOnceAndTheirEventsPosted) {
  GiveBook();
  TDRL::TendrilXmppChatroomHandler handler(room_, &sent_);
  handler.EnteredStatus(0, {"bob", "carol"}, "ann");
  IInformationUnit* info = room_->GetInformationUnit();
  EXPECT_EQ(info->GetMemberNumber(u"bob"), 0);
  EXPECT_EQ(info->GetMemberNumber(u"carol"), 1);
  EXPECT_EQ(info->GetOwnMemberInfo()->GetNumber(), 2);
  EXPECT_EQ(room_->GetFirstFlag(), 0);
  EXPECT_TRUE(Events().empty());

  room_->SetFirstFlag(1);  // now the master
  handler.MemberEntered("dave");
  EXPECT_EQ(info->GetMemberNumber(u"dave"), 3);
  EXPECT_EQ(Events(), (std::vector<TendrilUIEvent>{MakeUIEvent(20, id_, 2, 3), MakeUIEvent(1, id_)}));
  handler.MemberEntered("erin");  // a synchronisation is pending: no 20
  EXPECT_EQ(Events(), (std::vector<TendrilUIEvent>{MakeUIEvent(1, id_)}));
  handler.MemberExited("bob");
  EXPECT_EQ(Events(), (std::vector<TendrilUIEvent>{MakeUIEvent(10, id_, 0)}));
  EXPECT_EQ(info->GetMemberNumber(u"bob"), -1);
  // Bob's number is not given again while the others keep theirs.
  handler.MemberEntered("bob");
  EXPECT_EQ(info->GetMemberNumber(u"bob"), 5);
  EXPECT_EQ(info->GetMemberNumber(u"erin"), 4);
  EXPECT_TRUE(sent_.sent.empty());
}

TEST_F(ChatRoomHandlerTest, AMasterWithoutABookRefusesTheNewcomer) {
  TDRL::TendrilXmppChatroomHandler handler(room_, &sent_);
  handler.EnteredStatus(0, {}, "ann");
  Events();
  handler.MemberEntered("bob");
  ASSERT_EQ(sent_.sent.size(), 1u);
  EXPECT_EQ(sent_.sent[0], Bytes().Narrow("r").Wide(u"bob").Packet(33));
  EXPECT_EQ(room_->GetInformationUnit()->GetMemberNumber(u"bob"), -1);
  EXPECT_EQ(room_->GetCoEditManager()->IsCounterSet(), 0);
  EXPECT_TRUE(Events().empty());
}

TEST_F(ChatRoomHandlerTest, ChunksFromAMemberAreJoinedAndDispatched) {
  TDRL::TendrilXmppChatroomHandler handler(room_, &sent_);
  handler.EnteredStatus(0, {"bob"}, "ann");
  Events();
  // A 13 naming the room raises its first flag; its chunks come out of order.
  TDRL::Packet master = Built(13, std::string("r\0", 2));
  const std::string text = TDRL::EncodePacketText(master);
  ASSERT_EQ(text.size(), 20u);
  std::vector<std::string> chunks = TDRL::MakeChunks(7, text);
  ASSERT_EQ(chunks.size(), 1u);
  auto message = [](const std::string& sender, const std::string& body, const char* type = "groupchat",
                    bool delayed = false) {
    return TDRL::ChatRoomMessage{sender, type, delayed, body};
  };
  // Ignored: a private chat, replayed history, and the room's echo of our own message.
  handler.MessageReceived(message("bob", chunks[0], "chat"));
  handler.MessageReceived(message("bob", chunks[0], "groupchat", true));
  handler.MessageReceived(message("ann", chunks[0]));
  EXPECT_EQ(room_->GetFirstFlag(), 0);
  // A body without a chunk header is one whole packet.
  handler.MessageReceived(message("bob", text));
  EXPECT_EQ(room_->GetFirstFlag(), 1);

  room_->SetFirstFlag(0);
  TDRL::Packet big = Built(13, std::string("r\0", 2) + std::string(1000, 'z'));
  const std::vector<std::string> pieces = TDRL::MakeChunks(8, TDRL::EncodePacketText(big));
  ASSERT_EQ(pieces.size(), 3u);
  handler.MessageReceived(message("bob", pieces[1]));
  handler.MessageReceived(message("bob", pieces[0]));
  EXPECT_EQ(room_->GetFirstFlag(), 0);
  handler.MessageReceived(message("bob", pieces[2]));
  EXPECT_EQ(room_->GetFirstFlag(), 1);

  // A member who leaves takes the chunks it had begun with it.
  handler.MessageReceived(message("bob", pieces[0]));
  EXPECT_EQ(handler.PendingChunks(), 1u);
  handler.MemberExited("bob");
  EXPECT_EQ(handler.PendingChunks(), 0u);
}

}  // namespace

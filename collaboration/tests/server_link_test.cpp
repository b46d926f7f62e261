// The server link and the server message handlers against the collaboration test server: a
// room's link opens with its room and user, reads packets in any splits, dispatches them to the
// handlers, answers what they answer, and closes on what ends a link.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <kx2test/PeerLauncher.h>
#include <tendril/link_testing.h>
#include <tendril/packet.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_book.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>

#include "recording_sender.h"
#include "ui_events.h"

namespace {

using namespace std::chrono_literals;

constexpr int32_t kSelector[4] = {7, 7, 7, 7};
constexpr ItemSelector kItem{{7, 7, 7, 7}};
constexpr int kWaitMs = 10000;

std::string Hex(const std::vector<unsigned char>& bytes) {
  std::string out;
  char two[3];
  for (unsigned char b : bytes) {
    std::snprintf(two, sizeof two, "%02x", b);
    out += two;
  }
  return out;
}

std::vector<unsigned char> Slice(const std::vector<unsigned char>& bytes, size_t from, size_t to) {
  return std::vector<unsigned char>(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                    bytes.begin() + static_cast<std::ptrdiff_t>(std::min(to, bytes.size())));
}

// The number after "key": in a JSON event line, or -1.
int Field(const std::string& line, const std::string& key) {
  const size_t at = line.find("\"" + key + "\": ");
  return at == std::string::npos ? -1 : std::atoi(line.c_str() + at + key.size() + 4);
}

template <class Condition>
bool WaitFor(Condition done, std::chrono::milliseconds timeout = std::chrono::milliseconds(kWaitMs)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// A room with its link to the test server.
struct LinkedRoom {
  IMeetingRoom* room = nullptr;
  std::unique_ptr<TDRL::TestLinkChannel> channel;
  int conn = -1;
};

class ServerLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = kx2test::PeerProcess::StartPythonPeer("collab_server.py");
    ASSERT_TRUE(server_) << "the collaboration test server did not start";
    ::setenv("KX2_TENDRIL_SERVER", ("127.0.0.1:" + std::to_string(server_->Port())).c_str(), 1);
    VtlGetApplication();
    vantorel::SetCollabAccount(true, u"ann@example.org");
    tendril_ = GetTendrilInterface();
    tendril_->SetHostObject(vantorel::CollabHost());
    manager_ = tendril_->GetMeetingManager();
  }
  void TearDown() override {
    for (auto& linked : rooms_) {
      TDRL_SetRoomSenderForTest(linked->room, nullptr);
      linked->channel.reset();
    }
    rooms_.clear();
    tendril_->Uninit();
    DestroyTendril();
    vantorel::SetCollabAccount(false, u"");
    ::unsetenv("KX2_TENDRIL_SERVER");
  }

  // A room named `name` whose link has opened and registered with the server.
  LinkedRoom* Link(const char* name) {
    auto linked = std::make_unique<LinkedRoom>();
    linked->room = manager_->FindMeetingRoomById(manager_->CreateMeetingRoom(name));
    linked->channel = std::make_unique<TDRL::TestLinkChannel>(linked->room);
    TDRL_SetRoomSenderForTest(linked->room, linked->channel.get());
    if (linked->channel->Connect() != 0 || !linked->channel->WaitSettled(kWaitMs) || !linked->channel->IsOpen()) {
      ADD_FAILURE() << "the link did not open";
      return nullptr;
    }
    const std::string room = std::string("\"room\": \"") + name + "\"";
    auto line = Event([&](const std::string& l) { return l.find("registered") != l.npos && l.find(room) != l.npos; });
    if (!line) {
      ADD_FAILURE() << "the server saw no opening";
      return nullptr;
    }
    linked->conn = Field(*line, "conn");
    rooms_.push_back(std::move(linked));
    return rooms_.back().get();
  }

  // The first event not matched before that matches, waiting for more when none has come yet.
  // Every line the server printed is kept, so waiting for one event never loses another.
  std::optional<std::string> Event(const std::function<bool(const std::string&)>& match) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    for (size_t i = 0;; ++i) {
      while (i >= log_.size()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        auto line = server_->NextLine(left);
        if (!line) return std::nullopt;
        log_.push_back({*line, false});
      }
      if (!log_[i].second && match(log_[i].first)) {
        log_[i].second = true;
        return log_[i].first;
      }
    }
  }
  // The next frame of `type` the server received from the connection.
  std::optional<std::string> FrameFrom(int conn, int type) {
    return Event([&](const std::string& l) {
      return l.find("\"event\": \"frame\"") != l.npos && Field(l, "conn") == conn && Field(l, "type") == type;
    });
  }
  void Inject(int conn, const std::vector<unsigned char>& bytes) {
    server_->Send("inject " + std::to_string(conn) + " " + Hex(bytes));
    Sync();
  }
  // Every command before has been carried out by the server.
  void Sync() {
    const std::string token = std::to_string(++pings_);
    server_->Send("ping " + token);
    ASSERT_TRUE(Event([&](const std::string& l) { return l.find("pong") != l.npos && l.find(token) != l.npos; }));
  }
  // A type-13 for the room: once its first flag is up, the link has handled what came before.
  void Marker(LinkedRoom* linked, const char* name) {
    linked->room->SetFirstFlag(0);
    Inject(linked->conn, Bytes().Narrow(name).Packet(13));
    ASSERT_TRUE(WaitFor([&] { return linked->room->GetFirstFlag() == 1; })) << "the link handled nothing more";
  }

  std::vector<TendrilUIEvent> Events() { return TakeUIEvents(tendril_->GetUIService()); }

  std::unique_ptr<kx2test::PeerProcess> server_;
  ITendril* tendril_ = nullptr;
  IXmppMeetingManager* manager_ = nullptr;
  std::vector<std::unique_ptr<LinkedRoom>> rooms_;
  std::vector<std::pair<std::string, bool>> log_;  // each line, and whether an Event took it
  int pings_ = 0;
};

std::vector<unsigned char> EditFrom(const char16_t* user, int32_t kind, const std::string& payload,
                                    const char* room = "trip") {
  return Bytes().Record(room, user, 0, static_cast<int32_t>(payload.size()), kSelector).Raw(payload).Packet(24, kind);
}

TEST_F(ServerLinkTest, HeadersAndBodiesArriveInPieces) {
  LinkedRoom* trip = Link("trip");
  ASSERT_TRUE(trip);
  // A header of an empty body in 5 and 7 bytes: dispatched (type 14 reads nothing).
  const auto empty = Bytes().Packet(14);
  Inject(trip->conn, Slice(empty, 0, 5));
  Inject(trip->conn, Slice(empty, 5, 12));
  // A body of 10,000 bytes in three pieces, dispatched once.
  const auto edit = EditFrom(u"bob", 3, std::string(10000 - 804, 'e'));
  ASSERT_EQ(edit.size(), 12u + 10000u);
  Inject(trip->conn, Slice(edit, 0, 3000));
  Inject(trip->conn, Slice(edit, 3000, 7000));
  Inject(trip->conn, Slice(edit, 7000, edit.size()));
  Marker(trip, "trip");
  EXPECT_EQ(TDRL_QueuedItemPacketsForTest(trip->room, kItem), 1u);
  EXPECT_TRUE(trip->channel->IsOpen());
}

TEST_F(ServerLinkTest, WhatEndsALinkAndTheFallbackAfterIt) {
  struct Case {
    const char* what;
    std::vector<unsigned char> frame;
  } cases[] = {
      {"type 0", Bytes().Packet(0)},
      {"type 48", Bytes().Packet(48)},
      {"type 1", Bytes().Packet(1)},
      {"type 3, no handler", Bytes().Packet(3)},
      {"an edit of kind 2", EditFrom(u"bob", 2, "")},
      {"an edit for no room", EditFrom(u"bob", 3, "x", "elsewhere")},
  };
  int n = 0;
  for (auto& c : cases) {
    const std::string name = "close" + std::to_string(n++);
    LinkedRoom* linked = Link(name.c_str());
    ASSERT_TRUE(linked) << c.what;
    Inject(linked->conn, c.frame);
    EXPECT_TRUE(linked->channel->WaitClosed(kWaitMs)) << c.what;
    EXPECT_TRUE(Event([&](const std::string& l) {
      return l.find("closed") != l.npos && Field(l, "conn") == linked->conn;
    })) << c.what;
    // The room's packets now fall back, without error.
    EXPECT_TRUE(linked->room->NotifySyncBookFinished());
    ASSERT_EQ(linked->channel->FallenBack().size(), 1u) << c.what;
    EXPECT_EQ(linked->channel->FallenBack()[0], Bytes().Narrow(name).Wide(u"ann").Packet(34));
  }
}

TEST_F(ServerLinkTest, OwnEditsComingBackReachNoReceiver) {
  LinkedRoom* trip = Link("trip");
  ASSERT_TRUE(trip);
  server_->Send("echo " + std::to_string(trip->conn) + " on");
  IItemSender* sender = trip->room->GetCoEditManager()->GetItemSender(kItem);
  ASSERT_EQ(sender->BeginEdit(), 1);
  ASSERT_TRUE(Event([&](const std::string& l) { return l.find("relayed") != l.npos && Field(l, "type") == 24; }));
  Marker(trip, "trip");
  EXPECT_EQ(TDRL_QueuedItemPacketsForTest(trip->room, kItem), 0u);
  EXPECT_TRUE(trip->channel->IsOpen());
}

TEST_F(ServerLinkTest, PositionRequestsOfOthersAreAnswered) {
  LinkedRoom* trip = Link("trip");
  ASSERT_TRUE(trip);
  auto request = [](const char16_t* user) {
    return Bytes().Narrow("trip").Wide(user).Int(1).Int(2).Int(3).Int(4).Int(5).Int(6).Byte(9).Packet(28);
  };
  Inject(trip->conn, request(u"bob"));
  auto answer = FrameFrom(trip->conn, 29);
  ASSERT_TRUE(answer);
  // The same room, user, selector and pair, and the queue's answer (1).
  const auto expected = Bytes().Narrow("trip").Wide(u"bob").Int(1).Int(2).Int(3).Int(4).Int(5).Int(6).Byte(1);
  EXPECT_NE(answer->find(Hex(expected.data)), std::string::npos) << *answer;
  EXPECT_EQ(trip->room->GetCoEditManager()->GetUndoRedoSyncManager()->ApplyNextRedoPos(), 0);  // queued, no book

  // The local user's own request is not answered: the next frame of the link is the 34.
  Inject(trip->conn, request(u"ann"));
  Marker(trip, "trip");
  trip->room->NotifySyncBookFinished();
  auto next = Event([&](const std::string& l) {
    const int type = Field(l, "type");
    return l.find("\"event\": \"frame\"") != l.npos && Field(l, "conn") == trip->conn && (type == 29 || type == 34);
  });
  ASSERT_TRUE(next);
  EXPECT_EQ(Field(*next, "type"), 34);
}

TEST_F(ServerLinkTest, BookSynchronisationAndWhatChangesNothing) {
  LinkedRoom* trip = Link("trip");
  ASSERT_TRUE(trip);
  Events();
  const int id = trip->room->GetInformationUnit()->GetWorkingRoomInfo()->GetId();
  // Nothing: a 34 naming no member, a 25 with argument 3, a 32 for another user.
  Inject(trip->conn, Bytes().Narrow("trip").Wide(u"nobody").Packet(34));
  auto info = Bytes().Record("trip", u"bob", 0, 0, kSelector).Int(0).Int(5).Packet(25);
  TDRL::StoreInt32LE(info.data() + 4, 3);
  Inject(trip->conn, info);
  Inject(trip->conn, Bytes().Narrow("trip").Wide(u"bob").Packet(32));
  Marker(trip, "trip");
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(trip->room->GetCollaborationUnit()->IsCoEditing(), 0);

  // A 32 for the local user: event 21 (0, 1) and a 34 back to the server.
  Inject(trip->conn, Bytes().Narrow("trip").Wide(u"ann").Packet(32));
  auto finished = FrameFrom(trip->conn, 34);
  ASSERT_TRUE(finished);
  EXPECT_NE(finished->find(Hex(Bytes().Narrow("trip").Wide(u"ann").data)), std::string::npos);
  ASSERT_TRUE(WaitFor([&] { return tendril_->GetUIService()->IsUIEventQueueEmpty() == 0; }));
  EXPECT_EQ(Events(), (std::vector<TendrilUIEvent>{MakeUIEvent(21, id, 0, 1)}));
  EXPECT_EQ(trip->room->GetCollaborationUnit()->IsCoEditing(), 1);
}

TEST_F(ServerLinkTest, ShortBodiesChangeNothing) {
  LinkedRoom* trip = Link("trip");
  ASSERT_TRUE(trip);
  // Each body stops inside its fields: the handler reads nothing past it and answers 0.
  Inject(trip->conn, Bytes().Narrow("trip").Wide(u"bob").Int(1).Packet(28));
  Inject(trip->conn, Bytes().Raw("tri").Packet(13));
  Inject(trip->conn, Bytes().Narrow("trip").Packet(37));
  Inject(trip->conn, Bytes().Raw("trip").Packet(39));
  // A 29 of the local user with one byte: the second reads 0.
  Inject(trip->conn, Bytes().Narrow("trip").Wide(u"ann").Int(1).Int(2).Int(3).Int(4).Int(0).Int(0).Byte(1).Packet(29));
  Marker(trip, "trip");
  EXPECT_TRUE(trip->channel->IsOpen());
  // A short edit message is a failure: the link closes.
  Inject(trip->conn, Bytes().Raw("short").Packet(24));
  EXPECT_TRUE(trip->channel->WaitClosed(kWaitMs));
}

TEST_F(ServerLinkTest, ASlowReaderDoesNotHoldUpAnotherLink) {
  LinkedRoom* slow = Link("slow");
  LinkedRoom* quick = Link("quick");
  ASSERT_TRUE(slow && quick);
  server_->Send("slow " + std::to_string(slow->conn) + " 16 20");
  Sync();
  // Far more than the socket buffers hold: the slow link keeps most of it queued.
  IItemSender* bulk = slow->room->GetCoEditManager()->GetItemSender(kItem);
  for (int i = 0; i < 8; ++i) {
    vantorel::ItemData data(0, std::vector<unsigned char>(900000, 'b'));
    ASSERT_EQ(bulk->SendItemData(&data), 1);
  }
  const auto start = std::chrono::steady_clock::now();
  quick->room->NotifySyncBookFinished();
  ASSERT_TRUE(FrameFrom(quick->conn, 34));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_TRUE(slow->channel->IsOpen());
}

TEST_F(ServerLinkTest, AConnectionDroppedInMidPacketClosesCleanly) {
  LinkedRoom* trip = Link("trip");
  ASSERT_TRUE(trip);
  const auto edit = EditFrom(u"bob", 3, std::string(2000, 'd'));
  Inject(trip->conn, Slice(edit, 0, 900));
  server_->Send("drop " + std::to_string(trip->conn));
  EXPECT_TRUE(trip->channel->WaitClosed(kWaitMs));
  EXPECT_EQ(TDRL_QueuedItemPacketsForTest(trip->room, kItem), 0u);
}

TEST_F(ServerLinkTest, RoomsLinkedFedAndDestroyedInALoop) {
  for (int round = 0; round < 8; ++round) {
    const std::string name = "loop" + std::to_string(round);
    LinkedRoom* linked = Link(name.c_str());
    ASSERT_TRUE(linked);
    Inject(linked->conn, EditFrom(u"bob", 0, std::string(12, '\0'), name.c_str()));
    Inject(linked->conn,
           Bytes().Narrow(name).Wide(u"bob").Int(1).Int(2).Int(3).Int(4).Int(5).Int(6).Byte(9).Packet(28));
    linked->room->NotifySyncBookFinished();
    // The room goes while its link may still be handling what came in.
    TDRL_SetRoomSenderForTest(linked->room, nullptr);
    linked->channel.reset();
    manager_->RemoveMeetingRoom(linked->room);
    rooms_.pop_back();
  }
  TDRL::TDRL_StopReactorForTest();
}

}  // namespace

// The Tendril object, its UI service, the meeting manager and the rooms with their units.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <kx2test/ChildProcess.h>
#include <tendril/chat_message_info.h>
#include <tendril/packet.h>
#include <tendril/packet_types.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>

#include "recording_sender.h"
#include "ui_events.h"

std::filesystem::path CoEditFolder();

namespace {

// A fresh object with the host object set, destroyed after the test.
class RoomsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VtlGetApplication();  // the library binds the host by ordinal: keep it loaded
    vantorel::SetRoomsTakeNotices(true);
    vantorel::SetCollabAccount(false, u"");
    vantorel::SetCollabDocument(false, 0);
    tendril_ = GetTendrilInterface();
    ASSERT_NE(tendril_, nullptr);
    tendril_->SetHostObject(vantorel::CollabHost());
    manager_ = tendril_->GetMeetingManager();
    ui_ = tendril_->GetUIService();
  }
  void TearDown() override {
    if (tendril_) tendril_->Uninit();
    DestroyTendril();
  }

  IMeetingRoom* MakeRoom(const char* name) {
    const int id = manager_->CreateMeetingRoom(name);
    return manager_->FindMeetingRoomById(id);
  }

  std::vector<TendrilUIEvent> Drain() { return TakeUIEvents(ui_); }

  ITendril* tendril_ = nullptr;
  IXmppMeetingManager* manager_ = nullptr;
  ITendrilUIService* ui_ = nullptr;
};

TEST_F(RoomsTest, EntryKeepsOneObjectAndMakesAFreshOneAfterDestroy) {
  EXPECT_EQ(GetTendrilInterface(), tendril_);
  tendril_->SetExtraValue(7);
  EXPECT_EQ(tendril_->GetExtraValue(), 7);
  manager_->CreateMeetingRoom("left");
  // Destroying without Uninit takes the rooms with the object.
  DestroyTendril();
  DestroyTendril();  // no object: nothing happens
  ITendril* fresh = GetTendrilInterface();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->GetExtraValue(), 0);
  EXPECT_EQ(fresh->GetHostObject(), nullptr);
  EXPECT_EQ(fresh->GetMeetingManager()->GetFirstMeetingRoom(), nullptr);
  tendril_ = fresh;
  tendril_->SetHostObject(vantorel::CollabHost());
}

TEST_F(RoomsTest, EveryInterfaceRefusesQueryInterfaceAndCountsNothing) {
  IMeetingRoom* room = MakeRoom("q");
  ASSERT_NE(room, nullptr);
  struct Probe {
    const char* name;
    HRESULT (*query)(void*, void**);
    ULONG (*addRef)(void*);
    void* object;
  };
  auto probe = [](auto* object) {
    using T = std::remove_pointer_t<decltype(object)>;
    return Probe{"", [](void* o, void** out) { return static_cast<T*>(o)->QueryInterface(IID_IUnknown, out); },
                 [](void* o) { return static_cast<T*>(o)->AddRef() + static_cast<T*>(o)->Release() - 1; }, object};
  };
  const Probe probes[] = {probe(tendril_),
                          probe(ui_),
                          probe(manager_),
                          probe(room),
                          probe(room->GetCollaborationUnit()),
                          probe(room->GetInformationUnit())};
  for (const Probe& p : probes) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(static_cast<uint32_t>(p.query(p.object, &out)), 0x80004002u);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(p.addRef(p.object), 1u);
    EXPECT_EQ(p.addRef(p.object), 1u);
  }
}

TEST_F(RoomsTest, NotifyAllRoomsAsksTheHostAndNeedsARoom) {
  EXPECT_EQ(tendril_->NotifyAllRooms(2), 0);  // no room
  MakeRoom("n");
  vantorel::SetRoomsTakeNotices(false);
  EXPECT_EQ(tendril_->NotifyAllRooms(2), 0);
  vantorel::SetRoomsTakeNotices(true);
  EXPECT_EQ(tendril_->NotifyAllRooms(2), 1);
}

TEST_F(RoomsTest, InitEmptiesTheCoEditFolderAndUninitRemovesIt) {
  const std::filesystem::path folder = CoEditFolder();
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
  {
    std::FILE* f = std::fopen((folder / "left.bin").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  EXPECT_TRUE(tendril_->Init());
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_TRUE(tendril_->Uninit());
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_TRUE(tendril_->Init());
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(RoomsTest, LocalAddressIsDottedOrEmpty) {
  const std::u16string address = tendril_->GetLocalAddress();
  for (char16_t c : address) EXPECT_TRUE((c >= u'0' && c <= u'9') || c == u'.');
}

// Identifiers count for the whole process: a child starts from 0.
TEST(RoomIdentifiers, CountOnAcrossTendrilObjects) {
  if (!kx2test::InChild()) {
    auto child = kx2test::RunInChild("RoomIdentifiers.CountOnAcrossTendrilObjects");
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  ITendril* first = GetTendrilInterface();
  EXPECT_EQ(first->GetMeetingManager()->CreateMeetingRoom("a"), 1);
  EXPECT_EQ(first->GetMeetingManager()->CreateMeetingRoom("b"), 2);
  first->Uninit();
  DestroyTendril();
  ITendril* second = GetTendrilInterface();
  EXPECT_EQ(second->GetMeetingManager()->CreateMeetingRoom("c"), 3);
  second->Uninit();
  DestroyTendril();
}

TEST_F(RoomsTest, LookupsMatchTheLowerCaseNameExactly) {
  IMeetingRoom* mixed = MakeRoom("Project-Plan");
  IMeetingRoom* other = MakeRoom("other");
  ASSERT_NE(mixed, nullptr);
  EXPECT_STREQ(mixed->GetInformationUnit()->GetWorkingRoomInfo()->GetRoomName(), "project-plan");
  struct Case {
    const char* name;
    IMeetingRoom* found;
  } cases[] = {{"project-plan", mixed}, {"Project-Plan", nullptr}, {"project", nullptr}, {"other", other},
               {"", nullptr},           {"project-plan2", nullptr}};
  for (const Case& c : cases) {
    EXPECT_EQ(manager_->FindMeetingRoomByName(c.name), c.found) << c.name;
    const int id = c.found ? c.found->GetInformationUnit()->GetWorkingRoomInfo()->GetId() : -1;
    EXPECT_EQ(manager_->GetMeetingRoomId(c.name), id) << c.name;
  }
  EXPECT_EQ(manager_->GetFirstMeetingRoom(), mixed);
  EXPECT_EQ(manager_->GetNextMeetingRoom(mixed), other);
  EXPECT_EQ(manager_->GetNextMeetingRoom(other), nullptr);
  manager_->RemoveMeetingRoom(reinterpret_cast<IMeetingRoom*>(&cases));  // not in the list
  EXPECT_EQ(manager_->GetFirstMeetingRoom(), mixed);
  manager_->RemoveMeetingRoom(mixed);
  EXPECT_EQ(manager_->GetFirstMeetingRoom(), other);
  EXPECT_EQ(manager_->FindMeetingRoomByName("project-plan"), nullptr);
}

std::u16string OwnName(IMeetingRoom* room) {
  std::unique_ptr<char16_t[]> name(room->GetInformationUnit()->GetOwnMemberInfo()->GetUserName());
  return name.get();
}
std::u16string OwnResource(IMeetingRoom* room) {
  std::unique_ptr<char16_t[]> name(room->GetInformationUnit()->GetOwnMemberInfo()->GetResource());
  return name.get();
}

TEST_F(RoomsTest, OwnMemberComesFromTheAccountOrTheLocalAddress) {
  vantorel::SetCollabAccount(true, u"plainuser");
  EXPECT_EQ(OwnName(MakeRoom("a")), u"plainuser");
  vantorel::SetCollabAccount(true, u"Jürgen.ß@example.org");
  IMeetingRoom* named = MakeRoom("b");
  EXPECT_EQ(OwnName(named), u"Jürgen.ß");
  EXPECT_EQ(OwnResource(named), u"Taloria");
  std::unique_ptr<char16_t[]> domain(named->GetInformationUnit()->GetOwnMemberInfo()->GetDomain());
  EXPECT_EQ(std::u16string(domain.get()), u"collab.test");
  vantorel::SetCollabAccount(false, u"ignored@example.org");
  EXPECT_EQ(OwnName(MakeRoom("c")), tendril_->GetLocalAddress());
}

TEST(RoomSettings, PublicMailUsersGetTheGoogleResource) {
  if (!kx2test::InChild()) {
    auto child =
        kx2test::RunInChild("RoomSettings.PublicMailUsersGetTheGoogleResource",
                            {{"KX2_TENDRIL_PUBLIC_MAIL", "mail.example"}, {"KX2_TENDRIL_DOMAIN", "chat.example"}});
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  VtlGetApplication();
  ITendril* tendril = GetTendrilInterface();
  tendril->SetHostObject(vantorel::CollabHost());
  vantorel::SetCollabAccount(true, u"someone@mail.example");
  IMeetingRoom* room =
      tendril->GetMeetingManager()->FindMeetingRoomById(tendril->GetMeetingManager()->CreateMeetingRoom("g"));
  EXPECT_EQ(OwnResource(room), u"Taloria_GOOGLE");
  std::unique_ptr<char16_t[]> domain(room->GetInformationUnit()->GetOwnMemberInfo()->GetDomain());
  EXPECT_EQ(std::u16string(domain.get()), u"chat.example");
  tendril->Uninit();
  DestroyTendril();
}

TEST_F(RoomsTest, QueueDropsOnlyARepeatOfTheNewestRecord) {
  TendrilUIEvent e;
  ui_->PopUIEvent(&e);
  EXPECT_EQ(e.type, -1);
  EXPECT_EQ(ui_->IsUIEventQueueEmpty(), 1);
  const TendrilUIEvent a = MakeUIEvent(20, 1, 2, 5);
  const TendrilUIEvent b = MakeUIEvent(21, 1, 0, 1);
  const TendrilUIEvent aThird = MakeUIEvent(20, 1, 2, 5 | (3 << 16));  // differs in bytes 14-15 only
  struct Case {
    std::vector<TendrilUIEvent> pushed;
    size_t queued;
  } cases[] = {{{a, a}, 1}, {{a, b, a}, 3}, {{a, aThird}, 2}, {{b}, 1}};
  for (const Case& c : cases) {
    for (const TendrilUIEvent& pushed : c.pushed) ui_->PushUIEvent(pushed);
    EXPECT_EQ(ui_->IsUIEventQueueEmpty(), 0);
    const std::vector<TendrilUIEvent> popped = Drain();
    ASSERT_EQ(popped.size(), c.queued);
    EXPECT_EQ(popped.front(), c.pushed.front());
  }
  EXPECT_EQ(aThird.third, 3);
  ui_->PushUIEvent(a);
  ui_->ClearUIEvents();
  EXPECT_EQ(ui_->IsUIEventQueueEmpty(), 1);
}

TEST_F(RoomsTest, StateFlagWordIsMadeOnFirstUseAndForgottenByUninit) {
  tendril_->Uninit();  // no word
  int* word = ui_->ClearStateFlags(0xFF);
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(*word, 0);
  EXPECT_EQ(*ui_->SetStateFlags(0x6), 0x6);
  EXPECT_EQ(*ui_->ClearStateFlags(0x2), 0x4);
  EXPECT_EQ(ui_->GetStateFlags(), 0x4);
  tendril_->Uninit();
  EXPECT_EQ(ui_->GetStateFlags(), 0);
  EXPECT_TRUE(ui_->AcceptAll(1, 2, 3, 4));
  EXPECT_EQ(ui_->SetHostFlag(0x1FF)->GetHostFlag(), 0xFF);
  EXPECT_EQ(ui_->SetHostValue(-9)->GetHostValue(), -9);
}

TEST_F(RoomsTest, DocumentStateFollowsTheWholeChain) {
  EXPECT_EQ(ui_->QueryHostDocumentState(), 0);  // no document
  vantorel::SetCollabDocument(true, 7);
  EXPECT_EQ(ui_->QueryHostDocumentState(), 7);
  tendril_->SetHostObject(nullptr);
  EXPECT_EQ(ui_->QueryHostDocumentState(), 0);
}

TEST_F(RoomsTest, InformationUnitKeepsMembersByNumber) {
  IMeetingRoom* room = MakeRoom("m");
  IInformationUnit* info = room->GetInformationUnit();
  EXPECT_EQ(info->GetConnectedUserCount(), 1);
  EXPECT_EQ(info->IsAlone(), 1);
  EXPECT_EQ(info->GetMemberNumber(u"nobody"), -1);
  IMemberInfo* own = info->GetOwnMemberInfo();
  own->SetNumber(4);
  own->SetUserName(u"me");
  EXPECT_EQ(info->GetConnectedUser(4), own);
  EXPECT_EQ(info->GetMemberNumber(u"me"), 4);

  // Two names in another script stay apart (UTF-8, not the ANSI code page).
  const int ownNumber = own->GetNumber();
  struct Member {
    int number;
    const char16_t* name;
  } members[] = {{9, u"Анна"}, {2, u"Борис"}, {5, u"李"}};
  for (const Member& m : members) {
    // An information unit copies number and name from any member record.
    IMemberInfo* record = info->GetConnectedUser(ownNumber);
    const int savedNumber = record->GetNumber();
    std::unique_ptr<char16_t[]> savedName(record->GetUserName());
    record->SetNumber(m.number);
    record->SetUserName(m.name);
    info->AddConnectedUser(record);
    record->SetNumber(savedNumber);
    record->SetUserName(savedName.get());
  }
  EXPECT_EQ(info->GetConnectedUserCount(), 4);
  EXPECT_EQ(info->IsAlone(), 0);
  EXPECT_EQ(info->GetMemberNumber(u"Анна"), 9);
  EXPECT_EQ(info->GetMemberNumber(u"Борис"), 2);
  EXPECT_EQ(info->FindConnectedUserByName(u"Бори"), nullptr);
  IMemberInfo* first = info->GetFirstConnectedUser();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetNumber(), 2);
  EXPECT_EQ(info->GetNextConnectedUser(first)->GetNumber(), 5);
  EXPECT_EQ(info->GetNextConnectedUser(info->GetConnectedUser(9)), nullptr);
  EXPECT_TRUE(info->RemoveConnectedUser(5));
  EXPECT_FALSE(info->RemoveConnectedUser(5));
  info->GetWorkingRoomInfo()->SetSecondNumber(8);
  info->ClearConnectedUsers();
  EXPECT_EQ(info->GetConnectedUserCount(), 1);
  EXPECT_EQ(info->GetWorkingRoomInfo()->GetSecondNumber(), 0);
}

TEST_F(RoomsTest, MemberNamesMatchOnlyWholeAndExact) {
  IInformationUnit* info = MakeRoom("m")->GetInformationUnit();
  IMemberInfo* own = info->GetOwnMemberInfo();
  own->SetNumber(1);
  own->SetUserName(u"jos\u00e9");
  IMemberInfo* record = info->GetConnectedUser(1);
  record->SetNumber(2);
  record->SetUserName(u"jose");
  info->AddConnectedUser(record);  // the unit keeps its own copy
  record->SetNumber(1);
  record->SetUserName(u"jos\u00e9");
  const struct {
    const char16_t* name;
    int number;
  } cases[] = {{u"jose", 2},  {u"jos\u00e9", 1},  {u"jos", -1},       {u"josef", -1},
               {u"Jose", -1}, {u"jos\u00c9", -1}, {u"jos\u0165", -1}, {u"", -1}};
  for (const auto& c : cases) EXPECT_EQ(info->GetMemberNumber(c.name), c.number) << std::string(c.name, c.name + 3);
  EXPECT_EQ(info->FindConnectedUserByName(u"jose")->GetNumber(), 2);
  EXPECT_EQ(info->FindConnectedUserByName(u"jos\u00e9"), nullptr);  // the own record is not a connected user
}

TEST_F(RoomsTest, WorkingInformationCopiesWithinCapacityAndPushes25Then1) {
  IMeetingRoom* target = MakeRoom("target");
  IMeetingRoom* source = MakeRoom("source");
  IWorkingRoomInfo* from = source->GetInformationUnit()->GetWorkingRoomInfo();
  from->SetTitle(std::u16string(300, u't').c_str());
  EXPECT_EQ(std::u16string(from->GetTitle()).size(), 254u);
  from->SetShortText(u"0123456789abcdefgh");
  EXPECT_EQ(std::u16string(from->GetShortText()), u"0123456789abcde");
  from->SetRoomName(std::string(80, 'N').c_str());
  EXPECT_EQ(std::string(from->GetRoomName()), std::string(63, 'n'));
  from->SetFirstNumber(11);
  from->SetOwnerValue(0x1234);
  from->SetExtraNumber(5);
  IWorkingRoomInfo* to = target->GetInformationUnit()->GetWorkingRoomInfo();
  to->SetExtraNumber(77);
  Drain();
  EXPECT_EQ(target->GetInformationUnit()->SetWorkingRoomInfo(from), 1);
  EXPECT_EQ(to->GetExtraNumber(), 77);
  EXPECT_EQ(to->GetId(), from->GetId());
  EXPECT_EQ(to->GetFirstNumber(), 11);
  EXPECT_EQ(to->GetOwnerValue(), 0x1234);
  EXPECT_EQ(std::u16string(to->GetTitle()).size(), 254u);
  const std::vector<TendrilUIEvent> events = Drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], MakeUIEvent(25, from->GetId()));
  EXPECT_EQ(events[1], MakeUIEvent(1, from->GetId()));
}

TEST_F(RoomsTest, RoomFlagsAndUnits) {
  IMeetingRoom* room = MakeRoom("f");
  EXPECT_TRUE(room->SetFirstFlag(5));
  EXPECT_EQ(room->GetFirstFlag(), 1);
  EXPECT_FALSE(room->SetFirstFlag(0));
  EXPECT_EQ(room->SetThirdFlag(0x102)->GetThirdFlag(), 2);
  EXPECT_EQ(room->GetSecondFlag(), 0);
  EXPECT_EQ(room->GetTendril(), tendril_);
  ICollaborationUnit* unit = room->GetCollaborationUnit();
  RecordingSender sender;
  ASSERT_TRUE(TDRL_SetRoomSenderForTest(room, &sender));
  EXPECT_EQ(unit->SetCoEditing(1)->IsCoEditing(), 1);
  unit->StartCoEdit(true);
  EXPECT_EQ(unit->IsStarted(), 1);
  unit->EndCoEdit();
  EXPECT_EQ(unit->IsStarted(), 0);
  EXPECT_TRUE(sender.sent.empty());  // co-editing start and end send nothing
  TDRL_SetRoomSenderForTest(room, nullptr);
}

TEST_F(RoomsTest, SyncBookFinishedCarriesRoomAndUserName) {
  vantorel::SetCollabAccount(true, u"ann@example.org");
  IMeetingRoom* room = MakeRoom("Room");
  RecordingSender sender;
  ASSERT_TRUE(TDRL_SetRoomSenderForTest(room, &sender));
  EXPECT_TRUE(room->NotifySyncBookFinished());
  ASSERT_EQ(sender.sent.size(), 1u);
  const std::vector<unsigned char> expected = {34,  0,   0,   0, 0,   0, 0,   0, 13,  0, 0, 0, 'r',
                                               'o', 'o', 'm', 0, 'a', 0, 'n', 0, 'n', 0, 0, 0};
  EXPECT_EQ(sender.sent[0], expected);
  TDRL_SetRoomSenderForTest(room, nullptr);
  EXPECT_TRUE(room->NotifySyncBookFinished());  // no client: goes nowhere
}

// The reactor thread pushes and looks rooms up while the host's thread pops, creates and
// removes rooms.
TEST_F(RoomsTest, PushesAndLookupsRaceCreationAndRemoval) {
  std::atomic<bool> stop{false};
  std::atomic<int> pushed{0};
  auto worker = [&](int seed) {
    int n = 0;
    while (!stop.load()) {
      ui_->PushUIEvent(MakeUIEvent(1, seed, n++));
      manager_->FindMeetingRoomByName("busy");
      manager_->GetMeetingRoomId("busy");
      ui_->IsUIEventQueueEmpty();
      pushed.fetch_add(1);
    }
  };
  std::thread a(worker, 1), b(worker, 2);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (int i = 0; i < 200 && std::chrono::steady_clock::now() < deadline; ++i) {
    IMeetingRoom* room = MakeRoom("busy");
    // A bounded pop: two pushers can outpace one popper, and an unbounded drain would then
    // never end.
    for (int popped = 0; popped < 10000; ++popped) {
      TendrilUIEvent e;
      ui_->PopUIEvent(&e);
      if (e.type == -1) break;
    }
    manager_->RemoveMeetingRoom(room);
  }
  // The workers may have been starved while rooms came and went on a loaded machine: give
  // them their own, longer deadline to reach the count rather than the room loop's.
  const auto pushDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (pushed.load() < 1000 && std::chrono::steady_clock::now() < pushDeadline) std::this_thread::yield();
  stop.store(true);
  a.join();
  b.join();
  Drain();
  EXPECT_EQ(manager_->GetFirstMeetingRoom(), nullptr);
  EXPECT_GE(pushed.load(), 1000);
}

TEST_F(RoomsTest, ChatMessagesGoAs21OrAs22WithAnAddressee) {
  IMeetingRoom* room = MakeRoom("chat");
  RecordingSender sender;
  ASSERT_TRUE(TDRL_SetRoomSenderForTest(room, &sender));
  IChatMessageQueue* chat = room->GetChatMessageQueue();
  const LONG first = 3, second = -2, addressee = 7;
  IVtlChatMessage* plain = vantorel::CreateChatMessage({&first, &second, nullptr, u"hi", u"Ann"});
  EXPECT_EQ(chat->SendChatMessage(plain), 1u);  // the host's own reference is left
  IVtlChatMessage* addressed = vantorel::CreateChatMessage({nullptr, &second, &addressee, u"psst", nullptr});
  chat->SendChatMessage(addressed);
  plain->Release();
  addressed->Release();
  ASSERT_EQ(sender.sent.size(), 2u);
  const std::vector<unsigned char> body21 = Bytes().Int(3).Int(-2).Wide(u"hi").Wide(u"Ann").data;
  const std::vector<unsigned char> body22 = Bytes().Int(7).Int(0).Int(-2).Wide(u"psst").Wide(u"").data;
  std::vector<unsigned char> packet21 = Bytes().Int(21).Int(0).Int(static_cast<int32_t>(body21.size())).data;
  packet21.insert(packet21.end(), body21.begin(), body21.end());
  std::vector<unsigned char> packet22 = Bytes().Int(22).Int(0).Int(static_cast<int32_t>(body22.size())).data;
  packet22.insert(packet22.end(), body22.begin(), body22.end());
  EXPECT_EQ(sender.sent[0], packet21);
  EXPECT_EQ(sender.sent[1], packet22);
  TDRL_SetRoomSenderForTest(room, nullptr);
}

TEST_F(RoomsTest, ChatQueueKeepsCopiesInArrivalOrder) {
  IChatMessageQueue* chat = MakeRoom("c")->GetChatMessageQueue();
  EXPECT_EQ(chat->GetFrontMessage(), nullptr);
  chat->DropFrontMessage();  // empty: nothing happens
  {
    TDRL::ChatMessageInfo one(u"a", u"b", u"c", 5);
    TDRL::ChatMessageInfo empty;
    chat->AppendMessage(&one);
    chat->AppendMessage(&empty);
  }  // the queue keeps its own copies
  IChatMessageInfo* front = chat->GetFrontMessage();
  ASSERT_NE(front, nullptr);
  EXPECT_EQ(std::u16string(front->GetThirdText()), u"c");
  EXPECT_EQ(front->GetKind(), 5);
  chat->DropFrontMessage();
  ASSERT_NE(chat->GetFrontMessage(), nullptr);
  EXPECT_EQ(chat->GetFrontMessage()->GetKind(), 2);
  EXPECT_EQ(std::u16string(chat->GetFrontMessage()->GetFirstText()), u"");
  chat->DropFrontMessage();
  EXPECT_EQ(chat->GetFrontMessage(), nullptr);
  // Messages left in a room go with it.
  TDRL::ChatMessageInfo left(u"x", u"y", u"z", 1);
  chat->AppendMessage(&left);
}

}  // namespace

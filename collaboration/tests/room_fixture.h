// A fixture for tests of room "r" against a book of the test's own items: the application
// signed in as ann, the room's packets kept by a recording sender, the book's two items ready
// (not yet given to the room).
#pragma once

#include <gtest/gtest.h>

#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>

#include "fake_book.h"
#include "recording_sender.h"

class RoomOverFakeBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VtlGetApplication();
    vantorel::SetCollabAccount(true, u"ann@example.org");
    tendril_ = GetTendrilInterface();
    tendril_->SetHostObject(vantorel::CollabHost());
    IXmppMeetingManager* manager = tendril_->GetMeetingManager();
    room_ = manager->FindMeetingRoomById(manager->CreateMeetingRoom("r"));
    ASSERT_TRUE(TDRL_SetRoomSenderForTest(room_, &sender_));
    book_.items = {&first_, &second_};
  }
  void TearDown() override {
    tendril_->Uninit();
    DestroyTendril();
    vantorel::SetCollabAccount(false, u"");
  }

  Journal journal_;
  FakeItem first_{journal_, 0};
  FakeItem second_{journal_, 5};
  FakeBook book_{journal_};
  RecordingSender sender_;
  ITendril* tendril_ = nullptr;
  IMeetingRoom* room_ = nullptr;
};

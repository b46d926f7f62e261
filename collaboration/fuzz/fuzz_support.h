// What the collaboration fuzz targets of rooms share: a reader of the input's bytes, a sender
// that keeps nothing, and room "r" made over a host document's topics.
#pragma once

#include <initializer_list>
#include <vector>

#include <tendril/packet.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_book.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>

#include "byte_reader.h"

namespace fuzzing {

// Keeps nothing: what a room sends goes nowhere.
class Nowhere : public TDRL::ISender {
 public:
  bool Send(TDRL::Packet&) override { return true; }
};

struct TopicAt {
  std::vector<int> parent;
  const char16_t* text;
};

// The application, signed in as ann, with a document of the given topics, and room "r" of the
// collaboration module whose host object is the application's.
struct RoomOverDocument {
  explicit RoomOverDocument(std::initializer_list<TopicAt> topics) {
    VtlGetApplication();
    vantorel::SetCollabAccount(true, u"ann@example.org");
    doc = vantorel::OpenDocument();
    for (const TopicAt& topic : topics) vantorel::AddTopic(doc, topic.parent, topic.text);
    ITendril* tendril = GetTendrilInterface();
    tendril->SetHostObject(vantorel::CollabHost());
    IXmppMeetingManager* manager = tendril->GetMeetingManager();
    room = manager->FindMeetingRoomById(manager->CreateMeetingRoom("r"));
  }
  int doc = 0;
  IMeetingRoom* room = nullptr;
};

}  // namespace fuzzing

// Packets of any type, argument and body dispatched through the handler table into a room
// whose book is a host document's topics, as a link hands them over.
//
// Input: a run of packets, each a type byte, an argument byte, a shape byte, a length (two
// bytes) and that many bytes of body; the shape may put a well-formed head (room "r" and a
// user) or a member record in front of the bytes, so that the handlers get past their reads.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <tendril/link_testing.h>
#include <tendril/packet.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_book.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>

#include "fuzz_support.h"

namespace {

struct World : fuzzing::RoomOverDocument {
  World() : RoomOverDocument({{{}, u"one"}, {{}, u"two"}}) {
    TDRL_SetRoomSenderForTest(room, &nowhere);
    room->GetWorkbookSyncManager()->SetBook(vantorel::CollabBook(doc));
    vantorel::TopicSelector(doc, {0}, selector);
  }
  fuzzing::Nowhere nowhere;
  LONG selector[4] = {};
};

void Wide(std::vector<unsigned char>& out, const char16_t* text) {
  for (; *text; ++text) {
    out.push_back(static_cast<unsigned char>(*text & 0xFF));
    out.push_back(static_cast<unsigned char>(*text >> 8));
  }
  out.push_back(0);
  out.push_back(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World world;
  fuzzing::ByteReader in(data, size);
  const char16_t* users[] = {u"bob", u"ann", u"", u"carol"};
  while (!in.Empty()) {
    const int32_t type = in.Byte() % 50;  // 48 and 49 pass no table slot
    const int32_t argument = in.Byte() % 10;
    const uint8_t shape = in.Byte();
    const size_t length = in.Byte() | (in.Byte() & 0x0F) << 8;
    std::vector<unsigned char> body;
    const char16_t* user = users[(shape >> 2) & 3];
    switch (shape & 3) {
      case 1:  // room name and user name
        body = {'r', 0};
        Wide(body, user);
        break;
      case 2: {  // member record
        body.assign(804, 0);
        body[0] = 'r';
        for (size_t i = 0; user[i]; ++i) body[260 + 2 * i] = static_cast<unsigned char>(user[i]);
        const int32_t payload = static_cast<int32_t>(length);
        TDRL::StoreInt32LE(body.data() + 784, (shape & 0x10) ? payload : payload + 1);
        for (int i = 0; i < 4; ++i) TDRL::StoreInt32LE(body.data() + 788 + 4 * i, world.selector[i]);
        break;
      }
      default:
        break;
    }
    const std::vector<unsigned char> rest = in.Bytes(length);
    body.insert(body.end(), rest.begin(), rest.end());
    TDRL::Packet packet;
    if (!TDRL::CreatePacket(type, argument, body.data(), static_cast<int32_t>(body.size()), packet)) continue;
    TDRL::TDRL_DispatchForTest(&world.nowhere, packet);
    if (shape & 0x80) world.room->ForwardToCoEdit(2);
  }
  // Fresh receivers and flags for the next input.
  world.room->GetCoEditManager()->RebuildItemSenders();
  world.room->SetFirstFlag(0);
  world.room->GetCollaborationUnit()->SetCoEditing(0);
  GetTendrilInterface()->GetUIService()->ClearUIEvents();
  return 0;
}

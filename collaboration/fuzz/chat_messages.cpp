// Chat-room events made from the input into a room's chat-room handler, with no server:
// presences of any nickname entering and leaving, and messages of any sender, type, delay and
// body (chunks of packets among them).
//
// Input: a run of events, each an operation byte and the bytes it takes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <tendril/chat_transport.h>
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
  World() : RoomOverDocument({{{}, u"one"}}) { TDRL_SetRoomSenderForTest(room, &nowhere); }
  fuzzing::Nowhere nowhere;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World world;
  fuzzing::ByteReader in(data, size);
  const char* nicks[] = {"bob", "ann", "carol", ""};
  IMeetingRoom* room = world.room;
  room->GetWorkbookSyncManager()->SetBook(in.Byte() & 1 ? vantorel::CollabBook(world.doc) : nullptr);
  TDRL::TendrilXmppChatroomHandler handler(room, &world.nowhere);
  while (!in.Empty()) {
    const uint8_t op = in.Byte();
    // A nickname: one of a few, or any bytes.
    const std::string nick = op & 0x80 ? in.Text(in.Byte() % 16) : nicks[(op >> 4) & 3];
    switch (op & 0x07) {
      case 0: {
        std::vector<std::string> occupants;
        for (int n = in.Byte() % 4; n > 0; --n) occupants.push_back(nicks[in.Byte() & 3]);
        handler.EnteredStatus(in.Byte() % 2, occupants, nick);
        break;
      }
      case 1:
        handler.MemberEntered(nick);
        break;
      case 2:
        handler.MemberExited(nick);
        break;
      case 3: {
        // A packet of any type and body, sent as chunks, some of them lost or out of order.
        const std::string body = in.Text(in.Byte());
        TDRL::Packet packet;
        if (!TDRL::CreatePacket(in.Byte() % 48, in.Byte() % 10, nullptr, 0, packet)) break;
        packet.AppendBytes(body.size(), body.data());
        const uint8_t order = in.Byte();
        std::vector<std::string> chunks = TDRL::MakeChunks(in.Byte(), TDRL::EncodePacketText(packet));
        if ((order & 1) && chunks.size() > 1) std::swap(chunks.front(), chunks.back());
        for (size_t i = 0; i < chunks.size(); ++i) {
          if ((order & 2) && i == 0) continue;
          handler.MessageReceived(TDRL::ChatRoomMessage{nick, "groupchat", (order & 4) != 0, chunks[i]});
        }
        break;
      }
      default: {
        const char* types[] = {"groupchat", "chat", "normal", ""};
        const std::string type = types[in.Byte() & 3];
        const bool delayed = in.Byte() & 1;
        handler.MessageReceived(TDRL::ChatRoomMessage{nick, type, delayed, in.Text(in.Byte() * 4)});
        break;
      }
    }
  }
  // The room as it was for the next input.
  IInformationUnit* info = room->GetInformationUnit();
  info->ClearConnectedUsers();
  room->SetFirstFlag(0);
  room->GetCollaborationUnit()->SetCoEditing(0);
  while (room->GetCoEditManager()->IsCounterSet()) room->GetCoEditManager()->ChangeCounter(0);
  room->GetCoEditManager()->RebuildItemSenders();
  GetTendrilInterface()->GetUIService()->ClearUIEvents();
  return 0;
}

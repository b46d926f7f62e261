// Packets 24, 39 and 40 of any kind, flags, lengths and payload into the item receiver of a
// room whose book is a host document's topics, with ProcessPackets, MarkEdit and GetEditFlags
// in between. Every input starts from fresh receivers.
//
// Input: a run of operations, each one byte (the operation) and the bytes it takes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <tendril/packet.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_book.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>

#include "fuzz_support.h"

namespace {

using Reader = fuzzing::ByteReader;

struct World : fuzzing::RoomOverDocument {
  World() : RoomOverDocument({{{}, u"one"}, {{}, u"two"}, {{0}, u"three"}}) {
    room->GetWorkbookSyncManager()->SetBook(vantorel::CollabBook(doc));
    for (const std::vector<int>& path : {std::vector<int>{0}, std::vector<int>{1}, std::vector<int>{0, 0}}) {
      ItemSelector s;
      vantorel::TopicSelector(doc, path, reinterpret_cast<LONG*>(s.values));
      selectors.push_back(s);
    }
    selectors.push_back(ItemSelector{{1, 2, 3, 4}});  // no such topic
  }
  std::vector<ItemSelector> selectors;
};

// A body: a member record (room, user, value, payload length, selector) and a payload; the
// record's length field is the payload's size or the input's own value.
std::vector<unsigned char> Body(Reader& in, const ItemSelector& selector) {
  const uint8_t shape = in.Byte();
  std::vector<unsigned char> payload = in.Bytes(in.Byte() | (in.Byte() & 0x0F) << 8);
  if (shape & 0x80) return payload;  // a body of raw bytes
  std::vector<unsigned char> body(804, 0);
  body[0] = 'r';
  const char16_t* users[] = {u"bob", u"ann", u"", u"carol"};
  const char16_t* user = users[shape & 3];
  for (size_t i = 0; user[i]; ++i) body[260 + 2 * i] = static_cast<unsigned char>(user[i]);
  TDRL::StoreInt32LE(body.data() + 780, (shape & 0x10) ? in.Int() : vantorel::kCollabTopicText);
  TDRL::StoreInt32LE(body.data() + 784, (shape & 0x20) ? in.Int() : static_cast<int32_t>(payload.size()));
  for (int i = 0; i < 4; ++i) TDRL::StoreInt32LE(body.data() + 788 + 4 * i, selector.values[i]);
  body.insert(body.end(), payload.begin(), payload.end());
  return body;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World world;
  Reader in(data, size);
  ICoEditManager* coEdit = world.room->GetCoEditManager();
  std::vector<unsigned char> lastData;
  while (!in.Empty()) {
    const uint8_t op = in.Byte();
    const ItemSelector& selector = world.selectors[(op >> 4) % world.selectors.size()];
    switch (op & 0x07) {
      case 0:
      case 1:
      case 2: {
        const int32_t types[] = {24, 39, 40};
        const int32_t kind = in.Byte() % 10;
        std::vector<unsigned char> body = Body(in, selector);
        if ((op & 0x07) == 0 && body.size() > 804) lastData.assign(body.begin() + 804, body.end());
        TDRL::Packet packet;
        TDRL::CreatePacket(types[op & 0x07], kind, body.data(), static_cast<int32_t>(body.size()), packet);
        TDRL_ReceiveItemPacketForTest(world.room, selector, packet);
        break;
      }
      case 3:
        world.room->ForwardToCoEdit(2);
        break;
      case 4: {
        vantorel::ItemData probe(0, lastData);
        IItemReceiver* receiver = coEdit->GetItemReceiver(selector);
        receiver->MarkEdit(&probe, in.Byte());
        receiver->GetEditFlags(&probe);
        break;
      }
      case 5:
        world.room->SetFirstFlag(in.Byte() & 1);
        break;
      default:
        coEdit->GetItemReceiver(selector)->ProcessPackets();
        break;
    }
  }
  // Fresh receivers for the next input; the texts the edits set stay.
  coEdit->RebuildItemSenders();
  world.room->SetFirstFlag(0);
  return 0;
}

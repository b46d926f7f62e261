// Reads a received packet the way its handler does: the fields of its type, in order, each
// read checked against the room left in the body.
#pragma once

#include <cstdlib>

#include <tendril/packet.h>
#include <tendril/packet_types.h>

namespace fuzzing {

inline void ReadFieldsOfType(TDRL::Packet& packet) {
  using namespace TDRL;
  std::string_view room;
  WideText user, text;
  Int32Quad quad;
  Int32Pair pair;
  MemberRecord record;
  int32_t value;
  uint8_t byte;
  const unsigned char* bytes;
  packet.RewindRead();
  switch (packet.Type()) {
    case kPacketOpening:
      if (packet.ReadNarrowString(room)) packet.ReadWideString(user);
      break;
    case kPacketYouAreMaster:
    case kPacketEndCoEdit:
      packet.ReadNarrowString(room);
      break;
    case kPacketChat:
      if (packet.ReadInt32(value) && packet.ReadInt32(value) && packet.ReadWideString(user))
        packet.ReadWideString(text);
      break;
    case kPacketChatTo:
      if (packet.ReadInt32(value) && packet.ReadInt32(value) && packet.ReadInt32(value) &&
          packet.ReadWideString(user)) {
        packet.ReadWideString(text);
      }
      break;
    case kPacketEditMessage:
      if (!packet.ReadMemberRecord(record)) break;
      if (packet.EditKind() == 0) {
        packet.ReadInt32(value) && packet.ReadInt32(value) && packet.ReadInt32(value);
      } else if (packet.EditKind() == 3 && record.payloadLength >= 0) {
        packet.ReadBytes(static_cast<size_t>(record.payloadLength), bytes);
      }
      packet.RewindRead();
      packet.ReadMemberRecord(record);  // the item receiver reads the record again
      break;
    case kPacketEditInfo:
      if (packet.ReadMemberRecord(record) && packet.ReadInt32(value)) packet.ReadInt32(value);
      break;
    case kPacketRestartHistory:
      if (packet.ReadNarrowString(room) && packet.ReadInt32Pair(pair)) packet.ReadInt32Quad(quad);
      break;
    case kPacketSyncRedoPos:
    case kPacketSyncRedoPosResult:
      if (packet.ReadNarrowString(room) && packet.ReadWideString(user) && packet.ReadInt32Quad(quad) &&
          packet.ReadInt32Pair(pair) && packet.ReadByte(byte) && packet.Type() == kPacketSyncRedoPosResult) {
        packet.ReadByte(byte);
      }
      break;
    case kPacketSyncSelectedId:
      if (packet.ReadNarrowString(room) && packet.ReadWideString(user) && packet.ReadInt32Quad(quad)) {
        packet.ReadInt32Pair(pair);
      }
      break;
    case kPacketSyncBook:
    case kPacketSyncBookFailed:
    case kPacketSyncBookFinished:
      if (packet.ReadNarrowString(room) && packet.ReadWideString(user)) (void)user.ToString();
      break;
    case kPacketRequestBinData:
      if (packet.ReadNarrowString(room) && packet.ReadInt32Quad(quad) && packet.ReadInt32Quad(quad)) {
        packet.ReadInt32(value);
      }
      break;
    case kPacketLockTopic:
    case kPacketLockTopicRequest:
      if (packet.ReadMemberRecord(record) && packet.ReadInt32Quad(quad)) packet.ReadInt32(value);
      break;
    default:
      break;
  }
  if (packet.ReadPosition() > packet.TotalSize()) std::abort();
}

}  // namespace fuzzing

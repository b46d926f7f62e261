// The packet types this client builds or handles, and the range a received header may carry.
#pragma once

#include <cstdint>

namespace TDRL {

enum PacketType : int32_t {
  kPacketRejected = 1,  // accepted by the reader, refused by dispatch
  kPacketOpening = 2,
  kPacketYouAreMaster = 13,
  kPacketMasterChanged = 14,
  kPacketChat = 21,
  kPacketChatTo = 22,
  kPacketEditMessage = 24,
  kPacketEditInfo = 25,
  kPacketRestartHistory = 27,
  kPacketSyncRedoPos = 28,
  kPacketSyncRedoPosResult = 29,
  kPacketSyncSelectedId = 31,
  kPacketSyncBook = 32,
  kPacketSyncBookFailed = 33,
  kPacketSyncBookFinished = 34,
  kPacketEndCoEdit = 36,
  kPacketRequestBinData = 37,
  kPacketLockTopic = 39,
  kPacketLockTopicRequest = 40,
};

inline constexpr int32_t kFirstReceivableType = 1;
inline constexpr int32_t kLastReceivableType = 47;
// Slots of the handler table, indexed by type.
inline constexpr int32_t kHandlerSlots = 48;

inline bool IsReceivableType(int32_t type) { return type >= kFirstReceivableType && type <= kLastReceivableType; }

}  // namespace TDRL

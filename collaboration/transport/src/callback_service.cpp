#include "callback_service.h"

#include <tendril/packet_types.h>

#include "server_handlers.h"

namespace TDRL::ClientModule {

int CallbackServieBase::Dispatch(ISender* sender, Packet& packet) {
  const int32_t type = packet.Type();
  if (type < 0 || static_cast<size_t>(type) >= table_.size() || !table_[static_cast<size_t>(type)]) return -1;
  std::lock_guard hold(dispatchLock_);
  CallbackFunctorBase* handler = table_[static_cast<size_t>(type)].get();
  handler->sender_ = sender;
  handler->packet_ = &packet;
  const int answer = handler->Service();
  handler->sender_ = nullptr;
  handler->packet_ = nullptr;
  return answer == -1 ? -1 : 0;
}

ClientCallbackServiceForIS::ClientCallbackServiceForIS() {
  table_.resize(kHandlerSlots);
  FillTable();
}

void ClientCallbackServiceForIS::FillTable() {
  auto set = [this](int32_t type, std::unique_ptr<CallbackFunctorBase> handler) {
    table_[static_cast<size_t>(type)] = std::move(handler);
  };
  set(kPacketOpening, std::make_unique<ClientOpeningIS>());
  set(kPacketYouAreMaster, std::make_unique<EnforceYouAreMaster>());
  set(kPacketMasterChanged, std::make_unique<EnforceMasterChanged>());
  set(kPacketEditMessage, std::make_unique<EnforceSendingEditMessage>());
  set(kPacketEditInfo, std::make_unique<EnforceEditInfoReceived>());
  set(kPacketRestartHistory, std::make_unique<EnforceRestartHistory>());
  set(kPacketSyncRedoPos, std::make_unique<EnforceSyncRedoPos>());
  set(kPacketSyncRedoPosResult, std::make_unique<EnforceSyncRedoPosResult>());
  set(kPacketSyncSelectedId, std::make_unique<EnforceSyncSelectedID>());
  set(kPacketSyncBook, std::make_unique<EnforceSyncBook>());
  set(kPacketSyncBookFailed, std::make_unique<EnforceSyncBookFailed>());
  set(kPacketSyncBookFinished, std::make_unique<EnforceSyncBookFinished>());
  set(kPacketEndCoEdit, std::make_unique<EnforceEndCoEdit>());
  set(kPacketRequestBinData, std::make_unique<EnforceRequestBinData>());
  set(kPacketLockTopic, std::make_unique<EnforceLockTopic>());
  set(kPacketLockTopicRequest, std::make_unique<EnforceLockTopicRequest>());
}

ClientCallbackServiceForIS& ClientCallbackServiceForIS::Instance() {
  static ClientCallbackServiceForIS table;
  return table;
}

}  // namespace TDRL::ClientModule

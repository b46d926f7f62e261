// A room's chat: messages leave as packets 21 and 22; received ones wait here for the host.
#pragma once

#include <list>
#include <memory>
#include <mutex>

#include <tendril/chat_message_info.h>
#include <tendril/tendril_interfaces.h>

#include "shared_unknown.h"

namespace TDRL {

class MeetingRoom;

class ChatMessageQueue : public IChatMessageQueue {
 public:
  explicit ChatMessageQueue(MeetingRoom* room) : room_(room) {}

  ULONG SendChatMessage(IVtlChatMessage* message) override;
  void AppendMessage(IChatMessageInfo* record) override;
  void DropFrontMessage() override;
  IChatMessageInfo* GetFrontMessage() override;
  TDRL_SHARED_UNKNOWN

 private:
  std::mutex lock_;
  std::list<std::unique_ptr<ChatMessageInfo>> messages_;
  MeetingRoom* room_;
};

}  // namespace TDRL

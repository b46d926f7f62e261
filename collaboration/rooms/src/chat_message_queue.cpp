#include "chat_message_queue.h"

#include <string>

#include <tendril/packet.h>
#include <tendril/packet_types.h>

#include "meeting_room.h"

namespace TDRL {
namespace {

constexpr LONG kFirstNumber = 0x5001;
constexpr LONG kSecondNumber = 0x5002;
constexpr LONG kAddressee = 0x5003;
constexpr LONG kFirstText = 0x5004;
constexpr LONG kSecondText = 0x5005;

// An integer value of types 2 to 9; the 16-bit kinds carry only their low half.
bool ReadInteger(IVtlChatMessage* message, LONG id, int32_t& out) {
  const PropertyValue* record = message->GetValue(id);
  if (!record || record->type < 2 || record->type > 9) return false;
  out = record->type == 2 || record->type == vantorel::kPropShort ? static_cast<int16_t>(record->u32 & 0xFFFF)
                                                                  : static_cast<int32_t>(record->i32);
  return true;
}

std::u16string ReadText(IVtlChatMessage* message, LONG id) {
  const PropertyValue* record = message->GetValue(id);
  if (!record || record->type != vantorel::kPropText || !record->text) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(record->text));
}

}  // namespace

ULONG ChatMessageQueue::SendChatMessage(IVtlChatMessage* message) {
  if (!message) return 0;
  message->AddRef();
  int32_t first = 0, second = 0, addressee = 0;
  ReadInteger(message, kFirstNumber, first);
  ReadInteger(message, kSecondNumber, second);
  const bool addressed = message->HasValue(kAddressee) && ReadInteger(message, kAddressee, addressee);
  const std::u16string firstText = ReadText(message, kFirstText);
  const std::u16string secondText = ReadText(message, kSecondText);
  {
    std::lock_guard roomHold(room_->Lock());
    PacketLockScope hold(PacketLock::Get());
    Packet packet;
    if (CreatePacket(addressed ? kPacketChatTo : kPacketChat, 0, nullptr, 0, packet)) {
      if (addressed) packet.AppendInt32(addressee);
      packet.AppendInt32(first);
      packet.AppendInt32(second);
      packet.AppendWString(firstText.c_str(), firstText.size() + 1);
      packet.AppendWString(secondText.c_str(), secondText.size() + 1);
      room_->Collaboration().Queue(packet);
    }
  }
  return message->Release();
}

void ChatMessageQueue::AppendMessage(IChatMessageInfo* record) {
  if (!record) return;
  auto copy = std::make_unique<ChatMessageInfo>(*record);
  std::lock_guard hold(lock_);
  messages_.push_back(std::move(copy));
}

void ChatMessageQueue::DropFrontMessage() {
  std::lock_guard hold(lock_);
  if (!messages_.empty()) messages_.pop_front();
}

IChatMessageInfo* ChatMessageQueue::GetFrontMessage() {
  std::lock_guard hold(lock_);
  return messages_.empty() ? nullptr : messages_.front().get();
}

}  // namespace TDRL

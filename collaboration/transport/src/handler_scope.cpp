#include "handler_scope.h"

#include "meeting_room.h"
#include "tendril_object.h"

namespace TDRL::ClientModule {

RoomScope::RoomScope(std::string_view roomName) {
  tendril_ = HoldTendril();
  if (!tendril_) return;
  room_ = tendril_->Manager().UseRoomByName(std::string(roomName).c_str());
}

RoomScope::~RoomScope() {
  if (room_) room_->EndUse();
  if (tendril_) ReleaseTendril();
}

bool RoomScope::IsLocalUser(std::u16string_view user) const {
  return room_ && Utf8ToWide(room_->Information().Own().UserNameUtf8()) == user;
}

int RoomScope::RoomId() const { return room_ ? room_->Information().Working().GetId() : 0; }

void RoomScope::Post(int type, int first, int secondAndThird) {
  if (tendril_) tendril_->UI().PushUIEvent(MakeUIEvent(type, RoomId(), first, secondAndThird));
}

bool RoomScope::Send(Packet& packet) { return room_ && room_->Collaboration().Queue(packet); }

}  // namespace TDRL::ClientModule

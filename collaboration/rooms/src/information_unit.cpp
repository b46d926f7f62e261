#include "information_unit.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "meeting_room.h"
#include "tendril_object.h"

namespace TDRL {
namespace {

template <size_t N>
void CopyWide(std::array<char16_t, N>& field, const char16_t* text) {
  size_t i = 0;
  for (; text && i + 1 < N && text[i]; ++i) field[i] = text[i];
  std::fill(field.begin() + static_cast<std::ptrdiff_t>(i), field.end(), 0);
}

// The name a member is known by, as the wide text a caller compares with.
std::u16string NameOf(IMemberInfo* member) {
  std::unique_ptr<char16_t[]> name(member->GetUserName());
  return name ? std::u16string(name.get()) : std::u16string();
}

}  // namespace

void WorkingRoomInfo::SetRoomName(const char* name) {
  size_t i = 0;
  for (; name && i + 1 < kRoomNameCapacity && name[i]; ++i) {
    roomName_[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  }
  std::fill(roomName_.begin() + static_cast<std::ptrdiff_t>(i), roomName_.end(), 0);
}

void WorkingRoomInfo::SetTitle(const char16_t* title) { CopyWide(title_, title); }
void WorkingRoomInfo::SetShortText(const char16_t* text) { CopyWide(shortText_, text); }

int InformationUnit::AddConnectedUser(IMemberInfo* member) {
  if (!member) return 0;
  const int number = member->GetNumber();
  std::unique_ptr<char16_t[]> name(member->GetUserName());
  std::lock_guard hold(membersLock_);
  ConnectedUser& entry = members_[number];
  entry.SetNumber(number);
  entry.SetUserName(name.get());
  return 1;
}

bool InformationUnit::RemoveConnectedUser(int number) {
  std::lock_guard hold(membersLock_);
  return members_.erase(number) != 0;
}

int InformationUnit::ClearConnectedUsers() {
  std::lock_guard hold(membersLock_);
  members_.clear();
  working_.SetSecondNumber(0);
  return 1;
}

int InformationUnit::SetWorkingRoomInfo(IWorkingRoomInfo* source) {
  if (!source) return 0;
  working_.SetOwnerValue(source->GetOwnerValue());
  working_.SetId(source->GetId());
  working_.SetRoomName(source->GetRoomName());
  working_.SetTitle(source->GetTitle());
  working_.SetShortText(source->GetShortText());
  working_.SetFirstNumber(source->GetFirstNumber());
  working_.SetSecondNumber(source->GetSecondNumber());
  working_.SetFirstFlag(source->GetFirstFlag());
  working_.SetSecondFlag(source->GetSecondFlag());
  ITendrilUIService* ui = room_ ? room_->GetTendril()->GetUIService() : nullptr;
  if (!ui) return 0;
  ui->PushUIEvent(MakeUIEvent(kUIEventWorkingInfoReplaced, source->GetId()));
  ui->PushUIEvent(MakeUIEvent(kUIEventMemberJoined, source->GetId()));
  return 1;
}

IMemberInfo* InformationUnit::FindConnectedUserByName(const char16_t* name) {
  if (!name) return nullptr;
  const WideName wanted(name);
  std::lock_guard hold(membersLock_);
  for (auto& [number, member] : members_) {
    if (wanted.Matches(member.UserNameUtf8())) return &member;
  }
  return nullptr;
}

IMemberInfo* InformationUnit::GetConnectedUser(int number) {
  if (own_.GetNumber() == number) return &own_;
  std::lock_guard hold(membersLock_);
  auto it = members_.find(number);
  return it == members_.end() ? nullptr : &it->second;
}

int InformationUnit::GetConnectedUserCount() {
  std::lock_guard hold(membersLock_);
  return static_cast<int>(members_.size()) + 1;
}

int InformationUnit::IsAlone() {
  std::lock_guard hold(membersLock_);
  return members_.empty() ? 1 : 0;
}

IMemberInfo* InformationUnit::GetFirstConnectedUser() {
  std::lock_guard hold(membersLock_);
  return members_.empty() ? nullptr : &members_.begin()->second;
}

IMemberInfo* InformationUnit::GetNextConnectedUser(IMemberInfo* member) {
  if (!member) return nullptr;
  const int number = member->GetNumber();
  std::lock_guard hold(membersLock_);
  auto it = members_.find(number);
  if (it == members_.end() || ++it == members_.end()) return nullptr;
  return &it->second;
}

int InformationUnit::SetOwnMemberInfo(IMemberInfo* member) {
  if (!member) return 0;
  own_.SetNumber(member->GetNumber());
  own_.SetUserName(NameOf(member).c_str());
  return 1;
}

int InformationUnit::GetMemberNumber(const char16_t* name) {
  if (!name) return -1;
  const WideName wanted(name);
  if (wanted.Matches(own_.UserNameUtf8())) return own_.GetNumber();
  std::lock_guard hold(membersLock_);
  for (auto& [number, member] : members_) {
    if (wanted.Matches(member.UserNameUtf8())) return member.GetNumber();
  }
  return -1;
}

}  // namespace TDRL

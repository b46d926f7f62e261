// The room's information: its working information, the own member record and the other
// members connected to its chat room.
#pragma once

#include <array>
#include <map>
#include <mutex>

#include <tendril/tendril_interfaces.h>

#include "member_info.h"
#include "shared_unknown.h"

namespace TDRL {

class MeetingRoom;

class WorkingRoomInfo : public IWorkingRoomInfo {
 public:
  static constexpr size_t kRoomNameCapacity = 64;  // 63 characters and the terminator
  static constexpr size_t kTitleCapacity = 255;
  static constexpr size_t kShortTextCapacity = 16;

  int GetId() override { return id_; }
  const char* GetRoomName() override { return roomName_.data(); }
  const char16_t* GetTitle() override { return title_.data(); }
  const char16_t* GetShortText() override { return shortText_.data(); }
  int GetFirstNumber() override { return firstNumber_; }
  int GetSecondNumber() override { return secondNumber_; }
  BYTE GetFirstFlag() override { return firstFlag_; }
  intptr_t GetOwnerValue() override { return ownerValue_; }
  BYTE GetSecondFlag() override { return secondFlag_; }
  void SetId(int id) override { id_ = id; }
  void SetRoomName(const char* name) override;
  void SetTitle(const char16_t* title) override;
  void SetShortText(const char16_t* text) override;
  void SetFirstNumber(int value) override { firstNumber_ = value; }
  void SetSecondNumber(int value) override { secondNumber_ = value; }
  void SetFirstFlag(BYTE flag) override { firstFlag_ = flag; }
  void SetOwnerValue(intptr_t value) override { ownerValue_ = value; }
  void SetSecondFlag(BYTE flag) override { secondFlag_ = flag; }
  int16_t GetExtraNumber() override { return extraNumber_; }
  void SetExtraNumber(int16_t value) override { extraNumber_ = value; }

 private:
  int id_ = 0;
  std::array<char, kRoomNameCapacity> roomName_{};
  std::array<char16_t, kTitleCapacity> title_{};
  std::array<char16_t, kShortTextCapacity> shortText_{};
  int firstNumber_ = 0;
  int secondNumber_ = 0;
  BYTE firstFlag_ = 0;
  BYTE secondFlag_ = 0;
  intptr_t ownerValue_ = 0;
  int16_t extraNumber_ = 0;
};

class InformationUnit : public IInformationUnit {
 public:
  explicit InformationUnit(MeetingRoom* room) : room_(room) {}

  int AddConnectedUser(IMemberInfo* member) override;
  bool RemoveConnectedUser(int number) override;
  int ClearConnectedUsers() override;
  void Reserved1(int, int, int) override {}
  int Reserved2() override { return 0; }
  int Reserved3() override { return 0; }
  IWorkingRoomInfo* GetWorkingRoomInfo() override { return &working_; }
  int SetWorkingRoomInfo(IWorkingRoomInfo* source) override;
  IMemberInfo* FindConnectedUserByName(const char16_t* name) override;
  IMemberInfo* GetConnectedUser(int number) override;
  int GetConnectedUserCount() override;
  int IsAlone() override;
  IMemberInfo* GetFirstConnectedUser() override;
  IMemberInfo* GetNextConnectedUser(IMemberInfo* member) override;
  IMemberInfo* GetOwnMemberInfo() override { return &own_; }
  int SetOwnMemberInfo(IMemberInfo* member) override;
  int GetMemberNumber(const char16_t* name) override;
  TDRL_SHARED_UNKNOWN

  WorkingRoomInfo& Working() { return working_; }
  ConnectedUser& Own() { return own_; }

 private:
  WorkingRoomInfo working_;
  ConnectedUser own_;
  // The chat-room handlers change the members from the transport's threads while the host
  // reads them: the map has a lock of its own, taken after the room's and before PacketLock.
  std::recursive_mutex membersLock_;
  std::map<int, ConnectedUser> members_;
  MeetingRoom* room_;
};

}  // namespace TDRL

// Byte-coded room traffic: rooms made, looked up and removed; members added and removed with
// any names and numbers; working-information setters with long texts; events pushed and
// popped.
//
// Input: a run of operations, each one byte (the operation) and the bytes it takes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <tendril/tendril_interfaces.h>

#include "byte_reader.h"

namespace {

using fuzzing::ByteReader;

// A text of a length byte's worth of bytes (times four, so texts pass every capacity).
std::string Narrow(ByteReader& in) {
  const size_t n = static_cast<size_t>(in.Byte()) * 4;
  std::string s;
  for (size_t i = 0; i < n && !in.Empty(); ++i) {
    const char c = static_cast<char>(in.Byte());
    s.push_back(c ? c : 'x');
  }
  return s;
}

std::u16string Wide(ByteReader& in) {
  const size_t n = static_cast<size_t>(in.Byte()) * 2;
  std::u16string s;
  for (size_t i = 0; i < n && !in.Empty(); ++i) {
    const char16_t c = static_cast<char16_t>(in.Byte() | (in.Byte() << 8));
    s.push_back(c ? c : u'x');
  }
  return s;
}

IMeetingRoom* PickRoom(IXmppMeetingManager* manager, uint8_t index) {
  IMeetingRoom* room = manager->GetFirstMeetingRoom();
  for (uint8_t i = 0; room && i < index % 4; ++i) room = manager->GetNextMeetingRoom(room);
  return room ? room : manager->GetFirstMeetingRoom();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ITendril* tendril = GetTendrilInterface();
  IXmppMeetingManager* manager = tendril->GetMeetingManager();
  ITendrilUIService* ui = tendril->GetUIService();
  ByteReader in(data, size);
  int rooms = 0;
  while (!in.Empty()) {
    const uint8_t op = in.Byte() % 12;
    switch (op) {
      case 0:
        if (rooms < 8) {
          manager->CreateMeetingRoom(Narrow(in).c_str());
          ++rooms;
        }
        break;
      case 1: {
        IMeetingRoom* room = PickRoom(manager, in.Byte());
        if (room) {
          manager->RemoveMeetingRoom(room);
          --rooms;
        }
        break;
      }
      case 2:
        manager->FindMeetingRoomByName(Narrow(in).c_str());
        manager->GetMeetingRoomId(Narrow(in).c_str());
        manager->FindMeetingRoomById(in.Int());
        break;
      case 3:
      case 4: {
        IMeetingRoom* room = PickRoom(manager, in.Byte());
        if (!room) break;
        IInformationUnit* info = room->GetInformationUnit();
        IMemberInfo* own = info->GetOwnMemberInfo();
        if (op == 3) {
          // A member record is any record the unit copies from: the own record serves.
          const int number = own->GetNumber();
          std::unique_ptr<char16_t[]> name(own->GetUserName());
          own->SetNumber(in.Int());
          own->SetUserName(Wide(in).c_str());
          info->AddConnectedUser(own);
          own->SetNumber(number);
          own->SetUserName(name.get());
        } else {
          info->RemoveConnectedUser(in.Int());
        }
        break;
      }
      case 5: {
        IMeetingRoom* room = PickRoom(manager, in.Byte());
        if (!room) break;
        IInformationUnit* info = room->GetInformationUnit();
        const std::u16string name = Wide(in);
        info->GetMemberNumber(name.c_str());
        info->FindConnectedUserByName(name.c_str());
        info->GetConnectedUser(in.Int());
        for (IMemberInfo* m = info->GetFirstConnectedUser(); m; m = info->GetNextConnectedUser(m)) {
          std::unique_ptr<char16_t[]> text(m->GetUserName());
        }
        info->GetConnectedUserCount();
        break;
      }
      case 6: {
        IMeetingRoom* room = PickRoom(manager, in.Byte());
        if (!room) break;
        IWorkingRoomInfo* working = room->GetInformationUnit()->GetWorkingRoomInfo();
        working->SetTitle(Wide(in).c_str());
        working->SetShortText(Wide(in).c_str());
        working->SetRoomName(Narrow(in).c_str());
        working->SetFirstNumber(in.Int());
        working->SetExtraNumber(static_cast<int16_t>(in.Int()));
        break;
      }
      case 7: {
        IMeetingRoom* target = PickRoom(manager, in.Byte());
        IMeetingRoom* source = PickRoom(manager, in.Byte());
        if (target && source) {
          target->GetInformationUnit()->SetWorkingRoomInfo(source->GetInformationUnit()->GetWorkingRoomInfo());
        }
        break;
      }
      case 8:
        ui->PushUIEvent(MakeUIEvent(in.Byte(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int()));
        break;
      case 9: {
        TendrilUIEvent e;
        ui->PopUIEvent(&e);
        break;
      }
      case 10: {
        IMeetingRoom* room = PickRoom(manager, in.Byte());
        if (room) room->GetInformationUnit()->ClearConnectedUsers();
        break;
      }
      default:
        ui->SetStateFlags(in.Int());
        ui->ClearStateFlags(in.Int());
        break;
    }
  }
  tendril->Uninit();
  DestroyTendril();
  return 0;
}

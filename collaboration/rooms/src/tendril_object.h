// The process's one Tendril object: the host object, the meeting manager, the UI service,
// the local address and the host's extra value.
#pragma once

#include <string>

#include <tendril/tendril_interfaces.h>

#include "meeting_manager.h"
#include "shared_unknown.h"
#include "ui_service.h"

class IVtlApplication;

namespace TDRL {

class Tendril : public ITendril {
 public:
  Tendril();
  ~Tendril() override;
  Tendril(const Tendril&) = delete;
  Tendril& operator=(const Tendril&) = delete;

  bool Init() override;
  bool Uninit() override;
  ITendril* SetHostObject(IVtlCollabHost* host) override {
    host_ = host;
    return this;
  }
  IVtlCollabHost* GetHostObject() override { return host_; }
  IXmppMeetingManager* GetMeetingManager() override { return &manager_; }
  ITendrilUIService* GetUIService() override { return &ui_; }
  int NotifyAllRooms(int value) override;
  const char16_t* GetLocalAddress() override { return localAddress_.c_str(); }
  ITendril* SetExtraValue(int value) override {
    extraValue_ = value;
    return this;
  }
  int GetExtraValue() override { return extraValue_; }
  TDRL_SHARED_UNKNOWN

  XmppMeetingManager& Manager() { return manager_; }
  TendrilUIService& UI() { return ui_; }

 private:
  IVtlCollabHost* host_ = nullptr;
  // The UI service is built first and goes last: the rooms the manager deletes may still
  // push to it.
  TendrilUIService ui_;
  XmppMeetingManager manager_;
  std::u16string localAddress_;
  int extraValue_ = 0;
};

// The object while it exists, else null. Only GetTendrilInterface makes one: work that
// arrives after DestroyTendril finds null and is dropped, instead of building a new object
// on a network thread.
Tendril* CurrentTendril();

// The object, held so that DestroyTendril waits until it is let go (the server link's handlers
// use it on the reactor thread); null when there is none.
Tendril* HoldTendril();
void ReleaseTendril();

// The host application's answer to whether rooms take notices; 0 without a host.
// The host application, bound by its export ordinal; null when the host is not loaded.
IVtlApplication* HostApplication();
int HostRoomsTakeNotices();

}  // namespace TDRL

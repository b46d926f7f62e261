// A room's XMPP connection: its chat transport, which is the room's sending channel. Tests may
// give it a sender of their own in place of the transport.
#pragma once

#include <atomic>

#include <tendril/tendril_interfaces.h>

#include "member_info.h"

namespace TDRL {

class MeetingRoom;
class XmppRuntime;

class NetworkPeer {
 public:
  NetworkPeer() = default;
  ~NetworkPeer();
  NetworkPeer(const NetworkPeer&) = delete;
  NetworkPeer& operator=(const NetworkPeer&) = delete;

  // Starts the room's XMPP client with the settings on the manager's XMPP runtime; answers
  // whether a client runs.
  bool Connect(MeetingRoom* room, const XmppSettings& settings, const char* roomName, XmppRuntime* runtime);
  // Stops the client and forgets it; answers the result of the last call made.
  int Disconnect();
  // The client's sending side, null when none.
  ISender* Client() const {
    ISender* test = testSender_.load();
    return test ? test : client_.load();
  }
  // 6 once the login was refused, else 0.
  int LoginError() const;

  void SetClientForTest(ISender* sender) { testSender_.store(sender); }

 private:
  std::atomic<ISender*> client_{nullptr};
  std::atomic<ISender*> testSender_{nullptr};
};

}  // namespace TDRL

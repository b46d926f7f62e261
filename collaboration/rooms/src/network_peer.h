// A room's XMPP connection. Until the chat transport exists it keeps no client, so a room's
// packets go nowhere; tests give it a sender of their own in place of the client.
#pragma once

#include <atomic>

#include <tendril/tendril_interfaces.h>

#include "member_info.h"

namespace TDRL {

class MeetingRoom;

class NetworkPeer {
 public:
  NetworkPeer() = default;
  ~NetworkPeer();
  NetworkPeer(const NetworkPeer&) = delete;
  NetworkPeer& operator=(const NetworkPeer&) = delete;

  // Starts the room's XMPP client with the settings; answers whether a client runs.
  bool Connect(MeetingRoom* room, const XmppSettings& settings, const char* roomName);
  // Stops the client and forgets it; answers the result of the last call made.
  int Disconnect();
  // The client's sending side, null when none.
  ISender* Client() const { return client_.load(); }

  void SetClientForTest(ISender* sender) { client_.store(sender); }

 private:
  std::atomic<ISender*> client_{nullptr};
};

}  // namespace TDRL

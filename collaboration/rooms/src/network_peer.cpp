#include "network_peer.h"

#include <win/kernel.h>

namespace TDRL {

NetworkPeer::~NetworkPeer() { Disconnect(); }

bool NetworkPeer::Connect(MeetingRoom*, const XmppSettings&, const char*) {
  OutputDebugStringA("ResultCode ConnectToServer(buzz::XmppClientSettings& xcs)\n");
  // The chat transport makes the client here; without it the room stays unconnected.
  return client_.load() != nullptr;
}

int NetworkPeer::Disconnect() {
  client_.store(nullptr);
  return 0;
}

}  // namespace TDRL

#include "network_peer.h"

#include <win/kernel.h>

#include "meeting_room.h"
#include "xmpp_transport.h"

namespace TDRL {

NetworkPeer::~NetworkPeer() { Disconnect(); }

bool NetworkPeer::Connect(MeetingRoom* room, const XmppSettings& settings, const char* roomName, XmppRuntime* runtime) {
  OutputDebugStringA("ResultCode ConnectToServer(buzz::XmppClientSettings& xcs)\n");
  Disconnect();
  XmppLogin login;
  login.user = settings.user;
  login.domain = settings.host;
  login.serverHost = settings.serverHost;
  login.serverPort = settings.serverPort;
  login.roomName = roomName ? roomName : "";
  client_.store(CreateXmppClient(runtime, room, login));
  return client_.load() != nullptr;
}

int NetworkPeer::Disconnect() {
  ISender* client = client_.exchange(nullptr);
  if (client) DestroyXmppClient(client);
  testSender_.store(nullptr);
  return 0;
}

int NetworkPeer::LoginError() const { return XmppClientError(client_.load()); }

}  // namespace TDRL

// What a meeting manager and a room's network peer make of the chat transport, with no ACE,
// XMPP library or platform header, so that the rooms can include it.
#pragma once

#include <string>

class IMeetingRoom;

namespace TDRL {

class ISender;
class XmppRuntime;

// The manager's XMPP I/O thread and the poster to the thread that made it (the host's UI
// thread), where every chat-room event runs. Made and destroyed on that thread.
XmppRuntime* CreateXmppRuntime();
void DestroyXmppRuntime(XmppRuntime* runtime);

struct XmppLogin {
  std::string user;  // the own user name: the nickname in the chat room
  std::string domain;
  std::string serverHost;
  int serverPort = 5222;
  std::string roomName;
};

// The room's chat transport, logging in anonymously and entering the room's chat room; the
// answer is the room's sending channel. Made and destroyed on the runtime's thread.
ISender* CreateXmppClient(XmppRuntime* runtime, IMeetingRoom* room, const XmppLogin& login);
void DestroyXmppClient(ISender* client);
// 6 once a login was refused (the server offers no anonymous login), else 0.
int XmppClientError(ISender* client);

}  // namespace TDRL

// The room's chat transport over gloox. The XMPP client, the chat room and their callbacks live
// on the manager's XMPP I/O thread; every chat-room event is posted to the thread that made the
// manager, where the chat-room handler runs; sends from any thread are queued to the I/O thread.
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gloox/client.h>
#include <gloox/connectionlistener.h>
#include <gloox/message.h>
#include <gloox/mucroom.h>
#include <gloox/mucroomhandler.h>
#include <gloox/presence.h>

#include <tendril/chat_transport.h>
#include <tendril/server_link.h>

#include "debug_trace.h"
#include "ui_poster.h"
#include "xmpp_io.h"
#include "xmpp_transport.h"

namespace TDRL {

class XmppRuntime {
 public:
  UiPoster poster;  // first: the I/O thread goes before it
  XmppIo io;
};

namespace {

class XmppSession;

// The transport as the room sees it; everything here but Send runs on the runtime's thread.
class TendrilXmppClient final : public ISender, public IChatRoomLink, public ClientModule::ILinkOwner {
 public:
  TendrilXmppClient(XmppRuntime* runtime, IMeetingRoom* room, const XmppLogin& login);
  ~TendrilXmppClient();

  bool Send(Packet& packet) override { return sender_.Send(packet); }
  bool InRoom() override { return inRoom_.load(); }
  void SendGroupChat(const std::string& body) override;
  IMeetingRoom* LinkRoom() override { return room_; }

  // Events from the session, on the runtime's thread.
  void OnConnected();
  void OnEntered(const std::vector<std::string>& occupants, const std::string& nick);
  void OnMemberEntered(const std::string& nick) { handler_.MemberEntered(nick); }
  void OnMemberExited(const std::string& nick) { handler_.MemberExited(nick); }
  void OnMessage(const ChatRoomMessage& message) { handler_.MessageReceived(message); }
  void OnRenamed(const std::string& nick) { handler_.Renamed(nick); }
  void OnClosed(int error);
  int Error() const { return error_; }

  // Posts work for this client to the runtime's thread; dropped once the client is gone.
  template <class F>
  void Post(F f) {
    std::shared_ptr<bool> alive = alive_;
    runtime_->poster.Post([alive, this, f] {
      if (*alive) f(this);
    });
  }

 private:
  XmppRuntime* runtime_;
  IMeetingRoom* room_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  TendrilXmppChatroomHandler handler_;
  ChatPacketSender sender_;
  std::atomic<bool> inRoom_{false};
  int error_ = 0;
  XmppSession* session_ = nullptr;  // the I/O thread's
  ClientModule::ReactorClient link_;
};

// The XMPP client and chat room of one room, on the I/O thread.
class XmppSession final : public gloox::ConnectionListener, public gloox::MUCRoomHandler {
 public:
  XmppSession(XmppRuntime* runtime, TendrilXmppClient* owner, const XmppLogin& login, std::string address)
      : runtime_(runtime), owner_(owner), login_(login), address_(std::move(address)), client_(login.domain) {
    client_.setServer(login.serverHost);
    client_.setPort(login.serverPort);
    // Anonymous login only, no encryption, no roster: the login is the room's, not a user's.
    client_.setSASLMechanisms(gloox::SaslMechAnonymous);
    client_.setTls(gloox::TLSDisabled);
    client_.setCompression(false);
    client_.disableRoster();
    client_.registerConnectionListener(this);
  }
  ~XmppSession() override {
    runtime_->io.Unwatch(&client_);
    if (room_) room_->leave();
    room_.reset();
    client_.removeConnectionListener(this);
    client_.disconnect();
  }

  void Connect() {
    if (client_.connect(false)) runtime_->io.Watch(&client_);
  }
  void Join() {
    nick_ = login_.user;
    room_ = std::make_unique<gloox::MUCRoom>(&client_, gloox::JID(address_ + "/" + nick_), this, nullptr);
    room_->setRequestHistory(0, gloox::MUCRoom::HistoryMaxStanzas);
    room_->join();
  }
  void SendGroupChat(const std::string& body) {
    if (room_ && entered_) room_->send(body);
  }

  // gloox::ConnectionListener
  void onConnect() override {
    if (!client_.authed()) {
      // No mechanism fitted (the server offers no anonymous login): gloox reports the stream
      // as open, but the login has failed. It ends with the authentication error; nothing
      // tries again.
      runtime_->io.Unwatch(&client_);
      client_.disconnect();
      owner_->Post([](TendrilXmppClient* c) { c->OnClosed(6); });
      return;
    }
    owner_->Post([](TendrilXmppClient* c) { c->OnConnected(); });
  }
  void onDisconnect(gloox::ConnectionError e) override {
    const int error = e == gloox::ConnAuthenticationFailed ? 6 : 0;
    runtime_->io.Unwatch(&client_);
    owner_->Post([error](TendrilXmppClient* c) { c->OnClosed(error); });
  }
  bool onTLSConnect(const gloox::CertInfo&) override { return false; }

  // gloox::MUCRoomHandler
  void handleMUCParticipantPresence(gloox::MUCRoom*, const gloox::MUCRoomParticipant participant,
                                    const gloox::Presence& presence) override {
    const std::string nick = participant.nick ? participant.nick->resource() : std::string();
    const bool available = presence.presence() != gloox::Presence::Unavailable;
    if (participant.flags & gloox::UserSelf) {
      if (available && !entered_) {
        entered_ = true;
        nick_ = nick;
        auto occupants = std::vector<std::string>(present_.begin(), present_.end());
        owner_->Post([occupants, nick](TendrilXmppClient* c) { c->OnEntered(occupants, nick); });
      }
      return;
    }
    if (available) {
      if (!present_.insert(nick).second || !entered_) return;
      owner_->Post([nick](TendrilXmppClient* c) { c->OnMemberEntered(nick); });
    } else if (present_.erase(nick) && entered_) {
      owner_->Post([nick](TendrilXmppClient* c) { c->OnMemberExited(nick); });
    }
  }
  void handleMUCMessage(gloox::MUCRoom*, const gloox::Message& msg, bool priv) override {
    ChatRoomMessage message;
    message.sender = msg.from().resource();
    message.type = priv || msg.subtype() != gloox::Message::Groupchat ? "chat" : "groupchat";
    message.delayed = msg.when() != nullptr;
    message.body = msg.body();
    owner_->Post([message](TendrilXmppClient* c) { c->OnMessage(message); });
  }
  bool handleMUCRoomCreation(gloox::MUCRoom*) override { return true; }
  void handleMUCSubject(gloox::MUCRoom*, const std::string&, const std::string&) override {}
  void handleMUCInviteDecline(gloox::MUCRoom*, const gloox::JID&, const std::string&) override {}
  void handleMUCError(gloox::MUCRoom* room, gloox::StanzaError error) override {
    if (error != gloox::StanzaErrorConflict || entered_ || attempt_ >= 99) return;
    // The nickname is taken: "#2", "#3"... and it becomes the own user name too.
    nick_ = login_.user + "#" + std::to_string(++attempt_ + 1);
    const std::string nick = nick_;
    owner_->Post([nick](TendrilXmppClient* c) { c->OnRenamed(nick); });
    room->setNick(nick);
    room->join();
  }
  void handleMUCInfo(gloox::MUCRoom*, int, const std::string&, const gloox::DataForm*) override {}
  void handleMUCItems(gloox::MUCRoom*, const gloox::Disco::ItemList&) override {}

 private:
  XmppRuntime* runtime_;
  TendrilXmppClient* owner_;
  XmppLogin login_;
  std::string address_;
  gloox::Client client_;
  std::unique_ptr<gloox::MUCRoom> room_;
  std::string nick_;
  std::set<std::string> present_;
  bool entered_ = false;
  int attempt_ = 0;
};

TendrilXmppClient::TendrilXmppClient(XmppRuntime* runtime, IMeetingRoom* room, const XmppLogin& login)
    : runtime_(runtime),
      room_(room),
      handler_(room, this),
      sender_([this](Packet& packet) { return link_.SendPacketToServer(packet); }, this) {
  link_.SetOwner(this);
  const std::string address = ChatRoomAddress(login.roomName, login.domain);
  // A room whose name is no chat-room address exists but never joins.
  if (address.empty()) return;
  session_ = new XmppSession(runtime, this, login, address);
  XmppSession* session = session_;
  runtime_->io.Run([session] { session->Connect(); });
}

TendrilXmppClient::~TendrilXmppClient() {
  *alive_ = false;
  inRoom_ = false;
  // The session goes on its own thread, after every send queued before.
  if (XmppSession* session = session_) runtime_->io.RunAndWait([session] { delete session; });
}

void TendrilXmppClient::SendGroupChat(const std::string& body) {
  XmppSession* session = session_;
  if (session) runtime_->io.Run([session, body] { session->SendGroupChat(body); });
}

void TendrilXmppClient::OnConnected() {
  DebugTrace("OnOpen");
  handler_.Opened();
  XmppSession* session = session_;
  runtime_->io.Run([session] { session->Join(); });
  // The TCP link comes up after the chat room.
  link_.ConnectToServer(nullptr);
}

void TendrilXmppClient::OnEntered(const std::vector<std::string>& occupants, const std::string& nick) {
  DebugTrace("ChatroomEnteredStatus");
  inRoom_ = true;
  handler_.EnteredStatus(0, occupants, nick);
}

void TendrilXmppClient::OnClosed(int error) {
  // Only this room's connection ends.
  inRoom_ = false;
  if (error) error_ = error;
}

}  // namespace

XmppRuntime* CreateXmppRuntime() { return new XmppRuntime(); }

void DestroyXmppRuntime(XmppRuntime* runtime) { delete runtime; }

ISender* CreateXmppClient(XmppRuntime* runtime, IMeetingRoom* room, const XmppLogin& login) {
  return runtime ? new TendrilXmppClient(runtime, room, login) : nullptr;
}

void DestroyXmppClient(ISender* client) { delete static_cast<TendrilXmppClient*>(client); }

int XmppClientError(ISender* client) { return client ? static_cast<TendrilXmppClient*>(client)->Error() : 0; }

}  // namespace TDRL

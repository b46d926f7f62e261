// A room's chat transport, apart from the XMPP library: the chat-room handler that keeps the
// room's members in step with the chat room's occupants and hands reassembled packets to the
// handler table, and the sending side that offers each packet to the room's TCP link first and
// else sends it as chunks of Base64 text to the chat room.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <tendril/chunk_codec.h>
#include <tendril/export.h>
#include <tendril/sender.h>

class IMeetingRoom;

namespace TDRL {

class MeetingRoom;
class Packet;

// The chat room as the transport uses it (the XMPP library's room in the client).
class IChatRoomLink {
 public:
  // Whether the room has been entered: chunks can go.
  virtual bool InRoom() = 0;
  // One group-chat message to the room.
  virtual void SendGroupChat(const std::string& body) = 0;

 protected:
  ~IChatRoomLink() = default;
};

// The chat room's address: the room name lower-cased, "@conference." and the domain. Empty
// for a name that is no valid room address (blank, "@", "/", quotes, spaces or control
// characters): such a room never joins.
TENDRIL_API std::string ChatRoomAddress(const std::string& roomName, const std::string& domain);

// A message of the chat room as the handler sees it.
struct ChatRoomMessage {
  std::string sender;    // the sender's nickname in the room
  std::string type;      // "groupchat", "chat" ...
  bool delayed = false;  // history the room replays
  std::string body;
};

class TENDRIL_API TendrilXmppChatroomHandler {
 public:
  // `self` is the transport's sender, which the handlers answer through.
  TendrilXmppChatroomHandler(IMeetingRoom* room, ISender* self);

  // The room was entered (status 0) with these other occupants, in the room's order, under the
  // nickname `ownNick`.
  void EnteredStatus(int status, const std::vector<std::string>& occupants, const std::string& ownNick);
  void MemberEntered(const std::string& nick);
  void MemberExited(const std::string& nick);
  // Reassembles chunks per sender and dispatches a complete packet. Messages that are not
  // group chat, history the room replays and the room's echo of this client's own messages
  // are ignored.
  void MessageReceived(const ChatRoomMessage& message);

  // The room's XMPP connection opened (the room's second flag goes up).
  void Opened();
  // The chat room gave the own user this nickname (the wanted one was taken): it is the own
  // user name from now on, so that the room's packets and its members agree.
  void Renamed(const std::string& nick);

  const std::string& OwnNick() const { return ownNick_; }
  size_t PendingChunks() const { return reassembler_.PendingEntries(); }

 private:
  MeetingRoom* room_;
  ISender* self_;
  std::string ownNick_;
  ChunkReassembler reassembler_;
  // Member numbers come from a counter that never gives one twice, so that a number freed by
  // a departure is not given to the next member while another still holds it.
  int nextNumber_ = 0;
};

// The sending side: the TCP link first, else chunks to the chat room.
class TENDRIL_API ChatPacketSender {
 public:
  // `link` offers the packet to the room's TCP link and answers whether it took it.
  ChatPacketSender(std::function<bool(Packet&)> link, IChatRoomLink* chat) : link_(std::move(link)), chat_(chat) {}

  // True when the packet went (or was dropped because the chat room is not entered).
  bool Send(Packet& packet);
  uint32_t Counter() const { return counter_.load(); }

 private:
  std::function<bool(Packet&)> link_;
  IChatRoomLink* chat_;
  std::atomic<uint32_t> counter_{0};  // two threads send
};

}  // namespace TDRL

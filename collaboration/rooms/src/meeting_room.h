// A meeting room: one collaboration meeting on one shared map, with its units and its
// network peer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include <tendril/tendril_interfaces.h>

#include "chat_message_queue.h"
#include "co_edit_manager.h"
#include "information_unit.h"
#include "network_peer.h"
#include "shared_unknown.h"
#include "sync_managers.h"

namespace TDRL {

class MeetingRoom;
class Packet;

class CollaborationUnit : public ICollaborationUnit {
 public:
  explicit CollaborationUnit(MeetingRoom* room) : room_(room) {}

  BYTE IsCoEditing() override { return coEditing_; }
  ICollaborationUnit* SetCoEditing(int value) override {
    coEditing_ = static_cast<BYTE>(value);
    return this;
  }
  // The co-editing packets 35 and 36 are not sent: a 36 relayed to the others would end
  // their co-editing too.
  void StartCoEdit(bool) override { started_ = 1; }
  void EndCoEdit() override { started_ = 0; }
  BYTE IsStarted() override { return started_; }
  TDRL_SHARED_UNKNOWN

  void SetChannel(NetworkPeer* peer) { channel_ = peer; }
  // Hands the packet to the peer's client; false when the room has no client.
  bool Queue(Packet& packet);

 private:
  NetworkPeer* channel_ = nullptr;
  // Set by the server link's handlers on the reactor thread, read by the host.
  std::atomic<BYTE> coEditing_{0};
  std::atomic<BYTE> started_{0};
  MeetingRoom* room_;
};

class MeetingRoom : public IMeetingRoom {
 public:
  explicit MeetingRoom(ITendril* tendril);
  ~MeetingRoom() override;
  MeetingRoom(const MeetingRoom&) = delete;
  MeetingRoom& operator=(const MeetingRoom&) = delete;

  ICollaborationUnit* GetCollaborationUnit() override { return &collaboration_; }
  IInformationUnit* GetInformationUnit() override { return &information_; }
  bool NotifySyncBookFinished() override;
  BYTE GetSecondFlag() override { return secondFlag_; }
  BYTE GetFirstFlag() override { return firstFlag_; }
  bool SetFirstFlag(int value) override {
    firstFlag_ = value != 0 ? 1 : 0;
    return value != 0;
  }
  BYTE GetThirdFlag() override { return thirdFlag_; }
  IMeetingRoom* SetThirdFlag(int value) override {
    thirdFlag_ = static_cast<BYTE>(value);
    return this;
  }
  IWorkbookSyncManager* GetWorkbookSyncManager() override { return &workbook_; }
  ICoEditManager* GetCoEditManager() override { return &coEdit_; }
  IChatMessageQueue* GetChatMessageQueue() override { return &chat_; }
  void ForwardToCoEdit(int value) override;
  ITendril* GetTendril() override { return tendril_; }
  TDRL_SHARED_UNKNOWN

  // Opening by the meeting manager: identifier, lower-case name, own record, connection.
  void Open(int id, const char* roomName, const XmppSettings& settings, XmppRuntime* runtime);
  InformationUnit& Information() { return information_; }
  // Room name (8-bit, terminated) and own user name (wide, terminated): the head of the
  // room's synchronisation packets. PacketLock is held.
  void AppendRoomAndUser(Packet& packet);
  CollaborationUnit& Collaboration() { return collaboration_; }
  CoEditManager& CoEdit() { return coEdit_; }
  // The room's XMPP connection opened: the second flag goes up.
  void MarkOpened() { secondFlag_ = 1; }
  NetworkPeer& Peer() { return peer_; }
  bool IsConnected() const { return connected_; }
  // The room's own lock: taken before a member map's lock and before PacketLock.
  std::recursive_mutex& Lock() { return lock_; }
  // Uses by the server link's handlers: a room is deleted only once none is running.
  void AddUse();
  void EndUse();
  void WaitUnused();

 private:
  std::recursive_mutex lock_;
  std::mutex useLock_;
  std::condition_variable useEnded_;
  int uses_ = 0;
  CollaborationUnit collaboration_;
  InformationUnit information_;
  WorkbookSyncManager workbook_;
  CoEditManager coEdit_;
  ChatMessageQueue chat_;
  NetworkPeer peer_;
  bool connected_ = false;
  ITendril* tendril_;
  // The handlers set the first flag on the reactor thread.
  std::atomic<BYTE> firstFlag_{0};
  std::atomic<BYTE> secondFlag_{0};
  std::atomic<BYTE> thirdFlag_{0};
};

}  // namespace TDRL

// The TCP link between one meeting room and the collaboration server, over ACE: one reactor
// thread for the whole process drives every link; a connect runs on a task thread of its own;
// a service handler per link cuts the stream into packets for the handler table and writes the
// packets queued on it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include <ace/Connector.h>
#include <ace/INET_Addr.h>
#include <ace/Reactor_Notification_Strategy.h>
#include <ace/SOCK_Connector.h>
#include <ace/SOCK_Stream.h>
#include <ace/Svc_Handler.h>
#include <ace/Task.h>

#include <tendril/export.h>
#include <tendril/frame_assembler.h>
#include <tendril/packet.h>
#include <tendril/sender.h>

class IMeetingRoom;

namespace TDRL::ClientModule {

class ClientModuleHandler;

// The owner of a link (the room's chat transport): the room the opening packet names.
class ILinkOwner {
 public:
  virtual IMeetingRoom* LinkRoom() = 0;

 protected:
  ~ILinkOwner() = default;
};

// What a link's client and its handler share. The handler is here from the connect until it
// closes; whoever reaches it does so under the lock, and the handler leaves only under it.
struct LinkState {
  std::mutex lock;
  std::condition_variable changed;
  ClientModuleHandler* handler = nullptr;
  ILinkOwner* owner = nullptr;
  bool connecting = false;
  bool open = false;
  bool closed = false;
};

// Wakes the reactor for a handler's queued packets once until its output has emptied the
// queue: a burst of sends makes one notification, not one each (the reactor's notification pipe
// is finite, and every wake-up costs a write and a switch).
class WakeOnceNotification : public ACE_Reactor_Notification_Strategy {
 public:
  WakeOnceNotification() : ACE_Reactor_Notification_Strategy(nullptr, nullptr, ACE_Event_Handler::WRITE_MASK) {}
  using ACE_Reactor_Notification_Strategy::notify;
  int notify() override {
    if (pending_.exchange(true)) return 0;
    return ACE_Reactor_Notification_Strategy::notify();
  }
  void Woken() { pending_ = false; }

 private:
  std::atomic<bool> pending_{false};
};

class TENDRIL_API ClientModuleHandler : public ACE_Svc_Handler<ACE_SOCK_Stream, ACE_MT_SYNCH>, public ISender {
 public:
  using Base = ACE_Svc_Handler<ACE_SOCK_Stream, ACE_MT_SYNCH>;

  ClientModuleHandler();
  explicit ClientModuleHandler(std::shared_ptr<LinkState> state);

  // The connection is made: registers for input, sets the socket non-blocking, wakes the
  // reactor for every queued packet and sends the opening packet (type 2); -1 when it cannot.
  int open(void* = nullptr) override;
  // Queues the packet (the queue takes its block); false before the link has opened.
  bool Send(Packet& packet) override;
  int handle_input(ACE_HANDLE) override;
  int handle_output(ACE_HANDLE) override;
  // A close asked for by the link's client, on the reactor thread.
  int handle_exception(ACE_HANDLE) override;
  // The write mask alone is ignored; anything else ends the link and deletes the handler.
  int handle_close(ACE_HANDLE handle, ACE_Reactor_Mask mask) override;
  // Hands a complete packet to the handler table; -1 ends the link.
  int DoService(Packet& packet);

 private:
  bool QueueBlock(Packet& packet);

  std::shared_ptr<LinkState> state_;
  WakeOnceNotification notifier_;
  std::mutex lock_;  // the handler lock: reading and dispatch
  FrameAssembler assembler_;
  std::vector<unsigned char> input_ = std::vector<unsigned char>(64 * 1024);
  std::atomic<bool> open_{false};
  bool closing_ = false;
};

class TENDRIL_API ReactorClient : public ACE_Task<ACE_MT_SYNCH> {
 public:
  // Starts the process's reactor thread when it is not running.
  ReactorClient();
  // Waits for a connect still running, then closes the link on the reactor thread and waits
  // until it has closed.
  ~ReactorClient() override;
  ReactorClient(const ReactorClient&) = delete;
  ReactorClient& operator=(const ReactorClient&) = delete;

  void SetOwner(ILinkOwner* owner);
  // Connects to the collaboration server: KX2_TENDRIL_SERVER ("host[:port]"), else `host`
  // (or 127.0.0.1) on port 5888. 0 when the connect's thread started.
  int ConnectToServer(const char16_t* host);
  int svc() override;

  // The link's Send: false when it is not open (the owner then falls back).
  bool SendPacketToServer(Packet& packet);
  bool IsOpen();
  bool IsClosed();
  bool IsConnecting();
  // Waits until the link is open or closed; false when `ms` passed first.
  bool WaitSettled(int ms);
  // Waits until the link has closed; false when `ms` passed first.
  bool WaitClosed(int ms);

  // Ends the reactor's loop and joins its thread (Uninit, the module's unload).
  static void StopReactor();

 private:
  std::shared_ptr<LinkState> state_ = std::make_shared<LinkState>();
  ACE_Connector<ClientModuleHandler, ACE_SOCK_Connector> connector_;
  ACE_INET_Addr address_;
  ClientModuleHandler* connecting_ = nullptr;
};

}  // namespace TDRL::ClientModule

#include <tendril/server_link.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <sys/uio.h>

#include <ace/Log_Msg.h>
#include <ace/OS_NS_sys_socket.h>
#include <ace/Reactor.h>
#include <ace/Synch_Options.h>

#include <tendril/packet_types.h>

#include "callback_service.h"
#include "debug_trace.h"
#include "link_opening.h"
#include "reactor_thread.h"

namespace TDRL::ClientModule {
namespace {

constexpr u_short kServerPort = 5888;
// Reads per input event before the reactor looks at the other links again.
constexpr int kReadsPerEvent = 64;

// The server's "host[:port]" from KX2_TENDRIL_SERVER, else the given host on 5888.
ACE_INET_Addr ServerAddress(const char16_t* host) {
  std::string name = "127.0.0.1";
  if (host && *host) {
    name.clear();
    for (const char16_t* c = host; *c; ++c) name.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
  }
  u_short port = kServerPort;
  if (const char* v = std::getenv("KX2_TENDRIL_SERVER"); v && *v) {
    std::string text(v);
    const size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
      const int p = std::atoi(text.c_str() + colon + 1);
      if (p > 0 && p < 65536) port = static_cast<u_short>(p);
      text.resize(colon);
    }
    if (!text.empty()) name = text;
  }
  return ACE_INET_Addr(port, name.c_str());
}

}  // namespace

// ---- Handler -------------------------------------------------------------------------------

// A link queues up to this many bytes; past it Send refuses and the owner falls back.
constexpr size_t kQueueBytes = 256u << 20;

ClientModuleHandler::ClientModuleHandler() { msg_queue()->high_water_mark(kQueueBytes); }

ClientModuleHandler::ClientModuleHandler(std::shared_ptr<LinkState> state) : state_(std::move(state)) {
  msg_queue()->high_water_mark(kQueueBytes);
}

int ClientModuleHandler::open(void* p) {
  if (Base::open(p) == -1) {
    const std::string line = "Failed. ClientModuleHandler::open(p). Error Code = " + std::to_string(errno);
    DebugTrace(line.c_str());
    return -1;
  }
  // Writes never wait: a full socket keeps the rest queued for the reactor's write event.
  peer().enable(ACE_NONBLOCK);
  notifier_.reactor(reactor());
  notifier_.event_handler(this);
  msg_queue()->notification_strategy(&notifier_);
  Packet opening;
  IMeetingRoom* room = nullptr;
  {
    std::lock_guard hold(state_->lock);
    room = state_->owner ? state_->owner->LinkRoom() : nullptr;
  }
  if (!BuildOpeningPacket(room, opening)) return -1;
  open_ = true;
  {
    std::lock_guard hold(state_->lock);
    state_->open = true;
    state_->connecting = false;
  }
  state_->changed.notify_all();
  return QueueBlock(opening) ? 0 : -1;
}

bool ClientModuleHandler::QueueBlock(Packet& packet) {
  if (!packet.IsUsable()) return false;
  packet.ResetPositions();
  ACE_Message_Block* block = packet.Block();
  ACE_Time_Value now = ACE_OS::gettimeofday();
  if (putq(block, &now) == -1) return false;
  (void)packet.ReleaseBlock();  // the queue owns it now
  return true;
}

bool ClientModuleHandler::Send(Packet& packet) { return open_.load() && QueueBlock(packet); }

int ClientModuleHandler::handle_input(ACE_HANDLE) {
  std::lock_guard hold(lock_);
  // Read in large pieces and cut them into packets: a packet split across reads keeps its
  // place in the assembler (a partial header too) until the rest comes.
  for (int reads = 0; reads < kReadsPerEvent; ++reads) {
    const ssize_t n = peer().recv(input_.data(), input_.size());
    if (n == 0) return -1;  // the server closed
    if (n < 0) return errno == EWOULDBLOCK || errno == EAGAIN ? 0 : -1;
    bool failed = false;
    const FrameAssembler::Status status = assembler_.Feed(input_.data(), static_cast<size_t>(n), [&](Packet& packet) {
      if (!failed && DoService(packet) == -1) failed = true;
    });
    if (failed || status == FrameAssembler::Status::kRefused) return -1;
    if (static_cast<size_t>(n) < input_.size()) return 0;  // drained for now
  }
  return 0;
}

int ClientModuleHandler::DoService(Packet& packet) {
  int answer = -1;
  if (packet.Type() != kPacketRejected) {
    packet.RewindRead();
    answer = ClientCallbackServiceForIS::Instance().Dispatch(this, packet) == -1 ? -1 : 0;
  }
  // A receiver that kept the packet took its block; what is left goes back to the assembler,
  // which uses it for the next packet or lets it go.
  return answer;
}

int ClientModuleHandler::handle_output(ACE_HANDLE) {
  constexpr int kGather = 256;
  ACE_Message_Block* blocks[kGather];
  iovec pieces[kGather];
  for (;;) {
    // Several queued packets leave in one write.
    int count = 0;
    // A deadline long past: dequeuing never waits.
    ACE_Time_Value past = ACE_Time_Value::zero;
    // While this runs, or waits for the socket's write event, queued packets need no wake-up.
    while (count < kGather && getq(blocks[count], &past) != -1) {
      pieces[count].iov_base = blocks[count]->rd_ptr();
      pieces[count].iov_len = blocks[count]->length();
      ++count;
    }
    if (count == 0) {
      // Senders wake the reactor again from here on; one that queued just before is seen by
      // the look that follows.
      notifier_.Woken();
      if (msg_queue()->is_empty()) break;
      continue;
    }
    const ssize_t sent = peer().sendv(pieces, count);
    if (sent < 0 && errno != EWOULDBLOCK && errno != EAGAIN) {
      ACE_ERROR((LM_ERROR, ACE_TEXT("(%P|%t) %p\n"), ACE_TEXT("Send\n")));
      for (int i = 0; i < count; ++i) blocks[i]->release();
      // The link is broken: shutting it down makes the reactor close it through its input.
      ACE_OS::shutdown(peer().get_handle(), ACE_SHUTDOWN_BOTH);
      return 0;
    }
    size_t left = sent > 0 ? static_cast<size_t>(sent) : 0;
    int first = 0;
    while (first < count && left >= blocks[first]->length()) {
      left -= blocks[first]->length();
      blocks[first++]->release();
    }
    if (first < count) {
      // The rest waits for the socket's write event; other links go on meanwhile.
      blocks[first]->rd_ptr(left);
      for (int i = count - 1; i >= first; --i) ungetq(blocks[i]);
      reactor()->schedule_wakeup(this, ACE_Event_Handler::WRITE_MASK);
      return 0;
    }
  }
  reactor()->cancel_wakeup(this, ACE_Event_Handler::WRITE_MASK);
  return 0;
}

int ClientModuleHandler::handle_exception(ACE_HANDLE) {
  handle_close(ACE_INVALID_HANDLE, ACE_Event_Handler::ALL_EVENTS_MASK);
  return 0;
}

int ClientModuleHandler::handle_close(ACE_HANDLE, ACE_Reactor_Mask mask) {
  if (mask == ACE_Event_Handler::WRITE_MASK) return 0;
  if (closing_) return 0;
  closing_ = true;
  open_ = false;
  if (state_) {
    std::lock_guard hold(state_->lock);
    if (state_->handler == this) {
      DebugTrace("void ReactorClient::Close(void)");
      state_->handler = nullptr;
      state_->open = false;
      state_->closed = true;
      state_->connecting = false;
    }
  }
  if (ACE_Reactor* r = reactor()) {
    r->remove_handler(this, ACE_Event_Handler::ALL_EVENTS_MASK | ACE_Event_Handler::DONT_CALL);
    r->purge_pending_notifications(this);
  }
  msg_queue()->notification_strategy(nullptr);
  msg_queue()->flush();  // releases what was never written
  std::shared_ptr<LinkState> state = state_;
  delete this;
  if (state) state->changed.notify_all();
  return 0;
}

// ---- Client --------------------------------------------------------------------------------

ReactorClient::ReactorClient() { StartReactorThread(); }

ReactorClient::~ReactorClient() {
  wait();  // a connect still running ends first
  std::unique_lock hold(state_->lock);
  state_->owner = nullptr;
  if (ClientModuleHandler* handler = state_->handler) {
    if (ReactorThreadRunning() && ACE_Reactor::instance()->notify(handler, ACE_Event_Handler::EXCEPT_MASK) != -1) {
      state_->changed.wait(hold, [&] { return state_->handler == nullptr; });
    } else {
      // No reactor thread: nothing else can reach the handler.
      hold.unlock();
      handler->handle_close(ACE_INVALID_HANDLE, ACE_Event_Handler::ALL_EVENTS_MASK);
    }
  }
}

void ReactorClient::SetOwner(ILinkOwner* owner) {
  std::lock_guard hold(state_->lock);
  state_->owner = owner;
}

int ReactorClient::ConnectToServer(const char16_t* host) {
  wait();  // an earlier connect has ended
  address_ = ServerAddress(host);
  {
    std::lock_guard hold(state_->lock);
    if (state_->handler) return -1;  // a link is open or connecting
    connecting_ = new ClientModuleHandler(state_);
    connecting_->reactor(ACE_Reactor::instance());
    state_->handler = connecting_;
    state_->connecting = true;
    state_->closed = false;
    state_->open = false;
  }
  if (connector_.open(ACE_Reactor::instance()) == -1 || activate(THR_NEW_LWP | THR_JOINABLE, 1) == -1) {
    std::lock_guard hold(state_->lock);
    state_->handler = nullptr;
    state_->connecting = false;
    delete connecting_;
    connecting_ = nullptr;
    return -1;
  }
  return 0;
}

int ReactorClient::svc() {
  ACE_TCHAR text[64] = {};
  address_.addr_to_string(text, sizeof text / sizeof text[0]);
  DebugTrace(text);
  ClientModuleHandler* handler = connecting_;
  connecting_ = nullptr;
  // On failure the connector closes the handler, which leaves the link closed.
  connector_.connect(handler, address_, ACE_Synch_Options::defaults, ACE_sap_any_cast(const ACE_INET_Addr&), 0, O_RDWR);
  return 0;
}

bool ReactorClient::SendPacketToServer(Packet& packet) {
  std::lock_guard hold(state_->lock);
  return state_->handler && state_->open && state_->handler->Send(packet);
}

bool ReactorClient::IsOpen() {
  std::lock_guard hold(state_->lock);
  return state_->open;
}

bool ReactorClient::IsClosed() {
  std::lock_guard hold(state_->lock);
  return state_->closed;
}

bool ReactorClient::IsConnecting() {
  std::lock_guard hold(state_->lock);
  return state_->connecting;
}

bool ReactorClient::WaitSettled(int ms) {
  std::unique_lock hold(state_->lock);
  return state_->changed.wait_for(hold, std::chrono::milliseconds(ms), [&] { return !state_->connecting; });
}

bool ReactorClient::WaitClosed(int ms) {
  std::unique_lock hold(state_->lock);
  return state_->changed.wait_for(hold, std::chrono::milliseconds(ms), [&] { return state_->closed; });
}

void ReactorClient::StopReactor() { StopReactorThread(); }

}  // namespace TDRL::ClientModule

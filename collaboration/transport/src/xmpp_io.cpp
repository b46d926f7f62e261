#include "xmpp_io.h"

#include <algorithm>
#include <condition_variable>

#include <ace/ACE.h>
#include <ace/Flag_Manip.h>
#include <ace/Handle_Set.h>
#include <ace/OS_NS_unistd.h>
#include <gloox/clientbase.h>
#include <gloox/connectiontcpbase.h>

#include "platform_thread.h"

namespace TDRL {
namespace {

ACE_HANDLE SocketOf(gloox::ClientBase* client) {
  auto* tcp = dynamic_cast<gloox::ConnectionTCPBase*>(client->connectionImpl());
  return tcp && tcp->socket() >= 0 ? tcp->socket() : ACE_INVALID_HANDLE;
}

}  // namespace

XmppIo::XmppIo() {
  wake_.open();
  ACE::set_flags(wake_.read_handle(), ACE_NONBLOCK);
  ACE::set_flags(wake_.write_handle(), ACE_NONBLOCK);
  thread_ = StartPlatformThread(&XmppIo::ThreadBody, this);
}

XmppIo::~XmppIo() {
  {
    std::lock_guard hold(lock_);
    stop_ = true;
  }
  Wake();
  JoinPlatformThread(thread_);
  wake_.close();
}

void XmppIo::Wake() {
  const char byte = 1;
  // A full pipe already wakes the thread.
  (void)ACE_OS::write(wake_.write_handle(), &byte, 1);
}

void XmppIo::Run(std::function<void()> work) {
  {
    std::lock_guard hold(lock_);
    work_.push_back(std::move(work));
  }
  Wake();
}

void XmppIo::RunAndWait(std::function<void()> work) {
  std::mutex doneLock;
  std::condition_variable doneChanged;
  bool done = false;
  Run([&] {
    work();
    std::lock_guard hold(doneLock);
    done = true;
    doneChanged.notify_all();
  });
  std::unique_lock hold(doneLock);
  doneChanged.wait(hold, [&] { return done; });
}

void XmppIo::Watch(gloox::ClientBase* client) {
  if (std::find(clients_.begin(), clients_.end(), client) == clients_.end()) clients_.push_back(client);
}

void XmppIo::Unwatch(gloox::ClientBase* client) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void XmppIo::ThreadBody(void* self) { static_cast<XmppIo*>(self)->Loop(); }

void XmppIo::Loop() {
  for (;;) {
    ACE_Handle_Set readable;
    ACE_HANDLE widest = wake_.read_handle();
    readable.set_bit(widest);
    for (gloox::ClientBase* client : clients_) {
      const ACE_HANDLE socket = SocketOf(client);
      if (socket == ACE_INVALID_HANDLE) continue;
      readable.set_bit(socket);
      widest = std::max(widest, socket);
    }
    ACE_Time_Value wait(0, 200000);
    const int ready = ACE::select(static_cast<int>(widest) + 1, &readable, nullptr, nullptr, &wait);
    if (ready > 0 && readable.is_set(wake_.read_handle())) {
      char drain[256];
      while (ACE_OS::read(wake_.read_handle(), drain, sizeof drain) > 0) {}
    }
    std::deque<std::function<void()>> work;
    bool stop = false;
    {
      std::lock_guard hold(lock_);
      work.swap(work_);
      stop = stop_;
    }
    for (auto& w : work) w();
    if (stop) return;
    if (ready <= 0) continue;
    // A client read may end or remove clients: each is looked for again before it reads.
    const std::vector<gloox::ClientBase*> watched = clients_;
    for (gloox::ClientBase* client : watched) {
      if (std::find(clients_.begin(), clients_.end(), client) == clients_.end()) continue;
      const ACE_HANDLE socket = SocketOf(client);
      if (socket != ACE_INVALID_HANDLE && readable.is_set(socket)) client->recv(0);
    }
  }
}

}  // namespace TDRL

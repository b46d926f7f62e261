// One XMPP I/O thread per meeting manager: it waits on its clients' sockets through ACE and
// lets each client read what arrived; work queued from any thread (sends, joins, teardown)
// runs on it in order, since the XMPP library's objects are not shared between threads.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include <ace/Pipe.h>

namespace gloox {
class ClientBase;
}

namespace TDRL {

class XmppIo {
 public:
  XmppIo();
  // Runs the work still queued, then ends and joins the thread.
  ~XmppIo();
  XmppIo(const XmppIo&) = delete;
  XmppIo& operator=(const XmppIo&) = delete;

  void Run(std::function<void()> work);
  // Runs the work and waits until it has run (not on the I/O thread itself).
  void RunAndWait(std::function<void()> work);

  // On the I/O thread: the client's socket is watched until Unwatch.
  void Watch(gloox::ClientBase* client);
  void Unwatch(gloox::ClientBase* client);

 private:
  static void ThreadBody(void* self);
  void Loop();
  void Wake();

  ACE_Pipe wake_;
  std::mutex lock_;
  std::deque<std::function<void()>> work_;
  bool stop_ = false;
  std::vector<gloox::ClientBase*> clients_;  // the I/O thread's own
  void* thread_ = nullptr;
};

}  // namespace TDRL

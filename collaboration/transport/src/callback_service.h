// The table of server message handlers: one handler object per packet type the client
// handles, 48 slots indexed by type, shared by the TCP link (reactor thread) and the chat
// transport (the host's UI thread).
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include <tendril/packet.h>
#include <tendril/sender.h>

namespace TDRL::ClientModule {

// A handler: the dispatcher gives it the link's sender and the packet, then calls Service,
// which answers 0 for success and -1 for failure.
class CallbackFunctorBase {
 public:
  virtual ~CallbackFunctorBase() = default;
  virtual int Service() = 0;

  ISender* sender_ = nullptr;
  Packet* packet_ = nullptr;
};

class IVtlsEnforcer {
 public:
  // -1 when the packet's handler failed or there is none, else 0.
  virtual int Dispatch(ISender* sender, Packet& packet) = 0;

 protected:
  ~IVtlsEnforcer() = default;
};

class CallbackService {
 public:
  virtual ~CallbackService() = default;
};

class CallbackServieBase : public CallbackService, public IVtlsEnforcer {
 public:
  int Dispatch(ISender* sender, Packet& packet) override;
  // Deletes every handler object, then the table.
  ~CallbackServieBase() override = default;
  virtual void FillTable() {}

 protected:
  std::vector<std::unique_ptr<CallbackFunctorBase>> table_;
  // A handler object keeps its sender and packet while it runs: one dispatch at a time.
  std::recursive_mutex dispatchLock_;
};

class ClientCallbackServiceForIS : public CallbackServieBase {
 public:
  ClientCallbackServiceForIS();
  void FillTable() override;

  // The process's table, made once on first use.
  static ClientCallbackServiceForIS& Instance();
};

}  // namespace TDRL::ClientModule

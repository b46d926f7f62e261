// The server message handlers, one class per packet type the client handles. Each reads the
// packet with the checked readers (a body shorter than its fields is a failed read: nothing is
// touched, the answer is 0, and -1 for an edit message) and drives the room the packet names.
// None makes the Tendril object: without one the packet is dropped.
#pragma once

#include "callback_service.h"

namespace TDRL::ClientModule {

class ClientOpeningIS : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceYouAreMaster : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceMasterChanged : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceSendingEditMessage : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceEditInfoReceived : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceRestartHistory : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceSyncRedoPos : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceSyncRedoPosResult : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceSyncSelectedID : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceSyncBook : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceSyncBookFailed : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceSyncBookFinished : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceEndCoEdit : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceRequestBinData : public CallbackFunctorBase {
 public:
  int Service() override;
};

class EnforceLockTopic : public CallbackFunctorBase {
 public:
  int Service() override;
};

// A lock request is handled as a lock.
class EnforceLockTopicRequest : public EnforceLockTopic {};

}  // namespace TDRL::ClientModule

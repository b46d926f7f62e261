// The host object of the collaboration client. Its links are members of one object so that
// the chain the client walks (holder, document, view, session, state) is always whole while a
// document is open; the client may walk it from its network threads, so the answers are
// read under one lock.
#include <vantorel/collab_host.h>

#include <atomic>
#include <mutex>

#include "app/application.h"

namespace vantorel::detail {
namespace {

std::atomic<bool> roomsTakeNotices{true};

class CollabHostObject;

// Every link answers QueryInterface for IUnknown only and is not counted: the client never
// releases what the host object hands it.
template <class Interface>
class Uncounted : public Interface {
 public:
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == kIID_IVtlUnknown) {
      *out = static_cast<IUnknown*>(this);
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
};

struct CollabState {
  std::mutex lock;
  bool signedIn = false;
  std::u16string mail;
  bool documentOpen = false;
  LONG documentState = 0;
};

CollabState& State() {
  static CollabState state;
  return state;
}

class StateLink : public Uncounted<IVtlCollabDocumentState> {
 public:
  LONG GetState() override {
    std::lock_guard hold(State().lock);
    return State().documentState;
  }
};

class SessionLink : public Uncounted<IVtlCollabSession> {
 public:
  IVtlCollabDocumentState* GetDocumentState() override { return &state_; }

 private:
  StateLink state_;
};

class ViewLink : public Uncounted<IVtlCollabView> {
 public:
  IVtlCollabSession* GetSession() override { return &session_; }

 private:
  SessionLink session_;
};

class DocumentLink : public Uncounted<IVtlCollabDocument> {
 public:
  IVtlCollabView* GetView() override { return &view_; }

 private:
  ViewLink view_;
};

class HolderLink : public Uncounted<IVtlCollabDocumentHolder> {
 public:
  IVtlCollabDocument* GetCurrentDocument() override {
    std::lock_guard hold(State().lock);
    return State().documentOpen ? &document_ : nullptr;
  }

 private:
  DocumentLink document_;
};

class AccountLink : public Uncounted<IVtlCollabAccount> {
 public:
  LONG IsSignedIn() override {
    std::lock_guard hold(State().lock);
    return State().signedIn ? 1 : 0;
  }
  // The text stays valid until the next call: the link keeps its own copy.
  LPCWSTR GetMailAddress() override {
    std::lock_guard hold(State().lock);
    mail_ = State().mail;
    return mail_.c_str();
  }

 private:
  std::u16string mail_;
};

class CollabHostObject : public Uncounted<IVtlCollabHost> {
 public:
  IVtlCollabDocumentHolder* GetDocumentHolder() override { return &holder_; }
  IVtlCollabAccount* GetAccount() override { return &account_; }

 private:
  HolderLink holder_;
  AccountLink account_;
};

}  // namespace

// The application's notice switch lives with the collaboration objects it serves.
LONG VtlApplication::RoomsTakeNotices() { return roomsTakeNotices.load() ? 1 : 0; }

}  // namespace vantorel::detail

namespace vantorel {

void SetRoomsTakeNotices(bool take) { detail::roomsTakeNotices.store(take); }

IVtlCollabHost* CollabHost() {
  static detail::CollabHostObject host;
  return &host;
}

void SetCollabAccount(bool signedIn, const std::u16string& mailAddress) {
  std::lock_guard hold(detail::State().lock);
  detail::State().signedIn = signedIn;
  detail::State().mail = mailAddress;
}

void SetCollabDocument(bool open, LONG state) {
  std::lock_guard hold(detail::State().lock);
  detail::State().documentOpen = open;
  detail::State().documentState = state;
}

}  // namespace vantorel

#include "ui_service.h"

#include <new>

#include <tendril/rooms_testing.h>

#include "tendril_object.h"

namespace TDRL {
namespace {

// The process-wide state flag word: made as 0 on first use, freed by Uninit.
std::mutex stateFlagsLock;
int* stateFlags = nullptr;

int* StateFlagsLocked() {
  if (!stateFlags) stateFlags = new (std::nothrow) int(0);
  return stateFlags;
}

}  // namespace

TendrilUIService::TendrilUIService() : transfers_(std::make_unique<HttpHelper::TransferList>(nullptr)) {}

TendrilUIService::~TendrilUIService() {
  // The transfers stop (and report their last) before the queue goes.
  transfers_.reset();
}

void TendrilUIService::PopUIEvent(TendrilUIEvent* out) {
  if (!out) return;
  std::unique_lock hold(queueLock_);
  if (queue_.empty()) {
    hold.unlock();
    out->type = -1;
    out->first = 0;
    out->second = 0;
    return;
  }
  const TendrilUIEvent front = queue_.front();
  queue_.pop_front();
  hold.unlock();
  *out = front;
}

void TendrilUIService::PushUIEvent(TendrilUIEvent event) {
  std::lock_guard hold(queueLock_);
  // Only the newest record is compared: the same event may stand twice with another between.
  if (!queue_.empty() && queue_.back() == event) return;
  queue_.push_back(event);
}

void TendrilUIService::ClearUIEvents() {
  std::lock_guard hold(queueLock_);
  queue_.clear();
}

int TendrilUIService::IsUIEventQueueEmpty() {
  std::lock_guard hold(queueLock_);
  return queue_.empty() ? 1 : 0;
}

int TendrilUIService::GetStateFlags() {
  std::lock_guard hold(stateFlagsLock);
  int* word = StateFlagsLocked();
  return word ? *word : 0;
}

int* TendrilUIService::SetStateFlags(int bits) {
  std::lock_guard hold(stateFlagsLock);
  int* word = StateFlagsLocked();
  if (word) *word |= bits;
  return word;
}

int* TendrilUIService::ClearStateFlags(int bits) {
  std::lock_guard hold(stateFlagsLock);
  if (!stateFlags) return StateFlagsLocked();  // made as 0; the bits have nothing to clear
  *stateFlags &= ~bits;
  return stateFlags;
}

void TendrilUIService::FreeStateFlags() {
  std::lock_guard hold(stateFlagsLock);
  delete stateFlags;
  stateFlags = nullptr;
}

void TendrilUIService::SendStatistics(int value) {
  if (transfers_->RunningCount() >= kMaxTransfers) return;
  transfers_->StartStatistics(value);
}

int TendrilUIService::QueryHostDocumentState() {
  IVtlCollabHost* host = tendril_ ? tendril_->GetHostObject() : nullptr;
  if (!host) return 0;
  // Any missing link of the chain answers 0.
  IVtlCollabDocumentHolder* holder = host->GetDocumentHolder();
  if (!holder) return 0;
  IVtlCollabDocument* document = holder->GetCurrentDocument();
  if (!document) return 0;
  IVtlCollabView* view = document->GetView();
  if (!view) return 0;
  IVtlCollabSession* session = view->GetSession();
  if (!session) return 0;
  IVtlCollabDocumentState* state = session->GetDocumentState();
  return state ? state->GetState() : 0;
}

}  // namespace TDRL

size_t TDRL_RunningStatisticsForTest(ITendrilUIService* ui) {
  auto* service = dynamic_cast<TDRL::TendrilUIService*>(ui);
  return service ? service->Transfers().RunningCount() : 0;
}

// The hand-over point between the network threads and the host's UI thread: one queue of
// event records, the state flag word, two plain values for the host and the statistics
// transfers.
#pragma once

#include <deque>
#include <memory>
#include <mutex>

#include <tendril/http_transfers.h>
#include <tendril/tendril_interfaces.h>

#include "shared_unknown.h"

namespace TDRL {

class Tendril;

class TendrilUIService : public ITendrilUIService {
 public:
  static constexpr size_t kMaxTransfers = 256;

  TendrilUIService();
  ~TendrilUIService() override;
  TendrilUIService(const TendrilUIService&) = delete;
  TendrilUIService& operator=(const TendrilUIService&) = delete;

  BYTE GetHostFlag() override { return hostFlag_; }
  ITendrilUIService* SetHostFlag(int flag) override {
    hostFlag_ = static_cast<BYTE>(flag);
    return this;
  }
  int GetHostValue() override { return hostValue_; }
  ITendrilUIService* SetHostValue(int value) override {
    hostValue_ = value;
    return this;
  }
  void PopUIEvent(TendrilUIEvent* out) override;
  void PushUIEvent(TendrilUIEvent event) override;
  void ClearUIEvents() override;
  int IsUIEventQueueEmpty() override;
  int GetStateFlags() override;
  int* SetStateFlags(int bits) override;
  int* ClearStateFlags(int bits) override;
  bool AcceptAll(int, int, int, int) override { return true; }
  void SendStatistics(int value) override;
  int QueryHostDocumentState() override;
  TDRL_SHARED_UNKNOWN

  void SetTendril(Tendril* tendril) { tendril_ = tendril; }
  // Forgets the process-wide state flag word; its next use makes it again as 0.
  static void FreeStateFlags();
  HttpHelper::TransferList& Transfers() { return *transfers_; }

 private:
  // Lives as long as the service: the reactor thread may push until the service goes.
  std::mutex queueLock_;
  std::deque<TendrilUIEvent> queue_;
  BYTE hostFlag_ = 0;
  int hostValue_ = 0;
  std::unique_ptr<HttpHelper::TransferList> transfers_;
  Tendril* tendril_ = nullptr;
};

}  // namespace TDRL

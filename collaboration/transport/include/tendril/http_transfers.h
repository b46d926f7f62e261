// Attachment uploads, attachment downloads and usage statistics, each on a platform thread
// of its own, registered while it runs in the transfer list of the object that started it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <win/kernel.h>

#include <tendril/attachment_room.h>
#include <tendril/export.h>
#include <tendril/http_form.h>
#include <tendril/packet_fields.h>

namespace TDRL {

namespace HttpHelper {
class TransferList;
}

// The base of the three transfers: the server, a local path, a remote name, the list it
// belongs to, and its thread. A transfer stops at once when told (its exchange is woken and
// its waits end) and is joined; no thread is ever killed.
class TENDRIL_API HttpBackgrounThread {
 public:
  HttpBackgrounThread(HttpHelper::TransferList* list, std::u16string localPath, std::u16string remoteName);
  virtual ~HttpBackgrounThread();
  HttpBackgrounThread(const HttpBackgrounThread&) = delete;
  HttpBackgrounThread& operator=(const HttpBackgrounThread&) = delete;

  // The thread body.
  virtual void Run() = 0;
  // The answer the exchange ended with (0, a Windows error code, or an HTTP status).
  DWORD Result() const { return result_; }

 protected:
  friend class HttpHelper::TransferList;

  bool StartThread();
  static DWORD ThreadMain(void* transfer);

  HttpHelper::TransferList* list_;
  std::u16string host_;
  std::u16string localPath_;
  std::u16string remoteName_;
  HANDLE thread_ = nullptr;
  TransferStop stop_;
  DWORD result_ = 0;
  bool done_ = false;  // guarded by the list's lock
};

namespace HttpHelper {

class TENDRIL_API HttpUploader : public HttpBackgrounThread {
 public:
  HttpUploader(TransferList* list, std::u16string localPath, std::u16string remoteName, bool deleteAfter,
               uint64_t uploadId);
  void Run() override;

 private:
  bool deleteAfter_;
  uint64_t uploadId_;
};

class TENDRIL_API HttpDownloader : public HttpBackgrounThread {
 public:
  HttpDownloader(TransferList* list, std::u16string localPath, std::u16string remoteName, const Int32Quad& attachment);
  void Run() override;

 private:
  Int32Quad attachment_;
};

class TENDRIL_API StatisticsSender : public HttpBackgrounThread {
 public:
  StatisticsSender(TransferList* list, int32_t value);
  void Run() override;

 private:
  int32_t value_;
};

// The transfers an object has started. The server comes from KX2_TENDRIL_HTTP ("host[:port]",
// 127.0.0.1:80 by default) and the download retry wait from KX2_TENDRIL_HTTP_RETRY_MS (1000),
// both read when the list is made.
class TENDRIL_API TransferList {
 public:
  explicit TransferList(IAttachmentRoom* room);
  // Stops every transfer, re-sends the uploads that did not complete, waits about 5 s for
  // them, then stops and joins whatever still runs: nothing outlives the list.
  ~TransferList();
  TransferList(const TransferList&) = delete;
  TransferList& operator=(const TransferList&) = delete;

  // The answers are 0 when the transfer's thread started, else a Windows error code. An
  // upload whose source is missing fails with 2 and creates nothing.
  DWORD StartUpload(const char16_t* remoteName, const char16_t* localPath, bool deleteAfter);
  DWORD StartDownload(const char16_t* localPath, const char16_t* remoteName, const Int32Quad& attachment);
  DWORD StartStatistics(int32_t value);
  // Stops the transfer and waits at most 1000 ms for it; it is joined once it has ended.
  void RemoveTransfer(HttpBackgrounThread* transfer);
  // Stops every transfer and joins them all.
  void StopAll();
  // Starts again every upload that has not completed and is not running, each with its own
  // delete-after flag.
  void ReplayUploads();

  size_t RunningCount() const;
  // Waits until no transfer runs; false when ms passed first.
  bool WaitIdle(DWORD ms);
  // Uploads started and not yet completed.
  size_t UnfinishedUploads() const;

  IAttachmentRoom* Room() const { return room_; }
  const std::u16string& Host() const { return host_; }
  DWORD RetryWait() const { return retryWait_; }

 private:
  friend class TDRL::HttpBackgrounThread;
  friend class HttpUploader;

  struct Upload {
    std::u16string remoteName;
    std::u16string localPath;
    bool deleteAfter = false;
    bool running = false;
  };

  DWORD Launch(std::unique_ptr<HttpBackgrounThread> transfer);
  DWORD LaunchUpload(uint64_t id);
  // Called by a transfer's thread as its last act.
  void Finished(HttpBackgrounThread* transfer);
  void UploadEnded(uint64_t id, bool completed);
  // Joins and frees the transfers whose threads have ended; the lock is held.
  void ReapLocked();

  IAttachmentRoom* room_;
  std::u16string host_;
  DWORD retryWait_;

  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::map<HttpBackgrounThread*, std::unique_ptr<HttpBackgrounThread>> transfers_;
  size_t running_ = 0;
  std::map<uint64_t, Upload> uploads_;
  uint64_t nextUploadId_ = 1;
};

}  // namespace HttpHelper
}  // namespace TDRL

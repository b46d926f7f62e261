#include <tendril/http_transfers.h>

#include <basalt/file_io.h>
#include <basalt/shell_util.h>
#include <kx2/Utf.h>
#include <win/fileapi.h>

#include <chrono>
#include <cstdlib>
#include <new>
#include <string>

namespace TDRL {

namespace {

constexpr int kDownloadRetries = 181;  // about three minutes of 404s at the default wait
constexpr DWORD kRemoveWaitMs = 1000;
constexpr int kDestructionPolls = 26;
constexpr int kPollMs = 200;

std::u16string HostFromEnvironment() {
  const char* value = std::getenv("KX2_TENDRIL_HTTP");
  return kx2::Utf8ToUtf16(value && *value ? value : "127.0.0.1:80");
}

DWORD RetryWaitFromEnvironment() {
  const char* value = std::getenv("KX2_TENDRIL_HTTP_RETRY_MS");
  if (!value || !*value) return 1000;
  char* end = nullptr;
  const unsigned long ms = std::strtoul(value, &end, 10);
  return *end == '\0' && ms <= 600000 ? static_cast<DWORD>(ms) : 1000;
}

LPCWSTR Wide(const std::u16string& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

// A 200 body goes to "NAME.part" beside the local path; the part file is made on the first
// byte (or at the end, for an empty body), emptied for every new attempt, and either renamed
// over the local path or removed.
class PartFile : public HttpBodySink {
 public:
  explicit PartFile(std::u16string path) : path_(std::move(path)) {}
  ~PartFile() override { Discard(); }

  bool Write(const void* data, size_t size) override {
    if (!Open()) return false;
    DWORD written = 0;
    if (!WriteFile(file_, data, static_cast<DWORD>(size), &written, nullptr) || written != size) {
      error_ = GetLastError() ? GetLastError() : 112;  // disk full
      return false;
    }
    return true;
  }
  DWORD Error() const override { return error_; }

  // A new attempt: whatever an earlier answer left is dropped.
  void Restart() { Discard(); }
  // The whole body is there: the part file takes the local path's place.
  bool Commit(const std::u16string& localPath) {
    if (!Open()) return false;
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (!MoveFileExW(Wide(path_), Wide(localPath), MOVEFILE_REPLACE_EXISTING)) return false;
    made_ = false;
    return true;
  }
  void Discard() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (made_) DeleteFileW(Wide(path_));
    made_ = false;
  }

 private:
  bool Open() {
    if (file_ != INVALID_HANDLE_VALUE) return true;
    file_ = CreateFileW(Wide(path_), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
      error_ = GetLastError() ? GetLastError() : HttpError::kFileNotFound;
      return false;
    }
    made_ = true;
    return true;
  }

  std::u16string path_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool made_ = false;
  DWORD error_ = 0;
};

}  // namespace

// --- HttpBackgrounThread ---------------------------------------------------------------------

HttpBackgrounThread::HttpBackgrounThread(HttpHelper::TransferList* list, std::u16string localPath,
                                         std::u16string remoteName)
    : list_(list), host_(list->Host()), localPath_(std::move(localPath)), remoteName_(std::move(remoteName)) {}

HttpBackgrounThread::~HttpBackgrounThread() {
  if (thread_) {
    // Only ended threads are freed; the wait is the join.
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
}

bool HttpBackgrounThread::StartThread() {
  DWORD id = 0;
  thread_ = CreateThread(nullptr, 0, &HttpBackgrounThread::ThreadMain, this, 0, &id);
  return thread_ != nullptr;
}

DWORD HttpBackgrounThread::ThreadMain(void* transfer) {
  auto* self = static_cast<HttpBackgrounThread*>(transfer);
  try {
    self->Run();
  } catch (...) {
    self->result_ = HttpError::kInternalError;
  }
  // The last touch: from here on the list may join and free this transfer.
  self->list_->Finished(self);
  return 0;
}

namespace HttpHelper {

// --- the transfers ---------------------------------------------------------------------------

HttpUploader::HttpUploader(TransferList* list, std::u16string localPath, std::u16string remoteName, bool deleteAfter,
                           uint64_t uploadId)
    : HttpBackgrounThread(list, std::move(localPath), std::move(remoteName)),
      deleteAfter_(deleteAfter),
      uploadId_(uploadId) {}

void HttpUploader::Run() {
  HttpForm form(HttpForm::kUtf8, &stop_);
  HttpForm::Answer answer;
  DWORD result = form.Open(host_.c_str());
  if (result == 0) result = form.AddTextField(u"");
  if (result == 0) result = form.AddFileField(remoteName_.c_str(), localPath_.c_str());
  if (result == 0) result = form.Post(u"/upload.php", &answer);
  form.Close();
  const bool completed = result == 0 && answer.status >= 200 && answer.status < 300;
  result_ = completed || result != 0 ? result : static_cast<DWORD>(answer.status);
  // A file handed over for deletion goes only once the server has it; until then it is
  // what a replay sends.
  if (completed && deleteAfter_) Basalt::Util::FileAndIOUtil::_DeleteFile(localPath_.c_str());
  list_->UploadEnded(uploadId_, completed);
}

HttpDownloader::HttpDownloader(TransferList* list, std::u16string localPath, std::u16string remoteName,
                               const Int32Quad& attachment)
    : HttpBackgrounThread(list, std::move(localPath), std::move(remoteName)), attachment_(attachment) {}

void HttpDownloader::Run() {
  HttpForm form(HttpForm::kUtf8, &stop_);
  PartFile part(localPath_ + u".part");
  DWORD status = form.Open(host_.c_str());
  if (status == 0) {
    for (int attempt = 0;; ++attempt) {
      part.Restart();
      status = form.Get(remoteName_.c_str(), part);
      if (status != 404 || attempt >= kDownloadRetries || stop_.Wait(list_->RetryWait())) break;
    }
  }
  form.Close();
  result_ = status;
  // Only a complete 200 replaces the local file and is handed to the room; anything else
  // leaves the local path as it was.
  if (status != 200 || stop_.Stopped() || !part.Commit(localPath_)) {
    part.Discard();
    return;
  }
  if (IAttachmentRoom* room = list_->Room()) {
    if (IAttachmentApplier* manager = room->GetCoEditManager()) {
      manager->ApplyAttachmentFile(attachment_, localPath_.c_str());
    }
  }
}

StatisticsSender::StatisticsSender(TransferList* list, int32_t value)
    : HttpBackgrounThread(list, std::u16string(), std::u16string()), value_(value) {}

void StatisticsSender::Run() {
  HttpForm form(HttpForm::kUtf8, &stop_);
  HttpForm::Answer answer;
  DWORD result = form.Open(host_.c_str());
  if (result == 0) result = form.AddTextField(kx2::Utf8ToUtf16(std::to_string(value_)).c_str());
  if (result == 0) result = form.Post(u"/statistics.php", &answer);
  form.Close();
  result_ = result;
}

// --- TransferList ----------------------------------------------------------------------------

TransferList::TransferList(IAttachmentRoom* room)
    : room_(room), host_(HostFromEnvironment()), retryWait_(RetryWaitFromEnvironment()) {}

TransferList::~TransferList() {
  StopAll();
  ReplayUploads();
  {
    std::unique_lock<std::mutex> lock(lock_);
    changed_.wait_for(lock, std::chrono::milliseconds(kDestructionPolls * kPollMs), [&] { return running_ == 0; });
  }
  // Whatever still runs is stopped and joined: no transfer outlives the list it reports to.
  StopAll();
}

DWORD TransferList::Launch(std::unique_ptr<HttpBackgrounThread> transfer) {
  std::lock_guard<std::mutex> lock(lock_);
  ReapLocked();
  HttpBackgrounThread* raw = transfer.get();
  transfers_.emplace(raw, std::move(transfer));
  ++running_;
  if (!raw->StartThread()) {
    --running_;
    transfers_.erase(raw);
    return HttpError::kNotEnoughMemory;
  }
  return 0;
}

DWORD TransferList::LaunchUpload(uint64_t id) {
  std::unique_ptr<HttpBackgrounThread> uploader;
  {
    std::lock_guard<std::mutex> lock(lock_);
    Upload& upload = uploads_.at(id);
    upload.running = true;
    uploader = std::make_unique<HttpUploader>(this, upload.localPath, upload.remoteName, upload.deleteAfter, id);
  }
  const DWORD result = Launch(std::move(uploader));
  if (result != 0) {
    std::lock_guard<std::mutex> lock(lock_);
    uploads_.at(id).running = false;
  }
  return result;
}

DWORD TransferList::StartUpload(const char16_t* remoteName, const char16_t* localPath, bool deleteAfter) {
  if (!remoteName || !localPath) return HttpError::kInvalidParameter;
  try {
    // A missing source is not made up: the upload fails and nothing is created.
    if (!Basalt::Util::ShellUtil::_FileExist(localPath)) return HttpError::kFileNotFound;
    uint64_t id;
    {
      std::lock_guard<std::mutex> lock(lock_);
      id = nextUploadId_++;
      uploads_.emplace(id, Upload{remoteName, localPath, deleteAfter, false});
    }
    const DWORD result = LaunchUpload(id);
    if (result != 0) {
      std::lock_guard<std::mutex> lock(lock_);
      uploads_.erase(id);
    }
    return result;
  } catch (const std::bad_alloc&) {
    return HttpError::kNotEnoughMemory;
  }
}

DWORD TransferList::StartDownload(const char16_t* localPath, const char16_t* remoteName, const Int32Quad& attachment) {
  if (!remoteName || !localPath) return HttpError::kInvalidParameter;
  try {
    return Launch(std::make_unique<HttpDownloader>(this, localPath, remoteName, attachment));
  } catch (const std::bad_alloc&) {
    return HttpError::kNotEnoughMemory;
  }
}

DWORD TransferList::StartStatistics(int32_t value) {
  try {
    return Launch(std::make_unique<StatisticsSender>(this, value));
  } catch (const std::bad_alloc&) {
    return HttpError::kNotEnoughMemory;
  }
}

void TransferList::Finished(HttpBackgrounThread* transfer) {
  std::lock_guard<std::mutex> lock(lock_);
  transfer->done_ = true;
  --running_;
  changed_.notify_all();
}

void TransferList::UploadEnded(uint64_t id, bool completed) {
  std::lock_guard<std::mutex> lock(lock_);
  auto found = uploads_.find(id);
  if (found == uploads_.end()) return;
  if (completed) {
    uploads_.erase(found);
  } else {
    found->second.running = false;
  }
}

void TransferList::ReapLocked() {
  for (auto it = transfers_.begin(); it != transfers_.end();) {
    // A done transfer's thread has nothing left to run but its return: the join is short.
    if (it->first->done_) {
      it = transfers_.erase(it);
    } else {
      ++it;
    }
  }
}

void TransferList::RemoveTransfer(HttpBackgrounThread* transfer) {
  std::unique_lock<std::mutex> lock(lock_);
  auto found = transfers_.find(transfer);
  if (found == transfers_.end()) return;
  transfer->stop_.Stop();
  changed_.wait_for(lock, std::chrono::milliseconds(kRemoveWaitMs),
                    [&] { return transfers_.count(transfer) == 0 || transfer->done_; });
  ReapLocked();
}

void TransferList::StopAll() {
  std::unique_lock<std::mutex> lock(lock_);
  for (auto& [raw, transfer] : transfers_) raw->stop_.Stop();
  changed_.wait(lock, [&] { return running_ == 0; });
  ReapLocked();
}

void TransferList::ReplayUploads() {
  std::vector<uint64_t> replay;
  {
    std::lock_guard<std::mutex> lock(lock_);
    for (const auto& [id, upload] : uploads_) {
      if (!upload.running) replay.push_back(id);
    }
  }
  for (uint64_t id : replay) LaunchUpload(id);
}

size_t TransferList::RunningCount() const {
  std::lock_guard<std::mutex> lock(lock_);
  return running_;
}

bool TransferList::WaitIdle(DWORD ms) {
  std::unique_lock<std::mutex> lock(lock_);
  return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return running_ == 0; });
}

size_t TransferList::UnfinishedUploads() const {
  std::lock_guard<std::mutex> lock(lock_);
  return uploads_.size();
}

}  // namespace HttpHelper
}  // namespace TDRL

// One HTTP exchange of a transfer: a multipart form posted to a script, or a file fetched
// from the server's attachment folder. libcurl stands in for WinINet: one easy handle on a
// multi handle of the form's own, waited with curl_multi_poll, so that a transfer's stop acts
// at once. Answers keep WinINet's numbers: 0, Windows error codes, HTTP statuses, and 12002
// (time-out), 12007 (unknown name), 12029 (no connection), 12030 (aborted), 12152 (bad answer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include <win/types.h>

#include <tendril/export.h>

namespace TDRL {

namespace HttpError {
inline constexpr DWORD kNone = 0;
inline constexpr DWORD kFileNotFound = 2;
inline constexpr DWORD kNotEnoughMemory = 8;
inline constexpr DWORD kNotReady = 21;
inline constexpr DWORD kInvalidParameter = 87;
inline constexpr DWORD kBufferOverflow = 111;  // a file grew past its recorded size
inline constexpr DWORD kAlreadyExists = 183;
inline constexpr DWORD kMoreData = 234;
inline constexpr DWORD kInternalError = 1359;
inline constexpr DWORD kEmptyFile = 4306;
inline constexpr DWORD kTimeout = 12002;
inline constexpr DWORD kNameNotResolved = 12007;
inline constexpr DWORD kCannotConnect = 12029;
inline constexpr DWORD kConnectionAborted = 12030;
inline constexpr DWORD kInvalidServerResponse = 12152;
}  // namespace HttpError

// The stop of one transfer, shared by its thread and whoever stops it: a flag, a manual-reset
// event that retry waits wait on, and the multi handle a running exchange polls, woken at once.
class TENDRIL_API TransferStop {
 public:
  TransferStop();
  ~TransferStop();
  TransferStop(const TransferStop&) = delete;
  TransferStop& operator=(const TransferStop&) = delete;

  void Stop();
  bool Stopped() const;
  // Waits up to ms; true when the transfer was stopped meanwhile.
  bool Wait(DWORD ms) const;
  // The multi handle being polled (null when none), so that Stop wakes it.
  void Attach(void* multi);

 private:
  mutable std::mutex mutex_;
  bool stopped_ = false;
  void* multi_ = nullptr;
  HANDLE event_ = nullptr;
};

// Receives the body of a 200 answer as it arrives; a false Write ends the exchange with the
// sink's error.
class HttpBodySink {
 public:
  virtual ~HttpBodySink() = default;
  virtual bool Write(const void* data, size_t size) = 0;
  virtual DWORD Error() const = 0;
};

class TENDRIL_API HttpForm {
 public:
  static constexpr UINT kUtf8 = 65001;
  // The answer a form post reads: at most this many bytes are kept (it is dropped anyway).
  static constexpr size_t kMaxAnswer = 64 * 1024;

  struct Answer {
    long status = 0;
    std::string bytes;
    std::u16string text;  // filled when asked for
  };

  explicit HttpForm(UINT codePage = kUtf8, TransferStop* stop = nullptr);
  ~HttpForm();
  HttpForm(const HttpForm&) = delete;
  HttpForm& operator=(const HttpForm&) = delete;

  // host is "name[:port]" (port 80 when absent).
  DWORD Open(const char16_t* host);
  DWORD AddTextField(const char16_t* value);
  DWORD AddFileField(const char16_t* fileName, const char16_t* localPath);
  // Posts the parts as one multipart body to scriptPath; answer, when given, receives the
  // status and the first bytes of the answer (and their text when wantText).
  DWORD Post(const char16_t* scriptPath, Answer* answer = nullptr, bool wantText = false);
  // Fetches "/attachments/" + remoteName. Answers the HTTP status; only a complete 200 body
  // goes to the sink, and a body cut short answers an error instead.
  DWORD Get(const char16_t* remoteName, HttpBodySink& sink);
  void Close();

  // The multipart body's length as the parts give it (terminating zero counted, as it is
  // computed before sending), or -1 when the parts are inconsistent.
  int64_t ComputedLength() const;

 private:
  struct Part {
    int kind = 0;  // 0 text field, 1 file field
    std::string name;
    std::string value;  // text value, or the file name
    std::u16string path;
    int64_t size = 0;
  };
  struct Exchange;

  DWORD Perform(Exchange& exchange);
  void ClearParts();

  UINT codePage_;
  TransferStop* stop_;
  std::string host_;
  long port_ = 80;
  void* multi_ = nullptr;  // CURLM*: stands for the internet handle
  void* easy_ = nullptr;   // CURL*: stands for the connection handle; keeps its connection
  std::mutex partsLock_;
  std::vector<Part> parts_;
};

}  // namespace TDRL

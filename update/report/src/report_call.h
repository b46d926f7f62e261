// Private: the report's one SOAP call, set up before it is made.
#pragma once

#include <string>

#include <fennic/Report.h>

#include "soapH.h"

namespace fennic {

// The SOAP context of one report with the report's time-outs, transport and headers. The
// connection may be opened ahead of the call (OpenEarly), so that the server takes it while
// this process fills the request; Send makes the call.
class ReportCall {
 public:
  explicit ReportCall(const ReportArguments& args, PrepareSoap prepare = nullptr);
  ~ReportCall();
  ReportCall(const ReportCall&) = delete;
  ReportCall& operator=(const ReportCall&) = delete;

  // Whether Send makes the call with this count: a product, a version, a language and a
  // count above 0.
  bool Calls(DWORD count) const;
  // Opens the connection of a call Send will make with `count` (nothing otherwise). A
  // connection that fails here fails Send without a second attempt.
  void OpenEarly(DWORD count);
  // The call; true when the runtime reports success.
  bool Send(DWORD count, const std::string& systemText, const std::string& localeText, const std::string& identity);

  // Per-call state the context's callbacks reach through its user pointer.
  struct State {
    int (*postHeader)(struct soap*, const char*, const char*) = nullptr;
    SOAP_SOCKET early = SOAP_INVALID_SOCKET;
    bool earlyFailed = false;
  };

 private:
  const ReportArguments& args_;
  struct soap soap_;
  State state_;
};

}  // namespace fennic

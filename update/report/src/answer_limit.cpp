// The service's answer is a few hundred bytes. The runtime sizes its buffer for an HTTP
// error body by the answer's Content-Length, so a server could make it ask for any amount
// of memory: a longer declared length fails the call before anything is allocated.
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fennic/Report.h>

#include "soapH.h"

namespace fennic {

namespace {

using HeaderParser = int (*)(struct soap*, const char*, const char*);

// Every context starts with the runtime's own header parser; the first one seen is kept.
std::atomic<HeaderParser> g_runtimeParser{nullptr};

int ParseHeader(struct soap* soap, const char* key, const char* value) {
  // Keys compared as the runtime compares them (any character stands for the hyphen).
  if (key && value && soap_tag_cmp(key, "Content-Length") == 0) {
    const char* digits = value;
    while (*digits == ' ' || *digits == '\t') ++digits;
    char* end = nullptr;
    errno = 0;
    const unsigned long long length = std::strtoull(digits, &end, 10);
    if (end != digits && (errno == ERANGE || length > kMaxAnswerBytes)) return soap->error = SOAP_EOM;
  }
  return g_runtimeParser.load()(soap, key, value);
}

}  // namespace

void LimitAnswerLength(struct soap* soap) {
  soap->recv_maxlength = kMaxAnswerBytes;
  if (soap->fparsehdr == ParseHeader) return;
  HeaderParser expected = nullptr;
  g_runtimeParser.compare_exchange_strong(expected, soap->fparsehdr);
  soap->fparsehdr = ParseHeader;
}

}  // namespace fennic

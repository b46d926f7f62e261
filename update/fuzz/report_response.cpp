// The update web service's HTTP answer to the usage report: the input bytes are what the
// socket delivers, fed to the generated client through its receive callback. The report
// counts as sent exactly when the runtime itself, making the same call over the same bytes,
// reports no error.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <fennic/Report.h>

#include "soapH.h"

namespace {

std::string_view g_answer;
size_t g_read = 0;
int g_socket = -1;  // a real descriptor, so that the runtime's socket options find one

SOAP_SOCKET Open(struct soap*, const char*, const char*, int) {
  g_read = 0;
  return g_socket;
}
int Send(struct soap*, const char*, size_t) { return SOAP_OK; }
size_t Receive(struct soap*, char* buffer, size_t size) {
  size_t take = std::min(size, g_answer.size() - g_read);
  std::memcpy(buffer, g_answer.data() + g_read, take);
  g_read += take;
  return take;
}
int Close(struct soap*) { return SOAP_OK; }

void Prepare(struct soap* soap) {
  soap->fopen = Open;
  soap->fsend = Send;
  soap->frecv = Receive;
  soap->fclose = Close;
}

// The runtime's own verdict on the same answer, with the request the report sends and the
// same limit on the answer's length.
bool RuntimeSucceeds() {
  struct soap soap;
  soap_init1(&soap, SOAP_C_UTFSTRING | SOAP_XML_STRICT);
  fennic::LimitAnswerLength(&soap);
  Prepare(&soap);
  _ns1__GetAllInformation request;
  _ns1__GetAllInformationResponse response;
  ns1__UserOSInfo os;
  request.userOSInfo = &os;
  ns1__ArrayOfProjectInfoEx projects;
  ns1__ProjectInfoEx project;
  project.useCount = 1;
  projects.ProjectInfoEx.push_back(&project);
  request.projectInfo = &projects;
  bool ok =
      soap_call___ns3__GetAllInformation(&soap, "http://127.0.0.1/UpdateService.asmx",
                                         "http://update.kx2.test/GetAllInformation", &request, &response) == SOAP_OK;
  soap_destroy(&soap);
  soap_end(&soap);
  soap_done(&soap);
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_socket < 0) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) std::abort();
    g_socket = pair[0];
  }
  g_answer = std::string_view(reinterpret_cast<const char*>(data), size);
  fennic::ReportArguments args{"Taloria", "1.6.0.0", "en-US", "1", "http://127.0.0.1/UpdateService.asmx"};
  bool sent = fennic::SendReport(args, 1, "6,1,2,1,9", "en-US", std::string(64, '0'), Prepare);
  if (sent != RuntimeSucceeds()) std::abort();
  return 0;
}

// The one SOAP call of the report over the generated gSOAP client.
#include <cstdlib>
#include <cstring>
#include <string>

#include <fennic/Report.h>

#include "report_call.h"
#include "soap_transport.h"

// The envelope's namespaces, in this order; the service's are ours.
// The runtime looks the table up by name, so it leaves the program visibly.
__attribute__((visibility("default"))) SOAP_NMAC struct Namespace namespaces[] = {
    {"SOAP-ENV", "http://www.w3.org/2003/05/soap-envelope", "http://schemas.xmlsoap.org/soap/envelope/", nullptr},
    {"SOAP-ENC", "http://www.w3.org/2003/05/soap-encoding", "http://schemas.xmlsoap.org/soap/encoding/", nullptr},
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance", "http://www.w3.org/*/XMLSchema-instance", nullptr},
    {"xsd", "http://www.w3.org/2001/XMLSchema", "http://www.w3.org/*/XMLSchema", nullptr},
    {"ns1", "http://update.kx2.test/", nullptr, nullptr},
    {"ns2", "http://update.kx2.test/UpdateServiceSoap", nullptr, nullptr},
    {"ns3", "http://update.kx2.test/UpdateServiceSoap12", nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr}};

namespace fennic {

namespace {

constexpr char kAction[] = "http://update.kx2.test/GetAllInformation";

int TimeoutMs() {
  const char* value = std::getenv("KX2_FENNIC_TIMEOUT_MS");
  int ms = value && *value ? std::atoi(value) : 0;
  return ms > 0 ? ms : 15000;
}

// The headers this service expects: a plain SOAP 1.2 content type, the action in a
// SOAPAction header of its own, and the client named as the runtime it was written for.
int PostHeader(struct soap* soap, const char* key, const char* value) {
  auto* state = static_cast<ReportCall::State*>(soap->user);
  if (key && std::strcmp(key, "User-Agent") == 0) return state->postHeader(soap, key, "gSOAP/2.7");
  if (key && std::strcmp(key, "Content-Type") == 0) {
    int rc = state->postHeader(soap, key, "application/soap+xml; charset=utf-8");
    if (rc) return rc;
    return state->postHeader(soap, "SOAPAction", (std::string("\"") + kAction + "\"").c_str());
  }
  return state->postHeader(soap, key, value);
}

// In place of the runtime's connect once the connection was opened early: the call takes
// that connection, as the runtime would have taken the one it opened itself.
int TakeEarlyConnection(struct soap* soap, const char*, const char*, int) {
  auto* state = static_cast<ReportCall::State*>(soap->user);
  if (!soap_valid_socket(state->early)) return soap->error ? soap->error : SOAP_TCP_ERROR;
  soap->socket = state->early;
  state->early = SOAP_INVALID_SOCKET;
  soap->keep_alive = -((soap->omode & SOAP_IO_KEEPALIVE) != 0);
  return SOAP_OK;
}

}  // namespace

ReportCall::ReportCall(const ReportArguments& args, PrepareSoap prepare) : args_(args) {
  soap_init1(&soap_, SOAP_C_UTFSTRING | SOAP_XML_STRICT);
  soap_set_namespaces(&soap_, namespaces);
  int timeout = -TimeoutMs() * 1000;  // negative: microseconds
  soap_.connect_timeout = soap_.send_timeout = soap_.recv_timeout = soap_.accept_timeout = timeout;
  soap_.transfer_timeout = 0;
  // The stream keeps the send and receive time-outs from here on.
  UseStreamTransport(&soap_);
  LimitAnswerLength(&soap_);
  state_.postHeader = soap_.fposthdr;
  soap_.user = &state_;
  soap_.fposthdr = PostHeader;
  if (prepare) prepare(&soap_);
}

ReportCall::~ReportCall() {
  if (soap_valid_socket(state_.early)) soap_.fclosesocket(&soap_, state_.early);
  soap_destroy(&soap_);
  // soap_end without its clearing of the runtime's lookup tables, which soap_done clears
  // again: the call's data is freed once and the tables (48 KB) are cleared once.
  soap_dealloc(&soap_, nullptr);
  soap_done(&soap_);
}

bool ReportCall::Calls(DWORD count) const {
  return !args_.product.empty() && count > 0 && !args_.version.empty() && !args_.language.empty();
}

void ReportCall::OpenEarly(DWORD count) {
  if (!Calls(count) || soap_valid_socket(state_.early) || state_.earlyFailed) return;
  soap_set_endpoint(&soap_, args_.endpoint.c_str());
  if (!*soap_.host) return;  // no host: the call fails its own way
  state_.early = soap_.fopen(&soap_, args_.endpoint.c_str(), soap_.host, soap_.port);
  state_.earlyFailed = !soap_valid_socket(state_.early);
  soap_.fconnect = TakeEarlyConnection;
}

bool ReportCall::Send(DWORD count, const std::string& systemText, const std::string& localeText,
                      const std::string& identity) {
  if (!Calls(count) || state_.earlyFailed) return false;
  _ns1__GetAllInformation request;
  _ns1__GetAllInformationResponse response;
  ns1__UserOSInfo os;
  os.version = systemText;
  os.language = localeText;
  os.macAddress = identity;
  request.userOSInfo = &os;
  request.isGetAllProductInfo = false;
  ns1__ArrayOfProjectInfoEx projects;
  ns1__ProjectInfoEx project;
  request.projectInfo = &projects;
  project.name = args_.product;
  project.version = args_.version;
  project.language = args_.language;
  project.type = args_.type;
  project.useCount = static_cast<int>(count);
  projects.ProjectInfoEx.push_back(&project);
  return soap_call___ns3__GetAllInformation(&soap_, args_.endpoint.c_str(), kAction, &request, &response) == SOAP_OK;
}

bool SendReport(const ReportArguments& args, DWORD count, const std::string& systemText, const std::string& localeText,
                const std::string& identity, PrepareSoap prepare) {
  ReportCall call(args, prepare);
  return call.Send(count, systemText, localeText, identity);
}

}  // namespace fennic

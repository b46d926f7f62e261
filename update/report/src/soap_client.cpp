// The one SOAP call of the report over the generated gSOAP client.
#include <cstdlib>
#include <cstring>
#include <string>

#include <fennic/Report.h>

#include "soapH.h"
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
struct HeaderHook {
  int (*original)(struct soap*, const char*, const char*);
};

int PostHeader(struct soap* soap, const char* key, const char* value) {
  auto* hook = static_cast<HeaderHook*>(soap->user);
  if (key && std::strcmp(key, "User-Agent") == 0) return hook->original(soap, key, "gSOAP/2.7");
  if (key && std::strcmp(key, "Content-Type") == 0) {
    int rc = hook->original(soap, key, "application/soap+xml; charset=utf-8");
    if (rc) return rc;
    return hook->original(soap, "SOAPAction", (std::string("\"") + kAction + "\"").c_str());
  }
  return hook->original(soap, key, value);
}

}  // namespace

bool SendReport(const ReportArguments& args, DWORD count, const std::string& systemText, const std::string& localeText,
                const std::string& identity, PrepareSoap prepare) {
  struct soap soap;
  soap_init1(&soap, SOAP_C_UTFSTRING | SOAP_XML_STRICT);
  soap_set_namespaces(&soap, namespaces);
  int timeout = -TimeoutMs() * 1000;  // negative: microseconds
  soap.connect_timeout = soap.send_timeout = soap.recv_timeout = soap.accept_timeout = timeout;
  soap.transfer_timeout = 0;
  // The stream keeps the send and receive time-outs from here on.
  UseStreamTransport(&soap);
  LimitAnswerLength(&soap);
  HeaderHook hook{soap.fposthdr};
  soap.user = &hook;
  soap.fposthdr = PostHeader;
  if (prepare) prepare(&soap);

  bool ok = false;
  if (!args.product.empty()) {
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
    if (count > 0 && !args.version.empty() && !args.language.empty()) {
      project.name = args.product;
      project.version = args.version;
      project.language = args.language;
      project.type = args.type;
      project.useCount = static_cast<int>(count);
      projects.ProjectInfoEx.push_back(&project);
      ok = soap_call___ns3__GetAllInformation(&soap, args.endpoint.c_str(), kAction, &request, &response) == SOAP_OK;
    }
  }
  soap_destroy(&soap);
  soap_end(&soap);
  soap_done(&soap);
  return ok;
}

}  // namespace fennic

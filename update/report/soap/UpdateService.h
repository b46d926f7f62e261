// clang-format off
// (soapcpp2 syntax: field qualifiers and //gsoap directives, not C++)
// The usage report's one operation of the update web service, for soapcpp2: SOAP 1.2,
// document/literal, qualified elements.
//gsoap ns1 service name: UpdateServiceSoap12
//gsoap ns1 service type: UpdateServiceSoap12
//gsoap ns1 service namespace: http://update.kx2.test/
//gsoap ns1 service transport: http://schemas.xmlsoap.org/soap/http
//gsoap ns1 service style: document
//gsoap ns1 service encoding: literal
//gsoap ns1 schema namespace: http://update.kx2.test/
//gsoap ns1 schema elementForm: qualified
//gsoap ns1 schema attributeForm: unqualified
//gsoap ns2 schema namespace: http://update.kx2.test/UpdateServiceSoap
//gsoap ns3 schema namespace: http://update.kx2.test/UpdateServiceSoap12

#import "stl.h"

class ns1__ProjectInfo {
 public:
  std::string name 1;
  std::string version 1;
  std::string language 1;
  std::string type 1;
  struct soap* soap;
};

class ns1__ProjectInfoEx : public ns1__ProjectInfo {
 public:
  int useCount 1;
};

class ns1__ArrayOfProjectInfoEx {
 public:
  std::vector<ns1__ProjectInfoEx*> ProjectInfoEx 0;
  struct soap* soap;
};

class ns1__UserOSInfo {
 public:
  std::string version 1;
  std::string language 1;
  std::string macAddress 1;
  struct soap* soap;
};

class _ns1__GetAllInformation {
 public:
  ns1__ArrayOfProjectInfoEx* projectInfo 0;
  ns1__UserOSInfo* userOSInfo 0;
  bool isGetAllProductInfo 1;
  struct soap* soap;
};

class _ns1__GetAllInformationResponse {
 public:
  std::string* GetAllInformationResult 0;
  struct soap* soap;
};

//gsoap ns3 service method-protocol: GetAllInformation SOAP1.2
//gsoap ns3 service method-style: GetAllInformation document
//gsoap ns3 service method-encoding: GetAllInformation literal
//gsoap ns3 service method-action: GetAllInformation http://update.kx2.test/GetAllInformation
int __ns3__GetAllInformation(_ns1__GetAllInformation* ns1__GetAllInformation,
                             _ns1__GetAllInformationResponse* ns1__GetAllInformationResponse);

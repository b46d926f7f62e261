// The usage report's whole work in this process with the registry hive open (read the
// count, the adapter table and its digest, the system and locale texts, the SOAP call, the
// registry transaction) against a bare generated GetAllInformation call with the same
// request, both against a server generated from the same header, run in a thread.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <fennic/Report.h>
#include <fennic/Sha256.h>
#include <kx2/Registry.h>
#include <win/registry.h>

#include "soapH.h"

int __ns3__GetAllInformation(struct soap* soap, _ns1__GetAllInformation*, _ns1__GetAllInformationResponse* response) {
  response->GetAllInformationResult = soap_new_std__string(soap);
  *response->GetAllInformationResult = "ok";
  return SOAP_OK;
}

namespace {

namespace fs = std::filesystem;

struct Setup {
  fs::path folder;
  std::string endpoint;
  struct soap server;
  std::atomic<bool> stop{false};
  std::thread thread;

  Setup() {
    folder = fs::temp_directory_path() / ("bench-usage-report-" + std::to_string(::getpid()));
    fs::create_directories(folder / "registry");
    ::setenv("KX2_REGISTRY", (folder / "registry").c_str(), 1);
    ::setenv("KX2_RUN_DIR", (folder / "run").c_str(), 1);
    Kx2RegistryReset();
    soap_init1(&server, SOAP_C_UTFSTRING);
    server.bind_flags = SO_REUSEADDR;
    server.accept_timeout = -100000;
    if (!soap_valid_socket(soap_bind(&server, "127.0.0.1", 0, 64))) std::abort();
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(server.master, reinterpret_cast<sockaddr*>(&address), &length);
    endpoint = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/UpdateService.asmx";
    thread = std::thread([this] {
      while (!stop) {
        if (soap_valid_socket(soap_accept(&server))) soap_serve(&server);
        soap_destroy(&server);
        soap_end(&server);
      }
    });
  }
  ~Setup() {
    stop = true;
    thread.join();
    soap_done(&server);
    Kx2RegistryReset();
    fs::remove_all(folder);
  }
  fennic::ReportArguments Args() const { return {"Taloria", "1.6.0.0", "en-US", "1", endpoint}; }
  void SetCount(DWORD count) const {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, fennic::ReportKeyName(Args()).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    RegSetValueExW(key, u"RunCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    RegCloseKey(key);
  }
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

void ReportWholeWork(benchmark::State& state) {
  Setup& s = TheSetup();
  const fennic::ReportArguments args = s.Args();
  for (auto _ : state) {
    state.PauseTiming();
    s.SetCount(3);
    state.ResumeTiming();
    if (!fennic::ReportOnce(args)) {
      state.SkipWithError("the report failed");
      break;
    }
  }
}

void BareGeneratedCall(benchmark::State& state) {
  Setup& s = TheSetup();
  const std::string system = fennic::SystemText(), locale = fennic::LocaleText();
  const std::string identity = fennic::Sha256::HexDigest(fennic::NetworkAddressText());
  for (auto _ : state) {
    struct soap soap;
    soap_init1(&soap, SOAP_C_UTFSTRING | SOAP_XML_STRICT);
    _ns1__GetAllInformation request;
    _ns1__GetAllInformationResponse response;
    ns1__UserOSInfo os;
    os.version = system;
    os.language = locale;
    os.macAddress = identity;
    request.userOSInfo = &os;
    ns1__ArrayOfProjectInfoEx projects;
    ns1__ProjectInfoEx project;
    project.name = "Taloria";
    project.version = "1.6.0.0";
    project.language = "en-US";
    project.type = "1";
    project.useCount = 3;
    projects.ProjectInfoEx.push_back(&project);
    request.projectInfo = &projects;
    int rc = soap_call___ns3__GetAllInformation(&soap, s.endpoint.c_str(), "http://update.kx2.test/GetAllInformation",
                                                &request, &response);
    soap_destroy(&soap);
    soap_end(&soap);
    soap_done(&soap);
    if (rc != SOAP_OK) {
      state.SkipWithError("the call failed");
      break;
    }
  }
}

// The parts of the whole work, to show where its time goes.
void PartReadCount(benchmark::State& state) {
  Setup& s = TheSetup();
  s.SetCount(3);
  for (auto _ : state) benchmark::DoNotOptimize(fennic::ReadRunCount(s.Args()));
}
void PartAdapterDigest(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(fennic::Sha256::HexDigest(fennic::NetworkAddressText()));
}
void PartSystemAndLocale(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(fennic::SystemText() + fennic::LocaleText());
}
// The report's own call (its headers, time-outs and namespaces) beside the bare one.
void PartSoapCall(benchmark::State& state) {
  Setup& s = TheSetup();
  const std::string system = fennic::SystemText(), locale = fennic::LocaleText();
  const std::string identity = fennic::Sha256::HexDigest(fennic::NetworkAddressText());
  for (auto _ : state)
    if (!fennic::SendReport(s.Args(), 3, system, locale, identity)) {
      state.SkipWithError("the call failed");
      break;
    }
}
void PartRecordReport(benchmark::State& state) {
  Setup& s = TheSetup();
  for (auto _ : state) fennic::RecordReport(s.Args(), 0);
}

BENCHMARK(ReportWholeWork)->Unit(benchmark::kMicrosecond);
BENCHMARK(PartReadCount)->Unit(benchmark::kMicrosecond);
BENCHMARK(PartAdapterDigest)->Unit(benchmark::kMicrosecond);
BENCHMARK(PartSystemAndLocale)->Unit(benchmark::kMicrosecond);
BENCHMARK(PartRecordReport)->Unit(benchmark::kMicrosecond);
BENCHMARK(PartSoapCall)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareGeneratedCall)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

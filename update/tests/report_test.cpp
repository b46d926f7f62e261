// The usage-report program: its digest against OpenSSL, the adapter choice, and whole
// passes against a gSOAP server generated from the same header, run in a test thread.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <openssl/sha.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fennic/FennicApp.h>
#include <fennic/Report.h>
#include <fennic/Sha256.h>
#include <kx2/Registry.h>
#include <kx2/Utf.h>
#include <win/afx_winmain.h>
#include <win/kernel.h>
#include <win/registry.h>

#include "soapH.h"

namespace fs = std::filesystem;

namespace {

std::string OpenSslHex(const std::string& data) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
  static const char hex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char byte : digest) {
    out += hex[byte >> 4];
    out += hex[byte & 15];
  }
  return out;
}

TEST(ReportSha256, MatchesOpenSslForTheStandardsExamplesAndEveryLength) {
  EXPECT_EQ(fennic::Sha256::HexDigest(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(fennic::Sha256::HexDigest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(fennic::Sha256::HexDigest(two), OpenSslHex(two));
  std::string million(1000000, 'a');
  EXPECT_EQ(fennic::Sha256::HexDigest(million), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  std::mt19937 random(180);
  for (size_t length = 0; length <= 300; ++length) {
    std::string data(length, '\0');
    for (char& c : data) c = static_cast<char>(random());
    ASSERT_EQ(fennic::Sha256::HexDigest(data), OpenSslHex(data)) << length;
    // Fed in two pieces, the same digest.
    fennic::Sha256 engine;
    engine.Update(data.data(), length / 3);
    engine.Update(data.data() + length / 3, length - length / 3);
    auto digest = engine.Final();
    unsigned char expected[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), expected);
    ASSERT_EQ(std::memcmp(digest.data(), expected, 32), 0) << length;
  }
}

MIB_IFROW Row(DWORD type, BYTE last, DWORD in, DWORD out, DWORD length = 6) {
  MIB_IFROW row{};
  row.dwType = type;
  row.dwPhysAddrLen = length;
  const BYTE address[6] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, last};
  std::memcpy(row.bPhysAddr, address, 6);
  row.dwInOctets = in;
  row.dwOutOctets = out;
  return row;
}

TEST(ReportAddress, PrefersEthernetThenLinksThenOthersAmongRowsWithTraffic) {
  struct Case {
    const char* what;
    std::vector<MIB_IFROW> rows;
    std::string expected;
  } cases[] = {
      {"ethernet after ppp", {Row(23, 1, 5, 5), Row(6, 2, 5, 5)}, "001a2b3c4d02"},
      {"first ethernet", {Row(6, 3, 5, 5), Row(6, 4, 5, 5)}, "001a2b3c4d03"},
      {"zero counters never", {Row(6, 5, 0, 5), Row(6, 6, 5, 0), Row(71, 7, 1, 1)}, "001a2b3c4d07"},
      {"serial over other", {Row(71, 8, 1, 1), Row(28, 9, 1, 1)}, "001a2b3c4d09"},
      {"no 6-byte address", {Row(6, 10, 1, 1, 0), Row(6, 11, 1, 1, 8)}, ""},
      {"no rows", {}, ""},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> buffer(sizeof(MIB_IFTABLE) + sizeof(MIB_IFROW) * (c.rows.size() + 1));
    auto* table = reinterpret_cast<MIB_IFTABLE*>(buffer.data());
    table->dwNumEntries = static_cast<DWORD>(c.rows.size());
    for (size_t i = 0; i < c.rows.size(); ++i) table->table[i] = c.rows[i];
    EXPECT_EQ(fennic::ChooseAddress(table), c.expected) << c.what;
  }
  EXPECT_EQ(fennic::Sha256::HexDigest(fennic::ChooseAddress(nullptr)).size(), 64u);
}

// An answer played to the generated client through its transport callbacks.
std::string g_answer;
size_t g_answered = 0;
int g_descriptor = -1;  // a real descriptor for the runtime's socket options

void PlayAnswer(struct soap* soap) {
  if (g_descriptor < 0) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    g_descriptor = pair[0];
  }
  g_answered = 0;
  soap->fopen = [](struct soap*, const char*, const char*, int) -> SOAP_SOCKET { return g_descriptor; };
  soap->fsend = [](struct soap*, const char*, size_t) { return SOAP_OK; };
  soap->frecv = [](struct soap*, char* buffer, size_t size) {
    const size_t take = std::min(size, g_answer.size() - g_answered);
    std::memcpy(buffer, g_answer.data() + g_answered, take);
    g_answered += take;
    return take;
  };
  soap->fclose = [](struct soap*) { return SOAP_OK; };
}

std::string Answer(const std::string& status, const std::string& length, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Type: application/soap+xml; charset=utf-8\r\nContent-Length: " + length +
         "\r\n\r\n" + body;
}

// The runtime sizes an error body's buffer by the declared length: a length past the
// report's limit fails the call before anything is allocated.
TEST(ReportAnswerLength, DeclaredLengthsPastTheLimitFailBeforeAllocating) {
  const std::string ok =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
      "xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body><GetAllInformationResponse "
      "xmlns=\"http://update.kx2.test/\"><GetAllInformationResult>ok</GetAllInformationResult>"
      "</GetAllInformationResponse></soap:Body></soap:Envelope>";
  struct Case {
    const char* what;
    std::string answer;
    bool ok;
    uint64_t taken;  // the length the runtime went by; 0 when the header was refused
  } cases[] = {
      {"a proper answer", Answer("200 OK", std::to_string(ok.size()), ok), true, ok.size()},
      {"an error declaring 1 GB", Answer("500 Error", "1073741824", "x"), false, 0},
      {"an error declaring more than 64 bits", Answer("513 X", "55555555555555555555555", "x"), false, 0},
      // The runtime takes any character for the key's hyphen.
      {"a length under another spelling", "HTTP/1.1 500 Error\r\nContent_LENGTH: 5555555555\r\n\r\nx", false, 0},
      {"an error declaring the limit", Answer("500 Error", std::to_string(fennic::kMaxAnswerBytes), "x"), false,
       fennic::kMaxAnswerBytes},
  };
  fennic::ReportArguments args{"Taloria", "1.6.0.0", "en-US", "1", "http://127.0.0.1/UpdateService.asmx"};
  for (const Case& c : cases) {
    g_answer = c.answer;
    struct soap soap;
    soap_init1(&soap, SOAP_C_UTFSTRING | SOAP_XML_STRICT);
    fennic::LimitAnswerLength(&soap);
    PlayAnswer(&soap);
    _ns1__GetAllInformation request;
    _ns1__GetAllInformationResponse response;
    const int error = soap_call___ns3__GetAllInformation(&soap, args.endpoint.c_str(), "", &request, &response);
    const uint64_t taken = soap.length;
    soap_destroy(&soap);
    soap_end(&soap);
    soap_done(&soap);
    EXPECT_EQ(error == SOAP_OK, c.ok) << c.what;
    EXPECT_EQ(taken, c.taken) << c.what;
    EXPECT_EQ(fennic::SendReport(args, 1, "6,2,2,1,9", "en-US", std::string(64, '0'), &PlayAnswer), c.ok) << c.what;
  }
}

// What the generated server received, and how it answers.
struct Service {
  enum class Answer { Success, Fault, NoResult };
  std::atomic<Answer> answer{Answer::Success};
  std::mutex lock;
  std::vector<std::string> calls;  // "name|version|language|type|count|os version|locale|identity|flag"
  std::function<void()> during;    // runs while the call is being answered
};
Service* g_service = nullptr;

}  // namespace

int __ns3__GetAllInformation(struct soap* soap, _ns1__GetAllInformation* request,
                             _ns1__GetAllInformationResponse* response) {
  std::string record;
  if (request->projectInfo)
    for (ns1__ProjectInfoEx* p : request->projectInfo->ProjectInfoEx)
      record += p->name + "|" + p->version + "|" + p->language + "|" + p->type + "|" + std::to_string(p->useCount);
  if (request->userOSInfo)
    record += "|" + request->userOSInfo->version + "|" + request->userOSInfo->language + "|" +
              request->userOSInfo->macAddress;
  record += request->isGetAllProductInfo ? "|true" : "|false";
  {
    std::lock_guard<std::mutex> hold(g_service->lock);
    g_service->calls.push_back(record);
  }
  if (g_service->during) g_service->during();
  switch (g_service->answer.load()) {
    case Service::Answer::Fault:
      return soap_sender_fault(soap, "refused", nullptr);
    case Service::Answer::NoResult:
      response->GetAllInformationResult = nullptr;
      return SOAP_OK;
    default:
      response->GetAllInformationResult = soap_new_std__string(soap);
      *response->GetAllInformationResult = "ok";
      return SOAP_OK;
  }
}

namespace {

class ReportTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(testing::TempDir()) / ("fennic-report-" + std::to_string(::getpid()) + "-" +
                                              testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "registry");
    ::setenv("KX2_REGISTRY", (folder_ / "registry").c_str(), 1);
    ::setenv("KX2_RUN_DIR", (folder_ / "run").c_str(), 1);
    ::setenv("KX2_FENNIC_TIMEOUT_MS", "1500", 1);
    Kx2RegistryReset();
    g_service = &service_;
    soap_init1(&server_, SOAP_C_UTFSTRING);
    server_.bind_flags = SO_REUSEADDR;
    server_.accept_timeout = -100000;  // 100 ms, so the thread sees the stop flag
    ASSERT_TRUE(soap_valid_socket(soap_bind(&server_, "127.0.0.1", 0, 10)));
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(server_.master, reinterpret_cast<sockaddr*>(&address), &length);
    endpoint_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/UpdateService.asmx";
    thread_ = std::thread([this] {
      while (!stop_) {
        if (!soap_valid_socket(soap_accept(&server_))) continue;
        ++accepted_;
        soap_serve(&server_);
        soap_destroy(&server_);
        soap_end(&server_);
      }
    });
  }
  void TearDown() override {
    stop_ = true;
    thread_.join();
    // A timed-out accept leaves its fault record in the context's managed memory;
    // only soap_destroy and soap_end give that back, soap_done does not.
    soap_destroy(&server_);
    soap_end(&server_);
    soap_done(&server_);
    g_service = nullptr;
    Kx2RegistryReset();
    for (const char* name : {"KX2_REGISTRY", "KX2_RUN_DIR", "KX2_FENNIC_TIMEOUT_MS"}) ::unsetenv(name);
    fs::remove_all(folder_);
  }

  fennic::ReportArguments Args() const { return {"Taloria", "1.6.0.0", "en-US", "1", endpoint_}; }
  std::string Run(const std::string& endpoint) {
    std::vector<std::string> words = {"Fennic.exe", "Taloria", "1.6.0.0", "en-US", "1", endpoint};
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    return fennic::RunProgram(static_cast<int>(argv.size()), argv.data());
  }
  std::string Run() { return Run(endpoint_); }

  void SetCount(DWORD count) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, fennic::ReportKeyName(Args()).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, u"RunCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    RegCloseKey(key);
  }
  void SetLastestRun(const std::u16string& text, DWORD type = REG_SZ) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, fennic::ReportKeyName(Args()).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    RegSetValueExW(key, u"LastestRun", 0, type, reinterpret_cast<const BYTE*>(text.data()),
                   static_cast<DWORD>(text.size() * 2));
    RegCloseKey(key);
  }
  size_t Calls() {
    std::lock_guard<std::mutex> hold(service_.lock);
    return service_.calls.size();
  }

  fs::path folder_;
  Service service_;
  struct soap server_;
  std::string endpoint_;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  std::thread thread_;
};

TEST_F(ReportTest, SuccessSendsTheRecordLowersTheCountAndDatesTheReport) {
  SetCount(3);
  ASSERT_EQ(Run(), "reported");
  ASSERT_EQ(Calls(), 1u);
  std::string identity = fennic::Sha256::HexDigest(fennic::NetworkAddressText());
  EXPECT_EQ(service_.calls[0], "Taloria|1.6.0.0|en-US|1|3|" + fennic::SystemText() + "|" + fennic::LocaleText() + "|" +
                                   identity + "|false");
  EXPECT_EQ(fennic::ReadRunCount(Args()), 0u);
  EXPECT_EQ(fennic::ReadLastestRun(Args()), fennic::Today());
  // Once a day.
  SetCount(2);
  EXPECT_EQ(Run(), "today");
  EXPECT_EQ(Calls(), 1u);
}

TEST_F(ReportTest, RunsCountedDuringTheCallSurviveIt) {
  SetCount(3);
  service_.during = [&] { SetCount(5); };  // the launcher counts two more meanwhile
  ASSERT_EQ(Run(), "reported");
  EXPECT_EQ(fennic::ReadRunCount(Args()), 2u);
}

TEST_F(ReportTest, AnswerWithoutResultIsSuccess) {
  service_.answer = Service::Answer::NoResult;
  SetCount(1);
  EXPECT_EQ(Run(), "reported");
}

TEST_F(ReportTest, FailuresAndZeroCountsLeaveBothValues) {
  EXPECT_EQ(Run(), "failed");  // no key, no count
  EXPECT_EQ(fennic::ReadLastestRun(Args()), "");
  SetCount(0);
  EXPECT_EQ(Run(), "failed");
  EXPECT_EQ(Calls(), 0u);
  EXPECT_EQ(fennic::ReadLastestRun(Args()), "");
  SetCount(4);
  service_.answer = Service::Answer::Fault;
  EXPECT_EQ(Run(), "failed");
  EXPECT_EQ(Calls(), 1u);
  // The report opens its connection only once it knows it will call: the runs above
  // connected nowhere (a connection, taken in order, would have come before this call's).
  EXPECT_EQ(accepted_.load(), 1);
  EXPECT_EQ(Run("http://127.0.0.1:1/UpdateService.asmx"), "failed");  // refused
  EXPECT_EQ(fennic::ReadRunCount(Args()), 4u);
  EXPECT_EQ(fennic::ReadLastestRun(Args()), "");
}

TEST_F(ReportTest, LastestRunIsReadByItsLengthAndType) {
  SetCount(1);
  std::u16string today = kx2::Utf8ToUtf16(fennic::Today());
  SetLastestRun(today + std::u16string(u"\0x", 2), REG_SZ);  // ten characters: not a date
  EXPECT_EQ(fennic::ReadLastestRun(Args()), "");
  SetLastestRun(today, REG_BINARY);
  EXPECT_FALSE(fennic::ReportedToday(Args()));
  SetLastestRun(today);
  EXPECT_TRUE(fennic::ReportedToday(Args()));
  EXPECT_EQ(Run(), "today");
  EXPECT_EQ(Calls(), 0u);
}

TEST_F(ReportTest, SecondCopyStopsAtTheMutexAndFewArgumentsStopAtOnce) {
  SetCount(1);
  HANDLE held = CreateMutexW(nullptr, TRUE, u"Fennic_Mutex_Taloria");
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(Run(), "mutex");
  ReleaseMutex(held);
  CloseHandle(held);
  char name[] = "Fennic.exe";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(fennic::RunProgram(1, argv), "arguments");
  EXPECT_EQ(Calls(), 0u);
}

// Without an adapter the identity is the digest of empty input, and the report still goes.
TEST_F(ReportTest, NoAdapterStillReportsTheDigestOfNothing) {
  const std::string empty = fennic::Sha256::HexDigest("");
  ASSERT_EQ(empty, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_TRUE(fennic::SendReport(Args(), 2, "6,2,2,1,9", "en-US", empty));
  ASSERT_EQ(Calls(), 1u);
  EXPECT_EQ(service_.calls[0], "Taloria|1.6.0.0|en-US|1|2|6,2,2,1,9|en-US|" + empty + "|false");
  // An empty product fails without a call.
  fennic::ReportArguments none = Args();
  none.product.clear();
  EXPECT_FALSE(fennic::SendReport(none, 2, "6,2,2,1,9", "en-US", empty));
  EXPECT_EQ(Calls(), 1u);
}

// A copy that reports between this one's first once-a-day test and its mutex: the test is
// made again under the mutex, so the day is reported once.
class LateCopyApp : public fennic::CFennicEXEApp {
 public:
  explicit LateCopyApp(std::function<void()> other) : other_(std::move(other)) {}

 protected:
  void BeforeMutex() override { other_(); }

 private:
  std::function<void()> other_;
};

TEST_F(ReportTest, OnceADayIsTestedAgainUnderTheMutex) {
  SetCount(2);
  std::vector<std::string> words = {"Fennic.exe", "Taloria", "1.6.0.0", "en-US", "1", endpoint_};
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  LateCopyApp app([&] { SetLastestRun(kx2::Utf8ToUtf16(fennic::Today())); });
  EXPECT_EQ(AfxWinMain(app, static_cast<int>(argv.size()), argv.data()), 0);
  EXPECT_EQ(app.StoppedAt(), "today");
  EXPECT_EQ(Calls(), 0u);
  EXPECT_EQ(fennic::ReadRunCount(Args()), 2u);
  // The arguments were kept; the mutex was let go at exit.
  EXPECT_EQ(app.m_product, "Taloria");
  EXPECT_EQ(app.m_endpoint, endpoint_);
  EXPECT_EQ(app.m_hMutex, nullptr);
  HANDLE left = OpenMutexW(SYNCHRONIZE, FALSE, u"Fennic_Mutex_Taloria");
  EXPECT_EQ(left, nullptr);
  if (left) CloseHandle(left);
}

}  // namespace

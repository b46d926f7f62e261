// The usage report on the wire, against the raw SOAP server of testing/peers: the request's
// headers and elements as an independent XML reader sees them, the answers that count as
// failure, and the launcher counting runs in this process while the report program, a
// second process, waits for a held answer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fennic/Launcher.h>
#include <fennic/Report.h>
#include <fennic/Sha256.h>
#include <kx2/Registry.h>
#include <kx2/Utf.h>
#include <kx2test/PeerLauncher.h>
#include <win/kernel.h>
#include <win/registry.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

constexpr char kEnvelope[] = "{http://www.w3.org/2003/05/soap-envelope}";
constexpr char kService[] = "{http://update.kx2.test/}";

class ReportWireTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(testing::TempDir()) / ("fennic-wire-" + std::to_string(::getpid()) + "-" +
                                              testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    for (const char* sub : {"registry", "soap", "empty"}) fs::create_directories(folder_ / sub);
    Set("KX2_REGISTRY", folder_ / "registry");
    Set("KX2_RUN_DIR", folder_ / "run");
    ::setenv("KX2_FENNIC_TIMEOUT_MS", "1000", 1);
    Kx2RegistryReset();
    server_ = kx2test::PeerProcess::StartPythonPeer("soap_raw_server.py", {(folder_ / "soap").string()});
    ASSERT_NE(server_, nullptr);
    endpoint_ = "http://127.0.0.1:" + std::to_string(server_->Port()) + "/UpdateService.asmx";
  }
  void TearDown() override {
    server_.reset();
    Kx2RegistryReset();
    for (const char* name :
         {"KX2_REGISTRY", "KX2_RUN_DIR", "KX2_FENNIC_TIMEOUT_MS", "KX2_APPDATA", "KX2_COMMON_APPDATA"})
      ::unsetenv(name);
    fs::remove_all(folder_);
  }
  static void Set(const char* name, const fs::path& value) { ::setenv(name, value.c_str(), 1); }

  fennic::ReportArguments Args(const std::string& type = "1") const {
    return {"Taloria", "1.6.0.0", "en-US", type, endpoint_};
  }
  std::string Run(const std::string& type = "1") {
    std::vector<std::string> words = {"Fennic.exe", "Taloria", "1.6.0.0", "en-US", type, endpoint_};
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    return fennic::RunProgram(static_cast<int>(argv.size()), argv.data());
  }
  void SetCount(DWORD count, const std::string& type = "1") {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, fennic::ReportKeyName(Args(type)).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, u"RunCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    RegCloseKey(key);
  }
  void Command(const std::string& line) {
    ASSERT_TRUE(server_->Send(line));
    ASSERT_TRUE(server_->Send("ping " + std::to_string(++pings_)));
    const std::string pong = "\"pong\", \"token\": \"" + std::to_string(pings_) + "\"";
    ASSERT_TRUE(server_->WaitForLine([&](const std::string& l) { return l.find(pong) != l.npos; }));
  }
  // The next request the server reports, as its number; 0 when none comes in time.
  int NextRequest(std::chrono::milliseconds timeout = 10s) {
    auto line =
        server_->WaitForLine([](const std::string& l) { return l.find("\"event\": \"request\"") != l.npos; }, timeout);
    if (!line) return 0;
    size_t at = line->find("\"id\": ");
    return at == std::string::npos ? 0 : std::atoi(line->c_str() + at + 6);
  }
  fs::path Recorded(int id, const char* extension) const {
    return folder_ / "soap" / "requests" / (std::to_string(id) + extension);
  }
  std::vector<std::string> Outline(int id) const {
    std::vector<std::string> lines;
    std::istringstream in(ReadAll(Recorded(id, ".outline")));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  fs::path folder_;
  std::unique_ptr<kx2test::PeerProcess> server_;
  std::string endpoint_;
  int pings_ = 0;
};

TEST_F(ReportWireTest, RequestCarriesTheHeadersAndElementsInTheirOrder) {
  struct Case {
    std::string type;
    DWORD count;
  } cases[] = {{"1", 3}, {"", 1}, {"Édition ü", 70000}};
  for (const Case& c : cases) {
    SetCount(c.count, c.type);
    ASSERT_EQ(Run(c.type), "reported") << c.type;
    int id = NextRequest();
    ASSERT_GT(id, 0);

    std::string raw = ReadAll(Recorded(id, ".raw"));
    size_t body = raw.find("\r\n\r\n");
    ASSERT_NE(body, std::string::npos);
    std::string head = raw.substr(0, body + 2);
    EXPECT_EQ(raw.substr(0, 32), "POST /UpdateService.asmx HTTP/1.");
    EXPECT_NE(head.find("\r\nContent-Type: application/soap+xml; charset=utf-8"), std::string::npos) << head;
    EXPECT_NE(head.find("\r\nSOAPAction: \"http://update.kx2.test/GetAllInformation\"\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("\r\nUser-Agent: gSOAP/2.7\r\n"), std::string::npos) << head;
    EXPECT_EQ(raw.substr(body + 4, 38), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");

    const std::string env = kEnvelope, ns = kService;
    const std::string identity = fennic::Sha256::HexDigest(fennic::NetworkAddressText());
    ASSERT_EQ(identity.size(), 64u);
    auto item = [](int depth, const std::string& tag, const std::string& text) {
      return std::string(2 * depth, ' ') + tag + (text.empty() ? "" : " = " + text);
    };
    std::vector<std::string> expected = {
        env +
            "Envelope"
            " xmlns:SOAP-ENV=http://www.w3.org/2003/05/soap-envelope"
            " xmlns:SOAP-ENC=http://www.w3.org/2003/05/soap-encoding"
            " xmlns:xsi=http://www.w3.org/2001/XMLSchema-instance"
            " xmlns:xsd=http://www.w3.org/2001/XMLSchema"
            " xmlns:ns1=http://update.kx2.test/"
            " xmlns:ns2=http://update.kx2.test/UpdateServiceSoap"
            " xmlns:ns3=http://update.kx2.test/UpdateServiceSoap12",
        item(1, env + "Body", ""),
        item(2, ns + "GetAllInformation", ""),
        item(3, ns + "projectInfo", ""),
        item(4, ns + "ProjectInfoEx", ""),
        item(5, ns + "name", "Taloria"),
        item(5, ns + "version", "1.6.0.0"),
        item(5, ns + "language", "en-US"),
        item(5, ns + "type", c.type),
        item(5, ns + "useCount", std::to_string(c.count)),
        item(3, ns + "userOSInfo", ""),
        item(4, ns + "version", fennic::SystemText()),
        item(4, ns + "language", fennic::LocaleText()),
        item(4, ns + "macAddress", identity),
        item(3, ns + "isGetAllProductInfo", "false"),
    };
    EXPECT_EQ(Outline(id), expected) << c.type;
    EXPECT_EQ(fennic::ReadRunCount(Args(c.type)), 0u);
    EXPECT_EQ(fennic::ReadLastestRun(Args(c.type)), fennic::Today());
  }
}

// Only an answer the runtime reads as success changes the registry.
TEST_F(ReportWireTest, AnswersThatFailLeaveBothValues) {
  struct Case {
    const char* answer;
    const char* result;
  } cases[] = {{"fault", "failed"}, {"500", "failed"},    {"garbage", "failed"},
               {"close", "failed"}, {"silent", "failed"}, {"noresult", "reported"}};
  for (const Case& c : cases) {
    SetCount(4);
    Command(std::string("answer ") + c.answer);
    auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(), c.result) << c.answer;
    EXPECT_LT(std::chrono::steady_clock::now() - began, 5s) << c.answer;
    EXPECT_GT(NextRequest(), 0) << c.answer;
    if (std::string(c.result) == "failed") {
      EXPECT_EQ(fennic::ReadRunCount(Args()), 4u) << c.answer;
      EXPECT_EQ(fennic::ReadLastestRun(Args()), "") << c.answer;
    } else {
      EXPECT_EQ(fennic::ReadRunCount(Args()), 0u) << c.answer;
    }
  }
}

// The launcher (this process) starts the report program; while the program's call waits
// for a held answer, three more starts are counted; the program then lowers the count by
// the one run it sent, so exactly the three counted after it read the count remain.
TEST_F(ReportWireTest, RunsCountedByTheLauncherWhileTheProgramReportsSurvive) {
  const char* bin = std::getenv("KX2_BIN_DIR");
  ASSERT_NE(bin, nullptr);
  ASSERT_TRUE(fs::exists(fs::path(bin) / "AppData" / "Taloria" / "Fennic" / "Fennic.exe"));
  Set("KX2_APPDATA", fs::path(bin) / "AppData");
  Set("KX2_COMMON_APPDATA", folder_ / "empty");
  ::setenv("KX2_FENNIC_TIMEOUT_MS", "20000", 1);
  Command("answer hold");
  const std::u16string endpoint = kx2::Utf8ToUtf16(endpoint_);
  Fennic_Run(u"Taloria", u"1.6.0.0", u"en-US", u"1", endpoint.c_str());
  int id = NextRequest(20s);
  ASSERT_GT(id, 0) << "the report program sent nothing";

  // Later starts find no program to start: only their counting matters here.
  Set("KX2_APPDATA", folder_ / "empty");
  for (int i = 0; i < 3; ++i) Fennic_Run(u"Taloria", u"1.6.0.0", u"en-US", u"1", endpoint.c_str());
  Command("release");

  auto deadline = std::chrono::steady_clock::now() + 20s;
  bool done = false;
  while (!done && std::chrono::steady_clock::now() < deadline) {
    HANDLE held = OpenMutexW(SYNCHRONIZE, FALSE, u"Fennic_Mutex_Taloria");
    if (held) CloseHandle(held);
    done = !held && fennic::ReadLastestRun(Args()) == fennic::Today();
    if (!done) std::this_thread::sleep_for(20ms);  // polling another process's registry writes
  }
  ASSERT_TRUE(done) << "the report program did not finish";
  EXPECT_EQ(fennic::ReadRunCount(Args()), 3u);
  std::vector<std::string> outline = Outline(id);
  ASSERT_GT(outline.size(), 9u);
  EXPECT_EQ(outline[9], std::string(10, ' ') + kService + "useCount = 1");
}

}  // namespace

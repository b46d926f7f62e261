// The UI service's statistics uploads against the HTTP test server.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include <kx2test/PeerLauncher.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(RoomsStatistics, PostsTheValueAndStartsNothingAt256Pending) {
  const fs::path folder = fs::path(testing::TempDir()) / ("tendril-stats-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  auto server = kx2test::PeerProcess::StartPythonPeer("http_server.py", {folder.string()});
  ASSERT_NE(server, nullptr);
  ::setenv("KX2_TENDRIL_HTTP", ("127.0.0.1:" + std::to_string(server->Port())).c_str(), 1);
  DestroyTendril();
  ITendrilUIService* ui = GetTendrilInterface()->GetUIService();

  ui->SendStatistics(42);
  EXPECT_TRUE(server->WaitForLine(
      [](const std::string& l) { return l.find("\"statistics\", \"value\": \"42\"") != l.npos; }, 10000ms))
      << "no statistics 42";

  ASSERT_TRUE(server->Send("answer /statistics.php stall *"));
  ASSERT_TRUE(server->Send("ping 1"));
  ASSERT_TRUE(server->WaitForLine([](const std::string& l) { return l.find("pong") != l.npos; }, 10000ms));
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (TDRL_RunningStatisticsForTest(ui) > 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  for (int i = 0; i < 256; ++i) ui->SendStatistics(i);
  EXPECT_EQ(TDRL_RunningStatisticsForTest(ui), 256u);
  ui->SendStatistics(999);
  EXPECT_EQ(TDRL_RunningStatisticsForTest(ui), 256u);

  DestroyTendril();  // stops and joins every transfer
  ::unsetenv("KX2_TENDRIL_HTTP");
  server.reset();
  fs::remove_all(folder);
}

}  // namespace

// TCP client streams: a round trip, and every way a connect, a send or a receive ends
// without one (refused, no room at the listener, a silent peer, a peer that takes nothing,
// a peer gone), each within its time-out and with its reason in the error record.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "kx2/TcpStream.h"
#include "win/kernel.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A listening socket on the loopback address, closed with the fixture.
class Listener {
 public:
  explicit Listener(int backlog = 8) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(fd_, backlog), 0);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~Listener() {
    for (int fd : accepted_) ::close(fd);
    if (fd_ >= 0) ::close(fd_);
  }
  int Port() const { return port_; }
  int Accept() {
    int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) accepted_.push_back(fd);
    return fd;
  }
  void Close() {
    ::close(fd_);
    fd_ = -1;
  }
  void CloseAccepted() {
    for (int fd : accepted_) ::close(fd);
    accepted_.clear();
  }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::vector<int> accepted_;
};

// Closes the streams a test made.
struct Streams {
  std::vector<int> open;
  ~Streams() {
    for (int s : open) kx2::net::TcpClose(s);
  }
  int Keep(int s) {
    if (s != kx2::net::kNoStream) open.push_back(s);
    return s;
  }
};

TEST(TcpStream, CarriesBytesBothWaysAndSeesTheEnd) {
  Listener listener;
  Streams streams;
  for (const char* host : {"127.0.0.1", "localhost"}) {
    // "localhost" may name ::1 first, where nothing listens: the next address is tried.
    const int stream = streams.Keep(kx2::net::TcpConnect(host, listener.Port(), 2000));
    ASSERT_NE(stream, kx2::net::kNoStream) << host << " " << GetLastError();
    const int peer = listener.Accept();
    ASSERT_GE(peer, 0);
    ASSERT_TRUE(kx2::net::TcpSendAll(stream, "request", 7));
    char got[16] = {};
    size_t have = 0;
    while (have < 7) {
      const ssize_t n = ::recv(peer, got + have, sizeof got - have, 0);
      ASSERT_GT(n, 0);
      have += static_cast<size_t>(n);
    }
    EXPECT_EQ(std::string(got, have), "request");
    ASSERT_EQ(::send(peer, "answer", 6, 0), 6);
    ::shutdown(peer, SHUT_WR);
    std::string answer;
    for (;;) {
      char buffer[4];
      const ptrdiff_t n = kx2::net::TcpReceive(stream, buffer, sizeof buffer);
      ASSERT_GE(n, 0) << GetLastError();
      if (n == 0) break;
      answer.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_EQ(answer, "answer") << host;
  }
}

TEST(TcpStream, FailuresEndWithinTheTimeOutAndSayWhy) {
  Streams streams;
  // A port nobody listens on any more.
  Listener gone;
  const int closedPort = gone.Port();
  gone.Close();
  SetLastError(0);
  EXPECT_EQ(kx2::net::TcpConnect("127.0.0.1", closedPort, 2000), kx2::net::kNoStream);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONNECTION_REFUSED));

  for (auto [host, port, timeout] : {std::tuple<const char*, int, DWORD>{nullptr, 80, 100},
                                     {"", 80, 100},
                                     {"127.0.0.1", 0, 100},
                                     {"127.0.0.1", 70000, 100},
                                     {"127.0.0.1", 80, 0}}) {
    SetLastError(0);
    EXPECT_EQ(kx2::net::TcpConnect(host, port, timeout), kx2::net::kNoStream);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }

  // A silent peer: the receive gives up after the time-out.
  Listener silent;
  const int stream = streams.Keep(kx2::net::TcpConnect("127.0.0.1", silent.Port(), 300));
  ASSERT_NE(stream, kx2::net::kNoStream);
  auto began = Clock::now();
  char buffer[16];
  SetLastError(0);
  EXPECT_EQ(kx2::net::TcpReceive(stream, buffer, sizeof buffer), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_GE(Clock::now() - began, 250ms);
  EXPECT_LT(Clock::now() - began, 3s);

  // A peer that takes nothing: once the buffers between are full, the send gives up.
  std::vector<char> block(1 << 16, 'x');
  began = Clock::now();
  bool sent = true;
  for (int i = 0; sent && i < 4096; ++i) sent = kx2::net::TcpSendAll(stream, block.data(), block.size());
  EXPECT_FALSE(sent);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_LT(Clock::now() - began, 5s);
}

// A listener with no room left drops new connection requests: the connect gives up after
// its time-out instead of the system's minutes of retries.
TEST(TcpStream, ConnectGivesUpWhenTheListenerHasNoRoom) {
  Listener full(0);
  Streams streams;
  DWORD error = 0;
  Clock::duration took{};
  for (int i = 0; i < 8 && !error; ++i) {
    const auto began = Clock::now();
    if (streams.Keep(kx2::net::TcpConnect("127.0.0.1", full.Port(), 300)) == kx2::net::kNoStream) {
      error = GetLastError();
      took = Clock::now() - began;
    }
  }
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_GE(took, 250ms);
  EXPECT_LT(took, 3s);
}

// Sending to a peer that has gone fails; it never raises a signal that would end the process.
TEST(TcpStream, SendingToAPeerThatLeftFailsWithoutASignal) {
  Listener listener;
  Streams streams;
  const int stream = streams.Keep(kx2::net::TcpConnect("127.0.0.1", listener.Port(), 2000));
  ASSERT_NE(stream, kx2::net::kNoStream);
  ASSERT_GE(listener.Accept(), 0);
  listener.CloseAccepted();
  std::vector<char> block(1 << 12, 'x');
  bool sent = true;
  for (int i = 0; sent && i < 1000; ++i) sent = kx2::net::TcpSendAll(stream, block.data(), block.size());
  EXPECT_FALSE(sent);
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

}  // namespace

// The XMPP test server the chat transport is tested against: a prosody of the fixture's own on
// a free loopback port, offering anonymous login on "collab.test" and only passwords on
// "password.test".
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <kx2test/PeerLauncher.h>

namespace {

// The stream features a host offers a new client stream, as text.
std::string StreamFeatures(uint16_t port, const std::string& host) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string text;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string open = "<?xml version='1.0'?><stream:stream to='" + host +
                             "' xmlns='jabber:client' xmlns:stream='http://etherx.jabber.org/streams' version='1.0'>";
    ::send(fd, open.data(), open.size(), MSG_NOSIGNAL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (text.find("</stream:features>") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 1000) <= 0) continue;
      char buffer[4096];
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      text.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  return text;
}

TEST(XmppServer, OffersAnonymousLoginOnlyOnTheCollaborationHost) {
  const auto folder = std::filesystem::path(testing::TempDir()) / ("prosody-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  auto server = kx2test::PeerProcess::StartPythonPeer("prosody_peer.py", {folder.string()});
  if (!server) GTEST_SKIP() << "prosody is not installed (scripts/setup installs it)";
  const std::string anonymous = StreamFeatures(server->Port(), "collab.test");
  EXPECT_NE(anonymous.find("<mechanism>ANONYMOUS</mechanism>"), std::string::npos) << anonymous;
  EXPECT_EQ(anonymous.find("starttls"), std::string::npos) << "encryption is not offered";
  const std::string password = StreamFeatures(server->Port(), "password.test");
  EXPECT_NE(password.find("<mechanism>"), std::string::npos) << password;
  EXPECT_EQ(password.find("ANONYMOUS"), std::string::npos) << password;
  server->Send("quit");
}

}  // namespace

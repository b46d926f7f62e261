// The collaboration test server, checked with plain sockets before the client's link uses it.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <kx2test/PeerLauncher.h>
#include <tendril/packet.h>

namespace {

using namespace std::chrono_literals;

std::vector<unsigned char> Frame(int32_t type, int32_t argument, const std::string& body) {
  std::vector<unsigned char> frame(12 + body.size());
  TDRL::StoreInt32LE(frame.data(), type);
  TDRL::StoreInt32LE(frame.data() + 4, argument);
  TDRL::StoreInt32LE(frame.data() + 8, static_cast<int32_t>(body.size()));
  std::copy(body.begin(), body.end(), frame.begin() + 12);
  return frame;
}

std::string Opening(const std::string& room, const std::u16string& user) {
  std::string body = room + '\0';
  for (char16_t unit : user) {
    body += static_cast<char>(unit & 0xFF);
    body += static_cast<char>(unit >> 8);
  }
  body.append(2, '\0');
  return body;
}

class PlainSocket {
 public:
  explicit PlainSocket(uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~PlainSocket() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Connected() const { return connected_; }
  bool Send(const std::vector<unsigned char>& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }
  // Exactly count bytes, or fewer when the peer closes or the deadline passes.
  std::vector<unsigned char> Receive(size_t count, std::chrono::milliseconds timeout = 5s) {
    std::vector<unsigned char> bytes;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (bytes.size() < count) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd p{fd_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      unsigned char buffer[4096];
      const ssize_t got = ::recv(fd_, buffer, std::min(sizeof buffer, count - bytes.size()), 0);
      if (got <= 0) {
        closed_ = true;
        break;
      }
      bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
  }
  // Whether the peer closed the connection within the timeout.
  bool ClosedByPeer(std::chrono::milliseconds timeout = 5s) {
    Receive(1, timeout);
    return closed_;
  }

 private:
  int fd_;
  bool connected_ = false;
  bool closed_ = false;
};

class CollabServerTest : public testing::Test {
 protected:
  void SetUp() override {
    server_ = kx2test::PeerProcess::StartPythonPeer("collab_server.py");
    ASSERT_NE(server_, nullptr);
  }

  std::unique_ptr<PlainSocket> Join(const std::string& room, const std::u16string& user, int& conn) {
    auto socket = std::make_unique<PlainSocket>(server_->Port());
    EXPECT_TRUE(socket->Connected());
    EXPECT_TRUE(socket->Send(Frame(2, 0, Opening(room, user))));
    const auto line = server_->WaitForLine([](const std::string& l) { return l.find("\"registered\"") != l.npos; });
    EXPECT_TRUE(line.has_value());
    conn = line ? std::stoi(line->substr(line->find("\"conn\": ") + 8)) : 0;
    return socket;
  }

  std::unique_ptr<kx2test::PeerProcess> server_;
};

TEST_F(CollabServerTest, RoomMembersSeeEachOthersEditFrames) {
  int annConn = 0, bobConn = 0, carlConn = 0;
  auto ann = Join("review", u"ann", annConn);
  auto bob = Join("review", u"bob", bobConn);
  auto carl = Join("other room", u"carl", carlConn);
  EXPECT_NE(server_->Lines().size(), 0u);

  const auto fromAnn = Frame(24, 3, std::string(804, 'a') + "item data");
  const auto fromBob = Frame(24, 0, std::string(816, 'b'));
  ASSERT_TRUE(ann->Send(fromAnn));
  EXPECT_EQ(bob->Receive(fromAnn.size()), fromAnn);
  ASSERT_TRUE(bob->Send(fromBob));
  EXPECT_EQ(ann->Receive(fromBob.size()), fromBob);
  // Not to the sender, not to another room, and chat frames are kept.
  ASSERT_TRUE(ann->Send(Frame(21, 0, "chat")));
  EXPECT_TRUE(server_->WaitForLine([](const std::string& l) { return l.find("\"kept\"") != l.npos; }));
  EXPECT_TRUE(ann->Receive(1, 300ms).empty());
  EXPECT_TRUE(bob->Receive(1, 300ms).empty());
  EXPECT_TRUE(carl->Receive(1, 300ms).empty());
}

TEST_F(CollabServerTest, BadLengthClosesOnlyItsConnection) {
  int annConn = 0, bobConn = 0, carlConn = 0;
  auto ann = Join("review", u"ann", annConn);
  auto bob = Join("review", u"bob", bobConn);
  auto carl = Join("review", u"carl", carlConn);
  std::vector<unsigned char> bad(12);
  TDRL::StoreInt32LE(bad.data(), 24);
  TDRL::StoreInt32LE(bad.data() + 8, -1);
  ASSERT_TRUE(ann->Send(bad));
  EXPECT_TRUE(ann->ClosedByPeer());
  EXPECT_TRUE(server_->WaitForLine([](const std::string& l) { return l.find("\"bad_frame\"") != l.npos; }));

  const auto frame = Frame(31, 0, "review");
  ASSERT_TRUE(bob->Send(frame));
  EXPECT_EQ(carl->Receive(frame.size()), frame);
}

TEST_F(CollabServerTest, InjectedFramesReachTheConnectionAsGiven) {
  int annConn = 0;
  auto ann = Join("review", u"ann", annConn);
  // A header announcing a length of -1 followed by stray bytes: the server sends it as given.
  server_->Send("inject " + std::to_string(annConn) + " 18000000 00000000 ffffffff 0102");
  const std::vector<unsigned char> expected = {0x18, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 1, 2};
  EXPECT_EQ(ann->Receive(expected.size()), expected);
  server_->Send("echo " + std::to_string(annConn) + " on");
  server_->Send("ping 1");
  ASSERT_TRUE(server_->WaitForLine([](const std::string& l) { return l.find("\"pong\"") != l.npos; }));
  const auto frame = Frame(39, 0, std::string(820, 'x'));
  ASSERT_TRUE(ann->Send(frame));
  EXPECT_EQ(ann->Receive(frame.size()), frame);
  server_->Send("drop " + std::to_string(annConn));
  EXPECT_TRUE(ann->ClosedByPeer());
}

TEST_F(CollabServerTest, PausedConnectionIsReadAgainOnResume) {
  int annConn = 0, bobConn = 0;
  auto ann = Join("review", u"ann", annConn);
  auto bob = Join("review", u"bob", bobConn);
  server_->Send("pause " + std::to_string(annConn));
  server_->Send("ping p");
  ASSERT_TRUE(server_->WaitForLine([](const std::string& l) { return l.find("\"pong\"") != l.npos; }));
  const auto frame = Frame(24, 1, std::string(804, 'p'));
  ASSERT_TRUE(ann->Send(frame));
  EXPECT_TRUE(bob->Receive(1, 300ms).empty());
  server_->Send("slow " + std::to_string(annConn) + " 100 1");
  server_->Send("resume " + std::to_string(annConn));
  EXPECT_EQ(bob->Receive(frame.size()), frame);
}

TEST_F(CollabServerTest, RefusesConnectionsOnCommand) {
  server_->Send("refuse on");
  server_->Send("ping r");
  ASSERT_TRUE(server_->WaitForLine([](const std::string& l) { return l.find("\"pong\"") != l.npos; }));
  PlainSocket refused(server_->Port());
  EXPECT_TRUE(refused.ClosedByPeer());
  server_->Send("refuse off");
  int conn = 0;
  auto ann = Join("review", u"ann", conn);
  EXPECT_GT(conn, 0);
}

TEST_F(CollabServerTest, StopsWhenItsInputCloses) {
  const pid_t pid = server_->Pid();
  EXPECT_GT(pid, 0);
  const int status = server_->Stop();
  EXPECT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace

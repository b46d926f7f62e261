// The server link on loopback against plain sockets: 100,000 packets of 1 KiB queued through a
// room's link and written by the reactor thread, beside a blocking send loop of the same bytes;
// and the same stream read by the link and dispatched (type 14), beside a recv loop that frames
// the packets with memcpy.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdlib.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <tendril/link_testing.h>
#include <tendril/packet.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>

namespace {

constexpr int kPackets = 100000;
constexpr int32_t kBody = 1024;
constexpr size_t kFrame = 12 + kBody;

std::vector<unsigned char> Frame(int32_t type, const std::string& body) {
  std::vector<unsigned char> frame(12 + body.size());
  TDRL::StoreInt32LE(frame.data(), type);
  TDRL::StoreInt32LE(frame.data() + 4, 0);
  TDRL::StoreInt32LE(frame.data() + 8, static_cast<int32_t>(body.size()));
  std::memcpy(frame.data() + 12, body.data(), body.size());
  return frame;
}

// The stream of the read benchmark: 100,000 type-14 packets, then a type 13 naming the room.
std::vector<unsigned char> Stream() {
  std::vector<unsigned char> stream;
  const auto packet = Frame(14, std::string(kBody, 'p'));
  stream.reserve(packet.size() * kPackets + 64);
  for (int i = 0; i < kPackets; ++i) stream.insert(stream.end(), packet.begin(), packet.end());
  const auto marker = Frame(13, std::string("bench\0", 6));
  stream.insert(stream.end(), marker.begin(), marker.end());
  return stream;
}

// One loopback connection at a time: drains what it is sent, or sends the stream.
class Server {
 public:
  Server() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    socklen_t size = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~Server() {
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }
  uint16_t Port() const { return port_; }

  // Accepts one connection and counts what arrives until `bytes` have.
  void Drain(size_t bytes) {
    if (thread_.joinable()) thread_.join();
    received_ = 0;
    thread_ = std::thread([this, bytes] {
      const int fd = ::accept(listener_, nullptr, nullptr);
      std::vector<char> buffer(1 << 16);
      size_t total = 0;
      while (total < bytes) {
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (n <= 0) break;
        total += static_cast<size_t>(n);
      }
      received_ = total;
      ::close(fd);
    });
  }
  // Accepts one connection and sends it the bytes, then waits for it to close.
  void Source(const std::vector<unsigned char>* bytes) {
    if (thread_.joinable()) thread_.join();
    thread_ = std::thread([this, bytes] {
      const int fd = ::accept(listener_, nullptr, nullptr);
      ::send(fd, bytes->data(), bytes->size(), MSG_NOSIGNAL);
      char c;
      while (::recv(fd, &c, 1, 0) > 0) {}
      ::close(fd);
    });
  }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  size_t Received() const { return received_; }

 private:
  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  std::atomic<size_t> received_{0};
};

int Connect(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  return fd;
}

struct Room {
  explicit Room(uint16_t port) {
    ::setenv("KX2_TENDRIL_SERVER", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
    VtlGetApplication();
    vantorel::SetCollabAccount(true, u"ann@example.org");
    tendril = GetTendrilInterface();
    tendril->SetHostObject(vantorel::CollabHost());
    IXmppMeetingManager* manager = tendril->GetMeetingManager();
    room = manager->FindMeetingRoomById(manager->CreateMeetingRoom("bench"));
    channel = std::make_unique<TDRL::TestLinkChannel>(room);
    TDRL_SetRoomSenderForTest(room, channel.get());
  }
  ~Room() {
    TDRL_SetRoomSenderForTest(room, nullptr);
    channel.reset();
    tendril->Uninit();
    DestroyTendril();
    ::unsetenv("KX2_TENDRIL_SERVER");
  }
  bool Open() { return channel->Connect() == 0 && channel->WaitSettled(10000) && channel->IsOpen(); }

  ITendril* tendril = nullptr;
  IMeetingRoom* room = nullptr;
  std::unique_ptr<TDRL::TestLinkChannel> channel;
};

// The opening packet of the room "bench" and the user "ann".
constexpr size_t kOpening = 12 + 6 + 8;

void LinkWrites(benchmark::State& state) {
  Server server;
  const std::string body(kBody, 'w');
  for (auto _ : state) {
    state.PauseTiming();
    server.Drain(kOpening + kFrame * kPackets);
    auto room = std::make_unique<Room>(server.Port());
    if (!room->Open()) state.SkipWithError("the link did not open");
    state.ResumeTiming();
    for (int i = 0; i < kPackets; ++i) {
      TDRL::Packet packet;
      TDRL::CreatePacket(14, 0, body.data(), kBody, packet);
      room->channel->Send(packet);
    }
    server.Join();
    state.PauseTiming();
    if (server.Received() != kOpening + kFrame * kPackets) state.SkipWithError("bytes missing");
    room.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(LinkWrites)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void PlainSends(benchmark::State& state) {
  Server server;
  const auto frame = Frame(14, std::string(kBody, 'w'));
  for (auto _ : state) {
    server.Drain(kFrame * kPackets);
    const int fd = Connect(server.Port());
    for (int i = 0; i < kPackets; ++i) ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
    server.Join();
    ::close(fd);
    if (server.Received() != kFrame * kPackets) state.SkipWithError("bytes missing");
  }
}
BENCHMARK(PlainSends)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void LinkReads(benchmark::State& state) {
  Server server;
  const std::vector<unsigned char> stream = Stream();
  for (auto _ : state) {
    state.PauseTiming();
    server.Source(&stream);
    auto room = std::make_unique<Room>(server.Port());
    room->room->SetFirstFlag(0);
    state.ResumeTiming();
    if (!room->Open()) state.SkipWithError("the link did not open");
    // The marker behind the stream raises the room's first flag once everything before it was
    // dispatched.
    while (room->room->GetFirstFlag() == 0 && !room->channel->IsClosed()) std::this_thread::yield();
    state.PauseTiming();
    if (room->room->GetFirstFlag() == 0) state.SkipWithError("the stream was not read");
    room.reset();
    server.Join();
    state.ResumeTiming();
  }
}
BENCHMARK(LinkReads)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void PlainReceives(benchmark::State& state) {
  Server server;
  const std::vector<unsigned char> stream = Stream();
  for (auto _ : state) {
    server.Source(&stream);
    const int fd = Connect(server.Port());
    std::vector<unsigned char> buffer(1 << 16);
    std::vector<unsigned char> packet(kFrame);
    size_t have = 0, framed = 0, used = 0;
    int packets = 0;
    // Frames the stream: each packet's bytes are copied out whole.
    while (packets <= kPackets) {
      const ssize_t n = ::recv(fd, buffer.data() + have, buffer.size() - have, 0);
      if (n <= 0) break;
      have += static_cast<size_t>(n);
      used = 0;
      while (have - used >= 12) {
        const auto length = static_cast<size_t>(TDRL::LoadInt32LE(buffer.data() + used + 8));
        if (have - used < 12 + length) break;
        if (packet.size() < 12 + length) packet.resize(12 + length);
        std::memcpy(packet.data(), buffer.data() + used, 12 + length);
        used += 12 + length;
        framed += 12 + length;
        ++packets;
      }
      std::memmove(buffer.data(), buffer.data() + used, have - used);
      have -= used;
    }
    state.PauseTiming();
    ::close(fd);
    server.Join();
    state.ResumeTiming();
    if (packets != kPackets + 1) state.SkipWithError("the stream was not framed");
    benchmark::DoNotOptimize(framed);
  }
}
BENCHMARK(PlainReceives)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

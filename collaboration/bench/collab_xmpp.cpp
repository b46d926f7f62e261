// A 1 KiB packet from one room to the other room's handler over the chat room, through one
// prosody on loopback, beside two bare gloox clients passing the same chunks: the median of
// 200 trips each.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gloox/client.h>
#include <gloox/connectionlistener.h>
#include <gloox/message.h>
#include <gloox/mucroom.h>
#include <gloox/mucroomhandler.h>

#include <kx2test/PeerLauncher.h>
#include <tendril/chat_transport.h>
#include <tendril/packet.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>
#include <win/user_message.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTrips = 200;

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

template <class Done>
bool PumpUntil(Done done) {
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!done()) {
    Pump();
    if (Clock::now() > deadline) return false;
  }
  return true;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// A 13 naming the room, with a body of 1 KiB.
TDRL::Packet Marker(const std::string& room) {
  TDRL::Packet packet;
  TDRL::CreatePacket(13, 0, nullptr, 0, packet);
  std::string body = room;
  body.push_back('\0');
  body.resize(1024, 'm');
  packet.AppendBytes(body.size(), body.data());
  return packet;
}

// A bare chat-room member on a thread of its own.
class BareClient : public gloox::ConnectionListener, public gloox::MUCRoomHandler {
 public:
  BareClient(uint16_t port, const std::string& room, const std::string& nick) : client_("collab.test") {
    client_.setServer("127.0.0.1");
    client_.setPort(port);
    client_.setSASLMechanisms(gloox::SaslMechAnonymous);
    client_.setTls(gloox::TLSDisabled);
    client_.setCompression(false);
    client_.disableRoster();
    client_.registerConnectionListener(this);
    room_ =
        std::make_unique<gloox::MUCRoom>(&client_, gloox::JID(room + "@conference.collab.test/" + nick), this, nullptr);
    client_.connect(false);
    // gloox cannot be woken from recv: the thread polls every 100 microseconds (gloox's unit)
    // so that a chunk waits little for its send, as the room's I/O thread, woken by a pipe,
    // does not wait at all.
    thread_ = std::thread([this] {
      while (!stop_) {
        std::vector<std::string> out;
        {
          std::lock_guard hold(lock_);
          out.swap(outbox_);
        }
        for (auto& text : out) room_->send(text);
        if (client_.recv(100) != gloox::ConnNoError) break;
      }
    });
  }
  ~BareClient() override {
    stop_ = true;
    thread_.join();
    client_.disconnect();
  }
  bool Joined() const { return joined_; }
  void Say(std::vector<std::string> chunks) {
    std::lock_guard hold(lock_);
    for (auto& c : chunks) outbox_.push_back(std::move(c));
  }
  // Waits until a whole packet has arrived since the last call.
  bool WaitPacket() {
    std::unique_lock hold(lock_);
    const bool got = arrived_.wait_for(hold, std::chrono::seconds(10), [&] { return packets_ > 0; });
    packets_ = 0;
    return got;
  }

  void onConnect() override { room_->join(); }
  void onDisconnect(gloox::ConnectionError) override {}
  bool onTLSConnect(const gloox::CertInfo&) override { return false; }
  void handleMUCParticipantPresence(gloox::MUCRoom*, const gloox::MUCRoomParticipant p,
                                    const gloox::Presence&) override {
    if (p.flags & gloox::UserSelf) joined_ = true;
  }
  void handleMUCMessage(gloox::MUCRoom*, const gloox::Message& msg, bool) override {
    if (msg.from().resource() == room_->nick()) return;
    TDRL::Packet packet;
    if (reassembler_.Add(msg.from().resource(), msg.body(), 0, packet) == TDRL::ChunkReassembler::Result::kComplete) {
      std::lock_guard hold(lock_);
      ++packets_;
      arrived_.notify_all();
    }
  }
  bool handleMUCRoomCreation(gloox::MUCRoom*) override { return true; }
  void handleMUCSubject(gloox::MUCRoom*, const std::string&, const std::string&) override {}
  void handleMUCInviteDecline(gloox::MUCRoom*, const gloox::JID&, const std::string&) override {}
  void handleMUCError(gloox::MUCRoom*, gloox::StanzaError) override {}
  void handleMUCInfo(gloox::MUCRoom*, int, const std::string&, const gloox::DataForm*) override {}
  void handleMUCItems(gloox::MUCRoom*, const gloox::Disco::ItemList&) override {}

 private:
  gloox::Client client_;
  std::unique_ptr<gloox::MUCRoom> room_;
  std::thread thread_;
  std::mutex lock_;
  std::condition_variable arrived_;
  int packets_ = 0;
  std::atomic<bool> stop_{false}, joined_{false};
  std::vector<std::string> outbox_;
  TDRL::ChunkReassembler reassembler_;
};

std::unique_ptr<kx2test::PeerProcess> StartProsody() {
  const auto folder = std::filesystem::temp_directory_path() / ("bench-xmpp-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  return kx2test::PeerProcess::StartPythonPeer("prosody_peer.py", {folder.string()});
}

// Room to room: the second room of the chat room sends, the first one's handler takes it.
void RoomToRoom(benchmark::State& state) {
  auto prosody = StartProsody();
  if (!prosody) {
    state.SkipWithError("prosody is not installed");
    return;
  }
  ::setenv("KX2_TENDRIL_XMPP", ("127.0.0.1:" + std::to_string(prosody->Port())).c_str(), 1);
  ::setenv("KX2_TENDRIL_SERVER", "127.0.0.1:1", 1);  // no TCP link: the chat room carries it
  VtlGetApplication();
  vantorel::SetCollabAccount(true, u"ann@example.org");
  ITendril* tendril = GetTendrilInterface();
  tendril->SetHostObject(vantorel::CollabHost());
  IXmppMeetingManager* manager = tendril->GetMeetingManager();
  IMeetingRoom* receiver = manager->FindMeetingRoomById(manager->CreateMeetingRoom("bench"));
  if (!PumpUntil([&] { return receiver->GetFirstFlag() == 1; })) state.SkipWithError("the first room did not enter");
  // Not the master now: a master without a book would refuse the newcomer.
  receiver->SetFirstFlag(0);
  IMeetingRoom* sender = manager->FindMeetingRoomById(manager->CreateMeetingRoom("bench"));
  // The second room enters as a member of the first one's chat room.
  if (!PumpUntil([&] { return receiver->GetInformationUnit()->GetConnectedUserCount() == 2; })) {
    state.SkipWithError("the second room did not enter");
  }
  std::vector<double> trips;
  for (auto _ : state) {
    trips.clear();
    for (int i = 0; i < kTrips; ++i) {
      receiver->SetFirstFlag(0);
      TDRL::Packet packet = Marker("bench");
      const auto start = Clock::now();
      // The room's own channel: no TCP link, so the chat room.
      TDRL_SendThroughRoomForTest(sender, packet);
      if (!PumpUntil([&] { return receiver->GetFirstFlag() == 1; })) {
        state.SkipWithError("a packet did not arrive");
        break;
      }
      trips.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    state.counters["median_us"] = Median(trips);
  }
  tendril->Uninit();
  DestroyTendril();
  ::unsetenv("KX2_TENDRIL_XMPP");
  ::unsetenv("KX2_TENDRIL_SERVER");
}
BENCHMARK(RoomToRoom)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The peer: two bare gloox clients passing the same chunks.
void BareGloox(benchmark::State& state) {
  auto prosody = StartProsody();
  if (!prosody) {
    state.SkipWithError("prosody is not installed");
    return;
  }
  BareClient a(prosody->Port(), "peer", "a");
  BareClient b(prosody->Port(), "peer", "b");
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!(a.Joined() && b.Joined()) && Clock::now() < deadline) std::this_thread::yield();
  const std::vector<std::string> chunks = TDRL::MakeChunks(1, TDRL::EncodePacketText(Marker("bench")));
  std::vector<double> trips;
  for (auto _ : state) {
    trips.clear();
    for (int i = 0; i < kTrips; ++i) {
      const auto start = Clock::now();
      a.Say(chunks);
      if (!b.WaitPacket()) {
        state.SkipWithError("a packet did not arrive");
        break;
      }
      trips.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    state.counters["median_us"] = Median(trips);
  }
}
BENCHMARK(BareGloox)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

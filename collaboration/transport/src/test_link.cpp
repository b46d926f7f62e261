#include <tendril/link_testing.h>

#include <chrono>
#include <mutex>
#include <thread>

#include <tendril/server_link.h>

#include "callback_service.h"

namespace TDRL {

struct TestLinkChannel::Impl final : ClientModule::ILinkOwner {
  explicit Impl(IMeetingRoom* r) : room(r) { client.SetOwner(this); }
  IMeetingRoom* LinkRoom() override { return room; }

  IMeetingRoom* room;
  std::mutex lock;
  std::vector<std::vector<unsigned char>> fallen;
  // Last: it goes first, and the handlers it waits for may still send through this channel.
  ClientModule::ReactorClient client;
};

TestLinkChannel::TestLinkChannel(IMeetingRoom* room) : impl_(std::make_unique<Impl>(room)) {}

TestLinkChannel::~TestLinkChannel() = default;

bool TestLinkChannel::Send(Packet& packet) {
  if (impl_->client.SendPacketToServer(packet)) return true;
  std::lock_guard hold(impl_->lock);
  impl_->fallen.emplace_back(packet.Data(), packet.Data() + packet.TotalSize());
  return true;
}

int TestLinkChannel::Connect() { return impl_->client.ConnectToServer(nullptr); }

bool TestLinkChannel::WaitSettled(int ms) { return impl_->client.WaitSettled(ms); }

bool TestLinkChannel::IsOpen() { return impl_->client.IsOpen(); }

bool TestLinkChannel::IsClosed() { return impl_->client.IsClosed(); }

bool TestLinkChannel::WaitClosed(int ms) { return impl_->client.WaitClosed(ms); }

std::vector<std::vector<unsigned char>> TestLinkChannel::FallenBack() {
  std::lock_guard hold(impl_->lock);
  return impl_->fallen;
}

void TDRL_StopReactorForTest() { ClientModule::ReactorClient::StopReactor(); }

int TDRL_DispatchForTest(ISender* sender, Packet& packet) {
  packet.RewindRead();
  return ClientModule::ClientCallbackServiceForIS::Instance().Dispatch(sender, packet);
}

}  // namespace TDRL

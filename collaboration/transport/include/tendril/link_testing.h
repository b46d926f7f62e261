// A room's sending channel for tests of the server link: packets go to the room's link first,
// and when it does not take them, to a record of what would have left through the chat room,
// as the chat transport will do. No ACE header: tests include it beside the room interfaces.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <tendril/export.h>
#include <tendril/sender.h>

class IMeetingRoom;

namespace TDRL {

class TENDRIL_API TestLinkChannel final : public ISender {
 public:
  explicit TestLinkChannel(IMeetingRoom* room);
  // Closes the link and waits for it.
  ~TestLinkChannel();
  TestLinkChannel(const TestLinkChannel&) = delete;
  TestLinkChannel& operator=(const TestLinkChannel&) = delete;

  bool Send(Packet& packet) override;

  // Starts the connect (KX2_TENDRIL_SERVER); 0 when it started.
  int Connect();
  // Waits until the connect has ended (open or failed); false after `ms`.
  bool WaitSettled(int ms);
  bool IsOpen();
  bool IsClosed();
  // Waits until the link has closed; false after `ms`.
  bool WaitClosed(int ms);
  // The packets that fell back, whole (header and body).
  std::vector<std::vector<unsigned char>> FallenBack();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Ends the reactor's loop and joins its thread.
TENDRIL_API void TDRL_StopReactorForTest();

// Dispatches a packet through the handler table as a link does: the handler's answer (-1 ends
// a link). A receiver that keeps the packet takes its block.
TENDRIL_API int TDRL_DispatchForTest(ISender* sender, Packet& packet);

}  // namespace TDRL

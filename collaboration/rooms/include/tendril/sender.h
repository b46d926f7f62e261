// Where a room's packets leave. Kept apart from the interfaces so that the server link, whose
// ACE headers do not mix with the platform's Windows headers, can implement it.
#pragma once

namespace TDRL {
class Packet;

// Where a room's packets leave: the server link, the chat transport (or a test's recorder).
// A sender that keeps the packet takes its block; whatever is left in the packet is released by
// its owner. Send is the fourth operation; the three before it answer 0.
class ISender {
 public:
  virtual int Reserved1() { return 0; }
  virtual int Reserved2() { return 0; }
  virtual int Reserved3() { return 0; }
  virtual bool Send(Packet& packet) = 0;

 protected:
  ~ISender() = default;
};
}  // namespace TDRL

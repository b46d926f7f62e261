// What MessageBoxW was asked to show, for tests and for hosts that want to relay it.
#pragma once

#include <string>
#include <vector>

#include "win/types.h"

namespace kx2 {

struct KX2_API MessageBoxRecord {
  std::u16string text;
  std::u16string caption;
  UINT type = 0;
  int answer = 0;
};

// Every box shown since the last call, oldest first; the record is emptied.
KX2_API std::vector<MessageBoxRecord> TakeMessageBoxes();
// The number of boxes recorded and not yet taken.
KX2_API size_t PendingMessageBoxes();
// The answer every following box gives (0: back to the default-button rule).
KX2_API void SetMessageBoxAnswer(int answer);
// Whether boxes are also written to standard error (on by default).
KX2_API void SetMessageBoxEcho(bool echo);

}  // namespace kx2

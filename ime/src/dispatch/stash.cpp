// The result stash: a string kept for a window until it is flushed to it as a result.
#include <cstring>

#include "compose/composition.h"
#include "dispatch/control.h"

namespace quel {

void StashString(const uint16_t* text) {
  Bridge& b = TheBridge();
  size_t length = 0;
  while (length < kMaxCharacters && text[length]) ++length;
  std::memset(b.stash, 0, sizeof b.stash);
  std::memcpy(b.stash, text, length * sizeof(uint16_t));
  b.stashPresent = true;
}

int32_t CopyStash(uint16_t* out) {
  const Bridge& b = TheBridge();
  if (!b.stash[0]) return 0;
  size_t length = 0;
  while (length < kMaxCharacters && b.stash[length]) ++length;
  std::memcpy(out, b.stash, length * sizeof(uint16_t));
  out[length] = 0;
  return 1;
}

void ClearStash() {
  Bridge& b = TheBridge();
  std::memset(b.stash, 0, sizeof b.stash);
  b.stashPresent = false;
}

int32_t FlushStash(HWND window) {
  Bridge& b = TheBridge();
  if (!b.stashPresent) return 0;
  size_t length = 0;
  while (length < kMaxCharacters && b.stash[length]) ++length;
  uint16_t text[kTextUnits] = {};
  std::memcpy(text, b.stash, length * sizeof(uint16_t));
  ClearAllBuffers();
  ClearStash();
  return SendResultText(window, text, length);
}

}  // namespace quel

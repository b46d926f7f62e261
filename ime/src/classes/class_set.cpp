// The class set: twenty slots of 16-bit class atoms, 0 meaning empty, and the count of
// occupied slots. Atom 0 is no class (a window whose atom cannot be read reports 0), so it
// is never stored, never matches and serves no window.
#include "classes/class_set.h"

#include <array>

namespace quel {
namespace {

struct ClassSet {
  std::array<WORD, QUEL_CLASS_SLOTS> slots{};
  int count = 0;
};

ClassSet& Set() {
  static ClassSet set;
  return set;
}

WORD AtomOf(UINT value) { return static_cast<WORD>(value & 0xFFFF); }

bool Contains(WORD atom) {
  if (atom == 0) return false;
  for (WORD slot : Set().slots)
    if (slot == atom) return true;
  return false;
}

}  // namespace

bool IsServedWindow(HWND window) {
  if (!window || !IsWindow(window)) return false;
  return Contains(AtomOf(GetClassLongW(window, GCW_ATOM)));
}

void ResetClassSet() { Set() = ClassSet{}; }

}  // namespace quel

using quel::AtomOf;
using quel::Contains;
using quel::Set;

QUEL_API int _ExpImGlobalAdd(UINT value) {
  const WORD atom = AtomOf(value);
  if (atom == 0) return 0;
  if (Contains(atom)) return 1;
  for (WORD& slot : Set().slots) {
    if (slot == 0) {
      slot = atom;
      ++Set().count;
      return 1;
    }
  }
  return 0;
}

QUEL_API int _ExpImGlobalDelete(UINT value) {
  const WORD atom = AtomOf(value);
  if (atom == 0) return 1;
  for (WORD& slot : Set().slots) {
    if (slot == atom) {
      slot = 0;
      --Set().count;
      break;
    }
  }
  return 1;
}

QUEL_API int _ExpImGlobalCmp(UINT index, UINT value) {
  const WORD atom = AtomOf(value);
  return index < QUEL_CLASS_SLOTS && atom != 0 && Set().slots[index] == atom ? 1 : 0;
}

QUEL_API int _ExpImGlobalSize() { return Set().count; }

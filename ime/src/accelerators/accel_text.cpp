// The key text of an accelerator: "Ctrl+Alt+Shift+" and the key's name, the second chord
// after a comma (its key alone when its modifiers are the first chord's).
#include <cstring>

#include <kx2/ErrorBoundary.h>
#include <quel/Accelerators.h>

namespace {

constexpr int kNameUnits = 64;    // a key name: at most 63 characters
constexpr int kChordUnits = 100;  // "Ctrl+Alt+Shift+" and a name fit with room to spare

// Appends text to out (size units); returns the new length.
size_t Append(char16_t* out, size_t at, const char16_t* text) {
  while (*text) out[at++] = *text++;
  out[at] = 0;
  return at;
}

bool IsNavigationKey(uint32_t vk) { return (vk >= 0x21 && vk <= 0x28) || vk == 0x2D || vk == 0x2E; }

// The text of one chord into out (kChordUnits); false for a chord without one.
bool ChordText(uint32_t chord, bool withModifiers, char16_t* out) {
  if (chord == 0) return false;
  const uint32_t vk = chord & 0xFFFF;
  LONG scan = static_cast<LONG>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
  if (scan == 0) return false;
  if (IsNavigationKey(vk)) scan |= 1 << 24;  // the navigation block, not the keypad
  char16_t name[kNameUnits] = {};
  if (GetKeyNameTextW(scan, name, kNameUnits) <= 0 || !name[0]) return false;
  size_t at = 0;
  out[0] = 0;
  if (withModifiers) {
    if (chord & QUEL_CHORD_CTRL) at = Append(out, at, u"Ctrl+");
    if (chord & QUEL_CHORD_ALT) at = Append(out, at, u"Alt+");
    if (chord & QUEL_CHORD_SHIFT) at = Append(out, at, u"Shift+");
  }
  Append(out, at, name);
  return true;
}

}  // namespace

QUEL_API int _ExpAcceleratorString(const tagAccelEntry* entry, char16_t* out) {
  return kx2::Guard(0, [&] {
    if (!entry || !out) return 0;
    char16_t first[kChordUnits];
    if (!ChordText(entry->firstChord, true, first)) return 0;
    char16_t text[QUEL_ACCEL_TEXT_UNITS];
    size_t at = Append(text, 0, first);
    char16_t second[kChordUnits];
    const bool sameModifiers = ((entry->secondChord >> 16) & 0xFF) == ((entry->firstChord >> 16) & 0xFF);
    if (entry->secondChord && ChordText(entry->secondChord, !sameModifiers, second)) {
      at = Append(text, at, u",");
      at = Append(text, at, second);
    }
    std::memcpy(out, text, (at + 1) * sizeof(char16_t));
    return 1;
  });
}

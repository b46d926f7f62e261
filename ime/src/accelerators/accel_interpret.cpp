// Interpreting key-downs of the host's loop as accelerators, waiting in the loop for the
// second chord of a two-chord accelerator.
#include <kx2/ErrorBoundary.h>
#include <quel/Accelerators.h>

#include "bridge/bridge_state.h"
#include "dispatch/languages.h"
#include "keyboard/scan_codes.h"

namespace quel {
namespace {

constexpr UINT kSystemTimer = 0x118;
constexpr DWORD kModifierWaitMs = 20, kWaitMs = 200;

uint32_t ModifierBits() {
  uint32_t bits = 0;
  if (GetKeyState(VK_SHIFT) < 0) bits |= QUEL_CHORD_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) bits |= QUEL_CHORD_CTRL;
  if (GetKeyState(VK_MENU) < 0) bits |= QUEL_CHORD_ALT;
  return bits;
}

bool IsModifierKey(WPARAM key) { return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU; }

uint32_t BridgeLanguage() { return static_cast<uint32_t>(_ExpImControl(nullptr, QUEL_WM_CONTROL, 0x40002, 0)); }

// The key of a key-down the input method took, as the user pressed it.
uint32_t TracedKey(const MSG& msg) {
  uint32_t key = ImmGetVirtualKey(msg.hwnd) & 0xFF;
  if (key == VK_PROCESSKEY && BridgeLanguage() == kSystemMethod) {
    tagImeKeyTraceRequest request{0, 0};
    if (_ExpImRequest(msg.hwnd, QUEL_REQUEST_KEY_TRACE, &request) && request.traceByScanCode)
      key = MapVirtualKeyW((static_cast<UINT>(msg.lParam) >> 16) & 0xFF, MAPVK_VSC_TO_VK) & 0xFF;
  }
  return key;
}

// The key of a keyboard message in the wait: a taken key is traced to its character.
uint32_t WaitKey(const MSG& msg) {
  uint32_t key = static_cast<uint32_t>(msg.wParam & 0xFFFF);
  if (key != VK_PROCESSKEY) return key;
  key = ImmGetVirtualKey(msg.hwnd) & 0xFF;
  if (key != VK_PROCESSKEY) return key;
  const char16_t c = TranslateScanCode((static_cast<UINT>(msg.lParam) >> 16) & 0xFF, VK_PROCESSKEY, 0, 2);
  return c >= u'a' && c <= u'z' ? c - 32u : c;
}

LRESULT SendCommand(HWND window, uint16_t command) {
  // The characters a translated key left queued would type after the command. They are
  // posted messages: with none queued there is nothing to look for.
  if (GetQueueStatus(QS_POSTMESSAGE) >> 16) {
    MSG scratch;
    PeekMessageW(&scratch, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE);
    PeekMessageW(&scratch, nullptr, WM_SYSCHAR, WM_SYSCHAR, PM_REMOVE);
  }
  return SendMessageW(window, WM_COMMAND, command, 0);
}

// The entry from `from` on with both chords; the second as pressed, else (when Ctrl was up)
// with Ctrl added, so that Ctrl+K then D still finds Ctrl+K,Ctrl+D.
const tagAccelEntry* FindPair(const tagAccelTable& table, int32_t from, uint32_t first, uint32_t second) {
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1 && (second & QUEL_CHORD_CTRL)) break;
    const uint32_t wanted = pass == 0 ? second : second | QUEL_CHORD_CTRL;
    for (int32_t i = from; i < table.count; ++i) {
      const tagAccelEntry& e = table.entries[i];
      if (e.firstChord == first && e.secondChord == wanted) return &e;
    }
  }
  return nullptr;
}

// A command sent from the wait: the wait took the host's messages, so an answer of 0 must
// not read as "no accelerator".
LRESULT Consumed(LRESULT answer) { return answer == 0 ? 1 : answer; }

// A thread timer that wakes the wait at the fallback's next mark.
class WakeTimer {
 public:
  void Arm(DWORD elapsed, bool modifierDown) {
    const DWORD mark = modifierDown && elapsed <= kModifierWaitMs ? kModifierWaitMs : kWaitMs;
    const DWORD delay = mark >= elapsed ? mark - elapsed + 1 : 1;
    Disarm();
    id_ = SetTimer(nullptr, 0, delay, nullptr);
  }
  void Disarm() {
    if (id_) KillTimer(nullptr, id_);
    id_ = 0;
  }
  ~WakeTimer() { Disarm(); }

 private:
  UINT_PTR id_ = 0;
};

LRESULT Wait(HWND window, const tagAccelTable& table, MSG* msg, tagAccelPending* pending, int32_t at,
             const tagAccelEntry* fallback, DWORD start) {
  const uint32_t first = table.entries[at].firstChord;
  const uint32_t firstKey = first & 0xFFFF;
  bool released = false;
  bool haveMouse = false;
  LPARAM mouse = 0;
  WakeTimer timer;
  for (;;) {
    if (fallback) {
      const DWORD elapsed = GetTickCount() - start;
      const bool modifierDown = ModifierBits() != 0;
      if ((modifierDown && elapsed > kModifierWaitMs) || elapsed > kWaitMs)
        return Consumed(SendCommand(window, fallback->command));
      timer.Arm(elapsed, modifierDown);
    }
    const BOOL got = GetMessageW(msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg->wParam));
      return 1;
    }
    if (got == -1) return 1;
    const UINT m = msg->message;
    if (m == WM_TIMER || m == WM_PAINT || m == kSystemTimer || m >= WM_USER) {
      DispatchMessageW(msg);
      continue;
    }
    if (m == WM_MOUSEMOVE) {
      if (!haveMouse) {
        haveMouse = true;
        mouse = msg->lParam;
        continue;
      }
      if (msg->lParam == mouse) continue;
      return 0;
    }
    if (m < WM_KEYDOWN || m > 0x109) return 0;
    const uint32_t key = WaitKey(*msg);
    if (key == VK_ESCAPE) return 0;
    const bool keyDown = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
    const bool keyUp = m == WM_KEYUP || m == WM_SYSKEYUP;
    if ((keyUp && key == firstKey) || (keyDown && key != firstKey)) released = true;
    if (!released || !keyDown || IsModifierKey(msg->wParam)) continue;
    const uint32_t second = ModifierBits() | key;
    if (const tagAccelEntry* entry = FindPair(table, at, first, second))
      return Consumed(SendCommand(window, entry->command));
    if (pending && pending->firstChord == 0) {
      pending->firstChord = first;
      pending->secondChord = second;
      return 0;
    }
    return 1;
  }
}

LRESULT Interpret(HWND window, const tagAccelTable* table, MSG* msg, tagAccelPending* pending) {
  if (!table || !msg) return 0;
  if (pending && pending->firstChord && pending->secondChord) {
    int32_t from = -1;
    for (int32_t i = 0; i < table->count && from < 0; ++i)
      if (table->entries[i].firstChord == pending->firstChord && table->entries[i].secondChord) from = i;
    if (from < 0) return 0;
    const tagAccelEntry* entry = FindPair(*table, from, pending->firstChord, pending->secondChord);
    return entry ? SendCommand(window, entry->command) : 1;
  }
  if ((msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) || IsModifierKey(msg->wParam) || Info().composing)
    return 0;
  uint32_t key = static_cast<uint32_t>(msg->wParam & 0xFFFF);
  if (key == VK_PROCESSKEY) key = TracedKey(*msg);
  const uint32_t first = ModifierBits() | key;
  for (int32_t i = 0; i < table->count; ++i) {
    const tagAccelEntry& entry = table->entries[i];
    if (entry.firstChord != first) continue;
    if (entry.secondChord) {
      const tagAccelEntry* fallback = nullptr;
      for (int32_t j = i + 1; j < table->count && !fallback; ++j)
        if (table->entries[j].firstChord == first && !table->entries[j].secondChord) fallback = &table->entries[j];
      return Wait(window, *table, msg, pending, i, fallback, GetTickCount());
    }
    if (SendCommand(window, entry.command) != -1) return 1;
    bool later = false;
    for (int32_t j = i + 1; j < table->count && !later; ++j) later = table->entries[j].firstChord == first;
    if (!later) return 0;
  }
  return 0;
}

}  // namespace
}  // namespace quel

QUEL_API LRESULT _ExpAcceleratorInterpretWithKey(HWND window, const tagAccelTable* table, MSG* msg,
                                                 tagAccelPending* pending) {
  return kx2::Guard(LRESULT{0}, [&] { return quel::Interpret(window, table, msg, pending); });
}

QUEL_API LRESULT _ExpAcceleratorInterpret(HWND window, const tagAccelTable* table, MSG* msg) {
  return _ExpAcceleratorInterpretWithKey(window, table, msg, nullptr);
}

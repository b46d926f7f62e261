// Fuzzes the accelerators. Byte-coded: a table (entries with random chords, zero commands,
// counts -1, negative or past the array), key texts of random entries into a guarded
// 158-unit buffer, and interpretations of key-downs (modifiers held, taken keys with scan
// codes, composing flag) whose two-chord waits take scripted events from the idle handler:
// keys, clock steps, mouse moves, clicks, posted messages and quits; the window answers
// commands with -1, 0 or 1; pending records empty or filled. Each input ends with the table
// freed and the queue empty; the one window lives across inputs (making windows is what
// would otherwise take the time).
#include <cstdint>
#include <cstring>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/IdleHandler.h>
#include <kx2/InputState.h>
#include <quel/Accelerators.h>

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t next() { return at < size ? data[at++] : 0; }
  uint32_t word() { return next() | next() << 8; }
  uint32_t dword() { return word() | word() << 16; }
};

Reader* g_in = nullptr;
HWND g_window = nullptr;
int g_idleSteps = 0;

LRESULT CALLBACK Commands(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    if (!g_in) return 0;
    const uint8_t how = g_in->next() % 3;
    return how == 0 ? -1 : how == 1 ? 0 : 1;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

const UINT kKeys[] = {'A',        'D',     'K',      'X',       VK_F5,         VK_F6,     VK_ESCAPE, VK_SHIFT,
                      VK_CONTROL, VK_MENU, VK_PRIOR, VK_DELETE, VK_PROCESSKEY, VK_RETURN, VK_SPACE,  '1'};

uint32_t Chord(Reader& in) {
  const uint8_t how = in.next();
  if (how & 0x80) return in.dword();
  return (static_cast<uint32_t>(how & 7) << 16) | kKeys[in.next() % 16];
}

// One event for a blocked wait, chosen by the input; after a bounded number, a quit.
BOOL Idle(void*) {
  if (!g_in || !g_in->more() || ++g_idleSteps > 64) {
    PostQuitMessage(3);
    return TRUE;
  }
  Reader& in = *g_in;
  switch (in.next() % 8) {
    case 0:
    case 1:
      Kx2InjectKey(kKeys[in.next() % 16], in.next() & 1);
      break;
    case 2:
      Kx2ClockAdvance(in.next());
      break;
    case 3:
      Kx2InjectMouseMove(static_cast<LONG>(in.next()), static_cast<LONG>(in.next()));
      break;
    case 4:
      Kx2InjectMouseButton(VK_LBUTTON, in.next() & 1);
      break;
    case 5:
      PostMessageW(g_window, WM_KEYDOWN, VK_PROCESSKEY, static_cast<LPARAM>(in.next()) << 16);
      break;
    case 6:
      PostMessageW(g_window, in.next() & 1 ? WM_USER + 1 : WM_TIMER, 0, 0);
      break;
    default:
      PostQuitMessage(static_cast<int>(in.next()));
      break;
  }
  // An event that changed nothing (a zero clock step, a key-up of a key not down) would let
  // the thread block for good: a message the wait dispatches keeps it going.
  PostMessageW(g_window, WM_USER + 2, 0, 0);
  return TRUE;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Kx2ClockSetManual(TRUE, 1000);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Commands;
  wc.lpszClassName = u"QuelFuzzAccelerators";
  RegisterClassW(&wc);
  g_window = CreateWindowExW(0, u"QuelFuzzAccelerators", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  g_in = &in;
  g_idleSteps = 0;
  SetFocus(g_window);
  // The array always ends with a zero command, so that count -1 stops inside it.
  std::vector<tagAccelEntry> entries(in.next() % 12 + 1);
  for (size_t i = 0; i + 1 < entries.size(); ++i)
    entries[i] = tagAccelEntry{Chord(in), in.next() & 1 ? Chord(in) : 0,
                               static_cast<uint16_t>(in.next() % 4 ? in.next() + 1 : 0), 0};
  entries.back() = tagAccelEntry{};
  const uint8_t countKind = in.next() % 4;
  const int32_t count = countKind == 0   ? -1
                        : countKind == 1 ? -2 - static_cast<int32_t>(in.next())
                                         : static_cast<int32_t>(in.next() % entries.size());
  tagAccelTable* table = _ExpAcceleratorCreate(entries.data(), count);
  if (count < -1 && table) __builtin_trap();
  tagAccelEntry copy[16];
  if (_ExpAcceleratorCopy(table, copy, static_cast<int32_t>(in.next() % 20) - 2) > 16) __builtin_trap();
  Kx2SetIdleHandler(&Idle, nullptr);
  for (int steps = 0; in.more() && steps < 40; ++steps) {
    switch (in.next() % 4) {
      case 0: {  // a key text into a guarded buffer
        char16_t buffer[QUEL_ACCEL_TEXT_UNITS + 8];
        for (char16_t& c : buffer) c = u'#';
        const tagAccelEntry entry{Chord(in), Chord(in), 1, 0};
        if (_ExpAcceleratorString(&entry, buffer)) {
          size_t length = 0;
          while (length < QUEL_ACCEL_TEXT_UNITS && buffer[length]) ++length;
          if (length >= QUEL_ACCEL_TEXT_UNITS) __builtin_trap();
        }
        for (size_t i = QUEL_ACCEL_TEXT_UNITS; i < QUEL_ACCEL_TEXT_UNITS + 8; ++i)
          if (buffer[i] != u'#') __builtin_trap();
        break;
      }
      case 1: {  // the binding of a command
        tagAccelEntry found{};
        _ExpAcceleratorBinding(table, static_cast<uint16_t>(in.next()), in.next() & 1 ? &found : nullptr);
        break;
      }
      default: {  // a key-down, interpreted
        for (UINT modifier : {VK_SHIFT, VK_CONTROL, VK_MENU}) Kx2SetThreadKeyState(modifier, in.next() & 0x80);
        MSG msg{g_window, static_cast<UINT>(in.next() & 1 ? WM_KEYDOWN : WM_SYSKEYDOWN), kKeys[in.next() % 16],
                static_cast<LPARAM>(in.next()) << 16};
        tagAccelPending pending{};
        if (in.next() & 1) pending = {Chord(in), in.next() & 1 ? Chord(in) : 0};
        const uint8_t how = in.next() % 3;
        _ExpAcceleratorInterpretWithKey(how == 2 ? nullptr : g_window, table, how == 1 ? nullptr : &msg,
                                        in.next() & 1 ? &pending : nullptr);
        break;
      }
    }
  }
  Kx2SetIdleHandler(nullptr, nullptr);
  _ExpAcceleratorRelease(table);
  g_in = nullptr;
  // Dispatched, so that painting is done and the queue runs dry.
  MSG msg;
  for (int i = 0; i < 1024 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&msg);
  Kx2ResetInput();
  for (UINT modifier : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON}) Kx2SetThreadKeyState(modifier, 0);
  if (Kx2LiveWindowCount() != 1) __builtin_trap();
  return 0;
}

// Fuzzes the bridge's dispatcher. Byte-coded steps: _ExpImControl calls (every message,
// sub-code and operation, with values that are numbers, a buffer or null), scripted
// compositions of random text, attributes, clauses, cursor and delta, the host's answers
// (0, 1, a last word, caret records with odd values, calls back into the bridge), focus
// changes between two host windows and one outside the served classes, windows destroyed,
// shutdown and prepare again. Each input ends with the bridge shut down, its class set and
// procedures' state emptied; the three windows live across inputs (made again when an input
// destroyed one), as making windows is what would otherwise take the time.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/IdleHandler.h>
#include <kx2/ImeScript.h>
#include <kx2/InputState.h>
#include <quel/Quel.h>

#include "bridge/bridge_state.h"
#include "classes/class_set.h"
#include "openclose/open_close.h"

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
int g_reentry = 0;

LRESULT CALLBACK Host(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case QUEL_WM_NOTIFY: {
      if (!lParam) __builtin_trap();
      if (!g_in) return 0;
      const uint8_t how = g_in->next();
      if (wParam == QUEL_NOTIFY_CARET) {
        auto* caret = reinterpret_cast<tagImeCaretInfo*>(lParam);
        caret->left = static_cast<int32_t>(g_in->dword());
        caret->top = static_cast<int32_t>(g_in->dword());
        caret->right = static_cast<int32_t>(g_in->dword());
        caret->caretX = static_cast<int32_t>(g_in->dword());
        caret->caretTop = static_cast<int32_t>(g_in->dword());
        caret->caretHeight = static_cast<int32_t>(g_in->dword());
        caret->marker = how & 1 ? QUEL_CARET_KEEP : 0;
        return 1;
      }
      auto* record = reinterpret_cast<tagImeCompNotify*>(lParam);
      // The record is whole and terminated within its 320 units.
      size_t length = 0;
      while (length < 320 && record->text[length]) ++length;
      if (length >= 320) __builtin_trap();
      if (how & 2) record->lastWord = static_cast<uint16_t>(g_in->word());
      // Back into the bridge from inside the notification, at most a few levels.
      if ((how & 4) && g_reentry < 3) {
        ++g_reentry;
        _ExpImControl(hwnd, QUEL_WM_CONTROL, g_in->dword(), how & 8 ? 0 : g_in->dword());
        --g_reentry;
      }
      return how >> 6;
    }
    case QUEL_WM_REQUEST: {
      if (!lParam) __builtin_trap();
      if (!g_in) return 0;
      const uint8_t how = g_in->next();
      if ((wParam & 0xFFFF) == QUEL_REQUEST_VISIBLE_WINDOW)
        *reinterpret_cast<HWND*>(lParam) = how & 1 ? hwnd : reinterpret_cast<HWND>(uintptr_t{g_in->dword()});
      return how >> 7;
    }
    case QUEL_WM_RELAY:
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ACTIVATEAPP:
      _ExpImControl(hwnd, message, wParam, lParam);
      break;
    case WM_INPUTLANGCHANGE:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
      return _ExpImControl(hwnd, message, wParam, lParam);
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Pump() {
  MSG msg;
  for (int i = 0; i < 512 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (_ExpImControl(nullptr, QUEL_WM_PRETRANSLATE, reinterpret_cast<WPARAM>(&msg), 0) == 1) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::string Quoted(Reader& in, size_t length) {
  static const char* const kPieces[] = {"a", "\\u3042", "\\u4e2d", "\\ud55c", " ", ",", "\\u3000", "x"};
  std::string text = "\"";
  for (size_t i = 0; i < length; ++i) text += kPieces[in.next() % 8];
  return text + "\"";
}

std::string Numbers(Reader& in, const char* name, size_t count) {
  std::string text = std::string(" ") + name;
  for (size_t i = 0; i < count; ++i) text += " " + std::to_string(in.next() % 2 ? in.next() % 8 : in.word());
  return text;
}

// One scripted key with a composition, a result, both, a cancel or nothing.
std::string ScriptLine(Reader& in) {
  const uint8_t kind = in.next();
  std::string line = std::string("key ") + static_cast<char>('A' + kind % 26);
  switch ((kind >> 5) % 6) {
    case 0:
    case 1: {
      const size_t length = in.next() % 2 ? in.next() % 8 : in.word() % 400;
      line += " comp " + Quoted(in, length);
      if (in.next() & 1) line += Numbers(in, "attr", in.next() % 12);
      if (in.next() & 1) line += Numbers(in, "clause", in.next() % 6);
      if (in.next() & 1) line += " cursor " + std::to_string(in.word());
      if (in.next() & 1) line += " delta " + std::to_string(in.word());
      if (in.next() & 1) line += " read " + Quoted(in, in.next() % 6);
      break;
    }
    case 2:
      line += " result " + Quoted(in, in.next() % 2 ? in.next() % 6 : in.word() % 400);
      break;
    case 3:
      line += " result " + Quoted(in, in.next() % 4) + " comp " + Quoted(in, in.next() % 4);
      break;
    case 4:
      line += " cancel";
      break;
    default:
      break;
  }
  return line + "\n";
}

const UINT kMessages[] = {WM_SETFOCUS,   WM_KILLFOCUS,  WM_ACTIVATEAPP,  WM_INPUTLANGCHANGE,   WM_IME_SETCONTEXT,
                          WM_IME_NOTIFY, QUEL_WM_RELAY, QUEL_WM_CONTROL, QUEL_WM_PRETRANSLATE, 0x1234};
const UINT kMsgKinds[] = {
    WM_KEYDOWN,         WM_SYSKEYDOWN,    WM_CHAR,       WM_IME_STARTCOMPOSITION,   WM_IME_ENDCOMPOSITION,
    WM_IME_COMPOSITION, WM_IME_CHAR,      WM_IME_NOTIFY, WM_INPUTLANGCHANGEREQUEST, WM_INPUTLANGCHANGE,
    WM_LBUTTONDOWN,     WM_IME_SETCONTEXT};
const DWORD kLayouts[] = {0xE0010411, 0xE0010412, 0xE0010804, 0xE0010404, 0x04090409, 0x12345678};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Kx2ClockSetManual(TRUE, 1000);
  for (LPCWSTR name : {u"QuelFuzzHost", u"QuelFuzzOutside"}) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Host;
    wc.lpszClassName = name;
    RegisterClassW(&wc);
  }
  return 0;
}

HWND windows[3] = {};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  g_in = &in;
  ActivateKeyboardLayout(reinterpret_cast<HKL>(uintptr_t{kLayouts[in.next() % 4]}), 0);
  const LPCWSTR classes[3] = {u"QuelFuzzHost", u"QuelFuzzHost", u"QuelFuzzOutside"};
  for (int i = 0; i < 3; ++i) {
    if (!IsWindow(windows[i]))
      windows[i] = CreateWindowExW(0, classes[i], u"", WS_OVERLAPPEDWINDOW | (i == 1 ? 0 : WS_VISIBLE), 0, 0, 100, 40,
                                   nullptr, nullptr, nullptr, nullptr);
  }
  _ExpImGlobalAdd(GetClassLongW(windows[0], GCW_ATOM));
  _ExpImPrepare(windows[0]);
  SetFocus(windows[0]);
  Pump();
  uint16_t buffer[1024] = {};
  for (int steps = 0; in.more() && steps < 300; ++steps) {
    HWND target = windows[in.next() % 3];
    switch (in.next() % 8) {
      case 0:
      case 1: {  // a call
        const UINT message = kMessages[in.next() % 10];
        WPARAM wParam = in.dword();
        if (message == QUEL_WM_CONTROL) {
          wParam = (static_cast<WPARAM>(in.next() % 0x24) << 16) | (in.next() & 1 ? in.word() : 1u << (in.next() % 16));
          if (in.next() == 0xFF) wParam |= WPARAM{1} << 33;
        }
        MSG msg{target, kMsgKinds[in.next() % 12], in.dword(), static_cast<LPARAM>(in.dword())};
        if (msg.message == WM_KEYDOWN && in.next() & 1) msg.wParam = in.next() & 1 ? VK_HANGUL : VK_HANJA;
        if (msg.message == WM_INPUTLANGCHANGEREQUEST) msg.lParam = static_cast<LPARAM>(kLayouts[in.next() % 6]);
        if (message == QUEL_WM_PRETRANSLATE) wParam = in.next() % 8 ? reinterpret_cast<WPARAM>(&msg) : 0;
        const uint8_t valueKind = in.next() % 4;
        LPARAM value = valueKind == 0 ? 0 : valueKind == 1 ? reinterpret_cast<LPARAM>(buffer) : in.dword();
        if (valueKind == 1) {
          for (int i = 0; i < 400; ++i) buffer[i] = static_cast<uint16_t>(in.next() % 4 ? 'a' + i % 26 : 0);
          buffer[1023] = 0;
        }
        // Only a value that is a buffer may be read or written through.
        if (message == QUEL_WM_CONTROL && valueKind >= 2) {
          const UINT sub = static_cast<UINT>(wParam >> 16);
          if (sub == 0x0003 || sub == 0x001C) value = 0;
        }
        _ExpImControl(in.next() & 1 ? target : nullptr, message, wParam, value);
        break;
      }
      case 2: {  // a scripted key
        const std::string line = ScriptLine(in);
        Kx2ImeScript* script = Kx2ImeScriptParse(line.data(), line.size());
        while (Kx2ImeScriptStep(script)) Pump();
        Kx2ImeScriptFree(script);
        break;
      }
      case 3:
        if (IsWindow(target)) SetFocus(target);
        Pump();
        break;
      case 4: {  // the input method changes state
        const char* lines[] = {
            "open\n",    "close\n", "hangul\n", "hanja\n", "fail\n", "layout 0xE0010412\n", "layout 0xE0010411\n",
            "mode 9 0\n"};
        const char* line = lines[in.next() % 8];
        Kx2ImeScript* script = Kx2ImeScriptParse(line, strlen(line));
        while (Kx2ImeScriptStep(script)) Pump();
        Kx2ImeScriptFree(script);
        break;
      }
      case 5:  // the host's flags
        _ExpImSystemInformation()->legacy = in.next() & 1;
        _ExpImSystemInformation()->composing = in.next() & 1;
        break;
      case 6:
        if (in.next() % 4 == 0 && IsWindow(target)) DestroyWindow(target);
        Pump();
        break;
      case 7:
        _ExpImControl(nullptr, QUEL_WM_CONTROL, 0x18000, 0);
        if (in.next() & 1) _ExpImPrepare(windows[in.next() % 2]);
        break;
    }
  }
  _ExpImControl(nullptr, QUEL_WM_CONTROL, 0x18000, 0);
  g_in = nullptr;
  Pump();
  quel::ShutDownBridge();
  quel::ResetClassSet();
  quel::ResetOpenCloseState();
  Kx2ImeReset();
  Kx2ResetKeyboardLayout();
  Kx2ResetInput();
  int alive = 0;
  for (HWND w : windows) alive += IsWindow(w) ? 1 : 0;
  if (Kx2LiveWindowCount() != static_cast<UINT>(alive)) __builtin_trap();
  return 0;
}

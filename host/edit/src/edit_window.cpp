// The edit window: its text and caret, the composition on show, and the answers a text
// editor gives the bridge.
#include <vantorel/edit_window.h>

#include <cstdio>
#include <memory>

#include <quel/Quel.h>
#include <win/imm.h>

namespace vantorel::edit {
namespace {

struct EditState {
  std::u16string text;
  size_t caret = 0;
  std::u16string composition;
  int32_t traceByScanCode = 0;
  HWND visible = nullptr;
  std::function<void(const std::string&)> journal;
  tagAccelTable* accelerators = nullptr;
  tagAccelPending pending{};
};

// The window whose accelerators the loop interprets (the last one given some).
HWND g_acceleratorWindow = nullptr;

// Character cell of the caret record (the window draws nothing).
constexpr int32_t kCellWidth = 8, kLineTop = 2, kLineHeight = 16;

// Without a bridge the window is an editor that knows nothing of input methods.
bool BridgeUp() { return _ExpImControl(nullptr, QUEL_WM_CONTROL, 0x10002, 0) != 0; }

EditState* StateOf(HWND window) { return reinterpret_cast<EditState*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

void Log(EditState& state, const std::string& line) {
  if (state.journal) state.journal(line);
}

std::u16string RecordText(const tagImeCompNotify& record) {
  size_t length = 0;
  while (length < 320 && record.text[length]) ++length;
  return std::u16string(reinterpret_cast<const char16_t*>(record.text), length);
}

LRESULT Notification(EditState& state, WPARAM kind, LPARAM data) {
  switch (kind) {
    case QUEL_NOTIFY_COMPOSITION: {
      const auto& record = *reinterpret_cast<const tagImeCompNotify*>(data);
      state.composition = RecordText(record);
      Log(state, "composition " + Quoted(state.composition) + " cursor " + std::to_string(record.cursor));
      return 1;
    }
    case QUEL_NOTIFY_RESULT: {
      const std::u16string result = RecordText(*reinterpret_cast<const tagImeCompNotify*>(data));
      state.composition.clear();
      state.text.insert(state.caret, result);
      state.caret += result.size();
      Log(state, "result " + Quoted(result));
      return 1;
    }
    case QUEL_NOTIFY_CARET: {
      auto& caret = *reinterpret_cast<tagImeCaretInfo*>(data);
      caret = tagImeCaretInfo{0, 0, 400, 0, static_cast<int32_t>(state.caret) * kCellWidth, kLineTop, kLineHeight, 0};
      return 1;
    }
    default:
      return 0;
  }
}

LRESULT Request(EditState& state, WPARAM wParam, LPARAM data) {
  if (!data) return 0;
  switch (wParam & 0xFFFF) {
    case QUEL_REQUEST_KEY_TRACE:
      reinterpret_cast<tagImeKeyTraceRequest*>(data)->traceByScanCode = state.traceByScanCode;
      return 1;
    case QUEL_REQUEST_VISIBLE_WINDOW:
      if (!state.visible) return 0;
      *reinterpret_cast<HWND*>(data) = state.visible;
      return 1;
    default:
      return 0;
  }
}

void Typed(EditState& state, char16_t c) {
  if (c == 8) {
    if (state.caret > 0) state.text.erase(--state.caret, 1);
    return;
  }
  if (c < 0x20) return;
  state.text.insert(state.caret++, 1, c);
  Log(state, "typed " + Quoted(std::u16string(1, c)));
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  EditState* state = StateOf(window);
  switch (message) {
    case WM_CREATE:
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new EditState));
      return 0;
    case WM_NCDESTROY:
      if (state) _ExpAcceleratorRelease(state->accelerators);
      if (g_acceleratorWindow == window) g_acceleratorWindow = nullptr;
      delete state;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    case QUEL_WM_NOTIFY:
      return state ? Notification(*state, wParam, lParam) : 0;
    case QUEL_WM_REQUEST:
      return state ? Request(*state, wParam, lParam) : 0;
    case QUEL_WM_RELAY:
      if (state) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%zX", static_cast<size_t>(wParam));
        Log(*state, std::string("relay ") + hex);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ACTIVATEAPP:
      _ExpImControl(window, message, wParam, lParam);
      break;
    case WM_INPUTLANGCHANGE:
    case WM_IME_SETCONTEXT:
      if (!BridgeUp()) break;
      return _ExpImControl(window, message, wParam, lParam);
    case WM_IME_NOTIFY:
      if (state && wParam == IMN_SETCONVERSIONMODE) {
        DWORD conversion = 0, sentence = 0;
        HIMC context = ImmGetContext(window);
        if (context && ImmGetConversionStatus(context, &conversion, &sentence))
          Log(*state, (conversion & IME_CMODE_NATIVE) ? "conversion native" : "conversion alphanumeric");
      }
      if (!BridgeUp()) break;
      return _ExpImControl(window, message, wParam, lParam);
    case WM_CHAR:
      if (state) Typed(*state, static_cast<char16_t>(wParam));
      return 0;
    case WM_COMMAND:
      if (state) Log(*state, "command " + std::to_string(wParam & 0xFFFF));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterEditClass() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &EditProc;
  wc.lpszClassName = kEditClass;
  static const ATOM atom = RegisterClassW(&wc);
  return atom && _ExpImGlobalAdd(atom);
}

HWND CreateEditWindow(int x, int y, int width, int height) {
  return CreateWindowExW(0, kEditClass, u"", WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr, nullptr, nullptr,
                         nullptr);
}

void SetJournal(HWND window, std::function<void(const std::string&)> journal) {
  if (EditState* state = StateOf(window)) state->journal = std::move(journal);
}

void SetKeyTrace(HWND window, bool traceByScanCode) {
  if (EditState* state = StateOf(window)) state->traceByScanCode = traceByScanCode ? 1 : 0;
}

void SetVisibleSubstitute(HWND window, HWND visible) {
  if (EditState* state = StateOf(window)) state->visible = visible;
}

void SetAccelerators(HWND window, const std::vector<tagAccelEntry>& entries) {
  EditState* state = StateOf(window);
  if (!state) return;
  _ExpAcceleratorRelease(state->accelerators);
  state->accelerators = nullptr;
  state->pending = {};
  if (entries.empty()) {
    if (g_acceleratorWindow == window) g_acceleratorWindow = nullptr;
    return;
  }
  state->accelerators = _ExpAcceleratorCreate(entries.data(), static_cast<int32_t>(entries.size()));
  g_acceleratorWindow = window;
}

bool InterpretAccelerators(MSG& msg) {
  HWND window = g_acceleratorWindow;
  EditState* state = window ? StateOf(window) : nullptr;
  if (!state || !state->accelerators) return false;
  const LRESULT result = _ExpAcceleratorInterpretWithKey(window, state->accelerators, &msg, &state->pending);
  if (state->pending.firstChord) {
    // A sequence no entry has: the host drops it.
    char text[64];
    std::snprintf(text, sizeof text, "no command for 0x%X,0x%X", state->pending.firstChord, state->pending.secondChord);
    Log(*state, text);
    state->pending = {};
  }
  return result != 0;
}

std::u16string Text(HWND window) {
  const EditState* state = StateOf(window);
  return state ? state->text : std::u16string();
}

std::u16string Composition(HWND window) {
  const EditState* state = StateOf(window);
  return state ? state->composition : std::u16string();
}

}  // namespace vantorel::edit

// Fuzzes the input-method script and the IMM calls around it. The input is script text, a
// zero byte, then byte-coded calls: after each step played, one call runs (on the live
// context, a destroyed one or a made-up handle; with odd indexes, lengths, layouts and
// focus changes) and the queue is pumped. The recording window reads every composition as
// an input-method-aware editor would. Each input ends with every window and made context gone.
#include <cstdint>
#include <cstring>
#include <vector>

#include "kx2/Clock.h"
#include "kx2/ImeScript.h"
#include "kx2/InputState.h"
#include "win/imm.h"

namespace {

constexpr size_t kMaxSteps = 200;
constexpr size_t kMaxText = 8192;

LRESULT CALLBACK Recorder(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_IME_COMPOSITION) {
    HIMC himc = ImmGetContext(hwnd);
    unsigned char buffer[640];
    for (DWORD index : {GCS_COMPSTR, GCS_COMPATTR, GCS_COMPCLAUSE, GCS_RESULTSTR, GCS_COMPREADSTR}) {
      const LONG got = ImmGetCompositionStringW(himc, index, buffer, sizeof buffer);
      if (got > static_cast<LONG>(sizeof buffer)) __builtin_trap();
    }
    ImmGetCompositionStringW(himc, GCS_CURSORPOS, nullptr, 0);
    ImmReleaseContext(hwnd, himc);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Pump() {
  MSG msg;
  for (int i = 0; i < 256 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t next() { return at < size ? data[at++] : 0; }
  DWORD word() { return next() | next() << 8; }
};

const DWORD kLayouts[] = {0x04090409, 0xE0010411, 0x04110411, 0xE0010412, 0xE0010804, 0xE0010404, 0x12345678, 1, 0};

void Call(Reader& in, HWND windows[2], HIMC& made, HIMC stale) {
  HIMC live = ImmGetContext(windows[0]);
  HIMC pick[] = {live, made, stale, reinterpret_cast<HIMC>(uintptr_t{0xBAD0}), nullptr};
  HIMC himc = pick[in.next() % 5];
  switch (in.next() % 12) {
    case 0: {
      static unsigned char buffer[1024];
      const DWORD length = in.word() % (sizeof buffer + 1);
      const DWORD index = in.next() % 2 ? (1u << (in.next() % 14)) : in.word();
      const LONG got = ImmGetCompositionStringW(himc, index, length ? buffer : nullptr, length);
      // The cursor and delta start answer their value, not a size.
      const bool value = index == GCS_CURSORPOS || index == GCS_DELTASTART;
      if (!value && length && got > static_cast<LONG>(length)) __builtin_trap();
      break;
    }
    case 1:
      ImmNotifyIME(himc, in.next() % 2 ? NI_COMPOSITIONSTR : in.next(), in.next() % 5, 0);
      break;
    case 2:
      ImmSetOpenStatus(himc, in.next() % 2);
      break;
    case 3:
      ImmSetConversionStatus(himc, in.next(), in.next());
      break;
    case 4: {
      if (made) ImmDestroyContext(made);
      made = in.next() % 2 ? ImmCreateContext() : nullptr;
      break;
    }
    case 5:
      ImmAssociateContext(windows[in.next() % 2], himc);
      break;
    case 6: {
      COMPOSITIONFORM form{in.next(), POINT{static_cast<LONG>(in.word()), 3}, RECT{}};
      ImmSetCompositionWindow(himc, in.next() % 4 ? &form : nullptr);
      ImmGetCompositionWindow(himc, &form);
      break;
    }
    case 7: {
      CANDIDATEFORM form{static_cast<DWORD>(in.next() % 6), CFS_CANDIDATEPOS, POINT{1, 2}, RECT{}};
      ImmSetCandidateWindow(himc, &form);
      ImmGetCandidateWindow(himc, in.next() % 6, &form);
      break;
    }
    case 8:
      SetFocus(windows[in.next() % 2]);
      break;
    case 9:
      ActivateKeyboardLayout(reinterpret_cast<HKL>(uintptr_t{kLayouts[in.next() % 9]}), 0);
      ImmGetProperty(GetKeyboardLayout(0), in.next() % 2 ? IGP_PROPERTY : in.word());
      break;
    case 10:
      ImmGetVirtualKey(windows[in.next() % 2]);
      SendMessageW(windows[0], WM_INPUTLANGCHANGEREQUEST, 0, static_cast<LPARAM>(kLayouts[in.next() % 9]));
      break;
    case 11: {
      WCHAR name[16];
      GetKeyNameTextW(static_cast<LONG>(in.word() << 16 | in.word()), name, in.next() % 17);
      MapVirtualKeyW(in.word(), in.next() % 5);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    Kx2ClockSetManual(TRUE, 1000);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Recorder;
    wc.lpszClassName = u"FuzzImeRecorder";
    RegisterClassW(&wc);
    return true;
  }();
  (void)ready;
  const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t textSize = std::min(zero ? static_cast<size_t>(zero - data) : size, kMaxText);
  Reader calls{zero ? zero + 1 : data + size, zero ? size - static_cast<size_t>(zero - data) - 1 : 0};

  HWND windows[2];
  windows[0] = CreateWindowExW(0, u"FuzzImeRecorder", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
  windows[1] = CreateWindowExW(0, u"FuzzImeRecorder", u"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, windows[0], nullptr,
                               nullptr, nullptr);
  SetFocus(windows[0]);
  ActivateKeyboardLayout(reinterpret_cast<HKL>(uintptr_t{0xE0010411}), 0);
  HIMC stale = ImmCreateContext();
  ImmDestroyContext(stale);
  HIMC made = nullptr;

  Kx2ImeScript* script = Kx2ImeScriptParse(reinterpret_cast<const char*>(data), textSize);
  Kx2ImeScriptBadLine(script);
  for (size_t step = 0; step < kMaxSteps && Kx2ImeScriptStep(script); ++step) {
    Pump();
    if (calls.at < calls.size) Call(calls, windows, made, stale);
    Pump();
  }
  while (calls.at < calls.size) {
    Call(calls, windows, made, stale);
    Pump();
  }
  Kx2ImeScriptFree(script);

  DestroyWindow(windows[0]);
  Pump();
  if (made) ImmDestroyContext(made);
  Kx2ImeReset();
  Kx2ResetKeyboardLayout();
  Kx2ResetInput();
  return 0;
}

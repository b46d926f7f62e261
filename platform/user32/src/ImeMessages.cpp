// DefWindowProcW's input-method and layout messages: a layout change asked for is made and
// reported; a committed result arrives as WM_IME_CHAR, then as WM_CHAR, so that windows
// knowing nothing of input methods still get the text.
#include "ImeMessages.h"

#include <vector>

#include "kx2/ImeScript.h"
#include "win/imm.h"

namespace kx2::user32 {
namespace {

// The character set WM_INPUTLANGCHANGE reports for a layout's language.
WPARAM CharsetOf(HKL hkl) {
  const WORD lang = static_cast<WORD>(reinterpret_cast<uintptr_t>(hkl) & 0xFFFF);
  switch (lang & 0x3FF) {
    case 0x11:
      return 128;  // SHIFTJIS_CHARSET
    case 0x12:
      return 129;  // HANGUL_CHARSET
    case 0x04:
      return (lang == 0x0804 || lang == 0x1004) ? 134 : 136;  // GB2312, CHINESEBIG5
    default:
      return 0;
  }
}

void PostResultCharacters(HWND hwnd) {
  HIMC himc = ImmGetContext(hwnd);
  if (!himc) return;
  const LONG bytes = ImmGetCompositionStringW(himc, GCS_RESULTSTR, nullptr, 0);
  if (bytes > 0) {
    std::vector<char16_t> text(static_cast<size_t>(bytes) / 2 + 1);
    const LONG got = ImmGetCompositionStringW(himc, GCS_RESULTSTR, text.data(), static_cast<DWORD>(bytes));
    for (LONG i = 0; got > 0 && i < got / 2; ++i) PostMessageW(hwnd, WM_IME_CHAR, text[static_cast<size_t>(i)], 1);
  }
  ImmReleaseContext(hwnd, himc);
}

}  // namespace

bool DefaultImeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_INPUTLANGCHANGEREQUEST: {
      HKL hkl = reinterpret_cast<HKL>(lParam);
      if (!ActivateKeyboardLayout(hkl, 0)) return true;
      SendMessageW(hwnd, WM_INPUTLANGCHANGE, CharsetOf(hkl), lParam);
      *result = 1;
      return true;
    }
    case WM_INPUTLANGCHANGE:
      *result = 1;
      return true;
    case WM_IME_SETCONTEXT:
      Kx2ImeSetShowFlags(hwnd, lParam);
      return true;
    case WM_IME_COMPOSITION:
      if (lParam & GCS_RESULTSTR) PostResultCharacters(hwnd);
      return true;
    case WM_IME_CHAR:
      PostMessageW(hwnd, WM_CHAR, wParam, lParam);
      return true;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_NOTIFY:
    case WM_IME_CONTROL:
    case WM_IME_COMPOSITIONFULL:
    case WM_IME_SELECT:
    case WM_IME_REQUEST:
    case WM_IME_KEYDOWN:
    case WM_IME_KEYUP:
      return true;
    default:
      return false;
  }
}

}  // namespace kx2::user32

// The open/close procedures. Each marks itself busy while it runs, so that the notification
// handling can tell a change it makes from one the user makes. The remembered context is
// the one a procedure made (Japanese, default) or took from the window (Chinese); it is
// never a destroyed one: whoever destroys it forgets it.
#include "openclose/open_close.h"

#include <basalt/base_api.h>
#include <kx2/ErrorBoundary.h>
#include <win/nls.h>

namespace quel {
namespace {

struct OpenCloseState {
  HIMC remembered = nullptr;
  DWORD savedConversion = 0;
  DWORD savedSentence = 0;
  bool saved = false;
  HIMC previousJapanese = nullptr;
  HIMC previousDefault = nullptr;
  int busyDepth = 0;
  int resultFlag = 0;
  UINT codePage = 0;
};

OpenCloseState& State() {
  static OpenCloseState state;
  return state;
}

// Busy from construction to destruction, nesting.
class BusyScope {
 public:
  BusyScope() { ++State().busyDepth; }
  ~BusyScope() { --State().busyDepth; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};

// The remembered context, forgotten first when someone destroyed it behind the bridge's
// back (ImmDestroyContext called directly).
HIMC RememberedIfAlive() {
  OpenCloseState& s = State();
  DWORD conversion = 0, sentence = 0;
  if (s.remembered && !ImmGetConversionStatus(s.remembered, &conversion, &sentence)) s.remembered = nullptr;
  return s.remembered;
}

// A window that is gone gives way to the focus window.
HWND Checked(HWND window) { return IsWindow(window) ? window : GetFocus(); }

// The Chinese procedures: the window's own context, its modes saved on close and restored
// (native added) on open.
int OpenCloseChinese(HWND window, int open, bool simplified) {
  OpenCloseState& s = State();
  HIMC context = ImmGetContext(window);
  if (!context) return 0;
  s.remembered = context;
  if (open) {
    if (s.saved) {
      ImmSetConversionStatus(context, s.savedConversion | IME_CMODE_NATIVE, s.savedSentence);
      s.saved = false;
      if (simplified)
        SendMessageW(window, WM_INPUTLANGCHANGEREQUEST, 1,
                     static_cast<LPARAM>(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0))));
    }
  } else if (!s.saved) {
    DWORD conversion = 0, sentence = 0;
    if (ImmGetConversionStatus(context, &conversion, &sentence)) {
      s.savedConversion = conversion;
      s.savedSentence = sentence;
      s.saved = true;
    }
    if (simplified)
      SendMessageW(window, WM_INPUTLANGCHANGEREQUEST, 0, _Kx2GetWinVersion() == 1 ? 0x04090409 : 0x08040804);
  }
  ImmSetOpenStatus(context, open ? TRUE : FALSE);
  ImmReleaseContext(window, context);
  s.resultFlag = open ? 1 : 0;
  return 1;
}

// Makes a context, opens it, gives it the mode and associates it with the window, keeping
// the context the window had.
void OpenWithNewContext(HWND window, DWORD conversion, bool applyModes, HIMC& previous) {
  OpenCloseState& s = State();
  HIMC context = ImmCreateContext();
  if (!context) return;
  s.remembered = context;
  ImmSetOpenStatus(context, TRUE);
  if (applyModes) ImmSetConversionStatus(context, conversion, s.savedSentence);
  previous = ImmAssociateContext(Checked(window), context);
}

// The close of the Japanese and default procedures: the made context's modes are saved,
// it is closed and destroyed, and the window gets back the context it had.
int CloseMadeContext(HWND window, HIMC& previous) {
  OpenCloseState& s = State();
  if (HIMC context = RememberedIfAlive()) {
    DWORD conversion = 0, sentence = 0;
    if (ImmGetConversionStatus(context, &conversion, &sentence)) {
      s.savedConversion = conversion;
      s.savedSentence = sentence;
      s.saved = true;
    }
    ImmSetOpenStatus(context, FALSE);
    s.remembered = nullptr;
    ImmDestroyContext(context);
    ImmAssociateContext(Checked(window), previous);
    previous = nullptr;
  } else {
    ImmAssociateContext(Checked(window), nullptr);
  }
  s.resultFlag = 0;
  return 0;
}

bool IsChineseOrJapanese(UINT codePage) { return codePage == 932 || codePage == 936 || codePage == 950; }

// The code page of the keyboard layout's language. A failed read, or a text that is no
// valid code page, keeps the one known before.
void ReadLayoutCodePage() {
  char16_t text[16] = {};
  const LCID language = static_cast<LCID>(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)) & 0xFFFF);
  if (!Basalt::Util::BaseAPI::_GetLocaleInfo(language, LOCALE_IDEFAULTANSICODEPAGE, text, 16)) return;
  text[15] = 0;
  UINT value = 0;
  if (ParseCodePage(text, &value)) State().codePage = value;
}

}  // namespace

int OpenCloseTraditionalChinese(HWND window, int open) {
  return kx2::Guard(0, [&] {
    BusyScope busy;
    return OpenCloseChinese(window, open, false);
  });
}

int OpenCloseSimplifiedChinese(HWND window, int open) {
  return kx2::Guard(0, [&] {
    BusyScope busy;
    return OpenCloseChinese(window, open, true);
  });
}

int OpenCloseJapanese(HWND window, int open) {
  return kx2::Guard(0, [&] {
    BusyScope busy;
    OpenCloseState& s = State();
    if (!open) return CloseMadeContext(window, s.previousJapanese);
    if (RememberedIfAlive())
      ImmAssociateContext(Checked(window), s.remembered);
    else
      OpenWithNewContext(window, s.savedConversion | IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE, true, s.previousJapanese);
    s.resultFlag = 1;
    return 1;
  });
}

int OpenCloseDefault(HWND window, int open) {
  return kx2::Guard(0, [&] {
    BusyScope busy;
    OpenCloseState& s = State();
    if (!open) return CloseMadeContext(window, s.previousDefault);
    if (_Kx2GetWinVersion() > 4) ReadLayoutCodePage();
    if (RememberedIfAlive()) {
      ImmAssociateContext(Checked(window), s.remembered);
    } else {
      const DWORD added = IsChineseOrJapanese(s.codePage) ? 0x19 : 0x11;
      OpenWithNewContext(window, s.savedConversion | added, s.saved, s.previousDefault);
    }
    s.resultFlag = 1;
    return s.resultFlag;
  });
}

bool ParseCodePage(const char16_t* text, UINT* codePage) {
  UINT value = 0;
  int digits = 0;
  for (const char16_t* p = text; *p; ++p, ++digits) {
    if (*p < u'0' || *p > u'9' || digits >= 5) return false;
    value = value * 10 + static_cast<UINT>(*p - u'0');
  }
  if (digits == 0 || value == 0 || value > 0xFFFF || !IsValidCodePage(value)) return false;
  *codePage = value;
  return true;
}

OpenCloseProc OpenCloseProcFor(UINT codePage) {
  switch (codePage) {
    case 932:
      return &OpenCloseJapanese;
    case 936:
      return &OpenCloseSimplifiedChinese;
    case 950:
      return &OpenCloseTraditionalChinese;
    default:
      return &OpenCloseDefault;
  }
}

OpenCloseProc ChooseOpenCloseProc() { return OpenCloseProcFor(GetACP()); }

bool OpenCloseBusy() { return State().busyDepth > 0; }
int OpenCloseResultFlag() { return State().resultFlag; }
UINT OpenCloseCodePage() { return State().codePage; }
HIMC RememberedContext() { return State().remembered; }

void ForgetContext(HIMC context) {
  OpenCloseState& s = State();
  if (context && s.remembered == context) s.remembered = nullptr;
}

void ResetOpenCloseState() { State() = OpenCloseState{}; }

}  // namespace quel

// Input contexts: the table, each thread's default context, window associations, open and
// conversion state with their notifications, composition and candidate windows.
#include <map>
#include <unordered_map>

#include "imm/Context.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/ImeScript.h"
#include "user/Keyboard.h"

namespace kx2::imm {
namespace {

struct Table {
  std::unordered_map<uintptr_t, std::shared_ptr<Context>> contexts;
  std::map<DWORD, HIMC> defaults;     // thread -> its default context
  std::map<HWND, HIMC> associations;  // windows given another context (or none: null)
  std::map<HWND, LPARAM> showFlags;   // WM_IME_SETCONTEXT's flags as the window passed them on
  uintptr_t next = 0x10000;
};

Table& State() {
  static auto* table = new Table;
  return *table;
}

HIMC NewContext(DWORD thread, bool isDefault) {
  auto context = std::make_shared<Context>();
  Table& t = State();
  context->handle = reinterpret_cast<HIMC>(t.next);
  t.next += 0x10;
  context->thread = thread;
  context->isDefault = isDefault;
  t.contexts[reinterpret_cast<uintptr_t>(context->handle)] = context;
  return context->handle;
}

// A thread's default context goes with the thread.
struct DefaultContextOwner {
  DWORD thread = 0;
  ~DefaultContextOwner() {
    if (!thread) return;
    std::lock_guard<std::mutex> guard(Lock());
    auto it = State().defaults.find(thread);
    if (it == State().defaults.end()) return;
    State().contexts.erase(reinterpret_cast<uintptr_t>(it->second));
    State().defaults.erase(it);
  }
};
thread_local DefaultContextOwner t_defaultOwner;

// Caller holds the lock.
HIMC DefaultOf(DWORD thread) {
  auto it = State().defaults.find(thread);
  if (it != State().defaults.end()) return it->second;
  HIMC himc = NewContext(thread, true);
  State().defaults[thread] = himc;
  if (thread == GetCurrentThreadId()) t_defaultOwner.thread = thread;
  return himc;
}

// The key an input method took and whether TranslateMessage has seen it (per thread).
struct TakenKey {
  HWND window = nullptr;
  UINT vk = 0;
  uint64_t tag = 0;
  bool translated = true;
};
thread_local TakenKey t_taken;

void Notify(HWND window, WPARAM code, LPARAM data) {
  if (window && IsWindow(window)) SendMessageW(window, WM_IME_NOTIFY, code, data);
}

}  // namespace

std::mutex& Lock() {
  static auto* lock = new std::mutex;
  return *lock;
}

Context* FindContext(HIMC himc) {
  auto it = State().contexts.find(reinterpret_cast<uintptr_t>(himc));
  if (it == State().contexts.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second.get();
}

Context* ContextOfWindow(HWND hwnd) {
  DWORD process = 0;
  const DWORD thread = hwnd ? GetWindowThreadProcessId(hwnd, &process) : 0;
  if (!thread) return nullptr;
  auto it = State().associations.find(hwnd);
  if (it != State().associations.end()) {
    if (!it->second) return nullptr;
    auto found = State().contexts.find(reinterpret_cast<uintptr_t>(it->second));
    if (found != State().contexts.end()) return found->second.get();
    State().associations.erase(it);  // its context was destroyed: back to the default
  }
  return State().contexts[reinterpret_cast<uintptr_t>(DefaultOf(thread))].get();
}

HWND WindowOfContext(const Context& context) {
  HWND focus = GetFocus();
  if (focus && ContextOfWindow(focus) == &context) return focus;
  return context.window && IsWindow(context.window) ? context.window : nullptr;
}

void Deliver(const std::vector<Post>& posts) {
  for (const Post& p : posts)
    if (p.hwnd) PostMessageW(p.hwnd, p.message, p.wParam, p.lParam);
}

void SetContextOnFocus(HWND window, bool gaining) {
  // Windows ask for every part of the input method's interface; DefWindowProcW records
  // what reaches it.
  SendMessageW(window, WM_IME_SETCONTEXT, gaining ? TRUE : FALSE, static_cast<LPARAM>(ISC_SHOWUIALL));
}

void RememberTakenKey(HWND window, UINT vk, uint64_t tag) { t_taken = TakenKey{window, vk, tag, false}; }
uint64_t MarkKeyTranslated() {
  const uint64_t tag = t_taken.translated ? 0 : t_taken.tag;
  t_taken.translated = true;
  return tag;
}
void ForgetTakenKey() { t_taken = TakenKey{}; }

}  // namespace kx2::imm

using namespace kx2::imm;

KX2_EXPORT HIMC ImmCreateContext() {
  return kx2::Guard(HIMC{nullptr}, [&] {
    std::lock_guard<std::mutex> guard(Lock());
    return NewContext(GetCurrentThreadId(), false);
  });
}

KX2_EXPORT BOOL ImmDestroyContext(HIMC hIMC) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::lock_guard<std::mutex> guard(Lock());
    Context* context = FindContext(hIMC);
    if (!context || context->isDefault) return FALSE;
    for (auto it = State().associations.begin(); it != State().associations.end();)
      it = it->second == hIMC ? State().associations.erase(it) : std::next(it);
    State().contexts.erase(reinterpret_cast<uintptr_t>(hIMC));
    return TRUE;
  });
}

KX2_EXPORT HIMC ImmGetContext(HWND hWnd) {
  return kx2::Guard(HIMC{nullptr}, [&]() -> HIMC {
    if (!IsWindow(hWnd)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    std::lock_guard<std::mutex> guard(Lock());
    Context* context = ContextOfWindow(hWnd);
    if (!context) return nullptr;
    if (!context->window || !IsWindow(context->window)) context->window = hWnd;
    return context->handle;
  });
}

KX2_EXPORT BOOL ImmReleaseContext(HWND hWnd, HIMC hIMC) {
  (void)hWnd;
  std::lock_guard<std::mutex> guard(Lock());
  return FindContext(hIMC) ? TRUE : FALSE;
}

KX2_EXPORT HIMC ImmAssociateContext(HWND hWnd, HIMC hIMC) {
  return kx2::Guard(HIMC{nullptr}, [&]() -> HIMC {
    if (!IsWindow(hWnd)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    std::lock_guard<std::mutex> guard(Lock());
    Context* next = nullptr;
    if (hIMC && !(next = FindContext(hIMC))) return nullptr;
    Context* previous = ContextOfWindow(hWnd);
    State().associations[hWnd] = hIMC;
    if (next) next->window = hWnd;
    return previous ? previous->handle : nullptr;
  });
}

KX2_EXPORT BOOL ImmGetOpenStatus(HIMC hIMC) {
  std::lock_guard<std::mutex> guard(Lock());
  Context* context = FindContext(hIMC);
  return context && context->open ? TRUE : FALSE;
}

KX2_EXPORT BOOL ImmSetOpenStatus(HIMC hIMC, BOOL fOpen) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::vector<Post> posts;
    HWND window = nullptr;
    bool changed = false;
    {
      std::lock_guard<std::mutex> guard(Lock());
      Context* context = FindContext(hIMC);
      if (!context) return FALSE;
      const bool open = fOpen != FALSE;
      changed = context->open != open;
      context->open = open;
      // Closing never loses what was typed.
      if (changed && !open) Complete(*context, posts);
      window = WindowOfContext(*context);
    }
    if (changed) Notify(window, IMN_SETOPENSTATUS, 0);
    Deliver(posts);
    return TRUE;
  });
}

KX2_EXPORT BOOL ImmGetConversionStatus(HIMC hIMC, LPDWORD lpfdwConversion, LPDWORD lpfdwSentence) {
  std::lock_guard<std::mutex> guard(Lock());
  Context* context = FindContext(hIMC);
  if (!context) return FALSE;
  if (lpfdwConversion) *lpfdwConversion = context->conversion;
  if (lpfdwSentence) *lpfdwSentence = context->sentence;
  return TRUE;
}

KX2_EXPORT BOOL ImmSetConversionStatus(HIMC hIMC, DWORD fdwConversion, DWORD fdwSentence) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    HWND window = nullptr;
    bool conversionChanged = false, sentenceChanged = false;
    {
      std::lock_guard<std::mutex> guard(Lock());
      Context* context = FindContext(hIMC);
      if (!context) return FALSE;
      conversionChanged = context->conversion != fdwConversion;
      sentenceChanged = context->sentence != fdwSentence;
      context->conversion = fdwConversion;
      context->sentence = fdwSentence;
      window = WindowOfContext(*context);
    }
    if (conversionChanged) Notify(window, IMN_SETCONVERSIONMODE, 0);
    if (sentenceChanged) Notify(window, IMN_SETSENTENCEMODE, 0);
    return TRUE;
  });
}

KX2_EXPORT BOOL ImmSetCompositionWindow(HIMC hIMC, LPCOMPOSITIONFORM lpCompForm) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    HWND window = nullptr;
    {
      std::lock_guard<std::mutex> guard(Lock());
      Context* context = FindContext(hIMC);
      if (!context) return FALSE;
      if (!lpCompForm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      context->compositionForm = *lpCompForm;
      context->hasCompositionForm = true;
      window = WindowOfContext(*context);
    }
    Notify(window, IMN_SETCOMPOSITIONWINDOW, 0);
    return TRUE;
  });
}

KX2_EXPORT BOOL ImmGetCompositionWindow(HIMC hIMC, LPCOMPOSITIONFORM lpCompForm) {
  std::lock_guard<std::mutex> guard(Lock());
  Context* context = FindContext(hIMC);
  if (!context || !lpCompForm || !context->hasCompositionForm) return FALSE;
  *lpCompForm = context->compositionForm;
  return TRUE;
}

KX2_EXPORT BOOL ImmSetCandidateWindow(HIMC hIMC, LPCANDIDATEFORM lpCandidate) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    HWND window = nullptr;
    DWORD index = 0;
    {
      std::lock_guard<std::mutex> guard(Lock());
      Context* context = FindContext(hIMC);
      if (!context) return FALSE;
      if (!lpCandidate || lpCandidate->dwIndex > 3) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      index = lpCandidate->dwIndex;
      context->candidateForm[index] = *lpCandidate;
      context->hasCandidateForm[index] = true;
      window = WindowOfContext(*context);
    }
    Notify(window, IMN_SETCANDIDATEPOS, static_cast<LPARAM>(1u << index));
    return TRUE;
  });
}

KX2_EXPORT BOOL ImmGetCandidateWindow(HIMC hIMC, DWORD dwIndex, LPCANDIDATEFORM lpCandidate) {
  std::lock_guard<std::mutex> guard(Lock());
  Context* context = FindContext(hIMC);
  if (!context || !lpCandidate || dwIndex > 3 || !context->hasCandidateForm[dwIndex]) return FALSE;
  *lpCandidate = context->candidateForm[dwIndex];
  return TRUE;
}

KX2_EXPORT BOOL ImmIsIME(HKL hKL) {
  const kx2::user::LayoutInfo* layout = kx2::user::FindLayout(hKL);
  return layout && layout->ime ? TRUE : FALSE;
}

KX2_EXPORT DWORD ImmGetProperty(HKL hKL, DWORD fdwIndex) {
  const kx2::user::LayoutInfo* layout = kx2::user::FindLayout(hKL);
  if (!layout) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!layout->ime) return 0;
  const bool korean = kx2::user::LayoutLanguage(hKL) == 0x12;
  switch (fdwIndex) {
    case IGP_GETIMEVERSION:
      return IMEVER_0400;
    case IGP_PROPERTY:
      // Korean methods show the composition in place and complete it when focus leaves.
      return IME_PROP_UNICODE | IME_PROP_AT_CARET | (korean ? IME_PROP_COMPLETE_ON_UNSELECT : 0);
    case IGP_CONVERSION:
      return IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE | IME_CMODE_ROMAN;
    case IGP_SENTENCE:
      return IME_SMODE_PLAURALCLAUSE | IME_SMODE_AUTOMATIC;
    case IGP_UI:
      return 0;
    case IGP_SETCOMPSTR:
      return SCS_CAP_COMPSTR;
    case IGP_SELECT:
      return SELECT_CAP_CONVERSION | SELECT_CAP_SENTENCE;
    default:
      return 0;
  }
}

KX2_EXPORT UINT ImmGetVirtualKey(HWND hWnd) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const TakenKey& taken = t_taken;
  return taken.window == hWnd && !taken.translated ? taken.vk : VK_PROCESSKEY;
}

KX2_EXPORT void Kx2ImeSetShowFlags(HWND hwnd, LPARAM flags) {
  std::lock_guard<std::mutex> guard(Lock());
  State().showFlags[hwnd] = flags;
}

KX2_EXPORT LPARAM Kx2ImeShowFlags(HWND hwnd) {
  std::lock_guard<std::mutex> guard(Lock());
  auto it = State().showFlags.find(hwnd);
  return it == State().showFlags.end() ? 0 : it->second;
}

KX2_EXPORT void Kx2ImeReset() {
  kx2::Guard([&] {
    ResetMethod();
    ForgetTakenKey();
    std::lock_guard<std::mutex> guard(Lock());
    Table& t = State();
    t.associations.clear();
    t.showFlags.clear();
    for (auto it = t.contexts.begin(); it != t.contexts.end();)
      it = it->second->isDefault ? std::next(it) : t.contexts.erase(it);
    // Default contexts start again closed and empty.
    for (auto& [id, context] : t.contexts) {
      HIMC handle = context->handle;
      const DWORD thread = context->thread;
      *context = Context{};
      context->handle = handle;
      context->thread = thread;
      context->isDefault = true;
    }
  });
}

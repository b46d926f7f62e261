// The scripted input method: keys it takes, what it does with them (compositions,
// results, cancelling), completing on request, and the Hangul key.
#include <atomic>
#include <map>

#include "imm/Context.h"
#include "kx2/ErrorBoundary.h"
#include "user/Keyboard.h"

namespace kx2::imm {
namespace {

// Actions wait for the key that carries their tag (keys go to the thread that retrieves
// them, so the table is process-wide).
struct Actions {
  std::mutex lock;
  std::map<uint64_t, Action> pending;
  uint64_t next = 1;
};

Actions& Pending() {
  static auto* actions = new Actions;
  return *actions;
}

std::atomic<bool> g_failNextRead{false};

constexpr LPARAM kCompositionFlags = GCS_COMPSTR | GCS_COMPATTR | GCS_COMPCLAUSE | GCS_CURSORPOS | GCS_DELTASTART;
constexpr LPARAM kReadingFlags = GCS_COMPREADSTR | GCS_COMPREADATTR | GCS_COMPREADCLAUSE;

bool HasAction(uint64_t tag) {
  std::lock_guard<std::mutex> guard(Pending().lock);
  return Pending().pending.count(tag) != 0;
}

bool TakeAction(uint64_t tag, Action* out) {
  std::lock_guard<std::mutex> guard(Pending().lock);
  auto it = Pending().pending.find(tag);
  if (it == Pending().pending.end()) return false;
  *out = std::move(it->second);
  // Earlier actions whose keys the method did not take will never run.
  Pending().pending.erase(Pending().pending.begin(), std::next(it));
  return true;
}

WPARAM LastCharacter(const std::u16string& text) { return text.empty() ? 0 : text.back(); }

// Caller holds the lock.
void Apply(Context& context, Action& action, std::vector<Post>& posts) {
  HWND window = WindowOfContext(context);
  if (action.hidden) return;
  if (action.cancel) {
    Cancel(context, posts);
    return;
  }
  if (!action.hasComposition && !action.hasResult) return;
  if (!context.composing) {
    posts.push_back({window, WM_IME_STARTCOMPOSITION, 0, 0});
    context.composing = true;
  }
  LPARAM flags = 0;
  WPARAM last = 0;
  if (action.hasResult) {
    context.result = std::move(action.result);
    flags |= ResultFlags(context.result);
    last = LastCharacter(context.result.text);
  }
  if (action.hasComposition) {
    context.composition = std::move(action.composition);
    flags |= CompositionFlags(context.composition);
    last = LastCharacter(context.composition.text);
  } else {
    context.composition = Composition{};
  }
  posts.push_back({window, WM_IME_COMPOSITION, last, flags});
  if (context.composition.text.empty()) {
    posts.push_back({window, WM_IME_ENDCOMPOSITION, 0, 0});
    context.composing = false;
  }
}

// The action of the key taken last runs when TranslateMessage sees it.
void RunTakenAction(HWND window, uint64_t tag) {
  Action action;
  if (!TakeAction(tag, &action)) return;
  std::vector<Post> posts;
  {
    std::lock_guard<std::mutex> guard(Lock());
    Context* context = ContextOfWindow(window);
    if (!context) return;
    Apply(*context, action, posts);
  }
  Deliver(posts);
}

}  // namespace

LPARAM CompositionFlags(const Composition& composition) {
  return kCompositionFlags | (composition.hasReading ? kReadingFlags : 0);
}

LPARAM ResultFlags(const Result& result) {
  return GCS_RESULTSTR | GCS_RESULTCLAUSE | (result.hasReading ? GCS_RESULTREADSTR | GCS_RESULTREADCLAUSE : 0);
}

bool Complete(Context& context, std::vector<Post>& posts) {
  if (!context.composing) return false;
  HWND window = WindowOfContext(context);
  Result result;
  result.text = context.composition.text;
  if (!result.text.empty()) result.clauses = {0, static_cast<DWORD>(result.text.size())};
  result.hasReading = context.composition.hasReading;
  result.reading = context.composition.reading;
  if (result.hasReading && !result.reading.empty())
    result.readingClauses = {0, static_cast<DWORD>(result.reading.size())};
  context.result = std::move(result);
  context.composition = Composition{};
  context.composing = false;
  posts.push_back({window, WM_IME_COMPOSITION, LastCharacter(context.result.text), ResultFlags(context.result)});
  posts.push_back({window, WM_IME_ENDCOMPOSITION, 0, 0});
  return true;
}

bool Cancel(Context& context, std::vector<Post>& posts) {
  if (!context.composing) return false;
  HWND window = WindowOfContext(context);
  context.composition = Composition{};
  context.composing = false;
  posts.push_back({window, WM_IME_COMPOSITION, 0, kCompositionFlags});
  posts.push_back({window, WM_IME_ENDCOMPOSITION, 0, 0});
  return true;
}

uint64_t AddAction(Action action) {
  std::lock_guard<std::mutex> guard(Pending().lock);
  const uint64_t tag = Pending().next++;
  Pending().pending.emplace(tag, std::move(action));
  return tag;
}

bool TakeForcedFailure() { return g_failNextRead.exchange(false); }
void ForceFailure() { g_failNextRead.store(true); }

void ResetMethod() {
  g_failNextRead.store(false);
  std::lock_guard<std::mutex> guard(Pending().lock);
  Pending().pending.clear();
}

bool TakesKey(HWND target, UINT vk, uint64_t methodTag) {
  if (!HasAction(methodTag) || !kx2::user::CurrentLayoutIsIme()) return false;
  {
    std::lock_guard<std::mutex> guard(Lock());
    Context* context = ContextOfWindow(target);
    if (!context || !context->open) return false;
  }
  RememberTakenKey(target, vk, methodTag);
  return true;
}

bool TranslateKey(const MSG& msg) {
  // The messages of the method carry the tag through the key taken last on this thread.
  if (msg.wParam == VK_PROCESSKEY) {
    if (const uint64_t tag = MarkKeyTranslated()) RunTakenAction(msg.hwnd, tag);
    return true;
  }
  if (msg.wParam == VK_HANGUL && kx2::user::LayoutLanguage(kx2::user::CurrentLayout()) == 0x12 &&
      kx2::user::CurrentLayoutIsIme()) {
    // The Hangul key switches between Hangul and English input.
    HIMC himc = nullptr;
    DWORD conversion = 0, sentence = 0;
    {
      std::lock_guard<std::mutex> guard(Lock());
      Context* context = ContextOfWindow(msg.hwnd);
      if (!context) return false;
      himc = context->handle;
      conversion = context->conversion;
      sentence = context->sentence;
    }
    if (!ImmGetOpenStatus(himc)) ImmSetOpenStatus(himc, TRUE);
    ImmSetConversionStatus(himc, conversion ^ IME_CMODE_NATIVE, sentence);
    return true;
  }
  return false;
}

}  // namespace kx2::imm

using namespace kx2::imm;

KX2_EXPORT BOOL ImmNotifyIME(HIMC hIMC, DWORD dwAction, DWORD dwIndex, DWORD dwValue) {
  (void)dwValue;
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::vector<Post> posts;
    bool done = false;
    {
      std::lock_guard<std::mutex> guard(Lock());
      Context* context = FindContext(hIMC);
      if (!context) return FALSE;
      if (dwAction != NI_COMPOSITIONSTR) return FALSE;
      if (dwIndex == CPS_COMPLETE)
        done = Complete(*context, posts);
      else if (dwIndex == CPS_CANCEL)
        done = Cancel(*context, posts);
    }
    Deliver(posts);
    return done ? TRUE : FALSE;
  });
}

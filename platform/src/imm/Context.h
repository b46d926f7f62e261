// Private: input contexts and the scripted input method's state. One lock guards every
// context; nothing is sent or posted while it is held.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win/imm.h"

namespace kx2::imm {

// What a composition holds at one moment (a script may give inconsistent data: attributes
// or clauses past the text are kept as given).
struct Composition {
  std::u16string text;
  std::vector<BYTE> attributes;
  std::vector<DWORD> clauses;
  bool hasReading = false;
  std::u16string reading;
  std::vector<BYTE> readingAttributes;
  std::vector<DWORD> readingClauses;
  LONG cursor = 0;
  LONG deltaStart = 0;
};

struct Result {
  std::u16string text;
  std::vector<DWORD> clauses;
  bool hasReading = false;
  std::u16string reading;
  std::vector<DWORD> readingClauses;
};

struct Context {
  HIMC handle = nullptr;
  DWORD thread = 0;
  bool isDefault = false;
  bool open = false;
  DWORD conversion = 0;
  DWORD sentence = 0;
  bool composing = false;
  Composition composition;
  Result result;
  bool hasCompositionForm = false;
  COMPOSITIONFORM compositionForm{};
  bool hasCandidateForm[4]{};
  CANDIDATEFORM candidateForm[4]{};
  HWND window = nullptr;  // the window last associated with it (or last asking for it)
};

std::mutex& Lock();
// Caller holds the lock; null with ERROR_INVALID_HANDLE for a stale or made-up handle.
Context* FindContext(HIMC himc);
// Caller holds the lock: the window's context (its thread's default unless associated),
// null when it has none.
Context* ContextOfWindow(HWND hwnd);
// Where the context's messages go: the calling thread's focus window when it uses the
// context, else its last window while that lives. Caller holds the lock.
HWND WindowOfContext(const Context& context);

// Messages to post once the lock is released.
struct Post {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
void Deliver(const std::vector<Post>& posts);

// The flags of WM_IME_COMPOSITION for a composition and for a result.
LPARAM CompositionFlags(const Composition& composition);
LPARAM ResultFlags(const Result& result);
// Makes the composition the result and ends it; false when there is none. Caller holds
// the lock.
bool Complete(Context& context, std::vector<Post>& posts);
// Drops the composition and ends it; false when there is none.
bool Cancel(Context& context, std::vector<Post>& posts);

// What the script says the method does with a key it takes.
struct Action {
  bool hidden = false;  // takes the key and does nothing (it stays VK_PROCESSKEY)
  bool cancel = false;
  bool hasComposition = false;
  Composition composition;
  bool hasResult = false;
  Result result;
};
// Registers an action for the next key that carries the returned tag.
uint64_t AddAction(Action action);
// Whether the next ImmGetCompositionStringW must fail (consumes the flag).
bool TakeForcedFailure();
void ForceFailure();
// Forgets the calling thread's pending actions.
void ResetMethod();
// The key the method took last on this thread, for ImmGetVirtualKey.
void RememberTakenKey(HWND window, UINT vk, uint64_t tag);
// The tag of the taken key TranslateMessage now sees (0: none, or seen already).
uint64_t MarkKeyTranslated();
void ForgetTakenKey();

}  // namespace kx2::imm

// Private: the bridge's process-wide state: the bridge window with its block, the input
// state and its composition buffers, the system information, and the dispatcher's and
// handler's globals. All of it belongs to the thread that prepared the bridge.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quel_internal.h"

namespace quel {

// An input handler: (window, message, wParam, lParam) -> bits (kConsumed, kSendComposition).
using InputHandler = int (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
constexpr int kConsumed = 1;
constexpr int kSendComposition = 2;

constexpr size_t kTextUnits = 320;  // a text holds at most 319 characters and a terminator
constexpr size_t kMaxCharacters = kTextUnits - 1;

struct tagImeCompBuffer {
  uint16_t cursor;
  uint16_t deltaStart;
  uint16_t text[kTextUnits];
  uint16_t length;
  uint16_t attributes[kTextUnits];
  uint16_t clauses[kTextUnits];
};
static_assert(sizeof(tagImeCompBuffer) == 1926);

enum BufferIndex { kSpare = 0, kReading = 1, kComposition = 2, kResult = 3 };

// 4-byte packing keeps the record at its 8764 bytes with a pointer-sized handler.
#pragma pack(push, 4)
struct tagImeInputState {
  uint32_t size;
  uint32_t languageWord;  // low word the language, high word its mode
  uint16_t thirdWord;
  InputHandler handler;
  tagImeCompBuffer buffers[4];
  uint8_t reserved[1040];
};
#pragma pack(pop)
static_assert(sizeof(tagImeInputState) == 8764);

constexpr int kBlockSlots = 117;
constexpr int kModuleSlotBase = 1;
constexpr int kHandlerSlotBase = 9;
struct tagImeWindowBlock {
  void* slots[kBlockSlots];
};

struct Bridge {
  HWND window = nullptr;
  tagImeWindowBlock* block = nullptr;
  DWORD thread = 0;
  // The dispatcher.
  HWND served = nullptr;
  bool disabled = false;
  int32_t cjkBlock = 0;
  int32_t valueA = 0;
  int32_t cachedB = -1;
  uint16_t stash[kTextUnits] = {};
  bool stashPresent = false;
  // The system handler.
  bool compositionActive = false;
  bool pendingLanguageChange = false;
  // Host calls in progress, and a shutdown they asked for.
  int depth = 0;
  bool shutdownPending = false;
};

QUEL_TEST_API Bridge& TheBridge();
tagImeSystemInfo& Info();
// Whether the system information has been filled (once per process).
bool& InfoFilled();
// The input state hung into the window block, null when there is none.
QUEL_TEST_API tagImeInputState* InputState();
// The current language code (low word of the language word), 0 without input state.
uint32_t CurrentLanguage();
QUEL_TEST_API uint32_t LanguageWord();

// Whether the calling thread is the bridge's and the bridge exists.
bool OnBridgeThread();

// Zeroes one buffer, or all four.
void ClearBuffer(BufferIndex index);
void ClearAllBuffers();

// Frees the input state and the window block and destroys the bridge window (on its own
// thread; from another thread the window is only forgotten). Afterwards every call answers 0.
QUEL_TEST_API void ShutDownBridge();
// Back to the state of a freshly loaded library: the bridge shut down, the system
// information, languages, class set and open/close state as at process start.
QUEL_TEST_API void ResetBridgeForTests();

}  // namespace quel
